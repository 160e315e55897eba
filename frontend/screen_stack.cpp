// The screen stack of the menus: screens opened one over another, the top
// one drawn and run by the menu pass. Every push and pop restarts the open
// time and forgets the highlight's position, so that the new top screen's
// header fades in afresh and its highlight starts on its own row instead
// of sliding over from the previous screen's.
#include "frontend/frontend.h"

void reset_screen_timing() {
    fe.menu.open_time = SDL_GetPerformanceCounter();
    fe.menu.highlight_y = -1.0f;
}

void push_screen(int screen) {
    if (fe.screen_depth < FE_STACK_SIZE) fe.screen_stack[fe.screen_depth++] = screen;
    reset_screen_timing();
}

void pop_screen() {
    if (fe.screen_depth > 0) fe.screen_depth--;
    reset_screen_timing();
}

int top_screen() { return fe.screen_depth > 0 ? fe.screen_stack[fe.screen_depth - 1] : -1; }
