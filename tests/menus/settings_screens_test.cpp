// The Display and Audio screens: rows and values, step rows that clamp,
// cycle rows that wrap both ways, what a change applies at once, Restore
// Defaults, the live preview, and the settings file written only on Back.
#include <algorithm>

#include "tests/menus/menu_fixture.h"

namespace {

using S = FrontendSettings;

class DisplayScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        show(SCREEN_DISPLAY);
    }
};

TEST_F(DisplayScreenTest, RowsInOrderWithTheirValuesAndHelp) {
    expect_rows(
        {
            {"Mode", "Windowed", "Borderless fullscreen or a window."},
            {"Window Size", "3x", "Initial window size as a multiple of the native height."},
            {"Scaling", "Fit to screen", "Integer keeps every source line the same height (pixel-perfect)."},
            {"Aspect Ratio", "Original 4:3", "4:3 matches the original arcade monitor."},
            {"Filtering", "Nearest (sharp)", ""},
            {"VSync", "On", "Synchronise presentation with the display refresh."},
            {"Frame Pacing", "Exact game rate",
             "Exact keeps the game's own frame rate; Display sync locks one game frame per refresh when the "
             "display is 59-61 Hz."},
            {"Rotation", "0 (original)", "Rotate the picture for rotated or vertical monitors."},
            {"Scanlines", "0%", "Darkens every other line of the scaled picture."},
            {"Phosphor Mask", "Off", "Simulated CRT phosphor pattern."},
            {"Mask Strength", "30%", ""},
            {"Brightness", "100%", ""},
            {"Gamma", "1.00", ""},
            {"Background", "Gradient wallpaper", "What fills the space around the picture."},
            {"Menu Accent", "Azure", ""},
            {"Restore Defaults", "", "Reset display settings only."},
        },
        {"Mask Strength"});

    fe.settings.gamma = 95;
    fe.settings.mask = 2;
    fe.settings.accent = 5;
    fe.settings.pacing = 5;  // outside the list (a hand-edited file): shown as the entry it wraps to
    fe.adapter.rotation = 1;
    pass();
    const std::pair<const char*, const char*> values[] = {{"Gamma", "0.95"},
                                                          {"Phosphor Mask", "Shadow mask"},
                                                          {"Menu Accent", "Silver"},
                                                          {"Frame Pacing", "Display sync"},
                                                          {"Rotation", "0"}};
    for (auto [label, value] : values) EXPECT_EQ(row(label).value, value);
    EXPECT_TRUE(row("Mask Strength").enabled) << "with a mask";
    fe.settings.rotation = 1;
    pass();
    EXPECT_EQ(row("Rotation").value, "90 (original)");
}

TEST_F(DisplayScreenTest, StepRowsClampAndCycleRowsWrapBothWaysThenBackWritesTheFile) {
    expect_step_row("Scanlines", &S::scanlines, 10, 0, 100);
    fe.settings.mask = 1;
    expect_step_row("Mask Strength", &S::mask_strength, 10, 0, 100);
    expect_step_row("Brightness", &S::brightness, 5, 50, 150);
    expect_step_row("Gamma", &S::gamma, 5, 50, 200);
    expect_step_row("Window Size", &S::window_scale, 1, 1, 8);
    expect_steps({
        {"Window Size", &S::window_scale, 20, LEFT, 8},  // from the command line, past the menu's range
        {"Background", &S::border, 0, LEFT, 2},
        {"Background", &S::border, 2, RIGHT, 0},
        {"Background", &S::border, INT32_MAX, RIGHT, 2},  // 2147483647 % 3 = 1
        {"Background", &S::border, INT32_MIN, LEFT, 0},   // -2147483648 wraps to 1
        {"Menu Accent", &S::accent, 0, LEFT, 5},
        {"Rotation", &S::rotation, 3, SELECT, 0},
        {"Scaling", &S::scale_mode, 1, SELECT, 0},
        {"Frame Pacing", &S::pacing, 5, RIGHT, 0},
    });
    for (auto [label, field] : {std::pair{"Brightness", &S::brightness}, std::pair{"Gamma", &S::gamma}}) {
        fe.picture_lut_stale = 0;  // the picture's table follows both
        expect_steps({{label, field, 100, LEFT, 95}});
        EXPECT_EQ(fe.picture_lut_stale, 1) << label;
    }
    expect_back_writes({"scanlines = 90", "brightness = 95", "gamma = 95", "window_scale = 8", "border = 0"});
}

TEST_F(DisplayScreenTest, ModeFilterAndVSyncApplyAtOnceAndWindowSizeIsForWindowsOnly) {
    expect_steps({{"Mode", &S::fullscreen, 0, RIGHT, 1}});
    EXPECT_TRUE(SDL_GetWindowFlags(fe.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    pass();
    EXPECT_EQ(row("Mode").value, "Fullscreen");
    EXPECT_FALSE(row("Window Size").enabled);
    expect_steps({{"Window Size", &S::window_scale, 3, SELECT, 3}, {"Mode", &S::fullscreen, 1, LEFT, 0}});
    EXPECT_FALSE(SDL_GetWindowFlags(fe.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    expect_steps({{"Window Size", &S::window_scale, 3, LEFT, 2}});
    int w = 0, h = 0, want_w = 0, want_h = 0;
    SDL_GetWindowSize(fe.window, &w, &h);
    window_size_for_scale(2, &want_w, &want_h);
    EXPECT_EQ(std::pair(w, h), std::pair(want_w, want_h));
    EXPECT_EQ(h, 480);

    SDL_ScaleMode mode = SDL_ScaleModeNearest;
    expect_steps({{"Filtering", &S::filter, 0, SELECT, 1}});
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeLinear);
    expect_steps({{"Filtering", &S::filter, 1, RIGHT, 0}});
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);
    fe.vsync_effective = 1;
    expect_steps({{"VSync", &S::vsync, 1, LEFT, 0}});
    EXPECT_EQ(fe.vsync_effective, 0);
}

TEST_F(DisplayScreenTest, RestoreDefaultsTakesOnlyTheDisplaySettings) {
    const struct {
        int32_t S::*field;
        int set, after;
    } fields[] = {
        {&S::scanlines, 70, 0}, {&S::gamma, 150, 100},     {&S::rotation, 2, 0}, {&S::filter, 1, 0},
        {&S::mask, 3, 0},       {&S::border, 0, 1},        {&S::accent, 3, 3},   {&S::volume, 10, 10},
        {&S::deadzone, 50, 50}, {&S::autosave_exit, 0, 0},
    };
    for (const auto& f : fields) fe.settings.*f.field = f.set;
    fe.settings.dsw[0] = 0x1234;
    fe.bindings[0].key1 = 5;
    fe.picture_lut_stale = 0;
    enter("Restore Defaults");
    for (const auto& f : fields) EXPECT_EQ(fe.settings.*f.field, f.after) << &f - fields;
    EXPECT_EQ(fe.settings.dsw[0], 0x1234);
    EXPECT_EQ(fe.bindings[0].key1, 5);
    EXPECT_EQ(fe.picture_lut_stale, 1);
    EXPECT_EQ(toast(), "Display settings restored");
    EXPECT_FALSE(settings_written());
}

TEST_F(DisplayScreenTest, ThePreviewShowsTheRunningGameUndimmedTurnedAndFitted) {
    const int x = TEST_OUTPUT_W * 52 / 100 + 30, y = 150 + 150;  // inside the box, near its top left
    draw();
    EXPECT_EQ(pixel_at(x, y), 0xFF000000u) << "no game, no preview";
    load_fake_game_running();
    fetch_frame();
    draw();
    EXPECT_EQ(pixel_at(x, y), 0xFFFF0000u) << "the fake picture's top-left quadrant at full brightness";
    EXPECT_EQ(pixel_at(TEST_OUTPUT_W - 10, TEST_OUTPUT_H / 2), 0xFF000000u) << "fitted into the box";
    fe.settings.rotation = 2;  // upside down: the white quadrant is top left
    draw();
    EXPECT_EQ(pixel_at(x, y), 0xFFFFFFFFu);

    SDL_Rect a;
    ASSERT_TRUE(display_preview_area(1280, 960, 100, &a));
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.w, a.h}), std::vector<int>({665, 150, 567, 690}));
    // 1280 - 665 - 119 = 496 is not wider than 2u = 496.
    EXPECT_FALSE(display_preview_area(1280, 960, 248, &a));
    EXPECT_TRUE(display_preview_area(1280, 960, 247, &a));
    EXPECT_FALSE(display_preview_area(1280, 200, 100, &a));
}

class AudioScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        open_audio_device();
        show(SCREEN_AUDIO);
    }
    static int device_count() { return std::max(SDL_GetNumAudioDevices(0), 0); }
    void expect_device_paused() {
        ASSERT_NE(fe.audio_device, 0u);
        EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED);
    }
};

TEST_F(AudioScreenTest, RowsInOrderWithTheirValuesAndHelp) {
    std::vector<std::string> disabled = {"Output Format", "Diagnostics", "Music / Effects Volume"};
    if (device_count() == 0) disabled.push_back("Output Device");
    expect_rows(
        {
            {"Master Volume", "80%", ""},
            {"Mute", "Off", ""},
            {"Output Device", "System default", "Changes take effect immediately."},
            {"Latency Target", "64 ms", "Lower is more responsive; raise it only if you hear crackling."},
            {"Output Format", "48000 Hz -> " + std::to_string(fe.audio_obtained.freq) + " Hz",
             "The game's sound chip runs at its native rate and is resampled to the device."},
            {"Diagnostics", "0 underruns, 0 drops",
             "Counts since start. Non-zero values point to a timing problem; see the log."},
            {"Music / Effects Volume", "Not exposed",
             "The board mixes music and effects on one chip, so separate levels are not available."},
        },
        disabled);
    fe.adapter.audio_rate = 86805.55208333333;
    fe.audio_underruns = 3;
    fe.audio_drops = 12;
    pass();
    EXPECT_EQ(row("Output Format").value.substr(0, 12), "86806 Hz -> ") << "rounded to the nearest hertz";
    EXPECT_EQ(row("Diagnostics").value, "3 underruns, 12 drops");
}

TEST_F(AudioScreenTest, VolumeStepsMuteTogglesAndLatencyReopensTheDevice) {
    expect_step_row("Master Volume", &S::volume, 5, 0, 100);
    expect_toggle_row("Mute", &S::mute);
    expect_step_row("Latency Target", &S::latency_ms, 8, 16, 250);
    expect_steps(
        {{"Latency Target", &S::latency_ms, 248, RIGHT, 250}, {"Latency Target", &S::latency_ms, 24, LEFT, 16}});
    expect_device_paused();
    EXPECT_EQ(fe.audio_obtained.samples, 256);
    std::vector<std::string> log = log_messages();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "audio: " + std::to_string(fe.audio_obtained.freq) +
                            " Hz, 2 ch, buffer 256 samples, target latency 16 ms"),
              log.end());
    expect_back_writes({"volume = 95", "mute = 0", "latency_ms = 16"});
}

const char* const FAKE_DEVICES[] = {"a", "b", "b"};  // "b" twice: the last one counts
const char* fake_device(int i) { return FAKE_DEVICES[i]; }

TEST(AudioDeviceIndex, TheLastExactMatchOrNoneAndARingThroughTheDefault) {
    const std::pair<const char*, int> found[] = {{"b", 2}, {"a", 0}, {"", -1}, {"B", -1}};
    for (auto [name, index] : found) EXPECT_EQ(audio_device_index(name, 3, fake_device), index) << name;
    EXPECT_EQ(audio_device_index("a", 0, fake_device), -1);
    const int ring[][4] = {
        // index, change, devices, next
        {-1, +1, 3, 0}, {-1, -1, 3, 2}, {2, +1, 3, -1}, {0, -1, 3, -1}, {1, +1, 3, 2}, {-1, +1, 0, -1}, {-1, -1, 0, -1},
    };
    for (const auto& r : ring) EXPECT_EQ(next_audio_device(r[0], r[1], r[2]), r[3]) << r[0] << r[1] << r[2];
}

TEST_F(AudioScreenTest, OutputDeviceCyclesThroughSdlsListAndTheDefault) {
    int n = device_count();
    snprintf(fe.settings.device, sizeof fe.settings.device, "no such device");
    pass();
    EXPECT_EQ(row("Output Device").value, "System default");
    if (n == 0) {
        right("Output Device");
        EXPECT_STREQ(fe.settings.device, "no such device") << "a disabled row";
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
