// The built-in font: one static texture made from the compressed coverage
// atlas, white with the coverage as alpha, so every text is one colour- and
// alpha-modulated copy per glyph. Text is UTF-8; what the font lacks, and
// every broken sequence, shows as "?".
#include "frontend/font.h"

#include <cstdlib>

#include "data/font_atlas.h"
#include "frontend/frontend.h"
#include "zipio/zip_io.h"

namespace {

constexpr size_t ATLAS_BYTES = (size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT;

SDL_Texture* font_texture;

// Sum of the advances at the nominal size, in the text's own scale.
int text_width(const char* text, double scale) {
    double sum = 0.0;
    uint32_t cp;
    for (int n; (n = utf8_decode(text, &cp)) > 0; text += n) sum += FONT_GLYPHS[glyph_index(cp)].advance;
    return (int)(sum * scale + 0.5);
}

}  // namespace

int utf8_decode(const char* s, uint32_t* cp) {
    unsigned b = (unsigned char)s[0];
    if (b == 0) return 0;
    if (b <= 0x7F) {
        *cp = b;
        return 1;
    }
    if (b <= 0xBF) {
        *cp = REPLACEMENT_CHAR;
        return 1;
    }
    int expect = b <= 0xDF ? 1 : b <= 0xEF ? 2 : 3;
    uint32_t payload = b & (b <= 0xDF ? 0x1F : b <= 0xEF ? 0x0F : 0x07);
    for (int i = 1; i <= expect; i++) {
        unsigned c = (unsigned char)s[i];
        if (c < 0x80 || c > 0xBF) {
            *cp = REPLACEMENT_CHAR;
            return i;
        }
        payload = payload << 6 | (c & 0x3F);
    }
    *cp = payload;
    return expect + 1;
}

int glyph_index(uint32_t cp) {
    if (cp >= 0x20 && cp <= 0x7E) return (int)cp - 0x20;
    if (cp >= 0xA0 && cp <= 0xFF) return (int)cp - 0x41;
    return FALLBACK_GLYPH;
}

uint8_t* inflate_font_atlas() {
    uint8_t* coverage = (uint8_t*)malloc(ATLAS_BYTES);
    if (!coverage) return nullptr;
    size_t len = ATLAS_BYTES;
    if (!zipio_uncompress(coverage, &len, FONT_ATLAS_ZLIB, FONT_ATLAS_ZLIB_SIZE) || len != ATLAS_BYTES) {
        free(coverage);
        return nullptr;
    }
    return coverage;
}

int create_font_texture(SDL_Renderer* r) {
    destroy_font_texture();
    uint8_t* coverage = inflate_font_atlas();
    uint32_t* pixels = coverage ? (uint32_t*)malloc(ATLAS_BYTES * 4) : nullptr;
    if (pixels) {
        for (size_t i = 0; i < ATLAS_BYTES; i++) pixels[i] = (uint32_t)coverage[i] << 24 | 0x00FFFFFF;
        font_texture = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, FONT_ATLAS_WIDTH,
                                         FONT_ATLAS_HEIGHT);
        if (font_texture) {
            SDL_UpdateTexture(font_texture, nullptr, pixels, FONT_ATLAS_WIDTH * 4);
            SDL_SetTextureBlendMode(font_texture, SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(font_texture, SDL_ScaleModeLinear);
        }
    }
    free(pixels);
    free(coverage);
    return font_texture != nullptr;
}

void destroy_font_texture() {
    if (font_texture) SDL_DestroyTexture(font_texture);
    font_texture = nullptr;
}

int measure_text_width(const char* text, int size) {
    return text ? text_width(text, size / (double)FONT_NOMINAL_SIZE) : 0;
}

int text_line_height(int size) { return (int)(size / (double)FONT_NOMINAL_SIZE * FONT_LINE_HEIGHT + 0.5); }

int draw_text(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align) {
    if (!font_texture || !text) return 0;
    double s = size / (double)FONT_NOMINAL_SIZE;
    int width = text_width(text, s);
    if (align == ALIGN_RIGHT) x -= width;
    else if (align == ALIGN_CENTRE) x -= width / 2;
    SDL_SetTextureColorMod(font_texture, (uint8_t)colour, (uint8_t)(colour >> 8), (uint8_t)(colour >> 16));
    SDL_SetTextureAlphaMod(font_texture, (uint8_t)(colour >> 24));
    double pen = x;
    uint32_t cp;
    for (int n; (n = utf8_decode(text, &cp)) > 0; text += n) {
        const GlyphInfo& g = FONT_GLYPHS[glyph_index(cp)];
        if (cp != 0x20) {
            SDL_Rect src{g.x, g.y, g.w, g.h};
            SDL_Rect dst{(int)(pen + g.bearing * s + 0.5), y, (int)(g.w * s + 0.99), (int)(g.h * s + 0.99)};
            SDL_RenderCopy(r, font_texture, &src, &dst);
        }
        pen += g.advance * s;
    }
    return width;
}
