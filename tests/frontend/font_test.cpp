// The built-in font: the committed atlas data's format, UTF-8 decoding,
// glyph choice, measuring, and text drawn where it was measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/font_atlas.h"
#include "frontend/font.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"
#include "zipio/zip_io.h"

namespace {

constexpr int NBSP = 95, SOFT_HYPHEN = 108;

struct Decoded {
    uint32_t cp;
    int used;
};

Decoded decode(const char* s) {
    Decoded d{0, 0};
    d.used = utf8_decode(s, &d.cp);
    return d;
}

std::vector<uint32_t> code_points(const char* s) {
    std::vector<uint32_t> out;
    uint32_t cp;
    for (int n; (n = utf8_decode(s, &cp)) > 0; s += n) out.push_back(cp);
    return out;
}

}  // namespace

TEST(FontAtlas, StreamInflatesToExactlyTheAtlasSize) {
    // Room for more than the atlas, so a stream that is too long shows.
    size_t room = (size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT + 4096;
    std::vector<uint8_t> out(room);
    size_t len = room;
    ASSERT_EQ(zipio_uncompress(out.data(), &len, FONT_ATLAS_ZLIB, FONT_ATLAS_ZLIB_SIZE), 1);
    EXPECT_EQ(len, (size_t)1024 * 348);
    std::unique_ptr<uint8_t, decltype(&free)> atlas(inflate_font_atlas(), free);
    ASSERT_NE(atlas, nullptr);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + (long)len, atlas.get()));
}

TEST(FontAtlas, CellsArePackedOnTheRowGridInsideTheAtlas) {
    ASSERT_EQ(FONT_GLYPH_COUNT, 191);
    int expect_x = 0, expect_y = 0;
    for (int i = 0; i < FONT_GLYPH_COUNT; i++) {
        const GlyphInfo& g = FONT_GLYPHS[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(g.h, 58);
        EXPECT_GT(g.w, 0);
        if (expect_x + g.w > FONT_ATLAS_WIDTH) {
            expect_x = 0;
            expect_y += FONT_LINE_HEIGHT;
        }
        EXPECT_EQ(g.x, expect_x);
        EXPECT_EQ(g.y, expect_y);
        EXPECT_EQ(g.y % 58, 0);
        EXPECT_LE(g.x + g.w, FONT_ATLAS_WIDTH);
        EXPECT_LE(g.y + g.h, FONT_ATLAS_HEIGHT);
        expect_x = g.x + g.w;
    }
}

TEST(FontAtlas, AdvancesAndBearings) {
    for (int i = 0; i < FONT_GLYPH_COUNT; i++) {
        const GlyphInfo& g = FONT_GLYPHS[i];
        SCOPED_TRACE(i);
        if (i == SOFT_HYPHEN) {
            EXPECT_EQ(g.advance, 0.0f);
        } else {
            EXPECT_GT(g.advance, 0.0f);
            EXPECT_LT(g.advance, 58.0f);
        }
        // The cell starts left of the pen and reaches past the advance.
        EXPECT_LE(g.bearing, -2);
        EXPECT_GE(g.bearing, -8);
        EXPECT_GE(g.bearing + g.w, g.advance + 1.0f);
    }
    EXPECT_EQ(FONT_GLYPHS[0].advance, FONT_GLYPHS[NBSP].advance);
    EXPECT_EQ(FONT_GLYPHS[0].w, FONT_GLYPHS[NBSP].w);
}

TEST(FontAtlas, InkLiesInTheCellsOfVisibleGlyphsOnly) {
    std::unique_ptr<uint8_t, decltype(&free)> atlas(inflate_font_atlas(), free);
    ASSERT_NE(atlas, nullptr);
    std::vector<uint8_t> covered((size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT, 0);
    for (int i = 0; i < FONT_GLYPH_COUNT; i++) {
        const GlyphInfo& g = FONT_GLYPHS[i];
        long ink = 0;
        for (int y = g.y; y < g.y + g.h; y++)
            for (int x = g.x; x < g.x + g.w; x++) {
                ink += atlas.get()[(size_t)y * FONT_ATLAS_WIDTH + x];
                covered[(size_t)y * FONT_ATLAS_WIDTH + x] = 1;
            }
        bool blank = i == 0 || i == NBSP || i == SOFT_HYPHEN;
        EXPECT_EQ(ink == 0, blank) << "glyph " << i;
    }
    for (size_t p = 0; p < covered.size(); p++) {
        if (!covered[p]) {
            ASSERT_EQ(atlas.get()[p], 0) << "ink outside every cell at " << p;
        }
    }
}

TEST(Utf8, DecodesWellFormedSequences) {
    EXPECT_EQ(decode("A").cp, 0x41u);
    EXPECT_EQ(decode("A").used, 1);
    EXPECT_EQ(decode("\xC3\xA9").cp, 0xE9u);
    EXPECT_EQ(decode("\xC3\xA9").used, 2);
    EXPECT_EQ(decode("\xE2\x82\xAC").cp, 0x20ACu);
    EXPECT_EQ(decode("\xE2\x82\xAC").used, 3);
    EXPECT_EQ(decode("\xF0\x9F\x98\x80").cp, 0x1F600u);
    EXPECT_EQ(decode("\xF0\x9F\x98\x80").used, 4);
    EXPECT_EQ(decode("").used, 0);
    // No checks beyond the shape: an overlong form decodes to its value.
    EXPECT_EQ(decode("\xC0\x80").cp, 0u);
}

TEST(Utf8, BrokenSequencesGiveOneReplacementAndTheBadByteIsReadAgain) {
    EXPECT_EQ(code_points("a\xC3" "b"), (std::vector<uint32_t>{'a', REPLACEMENT_CHAR, 'b'}));
    EXPECT_EQ(code_points("\x80x"), (std::vector<uint32_t>{REPLACEMENT_CHAR, 'x'}));
    EXPECT_EQ(code_points("\xE2\x82" "A"), (std::vector<uint32_t>{REPLACEMENT_CHAR, 'A'}));
    // A broken lead before another lead: the second sequence still decodes.
    EXPECT_EQ(code_points("\xE2\xC3\xA9"), (std::vector<uint32_t>{REPLACEMENT_CHAR, 0xE9}));
    // A lone 0xFF is a four-byte lead; what follows decides the length.
    EXPECT_EQ(decode("\xFF" "abc").used, 1);
    EXPECT_EQ(decode("\xFF\x80\x80\x80").used, 4);
    EXPECT_EQ(decode("\xFF\x80\x80\x80").cp, 0x1C0000u);
    // The end of the text inside a sequence stops there.
    EXPECT_EQ(decode("\xF0\x9F").used, 2);
    EXPECT_EQ(code_points("\xF0\x9F"), std::vector<uint32_t>{REPLACEMENT_CHAR});
}

TEST(Glyphs, LatinOneHasItsOwnGlyphsEverythingElseIsTheQuestionMark) {
    EXPECT_EQ(glyph_index(' '), 0);
    EXPECT_EQ(glyph_index('?'), 31);
    EXPECT_EQ(glyph_index('A'), 33);
    EXPECT_EQ(glyph_index('~'), 94);
    EXPECT_EQ(glyph_index(0xA0), 95);
    EXPECT_EQ(glyph_index(0xAD), 108);
    EXPECT_EQ(glyph_index(0xE9), 168);
    EXPECT_EQ(glyph_index(0xFF), 190);
    for (uint32_t cp : {0x00u, 0x1Fu, 0x7Fu, 0x80u, 0x9Fu, 0x100u, 0x20ACu, 0xFFFDu, 0x1F600u})
        EXPECT_EQ(glyph_index(cp), FALLBACK_GLYPH) << cp;
}

TEST(TextMetrics, WidthsAreSummedThenScaledAndRoundedOnce) {
    EXPECT_EQ(text_line_height(44), 58);
    EXPECT_EQ(text_line_height(22), 29);
    EXPECT_EQ(text_line_height(30), 40);  // 39.55 rounds up
    EXPECT_EQ(measure_text_width("", 44), 0);
    EXPECT_EQ(measure_text_width(nullptr, 44), 0);
    double space = FONT_GLYPHS[0].advance;
    EXPECT_EQ(measure_text_width("   ", 30), (int)(3 * space * (30 / 44.0) + 0.5));
    double a = FONT_GLYPHS[33].advance, e = FONT_GLYPHS[168].advance, q = FONT_GLYPHS[31].advance;
    EXPECT_EQ(measure_text_width("A\xC3\xA9", 44), (int)(a + e + 0.5));
    EXPECT_EQ(measure_text_width("A\xC3\xA9", 17), (int)((a + e) * (17 / 44.0) + 0.5));
    // The broken byte measures as "?", and the soft hyphen takes no room.
    EXPECT_EQ(measure_text_width("A\xC3" "A", 44), (int)(a + q + a + 0.5));
    EXPECT_EQ(measure_text_width("A\xC2\xAD" "A", 44), measure_text_width("AA", 44));
    EXPECT_EQ(measure_text_width("\xE2\x82\xAC", 44), measure_text_width("?", 44));
}

class FontTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        ASSERT_EQ(create_font_texture(fe.renderer), 1);
        clear_output();
    }

    struct Box {
        int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
        long ink = 0;
    };
    // Where any channel rose above black in the rectangle.
    Box ink_box(int x, int y, int w, int h) {
        std::vector<uint32_t> px = read_pixels(x, y, w, h);
        Box b;
        for (int r = 0; r < h; r++)
            for (int c = 0; c < w; c++) {
                uint32_t p = px[(size_t)r * w + c] & 0xFFFFFF;
                if (!p) continue;
                b.ink += red_of(p) + green_of(p) + blue_of(p);
                b.left = std::min(b.left, x + c);
                b.right = std::max(b.right, x + c);
                b.top = std::min(b.top, y + r);
                b.bottom = std::max(b.bottom, y + r);
            }
        return b;
    }
};

TEST_F(FontTest, TextIsDrawnWhereItWasMeasured) {
    const char* text = "HHHH";
    int width = draw_text(fe.renderer, text, 100, 100, 44, 0xFFFFFFFF, ALIGN_LEFT);
    EXPECT_EQ(width, measure_text_width(text, 44));
    Box b = ink_box(0, 0, 600, 300);
    ASSERT_GT(b.ink, 0);
    EXPECT_GE(b.left, 100);
    EXPECT_LE(b.left, 106);
    EXPECT_LE(b.right, 100 + width);
    EXPECT_GE(b.right, 100 + width - 8);
    EXPECT_GE(b.top, 100);
    EXPECT_LE(b.bottom, 100 + 58);

    // Right-aligned: the same ink, ending at x.
    clear_output();
    EXPECT_EQ(draw_text(fe.renderer, text, 500, 100, 44, 0xFFFFFFFF, ALIGN_RIGHT), width);
    Box r = ink_box(0, 0, 600, 300);
    EXPECT_EQ(r.left, b.left + 400 - width);
    EXPECT_EQ(r.right, b.right + 400 - width);

    // Centred: x - width / 2, truncating.
    clear_output();
    draw_text(fe.renderer, text, 300, 100, 44, 0xFFFFFFFF, ALIGN_CENTRE);
    Box c = ink_box(0, 0, 600, 300);
    EXPECT_EQ(c.left, b.left + 200 - width / 2);

    // Any other alignment is left.
    clear_output();
    draw_text(fe.renderer, text, 100, 100, 44, 0xFFFFFFFF, 7);
    EXPECT_EQ(ink_box(0, 0, 600, 300).left, b.left);
}

TEST_F(FontTest, SizeScalesTheGlyphs) {
    int small = draw_text(fe.renderer, "Hello", 50, 50, 22, 0xFFFFFFFF, ALIGN_LEFT);
    Box s = ink_box(0, 0, 400, 200);
    clear_output();
    int large = draw_text(fe.renderer, "Hello", 50, 50, 88, 0xFFFFFFFF, ALIGN_LEFT);
    Box l = ink_box(0, 0, 800, 300);
    EXPECT_NEAR(large, 4 * small, 3);
    EXPECT_NEAR(l.bottom - l.top, 4 * (s.bottom - s.top), 6);
    EXPECT_LE(s.bottom, 50 + text_line_height(22));
}

TEST_F(FontTest, ColourAndAlphaModulateTheGlyphs) {
    draw_text(fe.renderer, "W", 10, 10, 44, 0xFF0000FF, ALIGN_LEFT);  // red
    Box red = ink_box(0, 0, 100, 100);
    std::vector<uint32_t> px = read_pixels(0, 0, 100, 100);
    int brightest = 0;
    for (uint32_t p : px) {
        EXPECT_EQ(green_of(p), 0);
        EXPECT_EQ(blue_of(p), 0);
        brightest = std::max(brightest, red_of(p));
    }
    EXPECT_EQ(brightest, 255);
    clear_output();
    draw_text(fe.renderer, "W", 10, 10, 44, 0x80FFFFFF, ALIGN_LEFT);  // half-transparent white
    Box half = ink_box(0, 0, 100, 100);
    EXPECT_NEAR(half.left, red.left, 1);  // only the faintest edge may vanish
    px = read_pixels(0, 0, 100, 100);
    brightest = 0;
    for (uint32_t p : px) brightest = std::max(brightest, red_of(p));
    EXPECT_NEAR(brightest, 128, 2);
}

TEST_F(FontTest, BrokenBytesDrawAsQuestionMarksAndSpacesDrawNothing) {
    draw_text(fe.renderer, "a\xC3" "b", 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT);
    std::vector<uint32_t> broken = read_pixels(0, 0, 200, 100);
    clear_output();
    draw_text(fe.renderer, "a?b", 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT);
    EXPECT_EQ(read_pixels(0, 0, 200, 100), broken);

    clear_output();
    int w = draw_text(fe.renderer, "    ", 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT);
    EXPECT_EQ(w, (int)(4 * (double)FONT_GLYPHS[0].advance + 0.5));
    EXPECT_EQ(ink_box(0, 0, 200, 100).ink, 0);
}

TEST_F(FontTest, WithoutTheTextureNothingIsDrawnButMeasuringStillWorks) {
    EXPECT_EQ(draw_text(fe.renderer, nullptr, 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT), 0);
    destroy_font_texture();
    destroy_font_texture();  // twice is harmless
    EXPECT_EQ(draw_text(fe.renderer, "Hello", 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT), 0);
    EXPECT_EQ(ink_box(0, 0, 300, 100).ink, 0);
    EXPECT_GT(measure_text_width("Hello", 44), 0);
    EXPECT_EQ(text_line_height(44), 58);
    // Made again, it draws again.
    ASSERT_EQ(create_font_texture(fe.renderer), 1);
    EXPECT_GT(draw_text(fe.renderer, "Hello", 10, 10, 44, 0xFFFFFFFF, ALIGN_LEFT), 0);
    EXPECT_GT(ink_box(0, 0, 300, 100).ink, 0);
}
