// The Controls and Hotkeys screens: every game input and every hotkey is
// a binding of two keys and a controller code, set through the key-capture
// overlay; the Controls screen also holds the menu's controller shortcut
// and the stick dead zone.
#include <cstring>

#include "menus/menus.h"
#include "menus/screen_rows.h"

namespace {

const char BINDING_HELP[] =
    "Enter: set key.  Right: set alternate key.  Y or Tab: set controller button.  Delete/X: clear.";

// SDL's game-controller button order.
const char* const PAD_BUTTONS[] = {"A",    "B",     "X",      "Y",       "Back",    "Guide",   "Start",
                                   "L3",   "R3",    "LB",     "RB",      "D-Up",    "D-Down",  "D-Left",
                                   "D-Right", "Misc", "Paddle1", "Paddle2", "Paddle3", "Paddle4", "Touchpad"};
constexpr int PAD_BUTTON_COUNT = (int)(sizeof PAD_BUTTONS / sizeof PAD_BUTTONS[0]);
constexpr int FIRST_AXIS_CODE = 100;

const char* const MENU_COMBOS[] = {"Back + Start", "Guide", "Right stick click", "L3 + R3"};

const SettingRow QUICK_MENU_ROW = {
    .label = "Quick Menu (controller)",
    .field = &FrontendSettings::menu_combo,
    .kind = ROW_CYCLE,
    .names = MENU_COMBOS,
    .count = 4,
    .help = "Controller shortcut that opens the in-game menu. Esc always works.",
};

const SettingRow DEAD_ZONE_ROW = {
    .label = "Stick Dead Zone",
    .field = &FrontendSettings::deadzone,
    .kind = ROW_STEP,
    .step = 5,
    .lo = 5,
    .hi = 90,
    .format = "%d%%",
    .help = "Analog sticks act as the D-pad beyond this deflection.",
};

void open_capture(int row, int column, int hotkey) {
    fe.capture_row = row;
    fe.capture_column = column;
    fe.capture_hotkey = hotkey;
    fe.capture_start = SDL_GetPerformanceCounter();
    push_screen(SCREEN_KEY_CAPTURE);
}

// One binding row: Enter sets the first key, Right the second, Tab or Y the
// controller code, Delete or X clears all three. The cursor and the row's
// index are taken before the row is drawn (the pointer may move the cursor).
void binding_row(int screen, const char* label, InputBinding* b, int row, int hotkey, const char* help) {
    char text[200];
    format_binding_text(*b, text);
    int on_cursor = fe.menu.cursor[screen] == fe.menu.layout.item_count;
    int change = 0;
    if (screen_row(label, text, 1, &change, help)) {
        open_capture(row, 0, hotkey);
    } else if (on_cursor && change == 1) {
        open_capture(row, 1, hotkey);
    } else if (on_cursor && !menu_pass_frozen() && fe.menu_input.extra == 1) {
        open_capture(row, 2, hotkey);
    } else if (on_cursor && !menu_pass_frozen() && fe.menu_input.extra == 2) {
        *b = InputBinding{-1, -1, -1};
    }
}

}  // namespace

void format_pad_binding(int code, char* text) {
    const size_t size = 48;
    if (code < 0) {
        snprintf(text, size, "-");
    } else if (code < PAD_BUTTON_COUNT) {
        snprintf(text, size, "%s", PAD_BUTTONS[code]);
    } else if (code < FIRST_AXIS_CODE) {
        snprintf(text, size, "Button %d", code);
    } else {
        // SDL names the axes it knows; any other number is only "axis".
        int index = (code - FIRST_AXIS_CODE) / 2;
        const char* axis =
            index < SDL_CONTROLLER_AXIS_MAX ? SDL_GameControllerGetStringForAxis((SDL_GameControllerAxis)index) : nullptr;
        snprintf(text, size, "%s%s", axis ? axis : "axis", code % 2 ? "+" : "-");
    }
}

void format_key_name(int scancode, char* text) {
    const size_t size = 48;
    const char* name = scancode < 0                  ? "-"
                       : scancode < SDL_NUM_SCANCODES ? SDL_GetScancodeName((SDL_Scancode)scancode)
                                                      : nullptr;
    snprintf(text, size, "%s", name && name[0] ? name : "?");
}

void format_binding_text(const InputBinding& b, char* text) {
    char key1[48], key2[48], pad[48];
    format_key_name(b.key1, key1);
    format_key_name(b.key2, key2);
    format_pad_binding(b.pad, pad);
    snprintf(text, 200, "%s / %s   |   %s", key1, key2, pad);
}

void draw_controls_screen() {
    menu_begin_screen("Controls", "Enter: keyboard   Right: alternate key   Y/Tab: controller   Del: clear");
    setting_row(QUICK_MENU_ROW);
    if (screen_row("Hotkeys", nullptr, 1, nullptr, "Quick save/load, slots, screenshot, rewind, pause."))
        push_screen(SCREEN_HOTKEYS);
    if (screen_row("Player Controllers", nullptr, 1, nullptr, "Which connected controller drives Player 1 and Player 2."))
        push_screen(SCREEN_PLAYER_CONTROLLERS);
    setting_row(DEAD_ZONE_ROW);
    for (int i = 0; i < input_row_count(); i++) {
        const char* label = fe.adapter.inputs[i].label;
        binding_row(SCREEN_CONTROLS, label ? label : "", &fe.bindings[i], i, 0, BINDING_HELP);
    }
    if (screen_row("Restore Default Controls", nullptr, 1, nullptr, nullptr))
        show_confirm(CONFIRM_RESTORE_CONTROLS, 0, "Restore all default keyboard and controller mappings?");
    menu_end_screen();
    leave_settings_screen_on_back();
}

void draw_hotkeys_screen() {
    menu_begin_screen("Hotkeys", "Enter: key   Right: alternate key   Y/Tab: controller   Del: clear");
    for (int i = 0; i < FE_HOTKEY_COUNT; i++) {
        const char* help = i == HOTKEY_MENU ? "Esc is always available as a fallback for the menu." : nullptr;
        binding_row(SCREEN_HOTKEYS, HOTKEYS[i].label, &fe.hotkeys[i], i, 1, help);
    }
    menu_end_screen();
    leave_settings_screen_on_back();
}
