#include "video_fixture.h"

using PaletteTest = VideoTest;

TEST_F(PaletteTest, AfterResetEntriesConvertToOpaqueBlack)
{
    set_entry(0x0123, rgb5(31, 31, 31));
    set_entry(0x4567, rgb5(10, 20, 30));
    EXPECT_EQ(b->palette_cache[0x0123], 0xFF000000u);
    EXPECT_EQ(b->palette_cache[0x4567], 0xFF000000u);
}

TEST_F(PaletteTest, BrightnessOffExpandsFiveBitsByShiftOnly)
{
    plain_palette();
    set_entry(1, rgb5(31, 31, 31));
    set_entry(2, rgb5(1, 2, 3));
    set_entry(0x4002, rgb5(16, 0, 31));
    EXPECT_EQ(b->palette_cache[1], 0xFFF8F8F8u);  // 31 << 3, not 255
    EXPECT_EQ(b->palette_cache[2], 0xFF081018u);
    EXPECT_EQ(b->palette_cache[0x4002], 0xFF8000F8u);
    // Bits 31-16 and the blend flag are not colour bits.
    set_entry(7, 0xFFFF8000u | rgb5(0, 31, 0));
    EXPECT_EQ(b->palette_cache[7], 0xFF00F800u);
}

TEST_F(PaletteTest, BrightnessFactorsScaleEachChannel)
{
    set_reg(1, 255);  // sprite green
    set_reg(2, 127);  // sprite red
    set_reg(3, 0);    // sprite blue
    set_entry(3, rgb5(31, 31, 31));
    // red: (31 * 1024) >> 8 = 124; green as with brightness off; blue blank.
    EXPECT_EQ(b->palette_cache[3], 0xFF7CF800u);
    set_entry(4, rgb5(1, 1, 1));
    EXPECT_EQ(b->palette_cache[4], 0xFF040800u);
}

TEST_F(PaletteTest, RedAndBlueRegistersAreCrossedBetweenBrightnessAndBlend)
{
    // Register 2: blend blue / sprite red. Register 3: blend red / sprite blue.
    set_reg(2, 0x11FF);
    EXPECT_EQ(b->palette_control.sprite_factor_r, 0xFF);
    EXPECT_EQ(b->palette_control.blend_factor_b, 0x11);
    set_reg(3, 0x2240);
    EXPECT_EQ(b->palette_control.sprite_factor_b, 0x40);
    EXPECT_EQ(b->palette_control.blend_factor_r, 0x22);
    set_reg(1, 0x3380);
    EXPECT_EQ(b->palette_control.sprite_factor_g, 0x80);
    EXPECT_EQ(b->palette_control.blend_factor_g, 0x33);
    set_entry(5, rgb5(31, 0, 0));
    EXPECT_EQ(b->palette_cache[5], 0xFFF80000u);
    set_entry(6, rgb5(0, 0, 31));
    EXPECT_EQ(b->palette_cache[6], 0xFF00003Eu);  // (31 * 520) >> 8
}

TEST_F(PaletteTest, TileBankUsesTileFactors)
{
    set_reg(6, 0xAAFF);  // tile red; the high byte is only stored
    set_reg(5, 0xBB00);  // tile green 0
    set_reg(7, 0xCCFF);  // tile blue
    EXPECT_EQ(b->palette_control.tile_reg6_high, 0xAA);
    EXPECT_EQ(b->palette_control.tile_reg5_high, 0xBB);
    EXPECT_EQ(b->palette_control.tile_reg7_high, 0xCC);
    set_entry(0x4000, rgb5(31, 31, 31));
    set_entry(0x3FFF, rgb5(31, 31, 31));  // sprite bank: factors still 0
    EXPECT_EQ(b->palette_cache[0x4000], 0xFFF800F8u);
    EXPECT_EQ(b->palette_cache[0x3FFF], 0xFF000000u);
}

TEST_F(PaletteTest, RegisterWritesMarkDirtyOnlyOnChange)
{
    set_reg(1, 0);  // factor already 0
    EXPECT_EQ(b->palette_control.palette_regs_written, 1);
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 0);
    set_reg(2, 0x4000);  // only the blend factor changes
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 0);
    EXPECT_EQ(b->palette_control.blend_factor_b, 0x40);
    set_reg(0, 0x101);  // brightness already on; layer bit stored
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 0);
    EXPECT_EQ(b->palette_control.sprite_layer_on, 1);
    set_reg(0, 0x000);  // brightness off: a change
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 1);
    EXPECT_EQ(b->palette_control.sprite_layer_on, 0);
    EXPECT_EQ(b->palette_control.tile_bank_dirty, 0);
    set_reg(7, 0x0001);
    EXPECT_EQ(b->palette_control.tile_bank_dirty, 1);
    set_reg(4, 0x0001);  // tile brightness already on; layers off
    EXPECT_EQ(b->palette_control.tile_layers_on, 0);
}

TEST_F(PaletteTest, RegisterWritesDoNotReconvertUntilComposition)
{
    set_entry(0x10, rgb5(31, 0, 0));
    set_entry(0x4010, rgb5(0, 31, 0));
    plain_palette();
    EXPECT_EQ(b->palette_cache[0x10], 0xFF000000u);
    EXPECT_EQ(b->palette_cache[0x4010], 0xFF000000u);
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x10], 0xFFF80000u);
    EXPECT_EQ(b->palette_cache[0x4010], 0xFF00F800u);
    EXPECT_EQ(b->palette_control.palette_regs_written, 0);
}

TEST_F(PaletteTest, DirtyFlagsAreStickyAcrossCompositions)
{
    plain_palette();
    video_compose_frame(b);
    EXPECT_EQ(b->palette_control.sprite_bank_dirty, 1);
    EXPECT_EQ(b->palette_control.tile_bank_dirty, 1);

    // Without a register write nothing is reconverted...
    b->palette_cache[0x20] = 0x12345678;
    b->palette_cache[0x4020] = 0x12345678;
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x20], 0x12345678u);
    // ...but any register write, even one that changes nothing, reconverts
    // both banks once marked.
    set_reg(5, 0);
    video_compose_frame(b);
    EXPECT_EQ(b->palette_cache[0x20], 0xFF000000u);
    EXPECT_EQ(b->palette_cache[0x4020], 0xFF000000u);
}
