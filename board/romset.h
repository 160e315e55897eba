// The game's ROM set: checking the user's archives against the known files
// and loading them into the board record.
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

// Checks from the archives' directories that the game archive holds the
// complete US set and that a good US BIOS file is in the BIOS archive or
// else in the game archive. 1 on success (message untouched); 0 with one
// sentence in `message` (only when it is non-null with a non-zero size).
// Either path may be null or empty.
int romset_check(const char* game_zip, const char* bios_zip, char* message, size_t message_size);

// Clears the record (freeing any ROM buffers it still holds), checks the
// set, allocates and fills the six ROM buffers, fills nvram with 0xFF and
// resets the board. 1 on success; 0 with a sentence in b->message, and no
// ROM buffer left allocated.
int board_load(BoardState* b, const char* game_zip, const char* bios_zip, int region);

// Extracts the first entry whose base name equals `name` ignoring case.
// Null when there is none or its extraction fails. Free with free().
u8* zip_extract_by_basename(ZipReader* zip, const char* name, size_t* size_out);
