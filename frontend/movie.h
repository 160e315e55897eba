// Input movies ("FEMOVIE1"): the file's fixed parts and the naming rules,
// for the tests. Layout, little-endian: magic, u32 N, a "FESTATE1"
// container of N bytes (the moment recording started), then one u32 input
// word per emulated frame, with no count and no trailer.
#pragma once

#include <cstddef>
#include <ctime>

constexpr char MOVIE_MAGIC[8] = {'F', 'E', 'M', 'O', 'V', 'I', 'E', '1'};
constexpr size_t MOVIE_HEADER_SIZE = 12;
constexpr size_t MOVIE_NAME_SIZE = 64;

// "movie-%Y%m%d-%H%M%S.femv" of the local time t.
void movie_file_name(time_t t, char* out, size_t out_size);
// Whether a file name counts as a movie: its extension after the last "."
// is exactly ".femv" (case matters).
int is_movie_name(const char* name);
