// Small helpers shared by the drawing, text and picture tests: the
// channels of pixels read back from the renderer (ARGB8888) and of the
// drawing layer's packed colours (0xAABBGGRR).
#pragma once

#include <cstdint>
#include <cstdlib>

inline int red_of(uint32_t argb) { return (int)(argb >> 16) & 0xFF; }
inline int green_of(uint32_t argb) { return (int)(argb >> 8) & 0xFF; }
inline int blue_of(uint32_t argb) { return (int)argb & 0xFF; }

// The opaque read-back pixel of a packed drawing colour.
inline uint32_t abgr_to_argb(uint32_t c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Each of the three channels within `tolerance` of (r, g, b).
inline bool rgb_near(uint32_t argb, int r, int g, int b, int tolerance = 2) {
    return abs(red_of(argb) - r) <= tolerance && abs(green_of(argb) - g) <= tolerance &&
           abs(blue_of(argb) - b) <= tolerance;
}
