// The Display and Audio screens: rows and value texts, step rows that
// clamp, cycle rows that wrap both ways, toggles, what a change applies at
// once (window, filter, picture table, audio device), Restore Defaults,
// the live preview, and the settings file written only on Back.
#include <cstring>

#include "tests/menus/screen_test_util.h"

namespace {

class DisplayScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        open(SCREEN_DISPLAY, draw_display_settings_screen);
    }
};

TEST_F(DisplayScreenTest, RowsInOrderWithTheirDefaultValues) {
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Mode", "Windowed"},         {"Window Size", "3x"},
        {"Scaling", "Fit to screen"}, {"Aspect Ratio", "Original 4:3"},
        {"Filtering", "Nearest (sharp)"}, {"VSync", "On"},
        {"Frame Pacing", "Exact game rate"}, {"Rotation", "0 (original)"},
        {"Scanlines", "0%"},          {"Phosphor Mask", "Off"},
        {"Mask Strength", "30%"},     {"Brightness", "100%"},
        {"Gamma", "1.00"},            {"Background", "Gradient wallpaper"},
        {"Menu Accent", "Azure"},     {"Restore Defaults", ""},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); i++) {
        EXPECT_EQ(rows[i].label, expected[i].first);
        EXPECT_EQ(rows[i].value, expected[i].second) << rows[i].label;
    }
    EXPECT_EQ(row("Mode").help, "Borderless fullscreen or a window.");
    EXPECT_EQ(row("Window Size").help, "Initial window size as a multiple of the native height.");
    EXPECT_EQ(row("Frame Pacing").help,
              "Exact keeps the game's own frame rate; Display sync locks one game frame per refresh when the "
              "display is 59-61 Hz.");
    EXPECT_EQ(row("Filtering").help, "");
    EXPECT_EQ(row("Restore Defaults").help, "Reset display settings only.");
    EXPECT_FALSE(row("Mask Strength").enabled);
    EXPECT_TRUE(row("Window Size").enabled);

    fe.settings.gamma = 200;
    fe.settings.mask = 2;
    fe.adapter.rotation = 1;
    pass();
    EXPECT_EQ(row("Gamma").value, "2.00");
    EXPECT_EQ(row("Rotation").value, "0");
    EXPECT_EQ(row("Phosphor Mask").value, "Shadow mask");
    EXPECT_TRUE(row("Mask Strength").enabled);
    fe.settings.rotation = 1;
    pass();
    EXPECT_EQ(row("Rotation").value, "90 (original)");
}

TEST_F(DisplayScreenTest, StepRowsClampAndActivationCountsAsPlusOne) {
    FrontendSettings& s = fe.settings;
    expect_step_row("Scanlines", s.scanlines, 10, 0, 100);
    s.mask = 1;
    expect_step_row("Mask Strength", s.mask_strength, 10, 0, 100);
    expect_step_row("Brightness", s.brightness, 5, 50, 150);
    expect_step_row("Gamma", s.gamma, 5, 50, 200);
    expect_step_row("Window Size", s.window_scale, 1, 1, 8);

    fe.settings.brightness = 50;
    fe.picture_lut_stale = 0;
    enter("Brightness");
    EXPECT_EQ(fe.settings.brightness, 55);
    EXPECT_EQ(fe.picture_lut_stale, 1);

    fe.settings.gamma = 100;
    fe.picture_lut_stale = 0;
    left("Gamma");
    EXPECT_EQ(fe.settings.gamma, 95);
    EXPECT_EQ(fe.picture_lut_stale, 1);
    pass();
    EXPECT_EQ(row("Gamma").value, "0.95");

    // A scale past the menu's range (from the command line) comes back into it.
    fe.settings.window_scale = 20;
    left("Window Size");
    EXPECT_EQ(fe.settings.window_scale, 8);
}

TEST_F(DisplayScreenTest, CycleRowsWrapBothWays) {
    fe.settings.border = 0;
    left("Background");
    EXPECT_EQ(fe.settings.border, 2);
    right("Background");
    EXPECT_EQ(fe.settings.border, 0);
    left("Menu Accent");
    EXPECT_EQ(fe.settings.accent, 5);
    pass();
    EXPECT_EQ(row("Menu Accent").value, "Silver");
    fe.settings.rotation = 3;
    enter("Rotation");
    EXPECT_EQ(fe.settings.rotation, 0);
    enter("Scaling");
    EXPECT_EQ(fe.settings.scale_mode, 1);
    enter("Scaling");
    EXPECT_EQ(fe.settings.scale_mode, 0);

    // A value a hand-edited file left outside the list shows and steps as
    // the entry it wraps to.
    fe.settings.pacing = 5;
    pass();
    EXPECT_EQ(row("Frame Pacing").value, "Display sync");
    right("Frame Pacing");
    EXPECT_EQ(fe.settings.pacing, 0);
    fe.settings.border = INT32_MAX;  // 2147483647 % 3 = 1
    right("Background");
    EXPECT_EQ(fe.settings.border, 2);
    fe.settings.border = INT32_MIN;  // -2147483648 wraps to 1
    left("Background");
    EXPECT_EQ(fe.settings.border, 0);
}

TEST_F(DisplayScreenTest, ModeTogglesWithEveryKeyAndWindowSizeIsForWindowsOnly) {
    right("Mode");
    EXPECT_EQ(fe.settings.fullscreen, 1);
    EXPECT_TRUE(SDL_GetWindowFlags(fe.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    pass();
    EXPECT_EQ(row("Mode").value, "Fullscreen");
    EXPECT_FALSE(row("Window Size").enabled);
    right("Window Size");
    enter("Window Size");
    EXPECT_EQ(fe.settings.window_scale, 3);

    left("Mode");
    EXPECT_EQ(fe.settings.fullscreen, 0);
    EXPECT_FALSE(SDL_GetWindowFlags(fe.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    enter("Mode");
    EXPECT_EQ(fe.settings.fullscreen, 1);
    enter("Mode");

    left("Window Size");
    EXPECT_EQ(fe.settings.window_scale, 2);
    int w = 0, h = 0, want_w = 0, want_h = 0;
    SDL_GetWindowSize(fe.window, &w, &h);
    window_size_for_scale(2, &want_w, &want_h);
    EXPECT_EQ(w, want_w);
    EXPECT_EQ(h, want_h);
    EXPECT_EQ(h, 480);
}

TEST_F(DisplayScreenTest, FilteringAndVSyncApplyAtOnce) {
    enter("Filtering");
    EXPECT_EQ(fe.settings.filter, 1);
    SDL_ScaleMode mode = SDL_ScaleModeNearest;
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeLinear);
    right("Filtering");
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);

    fe.vsync_effective = 1;
    left("VSync");
    EXPECT_EQ(fe.settings.vsync, 0);
    EXPECT_EQ(fe.vsync_effective, 0);
    pass();
    EXPECT_EQ(row("VSync").value, "Off");
}

TEST_F(DisplayScreenTest, RestoreDefaultsTakesOnlyTheDisplaySettings) {
    FrontendSettings& s = fe.settings;
    s.scanlines = 70;
    s.gamma = 150;
    s.rotation = 2;
    s.filter = 1;
    s.mask = 3;
    s.border = 0;
    s.accent = 3;
    s.volume = 10;
    s.deadzone = 50;
    s.autosave_exit = 0;
    s.dsw[0] = 0x1234;
    fe.bindings[0].key1 = 5;
    fe.picture_lut_stale = 0;
    enter("Restore Defaults");
    EXPECT_EQ(s.scanlines, 0);
    EXPECT_EQ(s.gamma, 100);
    EXPECT_EQ(s.rotation, 0);
    EXPECT_EQ(s.filter, 0);
    EXPECT_EQ(s.mask, 0);
    EXPECT_EQ(s.border, 1);
    EXPECT_EQ(s.accent, 3);
    EXPECT_EQ(s.volume, 10);
    EXPECT_EQ(s.deadzone, 50);
    EXPECT_EQ(s.autosave_exit, 0);
    EXPECT_EQ(s.dsw[0], 0x1234);
    EXPECT_EQ(fe.bindings[0].key1, 5);
    EXPECT_EQ(fe.picture_lut_stale, 1);
    EXPECT_EQ(toast(), "Display settings restored");
    EXPECT_FALSE(settings_written());
}

TEST_F(DisplayScreenTest, TheSettingsFileIsWrittenOnBackOnly) {
    right("Scanlines");
    right("Background");
    expect_back_writes({"scanlines = 10", "border = 2"});
}

TEST_F(DisplayScreenTest, ThePreviewShowsTheRunningGameUndimmed) {
    // The preview box: x from 52 % of the width, 150/100 u from the top.
    const int x = TEST_OUTPUT_W * 52 / 100 + 30, y = 150 + 150;
    clear_output();
    pass();
    EXPECT_EQ(pixel_at(x, y), 0xFF000000u) << "no game, no preview";

    load_fake_game_running();
    fetch_frame();
    clear_output();
    pass();
    // Top-left quadrant of the fake picture, at full brightness.
    EXPECT_EQ(pixel_at(x, y), 0xFFFF0000u);
    // The picture is fitted into the box, not drawn over the whole output.
    EXPECT_EQ(pixel_at(TEST_OUTPUT_W - 10, TEST_OUTPUT_H / 2), 0xFF000000u);

}

TEST(DisplayPreviewArea, BesideTheRowsAndOnlyWhenWiderThanTwoUnits) {
    SDL_Rect a;
    ASSERT_TRUE(display_preview_area(1280, 960, 100, &a));
    EXPECT_EQ(a.x, 665);
    EXPECT_EQ(a.y, 150);
    EXPECT_EQ(a.w, 567);
    EXPECT_EQ(a.h, 690);
    // 1280 - 665 - 119 = 496 is not wider than 2u = 496.
    EXPECT_FALSE(display_preview_area(1280, 960, 248, &a));
    EXPECT_TRUE(display_preview_area(1280, 960, 247, &a));
    EXPECT_FALSE(display_preview_area(1280, 200, 100, &a));
}

TEST_F(DisplayScreenTest, ThePreviewFollowsTheRotation) {
    load_fake_game_running();
    fetch_frame();
    fe.settings.rotation = 2;  // upside down: the white quadrant is top left
    clear_output();
    pass();
    const int x = TEST_OUTPUT_W * 52 / 100 + 30, y = 150 + 150;
    EXPECT_EQ(pixel_at(x, y), 0xFFFFFFFFu);
}

// ---------------------------------------------------------------------------

class AudioScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        open_audio_device();
        open(SCREEN_AUDIO, draw_audio_settings_screen);
    }

    static int device_count() {
        int n = SDL_GetNumAudioDevices(0);
        return n > 0 ? n : 0;
    }

    void expect_device_paused() {
        ASSERT_NE(fe.audio_device, 0u);
        EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED);
    }
};

TEST_F(AudioScreenTest, RowsInOrderWithTheirValues) {
    EXPECT_EQ(labels(), (std::vector<std::string>{"Master Volume", "Mute", "Output Device", "Latency Target",
                                                  "Output Format", "Diagnostics", "Music / Effects Volume"}));
    EXPECT_EQ(row("Master Volume").value, "80%");
    EXPECT_EQ(row("Mute").value, "Off");
    EXPECT_EQ(row("Output Device").value, "System default");
    EXPECT_EQ(row("Output Device").enabled, device_count() > 0);
    EXPECT_EQ(row("Output Device").help, "Changes take effect immediately.");
    EXPECT_EQ(row("Latency Target").value, "64 ms");
    EXPECT_EQ(row("Latency Target").help, "Lower is more responsive; raise it only if you hear crackling.");
    EXPECT_EQ(row("Output Format").value, "48000 Hz -> " + std::to_string(fe.audio_obtained.freq) + " Hz");
    EXPECT_FALSE(row("Output Format").enabled);
    EXPECT_EQ(row("Output Format").help,
              "The game's sound chip runs at its native rate and is resampled to the device.");
    EXPECT_EQ(row("Diagnostics").value, "0 underruns, 0 drops");
    EXPECT_EQ(row("Diagnostics").help,
              "Counts since start. Non-zero values point to a timing problem; see the log.");
    EXPECT_EQ(row("Music / Effects Volume").value, "Not exposed");
    EXPECT_EQ(row("Music / Effects Volume").help,
              "The board mixes music and effects on one chip, so separate levels are not available.");

    fe.adapter.audio_rate = 86805.55208333333;
    fe.audio_underruns = 3;
    fe.audio_drops = 12;
    pass();
    EXPECT_EQ(row("Output Format").value.substr(0, 12), "86806 Hz -> ");
    EXPECT_EQ(row("Diagnostics").value, "3 underruns, 12 drops");
}

TEST_F(AudioScreenTest, VolumeStepsAndMuteToggles) {
    expect_step_row("Master Volume", fe.settings.volume, 5, 0, 100);
    expect_toggle_row("Mute", fe.settings.mute);
    expect_back_writes({"volume = 95", "mute = 0"});
}

TEST_F(AudioScreenTest, LatencyStepsByEightToItsLimitsAndReopensTheDevice) {
    std::vector<int> up;
    for (int i = 0; i < 25; i++) {
        right("Latency Target");
        up.push_back(fe.settings.latency_ms);
    }
    EXPECT_EQ(up.front(), 72);
    EXPECT_EQ(up[1], 80);
    EXPECT_EQ(up[21], 240);
    EXPECT_EQ(up[22], 248);
    EXPECT_EQ(up[23], 250);
    EXPECT_EQ(up[24], 250);
    expect_device_paused();

    fe.settings.latency_ms = 64;
    std::vector<int> down;
    for (int i = 0; i < 7; i++) {
        left("Latency Target");
        down.push_back(fe.settings.latency_ms);
    }
    EXPECT_EQ(down, (std::vector<int>{56, 48, 40, 32, 24, 16, 16}));
    expect_device_paused();
    EXPECT_EQ(fe.audio_obtained.samples, 256);
    std::vector<std::string> log = log_messages();
    EXPECT_NE(std::find(log.begin(), log.end(), "audio: " + std::to_string(fe.audio_obtained.freq) +
                                                    " Hz, 2 ch, buffer 256 samples, target latency 16 ms"),
              log.end());
}

// The device order of a fake list: "b" twice, so the last one counts.
const char* const FAKE_DEVICES[] = {"a", "b", "b"};
const char* fake_device(int i) { return FAKE_DEVICES[i]; }

TEST(AudioDeviceIndex, TheLastExactMatchOrNoneAndARingThroughTheDefault) {
    EXPECT_EQ(audio_device_index("b", 3, fake_device), 2);
    EXPECT_EQ(audio_device_index("a", 3, fake_device), 0);
    EXPECT_EQ(audio_device_index("", 3, fake_device), -1);
    EXPECT_EQ(audio_device_index("B", 3, fake_device), -1);
    EXPECT_EQ(audio_device_index("a", 0, fake_device), -1);

    EXPECT_EQ(next_audio_device(-1, +1, 3), 0);
    EXPECT_EQ(next_audio_device(-1, -1, 3), 2);
    EXPECT_EQ(next_audio_device(2, +1, 3), -1);
    EXPECT_EQ(next_audio_device(0, -1, 3), -1);
    EXPECT_EQ(next_audio_device(1, +1, 3), 2);
    EXPECT_EQ(next_audio_device(-1, +1, 0), -1);
    EXPECT_EQ(next_audio_device(-1, -1, 0), -1);
}

TEST_F(AudioScreenTest, OutputDeviceCyclesThroughSdlsListAndTheDefault) {
    int n = device_count();
    snprintf(fe.settings.device, sizeof fe.settings.device, "no such device");
    pass();
    EXPECT_EQ(row("Output Device").value, "System default");
    if (n == 0) {
        EXPECT_FALSE(row("Output Device").enabled);
        right("Output Device");
        EXPECT_STREQ(fe.settings.device, "no such device");
        return;
    }
    const char* first = SDL_GetAudioDeviceName(0, 0);
    ASSERT_NE(first, nullptr);
    right("Output Device");
    EXPECT_STREQ(fe.settings.device, first);
    expect_device_paused();
    pass();
    EXPECT_EQ(row("Output Device").value, first);

    left("Output Device");
    EXPECT_STREQ(fe.settings.device, "");
    left("Output Device");
    EXPECT_STREQ(fe.settings.device, SDL_GetAudioDeviceName(n - 1, 0));
    enter("Output Device");
    EXPECT_STREQ(fe.settings.device, "");
    expect_device_paused();
}

}  // namespace
