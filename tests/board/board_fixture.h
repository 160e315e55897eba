// A board record for tests: zeroed, with all six ROM buffers allocated and
// zero-filled, so that tests can place SH-2 programs and data straight into
// the images without any ZIP archive.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/memory_map.h"

// A zeroed board with every ROM buffer allocated (zero-filled). Null when
// memory runs out. Free with test_board_delete.
inline BoardState* test_board_new() {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    if (!b) return nullptr;
    b->bios_rom = static_cast<u8*>(std::calloc(1, BIOS_ROM_SIZE));
    b->program_rom = static_cast<u8*>(std::calloc(1, PROGRAM_ROM_SIZE));
    b->sprite_rom = static_cast<u8*>(std::calloc(1, SPRITE_ROM_SIZE));
    b->tile_rom_a = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    b->tile_rom_b = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    b->sample_rom = static_cast<u8*>(std::calloc(1, SAMPLE_ROM_SIZE));
    if (!board_has_roms(b)) {
        board_free_roms(b);
        std::free(b);
        return nullptr;
    }
    return b;
}

// Frees the ROM buffers and the record; the record stops being current.
inline void test_board_delete(BoardState* b) {
    if (!b) return;
    if (board_current() == b) board_set_current(nullptr);
    board_free_roms(b);
    std::free(b);
}

// Copies `size` bytes to the ROM image or RAM that SH-2 address `address`
// (unfolded: 0x00000000 BIOS, 0x04000000 program ROM, 0x06000000 work RAM)
// reaches. Returns false when the bytes do not fit in one of those.
inline bool test_board_place(BoardState* b, u32 address, const void* data, size_t size) {
    struct Area {
        u32 base;
        u8* mem;
        size_t size;
    };
    const Area areas[] = {
        {0x00000000, b->bios_rom, BIOS_ROM_SIZE},
        {0x04000000, b->program_rom, PROGRAM_ROM_SIZE},
        {0x06000000, b->work_ram, sizeof b->work_ram},
    };
    for (const Area& a : areas) {
        if (address >= a.base && address - a.base <= a.size && size <= a.size - (address - a.base)) {
            std::memcpy(a.mem + (address - a.base), data, size);
            return true;
        }
    }
    return false;
}

// The bytes of a file; empty when it cannot be read.
inline std::vector<u8> test_read_file(const std::string& path) {
    std::vector<u8> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    u8 buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

#ifdef TEST_PROGRAM_DIR
// The assembled test program `name` (without ".bin") of this test folder.
inline std::vector<u8> test_program_bytes(const char* name) {
    return test_read_file(std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin");
}

// Places the assembled program `name` at its load address `base` (the
// address its "! base:" line names). False when it is missing or does not
// fit.
inline bool test_board_load_program(BoardState* b, const char* name, u32 base = 0) {
    std::vector<u8> bytes = test_program_bytes(name);
    return !bytes.empty() && test_board_place(b, base, bytes.data(), bytes.size());
}
#endif

// Big-endian accessors for the board's memory images.
inline u32 test_be32(const u8* p) {
    return (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) | (static_cast<u32>(p[2]) << 8) | p[3];
}

inline void test_put_be32(u8* p, u32 v) {
    p[0] = static_cast<u8>(v >> 24);
    p[1] = static_cast<u8>(v >> 16);
    p[2] = static_cast<u8>(v >> 8);
    p[3] = static_cast<u8>(v);
}

// A work RAM word as the SH-2 sees it at 0x06000000 + offset.
inline u32 test_work_word(const BoardState* b, u32 offset) {
    return test_be32(b->work_ram + offset);
}

// Owns a test board for the length of a scope.
struct TestBoard {
    BoardState* b;
    TestBoard() : b(test_board_new()) {}
    ~TestBoard() { test_board_delete(b); }
    TestBoard(const TestBoard&) = delete;
    TestBoard& operator=(const TestBoard&) = delete;
    BoardState* operator->() const { return b; }
};
