// The frame's timing, shared by the frame runner, the reset and the core
// snapshot's checks. The runner (board_run_frame) advances the board by one
// video frame, scanline by scanline: between CPU slices it raises the
// board's interrupt levels and serves the free-running timer; after each
// scanline it renders that line's sound; at line 240 it composes the picture
// and draws the sprite list.
#pragma once

#include "board/board.h"

constexpr double CYCLES_PER_LINE = 1833.9434288524799;
constexpr u16 LINES_PER_FRAME = 262;
constexpr u16 VBLANK_LINE = 240;

// Audio samples per scanline, as a 16.16 fraction: about 5.5593.
constexpr u32 AUDIO_STEP_PER_LINE = 364335;
constexpr int MAX_AUDIO_SAMPLES = BOARD_MAX_AUDIO_SAMPLES;

// Periods of the periodic interrupt levels, in CPU cycles.
constexpr u64 IRL15_CYCLES = 57272;   // 2 ms
constexpr u64 IRL11_CYCLES = 229088;  // 8 ms
constexpr u64 IRL9_CYCLES = 1824;
