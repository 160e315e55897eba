// Picture output: the colour table, conversions, window sizes, placement,
// mask levels, and under the software renderer the scaled, turned, dimmed
// picture with its scanlines, masks and backdrops.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "frontend/draw.h"
#include "frontend/picture.h"
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

    std::vector<uint32_t> px(7 * 5);
    build_mask_pixels(px.data(), 7, 5, 3, 60);
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 7; c++) EXPECT_EQ(px[(size_t)r * 7 + c], mask_pixel(3, 60, c, r));
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
    ASSERT_NE(fe.scanline_texture, nullptr);
    // White quadrant, 4 output rows per game line.
    std::vector<uint32_t> col = read_pixels(1000, 800, 1, 40);
    long upper = 0, lower = 0;
    for (int y = 0; y < 40; y++) (y % 4 < 2 ? upper : lower) += red_of(col[y]);
    EXPECT_GT(upper, lower + 10 * 40) << upper << " vs " << lower;
    int darkest = 255;
    for (uint32_t p : col) darkest = std::min(darkest, red_of(p));
    EXPECT_LT(darkest, 100);

    // Half strength: lighter lines.
    clear_output();
    fe.settings.scanlines = 50;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    std::vector<uint32_t> half = read_pixels(1000, 800, 1, 40);
    long half_lower = 0;
    for (int y = 0; y < 40; y++)
        if (y % 4 >= 2) half_lower += red_of(half[y]);
    EXPECT_GT(half_lower, lower);
    SDL_Texture* first = fe.scanline_texture;
    draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
    EXPECT_EQ(fe.scanline_texture, first) << "made once";
}

TEST_F(PictureTest, EachMaskMultipliesThePicture) {
    fe.settings.mask_strength = 100;
    for (int type = 1; type <= 3; type++) {
        SCOPED_TRACE(type);
        fe.settings.mask = type;
        clear_output();
        draw_game_picture(TEST_OUTPUT_W, TEST_OUTPUT_H, 0);
        // Over white the product is the mask itself.
        std::vector<uint32_t> px = read_pixels(900, 700, 6, 4);
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 6; c++)
                EXPECT_EQ(px[(size_t)r * 6 + c], mask_pixel(type, 100, 900 + c, 700 + r)) << c << "," << r;
        // Over pure red only the red level survives.
        uint32_t red = pixel_at(1, 0);
        EXPECT_EQ(red, channels(red_of(mask_pixel(type, 100, 1, 0)), 0, 0));
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
