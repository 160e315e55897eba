// SH7604 on-chip peripherals in the register area 0xFFFFFE00-0xFFFFFFFF:
// the division unit, the 16-bit free-running timer with its output compares
// and overflow, and the interrupt-priority and vector registers as far as the
// timer's interrupt needs them. Every other on-chip register is plain
// storage in `onchip_regs`.
//
// The timer is lazy: it brings its counter up to date from the CPU's cycle
// count before any register access, and the frame runner calls `frt_event`
// once `cycles` has reached `frt_next`.
#pragma once

#include "board/board.h"

// 32-bit read of the on-chip area (address 0xFFFFFE00-0xFFFFFFFF; the low
// two bits are ignored). Also serves the lanes of 8- and 16-bit reads of
// 0xFFFFFF00-0xFFFFFFFF.
u32 onchip_read32(BoardState* b, u32 address);

// Byte read of a timer register, offset 0x10-0x17 within the area (the
// offset is taken modulo 0x200, so the full address works too); any other
// offset reads 0.
u8 frt_read8(BoardState* b, u32 offset);

// Write of `length` (1, 2 or 4) bytes of `value` at `address`; the value's
// low `length` bytes are used, most significant first.
void onchip_write(BoardState* b, u32 address, u32 value, int length);

// All ones in frt_next: no timer event is scheduled.
constexpr u64 FRT_NO_EVENT = ~u64{0};

// CPU cycles of one full turn of the timer's counter (65,536 counts) at its
// clock select: no event is ever scheduled further ahead.
u64 frt_period_cycles(const BoardState* b);

// The timer event: bring the counter up to date, set the compare-match and
// overflow flags that hold now, post the interrupt request and schedule the
// next event.
void frt_event(BoardState* b);
