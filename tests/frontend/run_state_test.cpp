// Game start, stop and pause, and the way back from the menus: what each
// of them changes and what it leaves alone.
#include <tuple>

#include "tests/frontend/pads_and_probes.h"

namespace {

class RunStateTest : public PadTest {
protected:
    void SetUp() override {
        PadTest::SetUp();
        fe.feature_on[FEATURE_SAVE_STATES] = 1;
        load_fake_game_running();
    }

    // The middle of a game: a running pulse, rows released, the rewind
    // banner up, the pacing part-way, sound queued.
    void mid_game() {
        fe.input_word = 0x10010;
        fe.pulse_countdown[4] = 3;
        for (int& held : fe.input_held) held = 0;
        fake_game.inputs = 0x10010;
        fe.rewind.rewinding = 1;
        fe.frame_accumulator_ms = 30.0;
        queue_sound();
    }

    void expect_input_reset() {
        EXPECT_EQ(fe.input_word, 0u);
        EXPECT_EQ(fe.pulse_countdown[4], 0);
        for (int j = 0; j < fe.adapter.input_count; j++) EXPECT_EQ(fe.input_held[j], 1) << j;
        EXPECT_EQ(fake_game.inputs, 0u);
    }
};

// running, paused, frame counter, release latch, menu open, screen depth
auto run_state() {
    return std::tuple(fe.running, fe.paused, fe.frame_counter, fe.release_latch, fe.menu_open, fe.screen_depth);
}

TEST_F(RunStateTest, RestartRunsFromResetWithTheDipSwitchesButOnlyWithARom) {
    fe.running = 0;
    fe.paused = 1;
    fe.frame_counter = 77;
    fe.settings.dsw[0] = 0x00DF;
    mid_game();
    fe.rom_loaded = 0;
    restart_game();
    EXPECT_EQ(run_state(), std::tuple(0, 1, 77u, 0, 0, 0));
    EXPECT_EQ(fe.input_word, 0x10010u);
    EXPECT_EQ(fake_game.resets, 0);

    fe.rom_loaded = 1;
    restart_game();
    EXPECT_EQ(fake_game.dsw[0], 0x00DF);
    EXPECT_EQ(fake_game.resets, 1);
    EXPECT_EQ(run_state(), std::tuple(1, 0, 0u, 1, 0, 0));
    expect_input_reset();
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
}

TEST_F(RunStateTest, StopEndsTheRunWritesTheNvramAndKeepsTheRest) {
    fe.paused = 1;
    fe.frame_counter = 300;
    fe.menu_open = 1;
    fe.screen_depth = 2;
    mid_game();
    stop_game(0);
    EXPECT_EQ(run_state(), std::tuple(0, 1, 300u, 0, 1, 2));
    EXPECT_EQ(fe.rewind.rewinding, 0);
    expect_input_reset();
    EXPECT_EQ(queued(), 0u);
    EXPECT_TRUE(is_regular_file((dir + "/nvram/fakegame-12345678.nv").c_str()));
    EXPECT_EQ(fe.rom_loaded * 10 + fake_game.loaded, 11);
}

TEST_F(RunStateTest, StopAutosavesOnlyWhenAskedRunningAndAllowed) {
    std::string autosave = dir + "/states/fakegame-12345678/autosave.fest";
    const struct {
        int flag, running, feature, saved;
    } cases[] = {
        {1, 1, 1, 1},
        {0, 1, 1, 0},
        {1, 0, 1, 0},
        {1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        std::remove(autosave.c_str());
        fe.running = c.running;
        fe.feature_on[FEATURE_SAVE_STATES] = c.feature;
        stop_game(c.flag);
        EXPECT_EQ(is_regular_file(autosave.c_str()), c.saved) << c.flag << c.running << c.feature;
    }
}

TEST_F(RunStateTest, AMenuOpensAloneOnItsScreenAndHaltsInputAndSound) {
    fe.paused = 1;
    fe.screen_depth = 5;
    fe.menu.highlight_y = 33.0f;
    mid_game();
    uint64_t before = SDL_GetPerformanceCounter();
    open_menu_and_pause(SCREEN_PAUSE);
    EXPECT_EQ(run_state(), std::tuple(1, 1, 0u, 0, 1, 1));
    EXPECT_EQ(fe.screen_stack[0], SCREEN_PAUSE);
    EXPECT_GE(fe.menu.open_time, before);
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);
    EXPECT_EQ(fe.slot_list_stale, 0);
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
    open_audio_device();
    open_menu_and_pause(SCREEN_PAUSE);
    push_screen(SCREEN_AUDIO);
    fe.paused = 1;
    mid_game();
    uint64_t before = SDL_GetPerformanceCounter();
    close_menu_and_resume();
    EXPECT_EQ(run_state(), std::tuple(1, 1, 0u, 1, 0, 0));
    expect_input_reset();
    EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
    EXPECT_GE(fe.last_pass_time, before);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PLAYING);
}

}  // namespace
