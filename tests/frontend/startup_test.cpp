// The command line, the per-user folder name, the window size and the main
// loop's pacing decisions.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/main_loop.h"
#include "frontend/startup.h"

namespace {

// The options that differ from "not given", in the record's order.
std::string parse(std::vector<const char*> args) {
    args.insert(args.begin(), "talvex");
    CommandLine c;
    parse_command_line((int)args.size(), const_cast<char**>(args.data()), &c);
    std::string s;
    auto add = [&s](const char* name, const std::string& value) {
        s += std::string(s.empty() ? "" : " ") + name + value;
    };
    if (c.rom) add("rom=", c.rom);
    if (c.fullscreen != -1) add("fullscreen=", std::to_string(c.fullscreen));
    if (c.portable) add("portable", "");
    if (c.scale) add("scale=", std::to_string(c.scale));
    if (c.window_w || c.window_h) add("window=", std::to_string(c.window_w) + "x" + std::to_string(c.window_h));
    if (c.profile) add("profile=", c.profile);
    if (c.state) add("state=", c.state);
    if (c.no_menu) add("no-menu", "");
    if (c.rotate != -1) add("rotate=", std::to_string(c.rotate));
    if (c.frames) add("frames=", std::to_string(c.frames));
    if (c.screenshot) add("screenshot=", c.screenshot);
    if (c.help) add("help", "");
    return s;
}

TEST(CommandLine, EachOptionAndItsValue) {
    // clang-format off
    struct Case { std::vector<const char*> args; const char* options; } cases[] = {
        // "--help" stops the reading at once; case matters.
        {{"--scale", "4", "--help", "--frames", "9"}, "scale=4 help"}, {{"-h"}, "help"}, {{"-help", "--HELP"}, ""},
        // An option missing its value falls through to the bare arguments;
        // a value that looks like an option is still its value.
        {{"--scale"}, ""}, {{"--screenshot"}, ""}, {{"--rom", "--no-menu"}, "rom=--no-menu"},
        // The first bare argument is the ROM; "--rom" wins in either order.
        {{"a.zip", "b.zip"}, "rom=a.zip"}, {{"--rom", "a.zip", "b.zip"}, "rom=a.zip"},
        {{"b.zip", "--rom", "a.zip"}, "rom=a.zip"}, {{"-x", "--unknown"}, ""},
        // Numbers read as decimal with saturation.
        {{"--scale", "-2"}, "scale=-2"}, {{"--scale", "x3"}, ""}, {{"--scale", "  12abc"}, "scale=12"},
        {{"--scale", "010"}, "scale=10"}, {{"--rotate", "5"}, "rotate=5"}, {{"--rotate", "north"}, "rotate=0"},
        {{"--frames", "99999999999999999999"}, "frames=2147483647"},
        {{"--frames", "-99999999999999999999"}, "frames=-2147483648"},
        // The window size needs two numbers.
        {{"--window", "1280x800"}, "window=1280x800"}, {{"--window", "99999999999x5"}, "window=2147483647x5"},
        {{"--window", "1280*800"}, ""}, {{"--window", "1280x"}, ""}, {{"--fullscreen"}, "fullscreen=1"},
        {{"--fullscreen", "--windowed", "--portable", "--no-menu", "--profile", "p.json", "--state", "s.fest",
          "--screenshot", "out.png"}, "fullscreen=0 portable profile=p.json state=s.fest no-menu screenshot=out.png"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string line = "talvex";
        for (const char* a : c.args) line += std::string(" ") + a;
        EXPECT_EQ(parse(c.args), c.options) << line;
    }
}

TEST(SafeTitle, ColonsBecomeDashesAndForbiddenCharactersUnderscores) {
    // clang-format off
    struct Case { std::string title, safe; } cases[] = {
        {"Talvex: The Iron Pinions", "Talvex - The Iron Pinions"}, {"X/Y: Z", "X_Y - Z"},
        {"a<b>c\"d\\e|f?g*h:i", "a_b_c_d_e_f_g_h -i"}, {std::string(300, 'x'), std::string(125, 'x')},
    };
    // clang-format on
    for (const Case& c : cases) {
        char out[200];
        make_safe_title(c.title.c_str(), out, sizeof out);
        EXPECT_EQ(out, c.safe);
    }
}

TEST(WindowSize, TheDesktopFitFindsTheLargestScaleThatFits) {
    // 1920 x 1080: a 4:3 320 x 240 game fits 4x (960 high) but not 5x.
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 0, 8, 1920, 1080), 4);
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 0, 3, 1920, 1080), 3);
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 1, 20, 1920, 1080), 3);
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 0, 2000000000, 1920, 1080), 4);
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 0, 5, 100, 100), 1);
    // Exactly at the margins still fits.
    EXPECT_EQ(fit_window_scale(240, 4.0 / 3.0, 0, 9, 960 + 40, 720 + 80), 3);
}

const double PERIOD = 1000.0 / 59.5971;

TEST(Pacing, TheAccumulatorIsCappedAtFourPeriods) {
    EXPECT_DOUBLE_EQ(accumulate_frame_time(0, 5.0, PERIOD), 5.0);
    EXPECT_DOUBLE_EQ(accumulate_frame_time(10.0, 1000.0, PERIOD), 4 * PERIOD);
}

TEST(Pacing, DisplaySyncNeedsItsSettingEffectiveVsyncAndA59To61HzDisplay) {
    EXPECT_TRUE(display_sync_applies(1, 1, 60));
    EXPECT_TRUE(display_sync_applies(1, 1, 59));
    EXPECT_TRUE(display_sync_applies(1, 1, 61));
    EXPECT_FALSE(display_sync_applies(1, 1, 58));
    EXPECT_FALSE(display_sync_applies(1, 1, 62));
    EXPECT_FALSE(display_sync_applies(1, 1, 0));
    EXPECT_FALSE(display_sync_applies(1, 0, 60));
    EXPECT_FALSE(display_sync_applies(0, 1, 60));
}

TEST(Pacing, OnlyAnAcceleratedRendererWithVsyncWaitsForTheDisplay) {
    const uint32_t VSYNC = SDL_RENDERER_PRESENTVSYNC, ACCELERATED = SDL_RENDERER_ACCELERATED;
    EXPECT_TRUE(presents_wait_for_display(1, ACCELERATED | VSYNC | SDL_RENDERER_TARGETTEXTURE));
    EXPECT_TRUE(presents_wait_for_display(-1, VSYNC)) << "any non-zero setting is on";
    EXPECT_FALSE(presents_wait_for_display(0, ACCELERATED | VSYNC)) << "the setting is off";
    EXPECT_FALSE(presents_wait_for_display(1, ACCELERATED)) << "the renderer did not take vsync";
    EXPECT_FALSE(presents_wait_for_display(1, SDL_RENDERER_SOFTWARE | VSYNC)) << "the software fallback";
}

TEST(Pacing, SleepRules) {
    EXPECT_EQ(pass_sleep_ms(0, 0, 1, PERIOD, 0), 8);
    EXPECT_EQ(pass_sleep_ms(1, 1, 1, PERIOD, 0), 8);
    EXPECT_EQ(pass_sleep_ms(1, 0, 1, PERIOD, 0), -1);
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, PERIOD, 0), 15);     // 16.78 - 1, truncated
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, PERIOD, 14.5), 1);   // 1.28 is more than 1
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, PERIOD, 14.9), -1);  // 0.88 is not
}

TEST(Pacing, FrameLimit) {
    EXPECT_FALSE(frame_limit_reached(1000, 0));
    EXPECT_FALSE(frame_limit_reached(119, 120));
    EXPECT_TRUE(frame_limit_reached(120, 120));
    EXPECT_TRUE(frame_limit_reached(123, 120));
    EXPECT_FALSE(frame_limit_reached(1000000, -1));
}

}  // namespace
