// The picture's decisions as plain functions of plain values: the colour
// table, the pixel conversions, where the picture goes and what the CRT
// overlays hold. picture.cpp applies them through SDL.
#pragma once

#include <cstddef>
#include <cstdint>

// The brightness/gamma table: lut[i] = min(1, brightness/100 x
// (i/255)^(100/gamma)) x 255, rounded half up.
void build_picture_lut(uint8_t lut[256], int brightness, int gamma);

// XRGB8888 through the table into opaque ARGB8888.
void convert_picture(const uint32_t* raw, uint32_t* out, size_t count, const uint8_t lut[256]);

// RGB555 (bits 10-14 red, 5-9 green, 0-4 blue) into XRGB8888, each channel
// widened by repeating its top bits.
void expand_rgb555(const uint16_t* src, uint32_t* dst, size_t count);

// The windowed size for a scale: height x scale high, the aspect wide,
// swapped for an odd rotation; saturated at INT_MAX instead of wrapping.
void window_size_for(int height, double aspect, int scale, int rotation, int* w, int* h);

struct PictureRect {
    int x, y, w, h;  // before the rotation about the rectangle's centre
};

// Where the game's picture goes in a W x H output, worked out in the
// picture's own orientation (an odd rotation swaps the room it has).
PictureRect place_picture(int out_w, int out_h, int width, int height, double display_aspect, int aspect_mode,
                          int scale_mode, int rotation);

// One pixel (ARGB8888) of the phosphor mask at column c and row r.
uint32_t mask_pixel(int type, int strength, int c, int r);
// The whole mask, w x h pixels.
void build_mask_pixels(uint32_t* out, int w, int h, int type, int strength);

// 1 when the picture, upright or upside down, covers the whole output, so
// that no backdrop shows.
int picture_covers_output(const PictureRect& p, int out_w, int out_h, int rotation);
