// The frame runner: the slice schedule of one video frame.
#include "board/frame.h"

#include "board/onchip.h"
#include "board/sprites.h"
#include "board/video.h"
#include "board/ymz280b.h"

namespace {

// The stretch of sound of one call, mixed line by line.
s32 mix_left[MAX_AUDIO_SAMPLES];
s32 mix_right[MAX_AUDIO_SAMPLES];

inline u64 min_u64(u64 a, u64 b) { return a < b ? a : b; }

// A due time more than one period behind the CPU only comes from a damaged
// restored state: raising one period per slice would then take practically
// forever, so the missed periods are skipped, keeping the phase.
void skip_missed_periods(u64* next, u64 period, u64 cycles) {
    if (*next < cycles && cycles - *next >= period) *next += (cycles - *next) / period * period;
}

// The farthest the timer ever schedules ahead: 65,536 counts of 128 cycles.
constexpr u64 FRT_LONGEST_WAIT = 65536ull << 7;

// Runs the CPU to the end of the scanline in slices that never cross a
// periodic interrupt or a timer event. Returns 1 when the CPU stopped.
int run_line_slices(BoardState* b, u64 target) {
    Sh2State* cpu = &b->cpu;
    while (cpu->cycles < target) {
        u64 end = min_u64(target, b->next_irl9);
        end = min_u64(end, b->next_irl15);
        end = min_u64(end, b->next_irl11);
        end = min_u64(end, b->frt_next);
        if (sh2_run(cpu, end) != 0) return 1;
        if (cpu->cycles >= b->next_irl15) {
            sh2_set_irq(cpu, 15, 1);
            b->next_irl15 += IRL15_CYCLES;
        }
        if (cpu->cycles >= b->next_irl11) {
            sh2_set_irq(cpu, 11, 1);
            b->next_irl11 += IRL11_CYCLES;
        }
        if (cpu->cycles >= b->next_irl9) {
            sh2_set_irq(cpu, 9, 1);
            b->next_irl9 += IRL9_CYCLES;
        }
        // A timer event that fell inside the slice just run is served as of
        // its own cycle; the timer catches up through any later events that
        // are already due in the same call.
        if (cpu->cycles >= b->frt_next) frt_event(b);
    }
    return 0;
}

}  // namespace

int board_run_frame(BoardState* b, s16* audio, int* count) {
    if (count) *count = 0;
    if (!board_has_roms(b)) return 0;

    board_set_current(b);
    Sh2State* cpu = &b->cpu;
    // A line or stop line out of range (a damaged record) must still end
    // the frame.
    if (b->line >= LINES_PER_FRAME) b->line = static_cast<u16>(b->line % LINES_PER_FRAME);
    u16 stop_line = (b->stop_line >= 1 && b->stop_line < LINES_PER_FRAME) ? b->stop_line : VBLANK_LINE;

    skip_missed_periods(&b->next_irl15, IRL15_CYCLES, cpu->cycles);
    skip_missed_periods(&b->next_irl11, IRL11_CYCLES, cpu->cycles);
    skip_missed_periods(&b->next_irl9, IRL9_CYCLES, cpu->cycles);
    if (b->frt_next < cpu->cycles && cpu->cycles - b->frt_next > FRT_LONGEST_WAIT) b->frt_next = cpu->cycles;

    int total = 0;
    int stopped = 0;
    do {
        if (b->line == VBLANK_LINE)
            sh2_set_irq(cpu, 5, 1);
        else if (b->line == 0)
            sh2_set_irq(cpu, 1, 1);

        b->lines_run += 1;
        // From the line count each time, so rounding never accumulates.
        double end = static_cast<double>(b->lines_run) * CYCLES_PER_LINE + 0.5;
        u64 target = end < 18446744073709551615.0 ? static_cast<u64>(end) : ~0ull;
        stopped = run_line_slices(b, target);

        // The line's sound, also on the line where the CPU stopped.
        b->audio_fraction += AUDIO_STEP_PER_LINE;
        int n = static_cast<int>(b->audio_fraction >> 16);
        b->audio_fraction &= 0xFFFF;
        if (n > MAX_AUDIO_SAMPLES - total) n = MAX_AUDIO_SAMPLES - total;
        if (n > 0) {
            ymz_render(b, mix_left + total, mix_right + total, n);
            total += n;
        }

        b->line = static_cast<u16>((b->line + 1) % LINES_PER_FRAME);
        if (b->line == VBLANK_LINE) {
            // The picture shows the sprites drawn one frame earlier.
            video_compose_frame(b);
            sprites_render(b);
        }
    } while (!stopped && b->line != stop_line);

    if (audio) {
        for (int i = 0; i < total; ++i) {
            audio[2 * i] = ymz_output_sample(mix_left[i]);
            audio[2 * i + 1] = ymz_output_sample(mix_right[i]);
        }
    }
    if (count) *count = total;
    b->frames_run += 1;
    return stopped;
}
