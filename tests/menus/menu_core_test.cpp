// The menu core over a bare screen of n rows: cursor movement, scrolling,
// activation and changes, the pointer, the events, the stick repeat, and
// the rule that a pass only draws once a row has acted.
#include <vector>

#include "tests/menus/menu_fixture.h"

namespace {

struct RowResult {
    int activated = 0, change = 0;
};

class MenuCoreTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        fe.menu_open = 1;
        fe.screen_stack[0] = SCREEN_EXTRAS;
        fe.screen_depth = 1;
        clear_menu_input();
    }

    // One pass of a screen with n rows; row `disabled` greyed.
    std::vector<RowResult> pass(int n, int disabled = -1) {
        std::vector<RowResult> out(n);
        menu_pass_begin();
        menu_begin_screen("Test", nullptr);
        for (int k = 0; k < n; k++) out[k].activated = menu_item("row", "v", k != disabled, &out[k].change, nullptr);
        menu_end_screen();
        clear_menu_input();
        return out;
    }
    int& cursor() { return fe.menu.cursor[SCREEN_EXTRAS]; }
    int& scroll() { return fe.menu.scroll[SCREEN_EXTRAS]; }
    // The pointer moved onto row i as drawn.
    void hover(int i) {
        const MenuLayout& l = fe.menu.layout;
        fe.menu_input.mouse_x = l.list_left + 5;
        fe.menu_input.mouse_y = l.list_top + (i - scroll()) * l.row_height + l.row_height / 4;
        fe.menu_input.mouse_moved = 1;
    }
};

TEST_F(MenuCoreTest, PlainUpAndDownWrapWhilePagesAndTheWheelStopAtTheEnds) {
    struct Move {
        const char* what;
        int rows, from;
        int32_t MenuInput::*key;
        int value, to;
    } moves[] = {
        {"up wraps", 5, 0, &MenuInput::up, 1, 4},
        {"down wraps", 5, 4, &MenuInput::down, 1, 0},
        {"page up stops", 5, 1, &MenuInput::page_up, 1, 0},
        {"page down stops", 5, 4, &MenuInput::page_down, 1, 4},
        {"the wheel away from the user is up, and stops", 5, 0, &MenuInput::wheel, 3, 0},
        {"the wheel towards the user", 5, 1, &MenuInput::wheel, -2, 3},
        {"the wheel stops at the last row", 5, 0, &MenuInput::wheel, -9, 4},
        {"a cursor past the rows comes back to the last", 4, 9, &MenuInput::click, 0, 3},
        {"a screen without rows leaves it alone", 0, 5, &MenuInput::down, 1, 5},
    };
    for (const Move& m : moves) {
        cursor() = m.from;
        fe.menu_input.*m.key = m.value;
        pass(m.rows);
        EXPECT_EQ(cursor(), m.to) << m.what;
    }
}

TEST_F(MenuCoreTest, OnlyTheEnabledCursorRowChangesOrActs) {
    cursor() = 1;
    fe.menu_input.left = fe.menu_input.right = 1;
    std::vector<RowResult> r = pass(5);
    EXPECT_EQ(r[1].change, +1) << "both arrows in one pass give +1";
    EXPECT_EQ(r[0].change + r[2].change, 0);
    cursor() = 2;
    fe.menu_input.select = fe.menu_input.left = 1;
    r = pass(4, 2);
    EXPECT_EQ(r[2].activated + r[2].change, 0) << "a disabled row is selectable but does nothing";
    EXPECT_EQ(cursor(), 2);
}

TEST_F(MenuCoreTest, ScrollingKeepsTheCursorVisibleAndHiddenRowsNeverAct) {
    pass(40);
    int visible = fe.menu.layout.visible_rows;
    ASSERT_LT(visible, 40);
    fe.menu_input.up = 1;  // wraps to the last row
    pass(40);
    EXPECT_EQ(cursor(), 39);
    EXPECT_EQ(scroll(), 40 - visible);
    cursor() = 0;  // row 0 is out of view: nothing it is given acts
    fe.menu_input.select = 1;
    EXPECT_EQ(pass(40)[0].activated, 0);
    EXPECT_EQ(scroll(), 0) << "the end of the pass brings it into view";
}

TEST_F(MenuCoreTest, AClickActsOnlyOnTheCursorRowAndMotionSelectsFirst) {
    pass(5);
    hover(3);
    fe.menu_input.mouse_moved = 0;
    fe.menu_input.click = 1;
    EXPECT_EQ(pass(5)[3].activated, 0);
    EXPECT_EQ(cursor(), 0);
    hover(3);
    fe.menu_input.click = 1;
    EXPECT_EQ(pass(5)[3].activated, 1);
    EXPECT_EQ(cursor(), 3);
}

TEST_F(MenuCoreTest, EventsSetFlagsNotCounts) {
    auto wheel = [](int y, uint32_t direction) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = y;
        e.wheel.direction = direction;
        return e;
    };
    SDL_Event right_click{};
    right_click.type = SDL_MOUSEBUTTONDOWN;
    right_click.button.button = SDL_BUTTON_RIGHT;
    const struct {
        SDL_Event event;
        int32_t MenuInput::*field;
        int expect;
    } cases[] = {
        // Key repeats never select, go back or bind; the arrows repeat.
        {key_event(SDL_SCANCODE_RETURN, 1), &MenuInput::select, 0},
        {key_event(SDL_SCANCODE_ESCAPE, 1), &MenuInput::back, 0},
        {key_event(SDL_SCANCODE_TAB, 1), &MenuInput::extra, 0},
        {key_event(SDL_SCANCODE_DOWN, 1), &MenuInput::down, 1},
        {key_event(SDL_SCANCODE_SPACE), &MenuInput::select, 1},
        {key_event(SDL_SCANCODE_KP_ENTER), &MenuInput::select, 1},
        {key_event(SDL_SCANCODE_BACKSPACE), &MenuInput::back, 1},
        {key_event(SDL_SCANCODE_TAB), &MenuInput::extra, 1},
        {key_event(SDL_SCANCODE_DELETE), &MenuInput::extra, 2},
        {key_event(SDL_SCANCODE_PAGEUP), &MenuInput::page_up, 1},
        {button_event(SDL_CONTROLLER_BUTTON_B), &MenuInput::back, 1},
        {button_event(SDL_CONTROLLER_BUTTON_X), &MenuInput::extra, 2},
        {button_event(SDL_CONTROLLER_BUTTON_Y), &MenuInput::extra, 1},
        {button_event(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER), &MenuInput::page_down, 1},
        {wheel(2, SDL_MOUSEWHEEL_NORMAL), &MenuInput::wheel, 4},  // the wheel adds up
        {wheel(2, SDL_MOUSEWHEEL_FLIPPED), &MenuInput::wheel, 4},  // already in the system's direction
        {right_click, &MenuInput::back, 1},
        {right_click, &MenuInput::click, 0},
    };
    for (const auto& c : cases) {
        clear_menu_input();
        menu_handle_event(&c.event);
        menu_handle_event(&c.event);  // twice in one pass
        EXPECT_EQ(fe.menu_input.*c.field, c.expect) << "case " << &c - cases;
    }

    SDL_Event m{};  // the first motion only gives the position
    m.type = SDL_MOUSEMOTION;
    m.motion.y = 200;
    for (auto [x, moved] : {std::pair{100, 0}, std::pair{100, 0}, std::pair{101, 1}}) {
        m.motion.x = x;
        menu_handle_event(&m);
        EXPECT_EQ(fe.menu_input.mouse_x, x);
        EXPECT_EQ(fe.menu_input.mouse_moved, moved) << x;
    }
}

// Once a row has acted or the screen changed, no later row acts, takes the
// hover or moves the cursor: a later row whose index equals the new
// screen's cursor must not fire.
TEST_F(MenuCoreTest, AfterARowActsTheRestOfThePassOnlyDraws) {
    fe.menu.cursor[SCREEN_DISPLAY] = 2;
    cursor() = 1;
    fe.menu_input.select = 1;
    menu_pass_begin();
    menu_begin_screen("Test", nullptr);
    int acted[4];
    for (int k = 0; k < 4; k++) {
        acted[k] = menu_item("row", nullptr, 1, nullptr, nullptr);
        if (k == 1 && acted[k]) push_screen(SCREEN_DISPLAY);
    }
    fe.menu_input.down = 1;
    menu_end_screen();
    EXPECT_EQ(std::vector<int>(acted, acted + 4), (std::vector<int>{0, 1, 0, 0}));
    EXPECT_EQ(fe.menu.cursor[SCREEN_DISPLAY], 2) << "the cursor does not move";

    // Enter on row 0 with the pointer moved onto row 3 in the same pass.
    fe.screen_depth = 1;
    pass(5);
    cursor() = 0;
    fe.menu_input.select = 1;
    hover(3);
    std::vector<RowResult> r = pass(5);
    EXPECT_EQ(std::pair(r[0].activated, r[3].activated), std::pair(1, 0));
    EXPECT_EQ(cursor(), 0);
}

TEST_F(MenuCoreTest, HelpComesFromTheSelectedRowEvenWhenDisabled) {
    cursor() = 1;
    menu_pass_begin();
    menu_begin_screen("Test", nullptr);
    menu_item("a", nullptr, 1, nullptr, "first");
    menu_item("b", nullptr, 0, nullptr, "second");
    menu_item("c", nullptr, 1, nullptr, "third");
    EXPECT_STREQ(fe.menu.help_text, "second");
    menu_end_screen();
    pass(0);
    EXPECT_STREQ(fe.menu.help_text, "") << "a screen without rows has none";
}

TEST_F(MenuCoreTest, AHeldStickStepsAtOnceThenAfter350ThenEvery110Ms) {
    VirtualPad pad;
    ASSERT_TRUE(pad.ok()) << SDL_GetError();
    auto stick = [&](int value) {
        SDL_JoystickSetVirtualAxis(pad.joystick, 1, (Sint16)value);
        SDL_GameControllerUpdate();
        fe.menu_input = MenuInput{};
        menu_stick_repeat();
        return fe.menu_input.down;
    };
    EXPECT_EQ(stick(30000), 1);
    EXPECT_GT(fe.menu.stick_deadline - SDL_GetPerformanceCounter(), fe.perf_freq * 300 / 1000);
    EXPECT_EQ(stick(30000), 0) << "not before the deadline";
    fe.menu.stick_deadline = 0;  // the deadline has passed
    EXPECT_EQ(stick(30000), 1);
    EXPECT_LT(fe.menu.stick_deadline - SDL_GetPerformanceCounter(), fe.perf_freq * 120 / 1000);
    EXPECT_EQ(stick(20000), 0) << "exactly the threshold is no deflection";
    EXPECT_EQ(fe.menu.stick_dir, 0);
}

}  // namespace
