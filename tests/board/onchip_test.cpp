// The SH7604 on-chip peripherals driven through their register functions, on a zeroed board record (no ROM set, no SH-2
// program).
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/board.h"
#include "board/onchip.h"

namespace {

constexpr u32 TIER = 0xFFFFFE10, FTCSR = 0xFFFFFE11, FRC = 0xFFFFFE12, OCR = 0xFFFFFE14, TCR = 0xFFFFFE16,
              TOCR = 0xFFFFFE17, IPRB = 0xFFFFFE60, VCRC = 0xFFFFFE66, VCRD = 0xFFFFFE68;
constexpr u32 DVSR = 0xFFFFFF00, DVDNT = 0xFFFFFF04, DVCR = 0xFFFFFF08, DVDNTH = 0xFFFFFF10, DVDNTL = 0xFFFFFF14;
constexpr u64 NO_EVENT = ~u64{0};

struct Onchip : ::testing::Test {
    BoardState* b = nullptr;
    void SetUp() override { fresh(); }
    void TearDown() override { std::free(b); }
    // A zeroed record with the on-chip state as a board reset leaves it.
    void fresh() {
        std::free(b);
        b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
        b->frt_next = NO_EVENT, b->cpu.onchip_level = -1;
    }
    void w8(u32 a, u32 v) { onchip_write(b, a, v, 1); }
    void w16(u32 a, u32 v) { onchip_write(b, a, v, 2); }
    void w32(u32 a, u32 v) { onchip_write(b, a, v, 4); }
    u32 r32(u32 a) { return onchip_read32(b, a); }
    u16 frc() { return u16(frt_read8(b, 0x12) << 8 | frt_read8(b, 0x13)); }
    // Sets OCRB then OCRA through the TOCR select bit, and CCLRA if asked.
    void compares(u16 a, u16 bv, bool cclra = false) {
        const u8 tocr = b->frt_tocr;
        w8(TOCR, tocr | 0x10u), w16(OCR, bv);
        w8(TOCR, tocr & ~0x10u), w16(OCR, a);
        w8(TOCR, tocr);
        if (cclra) w8(FTCSR, 0x01);
    }
    void compare_a_interrupt(int level, u32 vector) { w16(IPRB, u32(level) << 8), w16(VCRC, vector), w8(TIER, 0x08); }
    // Runs the timer's event the way the frame runner does once a slice ends.
    void run_to(u64 cycles) {
        b->cpu.cycles = cycles;
        if (b->cpu.cycles >= b->frt_next) frt_event(b);
    }
    void expect_timer(u8 ftcsr, u64 next) {
        EXPECT_EQ(b->frt_ftcsr, ftcsr);
        EXPECT_EQ(b->frt_next, next);
    }
    void expect_request(int level, u32 vector) {
        EXPECT_EQ(b->cpu.onchip_level, level);
        EXPECT_EQ(b->cpu.onchip_vector, vector);
    }
};

// ---------------------------------------------------------------- division

TEST_F(Onchip, DivisionTruncatesTowardZeroAndSaturatesOnOverflow) {
    constexpr u32 SAT = 0x7FFFFFFF;
    // wide: 64-by-32 through DVDNTH:DVDNTL, else 32-by-32 through DVDNT.
    struct Case {
        bool wide;
        u32 high, low, divisor, quotient, remainder;
        u8 overflow;
    };
    const Case cases[] = {
        {false, 0, u32(-20), 7, u32(-2), u32(-6), 0},
        {false, 0, 20, u32(-7), u32(-2), 6, 0},  // remainder takes the dividend's sign
        {false, 0, 0x80000001, u32(-1), SAT, 0, 0},
        {false, 0, 5, 0, SAT, SAT, 1},
        {false, 0, 0x80000000, u32(-1), SAT, SAT, 1},
        {true, 0xFFFFFFFF, u32(-20), 7, u32(-2), u32(-6), 0},
        {true, 1, 1, 3, 1431655765, 2, 0},                    // dividend wider than 32 bits
        {true, 0xFFFFFFFF, 0x80000000, 1, 0x80000000, 0, 0},  // INT32_MIN still fits
        {true, 0, 5, 0, SAT, SAT, 1},
        {true, 1, 0, 1, SAT, SAT, 1},                    // 2^32
        {true, 0, 0x80000000, 1, SAT, SAT, 1},           // one past INT32_MAX
        {true, 0xFFFFFFFF, 0x7FFFFFFF, 1, SAT, SAT, 1},  // -2^31 - 1
        {true, 0x80000000, 0, 0xFFFFFFFF, SAT, SAT, 1},  // INT64_MIN / -1
        {true, 0x80000000, 0, 1, SAT, SAT, 1},
        {true, 0x7FFFFFFF, 0xFFFFFFFF, 2, SAT, SAT, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.high << ":" << c.low << " / " << c.divisor);
        w32(DVCR, 1);
        w32(DVSR, c.divisor);
        if (c.wide) w32(DVDNTH, c.high);
        w32(c.wide ? DVDNTL : DVDNT, c.low);
        EXPECT_EQ(r32(DVCR), c.overflow);
        EXPECT_EQ(r32(DVSR), c.divisor);
        for (u32 a : {DVDNT, DVDNTL, 0xFFFFFF1Cu}) EXPECT_EQ(r32(a), c.quotient) << std::hex << a;
        for (u32 a : {DVDNTH, 0xFFFFFF18u}) EXPECT_EQ(r32(a), c.remainder) << std::hex << a;
    }
}

TEST_F(Onchip, DivisionFlagClearsOnlyByWritingOneAndNarrowWritesDivide) {
    w32(DVSR, 0);
    w32(DVDNT, 1);
    // Writing 0 leaves the flag set, 1 clears it; the enable is never cleared.
    for (const auto& [write, read] : {std::pair{0u, 1u}, {2u, 3u}, {1u, 2u}, {0u, 2u}}) {
        w32(DVCR, write);
        EXPECT_EQ(r32(DVCR), read) << write;
    }
    w32(DVDNT, 1);
    w32(DVSR, 2);
    w32(DVDNT, 9);  // a successful division does not clear the flag either
    EXPECT_EQ(r32(DVDNT), 4u);
    EXPECT_EQ(r32(DVCR), 3u);
    // Byte and halfword writes divide the word as it then stands.
    w32(DVSR, 3);
    w8(DVDNT + 3, 0x0C);
    EXPECT_EQ(r32(DVDNT), 4u);
    w16(DVDNT, 0x0001);  // 0x0001000C = 65548
    EXPECT_EQ(r32(DVDNT), 21849u);
    EXPECT_EQ(r32(DVDNTH), 1u);
}

// The dividend stays in the image while DVDNT reads the quotient; writing the result mirrors stores but never divides.
TEST_F(Onchip, DivisionImageKeepsTheDividendAndMirrorsAreReadOnly) {
    w32(DVSR, 2);
    w32(DVDNT, 10);
    w32(0xFFFFFF18, 0x11);
    w32(0xFFFFFF1C, 0x22);
    EXPECT_EQ(b->onchip_regs[0x107], 10);
    EXPECT_EQ(b->onchip_regs[0x11B], 0x11);
    EXPECT_EQ(r32(0xFFFFFF18), 0u);
    EXPECT_EQ(r32(0xFFFFFF1C), 5u);
    w32(0xFFFFFFFD, 0xA1B2C3D4);  // length 4 aligns down
    EXPECT_EQ(r32(0xFFFFFFFC), 0xA1B2C3D4u);
}

// ---------------------------------------------------------------- timer

TEST_F(Onchip, TimerCountsAtEachClockSelectDroppingSubCountCycles) {
    for (const u64 per : {8, 32, 128}) {
        fresh();
        w8(TCR, per == 8 ? 0 : per == 32 ? 1 : 2);
        // The cycles below a count are dropped at each read, so the sixth count needs a whole period more from the
        // first read.
        const u64 at[3] = {6 * per - 1, 7 * per - 2, 7 * per - 1};
        for (int i = 0; i < 3; i++) {
            b->cpu.cycles = at[i];
            EXPECT_EQ(frc(), i < 2 ? 5 : 6) << per << " at " << at[i];
        }
    }
    // The external clock stops the counter; a restart counts from then.
    w16(FRC, 0x1234);
    w8(TCR, 3);
    EXPECT_EQ(b->frt_next, NO_EVENT);
    b->cpu.cycles = 100000;
    EXPECT_EQ(frc(), 0x1234);
    w8(TCR, 0);
    b->cpu.cycles += 16;
    EXPECT_EQ(frc(), 0x1236);
}

TEST_F(Onchip, TimerWrapsAndFlagsOverflowAndBothComparesAtOneCount) {
    compares(0x8000, 0x8000);
    w8(FRC, 0xFF), w8(FRC + 1, 0xFE);
    EXPECT_EQ(frc(), 0xFFFE);
    b->cpu.cycles = 8 * 5;
    EXPECT_EQ(frc(), 0x0003);
    EXPECT_EQ(r32(TIER), 0x00020003u);  // the overflow passed on the way
    fresh();
    b->cpu.cycles = 1000;
    compares(0, 0);
    w16(FRC, 0xFFF0);
    w8(TCR, 0);
    ASSERT_EQ(b->frt_next, 1000u + 128);
    run_to(1000 + 127);
    EXPECT_EQ(b->frt_ftcsr, 0);
    run_to(1000 + 128);
    EXPECT_EQ(b->frt_frc, 0);
    expect_timer(0x0E, NO_EVENT);  // OCFA, OCFB, OVF: nothing left to schedule
}

TEST_F(Onchip, CompareMatchClearsCounterAndSuppressesOverflow) {
    compares(0x100, 0x8000, true);
    for (u64 round = 1; round <= 300; ++round) {
        ASSERT_EQ(b->frt_next, round * 0x100 * 8) << round;  // OCRB above OCRA: always A next
        run_to(b->frt_next);
        EXPECT_EQ(b->frt_frc, 0);
        EXPECT_EQ(b->frt_ftcsr, 0x09);  // OCFA and CCLRA, never OVF
        w8(FTCSR, 0x01);
    }
    EXPECT_EQ(frc(), 0);
}

// Events passed inside a slice are served as of their own cycle, in order; an on-time event drops the overshoot below a
// count. With CCLRA and OCRA above OCRB, compare B is never scheduled though the counter passes it.
TEST_F(Onchip, CompareEventsAreServedAtTheirCycle) {
    struct Case {
        u16 ocra, ocrb;
        bool cclra;
        u64 run;
        u8 ftcsr;
        u64 next;
        u16 frc;
    };
    const Case cases[] = {
        {0x100, 0x80, true, 0x800, 0x09, NO_EVENT, 0},
        {0x100, 0x80, false, 0x400, 0x04, 0x800, 0x80},
        {0x100, 0x80, false, 0x800, 0x0C, 0x80000, 0x100},  // then the overflow
        {10, 0x8000, false, 1000, 0x08, 80 + (0x8000 - 10) * 8, 125},
        {10, 20, true, 1000, 0x0D, NO_EVENT, 115},  // B 20 counts after A's clear
        {10, 30, false, 83, 0x08, 83 + 20 * 8, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.ocra << " " << c.ocrb << " " << c.cclra << " to " << c.run);
        fresh();
        compares(c.ocra, c.ocrb, c.cclra);
        run_to(c.run);
        expect_timer(c.ftcsr, c.next);
        EXPECT_EQ(frc(), c.frc);
    }
}

TEST_F(Onchip, TimerFlagsClearOnlyByWritingZeroAndWideWritesFillInOrder) {
    b->frt_ftcsr = 0x8E;
    for (const auto& [write, read] : {std::pair{0xFF, 0xFF}, {0xF7, 0xF7}, {0x00, 0x00}, {0x8E, 0x00}}) {
        w8(FTCSR, u32(write));
        EXPECT_EQ(b->frt_ftcsr, read) << std::hex << write;  // writing 1 never sets a flag
    }
    b->frt_ftcsr = 0x0E;
    w32(TIER, 0x8E0FABCD);
    EXPECT_EQ(b->frt_frc, 0xABCD);
    EXPECT_EQ(r32(TIER), 0x8E0FABCDu);
    // The compare bytes go to the register TOCR selected before its own byte.
    w32(OCR, 0x12340111);
    EXPECT_EQ(b->frt_ocrb, 0);
    EXPECT_EQ(r32(OCR), 0x000001F1u);  // OCRB selected now
    w16(OCR + 2, 0xFFFF);
    EXPECT_EQ(b->frt_tcr, 0x83);
    EXPECT_EQ(frt_read8(b, 0x17), 0xF3);
    w16(OCR, 0x5678);
    EXPECT_EQ(b->frt_ocrb, 0x5678);
    EXPECT_EQ(b->frt_ocra, 0x1234);
    w16(FRC + 1, 0x4321);  // a 16-bit write aligns to the register pair
    EXPECT_EQ(b->frt_frc, 0x4321);
}

TEST_F(Onchip, InterruptRequestTakesPriorityAndVector) {
    w16(VCRC, 0x4142);  // input capture 0x41, compare 0x42
    w16(VCRD, 0xC300);  // overflow 0x43 (bit 7 ignored)
    w8(TIER, 0x8E);
    expect_request(0, 0xFFFFFFFF);  // posted as "no request"
    // Input capture wins over compares (A or B), compares over overflow.
    const std::pair<u8, u32> cases[] = {{0x02, 0x43}, {0x0A, 0x42}, {0x06, 0x42}, {0x8E, 0x41}};
    for (const auto& [flags, vector] : cases) {
        b->frt_ftcsr = flags;
        w16(IPRB, 0x0A00);
        expect_request(10, vector);
    }
    w8(TIER, 0x02);
    w8(FTCSR, 0x04);  // leaves only OCFB, whose enable is clear
    expect_request(0, 0xFFFFFFFF);
    b->frt_ftcsr = 0x02;
    w16(IPRB, 0xF000);  // priority 0 requests nothing
    expect_request(0, 0xFFFFFFFF);
}

TEST_F(Onchip, CompareEventPostsAndFlagClearWithdrawsRequest) {
    compare_a_interrupt(9, 0x64);
    compares(0x10, 0x8000);
    b->cpu.onchip_level = -1;  // as if the CPU had accepted an old request
    run_to(0x10 * 8);
    EXPECT_EQ(b->frt_ftcsr, 0x08);
    expect_request(9, 0x64);
    w8(FTCSR, 0x00);
    expect_request(0, 0xFFFFFFFF);
    // A register access after a match, before the slice ends, catches up.
    fresh();
    compare_a_interrupt(5, 0x70);
    compares(10, 0x8000, true);
    b->cpu.cycles = 200;
    EXPECT_EQ(frc(), 15);  // (200 - 80) / 8
    EXPECT_EQ(b->frt_ftcsr, 0x09);
    expect_request(5, 0x70);
}

}  // namespace
