// Picture output: the game's frame through the brightness/gamma table into
// the streaming texture, placed with fit or integer scaling, the aspect and
// the rotation, under optional scanlines and a phosphor mask, over one of
// three backdrops. The decisions are the plain functions of picture.h; this
// file applies them through SDL.
#include "frontend/picture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "frontend/draw.h"
#include "frontend/frontend.h"

namespace {

constexpr int GLOW_W = 24, GLOW_H = 18;

// Saturating double-to-int conversion for sizes that a huge scale pushes
// past the int range.
int to_int_size(double v) {
    if (!(v > 0.0)) return 0;
    return v >= (double)INT_MAX ? INT_MAX : (int)v;
}

void set_game_texture_filter() {
    SDL_SetTextureScaleMode(fe.game_texture, fe.settings.filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

// Draws a whole texture into dst turned by angle degrees about its centre.
void copy_turned(SDL_Texture* t, const SDL_Rect* dst, double angle) {
    if (angle == 0.0) SDL_RenderCopy(fe.renderer, t, nullptr, dst);
    else SDL_RenderCopyEx(fe.renderer, t, nullptr, dst, angle, nullptr, SDL_FLIP_NONE);
}

void make_scanline_texture() {
    int rows = 2 * (int)fe.adapter.height;
    SDL_Texture* t = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, rows);
    if (!t) return;
    uint32_t* px = (uint32_t*)malloc((size_t)rows * 4);
    if (!px) {
        SDL_DestroyTexture(t);
        return;
    }
    // Each game line: a clear upper half and a black lower half; the linear
    // stretch blends the two into a soft line.
    for (int r = 0; r < rows; r++) px[r] = r & 1 ? 0xFF000000u : 0x00000000u;
    SDL_UpdateTexture(t, nullptr, px, 4);
    free(px);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(t, SDL_ScaleModeLinear);
    fe.scanline_texture = t;
}

SDL_Texture* make_mask_texture(int w, int h, int type, int strength) {
    SDL_Texture* t = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (!t) return nullptr;
    uint32_t* px = (uint32_t*)malloc((size_t)w * (size_t)h * 4);
    if (!px) {
        SDL_DestroyTexture(t);
        return nullptr;
    }
    build_mask_pixels(px, w, h, type, strength);
    SDL_UpdateTexture(t, nullptr, px, w * 4);
    free(px);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_MOD);
    return t;
}

// The ambient glow: the picture shrunk into a tiny target and stretched
// back over the whole output with linear filtering, darkened. 0 when the
// renderer cannot do it (the caller then falls back to black).
int draw_glow(int w, int h) {
    if (!fe.glow_texture && !fe.glow_attempted) {
        fe.glow_attempted = 1;
        fe.glow_texture =
            SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, GLOW_W, GLOW_H);
        if (fe.glow_texture) SDL_SetTextureScaleMode(fe.glow_texture, SDL_ScaleModeLinear);
    }
    if (!fe.glow_texture || SDL_SetRenderTarget(fe.renderer, fe.glow_texture) != 0) return 0;
    SDL_SetTextureScaleMode(fe.game_texture, SDL_ScaleModeLinear);
    SDL_RenderCopy(fe.renderer, fe.game_texture, nullptr, nullptr);
    set_game_texture_filter();
    SDL_SetRenderTarget(fe.renderer, nullptr);
    SDL_SetTextureColorMod(fe.glow_texture, 70, 70, 80);
    SDL_Rect all{0, 0, w, h};
    SDL_RenderCopy(fe.renderer, fe.glow_texture, nullptr, &all);
    return 1;
}

void draw_border(int w, int h) {
    SDL_Renderer* r = fe.renderer;
    if (fe.settings.border == 1) {
        fill_vertical_gradient(r, 0, 0, w, h, 0xFF1E1512, 0xFF0B0706);
        uint32_t line = (accent_colour() & 0x00FFFFFFu) | 0x0A000000u;
        for (int k = 1; k <= 6; k++) fill_rect(r, 0, k * h / 7, w, 1, line);  // six faint lines
    } else if (fe.settings.border != 2 || !draw_glow(w, h)) {
        fill_rect(r, 0, 0, w, h, 0xFF000000);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Plain decisions

void build_picture_lut(uint8_t lut[256], int brightness, int gamma) {
    double exponent = 100.0 / std::max(1, gamma);
    for (int i = 0; i < 256; i++) {
        double x = brightness / 100.0 * std::pow(i / 255.0, exponent);
        lut[i] = (uint8_t)(int)(std::clamp(x, 0.0, 1.0) * 255 + 0.5);
    }
}

void convert_picture(const uint32_t* raw, uint32_t* out, size_t count, const uint8_t lut[256]) {
    for (size_t i = 0; i < count; i++) {
        uint32_t s = raw[i];
        out[i] = 0xFF000000u | (uint32_t)lut[(s >> 16) & 0xFF] << 16 | (uint32_t)lut[(s >> 8) & 0xFF] << 8 |
                 lut[s & 0xFF];
    }
}

void expand_rgb555(const uint16_t* src, uint32_t* dst, size_t count) {
    for (size_t i = 0; i < count; i++) {
        uint32_t p = src[i], r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        r = r << 3 | r >> 2;
        g = g << 3 | g >> 2;
        b = b << 3 | b >> 2;
        dst[i] = r << 16 | g << 8 | b;
    }
}

void window_size_for(int height, double aspect, int scale, int rotation, int* w, int* h) {
    int64_t hs64 = (int64_t)height * scale;
    int hs = (int)std::clamp<int64_t>(hs64, 0, INT_MAX);
    int ws = to_int_size(hs * aspect + 0.5);
    if (rotation % 2) std::swap(ws, hs);
    *w = ws;
    *h = hs;
}

PictureRect place_picture(int out_w, int out_h, int width, int height, double display_aspect, int aspect_mode,
                          int scale_mode, int rotation) {
    if (width <= 0 || height <= 0) return PictureRect{out_w / 2, out_h / 2, 0, 0};
    double a = aspect_mode == 1 ? (double)width / height : display_aspect;
    int aw = out_w, ah = out_h;
    if (rotation % 2) std::swap(aw, ah);
    int pw, ph;
    if (scale_mode == 1) {
        int n = std::max(1, ah / height);
        ph = height * n;
        for (;;) {
            pw = aspect_mode == 1 ? width * n : to_int_size(ph * a + 0.5);
            if (n == 1 || (pw <= aw && ph <= ah)) break;
            n--;
            ph -= height;
        }
    } else {
        pw = to_int_size(ah * a + 0.5);
        ph = ah;
        if (aw < pw) {
            ph = to_int_size(aw / a + 0.5);
            pw = aw;
        }
    }
    return PictureRect{(out_w - pw) / 2, (out_h - ph) / 2, pw, ph};
}

uint32_t mask_pixel(int type, int strength, int c, int r) {
    int v = std::clamp(strength, 0, 100) * 255 / 100;
    int dim = 255 - (2 * v + 1) / 3;
    int lit = 255;
    int l = c % 3;
    if (type == 2) {
        l = ((r & 2) + c) % 3;
        if (r & 1) {
            lit = lit * 9 / 10;
            dim = dim * 9 / 10;
        }
    } else if (type == 3) {
        int odd_triad = (c / 3) & 1;
        if (((r & 3) == 1 && odd_triad) || ((r & 3) == 3 && !odd_triad)) lit = dim;
    }
    uint32_t ch[3] = {(uint32_t)dim, (uint32_t)dim, (uint32_t)dim};
    ch[l] = (uint32_t)lit;
    return 0xFF000000u | ch[0] << 16 | ch[1] << 8 | ch[2];
}

void build_mask_pixels(uint32_t* out, int w, int h, int type, int strength) {
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++) out[(size_t)r * w + c] = mask_pixel(type, strength, c, r);
}

int picture_covers_output(const PictureRect& p, int out_w, int out_h, int rotation) {
    return rotation % 2 == 0 && p.x <= 0 && p.y <= 0 && p.x + p.w >= out_w && p.y + p.h >= out_h;
}

// ---------------------------------------------------------------------------
// Through SDL

void window_size_for_scale(int scale, int* w, int* h) {
    window_size_for((int)fe.adapter.height, fe.adapter.display_aspect, scale,
                    fe.settings.rotation, w, h);
}

void apply_picture_adjust() {
    if (fe.picture_lut_stale) {
        build_picture_lut(fe.picture_lut, fe.settings.brightness, fe.settings.gamma);
        fe.picture_lut_stale = 0;
    }
    size_t count = (size_t)fe.adapter.width * fe.adapter.height;
    if (fe.raw_frame && fe.picture_frame) convert_picture(fe.raw_frame, fe.picture_frame, count, fe.picture_lut);
    if (fe.game_texture && fe.picture_frame)
        SDL_UpdateTexture(fe.game_texture, nullptr, fe.picture_frame, (int)fe.adapter.width * 4);
}

void fetch_frame() {
    if (fe.adapter.get_frame_xrgb8888) {
        fe.adapter.get_frame_xrgb8888(fe.raw_frame);
    } else if (fe.adapter.get_frame_rgb555 && fe.raw_frame16) {
        fe.adapter.get_frame_rgb555(fe.raw_frame16);
        expand_rgb555(fe.raw_frame16, fe.raw_frame, (size_t)fe.adapter.width * fe.adapter.height);
    }
    apply_picture_adjust();
}

void apply_window_mode() {
    SDL_SetWindowFullscreen(fe.window, fe.settings.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (fe.settings.fullscreen) return;
    int w, h;
    window_size_for_scale(fe.settings.window_scale, &w, &h);
    SDL_SetWindowSize(fe.window, w, h);
}

void update_crt_mask_textures(const SDL_Rect* dst) {
    if (!fe.scanline_texture) make_scanline_texture();
    int type = fe.settings.mask, strength = fe.settings.mask_strength;
    if (type == 0) return;
    if (fe.mask_key[0] == dst->w && fe.mask_key[1] == dst->h && fe.mask_key[2] == type && fe.mask_key[3] == strength)
        return;
    if (fe.mask_texture) SDL_DestroyTexture(fe.mask_texture);
    fe.mask_texture = make_mask_texture(dst->w, dst->h, type, strength);
    // Kept even when the texture could not be made, so a size the renderer
    // refuses is not retried every frame.
    fe.mask_key[0] = dst->w;
    fe.mask_key[1] = dst->h;
    fe.mask_key[2] = type;
    fe.mask_key[3] = strength;
}

void draw_game_picture(int w, int h, int dim) {
    const FrontendSettings& s = fe.settings;
    PictureRect p = place_picture(w, h, (int)fe.adapter.width, (int)fe.adapter.height, fe.adapter.display_aspect,
                                  s.aspect_mode, s.scale_mode, s.rotation);
    SDL_Rect dst{p.x, p.y, p.w, p.h};
    double angle = s.rotation * 90.0;
    if (dim) SDL_SetTextureColorMod(fe.game_texture, 90, 90, 100);
    else SDL_SetTextureColorMod(fe.game_texture, 255, 255, 255);
    copy_turned(fe.game_texture, &dst, angle);
    if (s.scanlines > 0) {
        update_crt_mask_textures(&dst);
        if (fe.scanline_texture) {
            SDL_SetTextureAlphaMod(fe.scanline_texture, (uint8_t)(std::min(s.scanlines, 100) * 255 / 100));
            copy_turned(fe.scanline_texture, &dst, angle);
        }
    }
    if (s.mask > 0) {
        update_crt_mask_textures(&dst);
        if (fe.mask_texture) copy_turned(fe.mask_texture, &dst, angle);
    }
}

void draw_backdrop(int w, int h) {
    const FrontendSettings& s = fe.settings;
    PictureRect p = place_picture(w, h, (int)fe.adapter.width, (int)fe.adapter.height, fe.adapter.display_aspect,
                                  s.aspect_mode, s.scale_mode, s.rotation);
    // The opaque picture hides a backdrop it covers whole; the software
    // renderer would spend most of a pass stretching the glow under it.
    if (!picture_covers_output(p, w, h, s.rotation)) draw_border(w, h);
    draw_game_picture(w, h, fe.menu_open);
    if (fe.menu_open) fill_vertical_gradient(fe.renderer, 0, 0, w * 55 / 100, h, 0xEB100A08, 0xC8100A08);
}

void draw_menu_backdrop(int w, int h) {
    fill_vertical_gradient(fe.renderer, 0, 0, w, h, 0xFF211714, 0xFF0C0807);
    fill_rect(fe.renderer, 0, 0, w, fe.ui_unit * 3 / 100, (accent_colour() & 0x00FFFFFFu) | 0xC8000000u);
}
