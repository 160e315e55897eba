#include "video_fixture.h"

namespace {

constexpr u32 EMPTY = ~0u;  // nothing drawn at the pixel

class TilemapTest : public VideoTest {
protected:
    // 8-bit tiles whose pixel value tells the map x: tile t holds 1 + t * 16 + cx on every row, and map column c shows
    // tile c & 7.
    void column_ramp(u32 layer, u32 colour_row = 0, u32 priority = 0) {
        for (u32 i = 0; i < 8 * 256; i++) gfx(layer)[i] = u8(1 + i / 256 * 16 + i % 16);
        for (u32 i = 0; i < 64 * 64; i++) set_tile(layer, i / 64, i % 64, tile_word(i % 8, colour_row, priority));
    }
    // Checks the map x, modulo 128, of pixels drawn by column_ramp.
    static void expect_ramp(u32 layer, std::initializer_list<Px> pixels) {
        for (const Px& p : pixels) {
            const u16 c = colour_at(layer, p.x, p.y);
            EXPECT_EQ(p.want == EMPTY ? c : ((c & 0xff) - 1u) % 128, p.want == EMPTY ? 0 : p.want % 128)
                << "at " << p.x << ", " << p.y;
        }
    }
    // Checks the whole colour word, or only its pixel value (low byte).
    static void expect_colours(u32 layer, std::initializer_list<Px> pixels, u32 mask = 0xffff) {
        for (const Px& p : pixels) EXPECT_EQ(colour_at(layer, p.x, p.y) & mask, p.want) << "at " << p.x << ", " << p.y;
    }
};

}  // namespace

TEST_F(TilemapTest, UnitStepsShowTheMapWithTileFlipsAndPixelFormats) {
    unit_layer(0);
    set_tile(0, 0, 1, tile_word(2, 5, 3));
    gfx(0)[2 * 256 + 4 * 16 + 3] = 0x77;
    for (u32 i = 0; i < 255; i++) gfx(0)[3 * 256 + i] = u8(i + 1);  // tile 3: value 1 + cy * 16 + cx
    for (u32 i = 0; i < 3; i++) set_tile(0, 0, 2 + i, tile_word(3, 0, 0, i != 1, i != 0));  // flip x, y, both
    set_tile(0, 1, 0, tile_word(0x8001, 0, 0));  // 8-bit tile numbers alias above 32767
    fill_tile8(0, 1, 0x42);
    render_layer(0);
    EXPECT_EQ(priority_at(0, 16 + 3, 4), 3);
    EXPECT_EQ(colour_at(1, 16 + 3, 4), 0);  // layer B's slot untouched
    // (2, 3) of the x-flipped tile reads (13, 3).
    expect_colours(0, {{16 + 3, 4, 0x4000 + 5 * 256 + 0x77},
                       {32 + 2, 3, 0x4000 + 3 * 16 + 13 + 1},
                       {48 + 2, 3, 0x4000 + 12 * 16 + 2 + 1},
                       {64 + 2, 3, 0x4000 + 12 * 16 + 13 + 1},
                       {8, 24, 0x4042}});
    // 4 bits per pixel take the low nibble first; the top tile number reaches the last byte of the buffer.
    unit_layer(0, 1);
    set_tile(0, 0, 0, tile_word(3, 2, 0));
    gfx(0)[3 * 128 + 5 * 8 + 0] = 0xA7;
    set_tile(0, 0, 1, tile_word(0xFFFF, 0, 0));
    gfx(0)[TILE_ROM_SIZE - 1] = 0x90;
    render_layer(0);
    expect_colours(0, {{0, 5, 0x4000 + 2 * 256 + 7}, {1, 5, 0x4000 + 2 * 256 + 10}, {31, 15, 0x4000 + 9}});
}

TEST_F(TilemapTest, TransparentPixelsStillStoreColourAndPriorityAndDisabledLayersNothing) {
    unit_layer(0);
    fill_map(0, tile_word(9, 12, 6));  // tile 9 is all zero
    render_layer(0);
    expect_colours(0, {{0, 0, 0x4000 + 12 * 256}, {319, 239, 0x4000 + 12 * 256}});
    EXPECT_EQ(priority_at(0, 0, 0), 6);
    unit_layer(0, 0, 0);  // enable bit clear
    render_layer(0);
    EXPECT_EQ(colour_at(0, 100, 100) | priority_at(0, 100, 100), 0);
    unit_layer(0);
    b->palette_control.tile_layers_on = 0;
    render_layer(0);
    EXPECT_EQ(colour_at(0, 100, 100), 0);
}

TEST_F(TilemapTest, ScrollIsSubtractedAndIndexedByMapRowOrColumn) {
    column_ramp(0);
    unit_layer(0, 0, 1, 0, 100);  // screen line 0 shows map row 100
    put(b->line_ram, 100 * 4, 10);
    put(b->line_ram, 0, 50);  // screen line 0's entry must not be used
    render_layer(0);
    expect_ramp(0, {{10, 0, 0}, {9, 0, 1023}, {10, 1, 10}});  // positive moves right; row 101 unscrolled
    unit_layer(0, 2, 1, 16, 0);                               // column scroll; screen x 0 is map x 16
    fill_map(0, 0);
    fill_tile8(0, 0, 0);
    fill_tile8(0, 1, 0x11);
    set_tile(0, 0, 1, tile_word(1, 0, 0));  // map rows 0-15, columns 16-31
    put(b->line_ram, 19 * 4, 0xFFFF0020);   // map column 19: bits 15-0 only, 32
    put(b->line_ram, 3 * 4, 64);            // screen column 3's entry must not be used
    render_layer(0);
    expect_colours(0, {{3, 31, 0}, {3, 32, 0x11}, {3, 47, 0x11}, {3, 48, 0}, {4, 0, 0x11}}, 0xff);
}

TEST_F(TilemapTest, MapWrapsUnlessNoWrapIsSet) {
    column_ramp(0);
    unit_layer(0, 0, 1, -8, 0);
    render_layer(0);
    expect_ramp(0, {{0, 0, 1016}, {8, 0, 0}});
    unit_layer(0, 0, 1 | 4, -8, 0);
    render_layer(0);
    expect_ramp(0, {{7, 0, EMPTY}, {8, 0, 0}});
    unit_layer(0, 0, 1 | 4, 0, -8);  // lines above the map stay empty, the walk goes on
    render_layer(0);
    expect_ramp(0, {{5, 7, EMPTY}, {5, 8, 5}});
    unit_layer(0, 0, 1 | 4, 1000, 0);  // 1024 and beyond are outside too
    render_layer(0);
    expect_ramp(0, {{23, 0, 1023}, {24, 0, EMPTY}});
}

// The two field widths differ by whole multiples of the 1024-pixel map, so these cases use no-wrap, where a misread
// field walks off the map.
TEST_F(TilemapTest, StepFieldsAreNineteenOrTwentyFourBitsWide) {
    column_ramp(0);
    unit_layer(0, 0, 1 | 4, 100, 0);
    roz24(0, 0x25, 0x07FF00);  // x step per pixel -1 as 19 bits; +2047 as 24
    render_layer(0);
    expect_ramp(0, {{30, 0, 70}, {101, 0, EMPTY}});
    roz24(0, 0x25, 0xF80100);  // bits above 18 are not part of the field
    render_layer(0);
    expect_ramp(0, {{30, 0, 130}});
    unit_layer(0, 0, 1 | 4, 100, 0);
    roz24(0, 0x2d, 0xFFFF00);  // x step per line: -1 pixel, 24 bits
    render_layer(0);
    expect_ramp(0, {{0, 20, 80}});
    unit_layer(0, 0, 1 | 4, -1000, 0);
    roz24(0, 0x2d, 0x040400);  // +1028 pixels a line as 24 bits; -1020 as 19
    render_layer(0);
    expect_ramp(0, {{0, 0, EMPTY}, {0, 1, 28}});
    unit_layer(0, 0, 1 | 4, 0, 100);
    roz24(0, 0x31, 0x07FF00);  // y step per line: -1 pixel, 19 bits
    for (u32 row = 0; row < 64; row++) set_tile(0, row, 0, tile_word(row == 5, 0, 0));  // tile 1 on map rows 80-95
    render_layer(0);
    expect_colours(0, {{0, 4, 1}, {0, 5, 17}, {0, 20, 17}, {0, 21, 1}}, 0xff);
}

// A quarter turn stretched twice along the map's X: each screen line walks down a map column, so the row scroll follows
// the screen column. Each layer reads its own registers, map, graphics and scroll table.
TEST_F(TilemapTest, QuarterTurnAndZoomOnEachLayer) {
    for (u32 layer = 0; layer < 2; layer++) {
        SCOPED_TRACE(layer);
        column_ramp(layer, 7 * layer, 4 * layer);
        column_ramp(1 - layer, 1, 1);
        unit_layer(layer);
        unit_layer(1 - layer, 0, 0);
        roz24(layer, 0x25, 0), roz24(layer, 0x29, 0x100);  // x, y steps per pixel
        roz24(layer, 0x2d, 0x200), roz24(layer, 0x31, 0);  // x, y steps per line
        std::memset(b->line_ram, 0, sizeof b->line_ram);
        put(b->line_ram, layer * 0x1000 + 37 * 4, 10);
        put(b->line_ram, (1 - layer) * 0x1000 + 36 * 4, 60);
        layer_buffers_clear();
        roz_layer_render(b, 0);
        roz_layer_render(b, 1);
        expect_ramp(layer, {{0, 50, 100}, {36, 5, 10}, {37, 15, 20}, {38, 15, 30}});
        EXPECT_EQ(colour_at(layer, 3, 5) >> 8, 0x40 + 7 * layer);
        EXPECT_EQ(priority_at(layer, 3, 5), 4 * layer);
        EXPECT_EQ(colour_at(1 - layer, 3, 5), 0);
    }
    column_ramp(0);
    unit_layer(0);
    std::memset(b->line_ram, 0, sizeof b->line_ram);
    roz24(0, 0x25, 0x80);  // half steps magnify twice
    render_layer(0);
    for (int x = 0; x < 40; x++) expect_ramp(0, {{x, 0, u32(x / 2)}});
}

// The walk of rotated layers (a Y step per pixel, or column scroll) reads pixels as the unrotated one does: 4 bits per
// pixel take the low nibble first, flips mirror within the tile, and transparent pixels keep their colour row and
// priority. A Y step of 1/256 pixel keeps the first 256 columns on map row 0's line.
TEST_F(TilemapTest, RotatedWalkReadsPixelsLikeTheUnrotatedOne) {
    const struct {
        const char* what;
        u32 mode;    // bit 1: column scroll
        u32 y_step;  // per pixel
    } walks[] = {{"unrotated", 0, 0}, {"Y step per pixel", 0, 1}, {"column scroll", 2, 0}};
    for (const auto& w : walks) {
        SCOPED_TRACE(w.what);
        std::memset(b->line_ram, 0, sizeof b->line_ram);
        fill_map(0, tile_word(9, 12, 6));                               // tile 9 is all zero: transparent
        for (u32 i = 0; i < 256; i++) gfx(0)[3 * 256 + i] = u8(i + 1);  // tile 3: value 1 + cy * 16 + cx
        for (u32 i = 0; i < 3; i++) set_tile(0, 0, 2 + i, tile_word(3, 0, 0, i != 1, i != 0));  // flip x, y, both
        unit_layer(0, w.mode);
        roz24(0, 0x29, w.y_step);
        render_layer(0);
        expect_colours(0, {{32 + 2, 3, 0x4000 + 3 * 16 + 13 + 1},
                           {48 + 2, 3, 0x4000 + 12 * 16 + 2 + 1},
                           {64 + 2, 3, 0x4000 + 12 * 16 + 13 + 1},
                           {100, 100, 0x4000 + 12 * 256}});
        EXPECT_EQ(priority_at(0, 100, 100), 6);
        // 4 bits per pixel: (0, 5) is the low nibble of the tile's byte 40, (1, 5) its high nibble; flipped in X,
        // (14, 5) and (15, 5) read them.
        unit_layer(0, w.mode | 1);
        roz24(0, 0x29, w.y_step);
        set_tile(0, 0, 0, tile_word(3, 2, 0));
        set_tile(0, 0, 1, tile_word(3, 2, 0, true));
        std::memset(gfx(0) + 3 * 128, 0, 128);
        gfx(0)[3 * 128 + 5 * 8 + 0] = 0xA7;
        render_layer(0);
        expect_colours(0, {{0, 5, 0x4000 + 2 * 256 + 7},
                           {1, 5, 0x4000 + 2 * 256 + 10},
                           {2, 5, 0x4000 + 2 * 256},
                           {16 + 15, 5, 0x4000 + 2 * 256 + 7},
                           {16 + 14, 5, 0x4000 + 2 * 256 + 10}});
    }
}
