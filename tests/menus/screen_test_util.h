// Drives one menu screen pass by pass: the screen stands on the main menu
// with the menu open, every pass starts with menu_pass_begin() and is
// followed by a cleared MenuInput, and the rows each pass drew are kept
// with their texts (label, value, enabled flag, help line).
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "menus/menus.h"
#include "menus/screen_rows.h"
#include "tests/frontend/support/frontend_fixture.h"

struct DrawnRow {
    std::string label;
    std::string value;  // "" when the row has none
    bool has_value;
    int enabled;
    std::string help;  // "" when the row has none
};

class ScreenTest : public FrontendTest {
protected:
    std::vector<DrawnRow> rows;  // the rows of the last pass, in row order
    int screen = SCREEN_MAIN;
    void (*draw)() = nullptr;

    void SetUp() override {
        FrontendTest::SetUp();
        recording = &rows;
        menu_row_observer = record_row;
        clear_input();
    }

    void TearDown() override {
        menu_row_observer = nullptr;
        recording = nullptr;
        FrontendTest::TearDown();
    }

    // The screen on the main menu, the menu open; one pass drawn.
    void open(int id, void (*fn)()) {
        screen = id;
        draw = fn;
        fe.menu_open = 1;
        fe.screen_stack[0] = SCREEN_MAIN;
        fe.screen_stack[1] = id;
        fe.screen_depth = 2;
        reset_screen_timing();
        pass();
    }

    void pass() {
        rows.clear();
        menu_pass_begin();
        draw();
        clear_input();
    }

    static void clear_input() {
        fe.menu_input = MenuInput{};
        fe.menu_input.mouse_x = fe.menu_input.mouse_y = -1;
    }

    // The index of the row with this label in the last pass, -1 when absent.
    int index_of(const std::string& label) const {
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].label == label) return (int)i;
        return -1;
    }

    const DrawnRow& row(const std::string& label) {
        int i = index_of(label);
        if (i < 0) {
            ADD_FAILURE() << "no row " << label;
            static DrawnRow none;
            return none;
        }
        return rows[(size_t)i];
    }

    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (const DrawnRow& r : rows) out.push_back(r.label);
        return out;
    }

    // One pass with the cursor on the row and one input flag set.
    void press(const std::string& label, int32_t MenuInput::*key, int value = 1) {
        pass();  // the rows as they stand now
        int i = index_of(label);
        ASSERT_GE(i, 0) << "no row " << label;
        fe.menu.cursor[screen] = i;
        pass();  // scrolls the row into view
        fe.menu_input.*key = value;
        pass();
    }
    void enter(const std::string& label) { press(label, &MenuInput::select); }
    void right(const std::string& label) { press(label, &MenuInput::right); }
    void left(const std::string& label) { press(label, &MenuInput::left); }
    void back() {
        fe.menu_input.back = 1;
        pass();
    }

    int top() const { return top_screen(); }

    bool settings_written() const {
        struct stat st;
        return stat(fe.settings_path, &st) == 0;
    }
    std::string settings_text() { return read_text(fe.settings_path); }

    // A step row: Enter adds one step, Left and Right stop at the limits.
    void expect_step_row(const std::string& label, int32_t& setting, int step, int lo, int hi) {
        setting = lo;
        enter(label);
        EXPECT_EQ(setting, lo + step) << label;
        left(label);
        left(label);
        EXPECT_EQ(setting, lo) << label;
        setting = hi;
        right(label);
        EXPECT_EQ(setting, hi) << label;
        left(label);
        EXPECT_EQ(setting, hi - step) << label;
    }

    // A toggle row flips with Enter, Left and Right alike.
    void expect_toggle_row(const std::string& label, int32_t& setting) {
        setting = 1;
        right(label);
        EXPECT_EQ(setting, 0) << label;
        left(label);
        EXPECT_EQ(setting, 1) << label;
        enter(label);
        EXPECT_EQ(setting, 0) << label;
        pass();
        EXPECT_EQ(row(label).value, "Off");
    }

    // The confirmation dialog on top, asking this.
    void expect_confirm(int action, int value, const char* text) {
        EXPECT_EQ(top(), SCREEN_CONFIRM);
        EXPECT_EQ(fe.confirm_action, action);
        EXPECT_EQ(fe.confirm_value, value);
        EXPECT_STREQ(fe.confirm_text, text);
    }

    // Nothing written until Back; Back writes these lines and leaves.
    void expect_back_writes(const std::vector<std::string>& lines) {
        EXPECT_FALSE(settings_written());
        int depth = fe.screen_depth;
        back();
        EXPECT_EQ(fe.screen_depth, depth - 1);
        std::string text = settings_text();
        for (const std::string& line : lines) EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
    }

    // A toast shown since the last clear, "" when none.
    static std::string toast() { return fe.toast_text; }

private:
    static inline std::vector<DrawnRow>* recording = nullptr;

    static void record_row(const char* label, const char* value, int enabled, const char* help) {
        if (!recording) return;
        recording->push_back(
            DrawnRow{label ? label : "", value ? value : "", value != nullptr, enabled, help ? help : ""});
    }
};
