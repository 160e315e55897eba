// Placeholder definitions, replaced by the module's implementation.
#include "menus/menus.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void draw_state_slots_screen(int saving) { }
