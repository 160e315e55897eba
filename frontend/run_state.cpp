// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void restart_game() { }
void stop_game(int autosave) { }
void open_menu_and_pause(int screen) { }
void close_menu_and_resume() { }
