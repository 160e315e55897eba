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
        load_fake_game_running();
        nvram_file = dir + "/nvram/fakegame-12345678.nv";
    }

    // The words the game was given in the next n frames.
    std::vector<uint32_t> words(int n) {
        size_t first = fake_game.input_log.size();
        steps(n);
        return std::vector<uint32_t>(fake_game.input_log.begin() + (long)first, fake_game.input_log.end());
    }

    std::string nvram_bytes() { return read_text(nvram_file); }

    std::string nvram_file;
};

constexpr uint32_t SHOT = 0x10, UP = 0x1, COIN = 0x10000;
using Words = std::vector<uint32_t>;

TEST_F(FrameStepTest, EveryFrameIsCountedAndTimed) {
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

TEST_F(FrameStepTest, ControllerInputReachesTheGameOnceTheLatchOpensAndNotUnderTheCombination) {
    open_pads(1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 1);  // the fake game's coin, a five-frame pulse
    const uint32_t both = SHOT | COIN;
    EXPECT_EQ(words(7), (Words{both, both, both, both, both, SHOT, SHOT}));
    EXPECT_EQ(fe.input_word, SHOT);

    // Leaving the menu with both held: nothing counts until all is let go.
    open_menu_and_pause(SCREEN_PAUSE);
    close_menu_and_resume();
    EXPECT_EQ(words(3), (Words{0, 0, 0}));
    set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    EXPECT_EQ(words(2), (Words{0, 0}));
    for (int b : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_DPAD_UP})
        set_pad_button(0, b, 0);
    steps(1);
    EXPECT_EQ(fe.release_latch, 0);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 1);
    EXPECT_EQ(words(1), (Words{UP | COIN}));

    // The quick-menu combination keeps everything from the game while held.
    fe.settings.menu_combo = 1;
    set_pad_button(0, SDL_CONTROLLER_BUTTON_GUIDE, 1);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_EQ(words(6), (Words{COIN, COIN, COIN, COIN, 0, 0})) << "only the running pulse's tail";
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 0);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_GUIDE, 0);
    EXPECT_EQ(words(1), (Words{SHOT | UP}));
}

TEST_F(FrameStepTest, AStoppedProgramEndsTheGameWithTheErrorDialogAndNoSoundOrNvram) {
    open_paused_audio();
    fe.menu_open = 1;  // so that the dialog's menu does not clear the queue itself
    fe.rewind.rewinding = 1;
    fe.frame_counter = 119;
    fe.adapter.run_frame = run_frame_stopping_with_sound;
    step_frame();
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.rewind.rewinding, 0) << "the rewind banner goes";
    EXPECT_EQ(fe.frame_counter, 120u);
    EXPECT_EQ(fe.fps_frame_count, 1);
    EXPECT_EQ(queued(), 0u);
    EXPECT_FALSE(is_regular_file(nvram_file.c_str()));
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
    EXPECT_STREQ(fe.message_title, "The game stopped");
    EXPECT_EQ(std::string(fe.message_text),
              std::string("The SH-2 program stopped at address 0600ABCD.\n\nThe native translation does not "
                          "interpret instructions, so it stops instead of guessing. Your autosave and slots are "
                          "unaffected. The log has details:\n") +
                  fe.log_path);
}

TEST_F(FrameStepTest, EachFrameSoundIsQueuedButNeverMoreThanTheFrameBufferHolds) {
    open_paused_audio();
    steps(3);
    EXPECT_EQ(queued(), 3u * FAKE_AUDIO_FRAMES * 4);
    flush_audio();

    fe.adapter.run_frame = run_frame_reporting_too_much;
    lying_frames = 100000;
    step_frame();
    EXPECT_EQ(queued(), (2048u + 8) * 4);  // the buffer's room, under the queue's own 4096
    flush_audio();

    fe.adapter.run_frame = fake_adapter().run_frame;
    fe.adapter.max_audio_frames = 100;  // the fake writes 805 frames into the larger test buffer
    step_frame();
    EXPECT_EQ(queued(), 108u * 4);
}

TEST_F(FrameStepTest, NvramIsWrittenEvery120FramesWhenMissingOrChanged) {
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

TEST_F(FrameStepTest, AFailedNvramWriteIsRetriedAtTheNextCheck) {
    std::ofstream(nvram_file, std::ios::binary) << "old";
    std::string blocker = nvram_file + ".tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);  // the temporary file cannot be made
    steps(120);
    EXPECT_EQ(nvram_bytes(), "old");
    EXPECT_EQ(log_messages().back(), "NVRAM save failed: " + nvram_file);
    // The adapter counts its NVRAM as saved now; the frontend still writes it.
    EXPECT_EQ(fe.adapter.nvram_dirty(), 0);
    rmdir(blocker.c_str());
    steps(120);
    std::string written = nvram_bytes();
    ASSERT_EQ(written.size(), (size_t)FAKE_NVRAM_SIZE);
    EXPECT_EQ((uint8_t)written[0], 0x42);

    // A folder that does not exist yet: written once it does.
    std::string folder = dir + "/later/nvram", file = folder + "/fakegame-12345678.nv";
    snprintf(fe.nvram_dir, sizeof fe.nvram_dir, "%s", folder.c_str());
    steps(120);
    EXPECT_FALSE(is_regular_file(file.c_str()));
    ASSERT_EQ(make_dirs(folder.c_str()), 1);
    steps(120);
    EXPECT_EQ(read_text(file), written);
}

}  // namespace
