// Rewind: the ring's accounting against its budget with real compressed
// snapshots, its wrap at 4,096 entries, the order in which steps restore,
// damaged entries, the memory a long session really takes, and the rewind
// hotkey in the main loop.
#include <malloc.h>

#include <algorithm>

#include "board/board.h"
#include "frontend/rewind.h"
#include "tests/frontend/game_fixtures.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps its own count (its header does not come
// with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the allocator has handed out and not had back.
size_t bytes_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

uint8_t* entry_at(int age) {  // 0 the oldest
    return fe.rewind.entries[(fe.rewind.head + age) % fe.rewind.capacity];
}

uint64_t sum_of_sizes() {
    uint64_t sum = 0;
    for (int k = 0; k < fe.rewind.count; k++) sum += fe.rewind.sizes[(fe.rewind.head + k) % fe.rewind.capacity];
    return sum;
}

// The rewind setting on with a memory limit, as the settings file gives it.
template <class Game, int MB>
class WithRewind : public Game {
protected:
    void SetUp() override {
        Game::SetUp();
        fe.settings.rewind = 1;
        fe.settings.rewind_mb = MB;
    }
};

using RewindTest = WithRewind<FakeGameTest, 16>;
using TalvexRewindTest = WithRewind<TalvexGameTest, 64>;

TEST_F(TalvexRewindTest, EntriesAreKeptAndCountedAtTheirPackedSize) {
    reset_rewind();
    ASSERT_NE(fe.rewind.entries, nullptr);
    EXPECT_EQ(fe.rewind.budget, 64ull << 20);
    steps(3);
    EXPECT_EQ(fe.rewind.count, 0);
    steps(37);
    ASSERT_EQ(fe.rewind.count, 10);
    for (int k = 0; k < fe.rewind.count; k++) {
        const uint8_t* e = entry_at(k);
        uint32_t raw = get_le32(e), packed = get_le32(e + 4);
        EXPECT_EQ(raw, SNAPSHOT_SIZE);
        EXPECT_EQ(fe.rewind.sizes[(fe.rewind.head + k) % 4096], packed + 8u);
        EXPECT_LT(malloc_usable_size((void*)e), packed + 8u + 64u) << "allocated at the packed size";
        std::vector<uint8_t> snapshot(raw);
        size_t length = raw;
        ASSERT_EQ(zipio_uncompress(snapshot.data(), &length, e + 8, packed), 1);
        char err[200] = "";
        EXPECT_EQ(adapter_check_snapshot(snapshot.data(), length, err, sizeof err), 1) << err;
    }
    EXPECT_EQ(fe.rewind.total, sum_of_sizes());

    // A lower budget trims at the next capture, not at once.
    uint64_t newest = fe.rewind.sizes[(fe.rewind.head + 9) % 4096];
    fe.rewind.budget = newest * 5 / 2;
    EXPECT_EQ(fe.rewind.count, 10);
    steps(4);
    EXPECT_LE(fe.rewind.total, fe.rewind.budget);
    EXPECT_EQ(fe.rewind.count, 2);
    EXPECT_EQ(fe.rewind.total, sum_of_sizes());

    // A budget below one entry keeps the newest alone.
    fe.rewind.budget = 1;
    for (int i = 0; i < 3; i++) {
        steps(4);
        EXPECT_EQ(fe.rewind.count, 1);
        EXPECT_EQ(fe.rewind.total, sum_of_sizes());
    }
}

// Each step restores the newest entry and drops it; a damaged one is
// dropped with the game left where it was; the oldest is never consumed.
// Every step clears the sound and the pacing, and no frame runs.
TEST_F(TalvexRewindTest, StepsRestoreNewestFirstDropDamagedEntriesAndNeverTheOldest) {
    reset_rewind();
    std::vector<std::vector<uint32_t>> at_capture;
    for (int i = 0; i < 6; i++) {
        steps(4);
        at_capture.push_back(picture());
    }
    ASSERT_NE(at_capture[3], at_capture[4]);
    uint8_t* newest = entry_at(5);
    newest[8 + get_le32(newest + 4) - 1] ^= 0xFF;  // the stream's own checksum
    const std::vector<uint32_t> filler(320 * 240, 0x123456u);
    std::copy(filler.begin(), filler.end(), fe.raw_frame);
    uint64_t frames = fe.frame_counter;
    uint32_t game_frames = work_word(0x0C);
    for (int k = 5; k >= 0; k--) {
        SCOPED_TRACE("step to capture " + std::to_string(k));
        queue_sound();
        fe.frame_accumulator_ms = 12.0;
        rewind_step();
        EXPECT_EQ(fe.rewind.count, std::max(k, 1));
        EXPECT_EQ(fe.rewind.total, sum_of_sizes());
        EXPECT_EQ(raw_frame(), k == 5 ? filler : at_capture[std::max(k, 1)]);
        if (k == 5) {
            EXPECT_EQ(picture(), at_capture[5]) << "the game was not touched";
        }
        EXPECT_EQ(queued(), 0u);
        EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
        EXPECT_EQ(fe.frame_counter, frames);
    }
    EXPECT_LT(work_word(0x0C), game_frames) << "the game itself went back";
}

// A capture's compression is spread by time over the frames up to the next
// capture, so when it ends depends on the machine; but it is in the ring by
// the fourth frame from its own, it holds its own frame's state, and a
// rewind pass first finishes a capture still under way.
TEST_F(TalvexRewindTest, ACaptureJoinsTheRingWithinFourFramesAndHoldsItsOwnFrame) {
    reset_rewind();
    for (int i = 0; i < 7; i++) step_frame();
    EXPECT_EQ(fe.rewind.count, 1) << "frame 4's capture, by its fourth frame";
    step_frame();
    std::vector<uint32_t> at_eight = picture();
    for (int i = 0; i < 4; i++) step_frame();  // frame 12's capture taken, perhaps not yet compressed
    rewind_step();                             // restores frame 12's capture and drops it
    EXPECT_EQ(fe.rewind.count, 2);
    rewind_step();
    EXPECT_EQ(raw_frame(), at_eight);
    EXPECT_EQ(fe.rewind.count, 1);
}

TEST_F(TalvexRewindTest, ALongSessionTakesNoMoreThanItsBudget) {
    reset_rewind();
    fe.rewind.budget = 1 << 20;
    size_t before = bytes_in_use();
    for (int i = 0; i < 120; i++) {
        step_frame();
        rewind_capture();
    }
    ASSERT_GT(fe.rewind.count, 1);
    ASSERT_LT(fe.rewind.count, 120) << "the budget was reached";
    // The fixed overhead: the one scratch buffer, the snapshot of a capture
    // under way, the compressor's own state and some slack.
    size_t overhead = zipio_compress_bound(SNAPSHOT_SIZE) + SNAPSHOT_SIZE + (512 << 10);
    EXPECT_LE(bytes_in_use(), before + fe.rewind.budget + overhead);
}

TEST_F(RewindTest, TheRingWrapsAt4096AndStepsBackAcrossTheSeam) {
    fe.settings.rewind_mb = 512;
    reset_rewind();
    for (uint64_t i = 1; i <= 4100; i++) {
        fake_game.frames_run = i;
        rewind_capture();
    }
    EXPECT_EQ(fe.rewind.count, 4096);
    EXPECT_EQ(fe.rewind.head, 4);
    EXPECT_EQ(fe.rewind.total, sum_of_sizes());
    EXPECT_LT(fe.rewind.total, fe.rewind.budget);
    for (uint64_t expect = 4100; expect > 4090; expect--) {
        rewind_step();
        EXPECT_EQ(fake_game.frames_run, expect);
    }
    EXPECT_EQ(fe.rewind.count, 4086);
    fake_game.frames_run = 0;
    for (int i = 0; i < 4085; i++) rewind_step();
    EXPECT_EQ(fake_game.frames_run, 6u) << "the oldest (5) stays";
    EXPECT_EQ(fe.rewind.count, 1);
    EXPECT_EQ(fe.rewind.total, sum_of_sizes());
}

TEST_F(RewindTest, TheSettingDecidesWhetherARingExistsAndAResetEmptiesIt) {
    fe.settings.rewind = 0;
    reset_rewind();
    EXPECT_EQ(fe.rewind.entries, nullptr);
    steps(8);
    EXPECT_EQ(fe.rewind.count, 0);

    fe.settings.rewind = 1;
    reset_rewind();
    steps(8);
    EXPECT_EQ(fe.rewind.count, 2);
    fe.rewind.rewinding = 1;
    reset_rewind();
    EXPECT_EQ(fe.rewind.count + fe.rewind.head, 0);
    EXPECT_EQ(fe.rewind.total, 0u);
    EXPECT_EQ(fe.rewind.budget, 16ull << 20);
    EXPECT_EQ(fe.rewind.rewinding, 1);
}

TEST_F(RewindTest, HoldingTheHotkeyStepsBackInsteadOfRunningFrames) {
    open_pads(1);
    fe.hotkeys[HOTKEY_REWIND] = InputBinding{-1, -1, SDL_CONTROLLER_BUTTON_Y};
    reset_rewind();
    steps(12);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_Y, 1);
    for (uint64_t expect : {12, 8, 8, 8}) {
        fe.frame_accumulator_ms = 100.0;
        main_loop_pass();
        EXPECT_EQ(fe.rewind.rewinding, 1);
        EXPECT_EQ(fe.frame_counter, 12u) << "no frame runs while rewinding";
        EXPECT_EQ(fake_game.frames_run, expect);
    }
    set_pad_button(0, SDL_CONTROLLER_BUTTON_Y, 0);
    fe.frame_accumulator_ms = 100.0;
    main_loop_pass();
    EXPECT_EQ(fe.rewind.rewinding, 0);
    EXPECT_GT(fe.frame_counter, 12u);
}

}  // namespace
