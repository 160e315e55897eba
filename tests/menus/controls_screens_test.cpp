// The Controls and Hotkeys screens: their rows, the menu shortcut cycle,
// the dead-zone step, binding rows that open the key capture for the right
// column, Delete clearing a binding, and the settings file written on Back.
#include <climits>

#include "tests/menus/screen_test_util.h"

namespace {

std::string pad_text(int code) {
    char text[48];
    format_pad_binding(code, text);
    return text;
}

std::string binding_text(InputBinding b) {
    char text[200];
    format_binding_text(b, text);
    return text;
}

class ControlsScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        open(SCREEN_CONTROLS, draw_controls_screen);
    }

    // The capture request the last pass left, with the overlay on top.
    void expect_capture(int row, int column, int hotkey) {
        EXPECT_EQ(top(), SCREEN_KEY_CAPTURE);
        EXPECT_EQ(fe.capture_row, row);
        EXPECT_EQ(fe.capture_column, column);
        EXPECT_EQ(fe.capture_hotkey, hotkey);
        EXPECT_NE(fe.capture_start, 0u);
        fe.screen_depth = 2;  // back on the screen
        fe.capture_start = 0;
        pass();
    }
};

TEST(FormatPadBinding, NamesButtonsNumbersAndAxisDirections) {
    const std::pair<int, const char*> cases[] = {
        {-1, "-"},           {0, "A"},           {7, "L3"},        {11, "D-Up"},     {20, "Touchpad"},
        {21, "Button 21"},   {25, "Button 25"},  {99, "Button 99"}, {100, "leftx-"}, {101, "leftx+"},
        {103, "lefty+"},     {111, "righttrigger+"},
        // Axes SDL does not know keep a generic name.
        {112, "axis-"},      {INT_MAX, "axis+"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(pad_text(code), text) << code;
}

TEST(FormatBindingText, KeysOfNoneAndOfUnknownScancodes) {
    EXPECT_EQ(binding_text({-1, -1, -1}), "- / -   |   -");
    EXPECT_EQ(binding_text({SDL_SCANCODE_UP, SDL_SCANCODE_W, 11}), "Up / W   |   D-Up");
    EXPECT_EQ(binding_text({0, SDL_NUM_SCANCODES + 100, 100}), "? / ?   |   leftx-");
}

TEST_F(ControlsScreenTest, RowsInOrderWithTheirValuesAndHelp) {
    std::vector<std::string> expected = {"Quick Menu (controller)", "Hotkeys", "Player Controllers", "Stick Dead Zone",
                                         "P1 Up", "P1 Down", "P1 Shot", "P2 Shot", "Coin 1", "Service",
                                         "Restore Default Controls"};
    EXPECT_EQ(labels(), expected);
    EXPECT_EQ(row("Quick Menu (controller)").value, "Back + Start");
    EXPECT_EQ(row("Quick Menu (controller)").help,
              "Controller shortcut that opens the in-game menu. Esc always works.");
    EXPECT_EQ(row("Hotkeys").help, "Quick save/load, slots, screenshot, rewind, pause.");
    EXPECT_EQ(row("Player Controllers").help, "Which connected controller drives Player 1 and Player 2.");
    EXPECT_EQ(row("Stick Dead Zone").value, "30%");
    EXPECT_EQ(row("Stick Dead Zone").help, "Analog sticks act as the D-pad beyond this deflection.");
    EXPECT_EQ(row("P1 Up").value, "Up / W   |   D-Up");
    EXPECT_EQ(row("Service").value, "0 / -   |   -");
    EXPECT_EQ(row("Coin 1").help,
              "Enter: set key.  Right: set alternate key.  Y or Tab: set controller button.  Delete/X: clear.");
    EXPECT_FALSE(row("Restore Default Controls").has_value);
    EXPECT_EQ(row("Restore Default Controls").help, "");

    // A game without inputs has only the fixed rows.
    fe.adapter.input_count = 0;
    pass();
    EXPECT_EQ(labels(), (std::vector<std::string>{"Quick Menu (controller)", "Hotkeys", "Player Controllers",
                                                  "Stick Dead Zone", "Restore Default Controls"}));
}

TEST_F(ControlsScreenTest, QuickMenuCyclesBothWaysAndTheFileIsWrittenOnBack) {
    left("Quick Menu (controller)");
    EXPECT_EQ(fe.settings.menu_combo, 3);
    pass();
    EXPECT_EQ(rows[0].value, "L3 + R3");
    enter("Quick Menu (controller)");
    EXPECT_EQ(fe.settings.menu_combo, 0);
    right("Quick Menu (controller)");
    EXPECT_EQ(fe.settings.menu_combo, 1);
    expect_back_writes({"menu_combo = 1"});
}

TEST_F(ControlsScreenTest, DeadZoneStepsByFiveWithinItsRange) {
    expect_step_row("Stick Dead Zone", fe.settings.deadzone, 5, 5, 90);
    pass();
    EXPECT_EQ(row("Stick Dead Zone").value, "85%");
}

TEST_F(ControlsScreenTest, BindingRowsOpenTheCaptureForTheirColumn) {
    enter("P1 Down");
    expect_capture(1, 0, 0);
    right("P1 Down");
    expect_capture(1, 1, 0);
    press("Coin 1", &MenuInput::extra, 1);
    expect_capture(4, 2, 0);

    // Left does nothing on a binding row.
    left("P1 Down");
    EXPECT_EQ(top(), SCREEN_CONTROLS);
    EXPECT_EQ(fe.bindings[1].key1, 81);
}

TEST_F(ControlsScreenTest, DeleteClearsOnlyTheCursorsBinding) {
    press("P1 Up", &MenuInput::extra, 2);
    EXPECT_EQ(fe.bindings[0].key1, -1);
    EXPECT_EQ(fe.bindings[0].key2, -1);
    EXPECT_EQ(fe.bindings[0].pad, -1);
    pass();
    EXPECT_EQ(row("P1 Up").value, "- / -   |   -");
    EXPECT_EQ(top(), SCREEN_CONTROLS);

    // Delete on rows that are not bindings changes nothing.
    press("Stick Dead Zone", &MenuInput::extra, 2);
    press("Quick Menu (controller)", &MenuInput::extra, 2);
    EXPECT_EQ(fe.bindings[1].key1, 81);
    EXPECT_EQ(fe.settings.deadzone, 30);
    EXPECT_EQ(fe.settings.menu_combo, 0);
}

TEST_F(ControlsScreenTest, RowsThatLeadElsewhere) {
    enter("Hotkeys");
    EXPECT_EQ(top(), SCREEN_HOTKEYS);
    fe.screen_depth = 2;
    enter("Player Controllers");
    EXPECT_EQ(top(), SCREEN_PLAYER_CONTROLLERS);
    fe.screen_depth = 2;
    enter("Restore Default Controls");
    expect_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore all default keyboard and controller mappings?");
    EXPECT_FALSE(settings_written());
}

TEST_F(ControlsScreenTest, AfterARowActsTheSamePassIgnoresBackAndExtra) {
    fe.menu.cursor[SCREEN_CONTROLS] = index_of("Hotkeys");
    fe.menu_input.select = 1;
    fe.menu_input.back = 1;
    pass();
    EXPECT_EQ(top(), SCREEN_HOTKEYS);
    EXPECT_EQ(fe.screen_depth, 3);
    EXPECT_FALSE(settings_written());

    // The capture opened by Enter is the pass's one act: Delete in the same
    // pass does not also clear the binding.
    fe.screen_depth = 2;
    fe.menu.cursor[SCREEN_CONTROLS] = index_of("P1 Shot");
    fe.menu_input.select = 1;
    fe.menu_input.extra = 2;
    pass();
    EXPECT_EQ(top(), SCREEN_KEY_CAPTURE);
    EXPECT_EQ(fe.capture_column, 0);
    EXPECT_EQ(fe.bindings[2].key1, 29);
}

TEST_F(ControlsScreenTest, HotkeysScreenBindsTheElevenHotkeys) {
    open(SCREEN_HOTKEYS, draw_hotkeys_screen);
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
