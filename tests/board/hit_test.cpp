// The HIT collision calculator driven through its read and write offsets,
// on a zeroed board record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "board/board.h"
#include "board/hit.h"

namespace {

struct FreeBoard {
    void operator()(BoardState* b) const { std::free(b); }
};
using BoardPtr = std::unique_ptr<BoardState, FreeBoard>;

BoardPtr make_board() {
    BoardPtr b(static_cast<BoardState*>(std::calloc(1, sizeof(BoardState))));
    b->rng = 0x9D14ABD7;
    return b;
}

// Write offsets of the inputs, per axis.
constexpr u32 W_POS1[3] = {0x00, 0x08, 0x38};
constexpr u32 W_SIZE1[3] = {0x04, 0x0C, 0x3C};
constexpr u32 W_POS2[3] = {0x10, 0x18, 0x20};
constexpr u32 W_SIZE2[3] = {0x14, 0x1C, 0x24};
constexpr u32 W_MODE = 0x70;

// Read offsets of the results, per axis.
constexpr u32 R_OVERLAP[3] = {0x00, 0x04, 0x18};
constexpr u32 R_FLAGS = 0x08;
constexpr u32 R_RANDOM = 0x28;
constexpr u32 R_DIFF[3] = {0x80, 0x84, 0x88};
constexpr u32 R_POS1_OUT[3] = {0x90, 0xA0, 0xB0};
constexpr u32 R_POS2_OUT[3] = {0x94, 0xA4, 0xB4};
constexpr u32 R_END1[3] = {0x98, 0xA8, 0xB8};
constexpr u32 R_START2[3] = {0x9C, 0xAC, 0xBC};

struct Box {
    u16 pos[3];
    u16 size[3];
};

void put(BoardState* b, const Box& o1, const Box& o2, u16 mode) {
    hit_write(&b->hit, W_MODE, mode);
    for (int k = 0; k < 3; ++k) {
        hit_write(&b->hit, W_POS1[k], o1.pos[k]);
        hit_write(&b->hit, W_SIZE1[k], o1.size[k]);
        hit_write(&b->hit, W_POS2[k], o2.pos[k]);
        hit_write(&b->hit, W_SIZE2[k], o2.size[k]);
    }
}

u32 rd(BoardState* b, u32 offset) { return hit_read(b, offset); }

TEST(HitDevice, EdgeAlignedBoxesGiveOverlapsAndFlags) {
    BoardPtr b = make_board();
    put(b.get(), {{10, 10, 10}, {5, 5, 5}}, {{12, 20, 10}, {5, 5, 5}}, 0);

    EXPECT_EQ(rd(b.get(), R_OVERLAP[0]), 3u);
    EXPECT_EQ(rd(b.get(), R_OVERLAP[1]), 0xFFFBu);
    EXPECT_EQ(rd(b.get(), R_OVERLAP[2]), 5u);
    EXPECT_EQ(rd(b.get(), R_FLAGS), 0x9844u);
    // Alias offsets of the same results.
    EXPECT_EQ(rd(b.get(), 0x10), 3u);
    EXPECT_EQ(rd(b.get(), 0x14), 0xFFFBu);
    EXPECT_EQ(rd(b.get(), 0x1C), 0x9844u);

    const u16 diff[3] = {2, 10, 0};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rd(b.get(), R_DIFF[k]), diff[k]) << k;
        EXPECT_EQ(rd(b.get(), R_END1[k]), 15u) << k;
        EXPECT_EQ(rd(b.get(), R_POS1_OUT[k]), 10u) << k;
    }
    EXPECT_EQ(rd(b.get(), R_POS2_OUT[0]), 12u);
    EXPECT_EQ(rd(b.get(), R_POS2_OUT[1]), 20u);
    EXPECT_EQ(rd(b.get(), R_START2[1]), 20u);
    EXPECT_EQ(rd(b.get(), R_START2[2]), 10u);

    // The results sit interleaved in the record, axis by axis.
    EXPECT_EQ(b->hit.words[HIT_POS2_OUT + 2], 20);
    EXPECT_EQ(b->hit.words[HIT_START2 + 2], 20);
    EXPECT_EQ(b->hit.words[HIT_END1 + 4], 15);
}

TEST(HitDevice, EdgeModesPerObject) {
    BoardPtr b = make_board();
    // Both centred: object 1 ends half its size (rounded up) past its
    // position, object 2 starts half its size (rounded down) before.
    put(b.get(), {{100, 0, 0}, {9, 0, 0}}, {{110, 0, 0}, {9, 0, 0}}, 0x0101);
    EXPECT_EQ(rd(b.get(), R_END1[0]), 105u);
    EXPECT_EQ(rd(b.get(), R_START2[0]), 106u);
    EXPECT_EQ(rd(b.get(), R_OVERLAP[0]), 0xFFFFu);
    EXPECT_TRUE(rd(b.get(), R_FLAGS) & 0x0100);  // overlap 1 negative
    EXPECT_FALSE(rd(b.get(), R_FLAGS) & 0x0001);

    struct Case {
        u16 mode;
        u16 end1;
        u16 start2;
    };
    // pos1 = 100, size1 = 9, pos2 = 110, size2 = 9.
    const Case cases[] = {
        {0x0000, 109, 110}, {0x0003, 109, 110},  // mode 3 acts as mode 0
        {0x0002, 100, 110},                      // end at the position
        {0x0200, 109, 101}, {0x0300, 109, 101},  // start a whole size before
        {0x0100, 109, 106}, {0x0001, 105, 110},
        {0xFCFC, 109, 110},                      // only bits 0-1 and 8-9 count
    };
    for (const Case& c : cases) {
        hit_write(&b->hit, W_MODE, c.mode);
        EXPECT_EQ(rd(b.get(), R_END1[0]), c.end1) << std::hex << c.mode;
        EXPECT_EQ(rd(b.get(), R_START2[0]), c.start2) << std::hex << c.mode;
        EXPECT_EQ(rd(b.get(), R_OVERLAP[0]), u16(c.end1 - c.start2)) << std::hex << c.mode;
    }

    // Mode 2 on object 1 ignores its size entirely.
    hit_write(&b->hit, W_MODE, 0x0002);
    hit_write(&b->hit, W_SIZE1[0], 0xFFFF);
    EXPECT_EQ(rd(b.get(), R_END1[0]), 100u);
}

TEST(HitDevice, ArithmeticWrapsAtSixteenBits) {
    BoardPtr b = make_board();
    put(b.get(), {{0xFFF0, 5, 0}, {0x20, 0, 0}}, {{0x0008, 0xFFFF, 0}, {0, 0x10, 0}}, 0x0200);
    EXPECT_EQ(rd(b.get(), R_END1[0]), 0x0010u);
    EXPECT_EQ(rd(b.get(), R_START2[0]), 0x0008u);
    EXPECT_EQ(rd(b.get(), R_DIFF[0]), 0x0018u);
    EXPECT_EQ(rd(b.get(), R_OVERLAP[0]), 0x0008u);
    // Axis 2: start = 0xFFFF - 0x10.
    EXPECT_EQ(rd(b.get(), R_START2[1]), 0xFFEFu);
    EXPECT_EQ(rd(b.get(), R_DIFF[1]), 0xFFFAu);
    // Position comparisons are unsigned: 0xFFF0 lies above 8 on axis 1.
    EXPECT_TRUE(rd(b.get(), R_FLAGS) & 0x0200);
    EXPECT_FALSE(rd(b.get(), R_FLAGS) & 0x0800);
}

TEST(HitDevice, FlagBitsCombineOverlapSigns) {
    BoardPtr b = make_board();
    // Negative overlap is made per axis by placing object 2 far beyond.
    struct Case {
        bool neg[3];
        u16 low_bits;  // bits 0-3
    };
    const Case cases[] = {
        {{false, false, false}, 0x000F},
        {{true, false, false}, 0x0002},
        {{false, true, false}, 0x0004},
        {{false, false, true}, 0x0001},
        {{true, true, false}, 0x0000},
        {{true, true, true}, 0x0000},
    };
    for (const Case& c : cases) {
        Box o1{{100, 100, 100}, {10, 10, 10}};
        Box o2{{105, 105, 105}, {10, 10, 10}};
        for (int k = 0; k < 3; ++k)
            if (c.neg[k])
                o2.pos[k] = 200;
        put(b.get(), o1, o2, 0);
        const u32 f = rd(b.get(), R_FLAGS);
        EXPECT_EQ(f & 0x000F, c.low_bits);
        EXPECT_EQ(bool(f & 0x0100), c.neg[0]);
        EXPECT_EQ(bool(f & 0x1000), c.neg[1]);
        EXPECT_EQ(bool(f & 0x0010), c.neg[2]);
        // pos1 is below pos2 on every axis.
        EXPECT_EQ(f & 0xEEE0, 0x8880u);
    }

    // Greater and equal comparisons land in each axis's own bits.
    put(b.get(), {{7, 3, 5}, {0, 0, 0}}, {{7, 5, 3}, {0, 0, 0}}, 0);
    const u32 f = rd(b.get(), R_FLAGS);
    EXPECT_EQ(f & 0x0E00, 0x0400u);  // axis 1 equal
    EXPECT_EQ(f & 0xE000, 0x8000u);  // axis 2 below
    EXPECT_EQ(f & 0x00E0, 0x0020u);  // axis 3 above
}

TEST(HitDevice, ResultsAreNotComputedAtReset) {
    BoardPtr b = make_board();
    // Zero inputs would give non-negative overlaps and equal positions, but
    // nothing is computed until the first write.
    EXPECT_EQ(rd(b.get(), R_FLAGS), 0u);

    // A write to an offset without an input stores nothing but computes.
    hit_write(&b->hit, 0x40, 0x1234);
    hit_write(&b->hit, 0xFC, 0x1234);
    EXPECT_EQ(rd(b.get(), R_FLAGS), 0x444Fu);
    for (int i = 0; i <= HIT_MODE; ++i)
        EXPECT_EQ(b->hit.words[i], 0) << i;
}

TEST(HitDevice, ReadAndWriteOffsetsDiffer) {
    BoardPtr b = make_board();
    // Every input has two write offsets; inputs read back from 0x40 up.
    struct Alias {
        u32 first, second, read;
    };
    const Alias inputs[] = {
        {0x00, 0x28, 0x40}, {0x04, 0x2C, 0x44}, {0x08, 0x30, 0x48}, {0x0C, 0x34, 0x4C},
        {0x38, 0x50, 0x50}, {0x3C, 0x54, 0x54}, {0x10, 0x58, 0x58}, {0x14, 0x5C, 0x5C},
        {0x18, 0x60, 0x60}, {0x1C, 0x64, 0x64}, {0x20, 0x68, 0x68}, {0x24, 0x6C, 0x6C},
    };
    u16 v = 0x1000;
    for (const Alias& a : inputs) {
        hit_write(&b->hit, a.first, v);
        EXPECT_EQ(rd(b.get(), a.read), v) << std::hex << a.first;
        hit_write(&b->hit, a.second, static_cast<u16>(v + 1));
        EXPECT_EQ(rd(b.get(), a.read), u32(v + 1)) << std::hex << a.second;
        v = static_cast<u16>(v + 0x100);
    }
    hit_write(&b->hit, W_MODE, 0x0102);
    EXPECT_EQ(rd(b.get(), 0x70), 0x0102u);

    // Offset 0 is written as object 1's position but reads overlap 1; the
    // word comes zero-extended, so a 16-bit read of the upper half sees 0.
    hit_write(&b->hit, 0x00, 50);
    EXPECT_NE(b->hit.words[HIT_OVERLAP], 50);
    EXPECT_EQ(rd(b.get(), 0x00), b->hit.words[HIT_OVERLAP]);
    EXPECT_EQ(rd(b.get(), 0x00) >> 16, 0u);
    EXPECT_EQ(rd(b.get(), 0x40), 50u);

    // Offsets with nothing behind them read 0, also out of range.
    for (u32 off : {0x0Cu, 0x20u, 0x24u, 0x2Cu, 0x3Cu, 0x74u, 0x8Cu, 0xC0u, 0xFCu, 0x100u, 0xFFFFFFFCu})
        EXPECT_EQ(rd(b.get(), off), 0u) << std::hex << off;
    hit_write(&b->hit, 0x100, 0x5555);  // outside the device: no store
    EXPECT_EQ(rd(b.get(), 0x40), 50u);
}

TEST(HitDevice, RandomNumbersAdvanceOnlyOnTheirOffset) {
    BoardPtr b = make_board();
    EXPECT_EQ(rd(b.get(), R_RANDOM), 0x3AF2u);
    rd(b.get(), R_FLAGS);
    rd(b.get(), 0x2C);
    EXPECT_EQ(rd(b.get(), R_RANDOM), 0x4FBEu);

    // Writing offset 0x28 sets an input, not the generator.
    const u32 state = b->rng;
    hit_write(&b->hit, R_RANDOM, 0x7777);
    EXPECT_EQ(b->rng, state);
    EXPECT_EQ(rd(b.get(), 0x40), 0x7777u);
}

} // namespace
