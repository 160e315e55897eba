// The menus: an immediate-mode menu core and the screens drawn on it. Each
// screen is a function run once per main-loop pass while it is the top of
// the screen stack; the menus reach the frontend only through its record
// `fe` and the operations of frontend/frontend.h.
#pragma once

#include "frontend/frontend.h"

// Hands the menu pass and the menu's event handling to the frontend.
void menus_install();

// Menu core.
// The start of every menu pass. Once a row has acted, or the screen, the
// stack depth or the open flag has changed during the pass, the rest of the
// pass only draws: no later row acts, changes a value or takes the hover,
// and the cursor does not move.
void menu_pass_begin();
int menu_pass_frozen();
void menu_begin_screen(const char* title, const char* hint);
// 1 when the row is activated in this pass. value, change and help may be
// null; change receives -1, 0 or +1.
int menu_item(const char* label, const char* value, int enabled, int* change, const char* help);
void menu_end_screen();
// One event of the pass while the menu is open: fills fe.menu_input, or
// goes to the key-capture overlay when it is on top.
void menu_handle_event(const SDL_Event* event);
// After the events of a pass, menu open: the left sticks as a repeating d-pad.
void menu_stick_repeat();

// The menu pass: draws and runs the screen stack.
void menu_pass();
// One event for the key-capture overlay (screen 16 on top).
void key_capture_event(const SDL_Event* event);
// What a Yes in the confirmation dialog does.
void run_confirm_action(int action, int value);

// Screens.
void draw_main_menu();
void draw_pause_menu();
void draw_display_settings_screen();
void draw_audio_settings_screen();
void draw_controls_screen();
void draw_player_controllers_screen();
void draw_hotkeys_screen();
void draw_gameplay_screen();
void draw_gadgets_screen();
void draw_extras_screen();
void draw_about_screen();
void draw_state_slots_screen(int saving);
void draw_rom_browser_screen();
void draw_confirm_dialog();
void draw_message_box();
void draw_key_capture();
void draw_gadget_editor_screen();

// The display text of a controller code, into 48 bytes.
void format_pad_binding(int code, char* text);
