// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

int binding_pressed(const InputBinding* binding, unsigned player, const uint8_t* keys) { return {}; }
int menu_combo_held() { return {}; }
int hotkey_event_matches(const SDL_Event* event, unsigned hotkey) { return {}; }
void open_controllers() { }
void close_controllers() { }
void clear_input_state() { }
