// The frame runner: which lines a call runs, the interrupt levels at their
// lines and periods, the timer's events, samples per frame, the picture at
// line 240, idle skipping and the CPU-stop path, driven by SH-2 programs.
#include <gtest/gtest.h>

#include <cstring>

#include "board/frame.h"
#include "board/ymz280b.h"
#include "board_fixture.h"

namespace {

// Cycle count at which `lines` scanlines since reset end.
u64 line_end(u64 lines) {
    return static_cast<u64>(static_cast<double>(lines) * 1833.9434288524799 + 0.5);
}

// Samples produced by the first `lines` scanlines since reset.
u64 samples_after(u64 lines) {
    return lines * 364335 / 65536;
}

// Counters of irq_count.s.
constexpr u32 COUNT_L1 = 0x100;
constexpr u32 COUNT_L5 = 0x104;
constexpr u32 COUNT_L9 = 0x108;
constexpr u32 COUNT_L11 = 0x10C;
constexpr u32 COUNT_L15 = 0x110;
constexpr u32 L9_AT_L5 = 0x118;
constexpr u32 L9_AT_L1 = 0x11C;

class FrameRunner : public ::testing::Test {
protected:
    TestBoard t;
    BoardState* b = nullptr;
    s16 audio[2 * MAX_AUDIO_SAMPLES];

    void load(const char* program) {
        b = t.b;
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(test_board_load_program(b, program)) << program;
        board_reset(b);
    }

    int frame(int* count = nullptr) {
        int n = -1;
        int r = board_run_frame(b, audio, &n);
        if (count) *count = n;
        return r;
    }

    u32 word(u32 offset) const { return test_work_word(b, offset); }
};

}  // namespace

TEST_F(FrameRunner, FirstFrameRunsLines0To239AndLaterOnesAWholeFrame) {
    load("irq_count");
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 240);
    EXPECT_EQ(b->lines_run, 240u);
    EXPECT_EQ(b->frames_run, 1u);
    EXPECT_GE(b->cpu.cycles, line_end(240));
    EXPECT_LT(b->cpu.cycles, line_end(240) + 16) << "a slice overshoots by one instruction at most";

    for (u64 f = 2; f <= 4; ++f) {
        ASSERT_EQ(frame(), 0);
        EXPECT_EQ(b->line, 240);
        EXPECT_EQ(b->lines_run, 240 + 262 * (f - 1));
        EXPECT_EQ(b->frames_run, f);
        EXPECT_GE(b->cpu.cycles, line_end(b->lines_run));
        EXPECT_LT(b->cpu.cycles, line_end(b->lines_run) + 16);
    }
}

TEST_F(FrameRunner, SamplesPerFrameCarryTheFractionAcrossLinesAndFrames) {
    load("irq_count");
    int count = 0;
    ASSERT_EQ(frame(&count), 0);
    EXPECT_EQ(count, 1334);
    u64 lines = 240;
    u64 total = static_cast<u64>(count);
    for (int f = 0; f < 8; ++f) {
        ASSERT_EQ(frame(&count), 0);
        u64 expected = samples_after(lines + 262) - samples_after(lines);
        EXPECT_EQ(static_cast<u64>(count), expected) << "frame " << f + 2;
        EXPECT_TRUE(count == 1456 || count == 1457) << count;
        lines += 262;
        total += static_cast<u64>(count);
    }
    EXPECT_EQ(total, samples_after(lines)) << "no fraction of a sample is lost";
}

TEST_F(FrameRunner, AudioAndCountPointersAreOptional) {
    load("irq_count");
    int count = 0;
    ASSERT_EQ(board_run_frame(b, nullptr, &count), 0);
    EXPECT_EQ(count, 1334);
    ASSERT_EQ(board_run_frame(b, audio, nullptr), 0);
    ASSERT_EQ(board_run_frame(b, nullptr, nullptr), 0);
    EXPECT_EQ(b->frames_run, 3u);
    EXPECT_EQ(b->audio_fraction, static_cast<u32>((240 + 2 * 262) * 364335ull % 65536));
}

TEST_F(FrameRunner, SoundOfEachLineReachesTheCallerScaledAndPanned) {
    load("irq_count");
    std::memset(b->sample_rom, 0x40, 0x10000);  // 8-bit PCM 0x40 = 16384
    const u8 writes[][2] = {
        {0xFF, 0x80},                            // key enable
        {0x00, 0xFF}, {0x02, 0xFF}, {0x03, 0x00},  // voice 0: fn 255 (+ bit 8 below), level 255, pan 0
        {0x20, 0x00}, {0x40, 0x00}, {0x60, 0x00},  // start 0
        {0x23, 0x00}, {0x43, 0x80}, {0x63, 0x00},  // end byte 0x8000
        {0x01, 0xC1},                            // fn bit 8, 8-bit PCM, key on
    };
    for (auto& w : writes) {
        ymz_write(b, 0, w[0]);
        ymz_write(b, 1, w[1]);
    }
    int count = 0;
    ASSERT_EQ(frame(&count), 0);
    ASSERT_EQ(count, 1334);
    // fn 511: one source sample per output sample; 16384 x 255 / 512.
    for (int i = 2; i < count; ++i) {
        ASSERT_EQ(audio[2 * i], 8160) << "left sample " << i;
        ASSERT_EQ(audio[2 * i + 1], 0) << "right sample " << i << ", pan 0";
    }
}

TEST_F(FrameRunner, LineInterruptsComeAtLine0AndLine240) {
    load("irq_count");
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(COUNT_L1), 1u);
    EXPECT_EQ(word(COUNT_L5), 0u) << "the first call ends before line 240 begins";
    EXPECT_EQ(word(L9_AT_L1), 0u);

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(COUNT_L5), 1u);
    EXPECT_EQ(word(COUNT_L1), 2u);
    EXPECT_EQ(word(L9_AT_L5), line_end(240) / 1824) << "level 5 at the start of line 240";
    EXPECT_EQ(word(L9_AT_L1), line_end(262) / 1824) << "level 1 at the start of line 0";

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(COUNT_L5), 2u);
    EXPECT_EQ(word(COUNT_L1), 3u);
    EXPECT_EQ(word(L9_AT_L5), line_end(240 + 262) / 1824);
    EXPECT_EQ(word(L9_AT_L1), line_end(262 + 262) / 1824);
}

TEST_F(FrameRunner, PeriodicLevelsAreRaisedEveryPeriodWithoutSkipOrDrift) {
    load("irq_count");
    for (int f = 0; f < 60; ++f) ASSERT_EQ(frame(), 0);
    const u64 cycles = b->cpu.cycles;
    ASSERT_GT(cycles, 28636000u) << "at least one second of emulated time";

    struct Level {
        u32 level;
        u32 counter;
        u64 period;
        u64 next;
    };
    const Level levels[] = {
        {15, COUNT_L15, 57272, b->next_irl15},
        {11, COUNT_L11, 229088, b->next_irl11},
        {9, COUNT_L9, 1824, b->next_irl9},
    };
    for (const Level& l : levels) {
        SCOPED_TRACE(l.level);
        u64 pending = (b->cpu.irl_pending >> l.level) & 1;
        u64 raised = word(l.counter) + pending;
        EXPECT_EQ(raised, cycles / l.period) << "one raise per elapsed period";
        EXPECT_EQ(l.next, (cycles / l.period + 1) * l.period);
    }
}

TEST_F(FrameRunner, TimerOverflowScheduledInsideASliceIsNotMissed) {
    b = t.b;
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(test_board_load_program(b, "frt_timer"));
    board_reset(b);
    test_put_be32(b->work_ram + 0x0, 0x02);    // TIER: overflow interrupt
    test_put_be32(b->work_ram + 0x4, 0x00);    // acknowledge: clear every flag
    test_put_be32(b->work_ram + 0x8, 0xFFF0);  // 16 counts (128 cycles) before overflow
    test_put_be32(b->work_ram + 0xC, 0x0000);

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0x100), 1u) << "the overflow 128 cycles after the write was served";
    // The CPU cannot be stopped inside its slice: the request is taken at
    // the slice's end, at most one level-9 period (228 counts) late, but the
    // overflow itself was seen at its own cycle.
    EXPECT_LT(word(0x104) & 0xFFFF, 1824u / 8 + 4) << "taken in the slice after the counter wrapped";
    EXPECT_EQ(b->frt_ftcsr & 0x02, 0);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0x100), 2u) << "the next one a full 65,536 counts later";
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0x100), 3u);
}

TEST_F(FrameRunner, TimerCompareMatchWithCounterClearRepeatsEveryPeriod) {
    b = t.b;
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(test_board_load_program(b, "frt_timer"));
    board_reset(b);
    test_put_be32(b->work_ram + 0x0, 0x08);   // TIER: compare match A
    test_put_be32(b->work_ram + 0x4, 0x01);   // acknowledge, keeping CCLRA
    test_put_be32(b->work_ram + 0x8, 0x0000);
    test_put_be32(b->work_ram + 0xC, 0x0100);  // 256 counts = 2,048 cycles

    ASSERT_EQ(frame(), 0);
    u64 cycles = b->cpu.cycles;
    u32 matches = word(0x100);
    // Each period loses the counts' sub-count cycles at the acknowledge.
    EXPECT_LE(matches, cycles / 2048);
    EXPECT_GE(matches, cycles / 2056);
    EXPECT_LE(word(0x104) & 0xFFFF, 8u) << "the counter was cleared at the match";
    EXPECT_EQ(b->frt_ftcsr & 0x02, 0) << "no overflow with the counter cleared at A";
    ASSERT_EQ(frame(), 0);
    EXPECT_GE(word(0x100), b->cpu.cycles / 2056);
}

TEST_F(FrameRunner, PictureIsComposedAtLine240BeforeTheSpriteListIsDrawn) {
    load("irq_count");
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
        b->frame_buffer[i] = 0x00ABCDEF;
        b->sprite_bitmap[i] = 0x1234;  // left from the previous sprite pass
    }
    b->palette_cache[0x1234] = 0xFF00FF00;

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->frame_buffer[0], 0x0000FF00u) << "composition used the bitmap of the previous pass";
    EXPECT_EQ(b->frame_buffer[SCREEN_WIDTH * SCREEN_HEIGHT - 1], 0x0000FF00u);
    EXPECT_EQ(b->sprite_bitmap[0], 0) << "then the (empty) sprite list was drawn";

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->frame_buffer[0], 0u);
}

TEST_F(FrameRunner, StopLineSetAfterResetEndsEveryFrameThere) {
    load("irq_count");
    b->stop_line = 100;
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 100);
    EXPECT_EQ(b->lines_run, 100u);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 100);
    EXPECT_EQ(b->lines_run, 362u);
}

TEST_F(FrameRunner, DamagedLineAndStopLineStillEndTheFrame) {
    load("irq_count");
    b->line = 300;
    b->stop_line = 5000;
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(b->line, 240);
    EXPECT_EQ(b->lines_run, 240u - 38u);
}

TEST_F(FrameRunner, DueTimesFarBehindTheCpuAreBroughtUpToDate) {
    load("irq_count");
    b->lines_run = 545272000000ull;  // about 35 emulated days
    b->cpu.cycles = line_end(b->lines_run);
    b->next_irl9 = 0;
    b->next_irl15 = 5;
    b->next_irl11 = 7;
    b->frt_next = 0;
    ASSERT_EQ(frame(), 0);
    const u64 cycles = b->cpu.cycles;
    EXPECT_GT(b->next_irl9, cycles);
    EXPECT_LE(b->next_irl9 - cycles, 1824u);
    EXPECT_EQ(b->next_irl9 % 1824, 0u) << "the phase is kept";
    EXPECT_GT(b->next_irl15, cycles);
    EXPECT_EQ(b->next_irl15 % 57272, 5u);
    EXPECT_GT(b->next_irl11, cycles);
    EXPECT_EQ(b->next_irl11 % 229088, 7u);
}

TEST_F(FrameRunner, CpuStopEndsTheFrameAfterFinishingItsLine) {
    load("cpu_stop");
    int count = 0;
    EXPECT_EQ(frame(&count), 1);
    EXPECT_EQ(sh2_failed_pc(), 0x300u);
    EXPECT_EQ(b->cpu.pc, 0x300u);
    EXPECT_EQ(word(0x100), 101u);
    EXPECT_EQ(b->line, 101) << "the 101st level-9 interrupt falls in line 100";
    EXPECT_EQ(b->lines_run, 101u);
    EXPECT_EQ(static_cast<u64>(count), samples_after(101)) << "the stopping line's sound is kept";
    EXPECT_EQ(b->frames_run, 1u);
    EXPECT_LT(b->cpu.cycles, line_end(101));
}

TEST_F(FrameRunner, IdleLoopIsSkippedWhileInterruptsStillArrive) {
    b = t.b;
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(test_board_load_program(b, "idle_main"));
    ASSERT_TRUE(test_board_load_program(b, "idle_loop", 0x0402EBD0));
    board_reset(b);

    ASSERT_EQ(frame(), 0);
    EXPECT_LT(b->cpu.steps, 20000u) << "the wait loop was not interpreted";
    u64 pending9 = (b->cpu.irl_pending >> 9) & 1;
    EXPECT_EQ(word(0x100) + pending9, b->cpu.cycles / 1824);
    EXPECT_EQ(word(0), 0u);

    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0x104), 1u);
    EXPECT_EQ(word(0), 0x600DF00Du) << "the vertical blank released the loop";
}

TEST_F(FrameRunner, IdleSkipOffInterpretsTheWaitLoop) {
    b = t.b;
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(test_board_load_program(b, "idle_main"));
    ASSERT_TRUE(test_board_load_program(b, "idle_loop", 0x0402EBD0));
    board_reset(b);
    b->idle_skip = 0;

    ASSERT_EQ(frame(), 0);
    EXPECT_GT(b->cpu.steps, 100000u);
    EXPECT_EQ(b->cpu.idle, 0);
    u64 pending9 = (b->cpu.irl_pending >> 9) & 1;
    EXPECT_EQ(word(0x100) + pending9, b->cpu.cycles / 1824);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(word(0), 0x600DF00Du);
}
