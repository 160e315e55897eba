// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

const HotkeyInfo HOTKEYS[FE_HOTKEY_COUNT] = {};

void set_default_settings() { }
void set_default_bindings() { }
void load_settings(int rotation_override, int fullscreen_override, int scale_override) { }
void save_settings() { }
