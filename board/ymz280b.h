// YMZ280B sound chip: eight voices of 4-bit ADPCM, 8-bit or 16-bit PCM
// from the sample ROM, reached through two byte ports. Its state is the
// `ymz` member of the board record; the chip raises no CPU interrupt here.
#pragma once

#include "board/board.h"

// Every field to 0, interpolation parked (position 512, increment 1),
// gains from level 0.
void ymz_reset(Ymz280bState* y);

// Port 0 selects a register, port 1 writes the selected register.
void ymz_write(BoardState* b, int port, u8 data);

// Port 1 reads (and clears) the status, port 0 reads external memory.
u8 ymz_read(BoardState* b, int port);

// Clears left[0..count) and right[0..count), then mixes every voice into
// them. The values carry a gain of up to 255 times a 16-bit sample; turn
// them into output samples with ymz_output_sample. The frame runner asks
// for a scanline's worth (five or six) at a time.
void ymz_render(BoardState* b, s32* left, s32* right, int count);

// One mixed accumulator value as a 16-bit output sample: divided by 512
// truncating toward zero, then clamped.
inline s16 ymz_output_sample(s32 v) {
    s32 s = v / 512;
    if (s > 32767) return 32767;
    if (s < -32768) return -32768;
    return static_cast<s16>(s);
}
