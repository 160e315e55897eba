#include "video_fixture.h"

#include <algorithm>

namespace {

struct Entry {
    u8 size = 0;   // byte 0: width code bits 1-0, height code bits 5-4
    u8 mode = 0;   // byte 1: bit 7 = 16-bit zoom
    u8 flags = 0;  // byte 2
    u8 priority = 0;
    u8 colour = 0;
    u32 addr = 0x1000;          // the numbered sprite of the fixture
    u16 x = 0;                  // raw, 1/64 pixel
    u16 y = 0;                  // raw, 1/64 pixel (the generator adds 2 pixels)
    u8 zoom[4] = {0, 0, 0, 0};  // bytes 8, 9, 12, 13
};

constexpr u8 CONTINUE = 0x80, KEEP_COLOUR = 0x40, RELATIVE = 0x20, FLIP_X = 0x02, FLIP_Y = 0x01;

// Raw positions that put an absolute entry's top-left at a screen pixel when no offsets are set.
u16 at_x(int px) { return u16(px * 64); }
u16 at_y(int py) { return u16(py * 64 - 128); }

class SpritesTest : public VideoTest {
protected:
    SpritesTest() {
        // Every entry is drawn each frame: park the unused ones off screen on a zeroed, transparent stretch of ROM.
        for (u32 i = 0; i < 1024; i++) set(i, {.addr = 0x100000, .y = 0x7000});
        // A 16 x 16 sprite whose pixel (j, k) holds k * 16 + j, so (0, 0) is transparent, as two literal runs.
        literal(literal(0x1000, 0, 128), 128, 128);
    }
    void set(u32 i, const Entry& e) {
        const u8 bytes[16] = {e.size,    e.mode,           e.flags,         u8(e.priority << 6 | e.colour),
                              0xEE,      u8(e.addr >> 16), u8(e.addr >> 8), u8(e.addr),
                              e.zoom[0], e.zoom[1],        u8(e.x >> 8),    u8(e.x),
                              e.zoom[2], e.zoom[3],        u8(e.y >> 8),    u8(e.y)};
        std::memcpy(b->sprite_ram + i * 16, bytes, 16);
    }
    // A literal run of count bytes first, first + 1, ... (wrapping at the ROM's end); returns the position after it.
    u32 literal(u32 pos, u32 first, u32 count) {
        b->sprite_rom[pos++ % SPRITE_ROM_SIZE] = u8(0x80 | (count - 1));
        for (u32 i = 0; i < count; i++) b->sprite_rom[pos++ % SPRITE_ROM_SIZE] = u8(first + i);
        return pos;
    }
    // Repeated bytes, in runs of at most 128.
    u32 fill(u32 pos, u32 count, u8 value) {
        for (; count > 0; count -= count < 128 ? count : 128) {
            b->sprite_rom[pos++] = u8((count < 128 ? count : 128) - 1);
            b->sprite_rom[pos++] = value;
        }
        return pos;
    }
    void render(std::initializer_list<Entry> entries) {
        u32 i = 0;
        for (const Entry& e : entries) set(i++, e);
        sprites_render(b);
    }
    // Whole bitmap words (tag included; 0 = nothing drawn).
    void expect_px(std::initializer_list<Px> pixels) {
        for (const Px& p : pixels) EXPECT_EQ(sprite_px(p.x, p.y), p.want) << "at " << p.x << ", " << p.y;
    }
    static u16 tag(u32 colour, u32 priority) { return u16(colour << 8 | priority << 14); }
    int drawn_count() const {
        const auto& bm = b->sprite_bitmap;
        return int(std::size(bm)) - int(std::count(std::begin(bm), std::end(bm), 0));
    }
};

}  // namespace

TEST_F(SpritesTest, UnscaledSpritesCarryTheirTagAndLaterEntriesCoverEarlierOnes) {
    fill(0x4000, 256, 3);
    render({{.priority = 2, .colour = 5, .x = at_x(10), .y = at_y(20)},
            {.colour = 1, .addr = 0x4000, .x = at_x(50), .y = at_y(50)},
            {.colour = 2, .x = at_x(50), .y = at_y(50)}});
    const u16 t = tag(5, 2);
    expect_px({{11, 20, 1u | t},
               {25, 35, 255u | t},
               {13, 27, u32(7 * 16 + 3) | t},
               {10, 20, 0},
               {9, 20, 0},
               {26, 20, 0},
               {10, 36, 0}});
    expect_px({{50, 50, 3u | tag(1, 0)}, {51, 50, 1u | tag(2, 0)}});  // the later entry's 0 is transparent
    EXPECT_EQ(drawn_count(), 255 + 256);
}

// Run data may overrun the sprite; a continue entry goes on where the data ended and keeps the priority. The first
// entry of the list has nothing to continue from, and keep colour alone keeps colour but not priority.
TEST_F(SpritesTest, ContinueChainsAndKeepColour) {
    // 300 bytes for a 256-pixel sprite, then what the continue entry draws.
    fill(fill(literal(fill(0x4000, 200, 7), 0x40, 100), 128, 9), 128, 10);
    render({{.priority = 3, .colour = 4, .addr = 0x4000, .x = at_x(0), .y = at_y(0)},
            {.flags = CONTINUE, .priority = 1, .colour = 6, .addr = 0x5000, .x = at_x(100), .y = at_y(0)}});
    expect_px({{7, 12, 7u | tag(4, 3)},
               {8, 12, 0x40u | tag(4, 3)},
               {15, 15, u32(0x40 + 55) | tag(4, 3)},
               {100, 0, 9u | tag(6, 3)},
               {115, 7, 9u | tag(6, 3)},
               {100, 8, 10u | tag(6, 3)}});
    fill(0, 256, 3);
    render({{.flags = CONTINUE | KEEP_COLOUR, .priority = 3, .colour = 9, .x = at_x(40), .y = at_y(40)},
            {.flags = KEEP_COLOUR, .priority = 2, .colour = 12, .x = at_x(60), .y = at_y(40)}});
    expect_px({{40, 40, 3}, {61, 40, 1u | tag(0, 2)}});
}

TEST_F(SpritesTest, SizeCodesSetWidthAndHeightAndAddressesWrapAroundTheRom) {
    // 64 x 32 needs 2048 bytes; past the four runs written the ROM is zero, one transparent pixel per two bytes.
    fill(0x4000, 512, 1);
    render({{.size = 0x13, .addr = 0x4000, .x = at_x(10), .y = at_y(10)}});
    expect_px({{10, 10, 1}, {73, 17, 1}, {74, 10, 0}, {10, 18, 0}});
    EXPECT_EQ(drawn_count(), 512);
    // 0xFFFFFF is 0x7FFFFF in the 8 MiB buffer; the run continues at 0.
    fill(literal(0xFFFFFF, 1, 128) % SPRITE_ROM_SIZE, 128, 0x66);
    render({{.addr = 0xFFFFFF, .x = at_x(0), .y = at_y(0)}});
    expect_px({{0, 0, 1}, {15, 7, 128}, {0, 8, 0x66}});
}

TEST_F(SpritesTest, EntryAndScreenFlipsMirror) {
    render({{.flags = FLIP_X, .x = at_x(100), .y = at_y(20)}, {.flags = FLIP_Y, .x = at_x(100), .y = at_y(100)}});
    expect_px({{99, 21, 16}, {84, 21, 31}, {100, 21, 0}});  // columns 84-99, source column 0 at the right
    expect_px({{101, 99, 1}, {101, 84, 241}, {101, 100, 0}});
    b->sprite_regs[7] = 2;  // screen flip X: 0x5000 - 640 = column 310, flipped: 294-309
    render({{.x = at_x(10), .y = at_y(20)}, {.addr = 0x100000, .y = 0x7000}});
    expect_px({{309, 21, 16}, {294, 21, 31}});
    EXPECT_EQ(drawn_count(), 255);
    render({{.flags = FLIP_X, .x = at_x(10), .y = at_y(20)}});  // the entry flip cancels it
    expect_px({{311, 20, 1}, {319, 20, 9}});
    EXPECT_EQ(drawn_count(), 10 * 16 - 1);  // cut at the right edge
    b->sprite_regs[7] = 1;                  // screen flip Y: 0x3c00 - 1280 = row 220, flipped: 204-219
    render({{.x = at_x(10), .y = at_y(20)}});
    expect_px({{11, 219, 1}, {11, 204, 241}});
}

TEST_F(SpritesTest, SpritesAtTheEdgesAreClippedNotWrapped) {
    render({{.x = at_x(-8), .y = at_y(-4)},
            {.x = at_x(312), .y = at_y(236)},
            {.flags = FLIP_X, .x = at_x(8), .y = at_y(100)}});  // columns -8 to 7
    expect_px({{0, 0, 4 * 16 + 8},
               {7, 11, 255},
               {312, 236, 0},
               {319, 239, 3 * 16 + 7},
               {7, 100, 0},
               {7, 101, 16},
               {0, 115, 15 * 16 + 7}});
    EXPECT_EQ(drawn_count(), 8 * 12 + 8 * 4 - 1 + 8 * 16 - 1);
}

TEST_F(SpritesTest, KeepBitDecidesWhetherTheBitmapIsCleared) {
    std::fill(std::begin(b->sprite_bitmap), std::end(b->sprite_bitmap), 0x1234);
    b->sprite_regs[7] = 4 | 8;  // keep, sprites off
    sprites_render(b);
    expect_px({{0, 0, 0x1234}, {319, 239, 0x1234}});
    b->sprite_regs[7] = 8;  // sprites off only
    sprites_render(b);
    EXPECT_EQ(drawn_count(), 0);
    std::fill(std::begin(b->sprite_bitmap), std::end(b->sprite_bitmap), 0x1234);
    b->sprite_regs[7] = 4;  // keep: draw over the old picture
    render({{.x = at_x(0), .y = at_y(0)}});
    expect_px({{0, 0, 0x1234}, {1, 0, 1}, {16, 0, 0x1234}});
}

// Absolute entries move by the global offsets and, when enabled, their group's; relative entries skip both and chain on
// the previous position.
TEST_F(SpritesTest, OffsetsMoveAbsoluteEntriesButNotRelativeOnes) {
    put(b->sprite_regs, 0x12, 0x8000 | 0x7FC0, 2);  // -1 pixel; bit 15 ignored
    put(b->sprite_regs, 0x0a, 0x0040, 2);           // +1 pixel
    put(b->sprite_regs, 0x1a + 16, 0x0140, 2);      // group 2 X: +5 pixels
    put(b->sprite_regs, 0x1e + 16, 0xFFC0, 2);      // group 2 Y: -1 pixel
    render({{.flags = 2 << 3, .x = at_x(50), .y = at_y(50)}});
    expect_px({{50, 51, 1}});  // group offsets disabled
    b->sprite_regs[3] = 0x40;
    sprites_render(b);
    expect_px({{55, 50, 1}});
    put(b->sprite_regs, 0x12, 10 * 64, 2);
    put(b->sprite_regs, 0x0a, 5 * 64, 2);
    put(b->sprite_regs, 0x1a, 3 * 64, 2);  // group 0
    const Entry rel{.flags = RELATIVE, .x = u16(40 * 64), .y = u16(-2 * 64)};
    render({{.x = at_x(20), .y = at_y(20)}, rel, rel});
    expect_px({{34, 25, 1}, {74, 23, 1}, {114, 21, 1}});
    EXPECT_EQ(drawn_count(), 3 * 255);
}

// The offsets' sign is bit 14; bit 15 is not part of them.
TEST_F(SpritesTest, OffsetSignComesFromBitFourteen) {
    put(b->sprite_regs, 0x12, 0x8040, 2);  // X: +1 pixel, bit 15 ignored
    put(b->sprite_regs, 0x0a, 0x7FC0, 2);  // Y: -1 pixel, sign in bit 14
    render({{.x = at_x(50), .y = at_y(50)}});
    expect_px({{52, 49, 1}, {51, 49, 0}, {52, 50, 16 + 1}});
    EXPECT_EQ(drawn_count(), 255);
}

// Positions are in 1/64 pixel. Off the left or top edge the unscaled copy starts at the pixel below (toward minus
// infinity), and a zoomed walk at the first whole sub-step that reaches the screen, not the one before it.
TEST_F(SpritesTest, ClipRoundsTowardTheScreen) {
    render({{.x = u16(-8 * 64 - 32), .y = at_y(20)}});  // -8.5 pixels: columns -9 to 6
    expect_px({{0, 21, 16 + 9}, {6, 21, 16 + 15}, {7, 21, 0}});
    // Half size from -5.25 pixels on both axes: 10.5 half-pixel sub-steps reach the screen, so 11 are taken, landing
    // at 0.25 on source column and row 11; the next pixel takes two sub-steps.
    const u16 start = u16(-5 * 64 - 16);
    render({{.x = start, .y = u16(start - 128), .zoom = {0, 0x80, 0, 0x80}}});
    expect_px({{0, 0, 11 * 16 + 11}, {1, 0, 11 * 16 + 13}, {1, 1, 13 * 16 + 13}, {2, 2, 15 * 16 + 15}, {3, 3, 0}});
    EXPECT_EQ(drawn_count(), 9);
}

TEST_F(SpritesTest, EightBitZoomScalesBothWaysAndSixteenBitOnlyShrinks) {
    // x source 0x80: twice as wide; y destination 0x80: half as high.
    render({{.x = at_x(100), .y = at_y(50), .zoom = {0x80, 0, 0, 0x80}}});
    for (int i = 0; i < 32; i++) EXPECT_EQ(sprite_px(100 + i, 51), u32(2 * 16 + i / 2)) << i;
    expect_px({{132, 51, 0}, {101, 57, 14 * 16}, {101, 58, 0}});
    EXPECT_EQ(drawn_count(), 32 * 8 - 2);
    // x destination 0x8000: half as wide; y 0x00FF: a step just under one pixel sometimes needs two sub-steps, skipping
    // a source row.
    render({{.mode = 0x80, .x = at_x(100), .y = at_y(50), .zoom = {0x80, 0, 0, 0xFF}}});
    for (int i = 1; i < 8; i++) EXPECT_EQ(sprite_px(100 + i, 50), u32(2 * i)) << i;
    expect_px({{108, 50, 0}, {101, 51, 2 * 16 + 2}, {101, 52, 3 * 16 + 2}, {101, 64, 15 * 16 + 2}, {101, 65, 0}});
}

TEST_F(SpritesTest, ZoomedWalksSkipAheadClipAndStartFlipsAtThePosition) {
    // 256 times as wide from -512 pixels: 512 sub-steps in, source column 2.
    render({{.x = 0x8000, .y = at_y(10), .zoom = {0xFF, 0, 0, 0}}});
    expect_px({{0, 10, 2}, {255, 25, 15 * 16 + 2}, {256, 10, 3}, {319, 10, 3}});
    // 16-bit 0xFFFF steps 1/65536 pixel: reaching the screen takes 2^25 sub-steps, far past the sprite.
    render({{.mode = 0x80, .x = 0x8000, .y = at_y(10), .zoom = {0xFF, 0xFF, 0, 0}}});
    EXPECT_EQ(drawn_count(), 0);
    // Half height from above the screen: 16 rows take 8 pixels.
    render({{.x = at_x(10), .y = at_y(-8), .zoom = {0, 0, 0, 0x80}}});
    EXPECT_EQ(drawn_count(), 0);
    render({{.x = at_x(10), .y = at_y(-7), .zoom = {0, 0, 0, 0x80}}});
    expect_px({{11, 0, 14 * 16 + 1}});
    render({{.x = at_x(310), .y = at_y(235), .zoom = {0x80, 0, 0x80, 0}}});
    expect_px({{319, 239, 2 * 16 + 4}, {0, 0, 0}});
    EXPECT_EQ(drawn_count(), 10 * 5 - 4);  // source (0, 0) is transparent
    // Flipped from beyond the right and bottom edges: 11 half-pixel sub-steps bring the walk on screen at source column
    // and row 5.
    render({{.flags = FLIP_X | FLIP_Y, .x = at_x(330), .y = at_y(250), .zoom = {0x80, 0, 0x80, 0}}});
    expect_px({{319, 239, 5 * 16 + 5}, {318, 239, 5 * 16 + 6}, {317, 238, 6 * 16 + 6}, {316, 236, 7 * 16 + 7}});
    EXPECT_EQ(drawn_count(), 21 * 21);  // nothing past the edges, nothing wrapped
    // Double width, no width correction: source column 0 sits at column 100.
    render({{.flags = FLIP_X | FLIP_Y, .x = at_x(100), .y = at_y(100), .zoom = {0x80, 0, 0, 0}}});
    expect_px({{100, 99, 16},
               {99, 99, 16},
               {98, 99, 17},
               {69, 99, 31},
               {68, 99, 0},
               {98, 100, 1},
               {98, 85, 15 * 16 + 1},
               {98, 84, 0}});
}
