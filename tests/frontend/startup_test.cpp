// The command line, the per-user folder name, the window size and the main
// loop's pacing decisions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/main_loop.h"
#include "frontend/startup.h"

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "talvex");
    CommandLine cl;
    parse_command_line((int)args.size(), const_cast<char**>(args.data()), &cl);
    return cl;
}

TEST(CommandLine, HelpStopsReadingAtOnceAndCaseMatters) {
    CommandLine cl = parse({"--scale", "4", "--help", "--frames", "9"});
    EXPECT_TRUE(cl.help);
    EXPECT_EQ(cl.scale, 4);
    EXPECT_EQ(cl.frames, 0);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_FALSE(parse({"-help"}).help);
    EXPECT_FALSE(parse({"--HELP"}).help);
}

TEST(CommandLine, AnOptionMissingItsValueFallsThroughToTheOtherArguments) {
    CommandLine cl = parse({"--scale"});
    EXPECT_EQ(cl.scale, 0);
    EXPECT_EQ(cl.rom, nullptr);
    cl = parse({"--screenshot"});
    EXPECT_EQ(cl.screenshot, nullptr);
    // A value that looks like an option is still taken as the value.
    cl = parse({"--rom", "--no-menu"});
    ASSERT_NE(cl.rom, nullptr);
    EXPECT_STREQ(cl.rom, "--no-menu");
    EXPECT_FALSE(cl.no_menu);
}

TEST(CommandLine, TheFirstBareArgumentIsTheRomAndRomWinsInEitherOrder) {
    EXPECT_STREQ(parse({"a.zip", "b.zip"}).rom, "a.zip");
    EXPECT_STREQ(parse({"--rom", "a.zip", "b.zip"}).rom, "a.zip");
    EXPECT_STREQ(parse({"b.zip", "--rom", "a.zip"}).rom, "a.zip");
    EXPECT_EQ(parse({"-x", "--unknown"}).rom, nullptr);
}

TEST(CommandLine, NumbersReadAsDecimalWithSaturation) {
    EXPECT_EQ(parse({"--scale", "0"}).scale, 0);
    EXPECT_EQ(parse({"--scale", "-2"}).scale, -2);
    EXPECT_EQ(parse({"--scale", "20"}).scale, 20);
    EXPECT_EQ(parse({"--scale", "x3"}).scale, 0);
    EXPECT_EQ(parse({"--rotate", "5"}).rotate, 5);
    EXPECT_EQ(parse({"--rotate", "north"}).rotate, 0);
    EXPECT_EQ(parse({}).rotate, -1);
    EXPECT_EQ(parse({"--frames", "99999999999999999999"}).frames, INT_MAX);
    EXPECT_EQ(parse({"--frames", "-99999999999999999999"}).frames, INT_MIN);
    EXPECT_EQ(parse_decimal("  12abc"), 12);
    EXPECT_EQ(parse_decimal("010"), 10);
}

TEST(CommandLine, WindowSizeNeedsTwoNumbers) {
    CommandLine cl = parse({"--window", "1280x800"});
    EXPECT_EQ(cl.window_w, 1280);
    EXPECT_EQ(cl.window_h, 800);
    cl = parse({"--window", "1280*800"});
    EXPECT_EQ(cl.window_w, 0);
    EXPECT_EQ(cl.window_h, 0);
    cl = parse({"--window", "1280x"});
    EXPECT_EQ(cl.window_w, 0);
    int w = 0, h = 0;
    EXPECT_EQ(parse_window_size("99999999999x5", &w, &h), 1);
    EXPECT_EQ(w, INT_MAX);
    EXPECT_EQ(h, 5);
}

TEST(CommandLine, FlagsAndOverrides) {
    CommandLine cl = parse({"--fullscreen", "--windowed", "--portable", "--no-menu", "--profile", "p.json", "--state",
                            "s.fest", "--screenshot", "out.png"});
    EXPECT_EQ(cl.fullscreen, 0);
    EXPECT_TRUE(cl.portable);
    EXPECT_TRUE(cl.no_menu);
    EXPECT_STREQ(cl.profile, "p.json");
    EXPECT_STREQ(cl.state, "s.fest");
    EXPECT_STREQ(cl.screenshot, "out.png");
    EXPECT_EQ(parse({}).fullscreen, -1);
}

TEST(Usage, ThirteenLinesWithTheProgramAndTheArchive) {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    print_usage(out, "./talvex", "talvex.zip");
    fclose(out);
    std::string s(text, size);
    free(text);
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 13);
    EXPECT_EQ(s.rfind("./talvex\n  --rom PATH        ROM archive (talvex.zip)\n", 0), 0u);
    EXPECT_NE(s.find("  --screenshot FILE write a PNG of the last frame at exit\n"), std::string::npos);
}

TEST(SafeTitle, ColonsBecomeDashesAndForbiddenCharactersUnderscores) {
    char out[200];
    make_safe_title("Talvex: The Iron Pinions", out, sizeof out);
    EXPECT_STREQ(out, "Talvex - The Iron Pinions");
    make_safe_title("X/Y: Z", out, sizeof out);
    EXPECT_STREQ(out, "X_Y - Z");
    make_safe_title("a<b>c\"d\\e|f?g*h:i", out, sizeof out);
    EXPECT_STREQ(out, "a_b_c_d_e_f_g_h -i");
    std::string long_title(300, 'x');
    make_safe_title(long_title.c_str(), out, sizeof out);
    EXPECT_EQ(strlen(out), 125u);
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

TEST(Pacing, TheAccumulatorIsCappedAtFourPeriods) {
    const double p = 1000.0 / 59.5971;
    EXPECT_DOUBLE_EQ(accumulate_frame_time(0, 5.0, p), 5.0);
    EXPECT_DOUBLE_EQ(accumulate_frame_time(10.0, 1000.0, p), 4 * p);
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

TEST(Pacing, SleepRules) {
    const double p = 1000.0 / 59.5971;
    EXPECT_EQ(pass_sleep_ms(0, 0, 1, p, 0), 8);
    EXPECT_EQ(pass_sleep_ms(1, 1, 1, p, 0), 8);
    EXPECT_EQ(pass_sleep_ms(1, 0, 1, p, 0), -1);
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, p, 0), 15);     // 16.78 - 1, truncated
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, p, 14.5), 1);   // 1.28 is more than 1
    EXPECT_EQ(pass_sleep_ms(1, 0, 0, p, 14.9), -1);  // 0.88 is not
}

TEST(Pacing, FrameLimit) {
    EXPECT_FALSE(frame_limit_reached(1000, 0));
    EXPECT_FALSE(frame_limit_reached(119, 120));
    EXPECT_TRUE(frame_limit_reached(120, 120));
    EXPECT_TRUE(frame_limit_reached(123, 120));
    EXPECT_FALSE(frame_limit_reached(1000000, -1));
}

}  // namespace
