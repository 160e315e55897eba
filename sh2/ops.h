// The semantic operations of the plain SH-2 instructions, one per
// operation type of the decode table, and the dispatch over them. Each
// operation adds the cycles its instruction costs beyond the 1 that the
// step charges for every instruction. Private to the runtime: included by
// the step and the run loop so that the whole dispatch inlines into the
// interpreter loop.
#pragma once

#include "sh2/interpreter.h"

#define SH2_INLINE __attribute__((always_inline)) inline

namespace sh2_ops {

SH2_INLINE u32 sext8(u32 v) { return u32(s32(s8(u8(v)))); }
SH2_INLINE u32 sext16(u32 v) { return u32(s32(s16(u16(v)))); }
SH2_INLINE u32 t_of(const Sh2State* c) { return c->sr & SH2_SR_T; }
SH2_INLINE void set_t(Sh2State* c, bool t) { c->sr = (c->sr & ~SH2_SR_T) | u32(t); }
SH2_INLINE u32 q_of(const Sh2State* c) { return (c->sr >> 8) & 1; }
SH2_INLINE u32 m_of(const Sh2State* c) { return (c->sr >> 9) & 1; }
SH2_INLINE void set_q(Sh2State* c, u32 q) { c->sr = (c->sr & ~SH2_SR_Q) | (q << 8); }
SH2_INLINE void set_m(Sh2State* c, u32 m) { c->sr = (c->sr & ~SH2_SR_M) | (m << 9); }

// --- data transfer -------------------------------------------------------

// Stores through an address formed from registers: the address is noted
// in last_ea before the access.
SH2_INLINE void store8(Sh2State* c, u32 address, u32 v) {
    c->last_ea = address;
    sh2_write8(address, v & 0xFF);
}
SH2_INLINE void store16(Sh2State* c, u32 address, u32 v) {
    c->last_ea = address;
    sh2_write16(address, v & 0xFFFF);
}
SH2_INLINE void store32(Sh2State* c, u32 address, u32 v) {
    c->last_ea = address;
    sh2_write32(address, v);
}
SH2_INLINE u32 load8(Sh2State* c, u32 address) {
    c->last_ea = address;
    return sext8(sh2_read8(address));
}
SH2_INLINE u32 load16(Sh2State* c, u32 address) {
    c->last_ea = address;
    return sext16(sh2_read16(address));
}
SH2_INLINE u32 load32(Sh2State* c, u32 address) {
    c->last_ea = address;
    return sh2_read32(address);
}

// MOV.x Rm,@(R0,Rn) (types 2-4)
SH2_INLINE void op_movb_s0(Sh2State* c, u32 m, u32 n) { store8(c, c->r[0] + c->r[n], c->r[m]); }
SH2_INLINE void op_movw_s0(Sh2State* c, u32 m, u32 n) { store16(c, c->r[0] + c->r[n], c->r[m]); }
SH2_INLINE void op_movl_s0(Sh2State* c, u32 m, u32 n) { store32(c, c->r[0] + c->r[n], c->r[m]); }
// MOV.x @(R0,Rm),Rn (types 9-11)
SH2_INLINE void op_movb_l0(Sh2State* c, u32 m, u32 n) { c->r[n] = load8(c, c->r[0] + c->r[m]); }
SH2_INLINE void op_movw_l0(Sh2State* c, u32 m, u32 n) { c->r[n] = load16(c, c->r[0] + c->r[m]); }
SH2_INLINE void op_movl_l0(Sh2State* c, u32 m, u32 n) { c->r[n] = load32(c, c->r[0] + c->r[m]); }
// MOV.L Rm,@(disp,Rn) and MOV.L @(disp,Rm),Rn (types 21, 88)
SH2_INLINE void op_movl_s4(Sh2State* c, u32 m, u32 d, u32 n) { store32(c, c->r[n] + 4 * d, c->r[m]); }
SH2_INLINE void op_movl_l4(Sh2State* c, u32 m, u32 d, u32 n) { c->r[n] = load32(c, c->r[m] + 4 * d); }
// MOV.x Rm,@Rn (types 22-24)
SH2_INLINE void op_movb_s(Sh2State* c, u32 m, u32 n) { store8(c, c->r[n], c->r[m]); }
SH2_INLINE void op_movw_s(Sh2State* c, u32 m, u32 n) { store16(c, c->r[n], c->r[m]); }
SH2_INLINE void op_movl_s(Sh2State* c, u32 m, u32 n) { store32(c, c->r[n], c->r[m]); }
// MOV.x Rm,@-Rn (types 25-27): the value is taken before Rn moves, so with
// m == n the old Rn is stored. last_ea is left alone.
SH2_INLINE void op_movb_m(Sh2State* c, u32 m, u32 n) {
    u32 v = c->r[m] & 0xFF;
    c->r[n] -= 1;
    sh2_write8(c->r[n], v);
}
SH2_INLINE void op_movw_m(Sh2State* c, u32 m, u32 n) {
    u32 v = c->r[m] & 0xFFFF;
    c->r[n] -= 2;
    sh2_write16(c->r[n], v);
}
SH2_INLINE void op_movl_m(Sh2State* c, u32 m, u32 n) {
    u32 v = c->r[m];
    c->r[n] -= 4;
    sh2_write32(c->r[n], v);
}
// MOV.x @Rm,Rn (types 89-91)
SH2_INLINE void op_movb_l(Sh2State* c, u32 m, u32 n) { c->r[n] = load8(c, c->r[m]); }
SH2_INLINE void op_movw_l(Sh2State* c, u32 m, u32 n) { c->r[n] = load16(c, c->r[m]); }
SH2_INLINE void op_movl_l(Sh2State* c, u32 m, u32 n) { c->r[n] = load32(c, c->r[m]); }
// MOV.x @Rm+,Rn (types 93-95): with m == n the register keeps the loaded
// value. last_ea is left alone.
SH2_INLINE void op_movb_p(Sh2State* c, u32 m, u32 n) {
    u32 v = sext8(sh2_read8(c->r[m]));
    if (m != n) c->r[m] += 1;
    c->r[n] = v;
}
SH2_INLINE void op_movw_p(Sh2State* c, u32 m, u32 n) {
    u32 v = sext16(sh2_read16(c->r[m]));
    if (m != n) c->r[m] += 2;
    c->r[n] = v;
}
SH2_INLINE void op_movl_p(Sh2State* c, u32 m, u32 n) {
    u32 v = sh2_read32(c->r[m]);
    if (m != n) c->r[m] += 4;
    c->r[n] = v;
}
SH2_INLINE void op_mov(Sh2State* c, u32 m, u32 n) { c->r[n] = c->r[m]; }
SH2_INLINE void op_mov_imm(Sh2State* c, u32 i, u32 n) { c->r[n] = sext8(i); }
// MOV.x R0,@(disp,Rn) and MOV.x @(disp,Rm),R0 (types 106-109)
SH2_INLINE void op_movb_s4(Sh2State* c, u32 d, u32 n) { store8(c, c->r[n] + d, c->r[0]); }
SH2_INLINE void op_movw_s4(Sh2State* c, u32 d, u32 n) { store16(c, c->r[n] + 2 * d, c->r[0]); }
SH2_INLINE void op_movb_l4(Sh2State* c, u32 m, u32 d) { c->r[0] = load8(c, c->r[m] + d); }
SH2_INLINE void op_movw_l4(Sh2State* c, u32 m, u32 d) { c->r[0] = load16(c, c->r[m] + 2 * d); }
// PC-relative forms (types 111, 118, 127): c->pc holds the instruction's
// address + 2 here (the branch's address + 4 in a delay slot).
SH2_INLINE void op_movw_pc(Sh2State* c, u32 i, u32 n) { c->r[n] = load16(c, c->pc + 2 + 2 * i); }
SH2_INLINE void op_movl_pc(Sh2State* c, u32 i, u32 n) { c->r[n] = load32(c, ((c->pc + 2) & ~3u) + 4 * i); }
SH2_INLINE void op_mova(Sh2State* c, u32 i) {
    u32 address = ((c->pc + 2) & ~3u) + 4 * i;
    c->last_ea = address;
    c->r[0] = address;
}
// GBR-relative forms (types 112-117)
SH2_INLINE void op_movb_sg(Sh2State* c, u32 i) { store8(c, c->gbr + i, c->r[0]); }
SH2_INLINE void op_movw_sg(Sh2State* c, u32 i) { store16(c, c->gbr + 2 * i, c->r[0]); }
SH2_INLINE void op_movl_sg(Sh2State* c, u32 i) { store32(c, c->gbr + 4 * i, c->r[0]); }
SH2_INLINE void op_movb_lg(Sh2State* c, u32 i) { c->r[0] = load8(c, c->gbr + i); }
SH2_INLINE void op_movw_lg(Sh2State* c, u32 i) { c->r[0] = load16(c, c->gbr + 2 * i); }
SH2_INLINE void op_movl_lg(Sh2State* c, u32 i) { c->r[0] = load32(c, c->gbr + 4 * i); }
SH2_INLINE void op_movt(Sh2State* c, u32 n) { c->r[n] = t_of(c); }
SH2_INLINE void op_swapb(Sh2State* c, u32 m, u32 n) {
    u32 v = c->r[m];
    c->r[n] = (v & 0xFFFF0000u) | ((v & 0xFF) << 8) | ((v >> 8) & 0xFF);
}
SH2_INLINE void op_swapw(Sh2State* c, u32 m, u32 n) {
    u32 v = c->r[m];
    c->r[n] = (v << 16) | (v >> 16);
}
SH2_INLINE void op_xtrct(Sh2State* c, u32 m, u32 n) { c->r[n] = (c->r[m] << 16) | (c->r[n] >> 16); }

// --- arithmetic ------------------------------------------------------------

SH2_INLINE void op_add(Sh2State* c, u32 m, u32 n) { c->r[n] += c->r[m]; }
SH2_INLINE void op_add_imm(Sh2State* c, u32 i, u32 n) { c->r[n] += sext8(i); }
SH2_INLINE void op_addc(Sh2State* c, u32 m, u32 n) {
    u32 rn = c->r[n], rm = c->r[m];
    u32 sum = rn + rm;
    u32 result = sum + t_of(c);
    c->r[n] = result;
    set_t(c, sum < rn || result < sum);
}
SH2_INLINE void op_addv(Sh2State* c, u32 m, u32 n) {
    u32 rn = c->r[n], rm = c->r[m];
    u32 result = rn + rm;
    c->r[n] = result;
    set_t(c, ((rn ^ result) & (rm ^ result)) >> 31);
}
SH2_INLINE void op_sub(Sh2State* c, u32 m, u32 n) { c->r[n] -= c->r[m]; }
SH2_INLINE void op_subc(Sh2State* c, u32 m, u32 n) {
    u32 rn = c->r[n], rm = c->r[m];
    u32 diff = rn - rm;
    u32 result = diff - t_of(c);
    c->r[n] = result;
    set_t(c, rn < rm || diff < result);
}
SH2_INLINE void op_subv(Sh2State* c, u32 m, u32 n) {
    u32 rn = c->r[n], rm = c->r[m];
    u32 result = rn - rm;
    c->r[n] = result;
    set_t(c, ((rn ^ rm) & (rn ^ result)) >> 31);
}
SH2_INLINE void op_neg(Sh2State* c, u32 m, u32 n) { c->r[n] = 0u - c->r[m]; }
// The borrow of 0 - Rm - T: set when Rm is not 0, else T is kept.
SH2_INLINE void op_negc(Sh2State* c, u32 m, u32 n) {
    u32 rm = c->r[m];
    u32 t = t_of(c);
    c->r[n] = 0u - rm - t;
    set_t(c, rm != 0 || t != 0);
}
SH2_INLINE void op_dt(Sh2State* c, u32 n) {
    c->r[n] -= 1;
    set_t(c, c->r[n] == 0);
}
SH2_INLINE void op_exts_b(Sh2State* c, u32 m, u32 n) { c->r[n] = sext8(c->r[m]); }
SH2_INLINE void op_exts_w(Sh2State* c, u32 m, u32 n) { c->r[n] = sext16(c->r[m]); }
SH2_INLINE void op_extu_b(Sh2State* c, u32 m, u32 n) { c->r[n] = c->r[m] & 0xFF; }
SH2_INLINE void op_extu_w(Sh2State* c, u32 m, u32 n) { c->r[n] = c->r[m] & 0xFFFF; }

// --- compare ---------------------------------------------------------------

SH2_INLINE void op_cmp_eq(Sh2State* c, u32 m, u32 n) { set_t(c, c->r[n] == c->r[m]); }
SH2_INLINE void op_cmp_hs(Sh2State* c, u32 m, u32 n) { set_t(c, c->r[n] >= c->r[m]); }
SH2_INLINE void op_cmp_ge(Sh2State* c, u32 m, u32 n) { set_t(c, s32(c->r[n]) >= s32(c->r[m])); }
SH2_INLINE void op_cmp_hi(Sh2State* c, u32 m, u32 n) { set_t(c, c->r[n] > c->r[m]); }
SH2_INLINE void op_cmp_gt(Sh2State* c, u32 m, u32 n) { set_t(c, s32(c->r[n]) > s32(c->r[m])); }
SH2_INLINE void op_cmp_pz(Sh2State* c, u32 n) { set_t(c, s32(c->r[n]) >= 0); }
SH2_INLINE void op_cmp_pl(Sh2State* c, u32 n) { set_t(c, s32(c->r[n]) > 0); }
SH2_INLINE void op_cmp_eq_imm(Sh2State* c, u32 i) { set_t(c, c->r[0] == sext8(i)); }
SH2_INLINE void op_cmp_str(Sh2State* c, u32 m, u32 n) {
    u32 x = c->r[n] ^ c->r[m];
    set_t(c, (x & 0xFF000000u) == 0 || (x & 0x00FF0000u) == 0 || (x & 0x0000FF00u) == 0 || (x & 0xFFu) == 0);
}

// --- division --------------------------------------------------------------

SH2_INLINE void op_div0u(Sh2State* c) { c->sr &= ~(SH2_SR_M | SH2_SR_Q | SH2_SR_T); }
SH2_INLINE void op_div0s(Sh2State* c, u32 m, u32 n) {
    u32 q = c->r[n] >> 31, mm = c->r[m] >> 31;
    set_q(c, q);
    set_m(c, mm);
    set_t(c, q != mm);
}
// One step of non-restoring division. Rn is shifted before Rm is read, so
// DIV1 Rn,Rn divides by the shifted value.
SH2_INLINE void op_div1(Sh2State* c, u32 m, u32 n) {
    const u32 old_q = q_of(c);
    const u32 mm = m_of(c);
    const u32 q = c->r[n] >> 31;
    c->r[n] = (c->r[n] << 1) | t_of(c);
    const u32 before = c->r[n];
    const u32 divisor = c->r[m];
    u32 carry;
    if (old_q == mm) {
        c->r[n] = before - divisor;
        carry = c->r[n] > before;
    } else {
        c->r[n] = before + divisor;
        carry = c->r[n] < before;
    }
    const u32 new_q = q ^ carry ^ mm;
    set_q(c, new_q);
    set_t(c, new_q == mm);
}

// --- multiply --------------------------------------------------------------

SH2_INLINE void op_mul_l(Sh2State* c, u32 m, u32 n) {
    c->macl = c->r[n] * c->r[m];
    c->cycles += 1;
}
SH2_INLINE void op_mulu_w(Sh2State* c, u32 m, u32 n) { c->macl = (c->r[n] & 0xFFFF) * (c->r[m] & 0xFFFF); }
SH2_INLINE void op_muls_w(Sh2State* c, u32 m, u32 n) { c->macl = u32(s32(s16(u16(c->r[n]))) * s32(s16(u16(c->r[m])))); }
SH2_INLINE void set_mac(Sh2State* c, u64 v) {
    c->mach = u32(v >> 32);
    c->macl = u32(v);
}
SH2_INLINE u64 mac_of(const Sh2State* c) { return (u64(c->mach) << 32) | c->macl; }
SH2_INLINE void op_dmulu(Sh2State* c, u32 m, u32 n) {
    set_mac(c, u64(c->r[n]) * u64(c->r[m]));
    c->cycles += 1;
}
SH2_INLINE void op_dmuls(Sh2State* c, u32 m, u32 n) {
    set_mac(c, u64(s64(s32(c->r[n])) * s64(s32(c->r[m]))));
    c->cycles += 1;
}
SH2_INLINE void op_clrmac(Sh2State* c) { c->mach = c->macl = 0; }

// MAC.W @Rm+,@Rn+: Rn is read first; with S set only MACL accumulates,
// saturating at 32 bits.
SH2_INLINE void op_mac_w(Sh2State* c, u32 m, u32 n) {
    s32 x = s32(s16(u16(sh2_read16(c->r[n]))));
    c->r[n] += 2;
    s32 y = s32(s16(u16(sh2_read16(c->r[m]))));
    c->r[m] += 2;
    s32 p = x * y;
    if (c->sr & SH2_SR_S) {
        u32 macl = c->macl;
        u32 s = macl + u32(p);
        if (((macl ^ s) & 0x80000000u) && !((macl ^ u32(p)) & 0x80000000u))
            c->macl = (macl & 0x80000000u) ? 0x80000000u : 0x7FFFFFFFu;
        else
            c->macl = s;
    } else {
        set_mac(c, mac_of(c) + u64(s64(p)));
    }
    c->cycles += 2;
}

// MAC.L @Rm+,@Rn+: with S set the sum saturates at 48 bits; only the low
// 16 bits of MACH take part, and negative saturation leaves MACH 0x00008000.
SH2_INLINE void op_mac_l(Sh2State* c, u32 m, u32 n) {
    u32 x = sh2_read32(c->r[n]);
    c->r[n] += 4;
    u32 y = sh2_read32(c->r[m]);
    c->r[m] += 4;
    u64 p = u64(s64(s32(x)) * s64(s32(y)));
    if (c->sr & SH2_SR_S) {
        u32 low = c->macl + u32(p);
        u32 carry = low < c->macl;
        s32 h = s32((c->mach & 0xFFFF) + u32(p >> 32) + carry);
        if (h < -0x8000) {
            c->mach = 0x00008000u;
            c->macl = 0;
        } else if (h > 0x7FFF) {
            c->mach = 0x00007FFFu;
            c->macl = 0xFFFFFFFFu;
        } else {
            c->mach = u32(h);
            c->macl = low;
        }
    } else {
        set_mac(c, mac_of(c) + p);
    }
    c->cycles += 2;
}

// --- logic -----------------------------------------------------------------

SH2_INLINE void op_and(Sh2State* c, u32 m, u32 n) { c->r[n] &= c->r[m]; }
SH2_INLINE void op_or(Sh2State* c, u32 m, u32 n) { c->r[n] |= c->r[m]; }
SH2_INLINE void op_xor(Sh2State* c, u32 m, u32 n) { c->r[n] ^= c->r[m]; }
SH2_INLINE void op_not(Sh2State* c, u32 m, u32 n) { c->r[n] = ~c->r[m]; }
SH2_INLINE void op_tst(Sh2State* c, u32 m, u32 n) { set_t(c, (c->r[n] & c->r[m]) == 0); }
SH2_INLINE void op_and_imm(Sh2State* c, u32 i) { c->r[0] &= i; }
SH2_INLINE void op_or_imm(Sh2State* c, u32 i) { c->r[0] |= i; }
SH2_INLINE void op_xor_imm(Sh2State* c, u32 i) { c->r[0] ^= i; }
SH2_INLINE void op_tst_imm(Sh2State* c, u32 i) { set_t(c, (c->r[0] & i) == 0); }
// Byte operations on @(R0,GBR): the address is formed once and the byte is
// read, then written back at the same address.
SH2_INLINE void op_tst_b(Sh2State* c, u32 i) {
    u32 address = c->gbr + c->r[0];
    c->last_ea = address;
    set_t(c, (sh2_read8(address) & i) == 0);
    c->cycles += 2;
}
SH2_INLINE void op_and_b(Sh2State* c, u32 i) {
    u32 address = c->gbr + c->r[0];
    c->last_ea = address;
    sh2_write8(address, sh2_read8(address) & i);
    c->cycles += 2;
}
SH2_INLINE void op_xor_b(Sh2State* c, u32 i) {
    u32 address = c->gbr + c->r[0];
    c->last_ea = address;
    sh2_write8(address, (sh2_read8(address) ^ i) & 0xFF);
    c->cycles += 2;
}
SH2_INLINE void op_or_b(Sh2State* c, u32 i) {
    u32 address = c->gbr + c->r[0];
    c->last_ea = address;
    sh2_write8(address, (sh2_read8(address) | i) & 0xFF);
    c->cycles += 2;
}
SH2_INLINE void op_tas(Sh2State* c, u32 n) {
    u32 address = c->r[n];
    c->last_ea = address;
    u32 v = sh2_read8(address) & 0xFF;
    set_t(c, v == 0);
    sh2_write8(address, v | 0x80);
    c->cycles += 3;
}

// --- shifts and rotates ----------------------------------------------------

SH2_INLINE void op_shll(Sh2State* c, u32 n) {
    set_t(c, c->r[n] >> 31);
    c->r[n] <<= 1;
}
SH2_INLINE void op_shlr(Sh2State* c, u32 n) {
    set_t(c, c->r[n] & 1);
    c->r[n] >>= 1;
}
SH2_INLINE void op_shar(Sh2State* c, u32 n) {
    u32 v = c->r[n];
    set_t(c, v & 1);
    c->r[n] = (v >> 1) | (v & 0x80000000u);
}
SH2_INLINE void op_rotl(Sh2State* c, u32 n) {
    u32 v = c->r[n];
    set_t(c, v >> 31);
    c->r[n] = (v << 1) | (v >> 31);
}
SH2_INLINE void op_rotr(Sh2State* c, u32 n) {
    u32 v = c->r[n];
    set_t(c, v & 1);
    c->r[n] = (v >> 1) | (v << 31);
}
SH2_INLINE void op_rotcl(Sh2State* c, u32 n) {
    u32 v = c->r[n];
    c->r[n] = (v << 1) | t_of(c);
    set_t(c, v >> 31);
}
SH2_INLINE void op_rotcr(Sh2State* c, u32 n) {
    u32 v = c->r[n];
    c->r[n] = (v >> 1) | (t_of(c) << 31);
    set_t(c, v & 1);
}
SH2_INLINE void op_shl(Sh2State* c, u32 n, int k) { c->r[n] <<= k; }
SH2_INLINE void op_shr(Sh2State* c, u32 n, int k) { c->r[n] >>= k; }

// --- system control --------------------------------------------------------

SH2_INLINE void op_clrt(Sh2State* c) { c->sr &= ~SH2_SR_T; }
SH2_INLINE void op_sett(Sh2State* c) { c->sr |= SH2_SR_T; }
// Loads of control and system registers from memory: last_ea = Rm, the
// word is read at Rm, then Rm advances.
SH2_INLINE u32 pop_reg(Sh2State* c, u32 m) {
    u32 address = c->r[m];
    c->last_ea = address;
    u32 v = sh2_read32(address);
    c->r[m] = address + 4;
    return v;
}
// Stores of control and system registers: Rn moves first, then last_ea is
// noted and the write goes out.
SH2_INLINE void push_reg(Sh2State* c, u32 n, u32 v) {
    c->r[n] -= 4;
    c->last_ea = c->r[n];
    sh2_write32(c->r[n], v);
}

// Runs the semantic operation of a plain instruction (kinds 0-2). Returns 0
// without doing anything for entries that have no operation type.
SH2_INLINE int execute(Sh2State* c, const Sh2DecodeEntry& e, u32 next_pc) {
    if (e.kind == SH2_KIND_PCREL) c->pc = next_pc;
    const u32 a = e.a, b = e.b;
    switch (e.op_type) {
    case SH2_OP_STC_SR: c->r[a] = c->sr; return 1;
    case SH2_OP_MOVB_STORE_R0N: op_movb_s0(c, a, b); return 1;
    case SH2_OP_MOVW_STORE_R0N: op_movw_s0(c, a, b); return 1;
    case SH2_OP_MOVL_STORE_R0N: op_movl_s0(c, a, b); return 1;
    case SH2_OP_MUL_L: op_mul_l(c, a, b); return 1;
    case SH2_OP_CLRT: op_clrt(c); return 1;
    case SH2_OP_NOP: return 1;
    case SH2_OP_STS_MACH: c->r[a] = c->mach; return 1;
    case SH2_OP_MOVB_LOAD_R0M: op_movb_l0(c, a, b); return 1;
    case SH2_OP_MOVW_LOAD_R0M: op_movw_l0(c, a, b); return 1;
    case SH2_OP_MOVL_LOAD_R0M: op_movl_l0(c, a, b); return 1;
    case SH2_OP_MAC_L: op_mac_l(c, a, b); return 1;
    case SH2_OP_STC_GBR: c->r[a] = c->gbr; return 1;
    case SH2_OP_SETT: op_sett(c); return 1;
    case SH2_OP_DIV0U: op_div0u(c); return 1;
    case SH2_OP_STS_MACL: c->r[a] = c->macl; return 1;
    case SH2_OP_STC_VBR: c->r[a] = c->vbr; return 1;
    case SH2_OP_CLRMAC: op_clrmac(c); return 1;
    case SH2_OP_MOVT: op_movt(c, a); return 1;
    case SH2_OP_STS_PR: c->r[a] = c->pr; return 1;
    case SH2_OP_MOVL_STORE_DISP: op_movl_s4(c, a, b, e.c); return 1;
    case SH2_OP_MOVB_STORE: op_movb_s(c, a, b); return 1;
    case SH2_OP_MOVW_STORE: op_movw_s(c, a, b); return 1;
    case SH2_OP_MOVL_STORE: op_movl_s(c, a, b); return 1;
    case SH2_OP_MOVB_STORE_DEC: op_movb_m(c, a, b); return 1;
    case SH2_OP_MOVW_STORE_DEC: op_movw_m(c, a, b); return 1;
    case SH2_OP_MOVL_STORE_DEC: op_movl_m(c, a, b); return 1;
    case SH2_OP_DIV0S: op_div0s(c, a, b); return 1;
    case SH2_OP_TST: op_tst(c, a, b); return 1;
    case SH2_OP_AND: op_and(c, a, b); return 1;
    case SH2_OP_XOR: op_xor(c, a, b); return 1;
    case SH2_OP_OR: op_or(c, a, b); return 1;
    case SH2_OP_CMP_STR: op_cmp_str(c, a, b); return 1;
    case SH2_OP_XTRCT: op_xtrct(c, a, b); return 1;
    case SH2_OP_MULU_W: op_mulu_w(c, a, b); return 1;
    case SH2_OP_MULS_W: op_muls_w(c, a, b); return 1;
    case SH2_OP_CMP_EQ: op_cmp_eq(c, a, b); return 1;
    case SH2_OP_CMP_HS: op_cmp_hs(c, a, b); return 1;
    case SH2_OP_CMP_GE: op_cmp_ge(c, a, b); return 1;
    case SH2_OP_DIV1: op_div1(c, a, b); return 1;
    case SH2_OP_DMULU_L: op_dmulu(c, a, b); return 1;
    case SH2_OP_CMP_HI: op_cmp_hi(c, a, b); return 1;
    case SH2_OP_CMP_GT: op_cmp_gt(c, a, b); return 1;
    case SH2_OP_SUB: op_sub(c, a, b); return 1;
    case SH2_OP_SUBC: op_subc(c, a, b); return 1;
    case SH2_OP_SUBV: op_subv(c, a, b); return 1;
    case SH2_OP_ADD: op_add(c, a, b); return 1;
    case SH2_OP_DMULS_L: op_dmuls(c, a, b); return 1;
    case SH2_OP_ADDC: op_addc(c, a, b); return 1;
    case SH2_OP_ADDV: op_addv(c, a, b); return 1;
    case SH2_OP_SHLL: op_shll(c, a); return 1;
    case SH2_OP_SHLR: op_shlr(c, a); return 1;
    case SH2_OP_STS_L_MACH: push_reg(c, a, c->mach); return 1;
    case SH2_OP_STC_L_SR:
        push_reg(c, a, c->sr);
        c->cycles += 1;
        return 1;
    case SH2_OP_ROTL: op_rotl(c, a); return 1;
    case SH2_OP_ROTR: op_rotr(c, a); return 1;
    case SH2_OP_LDS_L_MACH: c->mach = pop_reg(c, a); return 1;
    case SH2_OP_LDC_L_SR: sh2_ldc_l_sr(c, u8(a)); return 1;
    case SH2_OP_SHLL2: op_shl(c, a, 2); return 1;
    case SH2_OP_SHLR2: op_shr(c, a, 2); return 1;
    case SH2_OP_LDS_MACH: c->mach = c->r[a]; return 1;
    case SH2_OP_LDC_SR: sh2_ldc_sr(c, u8(a)); return 1;
    case SH2_OP_MAC_W: op_mac_w(c, a, b); return 1;
    case SH2_OP_DT: op_dt(c, a); return 1;
    case SH2_OP_CMP_PZ: op_cmp_pz(c, a); return 1;
    case SH2_OP_STS_L_MACL: push_reg(c, a, c->macl); return 1;
    case SH2_OP_STC_L_GBR:
        push_reg(c, a, c->gbr);
        c->cycles += 1;
        return 1;
    case SH2_OP_CMP_PL: op_cmp_pl(c, a); return 1;
    case SH2_OP_LDS_L_MACL: c->macl = pop_reg(c, a); return 1;
    case SH2_OP_LDC_L_GBR:
        c->gbr = pop_reg(c, a);
        c->cycles += 2;
        return 1;
    case SH2_OP_SHLL8: op_shl(c, a, 8); return 1;
    case SH2_OP_SHLR8: op_shr(c, a, 8); return 1;
    case SH2_OP_LDS_MACL: c->macl = c->r[a]; return 1;
    case SH2_OP_TAS_B: op_tas(c, a); return 1;
    case SH2_OP_LDC_GBR: c->gbr = c->r[a]; return 1;
    case SH2_OP_SHAL: op_shll(c, a); return 1;
    case SH2_OP_SHAR: op_shar(c, a); return 1;
    case SH2_OP_STS_L_PR: push_reg(c, a, c->pr); return 1;
    case SH2_OP_STC_L_VBR:
        push_reg(c, a, c->vbr);
        c->cycles += 1;
        return 1;
    case SH2_OP_ROTCL: op_rotcl(c, a); return 1;
    case SH2_OP_ROTCR: op_rotcr(c, a); return 1;
    case SH2_OP_LDS_L_PR: c->pr = pop_reg(c, a); return 1;
    case SH2_OP_LDC_L_VBR:
        c->vbr = pop_reg(c, a);
        c->cycles += 2;
        return 1;
    case SH2_OP_SHLL16: op_shl(c, a, 16); return 1;
    case SH2_OP_SHLR16: op_shr(c, a, 16); return 1;
    case SH2_OP_LDS_PR: c->pr = c->r[a]; return 1;
    case SH2_OP_LDC_VBR: c->vbr = c->r[a]; return 1;
    case SH2_OP_MOVL_LOAD_DISP: op_movl_l4(c, a, b, e.c); return 1;
    case SH2_OP_MOVB_LOAD: op_movb_l(c, a, b); return 1;
    case SH2_OP_MOVW_LOAD: op_movw_l(c, a, b); return 1;
    case SH2_OP_MOVL_LOAD: op_movl_l(c, a, b); return 1;
    case SH2_OP_MOV: op_mov(c, a, b); return 1;
    case SH2_OP_MOVB_LOAD_INC: op_movb_p(c, a, b); return 1;
    case SH2_OP_MOVW_LOAD_INC: op_movw_p(c, a, b); return 1;
    case SH2_OP_MOVL_LOAD_INC: op_movl_p(c, a, b); return 1;
    case SH2_OP_NOT: op_not(c, a, b); return 1;
    case SH2_OP_SWAP_B: op_swapb(c, a, b); return 1;
    case SH2_OP_SWAP_W: op_swapw(c, a, b); return 1;
    case SH2_OP_NEGC: op_negc(c, a, b); return 1;
    case SH2_OP_NEG: op_neg(c, a, b); return 1;
    case SH2_OP_EXTU_B: op_extu_b(c, a, b); return 1;
    case SH2_OP_EXTU_W: op_extu_w(c, a, b); return 1;
    case SH2_OP_EXTS_B: op_exts_b(c, a, b); return 1;
    case SH2_OP_EXTS_W: op_exts_w(c, a, b); return 1;
    case SH2_OP_ADD_IMM: op_add_imm(c, a, b); return 1;
    case SH2_OP_MOVB_STORE_DISP_R0: op_movb_s4(c, a, b); return 1;
    case SH2_OP_MOVW_STORE_DISP_R0: op_movw_s4(c, a, b); return 1;
    case SH2_OP_MOVB_LOAD_DISP_R0: op_movb_l4(c, a, b); return 1;
    case SH2_OP_MOVW_LOAD_DISP_R0: op_movw_l4(c, a, b); return 1;
    case SH2_OP_CMP_EQ_IMM: op_cmp_eq_imm(c, a); return 1;
    case SH2_OP_MOVW_LOAD_PC: op_movw_pc(c, a, b); return 1;
    case SH2_OP_MOVB_STORE_GBR: op_movb_sg(c, a); return 1;
    case SH2_OP_MOVW_STORE_GBR: op_movw_sg(c, a); return 1;
    case SH2_OP_MOVL_STORE_GBR: op_movl_sg(c, a); return 1;
    case SH2_OP_MOVB_LOAD_GBR: op_movb_lg(c, a); return 1;
    case SH2_OP_MOVW_LOAD_GBR: op_movw_lg(c, a); return 1;
    case SH2_OP_MOVL_LOAD_GBR: op_movl_lg(c, a); return 1;
    case SH2_OP_MOVA: op_mova(c, a); return 1;
    case SH2_OP_TST_IMM: op_tst_imm(c, a); return 1;
    case SH2_OP_AND_IMM: op_and_imm(c, a); return 1;
    case SH2_OP_XOR_IMM: op_xor_imm(c, a); return 1;
    case SH2_OP_OR_IMM: op_or_imm(c, a); return 1;
    case SH2_OP_TST_B: op_tst_b(c, a); return 1;
    case SH2_OP_AND_B: op_and_b(c, a); return 1;
    case SH2_OP_XOR_B: op_xor_b(c, a); return 1;
    case SH2_OP_OR_B: op_or_b(c, a); return 1;
    case SH2_OP_MOVL_LOAD_PC: op_movl_pc(c, a, b); return 1;
    case SH2_OP_MOV_IMM: op_mov_imm(c, a, b); return 1;
    default: return 0;
    }
}

}  // namespace sh2_ops
