// Shared ground for the menu tests: the frontend fixture with the font
// loaded and save states on, a stack to open, menu passes run with a chosen
// input, and the rows that screens drawn through screen_row() showed in the
// last pass.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "menus/menus.h"
#include "menus/screen_rows.h"
#include "tests/frontend/support/frontend_fixture.h"

// No input at all: nothing pressed, the pointer nowhere.
inline void clear_menu_input() {
    fe.menu_input = MenuInput{};
    fe.menu_input.mouse_x = fe.menu_input.mouse_y = -1;
}

struct DrawnRow {
    std::string label, value, help;  // "" for a value or help the row has none of
    bool has_value;
    int enabled;
};

class MenuTest : public FrontendTest {
protected:
    std::vector<DrawnRow> rows;  // the rows of the last pass, in row order

    void SetUp() override {
        FrontendTest::SetUp();
        ASSERT_EQ(create_font_texture(fe.renderer), 1);
        fe.feature_on[FEATURE_SAVE_STATES] = 1;
        recording = &rows;
        menu_row_observer = record_row;
        clear_menu_input();
    }
    void TearDown() override {
        menu_row_observer = nullptr;
        recording = nullptr;
        FrontendTest::TearDown();
    }

    // The menu open on these screens, bottom first.
    void open(std::initializer_list<int> screens) {
        fe.menu_open = 1;
        fe.screen_depth = 0;
        for (int s : screens) fe.screen_stack[fe.screen_depth++] = s;
        reset_screen_timing();
    }
    // A screen over the main menu, drawn once.
    void show(int screen) {
        open({SCREEN_MAIN, screen});
        pass();
    }
    std::vector<int> stack() const { return std::vector<int>(fe.screen_stack, fe.screen_stack + fe.screen_depth); }

    // One menu pass with what fe.menu_input holds, then a cleared input.
    void pass() {
        rows.clear();
        menu_pass();
        clear_menu_input();
    }
    // A pass drawn on a cleared output, for pixel checks.
    void draw() {
        clear_output();
        pass();
    }
    // One pass with the cursor on a row and one input flag set.
    void press_at(int screen, int row, int32_t MenuInput::*key, int value = 1) {
        fe.menu.cursor[screen] = row;
        fe.menu_input.*key = value;
        pass();
    }
    void select_row(int screen, int row) { press_at(screen, row, &MenuInput::select); }
    void press_back() {
        fe.menu_input.back = 1;
        pass();
    }
    // The number of rows a screen shows: Up from the first row wraps to the last.
    int row_count(int screen) {
        press_at(screen, 0, &MenuInput::up);
        return fe.menu.cursor[screen] + 1;
    }
    // The help line a row shows when it is selected.
    std::string help_of(int screen, int row) {
        fe.menu.cursor[screen] = row;
        pass();
        return fe.menu.help_text;
    }

    // Rows by label, on screens drawn through screen_row().
    int index_of(const std::string& label) const {
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].label == label) return (int)i;
        return -1;
    }
    const DrawnRow& row(const std::string& label) {
        static const DrawnRow none{};
        int i = index_of(label);
        if (i < 0) ADD_FAILURE() << "no row " << label;
        return i < 0 ? none : rows[(size_t)i];
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (const DrawnRow& r : rows) out.push_back(r.label);
        return out;
    }
    void press(const std::string& label, int32_t MenuInput::*key, int value = 1) {
        pass();  // the rows as they stand now
        int i = index_of(label);
        ASSERT_GE(i, 0) << "no row " << label;
        fe.menu.cursor[top_screen()] = i;
        pass();  // scrolls the row into view
        fe.menu_input.*key = value;
        pass();
    }
    void enter(const std::string& label) { press(label, &MenuInput::select); }
    void right(const std::string& label) { press(label, &MenuInput::right); }
    void left(const std::string& label) { press(label, &MenuInput::left); }

    // Every row of the top screen, word for word: label, value ("" for
    // none) and help; the rows listed in `disabled` drawn greyed.
    struct RowText {
        const char* label;
        std::string value, help;
    };
    void expect_rows(const std::vector<RowText>& want, const std::vector<std::string>& disabled = {}) {
        pass();
        ASSERT_EQ(labels().size(), want.size()) << ::testing::PrintToString(labels());
        for (size_t i = 0; i < want.size(); i++) {
            SCOPED_TRACE(want[i].label);
            const DrawnRow& r = rows[i];
            bool off = std::find(disabled.begin(), disabled.end(), r.label) != disabled.end();
            EXPECT_EQ(std::tie(r.label, r.value, r.help), std::tie(want[i].label, want[i].value, want[i].help));
            EXPECT_EQ(r.enabled, off ? 0 : 1);
        }
    }

    // Each step: the setting put at `from`, one key on the labelled row,
    // and the setting is then `to`.
    struct Step {
        const char* label;
        int32_t FrontendSettings::*field;
        int from;
        int32_t MenuInput::*key;
        int to;
    };
    void expect_steps(std::initializer_list<Step> steps) {
        for (const Step& s : steps) {
            fe.settings.*s.field = s.from;
            press(s.label, s.key);
            EXPECT_EQ(fe.settings.*s.field, s.to) << s.label << " from " << s.from;
        }
    }
    // A step row: Enter adds one step, Left and Right stop at the limits.
    void expect_step_row(const char* label, int32_t FrontendSettings::*f, int step, int lo, int hi) {
        expect_steps({{label, f, lo, SELECT, lo + step},
                      {label, f, lo, LEFT, lo},
                      {label, f, hi, RIGHT, hi},
                      {label, f, hi, LEFT, hi - step}});
    }
    // A toggle row flips with Enter, Left and Right alike.
    void expect_toggle_row(const char* label, int32_t FrontendSettings::*f) {
        expect_steps({{label, f, 1, RIGHT, 0}, {label, f, 0, LEFT, 1}, {label, f, 1, SELECT, 0}});
        pass();
        EXPECT_EQ(row(label).value, "Off");
    }
    static constexpr int32_t MenuInput::*SELECT = &MenuInput::select;
    static constexpr int32_t MenuInput::*LEFT = &MenuInput::left;
    static constexpr int32_t MenuInput::*RIGHT = &MenuInput::right;

    // The confirmation dialog on top, asking this.
    void expect_confirm(int action, int value, const std::string& text) {
        EXPECT_EQ(top_screen(), SCREEN_CONFIRM);
        EXPECT_EQ(std::tuple(fe.confirm_action, fe.confirm_value, std::string(fe.confirm_text)),
                  std::tuple(action, value, text));
    }

    bool settings_written() const {
        struct stat st;
        return stat(fe.settings_path, &st) == 0;
    }
    bool settings_have(const std::string& line) {
        return read_text(fe.settings_path).find(line + "\n") != std::string::npos;
    }
    // Nothing written until Back; Back writes these lines and leaves.
    void expect_back_writes(const std::vector<std::string>& lines) {
        EXPECT_FALSE(settings_written());
        int depth = fe.screen_depth;
        press_back();
        EXPECT_EQ(fe.screen_depth, depth - 1);
        for (const std::string& line : lines) EXPECT_TRUE(settings_have(line)) << line;
    }

    static std::string toast() { return fe.toast_text; }

    // Whether any pixel of the rectangle differs from `background`
    // (ARGB8888), that is whether something was drawn there.
    bool drawn_in(int x, int y, int w, int h, uint32_t background = 0xFF000000) {
        std::vector<uint32_t> p = read_pixels(x, y, w, h);
        return std::any_of(p.begin(), p.end(), [&](uint32_t v) { return v != background; });
    }

    // A loaded fake game: the ROM as open_rom leaves it, running or not.
    void load_game(bool running) {
        load_fake_game_running();
        fe.running = running;
    }

private:
    static inline std::vector<DrawnRow>* recording = nullptr;

    static void record_row(const char* label, const char* value, int enabled, const char* help) {
        if (recording)
            recording->push_back({label ? label : "", value ? value : "", help ? help : "", value != nullptr, enabled});
    }
};

// ARGB8888 of a 0xAABBGGRR colour, as read back from the renderer.
inline uint32_t argb(uint32_t abgr) { return (abgr & 0xFF00FF00u) | (abgr & 0xFFu) << 16 | (abgr >> 16 & 0xFFu); }

inline SDL_Event key_event(SDL_Scancode sc, int repeat = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    e.key.repeat = (Uint8)repeat;
    return e;
}
inline SDL_Event button_event(int button) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERBUTTONDOWN;
    e.cbutton.button = (Uint8)button;
    return e;
}

// A virtual game controller opened as fe.pads[0], detached when it goes out
// of scope. The test window never has the focus: background events first.
struct VirtualPad {
    int index = -1;
    SDL_Joystick* joystick = nullptr;
    VirtualPad() {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
        if (index < 0) return;
        joystick = SDL_JoystickOpen(index);
        fe.pads[0] = SDL_GameControllerOpen(index);
        fe.pad_count = fe.pads[0] ? 1 : 0;
    }
    bool ok() const { return joystick && fe.pads[0]; }
    ~VirtualPad() {
        if (fe.pads[0]) SDL_GameControllerClose(fe.pads[0]);
        fe.pads[0] = nullptr;
        fe.pad_count = 0;
        if (joystick) SDL_JoystickClose(joystick);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
    }
};
