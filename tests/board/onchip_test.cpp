// The SH7604 on-chip peripherals driven directly through their register
// functions, on a zeroed board record (no ROM set, no SH-2 program).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "board/board.h"
#include "board/onchip.h"

namespace {

struct FreeBoard {
    void operator()(BoardState* b) const { std::free(b); }
};
using BoardPtr = std::unique_ptr<BoardState, FreeBoard>;

// A zeroed record with the on-chip state as a board reset leaves it.
BoardPtr make_board() {
    BoardPtr b(static_cast<BoardState*>(std::calloc(1, sizeof(BoardState))));
    b->frt_next = ~u64{0};
    b->cpu.onchip_level = -1;
    return b;
}

constexpr u32 TIER = 0xFFFFFE10;
constexpr u32 FTCSR = 0xFFFFFE11;
constexpr u32 FRC = 0xFFFFFE12;
constexpr u32 OCR = 0xFFFFFE14;
constexpr u32 TCR = 0xFFFFFE16;
constexpr u32 TOCR = 0xFFFFFE17;
constexpr u32 IPRB = 0xFFFFFE60;
constexpr u32 VCRC = 0xFFFFFE66;
constexpr u32 VCRD = 0xFFFFFE68;
constexpr u32 DVSR = 0xFFFFFF00;
constexpr u32 DVDNT = 0xFFFFFF04;
constexpr u32 DVCR = 0xFFFFFF08;
constexpr u32 VCRDIV = 0xFFFFFF0C;
constexpr u32 DVDNTH = 0xFFFFFF10;
constexpr u32 DVDNTL = 0xFFFFFF14;

constexpr u64 NO_EVENT = ~u64{0};

void w8(BoardState* b, u32 a, u32 v) { onchip_write(b, a, v, 1); }
void w16(BoardState* b, u32 a, u32 v) { onchip_write(b, a, v, 2); }
void w32(BoardState* b, u32 a, u32 v) { onchip_write(b, a, v, 4); }
u32 r32(BoardState* b, u32 a) { return onchip_read32(b, a); }

u16 read_frc(BoardState* b) {
    return static_cast<u16>(frt_read8(b, 0x12) << 8 | frt_read8(b, 0x13));
}

void set_ocra(BoardState* b, u16 v) {
    const u8 tocr = b->frt_tocr;
    w8(b, TOCR, tocr & ~0x10u);
    w16(b, OCR, v);
    w8(b, TOCR, tocr);
}

void set_ocrb(BoardState* b, u16 v) {
    const u8 tocr = b->frt_tocr;
    w8(b, TOCR, tocr | 0x10u);
    w16(b, OCR, v);
    w8(b, TOCR, tocr);
}

// Runs the timer's event the way the frame runner does once a slice ends.
void run_to(BoardState* b, u64 cycles) {
    b->cpu.cycles = cycles;
    if (b->cpu.cycles >= b->frt_next)
        frt_event(b);
}

// ---------------------------------------------------------------- division

TEST(DivisionUnit, Signed32By32TruncatesTowardZero) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 7);
    w32(b.get(), DVDNT, static_cast<u32>(-20));
    EXPECT_EQ(r32(b.get(), DVDNT), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), DVDNTL), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), 0xFFFFFF1C), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), DVDNTH), static_cast<u32>(-6));
    EXPECT_EQ(r32(b.get(), 0xFFFFFF18), static_cast<u32>(-6));
    EXPECT_EQ(r32(b.get(), DVSR), 7u);
    EXPECT_EQ(r32(b.get(), DVCR), 0u);

    w32(b.get(), DVSR, static_cast<u32>(-7));
    w32(b.get(), DVDNT, 20);
    EXPECT_EQ(r32(b.get(), DVDNT), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), DVDNTH), 6u);  // remainder takes the dividend's sign

    // The one quotient beyond INT32_MAX that is not an overflow's result.
    w32(b.get(), DVSR, static_cast<u32>(-1));
    w32(b.get(), DVDNT, 0x80000001);
    EXPECT_EQ(r32(b.get(), DVDNT), 0x7FFFFFFFu);
    EXPECT_EQ(r32(b.get(), DVDNTH), 0u);
    EXPECT_EQ(b->divu_ovf, 0);
}

TEST(DivisionUnit, Overflow32SaturatesAndSetsFlag) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 0);
    w32(b.get(), DVDNT, 5);
    EXPECT_EQ(r32(b.get(), DVCR), 1u);
    EXPECT_EQ(r32(b.get(), DVDNT), 0x7FFFFFFFu);
    EXPECT_EQ(r32(b.get(), DVDNTH), 0x7FFFFFFFu);

    w32(b.get(), DVCR, 1);
    ASSERT_EQ(r32(b.get(), DVCR), 0u);
    w32(b.get(), DVSR, static_cast<u32>(-1));
    w32(b.get(), DVDNT, 0x80000000);
    EXPECT_EQ(r32(b.get(), DVCR), 1u);
    EXPECT_EQ(r32(b.get(), DVDNT), 0x7FFFFFFFu);
    EXPECT_EQ(r32(b.get(), DVDNTH), 0x7FFFFFFFu);
}

TEST(DivisionUnit, Signed64By32) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 7);
    w32(b.get(), DVDNTH, 0xFFFFFFFF);
    w32(b.get(), DVDNTL, static_cast<u32>(-20));
    EXPECT_EQ(r32(b.get(), DVDNTL), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), DVDNT), static_cast<u32>(-2));
    EXPECT_EQ(r32(b.get(), DVDNTH), static_cast<u32>(-6));
    EXPECT_EQ(b->divu_ovf, 0);

    // A dividend wider than 32 bits whose quotient fits.
    w32(b.get(), DVSR, 3);
    w32(b.get(), DVDNTH, 1);
    w32(b.get(), DVDNTL, 1);  // 0x1_00000001 = 4294967297
    EXPECT_EQ(r32(b.get(), DVDNTL), 1431655765u);
    EXPECT_EQ(r32(b.get(), DVDNTH), 2u);
    EXPECT_EQ(b->divu_ovf, 0);

    // INT32_MIN is still a representable quotient.
    w32(b.get(), DVSR, 1);
    w32(b.get(), DVDNTH, 0xFFFFFFFF);
    w32(b.get(), DVDNTL, 0x80000000);
    EXPECT_EQ(r32(b.get(), DVDNTL), 0x80000000u);
    EXPECT_EQ(r32(b.get(), DVDNTH), 0u);
    EXPECT_EQ(b->divu_ovf, 0);
}

TEST(DivisionUnit, Overflow64ForZeroDivisorAndUnrepresentableQuotients) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 0);
    w32(b.get(), DVDNTL, 5);
    EXPECT_EQ(r32(b.get(), DVCR), 1u);
    EXPECT_EQ(r32(b.get(), DVDNT), 0x7FFFFFFFu);
    EXPECT_EQ(r32(b.get(), DVDNTH), 0x7FFFFFFFu);

    struct Case {
        u32 high, low, divisor;
    };
    const Case cases[] = {
        {1, 0, 1},                     // 2^32
        {0, 0x80000000, 1},            // 2^31, one past INT32_MAX
        {0xFFFFFFFF, 0x7FFFFFFF, 1},   // -2^31 - 1
        {0x80000000, 0, 0xFFFFFFFF},   // INT64_MIN / -1
        {0x80000000, 0, 1},            // INT64_MIN / 1
        {0x7FFFFFFF, 0xFFFFFFFF, 2},   // INT64_MAX / 2
    };
    for (const Case& c : cases) {
        w32(b.get(), DVCR, 1);
        w32(b.get(), DVSR, c.divisor);
        w32(b.get(), DVDNTH, c.high);
        w32(b.get(), DVDNTL, c.low);
        EXPECT_EQ(b->divu_ovf, 1) << std::hex << c.high << ":" << c.low << " / " << c.divisor;
        EXPECT_EQ(r32(b.get(), DVDNTL), 0x7FFFFFFFu);
        EXPECT_EQ(r32(b.get(), DVDNTH), 0x7FFFFFFFu);
    }
}

TEST(DivisionUnit, ControlRegisterFlagsClearByWritingOne) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 0);
    w32(b.get(), DVDNT, 1);
    ASSERT_EQ(b->divu_ovf, 1);

    w32(b.get(), DVCR, 0);
    EXPECT_EQ(r32(b.get(), DVCR), 1u);  // writing 0 leaves the flag set
    w32(b.get(), DVCR, 2);
    EXPECT_EQ(r32(b.get(), DVCR), 3u);  // enable set, flag still set
    w32(b.get(), DVCR, 1);
    EXPECT_EQ(r32(b.get(), DVCR), 2u);  // flag cleared
    w32(b.get(), DVCR, 0);
    EXPECT_EQ(r32(b.get(), DVCR), 2u);  // the enable is never cleared

    // A later successful division does not clear the flag either.
    w32(b.get(), DVDNT, 1);
    ASSERT_EQ(b->divu_ovf, 1);
    w32(b.get(), DVSR, 2);
    w32(b.get(), DVDNT, 9);
    EXPECT_EQ(r32(b.get(), DVDNT), 4u);
    EXPECT_EQ(r32(b.get(), DVCR), 3u);
}

TEST(DivisionUnit, NarrowWritesDivideTheWordAsItStands) {
    BoardPtr b = make_board();
    w32(b.get(), DVSR, 3);
    w32(b.get(), DVDNT, 9);
    EXPECT_EQ(r32(b.get(), DVDNT), 3u);

    w8(b.get(), DVDNT + 3, 0x0C);  // word now 0x0000000C
    EXPECT_EQ(r32(b.get(), DVDNT), 4u);
    w16(b.get(), DVDNT, 0x0001);   // word now 0x0001000C = 65548
    EXPECT_EQ(r32(b.get(), DVDNT), 21849u);
    EXPECT_EQ(r32(b.get(), DVDNTH), 1u);

    // The divisor itself may be written in halves.
    w16(b.get(), DVSR + 2, 0x0005);
    EXPECT_EQ(r32(b.get(), DVSR), 5u);
    w16(b.get(), DVSR, 0xFFFF);
    EXPECT_EQ(r32(b.get(), DVSR), 0xFFFF0005u);
}

TEST(OnchipRegisters, PlainStorageReadsBack) {
    BoardPtr b = make_board();
    w32(b.get(), VCRDIV, 0x12345678);
    EXPECT_EQ(r32(b.get(), VCRDIV), 0x12345678u);
    w16(b.get(), 0xFFFFFE92, 0xBEEF);
    w8(b.get(), 0xFFFFFE90, 0x11);
    EXPECT_EQ(r32(b.get(), 0xFFFFFE90), 0x1100BEEFu);
    EXPECT_EQ(b->onchip_regs[0x93], 0xEF);
    w32(b.get(), 0xFFFFFFFD, 0xA1B2C3D4);  // length 4 aligns down
    EXPECT_EQ(r32(b.get(), 0xFFFFFFFC), 0xA1B2C3D4u);
    w32(b.get(), IPRB, 0x0A000000);
    EXPECT_EQ(r32(b.get(), IPRB), 0x0A000000u);

    // A dividend written to DVDNT is kept in the image, but reads give the
    // quotient.
    w32(b.get(), DVSR, 2);
    w32(b.get(), DVDNT, 10);
    EXPECT_EQ(b->onchip_regs[0x107], 10);
    EXPECT_EQ(r32(b.get(), DVDNT), 5u);

    // The mirrors of DVDNTH and DVDNTL read the results but writing them
    // neither sets the high dividend word nor divides.
    w32(b.get(), 0xFFFFFF18, 0x11);
    w32(b.get(), 0xFFFFFF1C, 0x22);
    EXPECT_EQ(b->onchip_regs[0x11B], 0x11);
    EXPECT_EQ(r32(b.get(), 0xFFFFFF18), 0u);
    EXPECT_EQ(r32(b.get(), 0xFFFFFF1C), 5u);

    // Bytes behind the timer registers are stored but read as 0.
    w32(b.get(), 0xFFFFFE18, 0xFFFFFFFF);
    EXPECT_EQ(r32(b.get(), 0xFFFFFE18), 0u);
    EXPECT_EQ(frt_read8(b.get(), 0x18), 0);
}

// ---------------------------------------------------------------- timer

TEST(FreeRunningTimer, CountsAtEachClockSelectDroppingSubCountCycles) {
    struct Case {
        u8 tcr;
        u64 per;
    };
    for (const Case c : {Case{0, 8}, Case{1, 32}, Case{2, 128}}) {
        BoardPtr b = make_board();
        w8(b.get(), TCR, c.tcr);
        b->cpu.cycles = 6 * c.per - 1;
        EXPECT_EQ(read_frc(b.get()), 5) << "tcr " << int(c.tcr);
        // The per - 1 cycles below a count were dropped at that read, so
        // the sixth count needs a whole period more from there.
        b->cpu.cycles = 6 * c.per;
        EXPECT_EQ(read_frc(b.get()), 5);
        b->cpu.cycles = 7 * c.per - 2;
        EXPECT_EQ(read_frc(b.get()), 5);
        b->cpu.cycles = 7 * c.per - 1;
        EXPECT_EQ(read_frc(b.get()), 6);
    }
}

TEST(FreeRunningTimer, ExternalClockStopsTheCounter) {
    BoardPtr b = make_board();
    w16(b.get(), FRC, 0x1234);
    w8(b.get(), TCR, 3);
    EXPECT_EQ(b->frt_next, NO_EVENT);
    b->cpu.cycles = 100000;
    EXPECT_EQ(read_frc(b.get()), 0x1234);
    // Restarting counts from the moment of the restart.
    w8(b.get(), TCR, 0);
    b->cpu.cycles += 16;
    EXPECT_EQ(read_frc(b.get()), 0x1236);
}

TEST(FreeRunningTimer, CounterWrapsAndWritesByByte) {
    BoardPtr b = make_board();
    set_ocra(b.get(), 0x8000);
    set_ocrb(b.get(), 0x8000);
    w8(b.get(), FRC, 0xFF);
    w8(b.get(), FRC + 1, 0xFE);
    EXPECT_EQ(read_frc(b.get()), 0xFFFE);
    b->cpu.cycles = 8 * 5;
    EXPECT_EQ(read_frc(b.get()), 0x0003);
    // The overflow passed on the way was flagged.
    EXPECT_EQ(r32(b.get(), TIER), 0x00020003u);
}

TEST(FreeRunningTimer, OverflowAndBothComparesAtTheSameCount) {
    BoardPtr b = make_board();
    b->cpu.cycles = 1000;
    set_ocra(b.get(), 0);
    set_ocrb(b.get(), 0);
    w16(b.get(), FRC, 0xFFF0);
    w8(b.get(), TCR, 0);
    ASSERT_EQ(b->frt_next, 1000u + 128);
    EXPECT_EQ(b->frt_ftcsr, 0);

    run_to(b.get(), 1000 + 127);
    EXPECT_EQ(b->frt_ftcsr, 0);
    run_to(b.get(), 1000 + 128);
    EXPECT_EQ(b->frt_frc, 0);
    EXPECT_EQ(b->frt_ftcsr, 0x0E);  // OCFA, OCFB, OVF
    // Every flag is set, so nothing more is scheduled.
    EXPECT_EQ(b->frt_next, NO_EVENT);
}

TEST(FreeRunningTimer, CompareMatchClearsCounterAndSuppressesOverflow) {
    BoardPtr b = make_board();
    set_ocrb(b.get(), 0x8000);
    set_ocra(b.get(), 0x100);
    w8(b.get(), FTCSR, 0x01);  // CCLRA
    u64 now = 0;
    for (int round = 0; round < 300; ++round) {
        // OCRB lies above OCRA, so the next event is always compare A.
        ASSERT_EQ(b->frt_next, now + 0x100 * 8) << round;
        now = b->frt_next;
        run_to(b.get(), now);
        EXPECT_EQ(b->frt_frc, 0);
        EXPECT_EQ(b->frt_ftcsr, 0x09);  // OCFA and CCLRA, never OVF
        w8(b.get(), FTCSR, 0x01);
        EXPECT_EQ(b->frt_ftcsr, 0x01);
    }
    // More than a full counter period of counts passed, and no overflow was
    // ever scheduled or flagged.
    EXPECT_EQ(read_frc(b.get()), 0);
}

TEST(FreeRunningTimer, CompareBLeftOutWhenClearingOnAAboveB) {
    // With CCLRA set and OCRA above OCRB, compare B is not scheduled even
    // though the counter passes it on the way to OCRA.
    BoardPtr b = make_board();
    set_ocra(b.get(), 0x100);
    set_ocrb(b.get(), 0x80);
    w8(b.get(), FTCSR, 0x01);
    EXPECT_EQ(b->frt_next, 0x100u * 8);
    run_to(b.get(), 0x100 * 8);
    EXPECT_EQ(b->frt_ftcsr, 0x09);  // OCFA, no OCFB
    // OCFA now set: neither A, B nor overflow remains to schedule.
    EXPECT_EQ(b->frt_next, NO_EVENT);

    // Without CCLRA the same registers give compare B first.
    BoardPtr c = make_board();
    set_ocra(c.get(), 0x100);
    set_ocrb(c.get(), 0x80);
    EXPECT_EQ(c->frt_next, 0x80u * 8);
    run_to(c.get(), 0x80 * 8);
    EXPECT_EQ(c->frt_ftcsr, 0x04);
    EXPECT_EQ(c->frt_next, 0x100u * 8);
    run_to(c.get(), 0x100 * 8);
    EXPECT_EQ(c->frt_ftcsr, 0x0C);
    EXPECT_EQ(c->frt_next, 0x10000u * 8);  // the overflow
}

TEST(FreeRunningTimer, FlagsAreOnlyClearedByWritingZero) {
    BoardPtr b = make_board();
    b->frt_ftcsr = 0x8E;
    w8(b.get(), FTCSR, 0xFF);
    EXPECT_EQ(b->frt_ftcsr, 0xFF);  // flags kept, CCLRA and bits 4-6 taken
    w8(b.get(), FTCSR, 0xF7);
    EXPECT_EQ(b->frt_ftcsr, 0xF7);  // OCFA cleared alone
    w8(b.get(), FTCSR, 0x00);
    EXPECT_EQ(b->frt_ftcsr, 0x00);  // all four flags and CCLRA cleared
    w8(b.get(), FTCSR, 0x8E);
    EXPECT_EQ(b->frt_ftcsr, 0x00);  // writing 1 never sets a flag
}

TEST(FreeRunningTimer, WideWritesFillRegistersInOrder) {
    BoardPtr b = make_board();
    b->frt_ftcsr = 0x0E;
    w32(b.get(), TIER, 0x8E0FABCD);
    EXPECT_EQ(b->frt_tier, 0x8E);
    EXPECT_EQ(b->frt_ftcsr, 0x0F);
    EXPECT_EQ(b->frt_frc, 0xABCD);
    EXPECT_EQ(r32(b.get(), TIER), 0x8E0FABCDu);

    // The compare bytes go to the register TOCR selected before its own
    // byte arrives.
    w32(b.get(), OCR, 0x12340111);
    EXPECT_EQ(b->frt_ocra, 0x1234);
    EXPECT_EQ(b->frt_ocrb, 0);
    EXPECT_EQ(b->frt_tcr, 0x01);
    EXPECT_EQ(b->frt_tocr, 0x11);
    EXPECT_EQ(r32(b.get(), OCR), 0x000001F1u);  // OCRB selected now
    w16(b.get(), OCR + 2, 0xFFFF);
    EXPECT_EQ(b->frt_tcr, 0x83);
    EXPECT_EQ(b->frt_tocr, 0x13);
    EXPECT_EQ(frt_read8(b.get(), 0x16), 0x83);
    EXPECT_EQ(frt_read8(b.get(), 0x17), 0xF3);
    w16(b.get(), OCR, 0x5678);
    EXPECT_EQ(b->frt_ocrb, 0x5678);
    EXPECT_EQ(b->frt_ocra, 0x1234);
    EXPECT_EQ(frt_read8(b.get(), 0x14), 0x56);
    EXPECT_EQ(frt_read8(b.get(), 0x15), 0x78);

    // A 16-bit write aligns to the register pair.
    w16(b.get(), FRC + 1, 0x4321);
    EXPECT_EQ(b->frt_frc, 0x4321);
}

TEST(FreeRunningTimer, InterruptRequestTakesPriorityAndVector) {
    BoardPtr b = make_board();
    w16(b.get(), VCRC, 0x4142);  // input capture 0x41, compare 0x42
    w16(b.get(), VCRD, 0xC300);  // overflow 0x43 (bit 7 ignored)
    w8(b.get(), TIER, 0x8E);
    EXPECT_EQ(b->cpu.onchip_level, 0);  // posted as "no request"
    EXPECT_EQ(b->cpu.onchip_vector, 0xFFFFFFFFu);

    b->frt_ftcsr = 0x02;
    w16(b.get(), IPRB, 0x0A00);  // priority 10
    EXPECT_EQ(b->cpu.onchip_level, 10);
    EXPECT_EQ(b->cpu.onchip_vector, 0x43u);

    b->frt_ftcsr = 0x0A;  // OVF and OCFA: the compare vector wins
    w16(b.get(), IPRB, 0x0A00);
    EXPECT_EQ(b->cpu.onchip_vector, 0x42u);

    b->frt_ftcsr = 0x06;  // compare B counts as a compare match too
    w16(b.get(), IPRB, 0x0A00);
    EXPECT_EQ(b->cpu.onchip_vector, 0x42u);

    b->frt_ftcsr = 0x8E;  // input capture wins over both
    w16(b.get(), IPRB, 0x0A00);
    EXPECT_EQ(b->cpu.onchip_vector, 0x41u);

    // A flag whose enable is clear requests nothing.
    w8(b.get(), TIER, 0x02);
    w8(b.get(), FTCSR, 0x04);  // leaves only OCFB, which is disabled
    EXPECT_EQ(b->cpu.onchip_level, 0);
    EXPECT_EQ(b->cpu.onchip_vector, 0xFFFFFFFFu);

    // Priority 0 requests nothing whatever is flagged and enabled.
    b->frt_ftcsr = 0x02;
    w16(b.get(), IPRB, 0xF000);
    EXPECT_EQ(b->cpu.onchip_level, 0);
    EXPECT_EQ(b->cpu.onchip_vector, 0xFFFFFFFFu);
    w16(b.get(), IPRB, 0x0F00);
    EXPECT_EQ(b->cpu.onchip_level, 15);
}

TEST(FreeRunningTimer, CompareEventPostsAndFlagClearWithdrawsRequest) {
    BoardPtr b = make_board();
    w16(b.get(), IPRB, 0x0900);
    w16(b.get(), VCRC, 0x0064);
    w8(b.get(), TIER, 0x08);
    set_ocrb(b.get(), 0x8000);
    set_ocra(b.get(), 0x10);
    b->cpu.onchip_level = -1;  // as if the CPU had accepted an old request

    run_to(b.get(), 0x10 * 8);
    EXPECT_EQ(b->frt_ftcsr, 0x08);
    EXPECT_EQ(b->cpu.onchip_level, 9);
    EXPECT_EQ(b->cpu.onchip_vector, 0x64u);

    w8(b.get(), FTCSR, 0x00);
    EXPECT_EQ(b->cpu.onchip_level, 0);
    EXPECT_EQ(b->cpu.onchip_vector, 0xFFFFFFFFu);
}

TEST(FreeRunningTimer, EventScheduledInsideASliceIsServedAtItsCycle) {
    // A write schedules compare A 10 counts ahead, but the slice runs on to
    // cycle 1000: the match is still flagged, and the counter and the next
    // event carry on from the event's own cycle.
    BoardPtr b = make_board();
    set_ocrb(b.get(), 0x8000);
    set_ocra(b.get(), 10);
    ASSERT_EQ(b->frt_next, 80u);
    run_to(b.get(), 1000);
    EXPECT_EQ(b->frt_ftcsr, 0x08);
    EXPECT_EQ(b->frt_next, 80u + (0x8000u - 10) * 8);
    EXPECT_EQ(read_frc(b.get()), 125);  // 1000 / 8

    // Several events passed in one slice are all served, in order.
    BoardPtr c = make_board();
    set_ocrb(c.get(), 20);
    set_ocra(c.get(), 10);
    w8(c.get(), FTCSR, 0x01);  // CCLRA: OCRA below OCRB, so B stays in
    run_to(c.get(), 1000);
    // A at count 10 cleared the counter, B was then 20 counts further on.
    EXPECT_EQ(c->frt_ftcsr, 0x0D);
    EXPECT_EQ(c->frt_next, NO_EVENT);
    EXPECT_EQ(read_frc(c.get()), 115);  // (1000 - 80) / 8 since the clear
}

TEST(FreeRunningTimer, RegisterAccessCatchesUpWithAPassedEvent) {
    BoardPtr b = make_board();
    w16(b.get(), IPRB, 0x0500);
    w16(b.get(), VCRC, 0x0070);
    w8(b.get(), TIER, 0x08);
    set_ocrb(b.get(), 0x8000);
    set_ocra(b.get(), 10);
    w8(b.get(), FTCSR, 0x01);
    // The program reads the counter long after the match, before the slice
    // ends: the match is flagged and the counter was cleared at it.
    b->cpu.cycles = 200;
    EXPECT_EQ(read_frc(b.get()), 15);  // (200 - 80) / 8
    EXPECT_EQ(b->frt_ftcsr, 0x09);
    EXPECT_EQ(b->cpu.onchip_level, 5);
    EXPECT_EQ(b->cpu.onchip_vector, 0x70u);
}

TEST(FreeRunningTimer, OnTimeEventDropsTheOvershoot) {
    // The slice overran the event by 3 cycles, less than a count: the
    // counter is brought to the present and the next event is scheduled
    // from there.
    BoardPtr b = make_board();
    set_ocrb(b.get(), 30);
    set_ocra(b.get(), 10);
    run_to(b.get(), 83);
    EXPECT_EQ(b->frt_frc, 10);
    EXPECT_EQ(b->frt_ftcsr, 0x08);
    EXPECT_EQ(b->frt_last, 83u);
    EXPECT_EQ(b->frt_next, 83u + 20 * 8);
}

} // namespace
