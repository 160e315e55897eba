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

// The same conversion, turning the width x height frame `rotation` quarter
// turns clockwise on the way, so that `out` holds the picture as it is
// shown: width x height for an even rotation, height x width for an odd
// one. The renderer then only scales it.
void convert_picture_turned(const uint32_t* raw, uint32_t* out, int width, int height, int rotation,
                            const uint8_t lut[256]);

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

// The placement as it shows on screen: the same rectangle for an even
// rotation; for an odd one the turned rectangle, p.h wide and p.w tall,
// centred in the output the same way the upright one is.
PictureRect shown_picture_rect(const PictureRect& p, int out_w, int out_h, int rotation);

// One pixel (ARGB8888) of the phosphor mask at column c and row r.
uint32_t mask_pixel(int type, int strength, int c, int r);

// How dark (0..255) the scanline layer is at picture row `row` of `rows`:
// a column of 2 x game_height texels, clear and black in turn (a clear
// upper and a black lower half per game line), stretched over the rows
// with linear filtering that samples at pixel centres. `software` follows
// the software renderer's stretch (16.16 steps, 7-bit weights, whose drift
// grows to a few levels by the bottom of a tall picture); otherwise the
// exact sampling of an accelerated renderer's filter.
int scanline_alpha(int row, int rows, int game_height, int software);

// What the CRT overlay multiplies the picture by, in screen orientation:
// w x h is the shown rectangle; the mask and the scanlines are laid out in
// the picture's own orientation and turned with it.
struct OverlayParams {
    int w, h;
    int mask, mask_strength;  // mask 0: no mask
    int scanlines;            // percent; 0: no scanlines
    int rotation;
    int game_height;
    int software;  // the scanlines as the software renderer stretches them
};
// One opaque overlay pixel at (x, y) of the shown rectangle: the mask
// pixel the turned mask shows there, darkened by the scanline at that
// picture row (scanline_alpha scaled by the strength).
uint32_t overlay_pixel(const OverlayParams& o, int x, int y);
// The whole overlay, o.w x o.h pixels.
void build_overlay_pixels(uint32_t* out, const OverlayParams& o);

// Where the ambient glow has to be drawn: the glow texture (gw x gh
// texels) stretched over the whole W x H output, but only on the strips
// that the shown picture leaves free. A strip is a whole number of texels
// whose stretched size is a whole number of pixels, so it lands exactly
// where the full stretch would put it, and it reaches at least half a
// texel under the picture, where a renderer that clamps its filter at the
// strip's edge differs from the full stretch. Returns how many parts to
// draw: 0 when the picture covers the output, or one part that is the full
// stretch when strips do not fit. src is in texels.
struct GlowPart {
    PictureRect src, dst;
};
int glow_parts(int out_w, int out_h, const PictureRect& shown, int gw, int gh, GlowPart parts[2]);

// 1 when the shown picture covers the whole output, so that no backdrop
// shows.
int picture_covers_output(const PictureRect& p, int out_w, int out_h, int rotation);
