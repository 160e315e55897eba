#include "board/onchip.h"

#include "board/big_endian.h"

#include <cstdint>

namespace {

// The timer's steps, used by the event, the register reads and the writes.
void frt_catch_up(BoardState* b);
void frt_schedule(BoardState* b);
void frt_update_irq(BoardState* b);

constexpr u32 FRT_NO_DISTANCE = 0xFFFFF;

// FTCSR bits.
constexpr u8 FTCSR_ICF = 0x80;
constexpr u8 FTCSR_OCFA = 0x08;
constexpr u8 FTCSR_OCFB = 0x04;
constexpr u8 FTCSR_OVF = 0x02;
constexpr u8 FTCSR_CCLRA = 0x01;

// TIER/FTCSR bits that can request an interrupt.
constexpr u8 FRT_IRQ_BITS = FTCSR_ICF | FTCSR_OCFA | FTCSR_OCFB | FTCSR_OVF;

// Offsets within the on-chip area.
constexpr u32 REG_IPRB = 0x060;
constexpr u32 REG_VCRC = 0x066;
constexpr u32 REG_VCRD = 0x068;
constexpr u32 REG_DVSR = 0x100;
constexpr u32 REG_DVDNT = 0x104;
constexpr u32 REG_DVCR = 0x108;
constexpr u32 REG_DVDNTH = 0x110;
constexpr u32 REG_DVDNTL = 0x114;
constexpr u32 REG_DVDNTH_MIRROR = 0x118;
constexpr u32 REG_DVDNTL_MIRROR = 0x11C;

// CPU cycles per timer count as a shift, by clock select. Select 3 is the
// external clock, which the board does not drive: the counter stands still.
constexpr unsigned FRT_SHIFT[4] = {3, 5, 7, 0};

bool frt_running(const BoardState* b) { return (b->frt_tcr & 3) != 3; }

unsigned frt_shift(const BoardState* b) { return FRT_SHIFT[b->frt_tcr & 3]; }

u16* frt_compare_reg(BoardState* b) { return (b->frt_tocr & 0x10) ? &b->frt_ocrb : &b->frt_ocra; }

// Next event measured from `now`: the nearest compare match or overflow
// that has not flagged yet.
void frt_schedule_from(BoardState* b, u64 now) {
    b->frt_next = FRT_NO_EVENT;
    const u8 f = b->frt_ftcsr;
    const u32 frc = b->frt_frc;
    u32 d = FRT_NO_DISTANCE;
    if (!(f & FTCSR_OCFA)) d = (u32{b->frt_ocra} - frc) & 0xFFFF;
    // Compare B is left out whenever CCLRA is set and OCRA lies above OCRB,
    // even though the counter passes OCRB on its way to OCRA.
    if (!(f & FTCSR_OCFB) && !((f & FTCSR_CCLRA) && b->frt_ocra > b->frt_ocrb)) {
        const u32 db = (u32{b->frt_ocrb} - frc) & 0xFFFF;
        if (db < d) d = db;
    }
    if (!(f & (FTCSR_OVF | FTCSR_CCLRA))) {
        const u32 dov = 0x10000 - frc;
        if (dov < d) d = dov;
    }
    if (d != FRT_NO_DISTANCE && frt_running(b)) {
        b->frt_last = now;
        b->frt_next = now + (u64{d} << frt_shift(b));
    }
}

// The flags that hold with the counter where it stands.
void frt_match(BoardState* b) {
    if (b->frt_frc == b->frt_ocrb) b->frt_ftcsr |= FTCSR_OCFB;
    if (b->frt_frc == 0) b->frt_ftcsr |= FTCSR_OVF;
    if (b->frt_frc == b->frt_ocra) {
        b->frt_ftcsr |= FTCSR_OCFA;
        if (b->frt_ftcsr & FTCSR_CCLRA) b->frt_frc = 0;
    }
}

// Counts from frt_last to the pending event. An event whose cycle lies
// before frt_last sits at the count the counter already shows.
u64 frt_counts_to_event(const BoardState* b) {
    if (b->frt_next < b->frt_last) return 0;
    return (b->frt_next - b->frt_last) >> frt_shift(b);
}

// An event is late when bringing the counter up to the present would carry
// it past the event's count. That happens when a register write inside a
// CPU slice scheduled the event before the slice's end, or when an
// instruction overran the event by a whole count.
bool frt_event_late(const BoardState* b) {
    if (b->frt_next == FRT_NO_EVENT || !frt_running(b)) return false;
    if (b->cpu.cycles < b->frt_next) return false;
    const u64 now_counts = (b->cpu.cycles - b->frt_last) >> frt_shift(b);
    return now_counts > frt_counts_to_event(b);
}

// Serve late events as of their own cycle, so that no compare match is
// skipped for a whole counter period. Each served event sets a flag that
// keeps it from being scheduled again, so a few rounds always suffice; the
// bound only guards against a record restored with inconsistent values.
void frt_serve_late(BoardState* b) {
    for (int round = 0; round < 8 && frt_event_late(b); ++round) {
        const u64 counts = frt_counts_to_event(b);
        const u64 at = b->frt_next > b->frt_last ? b->frt_next : b->frt_last;
        b->frt_frc = static_cast<u16>(b->frt_frc + counts);
        b->frt_last = at;
        frt_match(b);
        frt_update_irq(b);
        frt_schedule_from(b, at);
    }
}

void frt_write_byte(BoardState* b, u32 offset, u8 v) {
    frt_catch_up(b);
    switch (offset) {
    case 0x10: b->frt_tier = v; break;
    case 0x11:
        // The four flags can only be cleared (by writing 0); CCLRA and the
        // unused bits take the byte.
        b->frt_ftcsr = static_cast<u8>((v & 0x71) | (b->frt_ftcsr & v & 0x8E));
        break;
    case 0x12: b->frt_frc = static_cast<u16>((b->frt_frc & 0x00FF) | (v << 8)); break;
    case 0x13: b->frt_frc = static_cast<u16>((b->frt_frc & 0xFF00) | v); break;
    case 0x14: {
        u16* r = frt_compare_reg(b);
        *r = static_cast<u16>((*r & 0x00FF) | (v << 8));
        break;
    }
    case 0x15: {
        u16* r = frt_compare_reg(b);
        *r = static_cast<u16>((*r & 0xFF00) | v);
        break;
    }
    case 0x16: b->frt_tcr = v & 0x83; break;
    case 0x17: b->frt_tocr = v & 0x13; break;
    default: break;
    }
    frt_schedule(b);
    frt_update_irq(b);
}

// Signed 32/32 division of DVDNT by DVSR. Division by zero and the one
// quotient that does not fit (INT32_MIN / -1) set the overflow flag.
void divu_divide32(BoardState* b, u32 dividend) {
    const s32 n = static_cast<s32>(dividend);
    const s32 d = static_cast<s32>(b->divu_dvsr);
    if (d == 0 || (d == -1 && n == INT32_MIN)) {
        b->divu_ovf = 1;
        b->divu_quotient = 0x7FFFFFFF;
        b->divu_remainder = 0x7FFFFFFF;
        return;
    }
    b->divu_quotient = static_cast<u32>(n / d);
    b->divu_remainder = static_cast<u32>(n % d);
}

// Signed 64/32 division of DVDNTH:DVDNTL by DVSR. Any quotient outside the
// signed 32-bit range is an overflow, like a zero divisor.
void divu_divide64(BoardState* b, u32 low) {
    const s64 n = static_cast<s64>(u64{b->divu_remainder} << 32 | low);
    const s64 d = static_cast<s32>(b->divu_dvsr);
    bool overflow = d == 0 || (d == -1 && n == INT64_MIN);
    s64 q = 0;
    s64 r = 0;
    if (!overflow) {
        q = n / d;
        r = n % d;
        overflow = q < INT32_MIN || q > INT32_MAX;
    }
    if (overflow) {
        b->divu_ovf = 1;
        b->divu_quotient = 0x7FFFFFFF;
        b->divu_remainder = 0x7FFFFFFF;
        return;
    }
    b->divu_quotient = static_cast<u32>(q);
    b->divu_remainder = static_cast<u32>(r);
}

void frt_catch_up(BoardState* b) {
    frt_serve_late(b);
    // Cycles below one count are dropped each time the counter is brought
    // up to date.
    const u64 ticks = (b->cpu.cycles - b->frt_last) >> frt_shift(b);
    if (ticks != 0) {
        if (frt_running(b)) b->frt_frc = static_cast<u16>(b->frt_frc + ticks);
        b->frt_last = b->cpu.cycles;
    }
}

void frt_schedule(BoardState* b) { frt_schedule_from(b, b->cpu.cycles); }

void frt_update_irq(BoardState* b) {
    const u8 e = b->frt_tier & b->frt_ftcsr;
    const u8 priority = b->onchip_regs[REG_IPRB] & 0x0F;
    s32 level = 0;
    u32 vector = 0xFFFFFFFF;
    if ((e & FRT_IRQ_BITS) && priority != 0) {
        level = priority;
        if (e & FTCSR_ICF)
            vector = b->onchip_regs[REG_VCRC] & 0x7F;
        else if (e & (FTCSR_OCFA | FTCSR_OCFB))
            vector = b->onchip_regs[REG_VCRC + 1] & 0x7F;
        else
            vector = b->onchip_regs[REG_VCRD] & 0x7F;
    }
    sh2_set_onchip_irq(&b->cpu, level, vector);
}

}  // namespace

u64 frt_period_cycles(const BoardState* b) { return u64{0x10000} << frt_shift(b); }

void frt_event(BoardState* b) {
    frt_serve_late(b);
    // Nothing left to do when the due event was just served as of its cycle
    // and the next one lies ahead.
    if (b->frt_next == FRT_NO_EVENT || b->cpu.cycles < b->frt_next) return;
    frt_catch_up(b);
    frt_match(b);
    frt_update_irq(b);
    frt_schedule(b);
}

u8 frt_read8(BoardState* b, u32 offset) {
    switch (offset & 0x1FF) {
    case 0x10: return b->frt_tier;
    case 0x11: return b->frt_ftcsr;
    case 0x12: frt_catch_up(b); return static_cast<u8>(b->frt_frc >> 8);
    case 0x13: frt_catch_up(b); return static_cast<u8>(b->frt_frc);
    case 0x14: return static_cast<u8>(*frt_compare_reg(b) >> 8);
    case 0x15: return static_cast<u8>(*frt_compare_reg(b));
    case 0x16: return b->frt_tcr & 0x83;
    case 0x17: return static_cast<u8>((b->frt_tocr & 0x13) | 0xE0);
    default: return 0;
    }
}

u32 onchip_read32(BoardState* b, u32 address) {
    const u32 reg = address & 0x1FC;
    switch (reg) {
    case REG_DVSR: return b->divu_dvsr;
    case REG_DVDNT:
    case REG_DVDNTL:
    case REG_DVDNTL_MIRROR: return b->divu_quotient;
    case REG_DVCR: return u32{b->divu_ovf} | u32{b->divu_ovfie} << 1;
    case REG_DVDNTH:
    case REG_DVDNTH_MIRROR: return b->divu_remainder;
    case 0x010:
    case 0x014:
    case 0x018:
        return u32{frt_read8(b, reg)} << 24 | u32{frt_read8(b, reg + 1)} << 16 | u32{frt_read8(b, reg + 2)} << 8 |
               u32{frt_read8(b, reg + 3)};
    default: return be_load(&b->onchip_regs[reg], 4);
    }
}

void onchip_write(BoardState* b, u32 address, u32 value, int length) {
    if (length != 1 && length != 2 && length != 4) return;

    if ((address & 0x1F8) == 0x010) {
        u32 offset = length == 4 ? (address & 0x14) : length == 2 ? (address & 0x16) : (address & 0x1FF);
        for (int i = length - 1; i >= 0; --i, ++offset) frt_write_byte(b, offset, static_cast<u8>(value >> (8 * i)));
        return;
    }

    const u32 start = length == 4 ? (address & 0x1FC) : length == 2 ? (address & 0x1FE) : (address & 0x1FF);
    be_store(&b->onchip_regs[start], value, length);

    const u32 reg = address & 0x1FC;
    const u32 w = be_load(&b->onchip_regs[reg], 4);
    switch (reg) {
    case REG_DVSR: b->divu_dvsr = w; break;
    case REG_DVDNT: divu_divide32(b, w); break;
    case REG_DVCR:
        // Writing 1 to the overflow flag clears it; the interrupt enable,
        // once set, stays set until reset.
        if (w & 1) b->divu_ovf = 0;
        if (w & 2) b->divu_ovfie = 1;
        break;
    case REG_DVDNTH: b->divu_remainder = w; break;
    case REG_DVDNTL: divu_divide64(b, w); break;
    case REG_IPRB:
    case 0x064:
    case REG_VCRD: frt_update_irq(b); break;
    default: break;
    }
}
