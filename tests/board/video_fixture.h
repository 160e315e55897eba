// Shared set-up of the video tests: a zeroed board record with its own graphics buffers; registers and RAM are stored
// big-endian, as the SH-2 program would store them, before the device hooks are called.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "board/board.h"
#include "board/palette.h"
#include "board/sprites.h"
#include "board/tilemap.h"
#include "board/video.h"

// A pixel position and the value expected there.
struct Px {
    int x, y;
    u32 want;
};

class VideoTest : public ::testing::Test {
protected:
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    std::vector<u8> sprite_rom = std::vector<u8>(SPRITE_ROM_SIZE), tile_a = std::vector<u8>(TILE_ROM_SIZE),
                    tile_b = std::vector<u8>(TILE_ROM_SIZE);
    VideoTest() {
        b->sprite_rom = sprite_rom.data(), b->tile_rom_a = tile_a.data(), b->tile_rom_b = tile_b.data();
        // The palette control bytes as a board reset leaves them.
        PaletteControl& pc = b->palette_control;
        pc.sprite_brightness_on = pc.tile_brightness_on = pc.tile_layers_on = pc.sprite_layer_on = 1;
    }
    ~VideoTest() override { std::free(b); }
    // Big-endian store of the n low bytes of v.
    static void put(u8* p, u32 off, u32 v, int n = 4) {
        for (int i = 0; i < n; i++) p[off + i] = u8(v >> 8 * (n - 1 - i));
    }
    // --- palette ---
    void set_reg(u32 reg, u32 value) { put(b->palette_regs, reg * 4, value), palette_regs_write(b, reg); }
    void set_entry(u32 index, u32 value) { put(b->palette_ram, index * 4, value), palette_write_entry(b, index); }
    // Brightness off for both banks, both layers and sprites shown.
    void plain_palette() { set_reg(0, 0x100), set_reg(4, 0x100); }
    static u32 rgb5(u32 r, u32 g, u32 bl) { return (r << 10) | (g << 5) | bl; }
    // --- tilemap layers ---
    u8* map(u32 layer) { return layer == 0 ? b->tilemap_ram_a : b->tilemap_ram_b; }
    u8* gfx(u32 layer) { return layer == 0 ? b->tile_rom_a : b->tile_rom_b; }
    static u32 tile_word(u32 number, u32 colour_row, u32 priority, bool flip_x = false, bool flip_y = false) {
        return (flip_x ? 0x80000000u : 0) | (flip_y ? 0x40000000u : 0) | (colour_row << 24) | (priority << 21) | number;
    }
    void set_tile(u32 layer, u32 row, u32 col, u32 word) { put(map(layer), (row * 64 + col) * 4, word); }
    void fill_map(u32 layer, u32 word) {
        for (u32 i = 0; i < 64 * 64; i++) put(map(layer), i * 4, word);
    }
    // 8 bits per pixel: every pixel of the tile holds value.
    void fill_tile8(u32 layer, u32 number, u8 v) { std::memset(gfx(layer) + ((number << 8) & 0x7fff00), v, 256); }
    // Stores a 24-bit layer register given by layer A's offset; layer B's copy lies 0x24 bytes further on.
    void roz24(u32 layer, u32 a_offset, u32 v) { put(b->tilemap_regs, a_offset + layer * 0x24, v & 0xffffff, 3); }
    // Enables a layer with unit steps (the map shown unscaled from start x, y in pixels) and the given mode and flags.
    void unit_layer(u32 layer, u32 mode = 0, u32 flags = 1, s32 start_x = 0, s32 start_y = 0) {
        b->tilemap_regs[0x0f - layer] = u8(mode);
        b->tilemap_regs[0x13 + layer * 0x24] = u8(flags);
        const u32 values[6] = {u32(start_x * 256), u32(start_y * 256), 0x100, 0, 0, 0x100};  // start, steps
        for (u32 i = 0; i < 6; i++) roz24(layer, 0x1d + 4 * i, values[i]);
    }
    void render_layer(u32 layer) { layer_buffers_clear(), roz_layer_render(b, layer); }
    static u16 colour_at(u32 layer, int x, int y) { return layer_colour_buffer[2 * (y * SCREEN_WIDTH + x) + layer]; }
    static u8 priority_at(u32 layer, int x, int y) { return layer_priority_buffer[2 * (y * SCREEN_WIDTH + x) + layer]; }
    u32 pixel(int x, int y) const { return b->frame_buffer[y * SCREEN_WIDTH + x]; }
    u16 sprite_px(int x, int y) const { return b->sprite_bitmap[y * SCREEN_WIDTH + x]; }
};
