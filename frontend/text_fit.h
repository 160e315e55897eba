// Texts within a width: a row's label and value, a footer, a panel's title,
// a path shown at a fixed spot. One that fits is drawn exactly as it is;
// one that does not is cut with "...", or broken into lines where the
// layout has room for several.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDL_Renderer;

// What a cut keeps:
enum TextCut : int {
    CUT_KEEPS_START = 0,  // its start ("A long na...")
    CUT_KEEPS_END = 1,    // its end ("...roms/Folder/"): a path keeps its own name
    CUT_KEEPS_BOTH = 2,   // both ends ("Cannot open /ho...Folder/game.zip")
};

// Whether the text might be wider than max_w at size: a bound from its byte
// count alone, so that a text well inside the width is never measured.
int text_may_exceed(const char* text, int size, int max_w);
// The same bound as a width: no text is wider.
int text_width_bound(const char* text, int size);
// Whether the text is at most max_w pixels wide at size; measured only
// when its length does not settle it.
int text_fits(const char* text, int size, int max_w);
// Whether a (at size as) and b (at size bs) fit side by side, gap pixels
// apart, within max_w; measured only when their lengths do not settle it.
int texts_fit_side_by_side(const char* a, int as, const char* b, int bs, int gap, int max_w);
// A path (absolute, from home, or relative with "./" or "../") keeps its
// end; a file's or folder's name (a text ending in an extension such as
// ".zip", or in "/") keeps its start and its end, so that names that differ
// only near the end stay apart; any other text keeps its start.
int cut_for(const char* text);
// The text within max_w pixels at size: the text itself when it fits, else
// the cut text written into out (out_size bytes); "" when not even the dots
// fit. Cuts fall between code points. A zero-size out is never written: a
// text that must be cut then gives a constant "".
const char* fit_text(const char* text, int size, int max_w, int cut, char* out, size_t out_size);
int draw_text_fitted(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align, int max_w,
                     int cut);
// The first line of a text broken to fit max_w pixels: at most max_bytes
// bytes up to the first newline, shortened until they fit, back to the
// last space, "/" or "\" when there is one, else a character at a time;
// never below one character, and never through one. Copied into line
// (max_bytes + 1 bytes); the result is its length in bytes, 0 for an
// empty line (an empty text, or one that starts with a newline), and -1
// with "" in line when max_bytes cannot hold the first character: there
// is no line to draw, and stepping on would make no progress.
int wrap_text_line(const char* text, int size, int max_w, int max_bytes, char* line);
// Where the text goes on after a line of k bytes: past one space or newline.
const char* next_line_start(const char* text, int k);
// A text that fits max_w drawn as draw_text draws it; a longer one broken
// into lines as above, drawn at x (aligned) from y down by step while a
// line stays above bottom, the last of them cut when the rest does not fit.
void draw_text_wrapped(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align, int max_w,
                       int step, int bottom);
