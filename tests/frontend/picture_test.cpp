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

::testing::AssertionResult rect_is(const PictureRect& got, const PictureRect& want) {
    if (got.x == want.x && got.y == want.y && got.w == want.w && got.h == want.h) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got {" << got.x << ", " << got.y << ", " << got.w << ", " << got.h << "}";
}

constexpr double A43 = 4.0 / 3.0;

}  // namespace

TEST(PictureLut, BrightnessAndGammaCurveRoundedAndClipped) {
    uint8_t lut[256];
    build_picture_lut(lut, 100, 100);
    for (int i = 0; i < 256; i++) ASSERT_EQ(lut[i], i);
    // lut[from..to] = value. Gamma is x ^ (100 / gamma): sqrt(64/255) x 255 =
    // 127.75 and (128/255)^2 x 255 = 64.25. Values a hand-edited settings
    // file could hold never wrap around.
    const struct {
        int brightness, gamma, from, to, value;
    } cases[] = {{150, 100, 100, 100, 150}, {150, 100, 169, 169, 254}, {150, 100, 170, 255, 255},
                 {50, 200, 0, 0, 0},        {50, 200, 255, 255, 128},  {100, 200, 64, 64, 128},
                 {100, 50, 128, 128, 64},   {100, 50, 255, 255, 255},  {-20, 100, 0, 255, 0},
                 {100, 0, 255, 255, 255}};
    for (const auto& c : cases) {
        build_picture_lut(lut, c.brightness, c.gamma);
        for (int i = c.from; i <= c.to; i++) ASSERT_EQ(lut[i], c.value) << c.brightness << " " << c.gamma << " " << i;
    }
    build_picture_lut(lut, 100, 0);
    EXPECT_LT(lut[128], 5);
}

TEST(PictureConvert, ShownPictureAndScreenshotTurnClockwiseAlike) {
    // A 3 x 2 frame, pixel n = (n, n + 16, n + 32) under a top byte that
    // is ignored; the picture goes through a table that inverts each channel.
    uint32_t frame[6], out[6];
    for (uint32_t n = 0; n < 6; n++) frame[n] = 0xAB000000u | n << 16 | (n + 16) << 8 | (n + 32);
    uint8_t lut[256];
    for (int i = 0; i < 256; i++) lut[i] = (uint8_t)(255 - i);
    const int expect[4][6] = {{0, 1, 2, 3, 4, 5},
                              {3, 0, 4, 1, 5, 2},  // 2 x 3: the left column, bottom up, on top
                              {5, 4, 3, 2, 1, 0},
                              {2, 5, 1, 4, 0, 3}};
    for (int r = 0; r < 4; r++) {
        int w = 0, h = 0;
        uint8_t* rgb = frame_to_rgb(frame, 3, 2, r, &w, &h);
        ASSERT_NE(rgb, nullptr);
        EXPECT_EQ(w, r & 1 ? 2 : 3);
        EXPECT_EQ(h, r & 1 ? 3 : 2);
        convert_picture_turned(frame, out, 3, 2, r, lut);
        for (int i = 0; i < 6; i++) {
            int n = expect[r][i];
            EXPECT_EQ(std::vector<int>(rgb + 3 * i, rgb + 3 * i + 3), (std::vector<int>{n, n + 16, n + 32}))
                << "rotation " << r << " pixel " << i;
            EXPECT_EQ(out[i], opaque_rgb(255 - n, 239 - n, 223 - n)) << "rotation " << r << " pixel " << i;
        }
        free(rgb);
    }
    int w, h;
    EXPECT_EQ(frame_to_rgb(nullptr, 1, 1, 0, &w, &h), nullptr);
}

TEST(WindowSize, HeightTimesScaleAndTheAspectRoundedSwappedWhenTurnedAndSaturated) {
    // {height, scale, rotation, width, height} at 4:3.
    const int cases[][5] = {{240, 3, 1, 720, 960},
                            {240, 2, 0, 640, 480},
                            {224, 1, 2, 299, 224},
                            {240, 20000000, 0, INT_MAX, INT_MAX},
                            {240, -3, 0, 0, 0}};
    for (const auto& c : cases) {
        int w = -1, h = -1;
        window_size_for(c[0], A43, c[1], c[2], &w, &h);
        EXPECT_TRUE(w == c[3] && h == c[4]) << "scale " << c[1] << " rotation " << c[2] << ": " << w << "x" << h;
    }
}

TEST(PicturePlacement, FitAndIntegerScalingTurnedAboutTheCentre) {
    // The placement in the picture's own orientation, the rectangle shown
    // after the turn (ph wide and pw tall, centred like the upright one),
    // and whether it leaves any room for a backdrop.
    const struct {
        int gw, gh, ow, oh, aspect_mode, scale_mode, rotation;
        PictureRect place, shown;
        int covers;
    } cases[] = {// Fit.
                 {320, 240, 1280, 720, 0, 0, 1, {280, 90, 720, 540}, {370, 0, 540, 720}, 0},
                 {320, 240, 1280, 960, 0, 0, 0, {0, 0, 1280, 960}, {0, 0, 1280, 960}, 1},
                 {320, 240, 1280, 960, 0, 0, 2, {0, 0, 1280, 960}, {0, 0, 1280, 960}, 1},
                 {320, 240, 1280, 720, 0, 0, 0, {160, 0, 960, 720}, {160, 0, 960, 720}, 0},
                 {320, 240, 1000, 1000, 0, 0, 0, {0, 125, 1000, 750}, {0, 125, 1000, 750}, 0},
                 {320, 240, 1280, 960, 0, 0, 1, {160, 120, 960, 720}, {280, 0, 720, 960}, 0},
                 {320, 240, 640, 960, 0, 0, 1, {-106, 160, 853, 640}, {0, 53, 640, 853}, 0},  // odd sides halve alike
                 {320, 240, 720, 960, 0, 0, 1, {-120, 120, 960, 720}, {0, 0, 720, 960}, 1},
                 {320, 240, 720, 960, 0, 0, 3, {-120, 120, 960, 720}, {0, 0, 720, 960}, 1},
                 // Square pixels take the game's own shape; the display aspect is ignored.
                 {384, 224, 1280, 960, 1, 0, 0, {0, 106, 1280, 747}, {0, 106, 1280, 747}, 0},
                 {384, 224, 1280, 960, 0, 0, 0, {0, 0, 1280, 960}, {0, 0, 1280, 960}, 1},
                 // Integer: n goes 5, 4, 3, 2.
                 {320, 240, 1280, 720, 0, 1, 3, {320, 120, 640, 480}, {400, 40, 480, 640}, 0},
                 {320, 240, 1280, 960, 0, 1, 0, {0, 0, 1280, 960}, {0, 0, 1280, 960}, 1},
                 {320, 240, 1000, 700, 0, 1, 2, {180, 110, 640, 480}, {180, 110, 640, 480}, 0},
                 // At n = 1 the picture overflows a small window, centred, upright or turned.
                 {320, 240, 300, 200, 0, 1, 0, {-10, -20, 320, 240}, {-10, -20, 320, 240}, 1},
                 {320, 240, 200, 300, 0, 1, 1, {-60, 30, 320, 240}, {-20, -10, 240, 320}, 1},
                 // Square pixels: whole multiples of both sides; else a width that is not one.
                 {384, 224, 1280, 720, 1, 1, 0, {64, 24, 1152, 672}, {64, 24, 1152, 672}, 0},
                 {384, 224, 1280, 720, 0, 1, 0, {192, 24, 896, 672}, {192, 24, 896, 672}, 0},
                 // No picture: nothing drawn.
                 {0, 240, 1280, 960, 0, 1, 0, {640, 480, 0, 0}, {640, 480, 0, 0}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gw << "x" << c.gh << " in " << c.ow << "x" << c.oh << " aspect "
                                        << c.aspect_mode << " scale " << c.scale_mode << " rotation " << c.rotation);
        PictureRect p = place_picture(c.ow, c.oh, c.gw, c.gh, A43, c.aspect_mode, c.scale_mode, c.rotation);
        EXPECT_TRUE(rect_is(p, c.place));
        EXPECT_TRUE(rect_is(shown_picture_rect(p, c.ow, c.oh, c.rotation), c.shown));
        EXPECT_EQ(picture_covers_output(p, c.ow, c.oh, c.rotation), c.covers);
    }
}

TEST(PhosphorMask, Levels) {
    // Aperture grille (1): lit 255, the others 85 at full strength, every
    // row alike. Shadow mask (2): triads shift two columns every two rows,
    // odd rows 9/10. Slot mask (3): odd triads dark on rows 1 mod 4, even
    // triads on rows 3 mod 4. Strengths are held to 0..100.
    const struct {
        int type, strength, c, r, red, green, blue;
    } cases[] = {{1, 100, 0, 0, 255, 85, 85},  {1, 100, 1, 5, 85, 255, 85}, {1, 100, 5, 9, 85, 85, 255},
                 {1, 30, 3, 0, 255, 204, 204}, {1, 0, 2, 0, 255, 255, 255}, {2, 100, 0, 0, 255, 85, 85},
                 {2, 100, 0, 1, 229, 76, 76},  {2, 100, 0, 2, 85, 85, 255}, {2, 100, 1, 3, 229, 76, 76},
                 {2, 0, 4, 0, 255, 255, 255},  {2, 0, 4, 1, 229, 229, 229}, {3, 100, 3, 1, 85, 85, 85},
                 {3, 100, 0, 1, 255, 85, 85},  {3, 100, 0, 3, 85, 85, 85},  {3, 100, 4, 3, 85, 255, 85},
                 {3, 100, 5, 0, 85, 85, 255},  {3, 0, 3, 1, 255, 255, 255}, {1, 400, 1, 0, 85, 255, 85},
                 {1, -5, 1, 0, 255, 255, 255}};
    for (const auto& k : cases)
        EXPECT_EQ(mask_pixel(k.type, k.strength, k.c, k.r), opaque_rgb(k.red, k.green, k.blue))
            << "type " << k.type << " strength " << k.strength << " at " << k.c << "," << k.r;
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
        SDL_Surface* src =
            SDL_CreateRGBSurfaceWithFormatFrom(column.data(), 1, 2 * game_height, 32, 4, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_NE(src, nullptr);
        for (int rows : {200, 480, 720, 853, 960, 1000, 1080, 2160}) {
            SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 1, rows, 32, SDL_PIXELFORMAT_ARGB8888);
            ASSERT_NE(dst, nullptr);
            ASSERT_EQ(SDL_SoftStretchLinear(src, nullptr, dst, nullptr), 0) << SDL_GetError();
            for (int y = 0; y < rows; y++)
                ASSERT_EQ(scanline_alpha(y, rows, game_height, 1),
                          (int)(*(uint32_t*)((uint8_t*)dst->pixels + (size_t)y * dst->pitch) >> 24))
                    << "height " << game_height << ", " << rows << " rows, row " << y;
            SDL_FreeSurface(dst);
        }
        SDL_FreeSurface(src);
    }
}

TEST(CrtOverlay, TheTurnedMaskTimesTheScanlineBuiltWhole) {
    // Each mask channel scaled by what the scanline leaves, rounded; the
    // scanline strength is held to 0..100 (alpha x 127 / 255 at half).
    OverlayParams both{12, 960, 1, 100, 100, 0, 240, 0};
    EXPECT_EQ(overlay_pixel(both, 0, 3), opaque_rgb(64, 21, 21));  // 255 and 85 times 64 / 255
    EXPECT_EQ(overlay_pixel(both, 1, 0), opaque_rgb(85, 255, 85));
    both.scanlines = 250;
    EXPECT_EQ(overlay_pixel(both, 0, 3), opaque_rgb(64, 21, 21));
    OverlayParams half{4, 960, 0, 30, 50, 0, 240, 0};
    EXPECT_EQ(overlay_pixel(half, 0, 3), opaque_rgb(160, 160, 160));
    // Shown 8 wide and 6 tall with an odd turn, the picture is 6 wide and 8
    // tall; screen (x, y) shows the mask at picture column c, row r. One
    // turn puts the bottom-left pixel at the top left, three the top-right.
    const struct {
        int rotation, x, y, c, r;
    } turns[] = {{1, 0, 0, 0, 7}, {1, 7, 0, 0, 0}, {1, 0, 5, 5, 7}, {1, 2, 4, 4, 5},
                 {3, 0, 0, 5, 0}, {3, 2, 4, 1, 2}, {2, 0, 0, 7, 5}, {2, 2, 4, 5, 1}};
    for (const auto& k : turns)
        EXPECT_EQ(overlay_pixel(OverlayParams{8, 6, 3, 100, 0, k.rotation, 4, 0}, k.x, k.y),
                  mask_pixel(3, 100, k.c, k.r))
            << "rotation " << k.rotation << " at " << k.x << "," << k.y;
    // The whole overlay is built of exactly these pixels.
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
                                << rotation << " " << mask << " " << scanlines << " " << software << " at " << x << ","
                                << y;
                }
}

TEST(Glow, DrawnOnlyBesideThePictureWhereItLandsExactly) {
    GlowPart parts[2];
    auto shown = [](int w, int h, int scale_mode, int rotation) {
        return shown_picture_rect(place_picture(w, h, 320, 240, A43, 0, scale_mode, rotation), w, h, rotation);
    };
    // Turned in 1280 x 960: 280 free pixels each side; 3 texels make 160
    // pixels, so each strip is 6 texels, reaching 40 pixels (3/4 texel)
    // under the picture. A wide picture in a tall output: above and below.
    ASSERT_EQ(glow_parts(1280, 960, shown(1280, 960, 0, 1), 24, 18, parts), 2);
    EXPECT_TRUE(rect_is(parts[0].src, {0, 0, 6, 18}) && rect_is(parts[0].dst, {0, 0, 320, 960}));
    EXPECT_TRUE(rect_is(parts[1].src, {18, 0, 6, 18}) && rect_is(parts[1].dst, {960, 0, 320, 960}));
    ASSERT_EQ(glow_parts(640, 960, shown(640, 960, 0, 0), 24, 18, parts), 2);
    EXPECT_TRUE(rect_is(parts[0].src, {0, 0, 24, 6}) && rect_is(parts[0].dst, {0, 0, 640, 320}));
    EXPECT_TRUE(rect_is(parts[1].src, {0, 12, 24, 6}) && rect_is(parts[1].dst, {0, 640, 640, 320}));
    // The whole glow when the picture leaves room all round, when no strip
    // of whole texels lands on whole pixels, or when the strips would meet;
    // nothing when the picture covers everything.
    for (int n : {glow_parts(1000, 700, shown(1000, 700, 1, 0), 24, 18, parts),
                  glow_parts(1279, 959, shown(1279, 959, 0, 1), 24, 18, parts),
                  glow_parts(1280, 960, PictureRect{600, 0, 80, 960}, 24, 18, parts)}) {
        EXPECT_EQ(n, 1);
        EXPECT_TRUE(rect_is(parts[0].src, {0, 0, 24, 18}));
    }
    EXPECT_TRUE(rect_is(parts[0].dst, {0, 0, 1280, 960}));
    EXPECT_EQ(glow_parts(1280, 960, PictureRect{0, 0, 1280, 960}, 24, 18, parts), 0);
    // Across many outputs: every strip sits where the full stretch puts
    // its texels and reaches half a texel under the picture.
    for (int w = 600; w <= 2000; w += 37)
        for (int h = 500; h <= 1200; h += 53)
            for (int rotation = 0; rotation < 2; rotation++) {
                PictureRect pic = shown(w, h, 0, rotation);
                int n = glow_parts(w, h, pic, 24, 18, parts);
                for (int i = 0; i < n; i++) {
                    const PictureRect &s = parts[i].src, &d = parts[i].dst;
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " part " << i);
                    ASSERT_EQ((int64_t)d.x * 24, (int64_t)s.x * w);
                    ASSERT_EQ((int64_t)d.w * 24, (int64_t)s.w * w);
                    ASSERT_EQ((int64_t)d.y * 18, (int64_t)s.y * h);
                    ASSERT_EQ((int64_t)d.h * 18, (int64_t)s.h * h);
                    if (n == 2 && s.w < 24) {  // left or right strip
                        EXPECT_GE(2 * (i == 0 ? d.x + d.w - pic.x : pic.x + pic.w - d.x) * 24, w);
                    }
                }
            }
}

class PictureTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        FrontendSettings& s = fe.settings;
        s.scanlines = s.mask = s.rotation = s.scale_mode = s.aspect_mode = s.filter = 0;
        s.brightness = s.gamma = 100;
        SDL_SetTextureScaleMode(fe.game_texture, SDL_ScaleModeNearest);
        fetch_frame();  // the fake game's quadrants at frame 0: red, green / blue, white
        clear_output();
    }

    // The picture alone on a cleared output.
    void draw_picture(int rotation, int dim = 0, int w = TEST_OUTPUT_W, int h = TEST_OUTPUT_H) {
        clear_output();
        fe.settings.rotation = rotation;
        draw_game_picture(w, h, dim);
    }
};

TEST_F(PictureTest, FetchConvertsThroughTheTableIntoTheTexture) {
    EXPECT_EQ(fe.raw_frame[239 * 320 + 319], fake_pixel(0, 319, 239));
    EXPECT_EQ(fe.picture_frame[0], 0xFFFF0000u);
    EXPECT_EQ(fe.picture_lut_stale, 0);
    fe.settings.brightness = 50;
    fe.picture_lut_stale = 1;
    apply_picture_adjust();
    EXPECT_EQ(fe.raw_frame[0], 0x00FF0000u);  // the source stays unadjusted
    draw_picture(0);
    EXPECT_EQ(pixel_at(10, 10), 0xFF800000u);
    fe.settings.brightness = 150;  // the table is rebuilt only when marked stale
    apply_picture_adjust();
    EXPECT_EQ(fe.picture_frame[0], 0xFF800000u);

    // A game that offers only RGB555 frames: each channel widened by
    // repeating its top bits (bit 15 ignored), then through the table.
    static const uint16_t src[6] = {0x7FFF, 0xFFFF, 0x8000, 0x7C00, 0x03E0, 0x0010};
    const uint32_t want[6] = {0xFFFFFF, 0xFFFFFF, 0, 0xFF0000, 0x00FF00, 0x84 /* 16: 128 | 4 */};
    fe.adapter.get_frame_xrgb8888 = nullptr;
    fe.adapter.get_frame_rgb555 = [](uint16_t* out) {
        for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) out[i] = src[i % 6];
    };
    fetch_frame();
    for (int i = 0; i < 6; i++) EXPECT_EQ(fe.raw_frame[i], want[i]) << i;
    EXPECT_EQ(fe.picture_frame[3], 0xFF800000u);
}

TEST_F(PictureTest, CornersLandOnTheScreenCornersScaledNearestAndTurnedEvenWhilePaused) {
    // One marked pixel in each corner over grey. No new frame is fetched
    // when the rotation changes (as while paused under the display menu),
    // so the last frame itself must turn.
    const uint32_t grey = 0xFF808080, tl = 0xFFFF0000, tr = 0xFF00FF00, bl = 0xFF0000FF, br = 0xFFFFFF00;
    const uint32_t black = 0xFF000000;
    uint32_t* f = fe.raw_frame;
    for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) f[i] = grey;
    f[0] = tl;
    f[FAKE_WIDTH - 1] = tr;
    f[(FAKE_HEIGHT - 1) * FAKE_WIDTH] = bl;
    f[FAKE_HEIGHT * FAKE_WIDTH - 1] = br;
    apply_picture_adjust();
    draw_picture(2);  // fit, 4x, filling the output
    expect_pixels(fe.renderer, {{0, 0, br}, {3, 3, br}, {4, 4, grey}, {1279, 0, bl}, {0, 959, tr}, {1279, 959, tl}});
    // Once clockwise at 3x: shown 720 x 960 from x = 280. The frame's
    // bottom-left pixel is the top-left 3 x 3 block, its top-left pixel the
    // top-right block, and nothing spills into the borders.
    draw_picture(1);
    expect_pixels(fe.renderer, {{280, 0, bl},
                                {282, 2, bl},
                                {283, 0, grey},
                                {280, 3, grey},
                                {279, 0, black},
                                {999, 0, tl},
                                {997, 2, tl},
                                {1000, 0, black},
                                {280, 959, br},
                                {999, 959, tr},
                                {996, 956, grey}});
    draw_picture(3);
    expect_pixels(fe.renderer, {{280, 0, tr}, {999, 0, br}, {280, 959, tl}, {999, 959, bl}, {283, 3, grey}});
    // Upright with integer scaling, n = 2: 640 x 480 at (180, 110).
    fe.settings.scale_mode = 1;
    draw_picture(0, 0, 1000, 700);
    expect_pixels(fe.renderer, {{180, 110, tl},
                                {181, 111, tl},
                                {182, 112, grey},
                                {179, 110, black},
                                {180, 109, black},
                                {819, 589, br},
                                {820, 589, black},
                                {819, 590, black},
                                {819, 110, tr},
                                {180, 589, bl}});
}

TEST_F(PictureTest, OverlayMultipliesThePictureByTheMaskAndTheScanlineTurnedWithIt) {
    // What the overlay leaves at screen (x, y) of a picture channel that is
    // full or empty: the mask at the picture's column and row times what
    // the scanline at that row keeps, as the software renderer stretches it.
    auto overlaid = [](uint32_t picture, int x, int y) {
        const FrontendSettings& s = fe.settings;
        int c = x, r = y, rows = 960;
        if (s.rotation == 1) c = y, r = 719 - (x - 280), rows = 720;  // shown 720 x 960 from x = 280
        int keep = 255 - scanline_alpha(r, rows, FAKE_HEIGHT, 1) * (s.scanlines * 255 / 100) / 255;
        uint32_t m = s.mask ? mask_pixel(s.mask, s.mask_strength, c, r) : 0xFFFFFFFFu, out = 0;
        for (int shift : {0, 8, 16}) out |= (picture >> shift & 0xFF ? (m >> shift & 0xFF) * keep / 255 : 0) << shift;
        return out;
    };
    const struct {
        int rotation, mask, strength, scanlines;
    } cases[] = {{0, 1, 100, 0}, {0, 2, 100, 0},  {0, 3, 100, 0}, {1, 1, 100, 0},  {1, 2, 100, 0},
                 {1, 3, 100, 0}, {0, 0, 30, 100}, {0, 0, 30, 50}, {1, 0, 30, 100}, {0, 3, 60, 40}};
    // 40 game lines of white, and of pure red where only the red level may
    // survive: down the screen, or across it when turned.
    const struct {
        int rotation;
        uint32_t picture;
        int x, y, w, h;
    } blocks[] = {{0, 0xFFFFFF, 900, 800, 12, 40},
                  {0, 0xFF0000, 100, 0, 12, 40},
                  {1, 0xFFFFFF, 280, 900, 120, 4},
                  {1, 0xFF0000, 880, 0, 120, 4}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << k.rotation << " mask " << k.mask << " scanlines "
                                        << k.scanlines);
        fe.settings.mask = k.mask;
        fe.settings.mask_strength = k.strength;
        fe.settings.scanlines = k.scanlines;
        draw_picture(k.rotation);
        for (const auto& b : blocks) {
            if (b.rotation != k.rotation) continue;
            std::vector<uint32_t> px = read_pixels(b.x, b.y, b.w, b.h);
            for (int i = 0; i < b.w * b.h; i++) {
                int x = b.x + i % b.w, y = b.y + i / b.w;
                uint32_t want = overlaid(b.picture, x, y);
                ASSERT_TRUE(rgb_near(px[i], red_of(want), green_of(want), blue_of(want), k.scanlines ? 1 : 0))
                    << "at " << x << "," << y << ": " << std::hex << px[i] << " for " << want;
            }
        }
    }
    // Turned, the aperture grille's stripes run across the screen: along a
    // screen row one colour, down a column red, green, blue in turn.
    fe.settings.mask = 1;
    fe.settings.mask_strength = 100;
    fe.settings.scanlines = 0;
    draw_picture(1);
    expect_pixels(fe.renderer, {{300, 600, opaque_rgb(255, 85, 85)},
                                {500, 600, opaque_rgb(255, 85, 85)},
                                {300, 601, opaque_rgb(85, 255, 85)},
                                {300, 602, opaque_rgb(85, 85, 255)},
                                {300, 603, opaque_rgb(255, 85, 85)}});
}

TEST_F(PictureTest, MaskTextureIsCachedByItsKeyEvenWhenItCouldNotBeMade) {
    fe.settings.mask = 1;
    fe.settings.mask_strength = 30;
    draw_picture(0);
    SDL_Texture* first = fe.mask_texture;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::vector<int>(fe.mask_key, fe.mask_key + 4), (std::vector<int>{1280, 960, 1, 30}));
    draw_picture(0);
    EXPECT_EQ(fe.mask_texture, first);
    // A size the renderer refuses: no texture, but the key is kept, so it
    // is not retried every frame.
    SDL_Rect empty{0, 0, 0, 0};
    update_crt_mask_textures(&empty);
    EXPECT_EQ(fe.mask_texture, nullptr);
    EXPECT_EQ(std::vector<int>(fe.mask_key, fe.mask_key + 4), (std::vector<int>{0, 0, 1, 30}));
    // A new size or type rebuilds; the scanline strength and the rotation
    // are part of the key, and the overlay has the shown size.
    fe.settings.mask = 2;
    draw_picture(0, 0, 1000, 700);
    EXPECT_EQ(std::vector<int>(fe.mask_key, fe.mask_key + 3), (std::vector<int>{933, 700, 2}));
    fe.settings.scanlines = 20;
    draw_picture(0, 0, 1000, 700);
    EXPECT_EQ(fe.mask_key[4], 20);
    draw_picture(3);
    EXPECT_EQ(fe.mask_key[5], 3);
    int w = 0, h = 0;
    SDL_QueryTexture(fe.mask_texture, nullptr, nullptr, &w, &h);
    EXPECT_TRUE(w == 720 && h == 960) << w << "x" << h;
}

TEST_F(PictureTest, WindowModeSizesTheWindowFromTheScale) {
    fe.settings.fullscreen = 0;
    fe.settings.window_scale = 3;
    fe.settings.rotation = 1;
    apply_window_mode();
    int w = 0, h = 0;
    SDL_GetWindowSize(fe.window, &w, &h);
    EXPECT_TRUE(w == 720 && h == 960) << w << "x" << h;
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

    void draw(int border, int menu_open = 0) {
        fe.settings.border = border;
        fe.menu_open = menu_open;
        draw_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
        fe.menu_open = 0;
    }
};

TEST_F(BackdropTest, BlackWallpaperAndMenuBackdrops) {
    // Black, and the glow when the renderer refused it once already.
    for (int border : {0, 2}) {
        fe.glow_attempted = 1;
        clear_output(50, 50, 50);
        draw(border);
        EXPECT_EQ(fe.glow_texture, nullptr);
        expect_pixels(fe.renderer, {{10, 10, 0xFF000000u}, {1270, 950, 0xFF000000u}, {300, 100, 0xFF0000FFu}});
    }
    // The wallpaper: a gradient that stops short of its bottom colour, with
    // a faint accent line (azure: more blue) at 960 x 3 / 7 across the width.
    draw(1);
    EXPECT_EQ(pixel_at(10, 0), abgr_to_argb(0xFF1E1512));
    EXPECT_EQ(pixel_at(10, 959), abgr_to_argb(gradient_band_colour(0xFF1E1512, 0xFF0B0706, 63, 64)));
    uint32_t line = pixel_at(10, 411);
    EXPECT_GT(blue_of(line), blue_of(pixel_at(10, 412)));
    EXPECT_EQ(pixel_at(1270, 411), line);
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);  // the picture on top
    // Without the picture: a gradient under an accent strip u x 3 / 100 tall.
    fe.ui_unit = 100;
    draw_menu_backdrop(TEST_OUTPUT_W, TEST_OUTPUT_H);
    EXPECT_EQ(pixel_at(500, 3), abgr_to_argb(0xFF211714));
    EXPECT_GT(blue_of(pixel_at(500, 2)), 150);  // azure at 0xC8 over the dark top
    EXPECT_EQ(pixel_at(500, 959), abgr_to_argb(gradient_band_colour(0xFF211714, 0xFF0C0807, 63, 64)));
}

TEST_F(BackdropTest, AmbientGlowIsADarkenedBlurDimmedUnderAMenu) {
    draw(2);
    ASSERT_NE(fe.glow_texture, nullptr);
    // The unturned frame stretched over the output: red at the top left,
    // white at the bottom right, darkened by (70, 70, 80), the quadrants
    // mixed toward the middle.
    uint32_t glow = pixel_at(1270, 950), mid = pixel_at(270, 470);
    EXPECT_TRUE(rgb_near(pixel_at(10, 10), 70, 0, 0, 4)) << std::hex << pixel_at(10, 10);
    EXPECT_TRUE(rgb_near(glow, 70, 70, 80, 4)) << std::hex << glow;
    EXPECT_TRUE(blue_of(mid) > 0 && red_of(mid) > 0) << std::hex << mid;
    EXPECT_EQ(pixel_at(300, 100), 0xFF0000FFu);
    SDL_ScaleMode mode;  // the game texture keeps its own filter
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);
    clear_output();
    draw(2, 1);  // under an open menu dimmed as the picture is (right of the shade)
    uint32_t open_glow = pixel_at(1270, 950);
    EXPECT_TRUE(rgb_near(open_glow, red_of(glow) * 90 / 255, green_of(glow) * 90 / 255, blue_of(glow) * 100 / 255))
        << std::hex << open_glow << " from " << glow;

    // One-pixel stripes: a filtered shrink mixes neighbours into every
    // texel, a point-sampled one would keep pure black or full glow.
    for (int i = 0; i < FAKE_WIDTH * FAKE_HEIGHT; i++) fe.raw_frame[i] = i % 2 ? 0xFFFFFF : 0x000000;
    for (int rotation : {0, 1}) {
        fe.settings.rotation = rotation;
        apply_picture_adjust();
        clear_output();
        draw_backdrop(700, 700);  // room beside the picture either way
        ASSERT_EQ(SDL_SetRenderTarget(fe.renderer, fe.glow_texture), 0);
        std::vector<uint32_t> texels(24 * 18);
        ASSERT_EQ(SDL_RenderReadPixels(fe.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, texels.data(), 24 * 4), 0);
        SDL_SetRenderTarget(fe.renderer, nullptr);
        for (uint32_t t : texels) EXPECT_TRUE(red_of(t) > 4 && red_of(t) < 66) << rotation << " " << std::hex << t;
    }
}

TEST_F(BackdropTest, OpenMenuDimsThePictureAndShadesTheLeftPart) {
    fe.settings.rotation = 0;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 1);
    EXPECT_TRUE(rgb_near(pixel_at(10, 10), 90, 0, 0)) << std::hex << pixel_at(10, 10);
    // Right of the shade the dimmed picture (white quadrant at the bottom);
    // under it (left 55 %: x < 704) much darker.
    draw(0, 1);
    EXPECT_TRUE(rgb_near(pixel_at(1000, 900), 90, 90, 100));
    EXPECT_LT(red_of(pixel_at(700, 900)), 45);
    EXPECT_TRUE(rgb_near(pixel_at(704, 900), 90, 90, 100));
    draw(0);  // with the menu closed full bright again
    EXPECT_EQ(pixel_at(700, 900), 0xFFFFFFFFu);
}
