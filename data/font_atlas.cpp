// Placeholder until the generated atlas is committed.
#include "data/font_atlas.h"

const unsigned char FONT_ATLAS_ZLIB[1] = {0};
const size_t FONT_ATLAS_ZLIB_SIZE = 0;
const GlyphInfo FONT_GLYPHS[FONT_GLYPH_COUNT] = {};
