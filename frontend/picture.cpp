// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void window_size_for_scale(int scale, int* w, int* h) { }
void fetch_frame() { }
void apply_picture_adjust() { }
void apply_window_mode() { }
void draw_game_picture(int w, int h, int dim) { }
void update_crt_mask_textures(const SDL_Rect* dst) { }
void draw_backdrop(int w, int h) { }
void draw_menu_backdrop(int w, int h) { }
