// The drawing layer: the UI unit, accents, and what the rectangle, outline,
// rounded-rectangle and gradient primitives put on the screen.
#include <gtest/gtest.h>

#include "frontend/draw.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {
constexpr uint32_t WHITE = 0xFFFFFFFFu, BLACK = 0xFF000000u;
}  // namespace

TEST(UiUnit, ScalesWithTheSmallerSideAndNeverDropsBelow45) {
    const int cases[][3] = {{1280, 760, 100}, {1920, 1080, 142}, {1280, 800, 100}, {320, 240, 45}, {0, 0, 45}};
    for (const auto& c : cases) EXPECT_EQ(compute_ui_unit(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
}

TEST(Accent, SettingIndexWrapsIntoTheTable) {
    // A hand-edited file must not index outside the table.
    for (auto [accent, colour] : {std::pair{3, 0xFF84CE40u}, std::pair{7, 0xFF2EB0FFu}, std::pair{-1, 0xFFECE6E6u}}) {
        fe.settings.accent = accent;
        EXPECT_EQ(accent_colour(), colour) << accent;
    }
    fe.settings.accent = 0;
}

TEST(RoundedRect, RadiusIsLimitedByHalfTheSidesAndCornerRowsAreMostInsetAtTheEdge) {
    const int radii[][4] = {
        {100, 40, 10, 10}, {100, 40, 30, 20} /* a pill */,
        {100, 41, 30, 20}, {10, 40, 30, 5} /* height first, then width */,
        {100, 40, -5, 0},  {100, 40, 0, 0},
    };
    for (const auto& c : radii) EXPECT_EQ(rounded_rect_radius(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
    // r = 4, rows from the edge inward (i = 4, 3, 2, 1).
    const int insets[] = {0, 0, 1, 2};
    for (int i = 1; i <= 4; i++) EXPECT_EQ(rounded_corner_inset(4, i), insets[i - 1]) << i;
    for (int i = 2; i <= 20; i++) EXPECT_GE(rounded_corner_inset(20, i), rounded_corner_inset(20, i - 1));
    EXPECT_EQ(rounded_corner_inset(1, 1), 0);
}

TEST(Gradient, AtMost64BandsStepTowardZeroAndStopShortOfTheBottom) {
    const int counts[][2] = {{10, 10}, {64, 64}, {200, 64}, {0, 0}, {-3, 0}};
    for (const auto& c : counts) EXPECT_EQ(gradient_band_count(c[0]), c[1]) << c[0];
    for (int k = 0; k < 10; k++) EXPECT_EQ(gradient_band_top(k + 1, 10, 10) - gradient_band_top(k, 10, 10), 1);
    EXPECT_EQ(gradient_band_top(0, 64, 200), 0);
    EXPECT_EQ(gradient_band_top(64, 64, 200), 200);
    for (int k = 0; k < 64; k++) {
        int rows = gradient_band_top(k + 1, 64, 200) - gradient_band_top(k, 64, 200);
        EXPECT_TRUE(rows == 3 || rows == 4) << "band " << k;
    }
    // Red rises 0 -> 255; blue falls 255 -> 0; alpha falls 0xEB -> 0xC8.
    uint32_t top = 0xEBFF0000, bottom = 0xC80000FF;
    EXPECT_EQ(gradient_band_colour(top, bottom, 0, 64), top);
    uint32_t last = gradient_band_colour(top, bottom, 63, 64);
    EXPECT_EQ(last & 0xFF, 63u * 255 / 64);               // 251, never 255
    EXPECT_EQ(last >> 16 & 0xFF, 255u - 63u * 255 / 64);  // 4, never 0
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
    expect_pixels(fe.renderer, {{10, 10, 0xFFFF0000u}, {29, 29, 0xFFFF0000u}, {30, 30, 0xFF0000C8u}});
    fill_rect(fe.renderer, 40, 10, 10, 10, 0x800000FF);  // half red over blue
    EXPECT_TRUE(rgb_near(pixel_at(45, 15), 128, 0, 100, 3)) << std::hex << pixel_at(45, 15);
}

TEST_F(DrawTest, OutlineIsFourBarsOfTheThickness) {
    clear_output();
    draw_rect_outline(fe.renderer, 100, 100, 50, 40, 3, WHITE);
    expect_pixels(fe.renderer, {{100, 100, WHITE},
                                {149, 102, WHITE},
                                {125, 139, WHITE},
                                {102, 120, WHITE},
                                {147, 120, WHITE},
                                {103, 103, BLACK},
                                {146, 136, BLACK},
                                {150, 120, BLACK}});
}

TEST_F(DrawTest, RoundedRectLeavesTheCornersOpen) {
    clear_output();
    fill_rounded_rect(fe.renderer, 200, 200, 100, 60, 12, WHITE);
    // The centre and side strips reach the edges; row 0 of each corner
    // starts at its inset and ends at the strip.
    int inset = rounded_corner_inset(12, 12);
    expect_pixels(fe.renderer, {{200, 200, BLACK},
                                {299, 259, BLACK},
                                {250, 200, WHITE},
                                {200, 230, WHITE},
                                {204, 204, WHITE},
                                {200 + inset - 1, 200, BLACK},
                                {200 + inset, 200, WHITE},
                                {299 - inset, 259, WHITE},
                                {299 - inset + 1, 259, BLACK},
                                {300, 230, BLACK}});
    // Radius 0 and a negative radius: a plain rectangle.
    clear_output();
    fill_rounded_rect(fe.renderer, 10, 10, 30, 20, -4, WHITE);
    fill_rounded_rect(fe.renderer, 50, 10, 30, 20, 0, WHITE);
    for (int x : {10, 39, 50, 79})
        for (int y : {10, 29}) EXPECT_EQ(pixel_at(x, y), WHITE) << x << "," << y;
    EXPECT_EQ(pixel_at(40, 10), BLACK);
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

    // Opaque white fading to transparent white over black: each band's
    // alpha applied, so lower rows are darker.
    clear_output();
    fill_vertical_gradient(fe.renderer, 0, 0, 10, 64, 0xFFFFFFFF, 0x00FFFFFF);
    EXPECT_EQ(pixel_at(5, 0), WHITE);
    EXPECT_NEAR(red_of(pixel_at(5, 63)), 255 - 63 * 255 / 64, 2);
    EXPECT_GT(red_of(pixel_at(5, 20)), red_of(pixel_at(5, 40)));
}
