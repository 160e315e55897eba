// Shared ground for the screen tests: the frontend fixture with the font
// loaded, a stack to open, passes run with a chosen input, and the probes
// the tests read afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "menus/menus.h"
#include "tests/frontend/support/frontend_fixture.h"

class MenuTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        ASSERT_EQ(create_font_texture(fe.renderer), 1);
        fe.feature_on[FEATURE_SAVE_STATES] = 1;
        clear_input();
    }

    // The menu open on these screens, bottom first.
    void open(std::initializer_list<int> screens) {
        fe.menu_open = 1;
        fe.screen_depth = 0;
        for (int s : screens) fe.screen_stack[fe.screen_depth++] = s;
        reset_screen_timing();
    }

    std::vector<int> stack() const { return std::vector<int>(fe.screen_stack, fe.screen_stack + fe.screen_depth); }

    void clear_input() {
        fe.menu_input = MenuInput{};
        fe.menu_input.mouse_x = fe.menu_input.mouse_y = -1;
    }

    // One menu pass with what fe.menu_input holds, then a cleared input
    // for the next.
    void pass() {
        menu_pass();
        clear_input();
    }

    // Enter on a row of a screen (the cursor put there first).
    void select_row(int screen, int row) {
        fe.menu.cursor[screen] = row;
        fe.menu_input.select = 1;
        pass();
    }
    void press_back() {
        fe.menu_input.back = 1;
        pass();
    }
    void press_right(int screen, int row) {
        fe.menu.cursor[screen] = row;
        fe.menu_input.right = 1;
        pass();
    }
    void press_left(int screen, int row) {
        fe.menu.cursor[screen] = row;
        fe.menu_input.left = 1;
        pass();
    }

    // The number of rows a screen shows: Up from the first row wraps to
    // the last.
    int row_count(int screen) {
        fe.menu.cursor[screen] = 0;
        fe.menu_input.up = 1;
        pass();
        return fe.menu.cursor[screen] + 1;
    }

    // The confirmation dialog on top, asking this.
    void expect_confirm(int action, int value, const std::string& text) {
        EXPECT_EQ(top_screen(), SCREEN_CONFIRM);
        EXPECT_EQ(fe.confirm_action, action);
        EXPECT_EQ(fe.confirm_value, value);
        EXPECT_EQ(fe.confirm_text, text);
    }

    // The help line that a row shows when it is selected.
    std::string help_of(int screen, int row) {
        fe.menu.cursor[screen] = row;
        pass();
        return fe.menu.help_text;
    }

    std::string settings_file() { return dir + "/settings.ini"; }
    bool settings_written() { return is_regular_file(settings_file().c_str()); }

    // Whether any pixel of the rectangle differs from `background`
    // (ARGB8888), that is whether something was drawn there.
    bool drawn_in(int x, int y, int w, int h, uint32_t background = 0xFF000000) {
        for (uint32_t p : read_pixels(x, y, w, h))
            if (p != background) return true;
        return false;
    }

    // A loaded fake game: the ROM as open_rom leaves it, running or not.
    void load_game(bool running) {
        load_fake_game_running();
        fe.running = running;
    }

    // The save-state operations are still placeholders on this branch
    // when a loaded game gives no container.
    bool save_states_missing() {
        size_t size = 0;
        uint8_t* container = build_state_container(&size);
        free(container);
        return container == nullptr;
    }
};

// ARGB8888 of a 0xAABBGGRR colour, as read back from the renderer.
inline uint32_t argb(uint32_t abgr) {
    return (abgr & 0xFF00FF00u) | (abgr & 0xFFu) << 16 | (abgr >> 16 & 0xFFu);
}

#define SKIP_WITHOUT_SAVE_STATES()                                                                    \
    do {                                                                                              \
        if (save_states_missing())                                                                    \
            GTEST_SKIP() << "save states are placeholders here: build_state_container gives nothing " \
                            "for a loaded game";                                                      \
    } while (0)
