// Picture output: the colour table, conversions, window sizes, placement,
// mask levels, and under the software renderer the scaled, turned, dimmed
// picture with its scanlines, masks and backdrops.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "frontend/draw.h"
#include "frontend/picture.h"
#include "frontend/png.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

bool same_rect(const PictureRect& a, const PictureRect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

::testing::AssertionResult rect_is(const PictureRect& got, int x, int y, int w, int h) {
    if (same_rect(got, PictureRect{x, y, w, h})) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got {" << got.x << ", " << got.y << ", " << got.w << ", " << got.h
                                         << "}";
}

uint32_t channels(int r, int g, int b) { return 0xFF000000u | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b; }

}  // namespace

TEST(PictureLut, BrightnessAndGammaCurve) {
    uint8_t lut[256];
    build_picture_lut(lut, 100, 100);
    for (int i = 0; i < 256; i++) ASSERT_EQ(lut[i], i);

    build_picture_lut(lut, 150, 100);
    EXPECT_EQ(lut[100], 150);
    EXPECT_EQ(lut[169], 254);
    for (int i = 170; i < 256; i++) EXPECT_EQ(lut[i], 255) << i;

    build_picture_lut(lut, 50, 200);
    EXPECT_EQ(lut[255], 128);
    EXPECT_EQ(lut[0], 0);

    // Gamma above 100 lifts the mid-tones (x ^ (100 / gamma)).
    build_picture_lut(lut, 100, 200);
    EXPECT_EQ(lut[64], 128);  // sqrt(64/255) x 255 = 127.75
    build_picture_lut(lut, 100, 50);
    EXPECT_EQ(lut[128], 64);  // (128/255)^2 x 255 = 64.25
    EXPECT_EQ(lut[255], 255);

    // Values a hand-edited settings file could hold never wrap around.
    build_picture_lut(lut, -20, 100);
    for (int i = 0; i < 256; i++) ASSERT_EQ(lut[i], 0);
    build_picture_lut(lut, 100, 0);
    EXPECT_EQ(lut[255], 255);
    EXPECT_LT(lut[128], 5);
}

TEST(PictureConvert, TableAppliesPerChannelAndAlphaIsOpaque) {
    uint8_t lut[256];
    for (int i = 0; i < 256; i++) lut[i] = (uint8_t)(255 - i);
    const uint32_t raw[3] = {0x00000000, 0xAB102030, 0x00FFFFFF};
    uint32_t out[3];
    convert_picture(raw, out, 3, lut);
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0xFFEFDFCFu);  // the top byte of the source is ignored
    EXPECT_EQ(out[2], 0xFF000000u);
}

TEST(PictureConvert, Rgb555WidensByBitReplication) {
    const uint16_t src[6] = {0x7FFF, 0xFFFF, 0x8000, 0x7C00, 0x03E0, 0x0010};
    uint32_t dst[6];
    expand_rgb555(src, dst, 6);
    EXPECT_EQ(dst[0], 0x00FFFFFFu);
    EXPECT_EQ(dst[1], 0x00FFFFFFu);  // bit 15 ignored
    EXPECT_EQ(dst[2], 0x00000000u);
    EXPECT_EQ(dst[3], 0x00FF0000u);
    EXPECT_EQ(dst[4], 0x0000FF00u);
    EXPECT_EQ(dst[5], 0x00000084u);  // 16 -> 128 | 4
}

TEST(PictureConvert, TurnedThroughTheTableLikeTheScreenshot) {
    // The shown picture turns the way the screenshot does (the bottom-left
    // pixel at the top left for one quarter turn); a frame whose every
    // pixel differs, through a table that inverts every channel.
    constexpr int W = 7, H = 5;
    uint32_t raw[W * H], out[W * H];
    for (int i = 0; i < W * H; i++) raw[i] = (uint32_t)(i * 0x030507 + 0x102030) & 0xFFFFFF;
    uint8_t lut[256];
    for (int i = 0; i < 256; i++) lut[i] = (uint8_t)(255 - i);
    for (int rotation = 0; rotation < 4; rotation++) {
        SCOPED_TRACE(rotation);
        convert_picture_turned(raw, out, W, H, rotation, lut);
        int w = 0, h = 0;
        uint8_t* rgb = frame_to_rgb(raw, W, H, rotation, &w, &h);
        ASSERT_NE(rgb, nullptr);
        EXPECT_EQ(w, rotation & 1 ? H : W);
        for (int i = 0; i < w * h; i++)
            ASSERT_EQ(out[i], channels(255 - rgb[3 * i], 255 - rgb[3 * i + 1], 255 - rgb[3 * i + 2])) << i;
        free(rgb);
    }
    convert_picture_turned(raw, out, W, H, 1, lut);
    EXPECT_EQ(out[0], 0xFF000000u | (0xFFFFFFu - raw[(H - 1) * W]));
}

TEST(WindowSize, HeightTimesScaleAndTheAspectSwappedWhenTurned) {
    int w = 0, h = 0;
    window_size_for(240, 4.0 / 3.0, 3, 1, &w, &h);
    EXPECT_EQ(w, 720);
    EXPECT_EQ(h, 960);
    window_size_for(240, 4.0 / 3.0, 2, 0, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    window_size_for(224, 1.5, 1, 2, &w, &h);
    EXPECT_EQ(w, 336);
    EXPECT_EQ(h, 224);
    // A huge scale saturates instead of wrapping.
    window_size_for(240, 4.0 / 3.0, 20000000, 0, &w, &h);
    EXPECT_EQ(h, INT_MAX);
    EXPECT_EQ(w, INT_MAX);
    window_size_for(240, 4.0 / 3.0, -3, 0, &w, &h);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(w, 0);
}

TEST(PicturePlacement, FitScaling) {
    // 1280 x 720, turned once, 4:3: rotated about the centre, 540 x 720 visible.
    EXPECT_TRUE(rect_is(place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 0, 1), 280, 90, 720, 540));
    EXPECT_TRUE(rect_is(place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 0, 0), 0, 0, 1280, 960));
    EXPECT_TRUE(rect_is(place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 0, 0), 160, 0, 960, 720));
    EXPECT_TRUE(rect_is(place_picture(1000, 1000, 320, 240, 4.0 / 3.0, 0, 0, 0), 0, 125, 1000, 750));
    // Square pixels take the game's own shape; the display aspect is ignored.
    EXPECT_TRUE(rect_is(place_picture(1280, 960, 384, 224, 4.0 / 3.0, 1, 0, 0), 0, 106, 1280, 747));
    EXPECT_TRUE(rect_is(place_picture(1280, 960, 384, 224, 4.0 / 3.0, 0, 0, 0), 0, 0, 1280, 960));
}

TEST(PicturePlacement, IntegerScaling) {
    // n goes 5, 4, 3, 2.
    EXPECT_TRUE(rect_is(place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 1, 1), 320, 120, 640, 480));
    EXPECT_TRUE(rect_is(place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 1, 0), 0, 0, 1280, 960));
    EXPECT_TRUE(rect_is(place_picture(1000, 700, 320, 240, 4.0 / 3.0, 0, 1, 0), 180, 110, 640, 480));
    // At n = 1 the picture overflows, centred.
    EXPECT_TRUE(rect_is(place_picture(300, 200, 320, 240, 4.0 / 3.0, 0, 1, 0), -10, -20, 320, 240));
    // Square pixels: whole multiples of both sides.
    EXPECT_TRUE(rect_is(place_picture(1280, 720, 384, 224, 4.0 / 3.0, 1, 1, 0), 64, 24, 1152, 672));
    // The display aspect with a width that is not a multiple.
    EXPECT_TRUE(rect_is(place_picture(1280, 720, 384, 224, 4.0 / 3.0, 0, 1, 0), 192, 24, 896, 672));
}

TEST(PicturePlacement, ShownRectangleOfATurnedPicture) {
    // Turned about its centre: ph wide and pw tall, centred like the
    // upright picture.
    PictureRect fit = place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 0, 1);
    EXPECT_TRUE(rect_is(shown_picture_rect(fit, 1280, 720, 1), 370, 0, 540, 720));
    PictureRect whole = place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 1, 3);
    EXPECT_TRUE(rect_is(shown_picture_rect(whole, 1280, 720, 3), 400, 40, 480, 640));
    EXPECT_TRUE(rect_is(shown_picture_rect(place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 0, 1), 1280, 960, 1),
                        280, 0, 720, 960));
    // Sides that differ by an odd count: the same halving as upright.
    EXPECT_TRUE(rect_is(shown_picture_rect(place_picture(640, 960, 320, 240, 4.0 / 3.0, 0, 0, 1), 640, 960, 1), 0,
                        53, 640, 853));
    // At n = 1 the turned picture overflows a small window, centred.
    EXPECT_TRUE(rect_is(shown_picture_rect(place_picture(200, 300, 320, 240, 4.0 / 3.0, 0, 1, 1), 200, 300, 1), -20,
                        -10, 240, 320));
    // Upside down it stays where it is.
    PictureRect upright = place_picture(1000, 700, 320, 240, 4.0 / 3.0, 0, 1, 2);
    EXPECT_TRUE(same_rect(shown_picture_rect(upright, 1000, 700, 2), upright));
}

TEST(PicturePlacement, EmptyGeometryDrawsNothing) {
    PictureRect r = place_picture(1280, 960, 0, 240, 4.0 / 3.0, 0, 1, 0);
    EXPECT_EQ(r.w, 0);
    EXPECT_EQ(r.h, 0);
}

TEST(PhosphorMask, Levels) {
    // Aperture grille, strength 100: lit 255, the others 85; every row alike.
    EXPECT_EQ(mask_pixel(1, 100, 0, 0), channels(255, 85, 85));
    EXPECT_EQ(mask_pixel(1, 100, 1, 5), channels(85, 255, 85));
    EXPECT_EQ(mask_pixel(1, 100, 5, 9), channels(85, 85, 255));
    EXPECT_EQ(mask_pixel(1, 30, 3, 0), channels(255, 204, 204));
    EXPECT_EQ(mask_pixel(1, 0, 2, 0), channels(255, 255, 255));
    // Shadow mask: triads shift two columns every two rows; odd rows 9/10.
    EXPECT_EQ(mask_pixel(2, 100, 0, 0), channels(255, 85, 85));
    EXPECT_EQ(mask_pixel(2, 100, 0, 1), channels(229, 76, 76));
    EXPECT_EQ(mask_pixel(2, 100, 0, 2), channels(85, 85, 255));
    EXPECT_EQ(mask_pixel(2, 100, 1, 3), channels(229, 76, 76));
    EXPECT_EQ(mask_pixel(2, 0, 4, 0), channels(255, 255, 255));
    EXPECT_EQ(mask_pixel(2, 0, 4, 1), channels(229, 229, 229));
    // Slot mask: odd triads dark on rows 1 mod 4, even triads on rows 3 mod 4.
    EXPECT_EQ(mask_pixel(3, 100, 3, 1), channels(85, 85, 85));
    EXPECT_EQ(mask_pixel(3, 100, 0, 1), channels(255, 85, 85));
    EXPECT_EQ(mask_pixel(3, 100, 0, 3), channels(85, 85, 85));
    EXPECT_EQ(mask_pixel(3, 100, 4, 3), channels(85, 255, 85));
    EXPECT_EQ(mask_pixel(3, 100, 5, 0), channels(85, 85, 255));
    EXPECT_EQ(mask_pixel(3, 0, 3, 1), channels(255, 255, 255));
    // Out-of-range strengths are held to 0..100.
    EXPECT_EQ(mask_pixel(1, 400, 1, 0), mask_pixel(1, 100, 1, 0));
    EXPECT_EQ(mask_pixel(1, -5, 1, 0), mask_pixel(1, 0, 1, 0));

}

TEST(Scanlines, ExactSamplingAtPixelCentres) {
    // Four output rows per game line: a clear first row at the top edge,
    // then a quarter and three quarters dark, and black at the bottom edge.
    const int want[] = {0, 64, 191, 191, 64, 64, 191, 191, 64, 64};
    for (int y = 0; y < 10; y++) EXPECT_EQ(scanline_alpha(y, 960, 240, 0), want[y]) << y;
    EXPECT_EQ(scanline_alpha(959, 960, 240, 0), 255);
    // Three rows per two texels: 0.5 and 1 1/6 texels in, rounded half up.
    EXPECT_EQ(scanline_alpha(1, 720, 240, 0), 128);
    EXPECT_EQ(scanline_alpha(2, 720, 240, 0), 213);
    // One row per texel: exactly the column.
    for (int y = 0; y < 480; y++) ASSERT_EQ(scanline_alpha(y, 480, 240, 0), y & 1 ? 255 : 0) << y;
    // Nothing to stretch, or nothing to stretch onto.
    EXPECT_EQ(scanline_alpha(0, 0, 240, 0), 0);
    EXPECT_EQ(scanline_alpha(3, 960, 0, 1), 0);
}

TEST(Scanlines, SoftwareSamplingMatchesTheSoftwareStretch) {
    // The software renderer stretches the scanline column with
    // SDL_SoftStretchLinear; the overlay must darken each row alike.
    for (int game_height : {240, 224}) {
        std::vector<uint32_t> column(2 * (size_t)game_height);
        for (size_t t = 0; t < column.size(); t++) column[t] = t & 1 ? 0xFF000000u : 0x00000000u;
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(column.data(), 1, 2 * game_height, 32, 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
        ASSERT_NE(src, nullptr);
        for (int rows : {200, 480, 720, 853, 960, 1000, 1080, 2160}) {
            SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 1, rows, 32, SDL_PIXELFORMAT_ARGB8888);
            ASSERT_NE(dst, nullptr);
            ASSERT_EQ(SDL_SoftStretchLinear(src, nullptr, dst, nullptr), 0) << SDL_GetError();
            for (int y = 0; y < rows; y++) {
                uint32_t got = *(uint32_t*)((uint8_t*)dst->pixels + (size_t)y * dst->pitch);
                ASSERT_EQ(scanline_alpha(y, rows, game_height, 1), (int)(got >> 24))
                    << "height " << game_height << ", " << rows << " rows, row " << y;
            }
            SDL_FreeSurface(dst);
        }
        SDL_FreeSurface(src);
    }
}

TEST(CrtOverlay, MaskAndScanlinesInOneMultiply) {
    // The mask alone is the mask; scanlines alone are grey levels.
    OverlayParams mask_only{12, 8, 2, 60, 0, 0, 240, 0};
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 12; x++) EXPECT_EQ(overlay_pixel(mask_only, x, y), mask_pixel(2, 60, x, y));
    OverlayParams lines{4, 960, 0, 30, 100, 0, 240, 0};
    EXPECT_EQ(overlay_pixel(lines, 0, 0), 0xFFFFFFFFu);  // the clear upper edge
    EXPECT_EQ(overlay_pixel(lines, 3, 3), channels(64, 64, 64));
    EXPECT_EQ(overlay_pixel(lines, 1, 4), channels(191, 191, 191));
    // Half strength: alpha x 127 / 255 darkens.
    lines.scanlines = 50;
    EXPECT_EQ(overlay_pixel(lines, 0, 3), channels(160, 160, 160));
    // Both: each mask channel scaled by what the scanline leaves, rounded.
    OverlayParams both{12, 960, 1, 100, 100, 0, 240, 0};
    EXPECT_EQ(overlay_pixel(both, 0, 3), channels(64, 21, 21));  // 255 and 85 times 64 / 255
    EXPECT_EQ(overlay_pixel(both, 1, 0), channels(85, 255, 85));
    // Strengths outside 0..100 are held there.
    both.scanlines = 250;
    EXPECT_EQ(overlay_pixel(both, 0, 3), channels(64, 21, 21));
}

TEST(CrtOverlay, TurnedWithThePicture) {
    // Shown 8 wide and 6 tall with one quarter turn: the picture is 6 wide
    // and 8 tall, its bottom-left pixel at the top left of the screen.
    OverlayParams turned{8, 6, 3, 100, 0, 1, 4, 0};
    EXPECT_EQ(overlay_pixel(turned, 0, 0), mask_pixel(3, 100, 0, 7));
    EXPECT_EQ(overlay_pixel(turned, 7, 0), mask_pixel(3, 100, 0, 0));
    EXPECT_EQ(overlay_pixel(turned, 0, 5), mask_pixel(3, 100, 5, 7));
    EXPECT_EQ(overlay_pixel(turned, 2, 4), mask_pixel(3, 100, 4, 5));
    turned.rotation = 3;  // the top-right pixel at the top left
    EXPECT_EQ(overlay_pixel(turned, 0, 0), mask_pixel(3, 100, 5, 0));
    EXPECT_EQ(overlay_pixel(turned, 2, 4), mask_pixel(3, 100, 1, 2));
    turned.rotation = 2;  // shown 8 x 6 is the picture's own shape
    EXPECT_EQ(overlay_pixel(turned, 0, 0), mask_pixel(3, 100, 7, 5));
    EXPECT_EQ(overlay_pixel(turned, 2, 4), mask_pixel(3, 100, 5, 1));

    // Scanlines run along the game's lines: down the screen when turned,
    // each screen column one picture row, darker toward its left side.
    OverlayParams lines{960, 12, 0, 30, 100, 1, 240, 0};
    for (int x = 0; x < 960; x += 7)
        for (int y = 1; y < 12; y++) ASSERT_EQ(overlay_pixel(lines, x, y), overlay_pixel(lines, x, 0)) << x;
    OverlayParams upright{12, 960, 0, 30, 100, 0, 240, 0};
    for (int x = 0; x < 960; x++) EXPECT_EQ(overlay_pixel(lines, x, 0), overlay_pixel(upright, 0, 959 - x)) << x;
    EXPECT_EQ(overlay_pixel(lines, 959, 0), 0xFFFFFFFFu);
    EXPECT_EQ(overlay_pixel(lines, 0, 0), channels(0, 0, 0));
}

TEST(CrtOverlay, WholeOverlayMatchesEachPixel) {
    std::vector<uint32_t> px;
    for (int rotation = 0; rotation < 4; rotation++)
        for (int mask = 0; mask <= 3; mask++)
            for (int scanlines : {0, 60})
                for (int software = 0; software < 2; software++) {
                    OverlayParams o{13 + rotation, 9 + mask, mask, 45, scanlines, rotation, 7, software};
                    px.assign((size_t)o.w * o.h, 0);
                    build_overlay_pixels(px.data(), o);
                    for (int y = 0; y < o.h; y++)
                        for (int x = 0; x < o.w; x++)
                            ASSERT_EQ(px[(size_t)y * o.w + x], overlay_pixel(o, x, y))
                                << rotation << " " << mask << " " << scanlines << " " << software << " at " << x
                                << "," << y;
                }
}

TEST(Glow, DrawnOnlyBesideThePictureWhereItLandsExactly) {
    GlowPart parts[2];
    struct Case {
        int w, h;
        PictureRect shown, src0, dst0, src1, dst1;
    } cases[] = {
        // Turned in 1280 x 960: 280 free pixels each side; 3 texels make
        // 160 pixels, so each strip is 6 texels, reaching 40 pixels (3/4
        // texel) under the picture.
        {1280, 960, shown_picture_rect(place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 0, 1), 1280, 960, 1),
         {0, 0, 6, 18}, {0, 0, 320, 960}, {18, 0, 6, 18}, {960, 0, 320, 960}},
        // A wide picture in a tall output: strips above and below.
        {640, 960, place_picture(640, 960, 320, 240, 4.0 / 3.0, 0, 0, 0), {0, 0, 24, 6}, {0, 0, 640, 320},
         {0, 12, 24, 6}, {0, 640, 640, 320}},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(glow_parts(k.w, k.h, k.shown, 24, 18, parts), 2);
        EXPECT_TRUE(same_rect(parts[0].src, k.src0) && same_rect(parts[0].dst, k.dst0)) << k.w;
        EXPECT_TRUE(same_rect(parts[1].src, k.src1) && same_rect(parts[1].dst, k.dst1)) << k.w;
    }
    // The whole glow when the picture leaves room all round, when no strip
    // of whole texels lands on whole pixels, or when the strips would meet.
    PictureRect small = place_picture(1000, 700, 320, 240, 4.0 / 3.0, 0, 1, 0);
    for (int n : {glow_parts(1000, 700, small, 24, 18, parts),
                  glow_parts(1279, 959, shown_picture_rect(place_picture(1279, 959, 320, 240, 4.0 / 3.0, 0, 0, 1),
                                                           1279, 959, 1),
                             24, 18, parts),
                  glow_parts(1280, 960, PictureRect{600, 0, 80, 960}, 24, 18, parts)}) {
        EXPECT_EQ(n, 1);
        EXPECT_TRUE(rect_is(parts[0].src, 0, 0, 24, 18));
    }
    EXPECT_TRUE(rect_is(parts[0].dst, 0, 0, 1280, 960));
    // A picture that covers everything leaves nothing to draw.
    EXPECT_EQ(glow_parts(1280, 960, PictureRect{0, 0, 1280, 960}, 24, 18, parts), 0);

    // Across many outputs: every strip sits where the full stretch puts
    // its texels and reaches half a texel under the picture.
    for (int w = 600; w <= 2000; w += 37)
        for (int h = 500; h <= 1200; h += 53)
            for (int rotation = 0; rotation < 2; rotation++) {
                PictureRect shown =
                    shown_picture_rect(place_picture(w, h, 320, 240, 4.0 / 3.0, 0, 0, rotation), w, h, rotation);
                int n = glow_parts(w, h, shown, 24, 18, parts);
                for (int i = 0; i < n; i++) {
                    const PictureRect &s = parts[i].src, &d = parts[i].dst;
                    ASSERT_EQ((int64_t)d.x * 24, (int64_t)s.x * w) << w << "x" << h;
                    ASSERT_EQ((int64_t)d.w * 24, (int64_t)s.w * w) << w << "x" << h;
                    ASSERT_EQ((int64_t)d.y * 18, (int64_t)s.y * h) << w << "x" << h;
                    ASSERT_EQ((int64_t)d.h * 18, (int64_t)s.h * h) << w << "x" << h;
                    if (n == 2 && s.w < 24) {  // left or right strip
                        int reach = i == 0 ? d.x + d.w - shown.x : shown.x + shown.w - d.x;
                        EXPECT_GE(2 * reach * 24, w) << w << "x" << h;
                    }
                }
            }
}

TEST(Backdrop, ShowsOnlyWhereThePictureLeavesRoom) {
    PictureRect full = place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 0, 0);
    EXPECT_EQ(picture_covers_output(full, 1280, 960, 0), 1);
    EXPECT_EQ(picture_covers_output(full, 1280, 960, 2), 1);
    EXPECT_EQ(picture_covers_output(place_picture(1280, 960, 320, 240, 4.0 / 3.0, 0, 0, 1), 1280, 960, 1), 0);
    EXPECT_EQ(picture_covers_output(place_picture(1000, 700, 320, 240, 4.0 / 3.0, 0, 1, 0), 1000, 700, 0), 0);
    EXPECT_EQ(picture_covers_output(place_picture(1280, 720, 320, 240, 4.0 / 3.0, 0, 0, 0), 1280, 720, 0), 0);
    // An overflowing picture at n = 1 covers a small window.
    EXPECT_EQ(picture_covers_output(place_picture(300, 200, 320, 240, 4.0 / 3.0, 0, 1, 0), 300, 200, 0), 1);
    // Turned in an output of its own turned shape, it covers it too.
    EXPECT_EQ(picture_covers_output(place_picture(720, 960, 320, 240, 4.0 / 3.0, 0, 0, 1), 720, 960, 1), 1);
    EXPECT_EQ(picture_covers_output(place_picture(720, 960, 320, 240, 4.0 / 3.0, 0, 0, 3), 720, 960, 3), 1);
}

class PictureTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        fe.settings.scanlines = 0;
        fe.settings.mask = 0;
        fe.settings.rotation = 0;
        fe.settings.scale_mode = 0;
        fe.settings.aspect_mode = 0;
        fe.settings.brightness = 100;
        fe.settings.gamma = 100;
        fe.settings.filter = 0;
        SDL_SetTextureScaleMode(fe.game_texture, SDL_ScaleModeNearest);
        fetch_frame();  // the fake game's quadrants at frame 0
        clear_output();
    }
};

TEST_F(PictureTest, FetchConvertsThroughTheTableIntoTheTexture) {
    EXPECT_EQ(fe.raw_frame[0], fake_pixel(0, 0, 0));
    EXPECT_EQ(fe.raw_frame[239 * 320 + 319], fake_pixel(0, 319, 239));
    EXPECT_EQ(fe.picture_frame[0], 0xFFFF0000u);
    EXPECT_EQ(fe.picture_lut_stale, 0);

    fe.settings.brightness = 50;
    fe.picture_lut_stale = 1;
    apply_picture_adjust();
    EXPECT_EQ(fe.picture_frame[0], 0xFF800000u);
    EXPECT_EQ(fe.raw_frame[0], 0x00FF0000u);  // the source stays unadjusted
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(10, 10), 0xFF800000u);

    // The table is rebuilt only when marked stale.
    fe.settings.brightness = 150;
    apply_picture_adjust();
    EXPECT_EQ(fe.picture_frame[0], 0xFF800000u);
}

namespace {

void fake_rgb555_frame(uint16_t* out) {
    for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) out[i] = (uint16_t)(i & 1 ? 0x7C00 : 0x0011);
}

}  // namespace

TEST_F(PictureTest, FetchExpandsAnRgb555OnlyFrame) {
    fe.adapter.get_frame_xrgb8888 = nullptr;
    fe.adapter.get_frame_rgb555 = fake_rgb555_frame;
    fetch_frame();
    EXPECT_EQ(fe.raw_frame[0], 0x0000008Cu);
    EXPECT_EQ(fe.raw_frame[1], 0x00FF0000u);
    EXPECT_EQ(fe.raw_frame[FAKE_WIDTH * FAKE_HEIGHT - 1], 0x00FF0000u);
    EXPECT_EQ(fe.picture_frame[1], 0xFFFF0000u);
}

TEST_F(PictureTest, FitFillsTheOutputWithNearestScaling) {
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    // 4x: the quadrant border of the 320-pixel frame falls at x = 640, y = 480.
    expect_pixels(fe.renderer, {
        {0, 0, 0xFFFF0000u}, {639, 479, 0xFFFF0000u}, {640, 479, 0xFF00FF00u}, {639, 480, 0xFF0000FFu},
        {1279, 959, 0xFFFFFFFFu},
    });
}

TEST_F(PictureTest, IntegerScalingCentresWholeMultiples) {
    fe.settings.scale_mode = 1;
    draw_game_picture(1000, 700, 0);  // n = 2: 640 x 480 at (180, 110)
    expect_pixels(fe.renderer, {
        {179, 200, 0xFF000000u}, {180, 110, 0xFFFF0000u}, {180, 109, 0xFF000000u}, {499, 349, 0xFFFF0000u},
        {500, 349, 0xFF00FF00u}, {819, 589, 0xFFFFFFFFu}, {820, 589, 0xFF000000u}, {819, 590, 0xFF000000u},
    });
}

TEST_F(PictureTest, RotationTurnsThePictureClockwise) {
    fe.settings.rotation = 1;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    // Visible 720 x 960 from x = 280: the frame's bottom-left (blue) is now
    // top-left, its top-left (red) top-right.
    expect_pixels(fe.renderer, {
        {270, 480, 0xFF000000u}, {1010, 480, 0xFF000000u}, {300, 100, 0xFF0000FFu}, {980, 100, 0xFFFF0000u},
        {300, 900, 0xFFFFFFFFu}, {980, 900, 0xFF00FF00u},
    });

    clear_output();
    fe.settings.rotation = 2;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(pixel_at(1270, 950), 0xFFFF0000u);
}

namespace {

// A frame with one marked pixel in each corner over mid grey.
constexpr uint32_t GREY = 0x808080, TL = 0xFF0000, TR = 0x00FF00, BL = 0x0000FF, BR = 0xFFFF00;
void corner_frame(uint32_t* f) {
    for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) f[i] = GREY;
    f[0] = TL;
    f[FAKE_WIDTH - 1] = TR;
    f[(FAKE_HEIGHT - 1) * FAKE_WIDTH] = BL;
    f[FAKE_HEIGHT * FAKE_WIDTH - 1] = BR;
}

uint32_t opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

}  // namespace

TEST_F(PictureTest, TurnedPictureCornersLandOnTheScreenCorners) {
    corner_frame(fe.raw_frame);
    auto show = [&](int rotation) {
        clear_output();
        fe.settings.rotation = rotation;
        apply_picture_adjust();
        draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    };
    // Once clockwise at 3x: shown 720 x 960 from x = 280. The frame's
    // bottom-left pixel is the top-left 3 x 3 block, its top-left pixel
    // the top-right block, and nothing spills into the borders.
    show(1);
    expect_pixels(fe.renderer, {
        {280, 0, opaque(BL)}, {282, 2, opaque(BL)}, {283, 0, opaque(GREY)}, {280, 3, opaque(GREY)},
        {279, 0, 0xFF000000u}, {999, 0, opaque(TL)}, {997, 2, opaque(TL)}, {1000, 0, 0xFF000000u},
        {280, 959, opaque(BR)}, {999, 959, opaque(TR)}, {996, 956, opaque(GREY)},
    });
    show(3);
    expect_pixels(fe.renderer, {
        {280, 0, opaque(TR)}, {999, 0, opaque(BR)}, {280, 959, opaque(TL)}, {999, 959, opaque(BL)},
        {283, 3, opaque(GREY)},
    });
    show(2);  // 4x, filling the output
    expect_pixels(fe.renderer, {
        {0, 0, opaque(BR)}, {3, 3, opaque(BR)}, {4, 4, opaque(GREY)}, {1279, 0, opaque(BL)},
        {0, 959, opaque(TR)}, {1279, 959, opaque(TL)},
    });
}

TEST_F(PictureTest, ARotationChangedWhilePausedTurnsTheLastFrame) {
    corner_frame(fe.raw_frame);
    apply_picture_adjust();
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(0, 0), opaque(TL));
    // No new frame is fetched (the game is paused under the display menu).
    fe.settings.rotation = 1;
    clear_output();
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(280, 0), opaque(BL));
    EXPECT_EQ(pixel_at(999, 0), opaque(TL));
    fe.settings.rotation = 0;
    clear_output();
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(0, 0), opaque(TL));
    EXPECT_EQ(pixel_at(1279, 959), opaque(BR));
}

TEST_F(PictureTest, MenuDimsThePicture) {
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 1);
    EXPECT_TRUE(rgb_near(pixel_at(10, 10), 90, 0, 0)) << std::hex << pixel_at(10, 10);
    EXPECT_TRUE(rgb_near(pixel_at(1270, 950), 90, 90, 100)) << std::hex << pixel_at(1270, 950);
    clear_output();
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(pixel_at(1270, 950), 0xFFFFFFFFu);
}

TEST_F(PictureTest, ScanlinesDarkenTheLowerHalfOfEachLine) {
    fe.settings.scanlines = 100;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    // White quadrant, 4 output rows per game line.
    std::vector<uint32_t> col = read_pixels(1000, 800, 1, 40);
    long upper = 0, lower = 0;
    for (int y = 0; y < 40; y++) (y % 4 < 2 ? upper : lower) += red_of(col[y]);
    EXPECT_GT(upper, lower + 10 * 40) << upper << " vs " << lower;
    int darkest = 255;
    for (uint32_t p : col) darkest = std::min(darkest, red_of(p));
    EXPECT_LT(darkest, 100);
    // The levels are those of the black layer's linear stretch.
    for (int y = 0; y < 40; y++) {
        int alpha = scanline_alpha(800 + y, 960, FAKE_HEIGHT, 1);
        EXPECT_TRUE(rgb_near(col[y], 255 - alpha, 255 - alpha, 255 - alpha, 1)) << y << " " << std::hex << col[y];
    }
    // Every column alike; the red quadrant keeps only its red.
    std::vector<uint32_t> row = read_pixels(0, 803, 1280, 1);
    for (int x = 640; x < 1280; x++) ASSERT_EQ(row[x], col[3]) << x;
    EXPECT_EQ(pixel_at(100, 3), channels(red_of(col[3]), 0, 0));

    // Half strength: lighter lines.
    clear_output();
    fe.settings.scanlines = 50;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    std::vector<uint32_t> half = read_pixels(1000, 800, 1, 40);
    long half_lower = 0;
    for (int y = 0; y < 40; y++)
        if (y % 4 >= 2) half_lower += red_of(half[y]);
    EXPECT_GT(half_lower, lower);
}

TEST_F(PictureTest, TurnedScanlinesRunDownTheScreen) {
    fe.settings.rotation = 1;
    fe.settings.scanlines = 100;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    // White is the bottom-right quadrant of the frame: shown at the bottom
    // left, x 280..639, y 480..959. 3 columns per game line, each dark on
    // its left (the line's lower half), alike down the screen.
    std::vector<uint32_t> row = read_pixels(280, 900, 360, 1);
    std::vector<uint32_t> below = read_pixels(280, 950, 360, 1);
    for (int x = 0; x < 360; x++) {
        ASSERT_EQ(below[x], row[x]) << x;
        // Picture row 719 - x of 720.
        int alpha = scanline_alpha(719 - x, 720, FAKE_HEIGHT, 1);
        EXPECT_TRUE(rgb_near(row[x], 255 - alpha, 255 - alpha, 255 - alpha, 1)) << x << " " << std::hex << row[x];
    }
    long left = 0, right = 0;
    for (int x = 0; x < 360; x++) (x % 3 == 0 ? left : right) += red_of(row[x]);
    EXPECT_LT(left / 120, right / 240 - 50) << left << " vs " << right;
}

TEST_F(PictureTest, EachMaskMultipliesThePictureAndTurnsWithIt) {
    fe.settings.mask_strength = 100;
    for (int rotation : {0, 1}) {
        for (int type = 1; type <= 3; type++) {
            SCOPED_TRACE(testing::Message() << "rotation " << rotation << ", mask " << type);
            fe.settings.rotation = rotation;
            fe.settings.mask = type;
            clear_output();
            draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
            // Over white the product is the mask itself. Turned, the picture
            // is shown 720 x 960 from x = 280 with the white quadrant at the
            // bottom left; screen (280 + i, j) is picture column j, row 719 - i.
            std::vector<uint32_t> px = read_pixels(rotation ? 300 : 900, 700, 6, 4);
            for (int r = 0; r < 4; r++)
                for (int c = 0; c < 6; c++) {
                    uint32_t want = rotation ? mask_pixel(type, 100, 700 + r, 719 - (20 + c))
                                             : mask_pixel(type, 100, 900 + c, 700 + r);
                    EXPECT_EQ(px[(size_t)r * 6 + c], want) << c << "," << r;
                }
            // Over pure red only the red level survives.
            if (rotation == 0) {
                EXPECT_EQ(pixel_at(1, 0), channels(red_of(mask_pixel(type, 100, 1, 0)), 0, 0));
            }
        }
    }
    // The aperture grille's stripes now run across the screen: along a
    // screen row one colour, down a column red, green, blue in turn.
    fe.settings.mask = 1;
    clear_output();
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    expect_pixels(fe.renderer, {
        {300, 600, channels(255, 85, 85)}, {500, 600, channels(255, 85, 85)}, {300, 601, channels(85, 255, 85)},
        {300, 602, channels(85, 85, 255)}, {300, 603, channels(255, 85, 85)},
    });
}

TEST_F(PictureTest, MaskAndScanlinesTogether) {
    fe.settings.mask = 3;
    fe.settings.mask_strength = 60;
    fe.settings.scanlines = 40;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    // Over white the product of the two layers, within a level of applying
    // them one after the other.
    std::vector<uint32_t> px = read_pixels(900, 700, 6, 8);
    int strength = 40 * 255 / 100;
    for (int r = 0; r < 8; r++) {
        int keep = 255 - scanline_alpha(700 + r, 960, FAKE_HEIGHT, 1) * strength / 255;
        for (int c = 0; c < 6; c++) {
            uint32_t m = mask_pixel(3, 60, 900 + c, 700 + r);
            EXPECT_TRUE(rgb_near(px[(size_t)r * 6 + c], red_of(m) * keep / 255, green_of(m) * keep / 255,
                                 blue_of(m) * keep / 255, 1))
                << c << "," << r << " " << std::hex << px[(size_t)r * 6 + c];
        }
    }
}

TEST_F(PictureTest, MaskTextureIsCachedByItsKeyEvenWhenItCouldNotBeMade) {
    fe.settings.mask = 1;
    fe.settings.mask_strength = 30;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    SDL_Texture* first = fe.mask_texture;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(fe.mask_key[0], 1280);
    EXPECT_EQ(fe.mask_key[1], 960);
    EXPECT_EQ(fe.mask_key[2], 1);
    EXPECT_EQ(fe.mask_key[3], 30);
    int w = 0, h = 0;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(fe.mask_texture, first);
    SDL_QueryTexture(first, nullptr, nullptr, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);

    // A size the renderer refuses: no texture, but the key is kept.
    SDL_Rect empty{0, 0, 0, 0};
    update_crt_mask_textures(&empty);
    EXPECT_EQ(fe.mask_texture, nullptr);
    EXPECT_EQ(fe.mask_key[0], 0);
    EXPECT_EQ(fe.mask_key[3], 30);

    // Switching the mask off keeps the key; a new size rebuilds.
    fe.settings.mask = 0;
    update_crt_mask_textures(&empty);
    EXPECT_EQ(fe.mask_key[2], 1);
    fe.settings.mask = 2;
    draw_game_picture(1000, 700, 0);
    EXPECT_NE(fe.mask_texture, nullptr);
    EXPECT_EQ(fe.mask_key[0], 933);
    EXPECT_EQ(fe.mask_key[1], 700);
    EXPECT_EQ(fe.mask_key[2], 2);

    // The scanline strength and the rotation are part of the key; the
    // overlay has the shown size.
    fe.settings.scanlines = 20;
    draw_game_picture(1000, 700, 0);
    EXPECT_EQ(fe.mask_key[4], 20);
    SDL_Texture* before = fe.mask_texture;
    draw_game_picture(1000, 700, 0);
    EXPECT_EQ(fe.mask_texture, before);
    fe.settings.rotation = 3;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(fe.mask_key[0], 720);
    EXPECT_EQ(fe.mask_key[1], 960);
    EXPECT_EQ(fe.mask_key[5], 3);
    SDL_QueryTexture(fe.mask_texture, nullptr, nullptr, &w, &h);
    EXPECT_EQ(w, 720);
    EXPECT_EQ(h, 960);
    // Scanlines alone need the overlay too.
    fe.settings.mask = 0;
    fe.settings.rotation = 0;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(fe.mask_key[0], 1280);
    EXPECT_EQ(fe.mask_key[2], 0);
    EXPECT_NE(fe.mask_texture, nullptr);
}

TEST_F(PictureTest, WindowModeSizesTheWindowFromTheScale) {
    fe.settings.fullscreen = 0;
    fe.settings.window_scale = 3;
    fe.settings.rotation = 1;
    apply_window_mode();
    int w = 0, h = 0;
    SDL_GetWindowSize(fe.window, &w, &h);
    EXPECT_EQ(w, 720);
    EXPECT_EQ(h, 960);
    window_size_for_scale(2, &w, &h);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 640);
    fe.settings.fullscreen = 1;
    apply_window_mode();
    EXPECT_EQ(SDL_GetWindowFlags(fe.window) & SDL_WINDOW_FULLSCREEN_DESKTOP, (Uint32)SDL_WINDOW_FULLSCREEN_DESKTOP);
}

class BackdropTest : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        fe.settings.rotation = 1;  // borders left and right of the turned picture
        fe.settings.accent = 0;
    }
};

TEST_F(BackdropTest, GradientWallpaperWithFaintAccentLines) {
    fe.settings.border = 1;
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(10, 0), abgr_to_argb(0xFF1E1512));
    uint32_t last = gradient_band_colour(0xFF1E1512, 0xFF0B0706, 63, 64);
    EXPECT_EQ(pixel_at(10, 959), abgr_to_argb(last));
    EXPECT_NE(pixel_at(10, 959), abgr_to_argb(0xFF0B0706));
    // The line at 960 x 3 / 7 is tinted toward the accent (azure: more blue).
    int y = 411;
    uint32_t line = pixel_at(10, y), below = pixel_at(10, y + 1);
    EXPECT_GT(blue_of(line), blue_of(below));
    EXPECT_EQ(pixel_at(1270, y), line);
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);  // the picture on top
}

TEST_F(BackdropTest, BlackBorder) {
    clear_output(50, 50, 50);
    fe.settings.border = 0;
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(10, 10), 0xFF000000u);
    EXPECT_EQ(pixel_at(1270, 950), 0xFF000000u);
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);
}

TEST_F(BackdropTest, AmbientGlowIsADarkenedBlurOfThePicture) {
    fe.settings.border = 2;
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    ASSERT_NE(fe.glow_texture, nullptr);
    // The glow is the unturned frame stretched over the output: red at the
    // top left, white at the bottom right, darkened by (70, 70, 80).
    uint32_t tl = pixel_at(10, 10), br = pixel_at(1270, 950);
    EXPECT_TRUE(rgb_near(tl, 70, 0, 0, 4)) << std::hex << tl;
    EXPECT_TRUE(rgb_near(br, 70, 70, 80, 4)) << std::hex << br;
    // Blurred: toward the middle the quadrants mix.
    uint32_t mid = pixel_at(270, 470);
    EXPECT_GT(blue_of(mid), 0);
    EXPECT_GT(red_of(mid), 0);
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);
    // The game texture's own filter is restored afterwards.
    SDL_ScaleMode mode;
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);
}

TEST_F(BackdropTest, GlowIsAFilteredShrinkWhateverThePictureFilter) {
    // One-pixel stripes: a filtered shrink mixes neighbours into every
    // texel, a point-sampled one would keep pure black or full glow.
    for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) fe.raw_frame[i] = i % 2 ? 0xFFFFFF : 0x000000;
    fe.settings.border = 2;
    for (int rotation : {0, 1}) {
        SCOPED_TRACE(rotation);
        fe.settings.rotation = rotation;
        apply_picture_adjust();
        clear_output();
        draw_backdrop(700, 700);  // room beside the picture either way
        ASSERT_NE(fe.glow_texture, nullptr);
        ASSERT_EQ(SDL_SetRenderTarget(fe.renderer, fe.glow_texture), 0);
        std::vector<uint32_t> texels(24 * 18);
        ASSERT_EQ(SDL_RenderReadPixels(fe.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, texels.data(), 24 * 4), 0);
        SDL_SetRenderTarget(fe.renderer, nullptr);
        for (uint32_t t : texels) {
            EXPECT_GT(red_of(t), 4) << std::hex << t;
            EXPECT_LT(red_of(t), 66) << std::hex << t;
        }
    }
}

TEST_F(BackdropTest, GlowUnderAnOpenMenuIsDimmedWithThePicture) {
    fe.settings.border = 2;
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    uint32_t open_glow = 0, glow = pixel_at(1270, 950);
    fe.menu_open = 1;
    clear_output();
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    open_glow = pixel_at(1270, 950);  // right of the shade
    fe.menu_open = 0;
    EXPECT_TRUE(rgb_near(open_glow, red_of(glow) * 90 / 255, green_of(glow) * 90 / 255, blue_of(glow) * 100 / 255))
        << std::hex << open_glow << " from " << glow;
}

TEST_F(BackdropTest, GlowThatCannotBeMadeFallsBackToBlack) {
    fe.settings.border = 2;
    fe.glow_attempted = 1;  // the renderer refused it once already
    clear_output(50, 50, 50);
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(fe.glow_texture, nullptr);
    EXPECT_EQ(pixel_at(10, 10), 0xFF000000u);
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);
}

TEST_F(BackdropTest, OpenMenuDimsThePictureAndShadesTheLeftPart) {
    fe.settings.rotation = 0;
    fe.settings.border = 0;
    fe.menu_open = 1;
    draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    // Right of the shade: the dimmed picture (white quadrant at the bottom).
    EXPECT_TRUE(rgb_near(pixel_at(1000, 900), 90, 90, 100));
    // Under the shade (left 55 %: x < 704) it is much darker.
    uint32_t shaded = pixel_at(700, 900);
    EXPECT_LT(red_of(shaded), 45);
    EXPECT_TRUE(rgb_near(pixel_at(704, 900), 90, 90, 100));
    fe.menu_open = 0;
}

TEST_F(BackdropTest, MenuBackdropIsAGradientUnderAnAccentStrip) {
    fe.ui_unit = 100;
    draw_menu_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(500, 3), abgr_to_argb(0xFF211714));
    uint32_t strip = pixel_at(500, 2);
    EXPECT_GT(blue_of(strip), 150);  // azure at 0xC8 over the dark top
    EXPECT_EQ(pixel_at(500, 959), abgr_to_argb(gradient_band_colour(0xFF211714, 0xFF0C0807, 63, 64)));
}
