// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void show_toast(const char* format, ...) { }
void show_confirm(int action, int value, const char* format, ...) { }
void show_error(const char* title, const char* format, ...) { }
void push_screen(int screen) { }
void pop_screen() { }
void reset_screen_timing() { }
int top_screen() { return {}; }
void draw_toast(int w, int h) { }
