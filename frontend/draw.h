// The drawing layer's arithmetic, apart from the SDL calls that apply it:
// what the rounded rectangle and the gradient draw, as plain functions.
#pragma once

#include <cstdint>

// The corner radius actually used: negative as 0, then at most half the
// height, then at most half the width.
int rounded_rect_radius(int w, int h, int radius);
// How far the corner row i (r down to 1, r the outermost row) is inset
// from the rectangle's side.
int rounded_corner_inset(int r, int i);

// Bands a gradient of h rows is drawn in (0 when there is nothing to draw).
int gradient_band_count(int h);
// First row of band k of n (relative to the top); band k ends where k + 1
// begins.
int gradient_band_top(int k, int n, int h);
// Colour of band k of n: each channel moves from the top colour by k/n of
// the difference, rounding toward zero, so the last band stops short of
// the bottom colour.
uint32_t gradient_band_colour(uint32_t top, uint32_t bottom, int k, int n);
