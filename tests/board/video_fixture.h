// Shared set-up of the video tests: a zeroed board record with its own tile
// and sprite graphics buffers, and helpers that store values the way the
// SH-2 program would (big-endian) before calling the device hooks.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/palette.h"
#include "board/sprites.h"
#include "board/tilemap.h"
#include "board/video.h"

class VideoTest : public ::testing::Test {
protected:
    BoardState* b = nullptr;

    void SetUp() override
    {
        b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
        ASSERT_NE(b, nullptr);
        b->sprite_rom = static_cast<u8*>(std::calloc(1, SPRITE_ROM_SIZE));
        b->tile_rom_a = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
        b->tile_rom_b = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
        ASSERT_TRUE(b->sprite_rom && b->tile_rom_a && b->tile_rom_b);
        // The palette control bytes as a board reset leaves them.
        b->palette_control.sprite_brightness_on = 1;
        b->palette_control.tile_brightness_on = 1;
        b->palette_control.tile_layers_on = 1;
        b->palette_control.sprite_layer_on = 1;
    }

    void TearDown() override
    {
        if (!b)
            return;
        std::free(b->sprite_rom);
        std::free(b->tile_rom_a);
        std::free(b->tile_rom_b);
        std::free(b);
    }

    static void put32(u8* p, u32 off, u32 v)
    {
        p[off] = u8(v >> 24);
        p[off + 1] = u8(v >> 16);
        p[off + 2] = u8(v >> 8);
        p[off + 3] = u8(v);
    }
    static void put16(u8* p, u32 off, u32 v)
    {
        p[off] = u8(v >> 8);
        p[off + 1] = u8(v);
    }
    static void put24(u8* p, u32 off, u32 v)
    {
        p[off] = u8(v >> 16);
        p[off + 1] = u8(v >> 8);
        p[off + 2] = u8(v);
    }

    // --- palette ---
    void set_reg(u32 reg, u32 value)
    {
        put32(b->palette_regs, reg * 4, value);
        palette_regs_write(b, reg);
    }
    void set_entry(u32 index, u32 value)
    {
        put32(b->palette_ram, index * 4, value);
        palette_write_entry(b, index);
    }
    // Brightness off for both banks, both layers and sprites shown.
    void plain_palette()
    {
        set_reg(0, 0x100);
        set_reg(4, 0x100);
    }
    static u32 rgb5(u32 r, u32 g, u32 bl) { return (r << 10) | (g << 5) | bl; }

    // --- tilemap layers ---
    u8* map(u32 layer) { return layer == 0 ? b->tilemap_ram_a : b->tilemap_ram_b; }
    u8* gfx(u32 layer) { return layer == 0 ? b->tile_rom_a : b->tile_rom_b; }
    static u32 tile_word(u32 number, u32 colour_row, u32 priority, bool flip_x = false,
                         bool flip_y = false)
    {
        return (flip_x ? 0x80000000u : 0) | (flip_y ? 0x40000000u : 0) | (colour_row << 24) |
               (priority << 21) | number;
    }
    void set_tile(u32 layer, u32 row, u32 col, u32 word) { put32(map(layer), (row * 64 + col) * 4, word); }
    void fill_map(u32 layer, u32 word)
    {
        for (u32 i = 0; i < 64 * 64; i++)
            put32(map(layer), i * 4, word);
    }
    // 8 bits per pixel: every pixel of the tile holds value.
    void fill_tile8(u32 layer, u32 number, u8 value)
    {
        std::memset(gfx(layer) + ((number << 8) & 0x7fff00), value, 256);
    }
    // Enables a layer with unit steps (map shown unscaled from start x, y in
    // pixels) and the given mode and flags.
    void unit_layer(u32 layer, u32 mode = 0, u32 flags = 1, s32 start_x = 0, s32 start_y = 0)
    {
        u8* r = b->tilemap_regs;
        if (layer == 0) {
            r[0x0f] = u8(mode);
            r[0x13] = u8(flags);
            put24(r, 0x1d, u32(start_x * 256) & 0xffffff);
            put24(r, 0x21, u32(start_y * 256) & 0xffffff);
            put24(r, 0x25, 0x100);
            put24(r, 0x31, 0x100);
        } else {
            r[0x0e] = u8(mode);
            r[0x37] = u8(flags);
            put24(r, 0x41, u32(start_x * 256) & 0xffffff);
            put24(r, 0x45, u32(start_y * 256) & 0xffffff);
            put24(r, 0x49, 0x100);
            put24(r, 0x55, 0x100);
        }
    }
    void render_layer(u32 layer)
    {
        layer_buffers_clear();
        roz_layer_render(b, layer);
    }
    static u16 colour_at(u32 layer, int x, int y) { return layer_colour_buffer[2 * (y * SCREEN_WIDTH + x) + layer]; }
    static u8 priority_at(u32 layer, int x, int y) { return layer_priority_buffer[2 * (y * SCREEN_WIDTH + x) + layer]; }

    u32 pixel(int x, int y) const { return b->frame_buffer[y * SCREEN_WIDTH + x]; }
    u16 sprite_px(int x, int y) const { return b->sprite_bitmap[y * SCREEN_WIDTH + x]; }
};
