// Placeholder definitions, replaced by the module's implementation.
#include "menus/menus.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void menu_begin_screen(const char* title, const char* hint) { }
int menu_item(const char* label, const char* value, int enabled, int* change, const char* help) { return {}; }
void menu_end_screen() { }
void menu_handle_event(const SDL_Event* event) { }
void menu_stick_repeat() { }
