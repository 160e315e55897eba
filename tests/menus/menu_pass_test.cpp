// The menu pass: the empty stack, the screen drawn under an overlay, the
// confirmation dialog, the message box, the key-capture overlay, and the
// Player Controllers and About screens.
#include <cstring>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int U = 100;  // the UI unit of the 1280 x 960 test output

using MenuPassTest = MenuTest;

TEST_F(MenuPassTest, AnEmptyStackResumesAGameOrShowsTheMainMenu) {
    load_game(true);
    open({});
    pass();
    EXPECT_EQ(fe.menu_open, 0) << "a running game resumes";
    EXPECT_EQ(fe.release_latch, 1);

    fe.running = 0;
    open_audio_device();
    ASSERT_NE(fe.audio_device, 0u);
    SDL_PauseAudioDevice(fe.audio_device, 0);
    open({});
    pass();
    EXPECT_EQ(fe.menu_open, 1) << "without a game the menus cannot be left";
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED);

    open({SCREEN_ABOUT});  // the last screen closed
    press_back();
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
}

TEST_F(MenuPassTest, TheMainLoopRunsThePassOnceInstalled) {
    menus_install();
    fe.menu_open = 1;
    fe.screen_depth = 0;
    main_loop_pass();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "the empty stack became the main menu";
    frontend_set_menu_hooks(nullptr);
}

TEST_F(MenuPassTest, OnlyListedScreensAreDrawnUnderAnOverlay) {
    // The first row of a screen lies at (40, 146), above the panel.
    for (int screen : {SCREEN_MAIN, SCREEN_ABOUT, SCREEN_GADGETS, SCREEN_PLAYER_CONTROLLERS}) {
        open({screen, SCREEN_CONFIRM});
        clear_output();
        pass();
        bool listed = screen == SCREEN_MAIN;
        EXPECT_EQ(drawn_in(40, 146, 300, 40), listed) << "screen " << screen;
    }
}

// Enter, a click and the pointer belong to the overlay: the screen below
// neither acts nor moves its cursor.
TEST_F(MenuPassTest, TheScreenUnderAnOverlayGetsNoInput) {
    open({SCREEN_MAIN});
    pass();
    const MenuLayout& l = fe.menu.layout;
    int exit_row = 9;  // no ROM, no save states: Exit is the tenth row
    fe.feature_on[FEATURE_SAVE_STATES] = 0;
    fe.menu.cursor[SCREEN_MAIN] = exit_row;
    show_error("Note", "Something happened.");
    fe.menu_input.select = 1;
    fe.menu_input.mouse_x = l.list_left + 10;
    fe.menu_input.mouse_y = l.list_top + 2 * l.row_height + 5;
    fe.menu_input.mouse_moved = 1;
    pass();
    EXPECT_EQ(fe.quit_requested, 0);
    EXPECT_EQ(fe.menu.cursor[SCREEN_MAIN], exit_row);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "Enter dismissed the message box";
}

TEST_F(MenuPassTest, ConfirmationStartsOnNoArrowsChooseAndBackWins) {
    open({SCREEN_MAIN});
    fe.settings.deadzone = 55;
    show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore?");
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 1);
    fe.menu_input.select = 1;
    pass();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "No pops the dialog";
    EXPECT_EQ(fe.settings.deadzone, 55) << "and does nothing else";

    show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore?");
    fe.menu.cursor[SCREEN_CONFIRM] = 0;
    fe.menu_input.select = fe.menu_input.back = 1;
    pass();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_EQ(fe.settings.deadzone, 55) << "Back answers No, even with Enter on Yes";

    show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore?");
    fe.menu_input.up = fe.menu_input.down = 1;  // up first, then down
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 1);
    fe.menu_input.left = 1;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 0);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_CONFIRM})) << "no choice yet";
    fe.menu_input.select = 1;
    pass();
    EXPECT_EQ(fe.settings.deadzone, 30) << "Yes ran the action";
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
}

TEST_F(MenuPassTest, ThePointerSelectsAndClicksAButton) {
    open({SCREEN_MAIN});
    fe.settings.deadzone = 55;
    show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore?");
    // Yes: x from W/2 - 2u - u/5, top = py + ph - 36/100 u - bh.
    int ph = U * 250 / 100, py = (TEST_OUTPUT_H - ph) / 2, bh = U * 56 / 100;
    int yes_x = TEST_OUTPUT_W / 2 - 2 * U - U / 5, top = py + ph - U * 36 / 100 - bh;
    fe.menu_input.mouse_x = yes_x + 5;
    fe.menu_input.mouse_y = top + 5;
    fe.menu_input.mouse_moved = 1;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 0) << "hovering moves the cursor";
    fe.menu_input.mouse_x = yes_x + 2 * U - 1;
    fe.menu_input.mouse_y = top + bh - 1;
    fe.menu_input.click = 1;
    pass();
    EXPECT_EQ(fe.settings.deadzone, 30);
}

TEST_F(MenuPassTest, ConfirmationPixels) {
    fe.settings.accent = 3;
    open({SCREEN_ABOUT});  // not drawn beneath: the backdrop stays black
    show_confirm(CONFIRM_EXIT, 0, "Exit?");
    clear_output();
    pass();
    int pw = U * 760 / 100, ph = U * 250 / 100, px = (TEST_OUTPUT_W - pw) / 2, py = (TEST_OUTPUT_H - ph) / 2;
    EXPECT_EQ(pixel_at(px + 20, py + 1), argb(ACCENT_COLOURS[3])) << "accent strip across the top";
    int bh = U * 56 / 100, top = py + ph - U * 36 / 100 - bh;
    int yes_x = TEST_OUTPUT_W / 2 - 2 * U - U / 5, no_x = TEST_OUTPUT_W / 2 + U / 5;
    EXPECT_EQ(pixel_at(no_x + 10, top + bh / 2), argb(ACCENT_COLOURS[3])) << "No is the cursor button";
    EXPECT_EQ(pixel_at(yes_x + 10, top + bh / 2), argb(0xFF3E302C));
    EXPECT_TRUE(drawn_in(px + 20, py + U * 56 / 100, pw - 40, 26, pixel_at(px + 20, py + 30)))
        << "the question on its line";
}

// Each overlay shades the whole output: black at 0xA0 under the question,
// 0xAA under the message box and the key capture.
TEST_F(MenuPassTest, OverlaysShadeTheWholeOutput) {
    fe.capture_row = 0;
    fe.capture_start = SDL_GetPerformanceCounter();
    const int shades[][2] = {{SCREEN_CONFIRM, 0xA0}, {SCREEN_MESSAGE, 0xAA}, {SCREEN_KEY_CAPTURE, 0xAA}};
    for (const auto& s : shades) {
        for (int round = 0; round < 2; round++) {  // the layer made, then kept
            open({SCREEN_ABOUT, s[0]});
            clear_output(255, 255, 255);
            pass();
            int expect = 255 * (255 - s[1]) / 255;
            for (auto [x, y] : {std::pair{0, 0}, std::pair{TEST_OUTPUT_W - 1, TEST_OUTPUT_H - 1}, std::pair{600, 5}}) {
                uint32_t p = pixel_at(x, y);
                for (int shift : {0, 8, 16}) EXPECT_NEAR((int)(p >> shift & 0xFF), expect, 2) << "screen " << s[0];
            }
        }
    }
}

TEST_F(MenuPassTest, MessageBoxDismissalResumesOrReturnsToTheMainMenu) {
    load_game(true);
    show_error("Oops", "It broke.");
    EXPECT_EQ(fe.menu_open, 1);
    fe.menu_input.click = 1;
    pass();
    EXPECT_EQ(fe.menu_open, 0) << "with a game the game resumes";
    EXPECT_EQ(fe.running, 1);

    fe.running = 0;
    show_error("Oops", "It broke.");
    fe.menu_input.back = 1;
    pass();
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});

    open({SCREEN_PAUSE});
    show_error("Oops", "It broke.");
    pass();
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_MESSAGE})) << "stays until answered";
    fe.menu_input.select = 1;
    pass();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_PAUSE});
}

TEST_F(MenuPassTest, MessageBodyWrapsAndStopsAboveTheFooter) {
    int pw = U * 9, ph = U * 380 / 100, px = (TEST_OUTPUT_W - pw) / 2, py = (TEST_OUTPUT_H - ph) / 2;
    int left = px + U * 36 / 100, line = U * 28 / 100, first = py + U * 84 / 100;
    open({SCREEN_ABOUT});
    // Ten short lines: eight fit above py + ph - 80/100 u.
    show_error("T", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
    clear_output();
    pass();
    uint32_t panel = pixel_at(px + pw - 10, py + ph / 2);
    EXPECT_TRUE(drawn_in(left, first + 7 * line, 40, 20, panel)) << "the eighth line";
    EXPECT_FALSE(drawn_in(left, first + 8 * line, 40, 20, panel)) << "no ninth line";

    // One long line of words breaks at a space onto a second line.
    std::string words;
    for (int i = 0; i < 40; i++) words += "word ";
    show_error("T", "%s", words.c_str());
    clear_output();
    pass();
    panel = pixel_at(px + pw - 10, py + ph / 2);
    EXPECT_TRUE(drawn_in(left, first + line, 60, 20, panel));
    EXPECT_FALSE(drawn_in(px + pw - U * 36 / 100 + 2, first, U * 36 / 100 - 4, 20, panel))
        << "nothing beyond the width limit";

    // An empty line is a small gap, not a full line.
    show_error("T", "a\n\nb");
    clear_output();
    pass();
    panel = pixel_at(px + pw - 10, py + ph / 2);
    EXPECT_FALSE(drawn_in(left, first + line, 30, U * 14 / 100 - 2, panel)) << "the gap";
    EXPECT_TRUE(drawn_in(left, first + line + U * 14 / 100, 30, 20, panel));
}

class KeyCaptureTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        menus_install();
        load_game(true);
        open({SCREEN_PAUSE, SCREEN_CONTROLS});
    }
    void TearDown() override {
        frontend_set_menu_hooks(nullptr);
        MenuTest::TearDown();
    }

    void capture(int row, int column, int hotkey) {
        fe.capture_row = row;
        fe.capture_column = column;
        fe.capture_hotkey = hotkey;
        fe.capture_start = SDL_GetPerformanceCounter();
        push_screen(SCREEN_KEY_CAPTURE);
    }

    // Events go through SDL's queue and one main-loop pass.
    void key(SDL_Scancode sc, int repeat = 0) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.scancode = sc;
        e.key.repeat = (Uint8)repeat;
        send(e);
    }
    void button(int b) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERBUTTONDOWN;
        e.cbutton.button = (Uint8)b;
        send(e);
    }
    void axis(int a, int value) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION;
        e.caxis.axis = (Uint8)a;
        e.caxis.value = (Sint16)value;
        send(e);
    }
    void send(SDL_Event& e) {
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        main_loop_pass();
    }
    bool capturing() { return top_screen() == SCREEN_KEY_CAPTURE; }
};

TEST_F(KeyCaptureTest, KeysFillTheChosenColumn) {
    capture(2, 0, 0);
    key(SDL_SCANCODE_J, 1);
    EXPECT_TRUE(capturing()) << "a repeat is not a press";
    key(SDL_SCANCODE_J);
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fe.bindings[2].key1, SDL_SCANCODE_J);
    EXPECT_EQ(fe.bindings[2].key2, 13) << "the other fields stay";

    capture(HOTKEY_PAUSE, 1, 1);
    key(SDL_SCANCODE_K);
    EXPECT_EQ(fe.hotkeys[HOTKEY_PAUSE].key2, SDL_SCANCODE_K);
    EXPECT_EQ(fe.hotkeys[HOTKEY_PAUSE].key1, SDL_SCANCODE_PAUSE);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_CONTROLS}));
    EXPECT_FALSE(settings_written()) << "nothing is saved by the capture";
}

TEST_F(KeyCaptureTest, ButtonsAndSticksFillTheControllerColumn) {
    capture(0, 2, 0);
    key(SDL_SCANCODE_J);
    EXPECT_TRUE(capturing()) << "keys are ignored for the controller column";
    button(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fe.bindings[0].pad, SDL_CONTROLLER_BUTTON_Y);

    capture(1, 2, 0);
    axis(SDL_CONTROLLER_AXIS_RIGHTY, 24000);
    axis(SDL_CONTROLLER_AXIS_RIGHTY, -24000);
    EXPECT_TRUE(capturing()) << "24,000 is not enough";
    axis(SDL_CONTROLLER_AXIS_RIGHTY, 24001);
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fe.bindings[1].pad, 100 + 2 * SDL_CONTROLLER_AXIS_RIGHTY + 1);
    capture(1, 2, 0);
    axis(SDL_CONTROLLER_AXIS_LEFTX, -24001);
    EXPECT_EQ(fe.bindings[1].pad, 100);

    capture(1, 0, 0);
    button(SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(capturing()) << "buttons are ignored for a key column";
}

TEST_F(KeyCaptureTest, EscapeCancelsExceptForTheQuickMenuKey) {
    InputBinding before = fe.bindings[1];
    capture(1, 0, 0);
    key(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(capturing());
    EXPECT_EQ(memcmp(&before, &fe.bindings[1], sizeof before), 0);

    capture(HOTKEY_QUICK_SAVE, 2, 1);
    key(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(capturing()) << "a controller capture is cancelled too";

    fe.hotkeys[HOTKEY_MENU].key1 = SDL_SCANCODE_M;
    capture(HOTKEY_MENU, 0, 1);
    key(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fe.hotkeys[HOTKEY_MENU].key1, SDL_SCANCODE_ESCAPE);

    capture(HOTKEY_MENU, 2, 1);
    key(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(capturing()) << "only a button, a stick or the time ends this one";
    button(SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(fe.hotkeys[HOTKEY_MENU].pad, SDL_CONTROLLER_BUTTON_BACK);
}

TEST_F(KeyCaptureTest, FiveSecondsCancelTheCapture) {
    capture(1, 0, 0);
    fe.capture_start = SDL_GetPerformanceCounter() - fe.perf_freq * 49 / 10;
    pass();
    EXPECT_TRUE(capturing());
    fe.capture_start = SDL_GetPerformanceCounter() - fe.perf_freq * 51 / 10;
    pass();
    EXPECT_FALSE(capturing());
}

TEST_F(KeyCaptureTest, TheMainLoopStillHandlesWindowAndControllerEvents) {
    capture(1, 0, 0);
    SDL_Event added{};
    added.type = SDL_CONTROLLERDEVICEADDED;
    added.cdevice.which = 99;
    send(added);
    EXPECT_STREQ(fe.toast_text, "Controller connected");
    fe.input_held[0] = 0;
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    send(focus);
    EXPECT_EQ(fe.input_held[0], 1) << "focus loss reset the inputs";
    EXPECT_TRUE(capturing());
    // The pointer and the menu keys do not reach the menus meanwhile.
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    send(click);
    EXPECT_TRUE(capturing());
}

TEST_F(KeyCaptureTest, ARequestForNoBindingEndsTheOverlay) {
    capture(fe.adapter.input_count, 0, 0);
    pass();
    EXPECT_FALSE(capturing());
    capture(FE_HOTKEY_COUNT, 0, 1);
    key(SDL_SCANCODE_J);
    pass();
    EXPECT_FALSE(capturing());
}

TEST_F(MenuPassTest, PlayerControllersStepWithinTheirRangeAndSaveOnBack) {
    open({SCREEN_CONTROLS, SCREEN_PLAYER_CONTROLLERS});
    fe.settings.player_controller[0] = -1;
    press_left(SCREEN_PLAYER_CONTROLLERS, 0);
    EXPECT_EQ(fe.settings.player_controller[0], -1) << "Automatic is the lower end";
    select_row(SCREEN_PLAYER_CONTROLLERS, 0);
    EXPECT_EQ(fe.settings.player_controller[0], 0) << "activation adds one";
    fe.settings.player_controller[1] = 7;
    press_right(SCREEN_PLAYER_CONTROLLERS, 1);
    EXPECT_EQ(fe.settings.player_controller[1], 7) << "no wrap";
    EXPECT_FALSE(settings_written());
    EXPECT_EQ(help_of(SCREEN_PLAYER_CONTROLLERS, 0), "Coin, service and test accept every controller.");
    EXPECT_EQ(help_of(SCREEN_PLAYER_CONTROLLERS, 2), "Plug one in at any time; it is detected automatically.");
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_CONTROLS});
    std::string ini = read_text(settings_file());
    EXPECT_NE(ini.find("p1_controller = 0"), std::string::npos);
    EXPECT_NE(ini.find("p2_controller = 7"), std::string::npos);
}

TEST_F(MenuPassTest, PlayerControllersListConnectedControllers) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    fe.pads[0] = SDL_GameControllerOpen(index);
    ASSERT_NE(fe.pads[0], nullptr) << SDL_GetError();
    fe.pad_count = 1;
    fe.adapter.players = 9;  // four rows at the most
    open({SCREEN_PLAYER_CONTROLLERS});
    fe.menu.cursor[SCREEN_PLAYER_CONTROLLERS] = 4;  // the row of the connected controller
    fe.menu_input.up = 1;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_PLAYER_CONTROLLERS], 3);
    fe.menu_input.down = 1;
    fe.menu.cursor[SCREEN_PLAYER_CONTROLLERS] = 4;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_PLAYER_CONTROLLERS], 0) << "five rows: four players, one controller";
    EXPECT_EQ(help_of(SCREEN_PLAYER_CONTROLLERS, 4), "");
    SDL_GameControllerClose(fe.pads[0]);
    fe.pads[0] = nullptr;
    fe.pad_count = 0;
    SDL_JoystickDetachVirtual(index);
}

TEST_F(MenuPassTest, AboutShowsTheGameTextAndLeavesOnEnterOrBack) {
    open({SCREEN_MAIN, SCREEN_ABOUT});
    clear_output();
    pass();
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_ABOUT}));
    int line_h = text_line_height(U * 21 / 100);
    EXPECT_TRUE(drawn_in(U * 40 / 100, U * 160 / 100, 100, line_h)) << "first line at (40/100 u, 160/100 u)";
    EXPECT_FALSE(drawn_in(0, U * 160 / 100, U * 40 / 100 - 3, line_h)) << "left-aligned at x";
    EXPECT_TRUE(drawn_in(U * 40 / 100, U * 190 / 100, 100, line_h)) << "second line 30/100 u lower";
    fe.menu_input.select = 1;
    pass();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    open({SCREEN_MAIN, SCREEN_ABOUT});
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_FALSE(settings_written());
}

}  // namespace
