// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

const uint32_t ACCENT_COLOURS[6] = {};
const char* const ACCENT_NAMES[6] = {};

int compute_ui_unit(int output_w, int output_h) { return {}; }
uint32_t accent_colour() { return {}; }
void fill_rect(SDL_Renderer* r, int x, int y, int w, int h, uint32_t colour) { }
void draw_rect_outline(SDL_Renderer* r, int x, int y, int w, int h, int t, uint32_t colour) { }
void fill_rounded_rect(SDL_Renderer* r, int x, int y, int w, int h, int radius, uint32_t colour) { }
void fill_vertical_gradient(SDL_Renderer* r, int x, int y, int w, int h, uint32_t top, uint32_t bottom) { }
