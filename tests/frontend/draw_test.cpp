// The drawing layer: the UI unit, accents, and what the rectangle, outline,
// rounded-rectangle and gradient primitives put on the screen.
#include <gtest/gtest.h>

#include "frontend/draw.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

TEST(UiUnit, ScalesWithTheSmallerSideAndNeverDropsBelow45) {
    EXPECT_EQ(compute_ui_unit(1280, 760), 100);
    EXPECT_EQ(compute_ui_unit(1920, 1080), 142);
    EXPECT_EQ(compute_ui_unit(1280, 800), 100);
    EXPECT_EQ(compute_ui_unit(320, 240), 45);
    EXPECT_EQ(compute_ui_unit(0, 0), 45);
}

TEST(Accent, TableAndSettingIndexWrap) {
    EXPECT_EQ(ACCENT_COLOURS[0], 0xFFFF9C40u);
    EXPECT_EQ(ACCENT_COLOURS[5], 0xFFECE6E6u);
    EXPECT_STREQ(ACCENT_NAMES[2], "Crimson");
    EXPECT_STREQ(ACCENT_NAMES[4], "Violet");
    fe.settings.accent = 3;
    EXPECT_EQ(accent_colour(), 0xFF84CE40u);
    fe.settings.accent = 7;
    EXPECT_EQ(accent_colour(), 0xFF2EB0FFu);
    fe.settings.accent = -1;  // a hand-edited file must not index outside the table
    EXPECT_EQ(accent_colour(), 0xFFECE6E6u);
    fe.settings.accent = 0;
}

TEST(RoundedRect, RadiusIsLimitedByHalfTheSidesAndNeverNegative) {
    EXPECT_EQ(rounded_rect_radius(100, 40, 10), 10);
    EXPECT_EQ(rounded_rect_radius(100, 40, 30), 20);  // a pill
    EXPECT_EQ(rounded_rect_radius(100, 41, 30), 20);
    EXPECT_EQ(rounded_rect_radius(10, 40, 30), 5);    // height first, then width
    EXPECT_EQ(rounded_rect_radius(100, 40, -5), 0);
    EXPECT_EQ(rounded_rect_radius(100, 40, 0), 0);
}

TEST(RoundedRect, CornerRowsAreMostInsetAtTheEdge) {
    // r = 4, rows from the edge inward (i = 4, 3, 2, 1).
    EXPECT_EQ(rounded_corner_inset(4, 4), 2);
    EXPECT_EQ(rounded_corner_inset(4, 3), 1);
    EXPECT_EQ(rounded_corner_inset(4, 2), 0);
    EXPECT_EQ(rounded_corner_inset(4, 1), 0);
    for (int i = 2; i <= 20; i++) EXPECT_GE(rounded_corner_inset(20, i), rounded_corner_inset(20, i - 1));
    EXPECT_EQ(rounded_corner_inset(1, 1), 0);
}

TEST(Gradient, BandsCoverTheHeightWithAtMost64) {
    EXPECT_EQ(gradient_band_count(10), 10);
    EXPECT_EQ(gradient_band_count(64), 64);
    EXPECT_EQ(gradient_band_count(200), 64);
    EXPECT_EQ(gradient_band_count(0), 0);
    EXPECT_EQ(gradient_band_count(-3), 0);
    for (int k = 0; k < 10; k++) EXPECT_EQ(gradient_band_top(k + 1, 10, 10) - gradient_band_top(k, 10, 10), 1);
    EXPECT_EQ(gradient_band_top(0, 64, 200), 0);
    EXPECT_EQ(gradient_band_top(64, 64, 200), 200);
    for (int k = 0; k < 64; k++) {
        int rows = gradient_band_top(k + 1, 64, 200) - gradient_band_top(k, 64, 200);
        EXPECT_TRUE(rows == 3 || rows == 4) << "band " << k;
    }
}

TEST(Gradient, ChannelsStepTowardZeroAndStopShortOfTheBottom) {
    // Red rises 0 -> 255; blue falls 255 -> 0; alpha falls 0xEB -> 0xC8.
    uint32_t top = 0xEBFF0000, bottom = 0xC80000FF;
    EXPECT_EQ(gradient_band_colour(top, bottom, 0, 64), top);
    uint32_t last = gradient_band_colour(top, bottom, 63, 64);
    EXPECT_EQ(last & 0xFF, 63u * 255 / 64);               // 251, never 255
    EXPECT_EQ(last >> 16 & 0xFF, 255u - 63u * 255 / 64);  // 4, never 0
    EXPECT_NE(last, bottom);
    // A falling channel truncates toward zero: 255 - 255/64 is 252, not 251.
    EXPECT_EQ(gradient_band_colour(top, bottom, 1, 64) >> 16 & 0xFF, 252u);
    EXPECT_EQ(gradient_band_colour(top, bottom, 1, 64) >> 24, 0xEBu - 35u / 64u);
    EXPECT_EQ(gradient_band_colour(top, bottom, 32, 64) >> 24, 0xEBu - 35u * 32 / 64);
    EXPECT_EQ(gradient_band_colour(0xFF123456, 0xFF123456, 40, 64), 0xFF123456u);
}

class DrawTest : public FrontendTest {};

TEST_F(DrawTest, OpaqueFillOverwritesAndTranslucentFillBlends) {
    clear_output(0, 0, 200);
    fill_rect(fe.renderer, 10, 10, 20, 20, 0xFF0000FF);  // opaque red
    EXPECT_EQ(pixel_at(10, 10), 0xFFFF0000u);
    EXPECT_EQ(pixel_at(29, 29), 0xFFFF0000u);
    EXPECT_EQ(pixel_at(30, 30), 0xFF0000C8u);
    fill_rect(fe.renderer, 40, 10, 10, 10, 0x800000FF);  // half red over blue
    EXPECT_TRUE(rgb_near(pixel_at(45, 15), 128, 0, 100, 3)) << std::hex << pixel_at(45, 15);
}

TEST_F(DrawTest, OutlineIsFourBarsOfTheThickness) {
    clear_output();
    draw_rect_outline(fe.renderer, 100, 100, 50, 40, 3, 0xFFFFFFFF);
    expect_pixels(fe.renderer, {
        {100, 100, 0xFFFFFFFFu}, {149, 102, 0xFFFFFFFFu}, {125, 139, 0xFFFFFFFFu}, {102, 120, 0xFFFFFFFFu},
        {147, 120, 0xFFFFFFFFu}, {103, 103, 0xFF000000u}, {146, 136, 0xFF000000u}, {150, 120, 0xFF000000u},
    });
}

TEST_F(DrawTest, RoundedRectLeavesTheCornersOpen) {
    clear_output();
    const uint32_t white = 0xFFFFFFFFu, black = 0xFF000000u;
    fill_rounded_rect(fe.renderer, 200, 200, 100, 60, 12, 0xFFFFFFFF);
    expect_pixels(fe.renderer, {
        {200, 200, black},
        {299, 259, black},
        {250, 200, white},  // centre strip reaches the edge
        {200, 230, white},  // side strip
        {204, 204, white},
    });
    // Row 0 of the top-left corner starts at its inset and ends at the strip.
    int inset = rounded_corner_inset(12, 12);
    expect_pixels(fe.renderer, {
        {200 + inset - 1, 200, black}, {200 + inset, 200, white}, {299 - inset, 259, white},
        {299 - inset + 1, 259, black}, {300, 230, black},
    });

    // Radius 0 and a negative radius: a plain rectangle.
    clear_output();
    fill_rounded_rect(fe.renderer, 10, 10, 30, 20, -4, 0xFFFFFFFF);
    fill_rounded_rect(fe.renderer, 50, 10, 30, 20, 0, 0xFFFFFFFF);
    for (int x : {10, 39, 50, 79})
        for (int y : {10, 29}) EXPECT_EQ(pixel_at(x, y), white) << x << "," << y;
    EXPECT_EQ(pixel_at(40, 10), black);
}

TEST_F(DrawTest, GradientDrawsBandsDownToButNotIncludingTheBottomColour) {
    clear_output(1, 2, 3);
    uint32_t top = 0xFF000000, bottom = 0xFF0000FF;  // black to red
    fill_vertical_gradient(fe.renderer, 0, 100, 50, 200, top, bottom);
    std::vector<uint32_t> column = read_pixels(10, 100, 1, 200);
    for (int k = 0; k < 64; k++) {
        uint32_t expect = abgr_to_argb(gradient_band_colour(top, bottom, k, 64));
        for (int y = gradient_band_top(k, 64, 200); y < gradient_band_top(k + 1, 64, 200); y++)
            ASSERT_EQ(column[y], expect) << "row " << y;
    }
    EXPECT_EQ(red_of(column[199]), 251);
    EXPECT_EQ(pixel_at(10, 99), 0xFF010203u);
    EXPECT_EQ(pixel_at(10, 300), 0xFF010203u);

    clear_output(1, 2, 3);
    fill_vertical_gradient(fe.renderer, 0, 0, 50, 0, top, bottom);
    fill_vertical_gradient(fe.renderer, 0, 0, 50, -10, top, bottom);
    EXPECT_EQ(pixel_at(10, 0), 0xFF010203u);
}

TEST_F(DrawTest, TranslucentGradientBlendsBandByBand) {
    clear_output(0, 0, 0);
    // Opaque white at the top fading to transparent white: the top row is
    // white, lower rows darker, each band's alpha applied over black.
    fill_vertical_gradient(fe.renderer, 0, 0, 10, 64, 0xFFFFFFFF, 0x00FFFFFF);
    EXPECT_EQ(pixel_at(5, 0), 0xFFFFFFFFu);
    int last = red_of(pixel_at(5, 63));
    EXPECT_NEAR(last, 255 - 63 * 255 / 64, 2);
    EXPECT_GT(red_of(pixel_at(5, 20)), red_of(pixel_at(5, 40)));
}
