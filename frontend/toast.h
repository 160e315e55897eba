// Toast layout, a plain function that tests reach directly.
#pragma once

struct ToastBox {
    int x, y, w, h;  // the rounded box
    int bottom;      // its bottom edge, where the accent strip ends
    int text_size;
    int text_y;
};

// Where the toast goes on a w x h output for UI unit u, given the width of
// its text and the line height at the toast's text size (toast_text_size).
ToastBox toast_box(int w, int h, int u, int text_width, int line_height);
int toast_text_size(int u);
