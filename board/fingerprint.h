// A 32-bit identity of the loaded ROM set, used to name save folders and
// NVRAM files and to refuse snapshots taken with other ROMs.
#pragma once

#include "board/board.h"

// CRC-32 chained over BIOS, program, sprites, tilemap A, tilemap B without
// its first 256 KiB (the character RAM mirror, which changes at run time)
// and samples. Never 0 for a loaded board: a computed 0 or 1 is reported
// as 1. 0 when the record holds no ROM buffers. Cached per program buffer.
u32 board_rom_fingerprint(const BoardState* b);

// Forgets the cached fingerprint; called whenever ROM buffers are freed or
// loaded, since a freed buffer's address can be reused by another set.
void fingerprint_cache_clear();
