// The text layer's decoding and glyph choice, open to tests.
#pragma once

#include <cstdint>

constexpr uint32_t REPLACEMENT_CHAR = 0xFFFD;
constexpr int FALLBACK_GLYPH = 31;  // "?"

// Decodes the code point at s into *cp and returns the bytes it consumed;
// 0 at the terminating zero byte. A broken sequence gives U+FFFD and
// consumes only the lead and the good continuation bytes before the
// offending byte, which is then read again as a new lead.
int utf8_decode(const char* s, uint32_t* cp);

// Index in the glyph table of a code point; "?" for those the font lacks.
int glyph_index(uint32_t cp);

// The atlas's single-channel coverage, inflated into a new buffer of
// FONT_ATLAS_WIDTH x FONT_ATLAS_HEIGHT bytes (free() it); null when the
// stream is damaged or inflates to another size.
uint8_t* inflate_font_atlas();
