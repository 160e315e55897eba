// The HIT collision calculator driven through its read and write offsets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/board.h"
#include "board/hit.h"

namespace {

// Write offsets of the inputs and read offsets of the results, per axis.
constexpr u32 W_POS1[3] = {0x00, 0x08, 0x38}, W_SIZE1[3] = {0x04, 0x0C, 0x3C};
constexpr u32 W_POS2[3] = {0x10, 0x18, 0x20}, W_SIZE2[3] = {0x14, 0x1C, 0x24}, W_MODE = 0x70;
constexpr u32 R_OVERLAP[3] = {0x00, 0x04, 0x18}, R_FLAGS = 0x08, R_RANDOM = 0x28;
constexpr u32 R_DIFF[3] = {0x80, 0x84, 0x88}, R_POS1_OUT[3] = {0x90, 0xA0, 0xB0}, R_POS2_OUT[3] = {0x94, 0xA4, 0xB4};
constexpr u32 R_END1[3] = {0x98, 0xA8, 0xB8}, R_START2[3] = {0x9C, 0xAC, 0xBC};

struct Box {
    u16 pos[3], size[3];
};

struct HitTest : ::testing::Test {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    HitTest() { b->rng = 0x9D14ABD7; }
    ~HitTest() override { std::free(b); }
    void w(u32 offset, u16 v) { hit_write(&b->hit, offset, v); }
    u32 rd(u32 offset) { return hit_read(b, offset); }
    void expect_reads(std::initializer_list<std::pair<u32, u32>> reads) {
        for (const auto& [offset, want] : reads) EXPECT_EQ(rd(offset), want) << std::hex << offset;
    }
    void put(const Box& o1, const Box& o2, u16 mode) {
        w(W_MODE, mode);
        for (int k = 0; k < 3; ++k)
            w(W_POS1[k], o1.pos[k]), w(W_SIZE1[k], o1.size[k]), w(W_POS2[k], o2.pos[k]), w(W_SIZE2[k], o2.size[k]);
    }
};

TEST_F(HitTest, EdgeAlignedBoxesGiveOverlapsDifferencesAndEdges) {
    put({{10, 10, 10}, {5, 5, 5}}, {{12, 20, 10}, {5, 5, 5}}, 0);
    const u32 overlap[3] = {3, 0xFFFB, 5}, diff[3] = {2, 10, 0}, pos2[3] = {12, 20, 10};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rd(R_OVERLAP[k]), overlap[k]) << k;
        EXPECT_EQ(rd(R_DIFF[k]), diff[k]) << k;
        EXPECT_EQ(rd(R_END1[k]), 15u) << k;
        EXPECT_EQ(rd(R_POS1_OUT[k]), 10u) << k;
        EXPECT_EQ(rd(R_POS2_OUT[k]), pos2[k]) << k;
        EXPECT_EQ(rd(R_START2[k]), pos2[k]) << k;
    }
    expect_reads({{R_FLAGS, 0x9844}, {0x10, 3}, {0x14, 0xFFFB}, {0x1C, 0x9844}});  // 0x10-0x1C: aliases
    // The results sit interleaved in the record, axis by axis.
    EXPECT_EQ(b->hit.words[HIT_POS2_OUT + 2], 20);
    EXPECT_EQ(b->hit.words[HIT_START2 + 2], 20);
    EXPECT_EQ(b->hit.words[HIT_END1 + 4], 15);
}

TEST_F(HitTest, EdgeModesPerObject) {
    // Centred: object 1 ends half its size (rounded up) past its position, object 2 starts half its size (rounded down)
    // before.
    put({{100, 0, 0}, {9, 0, 0}}, {{110, 0, 0}, {9, 0, 0}}, 0x0101);
    EXPECT_EQ(rd(R_FLAGS) & 0x0101, 0x0100u);  // overlap 1 negative
    struct Case {
        u16 mode, end1, start2;
    };
    const Case cases[] = {
        {0x0101, 105, 106}, {0x0000, 109, 110}, {0x0003, 109, 110},  // mode 3 acts as mode 0
        {0x0002, 100, 110},                                          // end at the position
        {0x0200, 109, 101}, {0x0300, 109, 101},                      // start a whole size before
        {0x0100, 109, 106}, {0x0001, 105, 110}, {0xFCFC, 109, 110},  // only bits 0-1 and 8-9 count
    };
    for (const Case& c : cases) {
        w(W_MODE, c.mode);
        EXPECT_EQ(rd(R_END1[0]), c.end1) << std::hex << c.mode;
        EXPECT_EQ(rd(R_START2[0]), c.start2) << std::hex << c.mode;
        EXPECT_EQ(rd(R_OVERLAP[0]), u16(c.end1 - c.start2)) << std::hex << c.mode;
    }
    w(W_MODE, 0x0002);
    w(W_SIZE1[0], 0xFFFF);  // mode 2 ignores object 1's size
    EXPECT_EQ(rd(R_END1[0]), 100u);
}

TEST_F(HitTest, ArithmeticWrapsAtSixteenBitsAndComparesUnsigned) {
    put({{0xFFF0, 5, 0}, {0x20, 0, 0}}, {{0x0008, 0xFFFF, 0}, {0, 0x10, 0}}, 0x0200);
    expect_reads({{R_END1[0], 0x10},
                  {R_START2[0], 0x08},
                  {R_DIFF[0], 0x18},
                  {R_OVERLAP[0], 0x08},
                  {R_START2[1], 0xFFEF},
                  {R_DIFF[1], 0xFFFA}});
    EXPECT_EQ(rd(R_FLAGS) & 0x0E00, 0x0200u);  // 0xFFF0 lies above 8 on axis 1
    // Overlap signs: bits 0-3 combine them, each axis also has its own bit.
    struct Case {
        bool neg[3];
        u16 low_bits;
    };
    const Case cases[] = {
        {{false, false, false}, 0x000F}, {{true, false, false}, 0x0002}, {{false, true, false}, 0x0004},
        {{false, false, true}, 0x0001},  {{true, true, false}, 0x0000},  {{true, true, true}, 0x0000},
    };
    for (const Case& c : cases) {
        const auto far = [&](int k) { return u16(c.neg[k] ? 200 : 105); };
        put({{100, 100, 100}, {10, 10, 10}}, {{far(0), far(1), far(2)}, {10, 10, 10}}, 0);
        // 0x8880: pos1 lies below pos2 on every axis.
        EXPECT_EQ(rd(R_FLAGS),
                  0x8880u | c.low_bits | (c.neg[0] ? 0x0100 : 0) | (c.neg[1] ? 0x1000 : 0) | (c.neg[2] ? 0x0010 : 0));
    }
    put({{7, 3, 5}, {0, 0, 0}}, {{7, 5, 3}, {0, 0, 0}}, 0);
    EXPECT_EQ(rd(R_FLAGS) & 0xEEE0, 0x8420u);  // axis 1 equal, axis 2 below, axis 3 above
}

TEST_F(HitTest, ResultsAreNotComputedAtReset) {
    EXPECT_EQ(rd(R_FLAGS), 0u);  // zero inputs would give 0x444F once computed
    // A write to an offset without an input stores nothing but computes.
    w(0x40, 0x1234), w(0xFC, 0x1234);
    EXPECT_EQ(rd(R_FLAGS), 0x444Fu);
    for (int i = 0; i <= HIT_MODE; ++i) EXPECT_EQ(b->hit.words[i], 0) << i;
}

TEST_F(HitTest, ReadAndWriteOffsetsDiffer) {
    // Every input has two write offsets; inputs read back from 0x40 up.
    const u32 inputs[][3] = {
        {0x00, 0x28, 0x40}, {0x04, 0x2C, 0x44}, {0x08, 0x30, 0x48}, {0x0C, 0x34, 0x4C}, {0x38, 0x50, 0x50},
        {0x3C, 0x54, 0x54}, {0x10, 0x58, 0x58}, {0x14, 0x5C, 0x5C}, {0x18, 0x60, 0x60}, {0x1C, 0x64, 0x64},
        {0x20, 0x68, 0x68}, {0x24, 0x6C, 0x6C}, {0x70, 0x70, 0x70},
    };
    u16 v = 0x1000;
    for (const auto& a : inputs) {
        w(a[0], v);
        EXPECT_EQ(rd(a[2]), v) << std::hex << a[0];
        w(a[1], u16(v + 1));
        EXPECT_EQ(rd(a[2]), u32(v + 1)) << std::hex << a[1];
        v = u16(v + 0x100);
    }
    // Offset 0 is written as object 1's position but reads overlap 1, zero-extended.
    w(0x00, 50);
    EXPECT_NE(b->hit.words[HIT_OVERLAP], 50);
    EXPECT_EQ(rd(0x00), b->hit.words[HIT_OVERLAP]);
    EXPECT_EQ(rd(0x00) >> 16, 0u);
    EXPECT_EQ(rd(0x40), 50u);
    // Offsets with nothing behind them read 0, also out of range.
    for (u32 off : {0x0Cu, 0x20u, 0x24u, 0x2Cu, 0x3Cu, 0x74u, 0x8Cu, 0xC0u, 0xFCu, 0x100u, 0xFFFFFFFCu})
        EXPECT_EQ(rd(off), 0u) << std::hex << off;
    w(0x100, 0x5555);  // outside the device: no store
    EXPECT_EQ(rd(0x40), 50u);
}

TEST_F(HitTest, RandomNumbersAdvanceOnlyOnTheirOffset) {
    EXPECT_EQ(rd(R_RANDOM), 0x3AF2u);
    rd(R_FLAGS);
    rd(0x2C);
    EXPECT_EQ(rd(R_RANDOM), 0x4FBEu);
    const u32 state = b->rng;
    w(R_RANDOM, 0x7777);  // sets an input, not the generator
    EXPECT_EQ(b->rng, state);
    EXPECT_EQ(rd(0x40), 0x7777u);
}

}  // namespace
