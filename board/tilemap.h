// The two rotate/zoom tilemap layers: 1024 x 1024-pixel maps of 16 x 16
// tiles, each screen pixel reached by an affine walk over the map.
#pragma once

#include "board/board.h"

constexpr int LAYER_PIXELS = SCREEN_WIDTH * SCREEN_HEIGHT;

// Per screen pixel, two entries: layer A at [2 * pixel], layer B at
// [2 * pixel + 1]. Colour indices are tilemap-bank palette indices
// (0x4000 + row * 256 + value); priorities are 0-7. A pixel that a layer
// does not draw keeps 0 in both. They belong to the current board and are
// rebuilt at every composition.
extern u16 layer_colour_buffer[LAYER_PIXELS * 2];
extern u8 layer_priority_buffer[LAYER_PIXELS * 2];

// Clears both layer buffers to zero.
void layer_buffers_clear();

// Draws layer 0 (A) or 1 (B) into its slots of the layer buffers, every
// pixel of them (0 where no-wrap leaves one transparent), and returns 1.
// Returns 0 and writes nothing when the layer's enable flag or
// tile_layers_on is clear, or when its graphics buffer is absent: the
// layer's slots then count as 0.
int roz_layer_render(BoardState* b, u32 layer);

// Bit 1 of the layer's flag register: breaks priority ties in composition.
u32 roz_layer_tie_bit(const BoardState* b, u32 layer);
