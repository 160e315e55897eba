// A 32-bit identity of the loaded ROM set, used to name save folders and
// NVRAM files and to refuse snapshots taken with other ROMs.
#pragma once

#include "board/board.h"

// Forgets the cached fingerprint; called whenever ROM buffers are freed or
// loaded, since a freed buffer's address can be reused by another set.
void fingerprint_cache_clear();
