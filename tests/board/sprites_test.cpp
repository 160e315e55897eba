#include "video_fixture.h"

#include <vector>

namespace {

struct Entry {
    u8 size = 0;    // byte 0: width code bits 1-0, height code bits 5-4
    u8 mode = 0;    // byte 1: bit 7 = 16-bit zoom
    u8 flags = 0;   // byte 2
    u8 priority = 0;
    u8 colour = 0;
    u32 addr = 0;
    u16 x = 0;      // raw, 1/64 pixel
    u16 y = 0;      // raw, 1/64 pixel (the generator adds 2 pixels)
    u8 zoom[4] = {0, 0, 0, 0};  // bytes 8, 9, 12, 13
};

constexpr u8 CONTINUE = 0x80, KEEP_COLOUR = 0x40, RELATIVE = 0x20, FLIP_X = 0x02, FLIP_Y = 0x01;

// Raw positions that put an absolute entry's top-left at a screen pixel when
// no offsets are set.
u16 at_x(int px) { return u16(px * 64); }
u16 at_y(int py) { return u16(py * 64 - 128); }

class SpritesTest : public VideoTest {
protected:
    static constexpr u32 BLANK = 0x100000;  // a zeroed, transparent stretch of ROM

    void SetUp() override
    {
        VideoTest::SetUp();
        // Every entry is drawn each frame: park the unused ones off screen
        // on transparent graphics.
        for (u32 i = 0; i < 1024; i++) {
            Entry e;
            e.addr = BLANK;
            e.y = 0x7000;
            set(i, e);
        }
    }

    void set(u32 i, const Entry& e)
    {
        u8* p = b->sprite_ram + i * 16;
        p[0] = e.size;
        p[1] = e.mode;
        p[2] = e.flags;
        p[3] = u8(e.priority << 6 | e.colour);
        p[4] = 0xEE;
        put24(p, 5, e.addr);
        p[8] = e.zoom[0];
        p[9] = e.zoom[1];
        put16(p, 10, e.x);
        p[12] = e.zoom[2];
        p[13] = e.zoom[3];
        put16(p, 14, e.y);
    }

    // Run-length data writers; each returns the position after the run.
    u32 literal(u32 pos, const std::vector<u8>& bytes)
    {
        b->sprite_rom[pos++ & (SPRITE_ROM_SIZE - 1)] = u8(0x80 | (bytes.size() - 1));
        for (u8 v : bytes)
            b->sprite_rom[pos++ & (SPRITE_ROM_SIZE - 1)] = v;
        return pos;
    }
    // Repeated bytes, in runs of at most 128.
    u32 fill(u32 pos, u32 count, u8 value)
    {
        while (count > 0) {
            const u32 n = count < 128 ? count : 128;
            b->sprite_rom[pos++] = u8(n - 1);
            b->sprite_rom[pos++] = value;
            count -= n;
        }
        return pos;
    }
    // A 16 x 16 sprite whose pixel (j, k) holds k * 16 + j (so (0, 0) is
    // transparent), as two literal runs.
    void numbered16(u32 pos)
    {
        std::vector<u8> half(128);
        for (u32 i = 0; i < 128; i++)
            half[i] = u8(i);
        pos = literal(pos, half);
        for (u32 i = 0; i < 128; i++)
            half[i] = u8(128 + i);
        literal(pos, half);
    }
    // Source pixel value drawn at a bitmap position (tag removed).
    u32 value_at(int x, int y) const { return sprite_px(x, y) & 0xff; }
    static u16 tag(u32 colour, u32 priority) { return u16(colour << 8 | priority << 14); }
    int drawn_count() const
    {
        int n = 0;
        for (u16 p : b->sprite_bitmap)
            n += p != 0;
        return n;
    }
};

}  // namespace

TEST_F(SpritesTest, UnscaledSpriteCarriesColourAndPriority)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.colour = 5;
    e.priority = 2;
    e.x = at_x(10);
    e.y = at_y(20);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(sprite_px(11, 20), 1 | tag(5, 2));
    EXPECT_EQ(sprite_px(10 + 15, 20 + 15), 255 | tag(5, 2));
    EXPECT_EQ(sprite_px(10 + 3, 20 + 7), (7 * 16 + 3) | tag(5, 2));
    EXPECT_EQ(sprite_px(10, 20), 0);  // value 0 is not written
    EXPECT_EQ(sprite_px(9, 20), 0);
    EXPECT_EQ(sprite_px(26, 20), 0);
    EXPECT_EQ(sprite_px(10, 36), 0);
    EXPECT_EQ(drawn_count(), 255);
}

TEST_F(SpritesTest, LaterEntriesCoverEarlierOnesExceptWhereTransparent)
{
    fill(0x1000, 256, 3);
    numbered16(0x2000);
    Entry e;
    e.addr = 0x1000;
    e.colour = 1;
    e.x = at_x(50);
    e.y = at_y(50);
    set(0, e);
    e.addr = 0x2000;
    e.colour = 2;
    set(1, e);
    sprites_render(b);
    EXPECT_EQ(sprite_px(50, 50), 3 | tag(1, 0));  // entry 1's pixel 0 is transparent
    EXPECT_EQ(sprite_px(51, 50), 1 | tag(2, 0));
}

TEST_F(SpritesTest, RunsOverrunTheSpriteAndChainsContinueWhereTheDataEnded)
{
    u32 pos = fill(0x1000, 200, 7);
    std::vector<u8> lit(100);
    for (u32 i = 0; i < 100; i++)
        lit[i] = u8(0x40 + i);
    pos = literal(pos, lit);  // 300 bytes for a 256-pixel sprite
    pos = fill(pos, 128, 9);
    fill(pos, 128, 10);

    Entry e;
    e.addr = 0x1000;
    e.colour = 4;
    e.priority = 3;
    e.x = at_x(0);
    e.y = at_y(0);
    set(0, e);
    Entry c;
    c.flags = CONTINUE;
    c.addr = 0x5000;  // ignored
    c.priority = 1;   // ignored: carried over
    c.colour = 6;
    c.x = at_x(100);
    c.y = at_y(0);
    set(1, c);
    sprites_render(b);

    EXPECT_EQ(sprite_px(7, 12), 7 | tag(4, 3));  // byte 199
    EXPECT_EQ(sprite_px(8, 12), 0x40 | tag(4, 3));
    EXPECT_EQ(sprite_px(15, 15), (0x40 + 55) | tag(4, 3));
    EXPECT_EQ(sprite_px(100, 0), 9 | tag(6, 3));
    EXPECT_EQ(sprite_px(115, 7), 9 | tag(6, 3));
    EXPECT_EQ(sprite_px(100, 8), 10 | tag(6, 3));
}

TEST_F(SpritesTest, FirstContinueOrKeepColourEntryStartsFromZero)
{
    fill(0, 256, 3);
    Entry e;
    e.flags = CONTINUE | KEEP_COLOUR;
    e.addr = 0x1000;
    e.colour = 9;
    e.priority = 3;
    e.x = at_x(40);
    e.y = at_y(40);
    set(0, e);
    // Keep colour alone keeps the colour but takes its own priority.
    numbered16(0x3000);
    Entry k;
    k.flags = KEEP_COLOUR;
    k.addr = 0x3000;
    k.colour = 12;
    k.priority = 2;
    k.x = at_x(60);
    k.y = at_y(40);
    set(1, k);
    sprites_render(b);
    EXPECT_EQ(sprite_px(40, 40), 3);
    EXPECT_EQ(sprite_px(61, 40), 1 | tag(0, 2));
}

TEST_F(SpritesTest, SizeCodesSetWidthAndHeight)
{
    fill(0x1000, 512, 1);
    Entry e;
    e.size = 0x13;  // 64 wide, 32 high
    e.addr = 0x1000;
    e.x = at_x(10);
    e.y = at_y(10);
    set(0, e);
    // 64 x 32 needs 2048 bytes: more than the four runs written; the rest of
    // ROM there is zero (one transparent pixel per two bytes).
    sprites_render(b);
    EXPECT_EQ(sprite_px(10, 10), 1);
    EXPECT_EQ(sprite_px(73, 17), 1);  // byte 511
    EXPECT_EQ(sprite_px(74, 10), 0);
    EXPECT_EQ(sprite_px(10, 18), 0);  // byte 512
    EXPECT_EQ(drawn_count(), 512);
}

TEST_F(SpritesTest, EntryFlipsMirrorAroundThePosition)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.flags = FLIP_X;
    e.x = at_x(100);
    e.y = at_y(20);
    set(0, e);
    Entry f = e;
    f.flags = FLIP_Y;
    f.y = at_y(100);
    set(1, f);
    sprites_render(b);
    // Flip X: columns 84-99, source column 0 at the right.
    EXPECT_EQ(value_at(99, 21), 16u);
    EXPECT_EQ(value_at(84, 21), 31u);
    EXPECT_EQ(sprite_px(100, 21), 0);
    // Flip Y: rows 84-99, source row 0 at the bottom.
    EXPECT_EQ(value_at(101, 99), 1u);
    EXPECT_EQ(value_at(101, 84), 241u);
    EXPECT_EQ(sprite_px(101, 100), 0);
}

TEST_F(SpritesTest, ScreenFlipsMirrorPositionsAndToggleEntryFlips)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(10);
    e.y = at_y(20);
    set(0, e);
    b->sprite_regs[7] = 2;  // screen flip X
    sprites_render(b);
    // 0x5000 - 640 = column 310; flipped, so columns 294-309.
    EXPECT_EQ(value_at(309, 21), 16u);
    EXPECT_EQ(value_at(294, 21), 31u);
    EXPECT_EQ(drawn_count(), 255);

    e.flags = FLIP_X;  // cancels the screen flip
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(311, 20), 1u);
    EXPECT_EQ(value_at(319, 20), 9u);  // cut at the right edge
    EXPECT_EQ(drawn_count(), 10 * 16 - 1);

    e.flags = 0;
    set(0, e);
    b->sprite_regs[7] = 1;  // screen flip Y
    sprites_render(b);
    // y = 20 pixels: 0x3c00 - 1280 = row 220; flipped, rows 204-219.
    EXPECT_EQ(value_at(11, 219), 1u);
    EXPECT_EQ(value_at(11, 204), 241u);
}

TEST_F(SpritesTest, SpritesAtTheEdgesAreClippedNotWrapped)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(-8);
    e.y = at_y(-4);
    set(0, e);
    Entry r = e;
    r.x = at_x(312);
    r.y = at_y(236);
    set(1, r);
    Entry f = e;
    f.flags = FLIP_X;  // columns -8 to 7, source column 0 at column 7
    f.x = at_x(8);
    f.y = at_y(100);
    set(2, f);
    sprites_render(b);
    EXPECT_EQ(value_at(0, 0), 4u * 16 + 8);
    EXPECT_EQ(value_at(7, 11), 15u * 16 + 15);
    EXPECT_EQ(value_at(312, 236), 0u);
    EXPECT_EQ(value_at(319, 239), 3u * 16 + 7);
    EXPECT_EQ(value_at(7, 100), 0u);
    EXPECT_EQ(value_at(7, 101), 16u);
    EXPECT_EQ(value_at(0, 115), 15u * 16 + 7);
    EXPECT_EQ(drawn_count(), 8 * 12 + 8 * 4 - 1 + 8 * 16 - 1);
}

TEST_F(SpritesTest, KeepBitDecidesWhetherTheBitmapIsCleared)
{
    for (u16& p : b->sprite_bitmap)
        p = 0x1234;
    b->sprite_regs[7] = 4 | 8;  // keep, sprites off
    sprites_render(b);
    EXPECT_EQ(sprite_px(0, 0), 0x1234);
    EXPECT_EQ(sprite_px(319, 239), 0x1234);

    b->sprite_regs[7] = 8;  // sprites off only
    sprites_render(b);
    EXPECT_EQ(drawn_count(), 0);

    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(0);
    e.y = at_y(0);
    set(0, e);
    for (u16& p : b->sprite_bitmap)
        p = 0x1234;
    b->sprite_regs[7] = 4;  // keep: draw over the old picture
    sprites_render(b);
    EXPECT_EQ(sprite_px(0, 0), 0x1234);  // transparent pixel
    EXPECT_EQ(value_at(1, 0), 1u);
    EXPECT_EQ(sprite_px(16, 0), 0x1234);
}

TEST_F(SpritesTest, GlobalAndGroupOffsetsMoveAbsoluteEntries)
{
    numbered16(0x1000);
    put16(b->sprite_regs, 0x12, 0x8000 | 0x7FC0);  // -1 pixel; bit 15 ignored
    put16(b->sprite_regs, 0x0a, 0x0040);           // +1 pixel
    put16(b->sprite_regs, 0x1a + 16, 0x0140);      // group 2 X: +5 pixels
    put16(b->sprite_regs, 0x1e + 16, 0xFFC0);      // group 2 Y: -1 pixel
    Entry e;
    e.addr = 0x1000;
    e.flags = 2 << 3;
    e.x = at_x(50);
    e.y = at_y(50);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(49 + 1, 51), 1u);  // group offsets disabled

    b->sprite_regs[3] = 0x40;
    sprites_render(b);
    EXPECT_EQ(value_at(54 + 1, 50), 1u);
}

TEST_F(SpritesTest, RelativeEntriesSkipTheOffsets)
{
    numbered16(0x1000);
    put16(b->sprite_regs, 0x12, 10 * 64);
    put16(b->sprite_regs, 0x0a, 5 * 64);
    b->sprite_regs[3] = 0x40;
    put16(b->sprite_regs, 0x1a, 3 * 64);  // group 0
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(20);
    e.y = at_y(20);
    set(0, e);  // at (33, 25)
    Entry r;
    r.addr = 0x1000;
    r.flags = RELATIVE;
    r.x = u16(40 * 64);
    r.y = u16(-2 * 64);
    set(1, r);  // at (73, 23)
    set(2, r);  // chained: at (113, 21)
    sprites_render(b);
    EXPECT_EQ(value_at(34, 25), 1u);
    EXPECT_EQ(value_at(74, 23), 1u);
    EXPECT_EQ(value_at(114, 21), 1u);
    EXPECT_EQ(drawn_count(), 3 * 255);
}

TEST_F(SpritesTest, GraphicsAddressesWrapAroundTheRom)
{
    // 0xFFFFFF is 0x7FFFFF in the 8 MiB buffer; the run continues at 0.
    b->sprite_rom[SPRITE_ROM_SIZE - 1] = 0xFF;
    for (u32 i = 0; i < 128; i++)
        b->sprite_rom[i] = u8(i + 1);
    fill(128, 128, 0x66);
    Entry e;
    e.addr = 0xFFFFFF;
    e.x = at_x(0);
    e.y = at_y(0);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(0, 0), 1u);
    EXPECT_EQ(value_at(15, 7), 128u);
    EXPECT_EQ(value_at(0, 8), 0x66u);
}

TEST_F(SpritesTest, EightBitZoomBytesEnlargeAndShrink)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(100);
    e.y = at_y(50);
    e.zoom[0] = 0x80;  // x source: twice as wide
    e.zoom[3] = 0x80;  // y destination: half as high
    set(0, e);
    sprites_render(b);
    for (int i = 0; i < 32; i++)
        EXPECT_EQ(value_at(100 + i, 51), u32(2 * 16 + i / 2)) << i;
    EXPECT_EQ(sprite_px(132, 51), 0);
    EXPECT_EQ(value_at(101, 57), u32(14 * 16));
    EXPECT_EQ(sprite_px(101, 58), 0);
    EXPECT_EQ(drawn_count(), 32 * 8 - 2);
}

TEST_F(SpritesTest, SixteenBitZoomShrinksOnly)
{
    numbered16(0x1000);
    Entry e;
    e.mode = 0x80;
    e.addr = 0x1000;
    e.x = at_x(100);
    e.y = at_y(50);
    e.zoom[0] = 0x80;  // x destination 0x8000: half as wide
    e.zoom[1] = 0x00;
    e.zoom[2] = 0x00;
    e.zoom[3] = 0xFF;  // y 0x00FF: almost unscaled
    set(0, e);
    sprites_render(b);
    for (int i = 1; i < 8; i++)
        EXPECT_EQ(value_at(100 + i, 50), u32(2 * i)) << i;
    EXPECT_EQ(sprite_px(108, 50), 0);
    // A step just under one pixel sometimes needs two sub-steps to reach
    // the next row, skipping a source row: 0, 2, 3, ..., 15.
    EXPECT_EQ(value_at(101, 51), u32(2 * 16 + 2));
    EXPECT_EQ(value_at(101, 52), u32(3 * 16 + 2));
    EXPECT_EQ(value_at(101, 64), u32(15 * 16 + 2));
    EXPECT_EQ(sprite_px(101, 65), 0);
}

TEST_F(SpritesTest, ZoomedFlipStartsAtThePositionAndWalksBack)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.flags = FLIP_X | FLIP_Y;
    e.x = at_x(100);
    e.y = at_y(100);
    e.zoom[0] = 0x80;  // double width
    set(0, e);
    sprites_render(b);
    // No width correction: source column 0 sits at column 100.
    EXPECT_EQ(value_at(100, 99), 16u);
    EXPECT_EQ(value_at(99, 99), 16u);
    EXPECT_EQ(value_at(98, 99), 17u);
    EXPECT_EQ(value_at(69, 99), 31u);
    EXPECT_EQ(sprite_px(68, 99), 0);
    EXPECT_EQ(value_at(98, 100), 1u);
    EXPECT_EQ(value_at(98, 85), 15u * 16 + 1);
    EXPECT_EQ(sprite_px(98, 84), 0);
}

TEST_F(SpritesTest, ZoomedWalkFromFarOffScreenSkipsAhead)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = 0x8000;  // -512 pixels
    e.y = at_y(10);
    e.zoom[0] = 0xFF;  // 256 times as wide
    set(0, e);
    sprites_render(b);
    // After 512 sub-steps the walk is at source column 2.
    EXPECT_EQ(value_at(0, 10), 2u);
    EXPECT_EQ(value_at(255, 25), 15u * 16 + 2);
    EXPECT_EQ(value_at(256, 10), 3u);
    EXPECT_EQ(value_at(319, 10), 3u);

    // A 16-bit zoom of 0xFFFF steps 1/65536 pixel at a time: reaching the
    // screen from 512 pixels out takes 2^25 sub-steps, far past the sprite.
    e.mode = 0x80;
    e.zoom[0] = 0xFF;
    e.zoom[1] = 0xFF;
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(drawn_count(), 0);

    // Starting above the screen with a shrink that leaves the sprite behind
    // before the top row draws nothing either.
    e.mode = 0;
    e.zoom[0] = 0;
    e.zoom[1] = 0;
    e.zoom[3] = 0x80;  // half height: 16 rows take 8 pixels
    e.x = at_x(10);
    e.y = at_y(-8);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(drawn_count(), 0);
    e.y = at_y(-7);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(11, 0), 14u * 16 + 1);
}

TEST_F(SpritesTest, ZoomedSpritesAreCutAtTheRightAndBottom)
{
    numbered16(0x1000);
    Entry e;
    e.addr = 0x1000;
    e.x = at_x(310);
    e.y = at_y(235);
    e.zoom[0] = 0x80;
    e.zoom[2] = 0x80;
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(319, 239), 2u * 16 + 4);
    EXPECT_EQ(drawn_count(), 10 * 5 - 4);  // source (0, 0) is transparent
    EXPECT_EQ(sprite_px(0, 0), 0);

    // Flipped, from beyond the right and bottom edges: 11 half-pixel
    // sub-steps bring the walk on screen at source column and row 5.
    e.flags = FLIP_X | FLIP_Y;
    e.x = at_x(330);
    e.y = at_y(250);
    set(0, e);
    sprites_render(b);
    EXPECT_EQ(value_at(319, 239), 5u * 16 + 5);
    EXPECT_EQ(value_at(318, 239), 5u * 16 + 6);
    EXPECT_EQ(value_at(317, 238), 6u * 16 + 6);
    EXPECT_EQ(value_at(316, 236), 7u * 16 + 7);
    EXPECT_EQ(drawn_count(), 21 * 21);  // nothing past the edges, nothing wrapped
}
