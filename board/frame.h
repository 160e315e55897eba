// The frame runner: advances the board by one video frame, scanline by
// scanline. Between CPU slices it raises the board's interrupt levels and
// serves the free-running timer; after each scanline it renders that line's
// sound; at line 240 it composes the picture and draws the sprite list.
#pragma once

#include "board/board.h"

constexpr double CYCLES_PER_LINE = 1833.9434288524799;
constexpr u16 LINES_PER_FRAME = 262;
constexpr u16 VBLANK_LINE = 240;

// Audio samples per scanline, as a 16.16 fraction: about 5.5593.
constexpr u32 AUDIO_STEP_PER_LINE = 364335;
constexpr int MAX_AUDIO_SAMPLES = 2048;

// Periods of the periodic interrupt levels, in CPU cycles.
constexpr u64 IRL15_CYCLES = 57272;   // 2 ms
constexpr u64 IRL11_CYCLES = 229088;  // 8 ms
constexpr u64 IRL9_CYCLES = 1824;

// Runs from the current line up to stop_line (240): after a reset lines
// 0-239, later calls lines 240-261 and 0-239. `audio`, when not null,
// receives the stereo samples interleaved left, right (room for 2 x 2048);
// `count`, when not null, their number. Returns 0 after a normal frame, 1
// when the SH-2 program stopped (sh2_failed_pc tells where). A record
// without ROM buffers runs nothing: 0 samples, result 0.
int board_run_frame(BoardState* b, s16* audio, int* count);
