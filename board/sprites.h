// The sprite generator: unpacks the run-length compressed graphics of the
// 1024-entry sprite list and draws them, unscaled or zoomed, into the 16-bit
// sprite bitmap (bits 13-0 sprite-bank palette index, bits 15-14 priority).
#pragma once

#include "board/board.h"

// Draws the whole sprite list into sprite_bitmap. Draws nothing (after the
// optional clear) when sprite_rom is absent.
void sprites_render(BoardState* b);
