// The SH-2 address map of the board: the six bus functions of the SH-2
// runtime (declared in sh2/sh2.h) decode an address into a ROM image, a RAM,
// a register file or a device of the current board record. This header adds
// the board-side entry points of the decoder.
#pragma once

#include "board/board.h"

// The record that the bus functions act on (set by board_set_current,
// board_reset and board_run_frame). Plain module state: one board runs at a
// time, on the main thread.
extern BoardState* current_board;

// Address of the work RAM word the game polls in its wait-for-frame loop,
// and the address of the instruction that polls it.
constexpr u32 IDLE_POLL_ADDRESS = 0x0604D3C8;
constexpr u32 IDLE_POLL_PC = 0x0402EBD2;

// Mirror folding: unless bit 31, 30 or 28 is set, bits 29 and 27 are not
// decoded.
inline u32 bus_fold(u32 address) { return (address & 0xD0000000u) ? address : (address & 0xC7FFFFFFu); }

// 32-bit read of a folded, 4-aligned address. The YMZ280B and clock ports
// read 0 at this width.
u32 bus_read32(BoardState* b, u32 address);

// Byte read of the byte-wide devices (YMZ280B ports, clock, the on-chip
// area 0xFFFFFE00-0xFFFFFEFF); any other address reads 0.
u8 bus_read8_io(BoardState* b, u32 address);

// Write of `length` (1, 2 or 4) bytes of `value`, most significant first,
// with the side effects of each region. The address is folded here.
void bus_write(BoardState* b, u32 address, u32 value, int length);

// The input port word at 0x00400000: every set bit of `input_bits` that is
// wired to the port clears its (active-low) port bit.
u32 input_port_word(u32 input_bits);

// The DIP-switch port word at 0x00400004: the DIP byte, bit 0 pulled low
// while the test input (bit 21) is held.
u32 dip_port_word(u8 dip, u32 input_bits);
