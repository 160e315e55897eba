// The menu core: cursor movement, wrapping, scrolling, activation, value
// changes, the pointer, the wheel, the stick repeat and the rule that a
// pass only draws once a row has acted or the screen has changed.
#include <gtest/gtest.h>

#include <vector>

#include "menus/menus.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

struct RowResult {
    int activated = 0;
    int change = 0;
};

class MenuCoreTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        fe.menu_open = 1;
        fe.screen_stack[0] = SCREEN_EXTRAS;
        fe.screen_depth = 1;
        fe.menu.highlight_y = -1;
    }

    // One pass of a screen with `rows` rows; row k disabled when listed.
    std::vector<RowResult> pass(int rows, std::vector<int> disabled = {}) {
        std::vector<RowResult> out(rows);
        menu_pass_begin();
        menu_begin_screen("Test", nullptr);
        for (int k = 0; k < rows; k++) {
            bool enabled = std::find(disabled.begin(), disabled.end(), k) == disabled.end();
            out[k].activated = menu_item("row", "value", enabled, &out[k].change, nullptr);
        }
        menu_end_screen();
        fe.menu_input = MenuInput{};
        fe.menu_input.mouse_x = fe.menu_input.mouse_y = -1;
        return out;
    }

    int& cursor() { return fe.menu.cursor[SCREEN_EXTRAS]; }
    int& scroll() { return fe.menu.scroll[SCREEN_EXTRAS]; }

    // The y of the middle of row i as drawn (scroll s).
    int row_middle(int i) {
        const MenuLayout& l = fe.menu.layout;
        return l.list_top + (i - scroll()) * l.row_height + l.row_height / 4;
    }
};

TEST_F(MenuCoreTest, PlainUpAndDownWrapWhilePagesAndTheWheelStopAtTheEnds) {
    pass(5);
    fe.menu_input.up = 1;
    pass(5);
    EXPECT_EQ(cursor(), 4);
    fe.menu_input.down = 1;
    pass(5);
    EXPECT_EQ(cursor(), 0);
    cursor() = 1;
    fe.menu_input.page_up = 1;
    pass(5);
    EXPECT_EQ(cursor(), 0);
    fe.menu_input.wheel = 3;  // away from the user: up
    pass(5);
    EXPECT_EQ(cursor(), 0);
    fe.menu_input.wheel = -9;
    pass(5);
    EXPECT_EQ(cursor(), 4);
    fe.menu_input.page_down = 1;
    pass(5);
    EXPECT_EQ(cursor(), 4);
}

TEST_F(MenuCoreTest, FlagsNotCountsAndBothArrowsGivePlusOne) {
    pass(5);
    fe.menu_input.down = 1;  // two presses in one pass are one flag
    pass(5);
    EXPECT_EQ(cursor(), 1);
    fe.menu_input.left = fe.menu_input.right = 1;
    std::vector<RowResult> r = pass(5);
    EXPECT_EQ(r[1].change, +1);
    EXPECT_EQ(r[0].change, 0);
}

TEST_F(MenuCoreTest, DisabledRowsCanBeSelectedButDoNothing) {
    cursor() = 2;
    fe.menu_input.select = fe.menu_input.left = 1;
    std::vector<RowResult> r = pass(4, {2});
    EXPECT_EQ(r[2].activated, 0);
    EXPECT_EQ(r[2].change, 0);
}

TEST_F(MenuCoreTest, ACursorPastTheRowsComesBackToTheLastRow) {
    cursor() = 9;
    std::vector<RowResult> r = pass(4);
    EXPECT_EQ(cursor(), 3);
    fe.menu_input.select = 1;
    r = pass(4);
    EXPECT_EQ(r[3].activated, 1);
}

TEST_F(MenuCoreTest, ScrollingKeepsTheCursorVisibleAndHiddenRowsNeverAct) {
    pass(40);
    int visible = fe.menu.layout.visible_rows;
    ASSERT_LT(visible, 40);
    fe.menu_input.up = 1;  // wraps to the last row
    pass(40);
    EXPECT_EQ(cursor(), 39);
    EXPECT_EQ(scroll(), 40 - visible);
    // Row 0 is out of view: nothing it is given acts.
    fe.menu_input.select = 1;
    std::vector<RowResult> r = pass(40);
    EXPECT_EQ(r[0].activated, 0);
    EXPECT_EQ(r[39].activated, 1);
}

TEST_F(MenuCoreTest, AClickActsOnlyOnTheCursorRowAndMotionSelectsFirst) {
    pass(5);
    const MenuLayout& l = fe.menu.layout;
    fe.menu_input.mouse_x = l.list_left + 5;
    fe.menu_input.mouse_y = row_middle(3);
    fe.menu_input.click = 1;
    std::vector<RowResult> r = pass(5);
    EXPECT_EQ(r[3].activated, 0);
    EXPECT_EQ(cursor(), 0);
    fe.menu_input.mouse_x = l.list_left + 5;
    fe.menu_input.mouse_y = row_middle(3);
    fe.menu_input.mouse_moved = 1;
    fe.menu_input.click = 1;
    r = pass(5);
    EXPECT_EQ(cursor(), 3);
    EXPECT_EQ(r[3].activated, 1);
}

TEST_F(MenuCoreTest, TheFirstMotionEventOnlyGivesThePosition) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 100;
    e.motion.y = 200;
    menu_handle_event(&e);
    EXPECT_EQ(fe.menu_input.mouse_moved, 0);
    EXPECT_EQ(fe.menu_input.mouse_x, 100);
    menu_handle_event(&e);  // the same position again
    EXPECT_EQ(fe.menu_input.mouse_moved, 0);
    e.motion.x = 101;
    menu_handle_event(&e);
    EXPECT_EQ(fe.menu_input.mouse_moved, 1);
}

TEST_F(MenuCoreTest, EventsFillTheRecord) {
    auto key = [](SDL_Scancode sc, int repeat) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.scancode = sc;
        e.key.repeat = (Uint8)repeat;
        menu_handle_event(&e);
    };
    key(SDL_SCANCODE_RETURN, 1);
    key(SDL_SCANCODE_ESCAPE, 1);
    EXPECT_EQ(fe.menu_input.select, 0) << "repeats never select";
    EXPECT_EQ(fe.menu_input.back, 0);
    key(SDL_SCANCODE_DOWN, 1);
    EXPECT_EQ(fe.menu_input.down, 1) << "arrows repeat";
    key(SDL_SCANCODE_KP_ENTER, 0);
    key(SDL_SCANCODE_BACKSPACE, 0);
    key(SDL_SCANCODE_TAB, 0);
    EXPECT_EQ(fe.menu_input.select, 1);
    EXPECT_EQ(fe.menu_input.back, 1);
    EXPECT_EQ(fe.menu_input.extra, 1);
    key(SDL_SCANCODE_DELETE, 0);
    EXPECT_EQ(fe.menu_input.extra, 2);

    SDL_Event b{};
    b.type = SDL_CONTROLLERBUTTONDOWN;
    b.cbutton.button = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
    menu_handle_event(&b);
    EXPECT_EQ(fe.menu_input.page_down, 1);

    SDL_Event w{};
    w.type = SDL_MOUSEWHEEL;
    w.wheel.y = 2;
    w.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    menu_handle_event(&w);
    EXPECT_EQ(fe.menu_input.wheel, -2);

    SDL_Event m{};
    m.type = SDL_MOUSEBUTTONDOWN;
    m.button.button = SDL_BUTTON_RIGHT;
    fe.menu_input.back = 0;
    menu_handle_event(&m);
    EXPECT_EQ(fe.menu_input.back, 1);
    EXPECT_EQ(fe.menu_input.click, 0);
}

// A screen whose row 1 opens another screen: the rows after it in the same
// pass must not act on the new screen's cursor.
TEST_F(MenuCoreTest, AfterAPushTheRestOfThePassOnlyDraws) {
    fe.menu.cursor[SCREEN_DISPLAY] = 2;  // the new screen's cursor equals a later row's index
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
    EXPECT_EQ(acted[1], 1);
    EXPECT_EQ(acted[2], 0);
    EXPECT_EQ(acted[3], 0);
    EXPECT_EQ(fe.menu.cursor[SCREEN_DISPLAY], 2) << "the cursor does not move";
}

TEST_F(MenuCoreTest, AfterAnActivationLaterRowsTakeNoHover) {
    pass(5);
    cursor() = 0;
    fe.menu_input.select = 1;
    fe.menu_input.mouse_x = fe.menu.layout.list_left + 5;
    fe.menu_input.mouse_y = row_middle(3);
    fe.menu_input.mouse_moved = 1;
    // The pointer moved onto row 3 in the same pass as Enter: row 0 acts
    // first, and the hover of row 3 does not move the cursor after it.
    fe.menu.cursor[SCREEN_EXTRAS] = 0;
    std::vector<RowResult> r = pass(5);
    EXPECT_EQ(r[0].activated, 1);
    EXPECT_EQ(r[3].activated, 0);
    EXPECT_EQ(cursor(), 0);
}

TEST_F(MenuCoreTest, AScreenWithNoRowsDrawsOnlyItsHeader) {
    cursor() = 5;
    fe.menu_input.down = 1;
    pass(0);
    EXPECT_EQ(cursor(), 5);
    EXPECT_EQ(fe.menu.help_text[0], '\0');
}

TEST_F(MenuCoreTest, HelpComesFromTheSelectedVisibleRow) {
    cursor() = 1;
    menu_pass_begin();
    menu_begin_screen("Test", nullptr);
    menu_item("a", nullptr, 1, nullptr, "first");
    menu_item("b", nullptr, 0, nullptr, "second");
    menu_item("c", nullptr, 1, nullptr, "third");
    EXPECT_STREQ(fe.menu.help_text, "second") << "a disabled row shows its help too";
    menu_end_screen();
}

TEST_F(MenuCoreTest, AHeldStickStepsAtOnceThenAfter350ThenEvery110Ms) {
    // The test's window never has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joy = SDL_JoystickOpen(index);
    ASSERT_NE(joy, nullptr);
    fe.pads[0] = SDL_GameControllerOpen(index);
    ASSERT_NE(fe.pads[0], nullptr) << SDL_GetError();
    fe.pad_count = 1;

    SDL_JoystickSetVirtualAxis(joy, 1, 30000);  // down
    SDL_GameControllerUpdate();
    menu_stick_repeat();
    EXPECT_EQ(fe.menu_input.down, 1);
    uint64_t first = fe.menu.stick_deadline - SDL_GetPerformanceCounter();
    EXPECT_GT(first, fe.perf_freq * 300 / 1000);
    fe.menu_input = MenuInput{};
    menu_stick_repeat();
    EXPECT_EQ(fe.menu_input.down, 0) << "not before the deadline";
    fe.menu.stick_deadline = 0;  // the deadline has passed
    menu_stick_repeat();
    EXPECT_EQ(fe.menu_input.down, 1);
    uint64_t next = fe.menu.stick_deadline - SDL_GetPerformanceCounter();
    EXPECT_LT(next, fe.perf_freq * 120 / 1000);

    fe.menu_input = MenuInput{};
    SDL_JoystickSetVirtualAxis(joy, 1, 20000);  // exactly the threshold: no deflection
    SDL_GameControllerUpdate();
    menu_stick_repeat();
    EXPECT_EQ(fe.menu_input.down, 0);
    EXPECT_EQ(fe.menu.stick_dir, 0);

    SDL_GameControllerClose(fe.pads[0]);
    fe.pads[0] = nullptr;
    fe.pad_count = 0;
    SDL_JoystickClose(joy);
    SDL_JoystickDetachVirtual(index);
}

}  // namespace
