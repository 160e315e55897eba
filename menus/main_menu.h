// A picture in a box at the shown aspect: the main menu's preview of the
// game and the save and load screens' thumbnails.
#pragma once

#include <SDL.h>

// The display aspect as the picture is seen: the game's, inverted for a
// quarter turn. A value no picture can have falls back to 4:3.
double shown_aspect();

// The largest w x h of aspect g inside an avail_w x avail_h area (sizes
// truncated).
void fit_aspect(int avail_w, int avail_h, double g, int* w, int* h);

// A texture that holds the picture turned as it is shown, at the largest
// size of the shown aspect inside the box, centred on the box.
void draw_picture_in_box(SDL_Texture* texture, int x, int y, int w, int h);

// A target texture of w x h (32-bit, cleared to black when made), kept in
// *texture with its size in *kept_w x *kept_h and made again only when the
// size changes. Null when the renderer cannot make one (tried once a size).
SDL_Texture* kept_target(SDL_Texture** texture, int32_t* kept_w, int32_t* kept_h, int w, int h);
