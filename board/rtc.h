// The board's real-time clock at 0x01000000-0x0100000F: sixteen 4-bit
// registers of decimal digits. The time is the host's system time taken at
// the first reset plus the emulated time since then, so the clock keeps
// running with the emulation, not with the host.
#pragma once

#include "board/board.h"

// Seconds of emulated time per CPU cycle come from the 28.636 MHz clock.
constexpr double RTC_CPU_HZ = 28636000.0;

// Reads clock register `reg` (0-15): registers 0-12 are the digits of the
// current time in UTC, 13-15 the low nibble last written.
u8 rtc_read(const BoardState* b, u32 reg);

// Registers only store what the game writes; the clock cannot be set.
void rtc_write(BoardState* b, u32 reg, u8 value);
