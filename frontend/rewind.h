// The rewind ring's fixed numbers, for the frame step and the tests. An
// entry is one heap block: u32 raw size, u32 packed size (little-endian),
// then the core snapshot as a zlib stream.
#pragma once

#include <cstddef>

constexpr int REWIND_CAPACITY = 4096;
constexpr int REWIND_FRAMES_PER_ENTRY = 4;  // a capture every fourth frame
constexpr size_t REWIND_ENTRY_HEADER = 8;
constexpr int REWIND_LEVEL = 1;  // fast compression keeps a capture cheap
