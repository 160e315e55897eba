// The menu pass: the empty stack, the screen under an overlay, the
// confirmation dialog, the message box, the key-capture overlay, and the
// Player Controllers and About screens.
#include <cstring>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int U = 100;  // the UI unit of the 1280 x 960 test output
// The confirmation panel and its buttons on the test output.
constexpr int CONFIRM_X = (TEST_OUTPUT_W - U * 760 / 100) / 2, CONFIRM_Y = (TEST_OUTPUT_H - U * 250 / 100) / 2;
constexpr int BUTTON_H = U * 56 / 100, BUTTON_TOP = CONFIRM_Y + U * 250 / 100 - U * 36 / 100 - BUTTON_H;
constexpr int YES_X = TEST_OUTPUT_W / 2 - 2 * U - U / 5, NO_X = TEST_OUTPUT_W / 2 + U / 5;

using MenuPassTest = MenuTest;

TEST_F(MenuPassTest, AnEmptyStackResumesAGameOrShowsTheMainMenu) {
    load_game(true);
    open({});
    pass();
    EXPECT_EQ(std::pair(fe.menu_open, fe.release_latch), std::pair(0, 1)) << "a running game resumes";

    // No game: the menus cannot be left. The main loop runs the pass once
    // the menus are installed.
    fe.running = 0;
    open_audio_device();
    ASSERT_NE(fe.audio_device, 0u);
    SDL_PauseAudioDevice(fe.audio_device, 0);
    menus_install();
    open({});
    fe.menu.highlight_y = 30.0f;
    main_loop_pass();
    frontend_set_menu_hooks(nullptr);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_EQ(fe.menu.highlight_y, -1.0f) << "entered afresh";
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED);
    open({SCREEN_ABOUT});  // the last screen closed
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_EQ(fe.menu_open, 1);
}

// Enter, a click and the pointer belong to the overlay: the screen below is
// drawn (when it is one the pass lists) but neither acts nor moves its cursor.
TEST_F(MenuPassTest, TheScreenUnderAnOverlayIsDrawnOnlyIfListedAndGetsNoInput) {
    for (int screen : {SCREEN_MAIN, SCREEN_ABOUT, SCREEN_GADGETS, SCREEN_PLAYER_CONTROLLERS}) {
        open({screen, SCREEN_CONFIRM});
        draw();
        // The first row of a screen lies at (40, 146), above the panel.
        EXPECT_EQ(drawn_in(40, 146, 300, 40), screen == SCREEN_MAIN) << "screen " << screen;
    }
    open({SCREEN_MAIN});
    pass();
    const MenuLayout& l = fe.menu.layout;
    fe.feature_on[FEATURE_SAVE_STATES] = 0;
    fe.menu.cursor[SCREEN_MAIN] = 9;  // Exit, with no ROM and no save states
    show_error("Note", "Something happened.");
    fe.menu_input.mouse_x = l.list_left + 10;
    fe.menu_input.mouse_y = l.list_top + 2 * l.row_height + 5;
    fe.menu_input.mouse_moved = 1;
    select_row(SCREEN_MESSAGE, 0);
    EXPECT_EQ(fe.quit_requested, 0);
    EXPECT_EQ(fe.menu.cursor[SCREEN_MAIN], 9);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "Enter dismissed the message box";
}

TEST_F(MenuPassTest, ConfirmationStartsOnNoArrowsOrThePointerChooseAndBackWins) {
    // Yes on "restore controls" sets the dead zone back to 30.
    auto ask = [&] {
        fe.settings.deadzone = 55;
        show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore?");
    };
    auto answered = [&](int deadzone) {
        EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
        EXPECT_EQ(fe.settings.deadzone, deadzone);
    };
    open({SCREEN_MAIN});
    ask();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 1);
    press_at(SCREEN_CONFIRM, 1, &MenuInput::select);
    answered(55);  // No does nothing else
    ask();
    fe.menu_input.back = 1;
    select_row(SCREEN_CONFIRM, 0);
    answered(55);  // Back answers No, even with Enter on Yes

    ask();
    fe.menu_input.up = fe.menu_input.down = 1;  // up first, then down
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 1);
    fe.menu_input.left = 1;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 0);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_CONFIRM})) << "no choice yet";
    press_at(SCREEN_CONFIRM, 0, &MenuInput::select);
    answered(30);

    ask();
    fe.menu_input.mouse_x = YES_X + 5;
    fe.menu_input.mouse_y = BUTTON_TOP + 5;
    fe.menu_input.mouse_moved = 1;
    pass();
    EXPECT_EQ(fe.menu.cursor[SCREEN_CONFIRM], 0) << "hovering moves the cursor";
    fe.menu_input.mouse_x = YES_X + 2 * U - 1;  // the button's last pixel
    fe.menu_input.mouse_y = BUTTON_TOP + BUTTON_H - 1;
    fe.menu_input.click = 1;
    pass();
    answered(30);
}

TEST_F(MenuPassTest, ConfirmationPixels) {
    fe.settings.accent = 3;
    open({SCREEN_ABOUT});  // not drawn beneath: the backdrop stays black
    show_confirm(CONFIRM_EXIT, 0, "Exit?");
    draw();
    uint32_t accent = argb(ACCENT_COLOURS[3]);
    EXPECT_EQ(pixel_at(CONFIRM_X + 20, CONFIRM_Y + 1), accent) << "accent strip across the top";
    EXPECT_EQ(pixel_at(NO_X + 10, BUTTON_TOP + BUTTON_H / 2), accent) << "No is the cursor button";
    EXPECT_EQ(pixel_at(YES_X + 10, BUTTON_TOP + BUTTON_H / 2), argb(0xFF3E302C));
    EXPECT_TRUE(drawn_in(CONFIRM_X + 20, CONFIRM_Y + U * 56 / 100, 720, 26, pixel_at(CONFIRM_X + 20, CONFIRM_Y + 30)))
        << "the question on its line";
}

// Each overlay shades the whole output: black at 0xA0 under the question,
// 0xAA under the message box and the key capture.
TEST_F(MenuPassTest, OverlaysShadeTheWholeOutput) {
    fe.capture_start = SDL_GetPerformanceCounter();
    for (auto [screen, alpha] : {std::pair{SCREEN_CONFIRM, 0xA0}, {SCREEN_MESSAGE, 0xAA}, {SCREEN_KEY_CAPTURE, 0xAA}}) {
        for (int round = 0; round < 2; round++) {  // the layer made, then kept
            open({SCREEN_ABOUT, screen});
            clear_output(255, 255, 255);
            pass();
            for (auto [x, y] : {std::pair{0, 0}, {TEST_OUTPUT_W - 1, TEST_OUTPUT_H - 1}, {600, 5}})
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR((int)(pixel_at(x, y) >> shift & 0xFF), 255 - alpha, 2) << "screen " << screen;
        }
    }
}

TEST_F(MenuPassTest, MessageBoxDismissalResumesOrReturnsToTheMainMenu) {
    load_game(true);
    show_error("Oops", "It broke.");
    EXPECT_EQ(fe.menu_open, 1);
    press_at(SCREEN_MESSAGE, 0, &MenuInput::click);
    EXPECT_EQ(std::pair(fe.menu_open, fe.running), std::pair(0, 1)) << "with a game the game resumes";
    fe.running = 0;
    show_error("Oops", "It broke.");
    press_back();
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});

    open({SCREEN_PAUSE});
    show_error("Oops", "It broke.");
    pass();
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_MESSAGE})) << "stays until answered";
    select_row(SCREEN_MESSAGE, 0);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_PAUSE});
}

TEST_F(MenuPassTest, MessageBodyWrapsAndStopsAboveTheFooter) {
    const int pw = U * 9, ph = U * 380 / 100, px = (TEST_OUTPUT_W - pw) / 2, py = (TEST_OUTPUT_H - ph) / 2;
    const int left = px + U * 36 / 100, line = U * 28 / 100, first = py + U * 84 / 100;
    open({SCREEN_ABOUT});
    uint32_t panel = 0;
    auto show_text = [&](const std::string& text) {
        show_error("T", "%s", text.c_str());
        draw();
        panel = pixel_at(px + pw - 10, py + ph / 2);
    };
    show_text("1\n2\n3\n4\n5\n6\n7\n8\n9\n10");  // eight lines fit above py + ph - 80/100 u
    EXPECT_TRUE(drawn_in(left, first + 7 * line, 40, 20, panel)) << "the eighth line";
    EXPECT_FALSE(drawn_in(left, first + 8 * line, 40, 20, panel)) << "no ninth line";
    std::string words;
    for (int i = 0; i < 40; i++) words += "word ";
    show_text(words);
    EXPECT_TRUE(drawn_in(left, first + line, 60, 20, panel)) << "broken at a space onto a second line";
    EXPECT_FALSE(drawn_in(px + pw - U * 36 / 100 + 2, first, U * 36 / 100 - 4, 20, panel)) << "past the width";
    show_text("a\n\nb");
    EXPECT_FALSE(drawn_in(left, first + line, 30, U * 14 / 100 - 2, panel)) << "an empty line is a small gap";
    EXPECT_TRUE(drawn_in(left, first + line + U * 14 / 100, 30, 20, panel));
}

// Key capture: events go through SDL's queue and the main loop, with the
// menus installed, over a running game's Controls screen.
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
    // The events, one per main-loop pass; whether the capture still waits.
    bool send(std::initializer_list<SDL_Event> events) {
        for (SDL_Event e : events) {
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
            main_loop_pass();
        }
        return top_screen() == SCREEN_KEY_CAPTURE;
    }
    static SDL_Event axis(int a, int value) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION;
        e.caxis.axis = (Uint8)a;
        e.caxis.value = (Sint16)value;
        return e;
    }
    static std::tuple<int, int, int> fields(const InputBinding& b) { return {b.key1, b.key2, b.pad}; }
    static SDL_Event key_up(SDL_Scancode sc) {
        SDL_Event e = key_event(sc);
        e.type = SDL_KEYUP;
        return e;
    }
    static constexpr int FIRST_INPUT_ROW = 4;  // the first game input's row, under the four fixed rows
    const std::vector<int> CONTROLS{SCREEN_PAUSE, SCREEN_CONTROLS};
};

TEST_F(KeyCaptureTest, KeysButtonsAndSticksFillTheChosenColumnOnly) {
    const SDL_Event J = key_event(SDL_SCANCODE_J);
    capture(2, 0, 0);  // P1 Shot: Z, J, A
    EXPECT_TRUE(send({key_event(SDL_SCANCODE_J, 1), button_event(SDL_CONTROLLER_BUTTON_A)}))
        << "a repeat is no press, and a button no key";
    EXPECT_FALSE(send({key_event(SDL_SCANCODE_X)}));
    EXPECT_EQ(fields(fe.bindings[2]), std::tuple(SDL_SCANCODE_X, 13, 0));
    capture(HOTKEY_PAUSE, 1, 1);
    EXPECT_FALSE(send({key_event(SDL_SCANCODE_K)}));
    EXPECT_EQ(fields(fe.hotkeys[HOTKEY_PAUSE]), std::tuple(SDL_SCANCODE_PAUSE, SDL_SCANCODE_K, -1));
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_CONTROLS}));

    capture(0, 2, 0);
    EXPECT_TRUE(send({J})) << "keys are ignored for the controller column";
    EXPECT_FALSE(send({button_event(SDL_CONTROLLER_BUTTON_Y)}));
    EXPECT_EQ(fe.bindings[0].pad, SDL_CONTROLLER_BUTTON_Y);
    capture(1, 2, 0);
    EXPECT_TRUE(send({axis(SDL_CONTROLLER_AXIS_RIGHTY, 24000), axis(SDL_CONTROLLER_AXIS_RIGHTY, -24000)}))
        << "24,000 is not enough";
    EXPECT_FALSE(send({axis(SDL_CONTROLLER_AXIS_RIGHTY, 24001)}));
    EXPECT_EQ(fe.bindings[1].pad, 100 + 2 * SDL_CONTROLLER_AXIS_RIGHTY + 1);
    capture(1, 2, 0);
    send({axis(SDL_CONTROLLER_AXIS_LEFTX, -24001)});
    EXPECT_EQ(fe.bindings[1].pad, 100);
    EXPECT_FALSE(settings_written()) << "nothing is saved by the capture";
}

TEST_F(KeyCaptureTest, EscapeCancelsExceptForTheQuickMenuKey) {
    const SDL_Event ESC = key_event(SDL_SCANCODE_ESCAPE);
    InputBinding before = fe.bindings[1];
    capture(1, 0, 0);
    EXPECT_FALSE(send({ESC}));
    EXPECT_EQ(memcmp(&before, &fe.bindings[1], sizeof before), 0);
    capture(HOTKEY_QUICK_SAVE, 2, 1);
    EXPECT_FALSE(send({ESC})) << "a controller capture is cancelled too";

    fe.hotkeys[HOTKEY_MENU].key1 = SDL_SCANCODE_M;
    capture(HOTKEY_MENU, 0, 1);
    EXPECT_FALSE(send({ESC}));
    EXPECT_EQ(fe.hotkeys[HOTKEY_MENU].key1, SDL_SCANCODE_ESCAPE);
    capture(HOTKEY_MENU, 2, 1);
    EXPECT_TRUE(send({ESC})) << "only a button, a stick or the time ends this one";
    EXPECT_FALSE(send({button_event(SDL_CONTROLLER_BUTTON_BACK)}));
    EXPECT_EQ(fe.hotkeys[HOTKEY_MENU].pad, SDL_CONTROLLER_BUTTON_BACK);
}

TEST_F(KeyCaptureTest, FiveSecondsOrARequestForNoBindingEndTheOverlay) {
    capture(1, 0, 0);
    // A second of margin before the limit, so that a loaded machine running
    // the pass late does not cross it.
    fe.capture_start = SDL_GetPerformanceCounter() - fe.perf_freq * 4;
    pass();
    EXPECT_EQ(top_screen(), SCREEN_KEY_CAPTURE);
    fe.capture_start = SDL_GetPerformanceCounter() - fe.perf_freq * 51 / 10;
    pass();
    EXPECT_EQ(top_screen(), SCREEN_CONTROLS);
    capture(fe.adapter.input_count, 0, 0);
    pass();
    EXPECT_EQ(top_screen(), SCREEN_CONTROLS);
    capture(FE_HOTKEY_COUNT, 0, 1);
    EXPECT_FALSE(send({key_event(SDL_SCANCODE_J)}));
}

// Every key held when a capture ends is quiet until let go, also through a
// second capture: its repeats neither move the cursor off the row just
// bound nor open a capture; a key pressed meanwhile acts as ever.
TEST_F(KeyCaptureTest, KeysHeldWhenACaptureEndsRepeatToNoEffectUntilLetGo) {
    int& cursor = fe.menu.cursor[SCREEN_CONTROLS];
    const SDL_Event enter = key_event(SDL_SCANCODE_RETURN), down = key_event(SDL_SCANCODE_DOWN, 1);
    cursor = FIRST_INPUT_ROW;
    EXPECT_FALSE(send({enter, key_event(SDL_SCANCODE_DOWN), down, down}));
    EXPECT_TRUE(send({down, enter, down})) << "a second capture";
    EXPECT_FALSE(send({key_event(SDL_SCANCODE_RIGHT), down, key_event(SDL_SCANCODE_RIGHT, 1), down}));
    EXPECT_EQ(std::pair(fe.bindings[0].key1, cursor), std::pair((int)SDL_SCANCODE_RIGHT, FIRST_INPUT_ROW));
    send({key_event(SDL_SCANCODE_UP), down, key_event(SDL_SCANCODE_UP, 1)});
    EXPECT_EQ(cursor, FIRST_INPUT_ROW - 2) << "a key pressed after the capture acts and repeats";
    send({key_up(SDL_SCANCODE_DOWN), down});
    EXPECT_EQ(cursor, FIRST_INPUT_ROW - 1) << "let go, Down acts again";
    cursor = FIRST_INPUT_ROW;
    send({key_up(SDL_SCANCODE_RIGHT), key_event(SDL_SCANCODE_RIGHT)});
    EXPECT_EQ(std::pair(top_screen(), fe.capture_column), std::pair((int)SCREEN_KEY_CAPTURE, 1));
}

// A key held down as a real press leaves it: in SDL's own keyboard state,
// which pushed events do not touch. Let go again however the test ends.
class KeyHeldInState {
public:
    explicit KeyHeldInState(SDL_Scancode sc) : keys_(const_cast<Uint8*>(SDL_GetKeyboardState(nullptr))), sc_(sc) {
        keys_[sc_] = 1;
    }
    ~KeyHeldInState() { let_go(); }
    KeyHeldInState(const KeyHeldInState&) = delete;
    KeyHeldInState& operator=(const KeyHeldInState&) = delete;
    void let_go() { keys_[sc_] = 0; }

private:
    Uint8* keys_;
    SDL_Scancode sc_;
};

// A key held through a capture is quiet whatever ends it, even a key that
// never reached the overlay as an event: its repeats neither move the
// cursor nor act until it is let go.
TEST_F(KeyCaptureTest, AKeyHeldThroughACaptureIsQuietHoweverTheCaptureEnds) {
    int& cursor = fe.menu.cursor[SCREEN_CONTROLS];
    const SDL_Event down = key_event(SDL_SCANCODE_DOWN, 1);
    const SDL_Event timeout{};  // no event: the five seconds run out
    const struct {
        const char* what;
        int column;
        SDL_Event ending;
    } endings[] = {
        {"another key", 0, key_event(SDL_SCANCODE_K)},
        {"Escape", 1, key_event(SDL_SCANCODE_ESCAPE)},
        {"the timeout", 0, timeout},
        {"a controller button", 2, button_event(SDL_CONTROLLER_BUTTON_Y)},
    };
    for (const auto& e : endings) {
        SCOPED_TRACE(e.what);
        KeyHeldInState held(SDL_SCANCODE_DOWN);
        cursor = FIRST_INPUT_ROW;
        capture(0, e.column, 0);
        if (e.ending.type) {
            EXPECT_FALSE(send({e.ending}));
        } else {
            fe.capture_start = SDL_GetPerformanceCounter() - fe.perf_freq * 6;
            main_loop_pass();
        }
        ASSERT_EQ(stack(), CONTROLS);
        send({down, down});
        EXPECT_EQ(std::pair(stack(), cursor), std::pair(CONTROLS, FIRST_INPUT_ROW)) << "the held key repeated";
        held.let_go();
        send({key_up(SDL_SCANCODE_DOWN), down});
        EXPECT_EQ(cursor, FIRST_INPUT_ROW + 1) << "let go, it acts again";
    }
}

// Every axis held past the threshold when a capture ends is quiet until it
// is back inside, while its value keeps changing (each change an event): it
// neither steps the menu nor opens or ends a capture, in the pass the
// capture ends or later. A release during play counts too.
TEST_F(KeyCaptureTest, AxesHeldWhenACaptureEndsStayQuietUntilLetGo) {
    int& cursor = fe.menu.cursor[SCREEN_CONTROLS];
    const SDL_Event tab = key_event(SDL_SCANCODE_TAB);
    const int X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY, TRIGGER = SDL_CONTROLLER_AXIS_TRIGGERLEFT;
    VirtualPad pad;
    ASSERT_TRUE(pad.ok()) << SDL_GetError();
    SDL_JoystickSetVirtualAxis(pad.joystick, TRIGGER, -32768);  // a trigger at rest
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    int step = 0;
    auto hold = [&](int axis, bool held, int passes) {  // past the threshold, never quite still
        for (int i = 0; i < passes; i++, step++) {
            SDL_JoystickSetVirtualAxis(pad.joystick, axis,
                                       (Sint16)(held              ? 30000 + step % 4 * 500
                                                : axis == TRIGGER ? -32768
                                                                  : 0));
            fe.menu.stick_deadline = 0;  // the repeat delay run out
            main_loop_pass();
        }
    };
    auto quiet = [&](const char* what) {
        EXPECT_EQ(std::pair(stack(), cursor), std::pair(CONTROLS, FIRST_INPUT_ROW)) << what;
    };
    cursor = FIRST_INPUT_ROW;
    EXPECT_TRUE(send({tab}));
    hold(X, true, 5);
    quiet("the stick bound and held");
    EXPECT_TRUE(send({tab}));
    hold(X, true, 3);
    hold(TRIGGER, true, 1);
    EXPECT_EQ(fe.bindings[0].pad, 100 + 2 * TRIGGER + 1) << "the held stick did not end this capture";
    quiet("the pass a trigger's capture ends");
    hold(X, true, 4);
    quiet("the stick after the trigger's capture");
    hold(X, false, 1);
    hold(TRIGGER, false, 1);
    hold(X, true, 1);
    EXPECT_TRUE(top_screen() == SCREEN_KEY_CAPTURE && fe.capture_column == 1) << "let go, the stick acts";
    EXPECT_FALSE(send({key_event(SDL_SCANCODE_K)}));
    hold(X, true, 5);
    quiet("the stick that opened a capture a key ended");
    hold(X, false, 1);

    EXPECT_TRUE(send({tab}));
    hold(Y, true, 1);
    close_menu_and_resume();  // left with the bound stick held, let go during play
    hold(Y, true, 2);
    hold(Y, false, 1);
    open({SCREEN_PAUSE, SCREEN_CONTROLS});
    hold(Y, true, 1);
    EXPECT_EQ(cursor, FIRST_INPUT_ROW + 1);
}

TEST_F(KeyCaptureTest, TheMainLoopStillHandlesWindowAndControllerEvents) {
    capture(1, 0, 0);
    SDL_Event added{}, focus{}, click{};
    added.type = SDL_CONTROLLERDEVICEADDED;
    added.cdevice.which = 99;
    EXPECT_TRUE(send({added}));
    EXPECT_EQ(toast(), "Controller connected");
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    click.type = SDL_MOUSEBUTTONDOWN;  // the pointer does not reach the menus meanwhile
    click.button.button = SDL_BUTTON_RIGHT;
    fe.input_held[0] = 0;
    EXPECT_TRUE(send({focus, click}));
    EXPECT_EQ(fe.input_held[0], 1) << "focus loss reset the inputs";
}

TEST_F(MenuPassTest, PlayerControllersStepWithinTheirRangeListPadsAndSaveOnBack) {
    VirtualPad pad;
    ASSERT_TRUE(pad.ok()) << SDL_GetError();
    const int s = SCREEN_PLAYER_CONTROLLERS;
    fe.adapter.players = 9;  // four rows at the most
    open({SCREEN_CONTROLS, s});
    EXPECT_EQ(row_count(s), 5) << "four players, one controller";
    EXPECT_EQ(help_of(s, 0), "Coin, service and test accept every controller.");
    EXPECT_EQ(help_of(s, 4), "") << "the connected controller's row";
    const int steps[][4] = {
        // row, from, key (0 left, 1 right, 2 Enter), to
        {0, -1, 0, -1},  // Automatic is the lower end
        {0, -1, 2, 0},   // activation adds one
        {1, 7, 1, 7},    // no wrap
        {2, INT32_MIN, 0, -1},
    };
    for (const auto& t : steps) {
        fe.settings.player_controller[t[0]] = t[1];
        press_at(s, t[0], t[2] == 0 ? LEFT : t[2] == 1 ? RIGHT : SELECT);
        EXPECT_EQ(fe.settings.player_controller[t[0]], t[3]) << "row " << t[0] << " from " << t[1];
    }
    expect_back_writes({"p1_controller = 0", "p2_controller = 7"});
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_CONTROLS});

    fe.adapter.players = 2;
    fe.pad_count = 0;  // unplugged
    open({s});
    EXPECT_EQ(row_count(s), 3);
    EXPECT_EQ(help_of(s, 2), "Plug one in at any time; it is detected automatically.");
}

TEST_F(MenuPassTest, AboutShowsTheGameTextAndLeavesOnEnterOrBack) {
    open({SCREEN_MAIN, SCREEN_ABOUT});
    draw();
    int line_h = text_line_height(U * 21 / 100);
    EXPECT_TRUE(drawn_in(U * 40 / 100, U * 160 / 100, 100, line_h)) << "first line at (40/100 u, 160/100 u)";
    EXPECT_FALSE(drawn_in(0, U * 160 / 100, U * 40 / 100 - 3, line_h)) << "left-aligned at x";
    EXPECT_TRUE(drawn_in(U * 40 / 100, U * 190 / 100, 100, line_h)) << "second line 30/100 u lower";
    for (auto key : {&MenuInput::select, &MenuInput::back}) {
        open({SCREEN_MAIN, SCREEN_ABOUT});
        press_at(SCREEN_ABOUT, 0, key);
        EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    }
    EXPECT_FALSE(settings_written());
}

}  // namespace
