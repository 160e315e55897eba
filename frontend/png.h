// The PNG writer's pieces, open to tests: the file image, the turned RGB
// copy of a frame and the screenshot's file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// The whole PNG file of an 8-bit RGB image (rows top to bottom, width x 3
// bytes each) in a new buffer (free() it), its length in *size; null when
// the size is not positive or too large, or memory runs out.
uint8_t* encode_png_rgb(const uint8_t* rgb, int width, int height, size_t* size);

// An XRGB8888 frame of width x height as RGB bytes, turned clockwise by
// rotation quarter turns, in a new buffer (free() it) of *out_w x *out_h
// pixels; null when memory runs out.
uint8_t* frame_to_rgb(const uint32_t* frame, int width, int height, int rotation, int* out_w, int* out_h);

// "shot-YYYYMMDD-HHMMSS-FFF.png" from a local time and the frame counter.
void screenshot_file_name(char* out, size_t out_size, const struct tm* local, uint64_t frame_counter);
