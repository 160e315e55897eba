#include "video_fixture.h"

namespace {

class ComposeTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        plain_palette();
    }
    // The whole layer shows one tile: value everywhere, given row and
    // priority; tie sets the layer's priority tie bit.
    void uniform_layer(u32 layer, u32 number, u32 row, u32 priority, u8 value, bool tie = false)
    {
        unit_layer(layer, 0, tie ? 3 : 1);
        fill_map(layer, tile_word(number, row, priority));
        fill_tile8(layer, number, value);
    }
    void fill_sprites(u16 value)
    {
        for (u16& p : b->sprite_bitmap)
            p = value;
    }
    static u16 sprite(u32 index, u32 priority) { return u16(index | priority << 14); }
};

}  // namespace

TEST_F(ComposeTest, HigherLayerKeyWinsAndLayerAWinsTies)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 0, 0));  // layer A's colour
    set_entry(0x4000 + 2 * 256 + 6, rgb5(0, 31, 0));  // layer B's colour
    uniform_layer(0, 1, 1, 2, 5);
    uniform_layer(1, 2, 2, 2, 6);
    video_compose_frame(b);
    EXPECT_EQ(pixel(0, 0), 0xF80000u);

    uniform_layer(1, 2, 2, 2, 6, true);  // B's tie bit lifts it above A
    video_compose_frame(b);
    EXPECT_EQ(pixel(160, 120), 0x00F800u);

    uniform_layer(0, 1, 1, 3, 5);  // A one priority higher
    video_compose_frame(b);
    EXPECT_EQ(pixel(319, 239), 0xF80000u);

    uniform_layer(0, 1, 1, 3, 5, true);
    uniform_layer(1, 2, 2, 4, 6);  // 8 against 7
    video_compose_frame(b);
    EXPECT_EQ(pixel(5, 5), 0x00F800u);
}

TEST_F(ComposeTest, TransparentLayerPixelsShowTheOtherLayer)
{
    set_entry(0x4000 + 2 * 256 + 6, rgb5(0, 31, 0));
    set_entry(0x4000 + 3 * 256 + 7, rgb5(0, 0, 31));
    uniform_layer(0, 1, 1, 7, 0);  // on top but transparent
    uniform_layer(1, 2, 2, 0, 6);
    video_compose_frame(b);
    EXPECT_EQ(pixel(10, 10), 0x00F800u);

    uniform_layer(0, 3, 3, 0, 7);
    uniform_layer(1, 2, 2, 7, 0, true);  // B on top, transparent
    video_compose_frame(b);
    EXPECT_EQ(pixel(10, 10), 0x0000F8u);
}

TEST_F(ComposeTest, BackdropDependsOnWhichLayerKeyIsHigher)
{
    set_entry(0x0000, rgb5(1, 1, 1));               // palette entry 0
    set_entry(0x4000 + 9 * 256, rgb5(31, 31, 0));   // layer A's row 9, pixel 0
    set_entry(0x4000 + 4 * 256, rgb5(0, 31, 31));   // layer B's row 4, pixel 0
    uniform_layer(0, 1, 9, 3, 0);
    uniform_layer(1, 2, 4, 3, 0);
    video_compose_frame(b);
    // Equal keys: layer A's row entry 0, never layer B's.
    EXPECT_EQ(pixel(0, 0), 0xF8F800u);

    uniform_layer(1, 2, 4, 4, 0);
    video_compose_frame(b);
    EXPECT_EQ(pixel(0, 0), 0x080808u);  // B's key higher: entry 0

    b->palette_control.tile_layers_on = 0;
    video_compose_frame(b);
    EXPECT_EQ(pixel(0, 0), 0x080808u);
}

TEST_F(ComposeTest, SpritePriorityBeatsTileKeysBelowFourPPlusThree)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 0, 0));
    set_entry(0x0305, rgb5(0, 0, 31));  // sprite colour 3, value 5
    fill_sprites(sprite(0x0305, 0));
    // Priority 0 (key 3) beats a priority-1 tile without tie bit (key 2)...
    uniform_layer(0, 1, 1, 1, 5);
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0x0000F8u);
    // ...and loses to one with the tie bit (key 3).
    uniform_layer(0, 1, 1, 1, 5, true);
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0xF80000u);

    fill_sprites(sprite(0x0305, 3));  // key 15
    uniform_layer(0, 1, 1, 7, 5);     // key 14
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0x0000F8u);
    uniform_layer(0, 1, 1, 7, 5, true);  // key 15
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0xF80000u);

    // Colour bits 13-12 of the sprite pixel do not raise its priority.
    set_entry(0x3305, rgb5(0, 31, 31));
    fill_sprites(sprite(0x3305, 0));
    uniform_layer(0, 1, 1, 2, 5);  // key 4
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0xF80000u);
    uniform_layer(0, 1, 1, 1, 5);  // key 2
    video_compose_frame(b);
    EXPECT_EQ(pixel(50, 50), 0x00F8F8u);
}

TEST_F(ComposeTest, SpritePixelsWithValueZeroAreTransparent)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 0, 0));
    set_entry(0x0700, rgb5(0, 0, 31));
    uniform_layer(0, 1, 1, 0, 5);
    fill_sprites(sprite(0x0700, 3));
    video_compose_frame(b);
    EXPECT_EQ(pixel(1, 1), 0xF80000u);
}

TEST_F(ComposeTest, LayerEnablesGateSpritesAndTiles)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 0, 0));
    set_entry(0x0201, rgb5(0, 0, 31));
    uniform_layer(0, 1, 1, 7, 5, true);
    fill_sprites(sprite(0x0201, 0));
    b->sprite_bitmap[0] = 0;

    set_reg(4, 0x0000);  // tilemap layers off: every opaque sprite shows
    video_compose_frame(b);
    EXPECT_EQ(pixel(100, 100), 0x0000F8u);
    EXPECT_EQ(pixel(0, 0), 0u);  // entry 0, black

    set_reg(4, 0x0100);
    set_reg(0, 0x0000);  // sprite layer off
    video_compose_frame(b);
    EXPECT_EQ(pixel(100, 100), 0xF80000u);
    b->palette_control.tile_layers_on = 0;
    video_compose_frame(b);
    EXPECT_EQ(pixel(100, 100), 0u);
}

TEST_F(ComposeTest, AdditiveBlendAddsScaledSpriteAndSaturatesPerChannel)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(16, 16, 16));      // 0x80 each
    set_entry(0x0405, 0x8000 | rgb5(31, 31, 31));           // blended, 0xF8 each
    uniform_layer(0, 1, 1, 0, 5);
    fill_sprites(sprite(0x0405, 3));
    set_reg(3, 0xFF00);  // red blend factor
    set_reg(1, 0x8000);  // green
    set_reg(2, 0x0000);  // blue
    set_reg(0, 0x0100);  // brightness off again after the factor writes
    video_compose_frame(b);
    // red 0x80 + 247 saturates; green 0x80 + 124; blue unchanged.
    EXPECT_EQ(pixel(7, 7), 0xFFFC80u);

    // The scaled sprite channel is truncated before it is added.
    set_entry(0x0405, 0x8000 | rgb5(0, 0, 1));  // blue 8
    set_reg(2, 0x8000);                         // (0x80 * 8) >> 8 = 4
    set_reg(3, 0x0000);
    set_reg(1, 0x0000);
    video_compose_frame(b);
    EXPECT_EQ(pixel(7, 7), 0x808084u);
}

TEST_F(ComposeTest, FramePixelsHaveTheTopByteClearAndCopyOut)
{
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 31, 31));
    uniform_layer(0, 1, 1, 0, 5);
    video_compose_frame(b);
    EXPECT_EQ(pixel(3, 200), 0xF8F8F8u);

    u32* out = static_cast<u32*>(std::calloc(SCREEN_WIDTH * SCREEN_HEIGHT, 4));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(board_copy_framebuffer(b, out), out);
    EXPECT_EQ(std::memcmp(out, b->frame_buffer, SCREEN_WIDTH * SCREEN_HEIGHT * 4), 0);
    EXPECT_EQ(out[SCREEN_WIDTH * SCREEN_HEIGHT - 1], 0xF8F8F8u);
    std::free(out);
}
