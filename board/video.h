// Frame composition: mixes the two tilemap layers and the sprite bitmap by
// priority into the 320 x 240 frame buffer, once per frame.
#pragma once

#include "board/board.h"

// Reconverts dirty palette banks after register writes, renders both tilemap
// layers and composes frame_buffer (0x00RRGGBB) with the sprite bitmap.
void video_compose_frame(BoardState* b);
