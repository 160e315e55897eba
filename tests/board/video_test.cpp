#include "video_fixture.h"

#include <algorithm>
#include <vector>

namespace {

constexpr u32 RED = 0xF80000, GREEN = 0x00F800, BLUE = 0x0000F8;

class ComposeTest : public VideoTest {
protected:
    ComposeTest() {
        plain_palette();
        set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 0, 0));  // layer A: row 1, value 5
        set_entry(0x4000 + 2 * 256 + 6, rgb5(0, 31, 0));  // layer B: row 2, value 6
    }
    // The whole layer shows one tile of the given value, row and priority; tie sets the layer's priority tie bit.
    void uniform_layer(u32 layer, u32 row, u32 priority, u8 value, bool tie = false) {
        unit_layer(layer, 0, tie ? 3 : 1);
        fill_map(layer, tile_word(layer + 1, row, priority));
        fill_tile8(layer, layer + 1, value);
    }
    void fill_sprites(u16 value) { std::fill(std::begin(b->sprite_bitmap), std::end(b->sprite_bitmap), value); }
    u32 compose_at(int x, int y) { return video_compose_frame(b), pixel(x, y); }
};

}  // namespace

// Keys are priority * 2 + tie bit; layer A wins equal keys, transparent pixels show what lies below, and the backdrop
// is layer A's row entry 0 only when A's key is not below B's.
TEST_F(ComposeTest, LayerKeysTransparencyAndBackdrop) {
    set_entry(0x0000, rgb5(1, 1, 1));
    set_entry(0x4000 + 1 * 256, rgb5(31, 31, 0));  // layer A's row 1, pixel 0
    set_entry(0x4000 + 2 * 256, rgb5(0, 31, 31));  // layer B's row 2, pixel 0: never shown
    struct Case {
        u32 pa;
        bool tie_a;
        u8 va;
        u32 pb;
        bool tie_b;
        u8 vb;
        u32 want;
    };
    const Case cases[] = {
        {2, false, 5, 2, false, 6, RED},      {2, false, 5, 2, true, 6, GREEN},     {3, false, 5, 2, true, 6, RED},
        {3, true, 5, 4, false, 6, GREEN},     {7, false, 0, 0, false, 6, GREEN},    {0, false, 5, 7, true, 0, RED},
        {3, false, 0, 3, false, 0, 0xF8F800}, {3, false, 0, 4, false, 0, 0x080808},
    };
    for (const Case& c : cases) {
        uniform_layer(0, 1, c.pa, c.va, c.tie_a);
        uniform_layer(1, 2, c.pb, c.vb, c.tie_b);
        EXPECT_EQ(compose_at(160, 120), c.want) << c.pa << c.tie_a << int(c.va) << c.pb << c.tie_b << int(c.vb);
        EXPECT_EQ(pixel(319, 239), c.want);
    }
    b->palette_control.tile_layers_on = 0;
    EXPECT_EQ(compose_at(0, 0), 0x080808u);
}

// A sprite shows when its 4p + 3 is strictly above the tile key; its colour bits 13-12 do not raise it, and value 0 is
// transparent.
TEST_F(ComposeTest, SpritesBeatTileKeysBelowFourPPlusThree) {
    set_entry(0x0305, rgb5(0, 0, 31));
    set_entry(0x3305, rgb5(0, 31, 31));
    set_entry(0x0700, rgb5(31, 31, 31));
    struct Case {
        u16 sprite;
        u32 tile_priority;
        bool tie;
        u32 want;
    };
    const Case cases[] = {
        {0x0305, 1, false, BLUE}, {0x0305, 1, true, RED},       {0xC305, 7, false, BLUE}, {0xC305, 7, true, RED},
        {0x3305, 2, false, RED},  {0x3305, 1, false, 0x00F8F8}, {0xC700, 0, false, RED},
    };
    for (const Case& c : cases) {
        fill_sprites(c.sprite);
        uniform_layer(0, 1, c.tile_priority, 5, c.tie);
        EXPECT_EQ(compose_at(50, 50), c.want) << std::hex << c.sprite << " " << c.tile_priority << c.tie;
    }
}

TEST_F(ComposeTest, LayerEnablesGateSpritesAndTiles) {
    set_entry(0x0201, rgb5(0, 0, 31));
    uniform_layer(0, 1, 7, 5, true);
    fill_sprites(0x0201);
    b->sprite_bitmap[0] = 0;
    set_reg(4, 0x0000);  // tilemap layers off: every opaque sprite shows
    EXPECT_EQ(compose_at(100, 100), BLUE);
    EXPECT_EQ(pixel(0, 0), 0u);              // entry 0, black
    set_reg(4, 0x0100), set_reg(0, 0x0000);  // sprite layer off
    EXPECT_EQ(compose_at(100, 100), RED);
    b->palette_control.tile_layers_on = 0;
    EXPECT_EQ(compose_at(100, 100), 0u);
}

TEST_F(ComposeTest, AdditiveBlendAddsTruncatedScaledSpriteAndSaturatesPerChannel) {
    set_entry(0x4000 + 1 * 256 + 5, rgb5(16, 16, 16));  // 0x80 each
    set_entry(0x0405, 0x8000 | rgb5(31, 31, 31));       // blended, 0xF8 each
    uniform_layer(0, 1, 0, 5);
    fill_sprites(0xC405);
    set_reg(3, 0xFF00), set_reg(1, 0x8000), set_reg(2, 0x0000);  // blend factors red, green, blue
    set_reg(0, 0x0100);                                          // brightness off again after the factor writes
    EXPECT_EQ(compose_at(7, 7), 0xFFFC80u);                      // red saturates; green 0x80 + 124
    set_entry(0x0405, 0x8000 | rgb5(0, 0, 1));                   // blue 8
    set_reg(2, 0x8000), set_reg(3, 0x0000), set_reg(1, 0x0000);  // (0x80 * 8) >> 8 = 4
    EXPECT_EQ(compose_at(7, 7), 0x808084u);
}

TEST_F(ComposeTest, FrameCopiesOutWithTheTopByteClear) {
    set_entry(0x4000 + 1 * 256 + 5, rgb5(31, 31, 31));
    uniform_layer(0, 1, 0, 5);
    EXPECT_EQ(compose_at(3, 200), 0xF8F8F8u);
    std::vector<u32> out(SCREEN_WIDTH * SCREEN_HEIGHT);
    EXPECT_EQ(board_copy_framebuffer(b, out.data()), out.data());
    EXPECT_EQ(std::memcmp(out.data(), b->frame_buffer, out.size() * 4), 0);
}
