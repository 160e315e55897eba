#include "board/fingerprint.h"

#include "zipio/zip_io.h"

namespace {

// The character RAM mirror at the start of tilemap B's ROM changes at run
// time, so it is left out.
constexpr u32 CHAR_RAM_MIRROR_SIZE = 0x40000;

// One entry: the last fingerprint (0 = empty) and the program buffer it
// was computed for.
u32 cached_value = 0;
const u8* cached_program = nullptr;

}  // namespace

void fingerprint_cache_clear() {
    cached_value = 0;
    cached_program = nullptr;
}

u32 board_rom_fingerprint(const BoardState* b) {
    if (!b || !b->bios_rom || !b->program_rom || !b->sprite_rom || !b->tile_rom_a || !b->tile_rom_b || !b->sample_rom)
        return 0;
    if (cached_value != 0 && cached_program == b->program_rom) return cached_value;
    u32 crc = zipio_crc32(0, b->bios_rom, BIOS_ROM_SIZE);
    crc = zipio_crc32(crc, b->program_rom, PROGRAM_ROM_SIZE);
    crc = zipio_crc32(crc, b->sprite_rom, SPRITE_ROM_SIZE);
    crc = zipio_crc32(crc, b->tile_rom_a, TILE_ROM_SIZE);
    crc = zipio_crc32(crc, b->tile_rom_b + CHAR_RAM_MIRROR_SIZE, TILE_ROM_SIZE - CHAR_RAM_MIRROR_SIZE);
    crc = zipio_crc32(crc, b->sample_rom, SAMPLE_ROM_SIZE);
    // 0 means "nothing loaded" to the callers.
    if (crc < 2) crc = 1;
    cached_value = crc;
    cached_program = b->program_rom;
    return crc;
}
