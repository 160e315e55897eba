// Palette RAM conversion and the eight palette control registers.
//
// Every palette RAM entry is converted to a 0xFFRRGGBB colour as soon as it
// is written, with the brightness factors in force at that moment. Register
// writes only update the control bytes and mark banks dirty; the dirty banks
// are reconverted by video_compose_frame.
#pragma once

#include "board/board.h"

constexpr u32 PALETTE_ENTRIES = 0x8000;
constexpr u32 PALETTE_TILE_BANK = 0x4000;  // entries below are the sprite bank

// Recomputes palette_cache[index] from the stored entry (index 0-0x7fff;
// larger indices are ignored).
void palette_write_entry(BoardState* b, u32 index);

// Updates the palette control bytes from register reg (0-7) as it is now
// stored in palette_regs; other indices are ignored.
void palette_regs_write(BoardState* b, u32 reg);

// Reconverts entries [first, first + count) of palette_cache with the
// current brightness state and factors of their bank.
void palette_convert_range(BoardState* b, u32 first, u32 count);
