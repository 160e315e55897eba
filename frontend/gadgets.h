// Gadget layout as plain functions of plain values, for the drawing and
// for tests.
#pragma once

// The three scales of a gadget for its size setting and the UI unit:
// c = f x u (f 18, 24 or 34), the text size s = c / 100 and the inset
// p = c / 300.
struct GadgetScale {
    int c;
    int s;
    int p;
};
GadgetScale gadget_scale(int size, int u);

// Players shown by the input display: 1..4, 2 when the game gives none.
int gadget_player_rows(int players);

// Top-left corner of a bw x bh box for a placement's position and offsets
// on a w x h output. A negative position puts the box at (0, 0) without
// the margin; the offsets (hundredths of u) apply in every case.
void gadget_anchor(int position, int offset_x, int offset_y, int bw, int bh, int w, int h, int u, int* x, int* y);
