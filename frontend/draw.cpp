// The drawing layer: the UI unit, the accent colours and the rectangle
// primitives every menu, dialog, gadget and backdrop is made of. Colours are
// 0xAABBGGRR; an opaque colour overwrites, anything else blends.
#include "frontend/draw.h"

#include <algorithm>
#include <cmath>

#include "frontend/frontend.h"

const uint32_t ACCENT_COLOURS[6] = {0xFFFF9C40, 0xFF2EB0FF, 0xFF5848EC, 0xFF84CE40, 0xFFFF70A8, 0xFFECE6E6};
const char* const ACCENT_NAMES[6] = {"Azure", "Amber", "Crimson", "Jade", "Violet", "Silver"};

int compute_ui_unit(int output_w, int output_h) {
    int u = std::min(output_w * 100 / 1280, output_h * 100 / 760);
    return std::max(45, u);
}

uint32_t accent_colour() {
    int i = fe.settings.accent % 6;
    return ACCENT_COLOURS[i < 0 ? i + 6 : i];
}

namespace {

void set_colour(SDL_Renderer* r, uint32_t colour) {
    uint8_t a = (uint8_t)(colour >> 24);
    SDL_SetRenderDrawBlendMode(r, a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, (uint8_t)colour, (uint8_t)(colour >> 8), (uint8_t)(colour >> 16), a);
}

// An empty rectangle draws nothing; SDL's renderers may otherwise touch a
// column or row of pixels for it.
void fill(SDL_Renderer* r, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    SDL_Rect rect{x, y, w, h};
    SDL_RenderFillRect(r, &rect);
}

}  // namespace

void fill_rect(SDL_Renderer* r, int x, int y, int w, int h, uint32_t colour) {
    set_colour(r, colour);
    fill(r, x, y, w, h);
}

void draw_rect_outline(SDL_Renderer* r, int x, int y, int w, int h, int t, uint32_t colour) {
    fill_rect(r, x, y, w, t, colour);
    fill_rect(r, x, y + h - t, w, t, colour);
    fill_rect(r, x, y + t, t, h - 2 * t, colour);
    fill_rect(r, x + w - t, y + t, t, h - 2 * t, colour);
}

int rounded_rect_radius(int w, int h, int radius) {
    int r = std::max(0, radius);
    if (2 * r > h) r = h / 2;
    if (2 * r > w) r = w / 2;
    return r;
}

int rounded_corner_inset(int r, int i) {
    double d = i - 0.5;
    return (int)(r - SDL_sqrt((double)r * r - d * d) + 0.5);
}

void fill_rounded_rect(SDL_Renderer* r, int x, int y, int w, int h, int radius, uint32_t colour) {
    int rad = rounded_rect_radius(w, h, radius);
    fill_rect(r, x + rad, y, w - 2 * rad, h, colour);
    for (int i = rad; i >= 1; i--) {
        int k = rad - i, inset = rounded_corner_inset(rad, i), span = rad - inset;
        fill_rect(r, x + inset, y + k, span, 1, colour);
        fill_rect(r, x + w - rad, y + k, span, 1, colour);
        fill_rect(r, x + inset, y + h - 1 - k, span, 1, colour);
        fill_rect(r, x + w - rad, y + h - 1 - k, span, 1, colour);
    }
    fill_rect(r, x, y + rad, rad, h - 2 * rad, colour);
    fill_rect(r, x + w - rad, y + rad, rad, h - 2 * rad, colour);
}

int gradient_band_count(int h) { return h <= 0 ? 0 : std::min(h, 64); }

int gradient_band_top(int k, int n, int h) { return (int)((int64_t)k * h / n); }

uint32_t gradient_band_colour(uint32_t top, uint32_t bottom, int k, int n) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int t = (int)((top >> shift) & 0xFF), d = (int)((bottom >> shift) & 0xFF) - t;
        out |= (uint32_t)((t + k * d / n) & 0xFF) << shift;
    }
    return out;
}

void fill_vertical_gradient(SDL_Renderer* r, int x, int y, int w, int h, uint32_t top, uint32_t bottom) {
    int n = gradient_band_count(h);
    for (int k = 0; k < n; k++) {
        int y0 = gradient_band_top(k, n, h), y1 = gradient_band_top(k + 1, n, h);
        fill_rect(r, x, y + y0, w, y1 - y0, gradient_band_colour(top, bottom, k, n));
    }
}
