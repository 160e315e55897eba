#include "video_fixture.h"

namespace {

class TilemapTest : public VideoTest {
protected:
    // 8-bit tile graphics whose pixel value tells its position in the map:
    // tile t holds value 1 + (t & 7) * 16 + cx at every row. Tiles are laid
    // out so that map column c shows tile c & 7.
    void column_ramp(u32 layer, u32 colour_row = 0, u32 priority = 0)
    {
        for (u32 t = 0; t < 8; t++)
            for (u32 cy = 0; cy < 16; cy++)
                for (u32 cx = 0; cx < 16; cx++)
                    gfx(layer)[t * 256 + cy * 16 + cx] = u8(1 + t * 16 + cx);
        for (u32 row = 0; row < 64; row++)
            for (u32 col = 0; col < 64; col++)
                set_tile(layer, row, col, tile_word(col & 7, colour_row, priority));
    }
    // Map x of a pixel drawn by column_ramp, modulo 128.
    static u32 ramp_x(u16 colour) { return ((colour & 0xff) - 1) % 128; }
};

}  // namespace

TEST_F(TilemapTest, UnitStepsShowTheMapUnscaled)
{
    unit_layer(0);
    set_tile(0, 0, 1, tile_word(2, 5, 3));
    gfx(0)[2 * 256 + 4 * 16 + 3] = 0x77;
    render_layer(0);
    EXPECT_EQ(colour_at(0, 16 + 3, 4), 0x4000 + 5 * 256 + 0x77);
    EXPECT_EQ(priority_at(0, 16 + 3, 4), 3);
    // Layer B's slot untouched.
    EXPECT_EQ(colour_at(1, 16 + 3, 4), 0);
}

TEST_F(TilemapTest, TransparentPixelsStillStoreColourAndPriority)
{
    unit_layer(0);
    fill_map(0, tile_word(9, 12, 6));  // tile 9 is all zero
    render_layer(0);
    EXPECT_EQ(colour_at(0, 0, 0), 0x4000 + 12 * 256);
    EXPECT_EQ(priority_at(0, 0, 0), 6);
    EXPECT_EQ(colour_at(0, 319, 239), 0x4000 + 12 * 256);
}

TEST_F(TilemapTest, DisabledLayerDrawsNothing)
{
    fill_map(0, tile_word(1, 3, 7));
    fill_tile8(0, 1, 0x55);
    unit_layer(0, 0, 0);  // enable bit clear
    render_layer(0);
    EXPECT_EQ(colour_at(0, 100, 100), 0);
    EXPECT_EQ(priority_at(0, 100, 100), 0);

    unit_layer(0);
    b->palette_control.tile_layers_on = 0;
    render_layer(0);
    EXPECT_EQ(colour_at(0, 100, 100), 0);
}

TEST_F(TilemapTest, TileFlipsMirrorWithinTheTile)
{
    unit_layer(0);
    for (u32 cy = 0; cy < 16; cy++)
        for (u32 cx = 0; cx < 16; cx++)
            gfx(0)[1 * 256 + cy * 16 + cx] = u8(cy * 16 + cx + 1 > 255 ? 255 : cy * 16 + cx + 1);
    set_tile(0, 0, 0, tile_word(1, 0, 0, true, false));
    set_tile(0, 0, 1, tile_word(1, 0, 0, false, true));
    set_tile(0, 0, 2, tile_word(1, 0, 0, true, true));
    render_layer(0);
    // Screen (2, 3) of the x-flipped tile reads source (13, 3).
    EXPECT_EQ(colour_at(0, 2, 3) & 0xff, 3 * 16 + 13 + 1);
    EXPECT_EQ(colour_at(0, 16 + 2, 3) & 0xff, 12 * 16 + 2 + 1);
    EXPECT_EQ(colour_at(0, 32 + 2, 3) & 0xff, 12 * 16 + 13 + 1);
}

TEST_F(TilemapTest, FourBitPixelsTakeLowNibbleFirst)
{
    unit_layer(0, 1);  // 4 bits per pixel
    set_tile(0, 0, 0, tile_word(3, 2, 0));
    gfx(0)[3 * 128 + 5 * 8 + 0] = 0xA7;  // cx 0 = 7, cx 1 = 10
    render_layer(0);
    EXPECT_EQ(colour_at(0, 0, 5), 0x4000 + 2 * 256 + 7);
    EXPECT_EQ(colour_at(0, 1, 5), 0x4000 + 2 * 256 + 10);

    // The top tile number reaches the last byte of the buffer.
    set_tile(0, 0, 0, tile_word(0xFFFF, 0, 0));
    gfx(0)[TILE_ROM_SIZE - 1] = 0x90;
    render_layer(0);
    EXPECT_EQ(colour_at(0, 15, 15), 0x4000 + 9);
}

TEST_F(TilemapTest, EightBitTileNumbersAliasAbove32767)
{
    unit_layer(0);
    set_tile(0, 0, 0, tile_word(0x8001, 0, 0));
    fill_tile8(0, 1, 0x42);
    render_layer(0);
    EXPECT_EQ(colour_at(0, 8, 8), 0x4042);
}

TEST_F(TilemapTest, RowScrollIsSubtractedAndIndexedByMapRow)
{
    column_ramp(0);
    unit_layer(0, 0, 1, 0, 100);  // screen line 0 shows map row 100
    put32(b->line_ram, 100 * 4, 10);
    put32(b->line_ram, 0, 50);  // screen line 0's entry must not be used
    render_layer(0);
    // Positive scroll moves the picture right: screen x 10 shows map x 0.
    EXPECT_EQ(ramp_x(colour_at(0, 10, 0)), 0u);
    EXPECT_EQ(ramp_x(colour_at(0, 9, 0)), (1024u - 1) % 128);
    EXPECT_EQ(ramp_x(colour_at(0, 10, 1)), 10u);  // row 101: no scroll
}

TEST_F(TilemapTest, ColumnScrollMovesColumnsDown)
{
    unit_layer(0, 2, 1, 16, 0);  // column scroll; screen x 0 is map x 16
    fill_tile8(0, 1, 0x11);
    set_tile(0, 0, 1, tile_word(1, 0, 0));  // only map rows 0-15, columns 16-31
    put32(b->line_ram, 19 * 4, 0xFFFF0020);  // map column 19, bits 15-0 only: 32
    put32(b->line_ram, 3 * 4, 64);           // screen column 3's entry must not be used
    render_layer(0);
    EXPECT_EQ(colour_at(0, 3, 31) & 0xff, 0);
    EXPECT_EQ(colour_at(0, 3, 32) & 0xff, 0x11);
    EXPECT_EQ(colour_at(0, 3, 47) & 0xff, 0x11);
    EXPECT_EQ(colour_at(0, 3, 48) & 0xff, 0);
    EXPECT_EQ(colour_at(0, 4, 0) & 0xff, 0x11);
}

TEST_F(TilemapTest, MapWrapsUnlessNoWrapIsSet)
{
    column_ramp(0);
    unit_layer(0, 0, 1, -8, 0);
    render_layer(0);
    EXPECT_EQ(ramp_x(colour_at(0, 0, 0)), 1016u % 128);
    EXPECT_EQ(ramp_x(colour_at(0, 8, 0)), 0u);

    unit_layer(0, 0, 1 | 4, -8, 0);
    render_layer(0);
    EXPECT_EQ(colour_at(0, 0, 0), 0);
    EXPECT_EQ(colour_at(0, 7, 0), 0);
    EXPECT_EQ(ramp_x(colour_at(0, 8, 0)), 0u);

    // Vertically alike: lines above the map stay empty and the walk goes on.
    unit_layer(0, 0, 1 | 4, 0, -8);
    render_layer(0);
    EXPECT_EQ(colour_at(0, 5, 7), 0);
    EXPECT_EQ(ramp_x(colour_at(0, 5, 8)), 5u);

    // Coordinates of 1024 and beyond are outside too.
    unit_layer(0, 0, 1 | 4, 1000, 0);
    render_layer(0);
    EXPECT_EQ(ramp_x(colour_at(0, 23, 0)), 1023u % 128);
    EXPECT_EQ(colour_at(0, 24, 0), 0);
}

// The two field widths differ by whole multiples of the 1024-pixel map, so
// these tests use no-wrap, where a misread field walks off the map.
TEST_F(TilemapTest, NineteenBitStepsTakeTheirSignFromBit18)
{
    column_ramp(0);
    unit_layer(0, 0, 1 | 4, 100, 0);
    // X step per pixel of -1 pixel as a 19-bit field; read as 24 bits it
    // would be +2047 pixels.
    put24(b->tilemap_regs, 0x25, 0x07FF00);
    render_layer(0);
    EXPECT_EQ(ramp_x(colour_at(0, 0, 0)), 100u % 128);
    EXPECT_EQ(ramp_x(colour_at(0, 30, 0)), 70u);
    EXPECT_EQ(colour_at(0, 101, 0), 0);  // walked off the left edge
    // Bits above 18 of a 19-bit field are not part of it.
    put24(b->tilemap_regs, 0x25, 0xF80100);
    render_layer(0);
    EXPECT_EQ(ramp_x(colour_at(0, 30, 0)), 130u % 128);
    // The same for the Y step per line.
    unit_layer(0, 0, 1 | 4, 0, 100);
    put24(b->tilemap_regs, 0x31, 0x07FF00);
    for (u32 row = 0; row < 64; row++)
        set_tile(0, row, 0, tile_word(0, 0, 0));
    set_tile(0, 5, 0, tile_word(1, 0, 0));  // map rows 80-95
    render_layer(0);
    EXPECT_EQ(colour_at(0, 0, 4) & 0xff, 1u);    // map row 96: tile 0
    EXPECT_EQ(colour_at(0, 0, 5) & 0xff, 17u);   // map row 95: tile 1
    EXPECT_EQ(colour_at(0, 0, 20) & 0xff, 17u);  // map row 80
    EXPECT_EQ(colour_at(0, 0, 21) & 0xff, 1u);
}

TEST_F(TilemapTest, TwentyFourBitStepsTakeTheirSignFromBit23)
{
    column_ramp(0);
    unit_layer(0, 0, 1 | 4, 100, 0);
    put24(b->tilemap_regs, 0x2d, 0xFFFF00);  // X step per line: -1 pixel
    render_layer(0);
    EXPECT_EQ(ramp_x(colour_at(0, 0, 20)), 80u);
    // Bit 18 set but positive as 24 bits: +1028 pixels a line. Read as a
    // 19-bit field it would be -1020 pixels.
    unit_layer(0, 0, 1 | 4, -1000, 0);
    put24(b->tilemap_regs, 0x2d, 0x040400);
    render_layer(0);
    EXPECT_EQ(colour_at(0, 0, 0), 0);
    EXPECT_EQ(ramp_x(colour_at(0, 0, 1)), 28u);
}

// A quarter turn (stretched twice along the map's X): each screen line walks
// down a map column. The row scroll then follows the map row under each
// pixel, i.e. the screen column.
TEST_F(TilemapTest, QuarterTurnReadsBothStepsOfEachLayer)
{
    for (u32 layer = 0; layer < 2; layer++) {
        SCOPED_TRACE(layer);
        const u32 y_step_px = layer == 0 ? 0x29 : 0x4d;
        const u32 x_step_line = layer == 0 ? 0x2d : 0x51;
        column_ramp(layer);
        unit_layer(layer);
        put24(b->tilemap_regs, y_step_px - 4, 0);  // X step per pixel
        put24(b->tilemap_regs, y_step_px, 0x100);
        put24(b->tilemap_regs, x_step_line, 0x200);
        put24(b->tilemap_regs, x_step_line + 4, 0);  // Y step per line
        put32(b->line_ram, layer * 0x1000 + 37 * 4, 10);
        render_layer(layer);
        EXPECT_EQ(ramp_x(colour_at(layer, 0, 50)), 100u);
        EXPECT_EQ(ramp_x(colour_at(layer, 36, 5)), 10u);
        EXPECT_EQ(ramp_x(colour_at(layer, 37, 15)), 20u);
        EXPECT_EQ(ramp_x(colour_at(layer, 38, 15)), 30u);
    }
}

TEST_F(TilemapTest, HalfStepMagnifiesTwice)
{
    column_ramp(0);
    unit_layer(0, 0, 1, 0, 0);
    put24(b->tilemap_regs, 0x25, 0x80);
    render_layer(0);
    for (int x = 0; x < 40; x++)
        EXPECT_EQ(ramp_x(colour_at(0, x, 0)), u32(x / 2)) << x;
}

TEST_F(TilemapTest, LayerBUsesItsOwnMapGraphicsAndScrollTable)
{
    column_ramp(1, 7, 4);
    column_ramp(0, 1, 1);
    unit_layer(1, 0, 1, 0, 0);
    put32(b->line_ram, 0x1000 + 5 * 4, 3);
    put32(b->line_ram, 5 * 4, 60);  // layer A's table
    layer_buffers_clear();
    roz_layer_render(b, 1);
    roz_layer_render(b, 0);  // disabled
    EXPECT_EQ(colour_at(1, 3, 5) >> 8, 0x40 + 7);
    EXPECT_EQ(priority_at(1, 3, 5), 4);
    EXPECT_EQ(ramp_x(colour_at(1, 3, 5)), 0u);
    EXPECT_EQ(colour_at(0, 3, 5), 0);
}
