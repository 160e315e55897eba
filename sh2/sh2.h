// SH-2 (SH7604) runtime: CPU record, run loop, decoder and interpreter.
// The runtime reaches memory only through the six bus functions declared
// below; whoever links the runtime supplies them.
#pragma once

#include <cstdint>

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef uint64_t u64;
typedef int8_t s8;
typedef int16_t s16;
typedef int32_t s32;
typedef int64_t s64;

// The whole architectural and run state of the CPU. No pointers, so the
// record can be copied and saved field by field.
struct Sh2State {
    u32 r[16];  // R0-R15; R15 is the stack pointer
    u32 pc;     // address of the instruction running or next to run
    u32 pr;
    u32 sr;  // T=0, S=1, IMASK=4-7, Q=8, M=9; loads keep mask 0x3F3
    u32 gbr;
    u32 vbr;
    u32 mach;
    u32 macl;
    u32 last_ea;       // data address formed by the last memory access
    u32 reserved;      // always 0
    u64 cycles;        // CPU cycles since reset
    u64 steps;         // instructions (or translated blocks) since reset
    u32 irl_pending;   // bit L = external level L requested
    s32 onchip_level;  // -1 or 0 = no on-chip request
    u32 onchip_vector;
    u8 nmi_pending;
    u8 sleep_state;  // 0 running, 1 sleeping, 2 woken
    u8 irq_recheck;  // look for an acceptable interrupt before the next instruction
    u8 idle;         // the board found the program waiting in a loop
};

// Status register bits.
enum : u32 {
    SH2_SR_T = 0x001,
    SH2_SR_S = 0x002,
    SH2_SR_IMASK = 0x0F0,
    SH2_SR_Q = 0x100,
    SH2_SR_M = 0x200,
    SH2_SR_MASK = 0x3F3,
};

// The stop code: returned by a provider it means "no translated code";
// returned by the step it means execution cannot continue.
constexpr u32 SH2_STOP = 0xFFFFFFFFu;

// Bus functions: declared here, defined by whoever links the runtime
// (the board's address map, or a test's own memory).
u32 sh2_read32(u32 address);
u32 sh2_read16(u32 address);
u32 sh2_read8(u32 address);
void sh2_write32(u32 address, u32 value);
void sh2_write16(u32 address, u32 value);
void sh2_write8(u32 address, u32 value);

// Reset and interrupts.
void sh2_reset(Sh2State* cpu);
void sh2_set_irq(Sh2State* cpu, u32 level, int on);
void sh2_set_onchip_irq(Sh2State* cpu, s32 level, u32 vector);
// Run loop and diagnostics.
int sh2_run(Sh2State* cpu, u64 target);
u32 sh2_failed_pc();
void sh2_set_strict(int on);
u64 sh2_fallback_count();
u32 sh2_fallback_pcs(const u32** out);
