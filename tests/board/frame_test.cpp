// The frame runner driven by SH-2 programs: lines per call, interrupt levels,
// timer events, samples, the picture at line 240, idle skip and CPU stop.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "board/frame.h"
#include "board/ymz280b.h"
#include "board_fixture.h"

namespace {

// Cycle count at which `lines` scanlines since reset end.
u64 line_end(u64 lines) { return static_cast<u64>(static_cast<double>(lines) * 1833.9434288524799 + 0.5); }

// Samples produced by the first `lines` scanlines since reset.
u64 samples_after(u64 lines) { return lines * 364335 / 65536; }

// Counters of irq_count.s: levels 1, 5, 9, 11, 15, then the level-9 count
// seen when level 5 and when level 1 were taken.
constexpr u32 COUNT_L1 = 0x100, COUNT_L5 = 0x104, COUNT_L9 = 0x108, COUNT_L11 = 0x10C, COUNT_L15 = 0x110;
constexpr u32 L9_AT_L5 = 0x118, L9_AT_L1 = 0x11C;

class FrameRunner : public ::testing::Test {
protected:
    TestBoard t;
    BoardState* b = t.b;
    s16 audio[2 * MAX_AUDIO_SAMPLES];
    void load(const char* program) {
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(test_board_load_program(b, program)) << program;
        board_reset(b);
    }
    // frt_timer.s set-up: TIER, the FTCSR value its handler writes back, FRC, OCRA.
    void load_timer(u32 tier, u32 ack, u32 frc, u32 ocra) {
        load("frt_timer");
        for (u32 i = 0; u32 v : {tier, ack, frc, ocra}) test_put_be32(b->work_ram + 4 * i++, v);
    }
    int frame(int* count = nullptr) { return board_run_frame(b, audio, count); }
    u32 word(u32 offset) const { return test_work_word(b, offset); }
};

}  // namespace

TEST_F(FrameRunner, LinesAndInterruptLevelsOfEachFrame) {
    load("irq_count");
    for (u64 f = 1; f <= 60; ++f) {
        ASSERT_EQ(frame(), 0);
        // The first call runs lines 0-239, later ones a whole frame ending there.
        EXPECT_EQ(b->line, 240);
        EXPECT_EQ(b->lines_run, 240 + 262 * (f - 1));
        EXPECT_EQ(b->frames_run, f);
        EXPECT_GE(b->cpu.cycles, line_end(b->lines_run));
        EXPECT_LT(b->cpu.cycles, line_end(b->lines_run) + 16) << "a slice overshoots by one instruction at most";
        // Level 1 at the start of line 0, level 5 at the start of line 240.
        EXPECT_EQ(word(COUNT_L1), f);
        EXPECT_EQ(word(COUNT_L5), f - 1) << "the first call ends before line 240 begins";
        if (f == 2 || f == 3) {  // exact for the first frames; later a level-9 raise may come first
            EXPECT_EQ(word(L9_AT_L5), line_end(240 + 262 * (f - 2)) / 1824) << "frame " << f;
            EXPECT_EQ(word(L9_AT_L1), line_end(262 * (f - 1)) / 1824) << "frame " << f;
        }
    }
    // The periodic levels are raised once per period without skip or drift.
    const u64 cycles = b->cpu.cycles;
    ASSERT_GT(cycles, 28636000u) << "at least one second of emulated time";
    const u64 levels[][4] = {{15, COUNT_L15, 57272, b->next_irl15},
                             {11, COUNT_L11, 229088, b->next_irl11},
                             {9, COUNT_L9, 1824, b->next_irl9}};
    for (auto& l : levels) {
        u64 raised = word(static_cast<u32>(l[1])) + ((b->cpu.irl_pending >> l[0]) & 1);
        EXPECT_EQ(raised, cycles / l[2]) << "level " << l[0];
        EXPECT_EQ(l[3], (cycles / l[2] + 1) * l[2]) << "level " << l[0];
    }
}

TEST_F(FrameRunner, StopLineDamagedLinesAndDueTimesFarBehindAreHandled) {
    load("irq_count");
    b->stop_line = 100;  // set after the reset, so it is not normalised
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->lines_run, 100u);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 100);
    EXPECT_EQ(b->lines_run, 362u);
    load("irq_count");
    b->line = 300;  // damaged values still end the frame
    b->stop_line = 5000;
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 240);
    EXPECT_EQ(b->lines_run, 240u - 38u);
    load("irq_count");
    b->lines_run = 545272000000ull;  // due times 35 emulated days behind catch up, keeping their phase
    b->cpu.cycles = line_end(b->lines_run);
    b->next_irl9 = 0;
    b->next_irl15 = 5;
    b->next_irl11 = 7;
    b->frt_next = 0;
    ASSERT_EQ(frame(), 0);
    const u64 due[][3] = {{b->next_irl9, 1824, 0}, {b->next_irl15, 57272, 5}, {b->next_irl11, 229088, 7}};
    for (auto& d : due) {
        EXPECT_GT(d[0], b->cpu.cycles) << "period " << d[1];
        EXPECT_LE(d[0] - b->cpu.cycles, d[1]) << "period " << d[1];
        EXPECT_EQ(d[0] % d[1], d[2]) << "period " << d[1];
    }
}

TEST_F(FrameRunner, SoundOfEachLineReachesTheCallerAndSamplesPerFrameCarryTheFraction) {
    load("irq_count");
    std::memset(b->sample_rom, 0x40, 0x10000);  // 8-bit PCM 0x40 = 16384
    const u8 writes[][2] = {
        {0xFF, 0x80},                              // key enable
        {0x00, 0xFF}, {0x02, 0xFF}, {0x03, 0x00},  // voice 0: fn 255 (+ bit 8 below), level 255, pan 0
        {0x20, 0x00}, {0x40, 0x00}, {0x60, 0x00},  // start 0
        {0x23, 0x00}, {0x43, 0x80}, {0x63, 0x00},  // end byte 0x8000
        {0x01, 0xC1},                              // fn bit 8, 8-bit PCM, key on
    };
    for (auto& w : writes) ymz_write(b, 0, w[0]), ymz_write(b, 1, w[1]);
    int count = 0;
    ASSERT_EQ(frame(&count), 0);
    ASSERT_EQ(count, 1334);
    // fn 511: one source sample per output sample; 16384 x 255 / 512, all left.
    for (int i = 2; i < count; ++i)
        ASSERT_EQ(std::make_pair(audio[2 * i], audio[2 * i + 1]), std::make_pair(s16(8160), s16(0))) << i;
    ASSERT_EQ(board_run_frame(b, nullptr, &count), 0);  // either pointer may be null
    EXPECT_EQ(static_cast<u64>(count), samples_after(502) - samples_after(240));
    ASSERT_EQ(board_run_frame(b, nullptr, nullptr), 0);
    EXPECT_EQ(b->audio_fraction, static_cast<u32>((240 + 2 * 262) * 364335ull % 65536));
    u64 lines = 240 + 2 * 262, total = samples_after(lines);
    for (int f = 0; f < 8; ++f) {
        ASSERT_EQ(frame(&count), 0);
        EXPECT_EQ(static_cast<u64>(count), samples_after(lines + 262) - samples_after(lines)) << "frame " << f + 4;
        EXPECT_TRUE(count == 1456 || count == 1457) << count;
        lines += 262;
        total += static_cast<u64>(count);
    }
    EXPECT_EQ(total, samples_after(lines)) << "no fraction of a sample is lost";
}

TEST_F(FrameRunner, TimerOverflowInsideASliceIsNotMissedAndCompareMatchRepeats) {
    load_timer(0x02, 0x00, 0xFFF0, 0);  // overflow interrupt, 16 counts (128 cycles) ahead
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0x100), 1u) << "the overflow 128 cycles after the write was served";
    // Taken at the slice's end, at most a level-9 period late, but seen at its own cycle.
    EXPECT_LT(word(0x104) & 0xFFFF, 1824u / 8 + 4) << "taken in the slice after the counter wrapped";
    EXPECT_EQ(b->frt_ftcsr & 0x02, 0);
    for (u32 n = 2; n <= 3; ++n) {
        ASSERT_EQ(frame(), 0);
        EXPECT_EQ(word(0x100), n) << "the next one a full 65,536 counts later";
    }

    load_timer(0x08, 0x01, 0, 0x0100);  // compare match A every 256 counts = 2,048 cycles
    for (int f = 0; f < 2; ++f) {
        ASSERT_EQ(frame(), 0);
        // Each period loses the counts' sub-count cycles at the acknowledge.
        EXPECT_LE(word(0x100), b->cpu.cycles / 2048);
        EXPECT_GE(word(0x100), b->cpu.cycles / 2056);
    }
    EXPECT_LE(word(0x104) & 0xFFFF, 8u) << "the counter was cleared at the match";
    EXPECT_EQ(b->frt_ftcsr & 0x02, 0) << "no overflow with the counter cleared at A";
}

TEST_F(FrameRunner, PictureIsComposedAtLine240BeforeTheSpriteListIsDrawn) {
    load("irq_count");
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
        b->frame_buffer[i] = 0x00ABCDEF;
        b->sprite_bitmap[i] = 0x1234;  // left from the previous sprite pass
    }
    b->palette_cache[0x1234] = 0xFF00FF00;
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->frame_buffer[SCREEN_WIDTH * SCREEN_HEIGHT - 1], 0x0000FF00u) << "composed from the previous pass";
    EXPECT_EQ(b->sprite_bitmap[0], 0) << "then the (empty) sprite list was drawn";
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->frame_buffer[0], 0u);
}

TEST_F(FrameRunner, CpuStopEndsTheFrameAfterFinishingItsLine) {
    load("cpu_stop");
    int count = 0;
    EXPECT_EQ(frame(&count), 1);
    EXPECT_EQ(sh2_failed_pc(), 0x300u);
    EXPECT_EQ(b->cpu.pc, 0x300u) << "the record stays at the instruction that failed";
    EXPECT_EQ(word(0x100), 101u);
    EXPECT_EQ(b->line, 101) << "the 101st level-9 interrupt falls in line 100";
    EXPECT_EQ(std::make_pair(b->lines_run, b->frames_run), std::make_pair(u64(101), u64(1)));
    EXPECT_EQ(static_cast<u64>(count), samples_after(101)) << "the stopping line's sound is kept";
    EXPECT_LT(b->cpu.cycles, line_end(101));
}

TEST_F(FrameRunner, IdleLoopIsSkippedOnlyWhenSwitchedOnWhileInterruptsStillArrive) {
    for (u32 skip : {1u, 0u}) {
        SCOPED_TRACE(skip);
        load("idle_main");
        ASSERT_TRUE(test_board_load_program(b, "idle_loop", 0x0402EBD0));
        b->idle_skip = skip;
        ASSERT_EQ(frame(), 0);
        if (skip)
            EXPECT_LT(b->cpu.steps, 20000u) << "the wait loop was not interpreted";
        else
            EXPECT_GT(b->cpu.steps, 100000u);
        EXPECT_EQ(word(0x100) + ((b->cpu.irl_pending >> 9) & 1), b->cpu.cycles / 1824);
        EXPECT_EQ(word(0), 0u);
        ASSERT_EQ(frame(), 0);
        EXPECT_EQ(word(0x104), 1u);
        EXPECT_EQ(word(0), 0x600DF00Du) << "the vertical blank released the loop";
    }
}
