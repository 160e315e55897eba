// The screen stack, toasts, confirmations and the message box.
#include <string>

#include "frontend/toast.h"
#include "tests/frontend/pads_and_probes.h"

namespace {

using ToastTest = PadTest;

TEST_F(ToastTest, ALaterToastReplacesTheCurrentOneForTwoSecondsAndIsLoggedAsItStands) {
    show_toast("first");
    uint64_t before = SDL_GetPerformanceCounter();
    show_toast("Slot %d", 3);
    uint64_t after = SDL_GetPerformanceCounter();
    EXPECT_STREQ(fe.toast_text, "Slot 3");
    EXPECT_GE(fe.toast_expiry, before + 2 * fe.perf_freq);
    EXPECT_LE(fe.toast_expiry, after + 2 * fe.perf_freq);
    std::string text(300, 'x');
    show_toast("%s", text.c_str());
    EXPECT_EQ(std::string(fe.toast_text), text.substr(0, 159));
    show_toast("%s", "100% done %d %s %n");
    EXPECT_STREQ(fe.toast_text, "100% done %d %s %n");
    show_error("ROM not usable", "%s", "bad % file");
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"first", "Slot 3", text.substr(0, 159), "100% done %d %s %n",
                                                        "ROM not usable: bad % file"}));
}

TEST(ToastLayout, BoxSitsCentredAboveTheBottomEdge) {
    auto fields = [](ToastBox b) { return std::vector<int>{b.text_size, b.w, b.h, b.x, b.bottom, b.y, b.text_y}; };
    EXPECT_EQ(fields(toast_box(1280, 960, 100, 200, 30)), (std::vector<int>{22, 240, 48, 520, 920, 872, 880}));
    // Each size rounds toward zero on its own.
    EXPECT_EQ(fields(toast_box(641, 481, 45, 101, 13)), (std::vector<int>{9, 119, 21, 261, 463, 442, 445}));
}

TEST_F(ToastTest, TheToastIsDrawnUntilItExpires) {
    fe.ui_unit = 100;
    show_toast("Saved to slot 1");
    int s = toast_text_size(fe.ui_unit);
    ToastBox box =
        toast_box(TEST_OUTPUT_W, TEST_OUTPUT_H, fe.ui_unit, measure_text_width(fe.toast_text, s), text_line_height(s));
    uint32_t accent = accent_colour();
    uint32_t accent_argb =
        (accent & 0xFF000000u) | (accent & 0xFFu) << 16 | (accent & 0xFF00u) | (accent >> 16 & 0xFFu);
    clear_output();
    draw_toast(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(box.x + 30, box.bottom - 1), accent_argb);
    EXPECT_NE(pixel_at(box.x + 30, box.y + box.h / 2), 0xFF000000u);
    EXPECT_EQ(pixel_at(box.x - 2, box.y + box.h / 2), 0xFF000000u);

    fe.toast_expiry = SDL_GetPerformanceCounter() - 1;
    clear_output();
    draw_toast(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(box.x + 30, box.bottom - 1), 0xFF000000u);
}

TEST_F(ToastTest, TheStackHoldsSixteenScreensAndEveryChangeRestartsTheTiming) {
    EXPECT_EQ(top_screen(), -1);
    for (int i = 0; i < 16; i++) push_screen(i);
    fe.menu.highlight_y = 40.0f;
    fe.menu.open_time = 0;
    push_screen(SCREEN_KEY_CAPTURE);
    EXPECT_EQ(fe.screen_depth, 16);
    EXPECT_EQ(top_screen(), 15);
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);
    EXPECT_NE(fe.menu.open_time, 0u);

    pop_screen();
    EXPECT_EQ(top_screen(), 14);
    while (fe.screen_depth > 0) pop_screen();
    fe.menu.highlight_y = 12.0f;
    pop_screen();
    EXPECT_EQ(fe.screen_depth, 0);
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);
}

TEST_F(ToastTest, AConfirmationAsksWithNoSelectedOverTheCurrentScreen) {
    fe.menu_open = 1;
    push_screen(SCREEN_PAUSE);
    show_confirm(CONFIRM_RESTART, 4, "Restart the game? %s", "Unsaved progress will be lost.");
    EXPECT_STREQ(fe.confirm_text, "Restart the game? Unsaved progress will be lost.");
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 1);
    EXPECT_EQ(fe.screen_depth, 2);
    EXPECT_EQ(top_screen(), SCREEN_CONFIRM);
    std::string long_text(400, 'q');
    show_confirm(CONFIRM_EXIT, 0, "%s", long_text.c_str());
    EXPECT_EQ(std::string(fe.confirm_text), long_text.substr(0, 255));
    EXPECT_TRUE(log_messages().empty());
}

TEST_F(ToastTest, AnErrorWithNoMenuOpensTheMenuOnTheMessageAlone) {
    load_fake_game_running();
    fe.screen_depth = 3;
    fe.input_word = 0x10;
    fake_game.inputs = 0x10;
    show_error("The game stopped", "%s\n\n%s", "first", "100%");
    EXPECT_STREQ(fe.message_title, "The game stopped");
    EXPECT_STREQ(fe.message_text, "first\n\n100%");
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(fe.screen_depth, 1);
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
    EXPECT_EQ(fe.running, 1);
    EXPECT_EQ(fake_game.inputs, 0u);  // the menu's input reset

    push_screen(SCREEN_AUDIO);
    show_error(std::string(100, 't').c_str(), "%s", std::string(900, 'm').c_str());
    EXPECT_EQ(fe.screen_depth, 3);
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
    EXPECT_EQ(std::string(fe.message_title), std::string(63, 't'));
    EXPECT_EQ(std::string(fe.message_text), std::string(699, 'm'));
}

}  // namespace
