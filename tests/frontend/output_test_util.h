// Small helpers shared by the drawing, text, picture and gadget tests: the
// channels of pixels read back from the renderer (ARGB8888) and of the
// drawing layer's packed colours (0xAABBGGRR).
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

inline int red_of(uint32_t argb) { return (int)(argb >> 16) & 0xFF; }
inline int green_of(uint32_t argb) { return (int)(argb >> 8) & 0xFF; }
inline int blue_of(uint32_t argb) { return (int)argb & 0xFF; }

// An opaque read-back pixel of the three channels.
inline uint32_t opaque_rgb(int r, int g, int b) {
    return 0xFF000000u | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
}

// The opaque read-back pixel of a packed drawing colour.
inline uint32_t abgr_to_argb(uint32_t c) { return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

// Each of the three channels within `tolerance` of (r, g, b).
inline bool rgb_near(uint32_t argb, int r, int g, int b, int tolerance = 2) {
    return abs(red_of(argb) - r) <= tolerance && abs(green_of(argb) - g) <= tolerance &&
           abs(blue_of(argb) - b) <= tolerance;
}

// One expected pixel of the renderer's output.
struct Probe {
    int x, y;
    uint32_t argb;
};

inline void expect_pixels(SDL_Renderer* r, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) {
        uint32_t got = 0;
        SDL_Rect one{p.x, p.y, 1, 1};
        ASSERT_EQ(SDL_RenderReadPixels(r, &one, SDL_PIXELFORMAT_ARGB8888, &got, 4), 0) << SDL_GetError();
        EXPECT_EQ(got, p.argb) << "at " << p.x << "," << p.y;
    }
}
