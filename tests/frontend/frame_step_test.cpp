// One emulated frame with the fake game: counters, the input word from a
// virtual controller, the stop of the game's program, the frame's sound
// and the periodic NVRAM write.
#include <sys/stat.h>

#include <fstream>

#include "tests/frontend/pads_and_probes.h"

namespace {

int lying_frames = 0;

// A frame that reports more sound than any buffer holds, writing none.
int run_frame_reporting_too_much(int16_t*, int* frames, char*, size_t) {
    *frames = lying_frames;
    return 0;
}

// A frame in which the program stops after producing sound.
int run_frame_stopping_with_sound(int16_t* audio, int* frames, char* err, size_t errlen) {
    for (int i = 0; i < 200; i++) audio[i] = 500;
    *frames = 100;
    snprintf(err, errlen, "The SH-2 program stopped at address 0600ABCD.");
    return 1;
}

class FrameStepTest : public PadTest {
protected:
    void SetUp() override {
        PadTest::SetUp();
        for (int& p : fe.settings.player_controller) p = -1;
        for (int j = 0; j < fe.adapter.input_count; j++) {
            const AdapterInput& row = fe.adapter.inputs[j];
            fe.bindings[j] = InputBinding{row.key1, row.key2, row.pad};
        }
        nvram_file = dir + "/nvram/fakegame-12345678.nv";
    }

    void open_paused_audio() {
        open_audio_device();
        ASSERT_NE(fe.audio_device, 0u) << SDL_GetError();
        SDL_PauseAudioDevice(fe.audio_device, 1);
    }

    void steps(int n) {
        for (int i = 0; i < n; i++) step_frame();
    }

    // The frames (1-based, of those run from now on) whose word had `mask`.
    std::vector<int> frames_with(uint32_t mask, int n) {
        size_t first = fake_game.input_log.size();
        steps(n);
        std::vector<int> out;
        for (size_t i = first; i < fake_game.input_log.size(); i++)
            if (fake_game.input_log[i] & mask) out.push_back((int)(i - first) + 1);
        return out;
    }

    std::string nvram_bytes() { return read_text(nvram_file); }

    std::string nvram_file;
};

constexpr uint32_t SHOT = 0x10, UP = 0x1, COIN = 0x10000;

TEST_F(FrameStepTest, EveryFrameIsCountedAndTimed) {
    load_fake_game_running();
    fe.frame_time_avg_ms = 10.0;
    step_frame();
    EXPECT_EQ(fe.frame_counter, 1u);
    EXPECT_EQ(fe.fps_frame_count, 1);
    EXPECT_EQ(fake_game.frames_run, 1u);
    EXPECT_GE(fe.frame_time_avg_ms, 9.5);  // the old average weighs 0.95
    EXPECT_LT(fe.frame_time_avg_ms, 10.0);
    steps(9);
    EXPECT_EQ(fe.frame_counter, 10u);
    EXPECT_EQ(fe.fps_frame_count, 10);
}

TEST_F(FrameStepTest, ControllerInputReachesTheGameAfterTheLatchOpens) {
    open_pads(1);
    load_fake_game_running();
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_EQ(frames_with(SHOT, 2), (std::vector<int>{1, 2}));
    EXPECT_EQ(fe.input_word, SHOT);
    EXPECT_EQ(fake_game.inputs, SHOT);

    // Leaving the menu with the shot held: nothing counts until all is let go.
    open_menu_and_pause(SCREEN_PAUSE);
    close_menu_and_resume();
    EXPECT_TRUE(frames_with(SHOT, 3).empty());
    set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    EXPECT_TRUE(frames_with(SHOT | UP, 2).empty());
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 0);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
    steps(1);
    EXPECT_EQ(fe.release_latch, 0);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    EXPECT_EQ(frames_with(UP, 1), (std::vector<int>{1}));
}

TEST_F(FrameStepTest, CoinHeldThroughThePauseMenuGivesNoPulse) {
    open_pads(1);
    load_fake_game_running();
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 1);  // the fake game's coin
    EXPECT_EQ(frames_with(COIN, 20), (std::vector<int>{1, 2, 3, 4, 5}));
    open_menu_and_pause(SCREEN_PAUSE);
    close_menu_and_resume();
    EXPECT_TRUE(frames_with(COIN, 20).empty());
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 0);
    steps(1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 1);
    EXPECT_EQ(frames_with(COIN, 10), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(FrameStepTest, QuickMenuCombinationKeepsInputFromTheGame) {
    open_pads(1);
    load_fake_game_running();
    fe.settings.menu_combo = 1;
    set_pad_button(0, SDL_CONTROLLER_BUTTON_GUIDE, 1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_TRUE(frames_with(SHOT, 3).empty());
    set_pad_button(0, SDL_CONTROLLER_BUTTON_GUIDE, 0);
    EXPECT_EQ(frames_with(SHOT, 1), (std::vector<int>{1}));
}

TEST_F(FrameStepTest, StoppedProgramEndsTheGameWithTheErrorDialog) {
    load_fake_game_running();
    fake_game.stop_at_frame = 2;
    steps(2);
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.frame_counter, 2u);
    EXPECT_EQ(fe.fps_frame_count, 2);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(fe.screen_depth, 1);
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
    EXPECT_STREQ(fe.message_title, "The game stopped");
    std::string expected = std::string("The fake program stopped.\n\nThe native translation does not interpret "
                                       "instructions, so it stops instead of guessing. Your autosave and "
                                       "slots are unaffected. The log has details:\n") +
                           fe.log_path;
    EXPECT_EQ(std::string(fe.message_text), expected);
}

TEST_F(FrameStepTest, StoppedFrameQueuesNoSound) {
    load_fake_game_running();
    open_paused_audio();
    fe.menu_open = 1;  // so that the dialog's menu does not clear the queue itself
    fe.adapter.run_frame = run_frame_stopping_with_sound;
    step_frame();
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(SDL_GetQueuedAudioSize(fe.audio_device), 0u);
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
}

TEST_F(FrameStepTest, StoppedFrameWritesNoNvram) {
    NEEDS_FILES();
    load_fake_game_running();
    fe.frame_counter = 119;
    fe.adapter.run_frame = run_frame_stopping_with_sound;
    step_frame();
    EXPECT_EQ(fe.frame_counter, 120u);
    EXPECT_FALSE(is_regular_file(nvram_file.c_str()));
}

TEST_F(FrameStepTest, EachFrameSoundIsQueued) {
    load_fake_game_running();
    open_paused_audio();
    steps(3);
    EXPECT_EQ(SDL_GetQueuedAudioSize(fe.audio_device), 3u * FAKE_AUDIO_FRAMES * 4);
}

TEST_F(FrameStepTest, SoundHandOffStaysInsideTheFrameBuffer) {
    load_fake_game_running();
    open_paused_audio();
    fe.adapter.run_frame = run_frame_reporting_too_much;
    lying_frames = 100000;
    step_frame();
    EXPECT_EQ(SDL_GetQueuedAudioSize(fe.audio_device), (2048u + 8) * 4);  // the buffer's room, under 4096
    flush_audio();

    fe.adapter.run_frame = fake_adapter().run_frame;
    fe.adapter.max_audio_frames = 100;  // the fake writes 805 frames into the larger test buffer
    step_frame();
    EXPECT_EQ(SDL_GetQueuedAudioSize(fe.audio_device), 108u * 4);
}

TEST_F(FrameStepTest, NvramIsWrittenEvery120FramesWhenMissingOrChanged) {
    NEEDS_FILES();
    load_fake_game_running();
    steps(119);
    EXPECT_FALSE(is_regular_file(nvram_file.c_str()));
    steps(1);  // the game wrote its NVRAM on frame 10
    std::string written = nvram_bytes();
    ASSERT_EQ(written.size(), (size_t)FAKE_NVRAM_SIZE);
    EXPECT_EQ((uint8_t)written[0], 0x42);

    // Unchanged and present: left alone at frame 240.
    std::ofstream(nvram_file, std::ios::binary) << "marker";
    steps(120);
    EXPECT_EQ(nvram_bytes(), "marker");
    // Missing: written again at frame 360 though nothing changed.
    std::remove(nvram_file.c_str());
    steps(120);
    EXPECT_EQ(nvram_bytes(), written);
    // Changed: rewritten within 120 frames.
    std::ofstream(nvram_file, std::ios::binary) << "marker";
    fake_game.nvram[5] = 7;
    steps(119);
    EXPECT_EQ(nvram_bytes(), "marker");
    steps(1);
    EXPECT_EQ((uint8_t)nvram_bytes()[5], 7);
}

TEST_F(FrameStepTest, FailedNvramWriteIsRetriedAtTheNextCheck) {
    NEEDS_FILES();
    bool log = logging_works();
    load_fake_game_running();
    std::ofstream(nvram_file, std::ios::binary) << "old";
    std::string blocker = nvram_file + ".tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);  // the temporary file cannot be made
    steps(120);
    EXPECT_EQ(nvram_bytes(), "old");
    if (log) {
        std::vector<std::string> lines = log_messages();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "NVRAM save failed: " + nvram_file);
    }
    // The adapter counts its NVRAM as saved now; the frontend still writes it.
    EXPECT_EQ(fe.adapter.nvram_dirty(), 0);
    rmdir(blocker.c_str());
    steps(120);
    std::string written = nvram_bytes();
    ASSERT_EQ(written.size(), (size_t)FAKE_NVRAM_SIZE);
    EXPECT_EQ((uint8_t)written[0], 0x42);
}

TEST_F(FrameStepTest, NvramFolderMissingIsRetriedOnceItExists) {
    NEEDS_FILES();
    load_fake_game_running();
    std::string folder = dir + "/later/nvram";
    snprintf(fe.nvram_dir, sizeof fe.nvram_dir, "%s", folder.c_str());
    steps(120);
    std::string file = folder + "/fakegame-12345678.nv";
    EXPECT_FALSE(is_regular_file(file.c_str()));
    ASSERT_EQ(make_dirs(folder.c_str()), 1);
    steps(120);
    std::string written = read_text(file);
    ASSERT_EQ(written.size(), (size_t)FAKE_NVRAM_SIZE);
    EXPECT_EQ((uint8_t)written[0], 0x42);
}

TEST_F(FrameStepTest, RewindCapturesEveryFourthFrame) {
    load_fake_game_running();
    fe.settings.rewind = 1;
    fe.settings.rewind_mb = 16;
    fe.feature_on[FEATURE_REWIND] = 1;
    reset_rewind();
    if (!fe.rewind.entries) GTEST_SKIP() << "needs the rewind ring";
    steps(3);
    rewind_settle();
    EXPECT_EQ(fe.rewind.count, 0);
    steps(1);
    rewind_settle();
    EXPECT_EQ(fe.rewind.count, 1);
    steps(8);
    rewind_settle();
    EXPECT_EQ(fe.rewind.count, 3);
}

}  // namespace
