// Headless frame benchmark: builds a synthetic ROM set, loads it through
// the game adapter and runs whole frames without any window.
//
//   frame_bench [--seconds S]   (S per case, default 1.5)
//
// Cases: a CPU-bound program that never idles; a program that idles in the
// game's wait loop while both tilemap layers and a full sprite list are
// drawn every frame; the time to save and to load a core snapshot.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>

#include "adapter/adapter.h"
#include "bench/bench_args.h"
#include "bench/bench_boards.h"

namespace {

constexpr double EMULATED_FPS = 59.5971;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int load(const SynthSetPaths& set) {
    char err[512] = "";
    if (!adapter_load(set.game_zip.c_str(), err, sizeof err)) {
        fprintf(stderr, "frame_bench: cannot load the synthetic set: %s\n", err);
        return 0;
    }
    return 1;
}

struct FrameRun {
    int frames;
    double seconds;
    u64 instructions;
    u64 samples;
};

// Runs frames for about `budget` seconds (at least 10 frames).
int run_frames(double budget, FrameRun* out) {
    static s16 audio[ADAPTER_MAX_AUDIO_FRAMES * 2];
    char err[256] = "";
    *out = FrameRun{};
    u64 steps_before = adapter_board()->cpu.steps;
    Clock::time_point start = Clock::now();
    while (out->frames < 10 || seconds_since(start) < budget) {
        int samples = 0;
        if (adapter_run_frame(audio, &samples, err, sizeof err)) {
            fprintf(stderr, "frame_bench: %s\n", err);
            return 0;
        }
        out->samples += (u64)samples;
        out->frames++;
    }
    out->seconds = seconds_since(start);
    out->instructions = adapter_board()->cpu.steps - steps_before;
    return 1;
}

void print_run(const char* name, const FrameRun& r) {
    double fps = r.frames / r.seconds;
    printf("  %-34s %8.1f fps  %7.3f ms/frame  %5.2fx real time  %6.1f M SH-2 instr/s\n", name, fps, 1000.0 / fps,
           fps / EMULATED_FPS, r.instructions / r.seconds / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows line by line
    double budget = bench_seconds(argc, argv, 1.5);

    printf("Talvex frame benchmark: synthetic ROM set, headless, one core, %.1f s a case\n", budget);
    Clock::time_point build_start = Clock::now();
    const SynthSetPaths& cpu_set = synth_cached_set("bench: cpu-bound", build_cpu_set);
    const SynthSetPaths& draw_set = synth_cached_set("bench: idle and draw", build_draw_set);
    printf("  built two synthetic ROM sets in %.0f ms\n", seconds_since(build_start) * 1000);

    FrameRun run;
    if (!load(cpu_set) || !run_frames(budget, &run)) return 1;
    print_run("CPU-bound program, never idles:", run);
    bool fast_enough = run.frames / run.seconds >= 150.0;

    // Snapshot timings on the busy board, whose RAM is full of changing data.
    const int rounds = 20;
    size_t size = 0;
    void* snap = nullptr;
    Clock::time_point save_start = Clock::now();
    for (int i = 0; i < rounds; i++) {
        free(snap);
        snap = adapter_save_snapshot(&size);
        if (!snap) {
            fprintf(stderr, "frame_bench: snapshot save failed\n");
            return 1;
        }
    }
    double save_ms = seconds_since(save_start) * 1000 / rounds;
    char err[256] = "";
    Clock::time_point load_start = Clock::now();
    for (int i = 0; i < rounds; i++) {
        if (!adapter_load_snapshot(snap, size, err, sizeof err)) {
            fprintf(stderr, "frame_bench: snapshot load failed: %s\n", err);
            return 1;
        }
    }
    double load_ms = seconds_since(load_start) * 1000 / rounds;
    free(snap);

    if (!load(draw_set) || !run_frames(budget, &run)) return 1;
    print_run("idle, both layers + 1024 sprites:", run);
    printf("  %-34s %8.3f ms save  %7.3f ms load  (%zu bytes)\n", "core snapshot:", save_ms, load_ms, size);
    printf("  audio: %.1f samples a frame\n", (double)run.samples / run.frames);
    // What the drawing case really draws: sprite cover and picture variety.
    const BoardState* b = adapter_board();
    int sprite_pixels = 0;
    for (u16 p : b->sprite_bitmap) sprite_pixels += (p & 0xFF) != 0;
    std::set<u32> colours(std::begin(b->frame_buffer), std::end(b->frame_buffer));
    printf("  drawn picture: %.0f%% sprite pixels, %zu distinct colours\n",
           100.0 * sprite_pixels / (SCREEN_WIDTH * SCREEN_HEIGHT), colours.size());

    adapter_shutdown();
    if (!fast_enough) printf("  note: the CPU-bound case is below 150 fps on this machine\n");
    return 0;
}
