// Test boards whose ROM images tests fill directly, without any archive.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/board.h"

// A zeroed board with its six ROM buffers zero-filled (b null when out of memory).
struct TestBoard {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    TestBoard() {
        if (!b) return;
        b->bios_rom = static_cast<u8*>(std::calloc(1, BIOS_ROM_SIZE));
        b->program_rom = static_cast<u8*>(std::calloc(1, PROGRAM_ROM_SIZE));
        b->sprite_rom = static_cast<u8*>(std::calloc(1, SPRITE_ROM_SIZE));
        b->tile_rom_a = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
        b->tile_rom_b = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
        b->sample_rom = static_cast<u8*>(std::calloc(1, SAMPLE_ROM_SIZE));
        if (!board_has_roms(b)) release();
    }
    ~TestBoard() { release(); }
    void release() {
        if (!b) return;
        if (board_current() == b) board_set_current(nullptr);
        board_free_roms(b);
        std::free(b);
        b = nullptr;
    }
    TestBoard(const TestBoard&) = delete;
    TestBoard& operator=(const TestBoard&) = delete;
    BoardState* operator->() const { return b; }
};

inline u32 test_be32(const u8* p) {
    return (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) | (static_cast<u32>(p[2]) << 8) | p[3];
}

inline void test_put_be32(u8* p, u32 v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<u8>(v >> (24 - 8 * i));
}

// A work RAM word as the SH-2 sees it at 0x06000000 + offset.
inline u32 test_work_word(const BoardState* b, u32 offset) { return test_be32(b->work_ram + offset); }

#ifdef TEST_PROGRAM_DIR
// Places program `name` at its "! base:" address in the BIOS or program ROM; false if it can't.
inline bool test_board_load_program(BoardState* b, const char* name, u32 base = 0) {
    std::string path = std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin";
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    u8* mem = nullptr;
    size_t room = 0;
    if (base < BIOS_ROM_SIZE) {
        mem = b->bios_rom + base;
        room = BIOS_ROM_SIZE - base;
    } else if (base >= 0x04000000 && base - 0x04000000 < PROGRAM_ROM_SIZE) {
        mem = b->program_rom + (base - 0x04000000);
        room = PROGRAM_ROM_SIZE - (base - 0x04000000);
    }
    const bool fits = mem && std::fread(mem, 1, room, f) > 0 && std::fgetc(f) == EOF;
    std::fclose(f);
    return fits;
}
#endif
