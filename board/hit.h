// The HIT collision calculator at 0x02F00000-0x02F000FF: the game writes two
// boxes (position and size on three axes) and a mode word; every write
// recomputes at once, per axis, where object 1 ends, where object 2 starts,
// their difference and overlap, and a flags word. A read of offset 0x28
// serves a pseudo-random number. All arithmetic wraps at 16 bits.
//
// The read and write offset tables differ: the same offset means different
// words on the two sides.
#pragma once

#include "board/board.h"

// Stores the input word that `offset` (address & 0xFC within the device)
// selects and recomputes all results. Offsets that select no input store
// nothing but still recompute.
void hit_write(HitDevice* hit, u32 offset, u16 value);

// Reads the word at the 4-aligned `offset` from 0x02F00000, zero-extended
// into the low half of the bus word; unknown offsets read 0. A read of
// offset 0x28 advances the random generator `rng`.
u32 hit_read(BoardState* b, u32 offset);
