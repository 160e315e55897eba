// Picture output: the game's frame through the brightness/gamma table into
// the streaming texture, placed with fit or integer scaling, the aspect and
// the rotation, under optional scanlines and a phosphor mask, over one of
// three backdrops. The decisions are the plain functions of picture.h; this
// file applies them through SDL.
//
// Everything reaches the screen already in the orientation it is shown in:
// the frame is turned while it goes through the table and the overlay is
// built turned, so the renderer only ever scales and never rotates a
// texture (a software renderer turns a whole output-sized copy per call).
// The scanlines and the mask are one cached texture multiplied over the
// picture, one blend per pass instead of two.
#include "frontend/picture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "frontend/draw.h"
#include "frontend/frontend.h"

namespace {

constexpr int GLOW_W = 24, GLOW_H = 18;

// The picture and the glow are opaque, so their textures carry no alpha:
// in the usual window format a software renderer scales them straight into
// the window instead of converting every pixel on the way.
constexpr Uint32 OPAQUE_FORMAT = SDL_PIXELFORMAT_RGB888;

// Saturating double-to-int conversion for sizes that a huge scale pushes
// past the int range.
int to_int_size(double v) {
    if (!(v > 0.0)) return 0;
    return v >= (double)INT_MAX ? INT_MAX : (int)v;
}

void set_game_texture_filter() {
    SDL_SetTextureScaleMode(fe.game_texture, fe.settings.filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

// Recreates the game texture when the picture's shape changes with the
// rotation (height x width when turned an odd number of times), or when it
// is not yet in the opaque format. 0 when it cannot be made: the picture is
// then not drawn rather than drawn from a texture of the wrong shape.
int fit_game_texture(int w, int h) {
    Uint32 format = 0;
    int tw = 0, th = 0;
    if (fe.game_texture && SDL_QueryTexture(fe.game_texture, &format, nullptr, &tw, &th) == 0 &&
        format == OPAQUE_FORMAT && tw == w && th == h)
        return 1;
    if (fe.game_texture) SDL_DestroyTexture(fe.game_texture);
    fe.game_texture = SDL_CreateTexture(fe.renderer, OPAQUE_FORMAT, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!fe.game_texture) return 0;
    set_game_texture_filter();
    return 1;
}

// The game texture holds the picture turned by the rotation it was
// converted with; a changed rotation (say, from the display menu while
// paused) converts the last frame again.
void sync_game_texture() {
    if (fe.picture_rotation != (fe.settings.rotation & 3)) apply_picture_adjust();
}

int renderer_is_software() {
    SDL_RendererInfo info;
    return SDL_GetRendererInfo(fe.renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
}

SDL_Texture* make_overlay_texture(const OverlayParams& o) {
    SDL_Texture* t = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, o.w, o.h);
    if (!t) return nullptr;
    uint32_t* px = (uint32_t*)malloc((size_t)o.w * (size_t)o.h * 4);
    if (!px) {
        SDL_DestroyTexture(t);
        return nullptr;
    }
    build_overlay_pixels(px, o);
    SDL_UpdateTexture(t, nullptr, px, o.w * 4);
    free(px);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_MOD);
    return t;
}

// The frame upright through the table, with linear filtering, for the glow
// to shrink; refreshed every pass, which costs little next to any stretch.
SDL_Texture* upright_glow_source() {
    int w = (int)fe.adapter.width, h = (int)fe.adapter.height;
    if (!fe.raw_frame || w <= 0 || h <= 0) return nullptr;
    int tw = 0, th = 0;
    if (fe.glow_source && (SDL_QueryTexture(fe.glow_source, nullptr, nullptr, &tw, &th) != 0 || tw != w || th != h)) {
        SDL_DestroyTexture(fe.glow_source);
        fe.glow_source = nullptr;
    }
    if (!fe.glow_source) {
        fe.glow_source = SDL_CreateTexture(fe.renderer, OPAQUE_FORMAT, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!fe.glow_source) return nullptr;
        SDL_SetTextureScaleMode(fe.glow_source, SDL_ScaleModeLinear);
        SDL_SetTextureBlendMode(fe.glow_source, SDL_BLENDMODE_NONE);
    }
    void* pixels;
    int pitch;
    if (SDL_LockTexture(fe.glow_source, nullptr, &pixels, &pitch) != 0) return nullptr;
    for (int y = 0; y < h; y++)
        convert_picture(fe.raw_frame + (size_t)y * w, (uint32_t*)((uint8_t*)pixels + (size_t)y * pitch), (size_t)w,
                        fe.picture_lut);
    SDL_UnlockTexture(fe.glow_source);
    return fe.glow_source;
}

// The ambient glow: the upright picture shrunk into a tiny target and
// stretched back over the whole output with linear filtering, darkened. 0
// when the renderer cannot do it (the caller then falls back to black).
int draw_glow(int w, int h, const PictureRect& shown, int dim) {
    if (!fe.glow_texture && !fe.glow_attempted) {
        fe.glow_attempted = 1;
        fe.glow_texture = SDL_CreateTexture(fe.renderer, OPAQUE_FORMAT, SDL_TEXTUREACCESS_TARGET, GLOW_W, GLOW_H);
        if (fe.glow_texture) {
            SDL_SetTextureScaleMode(fe.glow_texture, SDL_ScaleModeLinear);
            SDL_SetTextureBlendMode(fe.glow_texture, SDL_BLENDMODE_NONE);
        }
    }
    // Shrunk from its own upright, linearly filtered copy of the picture:
    // the game texture may hold the picture turned, and switching its
    // filter around a queued copy does not reach a renderer that batches
    // its commands.
    if (!fe.glow_texture) return 0;
    SDL_Texture* up = upright_glow_source();
    if (!up || SDL_SetRenderTarget(fe.renderer, fe.glow_texture) != 0) return 0;
    // Darkened in the small copy rather than over the whole output; under
    // an open menu dimmed with the picture as well.
    if (dim) SDL_SetTextureColorMod(up, 70 * 90 / 255, 70 * 90 / 255, 80 * 100 / 255);
    else SDL_SetTextureColorMod(up, 70, 70, 80);
    SDL_RenderCopy(fe.renderer, up, nullptr, nullptr);
    SDL_SetRenderTarget(fe.renderer, nullptr);
    // Under the opaque picture the glow would be stretched for nothing.
    GlowPart parts[2];
    int n = glow_parts(w, h, shown, GLOW_W, GLOW_H, parts);
    for (int i = 0; i < n; i++) {
        SDL_Rect src{parts[i].src.x, parts[i].src.y, parts[i].src.w, parts[i].src.h};
        SDL_Rect dst{parts[i].dst.x, parts[i].dst.y, parts[i].dst.w, parts[i].dst.h};
        SDL_RenderCopy(fe.renderer, fe.glow_texture, &src, &dst);
    }
    return 1;
}

void draw_border(int w, int h, const PictureRect& shown, int dim) {
    SDL_Renderer* r = fe.renderer;
    if (fe.settings.border == 1) {
        fill_vertical_gradient(r, 0, 0, w, h, 0xFF1E1512, 0xFF0B0706);
        uint32_t line = (accent_colour() & 0x00FFFFFFu) | 0x0A000000u;
        for (int k = 1; k <= 6; k++) fill_rect(r, 0, k * h / 7, w, 1, line);  // six faint lines
    } else if (fe.settings.border != 2 || !draw_glow(w, h, shown, dim)) {
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

void convert_picture_turned(const uint32_t* raw, uint32_t* out, int width, int height, int rotation,
                            const uint8_t lut[256]) {
    if (width <= 0 || height <= 0) return;
    // Shown pixel (x, y) comes from raw[base + x * dx + y * dy].
    ptrdiff_t w = width, h = height, base, dx, dy;
    int out_w = width, out_h = height;
    switch (rotation & 3) {
    case 1:  // the bottom-left pixel goes to the top left
        base = (h - 1) * w, dx = -w, dy = 1;
        out_w = height, out_h = width;
        break;
    case 2:
        base = h * w - 1, dx = -1, dy = -w;
        break;
    case 3:  // the top-right pixel goes to the top left
        base = w - 1, dx = w, dy = -1;
        out_w = height, out_h = width;
        break;
    default:
        convert_picture(raw, out, (size_t)width * height, lut);
        return;
    }
    for (int y = 0; y < out_h; y++) {
        const uint32_t* src = raw + base + y * dy;
        uint32_t* dst = out + (size_t)y * out_w;
        for (int x = 0; x < out_w; x++, src += dx) {
            uint32_t p = *src;
            dst[x] = 0xFF000000u | (uint32_t)lut[(p >> 16) & 0xFF] << 16 | (uint32_t)lut[(p >> 8) & 0xFF] << 8 |
                     lut[p & 0xFF];
        }
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

PictureRect shown_picture_rect(const PictureRect& p, int out_w, int out_h, int rotation) {
    if (rotation % 2 == 0) return p;
    return PictureRect{(out_w - p.h) / 2, (out_h - p.w) / 2, p.h, p.w};
}

int scanline_alpha(int row, int rows, int game_height, int software) {
    if (rows <= 0 || game_height <= 0 || row < 0) return 0;
    // Texel t is clear for even t and black for odd t; output row `row`
    // samples the column at (row + 0.5) x texels / rows - 0.5.
    int64_t texels = 2 * (int64_t)game_height, t, frac, one;
    if (software) {
        int64_t step = (texels << 16) / rows;
        int64_t pos = (step + 1) / 2 - 0x8000 + row * step;
        if (pos < 0) return 0;  // above the first texel's centre: clear
        t = pos >> 16;
        frac = (pos >> 9) & 127;
        one = 128;
    } else {
        // In units of 1 / (2 x rows).
        one = 2 * (int64_t)rows;
        int64_t pos = (2 * (int64_t)row + 1) * texels - rows;
        if (pos < 0) return 0;
        t = pos / one;
        frac = pos % one;
    }
    if (t >= texels - 1) return 255;  // below the last texel's centre: black
    int64_t a = t & 1 ? 255 : 0, b = 255 - a;
    if (software) return (int)((a * (one - frac) + b * frac) >> 7);
    return (int)((a * (one - frac) + b * frac + one / 2) / one);
}

namespace {

// Back to the picture's own orientation: column c and row r of `rows`.
void picture_position(const OverlayParams& o, int x, int y, int* c, int* r, int* rows) {
    switch (o.rotation & 3) {
    case 1: *c = y, *r = o.w - 1 - x, *rows = o.w; break;
    case 2: *c = o.w - 1 - x, *r = o.h - 1 - y, *rows = o.h; break;
    case 3: *c = o.h - 1 - y, *r = x, *rows = o.w; break;
    default: *c = x, *r = y, *rows = o.h; break;
    }
}

// What the scanline at picture row r leaves of the picture (0..255): the
// black scanline layer at its strength over the picture keeps (255 -
// alpha) / 255 of it.
uint32_t scanline_keep(const OverlayParams& o, int r, int rows) {
    if (o.scanlines <= 0) return 255;
    int strength = std::min(o.scanlines, 100) * 255 / 100;
    return 255 - (uint32_t)(scanline_alpha(r, rows, o.game_height, o.software) * strength / 255);
}

// The mask pixel with the scanline folded into its multiply.
uint32_t darken(uint32_t m, uint32_t keep) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) out |= (((m >> shift & 0xFF) * keep + 127) / 255) << shift;
    return out;
}

}  // namespace

uint32_t overlay_pixel(const OverlayParams& o, int x, int y) {
    int c, r, rows;
    picture_position(o, x, y, &c, &r, &rows);
    uint32_t m = o.mask > 0 ? mask_pixel(o.mask, o.mask_strength, c, r) : 0xFFFFFFFFu;
    return darken(m, scanline_keep(o, r, rows));
}

void build_overlay_pixels(uint32_t* out, const OverlayParams& o) {
    if (o.w <= 0 || o.h <= 0) return;
    // Every mask repeats within 6 columns and 4 rows.
    uint32_t tile[4][6];
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 6; c++) tile[r][c] = o.mask > 0 ? mask_pixel(o.mask, o.mask_strength, c, r) : 0xFFFFFFFFu;
    int c, r, rows;
    if (o.rotation & 1) {
        // A picture row is a screen column: the first output row holds each
        // column's scanline level until it is filled last.
        for (int x = 0; x < o.w; x++) {
            picture_position(o, x, 0, &c, &r, &rows);
            out[x] = scanline_keep(o, r, rows);
        }
        for (int y = o.h - 1; y >= 0; y--) {
            for (int x = 0; x < o.w; x++) {
                picture_position(o, x, y, &c, &r, &rows);
                out[(size_t)y * o.w + x] = darken(tile[r % 4][c % 6], out[x]);
            }
        }
        return;
    }
    for (int y = 0; y < o.h; y++) {
        picture_position(o, 0, y, &c, &r, &rows);
        uint32_t keep = scanline_keep(o, r, rows);
        for (int x = 0; x < o.w; x++) {
            picture_position(o, x, y, &c, &r, &rows);
            out[(size_t)y * o.w + x] = darken(tile[r % 4][c % 6], keep);
        }
    }
}

namespace {

// The texel counts of the glow's two strips along one axis, n texels
// stretched over `size` pixels: `before` free pixels at the start of the
// output and `after` at the end. A side with no room gets 0. Returns 0
// when the strips would meet, so that the whole glow is drawn instead.
int glow_strips(int size, int n, int before, int after, int* first, int* last) {
    int64_t step = n / std::gcd(size, n);  // the fewest texels that stretch to whole pixels
    auto texels = [&](int64_t room) -> int64_t {
        if (room <= 0) return 0;
        // The least k with (k - 1/2) x size / n >= room, rounded up to a step.
        int64_t k = (2 * room * n + size + 2 * (int64_t)size - 1) / (2 * (int64_t)size);
        return (k + step - 1) / step * step;
    };
    int64_t a = texels(before), b = texels(after);
    if (a + b >= n) return 0;
    *first = (int)a;
    *last = (int)b;
    return 1;
}

}  // namespace

int glow_parts(int out_w, int out_h, const PictureRect& shown, int gw, int gh, GlowPart parts[2]) {
    parts[0] = GlowPart{{0, 0, gw, gh}, {0, 0, out_w, out_h}};
    if (out_w <= 0 || out_h <= 0 || gw <= 0 || gh <= 0) return 1;
    int first = 0, last = 0, count = 0;
    bool full_height = shown.y <= 0 && shown.y + shown.h >= out_h;
    bool full_width = shown.x <= 0 && shown.x + shown.w >= out_w;
    if (full_height && glow_strips(out_w, gw, shown.x, out_w - shown.x - shown.w, &first, &last)) {
        int pw = (int)((int64_t)first * out_w / gw), qw = (int)((int64_t)last * out_w / gw);
        if (first) parts[count++] = GlowPart{{0, 0, first, gh}, {0, 0, pw, out_h}};
        if (last) parts[count++] = GlowPart{{gw - last, 0, last, gh}, {out_w - qw, 0, qw, out_h}};
        return count;
    }
    if (full_width && glow_strips(out_h, gh, shown.y, out_h - shown.y - shown.h, &first, &last)) {
        int ph = (int)((int64_t)first * out_h / gh), qh = (int)((int64_t)last * out_h / gh);
        if (first) parts[count++] = GlowPart{{0, 0, gw, first}, {0, 0, out_w, ph}};
        if (last) parts[count++] = GlowPart{{0, gh - last, gw, last}, {0, out_h - qh, out_w, qh}};
        return count;
    }
    return 1;
}

int picture_covers_output(const PictureRect& p, int out_w, int out_h, int rotation) {
    PictureRect s = shown_picture_rect(p, out_w, out_h, rotation);
    return s.x <= 0 && s.y <= 0 && s.x + s.w >= out_w && s.y + s.h >= out_h;
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
    int w = (int)fe.adapter.width, h = (int)fe.adapter.height, turns = fe.settings.rotation & 3;
    if (fe.raw_frame && fe.picture_frame)
        convert_picture_turned(fe.raw_frame, fe.picture_frame, w, h, turns, fe.picture_lut);
    fe.picture_rotation = turns;
    int tw = turns & 1 ? h : w, th = turns & 1 ? w : h;
    if (!fe.picture_frame || tw <= 0 || th <= 0 || !fit_game_texture(tw, th)) return;
    SDL_UpdateTexture(fe.game_texture, nullptr, fe.picture_frame, tw * 4);
    SDL_SetTextureBlendMode(fe.game_texture, SDL_BLENDMODE_NONE);  // opaque: a plain copy
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
    const FrontendSettings& s = fe.settings;
    if (s.mask <= 0 && s.scanlines <= 0) return;
    OverlayParams o{dst->w, dst->h, s.mask, s.mask_strength, s.scanlines, s.rotation & 3, (int)fe.adapter.height,
                    renderer_is_software()};
    const int key[7] = {o.w, o.h, o.mask, o.mask_strength, o.scanlines, o.rotation, o.game_height};
    if (memcmp(key, fe.mask_key, sizeof key) == 0) return;
    if (fe.mask_texture) SDL_DestroyTexture(fe.mask_texture);
    fe.mask_texture = make_overlay_texture(o);
    // Kept even when the texture could not be made, so a size the renderer
    // refuses is not retried every frame.
    memcpy(fe.mask_key, key, sizeof key);
}

void draw_game_picture(int w, int h, int dim) {
    const FrontendSettings& s = fe.settings;
    sync_game_texture();
    PictureRect p = place_picture(w, h, (int)fe.adapter.width, (int)fe.adapter.height, fe.adapter.display_aspect,
                                  s.aspect_mode, s.scale_mode, s.rotation);
    PictureRect shown = shown_picture_rect(p, w, h, s.rotation);
    SDL_Rect dst{shown.x, shown.y, shown.w, shown.h};
    if (fe.game_texture) {
        if (dim) SDL_SetTextureColorMod(fe.game_texture, 90, 90, 100);
        else SDL_SetTextureColorMod(fe.game_texture, 255, 255, 255);
        SDL_RenderCopy(fe.renderer, fe.game_texture, nullptr, &dst);
    }
    if (s.scanlines > 0 || s.mask > 0) {
        update_crt_mask_textures(&dst);
        if (fe.mask_texture) SDL_RenderCopy(fe.renderer, fe.mask_texture, nullptr, &dst);
    }
}

void draw_backdrop(int w, int h) {
    const FrontendSettings& s = fe.settings;
    PictureRect p = place_picture(w, h, (int)fe.adapter.width, (int)fe.adapter.height, fe.adapter.display_aspect,
                                  s.aspect_mode, s.scale_mode, s.rotation);
    // The opaque picture hides a backdrop it covers whole.
    if (!picture_covers_output(p, w, h, s.rotation))
        draw_border(w, h, shown_picture_rect(p, w, h, s.rotation), fe.menu_open);
    draw_game_picture(w, h, fe.menu_open);
    if (fe.menu_open) fill_vertical_gradient(fe.renderer, 0, 0, w * 55 / 100, h, 0xEB100A08, 0xC8100A08);
}

void draw_menu_backdrop(int w, int h) {
    fill_vertical_gradient(fe.renderer, 0, 0, w, h, 0xFF211714, 0xFF0C0807);
    fill_rect(fe.renderer, 0, 0, w, fe.ui_unit * 3 / 100, (accent_colour() & 0x00FFFFFFu) | 0xC8000000u);
}
