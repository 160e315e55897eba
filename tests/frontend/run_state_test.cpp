// Game start, stop and pause, and the way back from the menus: what each
// of them changes and what it leaves alone.
#include "tests/frontend/pads_and_probes.h"

namespace {

class RunStateTest : public PadTest {
protected:
    void SetUp() override {
        PadTest::SetUp();
        fe.feature_on[FEATURE_SAVE_STATES] = 1;
    }

    // Sound waiting in a paused device's queue.
    void queue_sound() {
        if (!fe.audio_device) open_audio_device();
        ASSERT_NE(fe.audio_device, 0u) << SDL_GetError();
        SDL_PauseAudioDevice(fe.audio_device, 1);
        for (int i = 0; i < 200; i++) fe.audio_buffer[i] = 1000;
        queue_frame_audio(fe.audio_buffer, 100);
        ASSERT_GT(SDL_GetQueuedAudioSize(fe.audio_device), 0u);
    }

    // Inputs in the middle of a game: a running pulse, rows released.
    void touch_inputs() {
        fe.input_word = 0x10010;
        fe.pulse_countdown[4] = 3;
        for (int& held : fe.input_held) held = 0;
        fake_game.inputs = 0x10010;
    }

    void expect_input_reset() {
        EXPECT_EQ(fe.input_word, 0u);
        EXPECT_EQ(fe.pulse_countdown[4], 0);
        for (int j = 0; j < fe.adapter.input_count; j++) EXPECT_EQ(fe.input_held[j], 1) << j;
        EXPECT_EQ(fake_game.inputs, 0u);
    }

    uint32_t queued() { return SDL_GetQueuedAudioSize(fe.audio_device); }
};

TEST_F(RunStateTest, RestartWithoutARomChangesNothing) {
    fe.paused = 1;
    fe.frame_counter = 50;
    touch_inputs();
    restart_game();
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.paused, 1);
    EXPECT_EQ(fe.frame_counter, 50u);
    EXPECT_EQ(fe.input_word, 0x10010u);
    EXPECT_EQ(fe.release_latch, 0);
    EXPECT_EQ(fake_game.resets, 0);
}

TEST_F(RunStateTest, RestartRunsFromResetWithTheDipSwitches) {
    load_fake_game_running();
    fe.running = 0;
    fe.paused = 1;
    fe.frame_counter = 77;
    fe.frame_accumulator_ms = 30.0;
    fe.settings.dsw[0] = 0x00DF;
    touch_inputs();
    queue_sound();
    restart_game();
    EXPECT_EQ(fake_game.dsw[0], 0x00DF);
    EXPECT_EQ(fake_game.resets, 1);
    EXPECT_EQ(fe.running, 1);
    EXPECT_EQ(fe.paused, 0);
    EXPECT_EQ(fe.frame_counter, 0u);
    expect_input_reset();
    EXPECT_EQ(fe.release_latch, 1);
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
    EXPECT_EQ(fe.menu_open, 0);
}

TEST_F(RunStateTest, StopEndsTheRunAndKeepsTheRest) {
    load_fake_game_running();
    fe.paused = 1;
    fe.frame_counter = 300;
    fe.menu_open = 1;
    fe.screen_depth = 2;
    fe.rewind.rewinding = 1;
    touch_inputs();
    queue_sound();
    stop_game(0);
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.rom_loaded, 1);
    EXPECT_EQ(fake_game.loaded, 1);
    EXPECT_EQ(fe.paused, 1);
    EXPECT_EQ(fe.frame_counter, 300u);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(fe.screen_depth, 2);
    EXPECT_EQ(fe.rewind.rewinding, 0);
    expect_input_reset();
    EXPECT_EQ(fe.release_latch, 0);
    EXPECT_EQ(queued(), 0u);
}

TEST_F(RunStateTest, StopWritesTheNvramFile) {
    NEEDS_FILES();
    load_fake_game_running();
    stop_game(0);
    EXPECT_TRUE(is_regular_file((dir + "/nvram/fakegame-12345678.nv").c_str()));
}

TEST_F(RunStateTest, StopAutosavesOnlyWhenAskedRunningAndAllowed) {
    load_fake_game_running();
    char autosave[FE_PATH_SIZE];
    if (build_slot_path(0, autosave) != 1) GTEST_SKIP() << "needs the save-state slots";
    const struct { int flag, running, feature, saved; } cases[] = {
        {1, 1, 1, 1}, {0, 1, 1, 0}, {1, 0, 1, 0}, {1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        std::remove(autosave);
        fe.running = c.running;
        fe.feature_on[FEATURE_SAVE_STATES] = c.feature;
        stop_game(c.flag);
        EXPECT_EQ(is_regular_file(autosave), c.saved) << c.flag << c.running << c.feature;
    }
}

TEST_F(RunStateTest, MenuOpensAloneOnItsScreenAndHaltsInputAndSound) {
    load_fake_game_running();
    fe.paused = 1;
    fe.screen_depth = 5;
    fe.rewind.rewinding = 1;
    fe.menu.highlight_y = 33.0f;
    touch_inputs();
    queue_sound();
    uint64_t before = SDL_GetPerformanceCounter();
    open_menu_and_pause(SCREEN_PAUSE);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(fe.screen_depth, 1);
    EXPECT_EQ(fe.screen_stack[0], SCREEN_PAUSE);
    EXPECT_GE(fe.menu.open_time, before);
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);
    EXPECT_EQ(fe.slot_list_stale, 0);
    EXPECT_EQ(fe.running, 1);
    EXPECT_EQ(fe.paused, 1);
    EXPECT_EQ(fe.rewind.rewinding, 0);
    expect_input_reset();
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED);

    for (int screen : {SCREEN_SAVE_STATE, SCREEN_LOAD_STATE}) {
        fe.slot_list_stale = 0;
        open_menu_and_pause(screen);
        EXPECT_EQ(fe.slot_list_stale, 1) << screen;
        EXPECT_EQ(fe.screen_stack[0], screen);
    }
}

TEST_F(RunStateTest, ClosingTheMenuLatchesInputsAndResumesSound) {
    load_fake_game_running();
    open_audio_device();
    open_menu_and_pause(SCREEN_PAUSE);
    push_screen(SCREEN_AUDIO);
    fe.paused = 1;
    fe.frame_accumulator_ms = 50.0;
    touch_inputs();
    uint64_t before = SDL_GetPerformanceCounter();
    close_menu_and_resume();
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.screen_depth, 0);
    EXPECT_EQ(fe.release_latch, 1);
    expect_input_reset();
    EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
    EXPECT_GE(fe.last_pass_time, before);
    EXPECT_EQ(fe.paused, 1);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PLAYING);
}

TEST_F(RunStateTest, NoOperationNeedsAnAudioDevice) {
    load_fake_game_running();
    open_menu_and_pause(SCREEN_MAIN);
    close_menu_and_resume();
    restart_game();
    stop_game(0);
    EXPECT_EQ(fe.audio_device, 0u);
    EXPECT_EQ(fe.running, 0);
}

}  // namespace
