// The Controls and Hotkeys screens: their rows, the menu shortcut cycle,
// the dead-zone step, binding rows that open the key capture for the right
// column, Delete clearing a binding, and the settings file written on Back.
#include <climits>

#include "tests/menus/menu_fixture.h"

namespace {

const char BINDING_HELP[] =
    "Enter: set key.  Right: set alternate key.  Y or Tab: set controller button.  Delete/X: clear.";

class ControlsScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        show(SCREEN_CONTROLS);
    }

    // The capture request the last pass left, with the overlay on top; then
    // back on the screen.
    void expect_capture(int row, int column, int hotkey) {
        EXPECT_EQ(top_screen(), SCREEN_KEY_CAPTURE);
        EXPECT_EQ(std::tuple(fe.capture_row, fe.capture_column, fe.capture_hotkey), std::tuple(row, column, hotkey));
        EXPECT_NE(fe.capture_start, 0u);
        fe.screen_depth = 2;
        fe.capture_start = 0;
    }
};

TEST(FormatBinding, NamesKeysButtonsNumbersAndAxisDirections) {
    const std::pair<int, const char*> pads[] = {
        {-1, "-"},
        {0, "A"},
        {7, "L3"},
        {11, "D-Up"},
        {20, "Touchpad"},
        {21, "Button 21"},
        {99, "Button 99"},
        {100, "leftx-"},
        {101, "leftx+"},
        {103, "lefty+"},
        {111, "righttrigger+"},
        // Axes SDL does not know keep a generic name.
        {112, "axis-"},
        {INT_MAX, "axis+"},
    };
    char text[200];
    for (const auto& [code, name] : pads) {
        format_pad_binding(code, text);
        EXPECT_STREQ(text, name) << code;
    }
    const std::pair<InputBinding, const char*> bindings[] = {
        {{-1, -1, -1}, "- / -   |   -"},
        {{SDL_SCANCODE_UP, SDL_SCANCODE_W, 11}, "Up / W   |   D-Up"},
        {{0, SDL_NUM_SCANCODES + 100, 100}, "? / ?   |   leftx-"},  // no name, out of range
    };
    for (const auto& [b, shown] : bindings) {
        format_binding_text(b, text);
        EXPECT_STREQ(text, shown);
    }
}

TEST_F(ControlsScreenTest, RowsInOrderWithTheirValuesAndHelp) {
    expect_rows({
        {"Quick Menu (controller)", "Back + Start",
         "Controller shortcut that opens the in-game menu. Esc always works."},
        {"Hotkeys", "", "Quick save/load, slots, screenshot, rewind, pause."},
        {"Player Controllers", "", "Which connected controller drives Player 1 and Player 2."},
        {"Stick Dead Zone", "30%", "Analog sticks act as the D-pad beyond this deflection."},
        {"P1 Up", "Up / W   |   D-Up", BINDING_HELP},
        {"P1 Down", "Down / S   |   D-Down", BINDING_HELP},
        {"P1 Shot", "Z / J   |   A", BINDING_HELP},
        {"P2 Shot", "Keypad 1 / -   |   A", BINDING_HELP},
        {"Coin 1", "5 / -   |   Back", BINDING_HELP},
        {"Service", "0 / -   |   -", BINDING_HELP},
        {"Restore Default Controls", "", ""},
    });
    fe.adapter.input_count = 0;  // a game without inputs has only the fixed rows
    pass();
    EXPECT_EQ(labels(), (std::vector<std::string>{"Quick Menu (controller)", "Hotkeys", "Player Controllers",
                                                  "Stick Dead Zone", "Restore Default Controls"}));
}

TEST_F(ControlsScreenTest, QuickMenuCyclesDeadZoneStepsAndBackWritesTheFile) {
    const char* quick = "Quick Menu (controller)";
    expect_steps({{quick, &FrontendSettings::menu_combo, 0, LEFT, 3},
                  {quick, &FrontendSettings::menu_combo, 3, SELECT, 0},
                  {quick, &FrontendSettings::menu_combo, 0, RIGHT, 1}});
    expect_step_row("Stick Dead Zone", &FrontendSettings::deadzone, 5, 5, 90);
    fe.settings.menu_combo = 3;
    pass();
    EXPECT_EQ(row(quick).value, "L3 + R3");
    EXPECT_EQ(row("Stick Dead Zone").value, "85%");
    expect_back_writes({"menu_combo = 3", "deadzone = 85"});
}

TEST_F(ControlsScreenTest, BindingRowsOpenTheCaptureForTheirColumnAndDeleteClearsOnlyThem) {
    enter("P1 Down");
    expect_capture(1, 0, 0);
    right("P1 Down");
    expect_capture(1, 1, 0);
    press("Coin 1", &MenuInput::extra, 1);
    expect_capture(4, 2, 0);
    left("P1 Down");
    EXPECT_EQ(top_screen(), SCREEN_CONTROLS) << "Left does nothing on a binding row";

    press("P1 Up", &MenuInput::extra, 2);
    pass();
    EXPECT_EQ(row("P1 Up").value, "- / -   |   -");
    // Delete on rows that are not bindings changes nothing.
    press("Stick Dead Zone", &MenuInput::extra, 2);
    press("Quick Menu (controller)", &MenuInput::extra, 2);
    EXPECT_EQ(fe.bindings[1].key1, 81) << "only the cursor's binding";
    EXPECT_EQ(fe.settings.deadzone, 30);
    EXPECT_EQ(fe.settings.menu_combo, 0);
    EXPECT_EQ(top_screen(), SCREEN_CONTROLS);
}

TEST_F(ControlsScreenTest, RowsThatLeadElsewhere) {
    enter("Hotkeys");
    EXPECT_EQ(top_screen(), SCREEN_HOTKEYS);
    fe.screen_depth = 2;
    enter("Player Controllers");
    EXPECT_EQ(top_screen(), SCREEN_PLAYER_CONTROLLERS);
    fe.screen_depth = 2;
    enter("Restore Default Controls");
    expect_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore all default keyboard and controller mappings?");
    EXPECT_FALSE(settings_written());
}

TEST_F(ControlsScreenTest, AfterARowActsTheSamePassIgnoresBackAndExtra) {
    fe.menu.cursor[SCREEN_CONTROLS] = index_of("Hotkeys");
    fe.menu_input.select = fe.menu_input.back = 1;
    pass();
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_CONTROLS, SCREEN_HOTKEYS}));
    EXPECT_FALSE(settings_written());

    // The capture opened by Enter is the pass's one act: Delete in the same
    // pass does not also clear the binding.
    fe.screen_depth = 2;
    fe.menu.cursor[SCREEN_CONTROLS] = index_of("P1 Shot");
    fe.menu_input.select = 1;
    fe.menu_input.extra = 2;
    pass();
    expect_capture(2, 0, 0);
    EXPECT_EQ(fe.bindings[2].key1, 29);
}

TEST_F(ControlsScreenTest, HotkeysScreenBindsTheElevenHotkeys) {
    show(SCREEN_HOTKEYS);
    EXPECT_EQ(labels(), (std::vector<std::string>{"Quick Menu", "Quick Save", "Quick Load", "Previous Slot",
                                                  "Next Slot", "Screenshot", "Toggle Fullscreen", "Rewind (hold)",
                                                  "Pause", "Toggle FPS", "Reset Game"}));
    EXPECT_EQ(rows[0].help, "Esc is always available as a fallback for the menu.");
    for (size_t i = 1; i < rows.size(); i++) EXPECT_EQ(rows[i].help, "") << rows[i].label;
    EXPECT_EQ(row("Pause").value, "Pause / P   |   -");

    enter("Pause");
    expect_capture(HOTKEY_PAUSE, 0, 1);
    press("Quick Menu", &MenuInput::extra, 1);
    expect_capture(HOTKEY_MENU, 2, 1);
    press("Quick Save", &MenuInput::extra, 2);
    EXPECT_EQ(fe.hotkeys[HOTKEY_QUICK_SAVE].key1, -1);
    expect_back_writes({"quick_save = -1,-1,-1"});
}

}  // namespace
