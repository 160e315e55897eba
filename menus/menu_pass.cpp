// Placeholder definitions, replaced by the module's implementation.
#include "menus/menus.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void menus_install() { }
void menu_pass() { }
void key_capture_event(const SDL_Event* event) { }
void draw_confirm_dialog() { }
void draw_message_box() { }
void draw_key_capture() { }
void draw_player_controllers_screen() { }
void draw_about_screen() { }
void run_confirm_action(int action, int value) { }
