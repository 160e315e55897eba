// The built-in font: a 1024 x 348 single-channel coverage atlas of the
// Latin-1 printable glyphs, stored as one zlib stream, and the glyph table.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int FONT_ATLAS_WIDTH = 1024;
constexpr int FONT_ATLAS_HEIGHT = 348;
constexpr int FONT_GLYPH_COUNT = 191;
constexpr int FONT_NOMINAL_SIZE = 44;
constexpr int FONT_LINE_HEIGHT = 58;

struct GlyphInfo {
    uint16_t x, y;   // top-left corner of the glyph's cell in the atlas
    uint16_t w, h;   // the cell's size
    float advance;   // pen advance at the nominal size
    int16_t bearing; // offset of the cell's left edge from the pen
};

extern const unsigned char FONT_ATLAS_ZLIB[];
extern const size_t FONT_ATLAS_ZLIB_SIZE;
extern const GlyphInfo FONT_GLYPHS[FONT_GLYPH_COUNT];
