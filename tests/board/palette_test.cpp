#include "video_fixture.h"

#include <array>

using PaletteTest = VideoTest;
using Bytes = std::array<u8, 6>;

TEST_F(PaletteTest, ConversionExpandsByShiftOrScalesByTheBanksFactors) {
    set_entry(0x0123, rgb5(31, 31, 31));
    EXPECT_EQ(b->palette_cache[0x0123], 0xFF000000u);  // reset: brightness on, factors 0
    plain_palette();
    set_entry(1, rgb5(31, 31, 31));
    set_entry(0x4002, rgb5(16, 0, 31));
    set_entry(7, 0xFFFF8000u | rgb5(0, 31, 0));   // bits 31-16 and the blend flag are not colour
    EXPECT_EQ(b->palette_cache[1], 0xFFF8F8F8u);  // 31 << 3, not 255
    EXPECT_EQ(b->palette_cache[0x4002], 0xFF8000F8u);
    EXPECT_EQ(b->palette_cache[7], 0xFF00F800u);
    // Register 2 holds blend blue and sprite red, register 3 blend red and sprite blue: the red and blue registers are
    // crossed.
    set_reg(0, 0x101), set_reg(2, 0x117F), set_reg(3, 0x2240), set_reg(1, 0x33FF);
    const PaletteControl& pc = b->palette_control;
    EXPECT_EQ((Bytes{pc.sprite_factor_r, pc.sprite_factor_g, pc.sprite_factor_b, pc.blend_factor_r, pc.blend_factor_g,
                     pc.blend_factor_b}),
              (Bytes{0x7F, 0xFF, 0x40, 0x22, 0x33, 0x11}));
    set_entry(3, rgb5(31, 31, 31));
    set_entry(4, rgb5(1, 1, 1));
    EXPECT_EQ(b->palette_cache[3], 0xFF7CF83Eu);  // (31 * 1024) >> 8, as off, (31 * 520) >> 8
    EXPECT_EQ(b->palette_cache[4], 0xFF040802u);
    // The tile bank has its own factors; their high bytes are only stored.
    set_reg(4, 0x101), set_reg(6, 0xAAFF), set_reg(5, 0xBB00), set_reg(7, 0xCCFF);
    EXPECT_EQ((Bytes{pc.tile_reg5_high, pc.tile_reg6_high, pc.tile_reg7_high}), (Bytes{0xBB, 0xAA, 0xCC}));
    set_entry(0x4000, rgb5(31, 31, 31));
    EXPECT_EQ(b->palette_cache[0x4000], 0xFFF800F8u);
}

// A bank is marked dirty only when a write changes its brightness switch or one of its factors.
TEST_F(PaletteTest, RegisterWritesMarkDirtyOnlyOnChange) {
    const PaletteControl& pc = b->palette_control;
    struct Case {
        u32 reg, value;
        u8 sprite_dirty, tile_dirty, sprite_layer, tile_layers;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 1, 1},                                // factor already 0
        {2, 0x4000, 0, 0, 1, 1},                           // only the blend factor changes
        {0, 0x101, 0, 0, 1, 1},                            // brightness already on
        {0, 0x000, 1, 0, 0, 1},                            // brightness off
        {7, 0x0001, 1, 1, 0, 1}, {4, 0x0001, 1, 1, 0, 0},  // tile brightness already on; layers off
    };
    for (const Case& c : cases) {
        set_reg(c.reg, c.value);
        EXPECT_EQ((Bytes{pc.sprite_bank_dirty, pc.tile_bank_dirty, pc.sprite_layer_on, pc.tile_layers_on,
                         pc.palette_regs_written}),
                  (Bytes{c.sprite_dirty, c.tile_dirty, c.sprite_layer, c.tile_layers, 1}))
            << c.reg << ": " << std::hex << c.value;
    }
    EXPECT_EQ(pc.blend_factor_b, 0x40);
}

TEST_F(PaletteTest, BanksAreReconvertedAtCompositionAfterAnyRegisterWrite) {
    set_entry(0x10, rgb5(31, 0, 0));
    set_entry(0x4010, rgb5(0, 31, 0));
    plain_palette();
    EXPECT_EQ(b->palette_cache[0x10], 0xFF000000u);  // not before the composition
    EXPECT_EQ(b->palette_cache[0x4010], 0xFF000000u);
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x10], 0xFFF80000u);
    EXPECT_EQ(b->palette_cache[0x4010], 0xFF00F800u);
    EXPECT_EQ(b->palette_control.palette_regs_written, 0);
    // The dirty flags are sticky: without a register write nothing is reconverted, but any write, even one that changes
    // nothing, reconverts both banks.
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 1);
    EXPECT_EQ(b->palette_control.tile_bank_dirty, 1);
    b->palette_cache[0x20] = b->palette_cache[0x4020] = 0x12345678;
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x20], 0x12345678u);
    set_reg(5, 0);
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x20], 0xFF000000u);
    EXPECT_EQ(b->palette_cache[0x4020], 0xFF000000u);
}
