// The game's ROM set: the tables of known files that romset_check and
// board_load (board.h) compare the user's archives with.
#pragma once

#include <cstddef>

#include "board/board.h"
#include "zipio/zip_io.h"

// Where a ROM file's contents go in the board record.
enum RomTarget : int {
    ROM_PROGRAM_EVEN,  // even bytes of program_rom
    ROM_PROGRAM_ODD,   // odd bytes of program_rom
    ROM_SPRITE,
    ROM_TILE_A,
    ROM_TILE_B,
    ROM_SAMPLE,
};

struct RomFileSpec {
    const char* file;
    u32 size;
    u32 crc32;
    const char* role;  // descriptive only
    RomTarget target;
    u32 offset;  // byte offset in the target buffer (not for program halves)
};

struct BiosFileSpec {
    char region;
    const char* file;
    u32 crc32;
};

constexpr int ROM_FILE_COUNT = 8;
constexpr int BIOS_FILE_COUNT = 5;
constexpr u32 BIOS_FILE_SIZE = 0x80000;
extern const RomFileSpec ROM_FILE_SPECS[ROM_FILE_COUNT];
extern const BiosFileSpec BIOS_FILE_SPECS[BIOS_FILE_COUNT];

// The BIOS row of a region letter; the 'U' row for a letter not listed.
const BiosFileSpec* bios_file_for_region(int region);

// Extracts the first entry whose base name equals `name` ignoring case.
// Null when there is none or its extraction fails. Free with free().
u8* zip_extract_by_basename(ZipReader* zip, const char* name, size_t* size_out);
