// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

int create_font_texture(SDL_Renderer* r) { return {}; }
void destroy_font_texture() { }
int measure_text_width(const char* text, int size) { return {}; }
int text_line_height(int size) { return {}; }
int draw_text(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align) { return {}; }
