#include "board/romset.h"

#include <strings.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/fingerprint.h"

const RomFileSpec ROM_FILE_SPECS[ROM_FILE_COUNT] = {
    {"tx-usa.u10", 0x100000, 0x1023DDCA, "SH-2 program (even)", ROM_PROGRAM_EVEN, 0},
    {"tx-usa.u8", 0x100000, 0xF696F6BE, "SH-2 program (odd)", ROM_PROGRAM_ODD, 0},
    {"tx100-00.u24", 0x400000, 0xCD4AE88A, "sprites", ROM_SPRITE, 0},
    {"tx101-00.u20", 0x400000, 0xA6CB3F0B, "sprites", ROM_SPRITE, 0x400000},
    {"tx200-00.u16", 0x400000, 0xDDC8C67E, "tilemap A tiles", ROM_TILE_A, 0},
    {"tx201-00.u13", 0x400000, 0x65863321, "tilemap A tiles", ROM_TILE_A, 0x400000},
    // Tilemap B's lower half is the character RAM mirror; its chip sits above.
    {"tx210-00.u18", 0x400000, 0x7486BF3A, "tilemap B tiles", ROM_TILE_B, 0x400000},
    {"tx300-00.u4", 0x400000, 0xFBEDA465, "YMZ280B samples", ROM_SAMPLE, 0},
};

const BiosFileSpec BIOS_FILE_SPECS[BIOS_FILE_COUNT] = {
    {'U', "voxau1.u10", 0x384D21EC}, {'J', "voxaj1.u10", 0x7E2B836C}, {'E', "voxae2.u10", 0xE2B9D7D1},
    {'A', "voxaa1.u10", 0x745E5212}, {'K', "voxak1.u10", 0xFF1C9F79},
};

namespace {

const char* const JAPANESE_PROGRAM = "tx-jpn.u10";

const char* const MSG_CANNOT_OPEN = "Cannot open the game archive \"%s\".";
const char* const MSG_JAPANESE =
    "This is the Japanese set (talvexj). This build is translated from the US set 'talvex' "
    "(tx-usa.u10/u8).";
const char* const MSG_NOT_STANDARD = "Not the standard 'talvex' set.%s%s%s%s";
const char* const MSG_MISSING = " Missing:";
const char* const MSG_WRONG = " Wrong size/CRC:";
const char* const MSG_BIOS_WRONG = "%s in the BIOS archive has the wrong size or CRC.";
const char* const MSG_BIOS_NOT_FOUND =
    "The Voxa Arcade System BIOS (the standard 'voxa' set, file %s) was not found. Put voxa.zip "
    "next to talvex.zip or select it.";
const char* const MSG_OUT_OF_MEMORY = "out of memory";
const char* const MSG_EXTRACT_FAILED = "Cannot read %s from the archive \"%s\".";

constexpr size_t LIST_CHARS = 399;

// Every graphics and sample chip holds 4 MiB.
constexpr size_t MASK_ROM_SIZE = 0x400000;

// Index of the first entry whose base name equals `name` ignoring case, or -1.
int find_member(const ZipReader* zip, const char* name) {
    int count = zipio_member_count(zip);
    for (int i = 0; i < count; i++) {
        const char* stored = zipio_member_name(zip, i);
        if (stored && strcasecmp(zipio_basename(stored), name) == 0) return i;
    }
    return -1;
}

void append_name(char* list, const char* name) {
    size_t used = strlen(list);
    if (used < LIST_CHARS) strncat(list, " ", LIST_CHARS - used);
    used = strlen(list);
    if (used < LIST_CHARS) strncat(list, name, LIST_CHARS - used);
}

// Looks for the US BIOS file in one archive: 1 good, 0 bad, -1 absent or
// the archive cannot be opened.
int check_bios_in(const char* path) {
    ZipReader* zip = zipio_open(path);
    if (!zip) return -1;
    const BiosFileSpec* us = bios_file_for_region('U');
    int result = -1;
    int index = find_member(zip, us->file);
    ZipMemberInfo info;
    if (index >= 0 && zipio_member_stat(zip, index, &info))
        result = info.size == BIOS_FILE_SIZE && info.crc32 == us->crc32;
    zipio_close(zip);
    return result;
}

// Records why a member that passed the check could not be extracted.
void extract_failed(BoardState* b, const ZipReader* zip, const char* zip_path, const char* file) {
    if (zipio_out_of_memory(zip))
        snprintf(b->message, sizeof b->message, "%s", MSG_OUT_OF_MEMORY);
    else
        snprintf(b->message, sizeof b->message, MSG_EXTRACT_FAILED, file, zip_path);
}

// Copies one extracted member, or records why it could not be read.
int load_member(BoardState* b, ZipReader* zip, const char* zip_path, const RomFileSpec* spec, u8** data, size_t* size) {
    *data = zip_extract_by_basename(zip, spec->file, size);
    if (*data) return 1;
    extract_failed(b, zip, zip_path, spec->file);
    return 0;
}

u8* target_buffer(BoardState* b, RomTarget target) {
    switch (target) {
    case ROM_SPRITE: return b->sprite_rom;
    case ROM_TILE_A: return b->tile_rom_a;
    case ROM_TILE_B: return b->tile_rom_b;
    case ROM_SAMPLE: return b->sample_rom;
    default: return b->program_rom;
    }
}

u32 target_size(RomTarget target) {
    switch (target) {
    case ROM_SPRITE: return SPRITE_ROM_SIZE;
    case ROM_TILE_A:
    case ROM_TILE_B: return TILE_ROM_SIZE;
    case ROM_SAMPLE: return SAMPLE_ROM_SIZE;
    default: return PROGRAM_ROM_SIZE;
    }
}

int load_game_files(BoardState* b, const char* game_zip) {
    ZipReader* zip = zipio_open(game_zip);
    if (!zip) {
        // The check opened it a moment ago; it has gone or changed since.
        snprintf(b->message, sizeof b->message, MSG_CANNOT_OPEN, game_zip ? game_zip : "");
        return 0;
    }
    u8* even = nullptr;
    u8* odd = nullptr;
    size_t even_size = 0, odd_size = 0;
    int ok = load_member(b, zip, game_zip, &ROM_FILE_SPECS[0], &even, &even_size) &&
             load_member(b, zip, game_zip, &ROM_FILE_SPECS[1], &odd, &odd_size);
    if (ok) {
        // Byte-interleave the two chips so each big-endian 16-bit word takes
        // its high byte from the even chip. Copy no more than both hold.
        size_t n = even_size < odd_size ? even_size : odd_size;
        if (n > PROGRAM_ROM_SIZE / 2) n = PROGRAM_ROM_SIZE / 2;
        for (size_t i = 0; i < n; i++) {
            b->program_rom[2 * i] = even[i];
            b->program_rom[2 * i + 1] = odd[i];
        }
    }
    free(even);
    free(odd);
    for (int i = 2; ok && i < ROM_FILE_COUNT; i++) {
        const RomFileSpec* spec = &ROM_FILE_SPECS[i];
        u8* data;
        size_t size;
        if (!load_member(b, zip, game_zip, spec, &data, &size)) {
            ok = 0;
            break;
        }
        size_t room = target_size(spec->target) - spec->offset;
        size_t n = size < room ? size : room;
        if (n > MASK_ROM_SIZE) n = MASK_ROM_SIZE;
        memcpy(target_buffer(b, spec->target) + spec->offset, data, n);
        free(data);
    }
    zipio_close(zip);
    return ok;
}

// The region's BIOS file from the BIOS archive if it holds one, else from
// the game archive. Absent from both leaves the BIOS area zero; present but
// unreadable is a failure.
int load_bios(BoardState* b, const char* game_zip, const char* bios_zip) {
    const BiosFileSpec* spec = bios_file_for_region(b->region);
    const char* paths[2] = {bios_zip, game_zip};
    for (const char* path : paths) {
        ZipReader* zip = zipio_open(path);
        if (!zip) continue;
        if (find_member(zip, spec->file) < 0) {
            zipio_close(zip);
            continue;
        }
        size_t size;
        u8* data = zip_extract_by_basename(zip, spec->file, &size);
        if (!data) extract_failed(b, zip, path, spec->file);
        zipio_close(zip);
        if (!data) return 0;
        memcpy(b->bios_rom, data, size < BIOS_ROM_SIZE ? size : BIOS_ROM_SIZE);
        free(data);
        return 1;
    }
    return 1;
}

}  // namespace

const BiosFileSpec* bios_file_for_region(int region) {
    for (const BiosFileSpec& spec : BIOS_FILE_SPECS)
        if (spec.region == region) return &spec;
    return &BIOS_FILE_SPECS[0];
}

u8* zip_extract_by_basename(ZipReader* zip, const char* name, size_t* size_out) {
    if (size_out) *size_out = 0;
    int index = name ? find_member(zip, name) : -1;
    return index >= 0 ? zipio_extract(zip, index, size_out) : nullptr;
}

int romset_check(const char* game_zip, const char* bios_zip, char* message, size_t message_size) {
    // Writing into the caller's buffer only when it can hold something.
    char* msg = message && message_size ? message : nullptr;
    ZipReader* zip = zipio_open(game_zip);
    if (!zip) {
        if (msg) snprintf(msg, message_size, MSG_CANNOT_OPEN, game_zip ? game_zip : "");
        return 0;
    }
    if (find_member(zip, JAPANESE_PROGRAM) >= 0) {
        zipio_close(zip);
        if (msg) snprintf(msg, message_size, "%s", MSG_JAPANESE);
        return 0;
    }
    char missing[LIST_CHARS + 1] = "";
    char wrong[LIST_CHARS + 1] = "";
    for (const RomFileSpec& spec : ROM_FILE_SPECS) {
        int index = find_member(zip, spec.file);
        ZipMemberInfo info;
        if (index < 0 || !zipio_member_stat(zip, index, &info))
            append_name(missing, spec.file);
        else if (info.size != spec.size || info.crc32 != spec.crc32)
            append_name(wrong, spec.file);
    }
    zipio_close(zip);
    if (missing[0] || wrong[0]) {
        if (msg)
            snprintf(msg, message_size, MSG_NOT_STANDARD, missing[0] ? MSG_MISSING : "", missing,
                     wrong[0] ? MSG_WRONG : "", wrong);
        return 0;
    }
    const char* bios_name = bios_file_for_region('U')->file;
    const char* paths[2] = {bios_zip, game_zip};
    for (const char* path : paths) {
        int found = check_bios_in(path);
        if (found == 1) return 1;
        if (found == 0) {
            if (msg) snprintf(msg, message_size, MSG_BIOS_WRONG, bios_name);
            return 0;
        }
    }
    if (msg) snprintf(msg, message_size, MSG_BIOS_NOT_FOUND, bios_name);
    return 0;
}

int board_load(BoardState* b, const char* game_zip, const char* bios_zip, int region) {
    // Buffers of an earlier load would be lost by the clearing below.
    board_free_roms(b);
    fingerprint_cache_clear();
    memset(static_cast<void*>(b), 0, sizeof *b);
    b->region = static_cast<u8>(region & 0xFF);
    if (b->region == 0) b->region = 'U';
    if (!romset_check(game_zip, bios_zip, b->message, sizeof b->message)) return 0;
    b->bios_rom = static_cast<u8*>(calloc(1, BIOS_ROM_SIZE));
    b->program_rom = static_cast<u8*>(calloc(1, PROGRAM_ROM_SIZE));
    b->sprite_rom = static_cast<u8*>(calloc(1, SPRITE_ROM_SIZE));
    b->tile_rom_a = static_cast<u8*>(calloc(1, TILE_ROM_SIZE));
    b->tile_rom_b = static_cast<u8*>(calloc(1, TILE_ROM_SIZE));
    b->sample_rom = static_cast<u8*>(calloc(1, SAMPLE_ROM_SIZE));
    if (!b->bios_rom || !b->program_rom || !b->sprite_rom || !b->tile_rom_a || !b->tile_rom_b || !b->sample_rom) {
        board_free_roms(b);
        snprintf(b->message, sizeof b->message, "%s", MSG_OUT_OF_MEMORY);
        return 0;
    }
    memset(b->nvram, 0xFF, sizeof b->nvram);
    if (!load_game_files(b, game_zip) || !load_bios(b, game_zip, bios_zip)) {
        board_free_roms(b);
        return 0;
    }
    board_reset(b);
    return 1;
}
