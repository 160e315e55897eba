// Start-up's decisions as plain functions: the command line, the per-user
// folder name and the window size.
#pragma once

#include <cstdint>
#include <cstdio>

// The options of one command line. Strings point into the arguments.
struct CommandLine {
    const char* rom;         // null: none
    int fullscreen;          // -1 none, 0 windowed, 1 fullscreen
    int portable;
    int scale;               // 0: none
    int window_w, window_h;  // 0 x 0: none
    const char* profile;
    const char* state;
    int no_menu;
    int rotate;              // -1: none
    int frames;
    const char* screenshot;
    int help;                // "--help" or "-h" was seen; nothing after it was read
};

void parse_command_line(int argc, char** argv, CommandLine* out);
// A decimal number as the command line reads it: leading blanks and a sign
// allowed, text after the digits ignored, 0 when there are no digits, and
// values beyond the int range saturated.
int parse_decimal(const char* text);
// "WxH": 1 with both numbers, else 0.
int parse_window_size(const char* text, int* w, int* h);
void print_usage(FILE* out, const char* program, const char* rom_archive_name);

// The title made safe for a folder name: " :" and ":" become " -", the
// characters < > " / \ | ? * become "_", at most 125 characters.
void make_safe_title(const char* title, char* out, size_t out_size);

// The largest scale up to `scale` (at least 1) whose window fits a desktop
// of dw x dh less 40 x 80 pixels.
int fit_window_scale(int height, double aspect, int rotation, int scale, int dw, int dh);
