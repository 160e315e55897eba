// The built-in font: the committed atlas data's format, UTF-8 decoding,
// glyph choice, measuring, and text drawn where it was measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "data/font_atlas.h"
#include "frontend/font.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"
#include "zipio/zip_io.h"

namespace {

constexpr int NBSP = 95, SOFT_HYPHEN = 108;
constexpr uint32_t WHITE = 0xFFFFFFFF;

}  // namespace

TEST(FontAtlas, CommittedDataInflatesTo191PackedCellsWithInkOnlyInVisibleGlyphs) {
    // Room for more than the atlas, so a stream that is too long shows.
    size_t room = (size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT + 4096, len = room;
    std::vector<uint8_t> out(room);
    ASSERT_EQ(zipio_uncompress(out.data(), &len, FONT_ATLAS_ZLIB, FONT_ATLAS_ZLIB_SIZE), 1);
    EXPECT_EQ(len, (size_t)1024 * 348);
    std::unique_ptr<uint8_t, decltype(&free)> atlas(inflate_font_atlas(), free);
    ASSERT_NE(atlas, nullptr);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + (long)len, atlas.get()));

    // Cells 58 tall, packed left to right on rows of the line height.
    ASSERT_EQ(FONT_GLYPH_COUNT, 191);
    std::vector<uint8_t> covered((size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT, 0);
    int expect_x = 0, expect_y = 0;
    for (int i = 0; i < FONT_GLYPH_COUNT; i++) {
        const GlyphInfo& g = FONT_GLYPHS[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(g.h, 58);
        EXPECT_GT(g.w, 0);
        if (expect_x + g.w > FONT_ATLAS_WIDTH) expect_x = 0, expect_y += FONT_LINE_HEIGHT;
        EXPECT_EQ(g.x, expect_x);
        EXPECT_EQ(g.y, expect_y);
        ASSERT_LE(g.x + g.w, FONT_ATLAS_WIDTH);
        ASSERT_LE(g.y + g.h, FONT_ATLAS_HEIGHT);
        expect_x = g.x + g.w;
        // Only the soft hyphen takes no room; the cell starts left of the
        // pen and reaches past the advance.
        if (i == SOFT_HYPHEN) {
            EXPECT_EQ(g.advance, 0.0f);
        } else {
            EXPECT_GT(g.advance, 0.0f);
            EXPECT_LT(g.advance, 58.0f);
        }
        EXPECT_LE(g.bearing, -2);
        EXPECT_GE(g.bearing, -8);
        EXPECT_GE(g.bearing + g.w, g.advance + 1.0f);
        // Ink in every cell but the blank ones, and nowhere outside the cells.
        long ink = 0;
        for (int y = g.y; y < g.y + g.h; y++)
            for (int x = g.x; x < g.x + g.w; x++) {
                ink += atlas.get()[(size_t)y * FONT_ATLAS_WIDTH + x];
                covered[(size_t)y * FONT_ATLAS_WIDTH + x] = 1;
            }
        EXPECT_EQ(ink == 0, i == 0 || i == NBSP || i == SOFT_HYPHEN);
    }
    EXPECT_EQ(FONT_GLYPHS[0].advance, FONT_GLYPHS[NBSP].advance);
    EXPECT_EQ(FONT_GLYPHS[0].w, FONT_GLYPHS[NBSP].w);
    for (size_t p = 0; p < covered.size(); p++) {
        if (!covered[p]) {
            ASSERT_EQ(atlas.get()[p], 0) << "ink outside every cell at " << p;
        }
    }
}

TEST(Utf8, DecodesByShapeAndReadsTheByteThatBrokeASequenceAgain) {
    constexpr uint32_t BAD = REPLACEMENT_CHAR;
    const struct {
        const char* text;
        std::vector<uint32_t> code_points;
        int first_used;  // bytes the first decode consumes
    } cases[] = {
        {"A", {0x41}, 1},
        {"\xC3\xA9", {0xE9}, 2},
        {"\xE2\x82\xAC", {0x20AC}, 3},
        {"\xF0\x9F\x98\x80", {0x1F600}, 4},
        {"", {}, 0},
        {"\xC0\x80", {0}, 2},  // no checks beyond the shape: an overlong form decodes to its value
        {"a\xC3z", {'a', BAD, 'z'}, 1},
        {"\x80x", {BAD, 'x'}, 1},
        {"\xE2\x82Z", {BAD, 'Z'}, 2},
        {"\xE2\xC3\xA9", {BAD, 0xE9}, 1},      // a broken lead before another lead
        {"\xFFxyz", {BAD, 'x', 'y', 'z'}, 1},  // 0xFF is a four-byte lead
        {"\xFF\x80\x80\x80", {0x1C0000}, 4},
        {"\xF0\x9F", {BAD}, 2},  // the end of the text inside a sequence stops there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        uint32_t cp = 0;
        EXPECT_EQ(utf8_decode(c.text, &cp), c.first_used);
        std::vector<uint32_t> got;
        const char* s = c.text;
        for (int n; (n = utf8_decode(s, &cp)) > 0; s += n) got.push_back(cp);
        EXPECT_EQ(got, c.code_points);
    }
}

TEST(Glyphs, LatinOneHasItsOwnGlyphsEverythingElseIsTheQuestionMark) {
    const uint32_t own[][2] = {{' ', 0},   {'?', 31},   {'A', 33},   {'~', 94},
                               {0xA0, 95}, {0xAD, 108}, {0xE9, 168}, {0xFF, 190}};
    for (const auto& c : own) EXPECT_EQ(glyph_index(c[0]), (int)c[1]) << c[0];
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
    double w = FONT_GLYPHS['W' - 0x20].advance;
    EXPECT_EQ(measure_text_width("A\xC3\xA9", 44), (int)(a + e + 0.5));
    EXPECT_EQ(measure_text_width("A\xC3\xA9", 17), (int)((a + e) * (17 / 44.0) + 0.5));
    // The broken byte measures as "?", and the soft hyphen takes no room.
    EXPECT_EQ(measure_text_width("W\xC3W", 44), (int)(w + q + w + 0.5));
    EXPECT_EQ(measure_text_width("W\xC2\xADW", 44), measure_text_width("WW", 44));
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
        int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, brightest = 0;  // brightest red
        long ink = 0;
    };
    // Where any channel rose above black in the rectangle from (0, 0).
    Box ink_box(int w, int h) {
        std::vector<uint32_t> px = read_pixels(0, 0, w, h);
        Box b;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint32_t p = px[(size_t)y * w + x] & 0xFFFFFF;
                if (!p) continue;
                b.ink += red_of(p) + green_of(p) + blue_of(p);
                b.brightest = std::max(b.brightest, red_of(p));
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
        return b;
    }
    Box drawn(const char* text, int x, int y, int size, uint32_t colour, int align, int* width = nullptr) {
        clear_output();
        int w = draw_text(fe.renderer, text, x, y, size, colour, align);
        if (width) *width = w;
        return ink_box(800, 300);
    }
};

TEST_F(FontTest, TextIsDrawnWhereItWasMeasuredAlignedAndScaled) {
    const char* text = "HHHHH";  // 163 pixels wide: an odd width
    int width = 0;
    Box b = drawn(text, 100, 100, 44, WHITE, ALIGN_LEFT, &width);
    EXPECT_EQ(width, measure_text_width(text, 44));
    ASSERT_GT(b.ink, 0);
    EXPECT_GE(b.left, 100);
    EXPECT_LE(b.left, 106);
    EXPECT_LE(b.right, 100 + width);
    EXPECT_GE(b.right, 100 + width - 8);
    EXPECT_GE(b.top, 100);
    EXPECT_LE(b.bottom, 100 + 58);

    // Right-aligned: the same ink, ending at x; centred: x - width / 2,
    // truncating toward the right; any other alignment is left.
    int right_width = 0;
    Box r = drawn(text, 500, 100, 44, WHITE, ALIGN_RIGHT, &right_width);
    EXPECT_EQ(right_width, width);
    EXPECT_EQ(r.left, b.left + 400 - width);
    EXPECT_EQ(r.right, b.right + 400 - width);
    EXPECT_EQ(drawn(text, 300, 100, 44, WHITE, ALIGN_CENTRE).left, b.left + 200 - width / 2);
    EXPECT_EQ(drawn(text, 100, 100, 44, WHITE, 7).left, b.left);

    // Four times the size: four times as wide and tall.
    int small = 0, large = 0;
    Box s = drawn("Hello", 50, 50, 22, WHITE, ALIGN_LEFT, &small);
    Box l = drawn("Hello", 50, 50, 88, WHITE, ALIGN_LEFT, &large);
    EXPECT_NEAR(large, 4 * small, 3);
    EXPECT_NEAR(l.bottom - l.top, 4 * (s.bottom - s.top), 6);
    EXPECT_LE(s.bottom, 50 + text_line_height(22));
}

TEST_F(FontTest, ColourAndAlphaModulateTheGlyphs) {
    Box red = drawn("W", 10, 10, 44, 0xFF0000FF, ALIGN_LEFT);
    EXPECT_EQ(red.brightest, 255);
    for (uint32_t p : read_pixels(0, 0, 100, 100)) {
        EXPECT_EQ(green_of(p), 0);
        EXPECT_EQ(blue_of(p), 0);
    }
    Box half = drawn("W", 10, 10, 44, 0x80FFFFFF, ALIGN_LEFT);  // half-transparent white
    EXPECT_NEAR(half.left, red.left, 1);                        // only the faintest edge may vanish
    EXPECT_NEAR(half.brightest, 128, 2);
}

TEST_F(FontTest, BrokenBytesDrawAsQuestionMarksAndSpacesDrawNothing) {
    draw_text(fe.renderer, "a\xC3z", 10, 10, 44, WHITE, ALIGN_LEFT);
    std::vector<uint32_t> broken = read_pixels(0, 0, 200, 100);
    clear_output();
    draw_text(fe.renderer, "a?z", 10, 10, 44, WHITE, ALIGN_LEFT);
    EXPECT_EQ(read_pixels(0, 0, 200, 100), broken);

    int w = 0;
    EXPECT_EQ(drawn("    ", 10, 10, 44, WHITE, ALIGN_LEFT, &w).ink, 0);
    EXPECT_EQ(w, (int)(4 * (double)FONT_GLYPHS[0].advance + 0.5));
}

TEST_F(FontTest, WithoutTheTextureNothingIsDrawnButMeasuringStillWorks) {
    EXPECT_EQ(draw_text(fe.renderer, nullptr, 10, 10, 44, WHITE, ALIGN_LEFT), 0);
    destroy_font_texture();
    destroy_font_texture();  // twice is harmless
    int w = -1;
    EXPECT_EQ(drawn("Hello", 10, 10, 44, WHITE, ALIGN_LEFT, &w).ink, 0);
    EXPECT_EQ(w, 0);
    EXPECT_GT(measure_text_width("Hello", 44), 0);
    EXPECT_EQ(text_line_height(44), 58);
    // Made again, it draws again.
    ASSERT_EQ(create_font_texture(fe.renderer), 1);
    EXPECT_GT(drawn("Hello", 10, 10, 44, WHITE, ALIGN_LEFT, &w).ink, 0);
    EXPECT_GT(w, 0);
}
