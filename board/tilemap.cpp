#include "board/tilemap.h"

#include "board/big_endian.h"

u16 layer_colour_buffer[LAYER_PIXELS * 2];
u8 layer_priority_buffer[LAYER_PIXELS * 2];

namespace {

// Register byte offsets of one layer within tilemap_regs.
struct LayerRegs {
    u32 mode, flags, start_x, start_y, x_step_px, y_step_px, x_step_line, y_step_line;
};

constexpr LayerRegs LAYER_REGS[2] = {
    {0x0f, 0x13, 0x1d, 0x21, 0x25, 0x29, 0x2d, 0x31},
    {0x0e, 0x37, 0x41, 0x45, 0x49, 0x4d, 0x51, 0x55},
};

// A 24-bit value with 8 fraction bits, as a 32-bit value with 16 fraction
// bits; the shift moves bit 23 into the sign.
inline u32 reg24(const u8* r, u32 at) { return be_load(r + at, 3) << 8; }

// A 19-bit value (sign in bit 18), widened to 24 bits and then as reg24.
inline u32 reg19(const u8* r, u32 at) {
    u32 v = be_load(r + at, 3) & 0x7FFFF;
    if (v & 0x40000) v |= 0xF80000;
    return v << 8;
}

// A map entry decoded for the pixel loop: where its graphics start, the
// first palette index of its colour row, its priority, and the flips as a
// mask over the pixel's offset within the tile (row in bits 7-4, column in
// bits 3-0; flipping is 15 - c, an XOR with 15).
struct TileInfo {
    u32 base;
    u16 colour;
    u8 priority;
    u8 flip;
};

struct LayerWalk {
    const u8* gfx;
    const TileInfo* map;  // 64 x 64
    const u16* scroll;    // 1024 scroll values
    u16* colour;          // the layer's slot: colour[2 * pixel]
    u8* priority;
    u32 start_x, start_y;
    u32 dx_px, dy_px, dx_line, dy_line;
};

// One layer with its modes fixed at compile time, so the pixel loop holds no
// mode decisions. FIXED_ROW: row scroll with no Y step per pixel, so every
// pixel of a screen line reads the same map row and scroll value (the
// unrotated case).
template <bool FOUR_BPP, bool COLUMN_SCROLL, bool NO_WRAP, bool FIXED_ROW>
void render_walk(const LayerWalk& walk) {
    // Locals, so the stores into the byte buffers cannot force reloads.
    const u8* const gfx = walk.gfx;
    const TileInfo* const map = walk.map;
    const u16* const scroll = walk.scroll;
    u16* const colour = walk.colour;
    u8* const priority = walk.priority;
    const u32 dx_px = walk.dx_px, dy_px = walk.dy_px;
    u32 lx = walk.start_x;
    u32 ly = walk.start_y;
    u32 p = 0;
    for (int line = 0; line < SCREEN_HEIGHT; line++) {
        u32 x = lx;
        u32 y = ly;
        if (FIXED_ROW) {
            if (NO_WRAP && y > 0x3ffffffu) {
                for (int col = 0; col < SCREEN_WIDTH; col++, p++) colour[2 * p] = priority[2 * p] = 0;
            } else {
                const u32 my = (y >> 16) & 0x3ff;
                const u32 sc = scroll[my];
                const TileInfo* row = map + (my >> 4) * 64;
                const u32 row_offset = (my & 15) << 4;
                for (int col = 0; col < SCREEN_WIDTH; col++, p++, x += dx_px) {
                    if (NO_WRAP && x > 0x3ffffffu) {
                        colour[2 * p] = priority[2 * p] = 0;
                        continue;
                    }
                    const u32 mx = ((x >> 16) - sc) & 0x3ff;
                    const TileInfo& t = row[mx >> 4];
                    const u32 offset = (row_offset | (mx & 15)) ^ t.flip;
                    u32 value;
                    if (FOUR_BPP)
                        value = (gfx[t.base + (offset >> 1)] >> ((offset & 1) * 4)) & 15;
                    else
                        value = gfx[t.base + offset];
                    colour[2 * p] = u16(t.colour + value);
                    priority[2 * p] = t.priority;
                }
            }
            lx += walk.dx_line;
            ly += walk.dy_line;
            continue;
        }
        for (int col = 0; col < SCREEN_WIDTH; col++, p++, x += dx_px, y += dy_px) {
            if (NO_WRAP && (x > 0x3ffffffu || y > 0x3ffffffu)) {
                colour[2 * p] = priority[2 * p] = 0;
                continue;
            }
            u32 mx, my;
            // The scroll table is indexed by the map row (or column) the walk
            // reached, not by the screen line, and the value is subtracted.
            if (COLUMN_SCROLL) {
                mx = (x >> 16) & 0x3ff;
                my = ((y >> 16) - scroll[mx]) & 0x3ff;
            } else {
                my = (y >> 16) & 0x3ff;
                mx = ((x >> 16) - scroll[my]) & 0x3ff;
            }
            const TileInfo& t = map[(my >> 4) * 64 + (mx >> 4)];
            const u32 offset = (((my & 15) << 4) | (mx & 15)) ^ t.flip;
            u32 value;
            if (FOUR_BPP) {
                // Two pixels a byte, the even column in the low nibble.
                value = (gfx[t.base + (offset >> 1)] >> ((offset & 1) * 4)) & 15;
            } else {
                value = gfx[t.base + offset];
            }
            // Value 0 is transparent, but its colour and priority are stored
            // all the same: composition shows the row's entry 0 as backdrop.
            colour[2 * p] = u16(t.colour + value);
            priority[2 * p] = t.priority;
        }
        lx += walk.dx_line;
        ly += walk.dy_line;
    }
}

using WalkFn = void (*)(const LayerWalk&);

// Indexed by bit 0 = 4 bits per pixel, bit 1 = column scroll, bit 2 = no
// wrap; the fixed-row variants exist for row scroll only.
constexpr WalkFn WALKS[8] = {
    render_walk<false, false, false, false>, render_walk<true, false, false, false>,
    render_walk<false, true, false, false>,  render_walk<true, true, false, false>,
    render_walk<false, false, true, false>,  render_walk<true, false, true, false>,
    render_walk<false, true, true, false>,   render_walk<true, true, true, false>,
};
constexpr WalkFn FIXED_ROW_WALKS[8] = {
    render_walk<false, false, false, true>, render_walk<true, false, false, true>, nullptr, nullptr,
    render_walk<false, false, true, true>,  render_walk<true, false, true, true>,  nullptr, nullptr,
};

}  // namespace

void layer_buffers_clear() {
    for (u32 i = 0; i < LAYER_PIXELS * 2; i++) {
        layer_colour_buffer[i] = 0;
        layer_priority_buffer[i] = 0;
    }
}

u32 roz_layer_tie_bit(const BoardState* b, u32 layer) {
    return (b->tilemap_regs[LAYER_REGS[layer & 1].flags] >> 1) & 1;
}

int roz_layer_render(BoardState* b, u32 layer) {
    if (layer > 1) return 0;
    const LayerRegs& lr = LAYER_REGS[layer];
    const u8* r = b->tilemap_regs;
    const u8 flags = r[lr.flags];
    const u8* gfx = layer == 0 ? b->tile_rom_a : b->tile_rom_b;
    if (!(flags & 1) || !b->palette_control.tile_layers_on || !gfx) return 0;

    // Decode the map and the scroll table once, outside the pixel loop.
    // In 4-bit mode a tile is 128 bytes and every tile number reaches into
    // the 8 MiB buffer; in 8-bit mode a tile is 256 bytes and the numbers
    // from 32,768 up alias the lower half.
    TileInfo map[64 * 64];
    u16 scroll[1024];
    const bool four_bpp = (r[lr.mode] & 1) != 0;
    const u8* m = layer == 0 ? b->tilemap_ram_a : b->tilemap_ram_b;
    for (u32 i = 0; i < 64 * 64; i++) {
        const u32 word = be_load(m + i * 4, 4);
        const u32 number = word & 0xffff;
        TileInfo& t = map[i];
        t.base = four_bpp ? number * 128 : (number << 8) & 0x7fff00;
        t.colour = u16(0x4000 + ((word >> 24) & 63) * 256);
        t.priority = u8((word >> 21) & 7);
        t.flip = u8(((word & 0x80000000u) ? 0x0F : 0) | ((word & 0x40000000u) ? 0xF0 : 0));
    }
    const u8* s = b->line_ram + layer * 0x1000;
    for (u32 i = 0; i < 1024; i++) scroll[i] = u16(be_load(s + i * 4 + 2, 2));

    LayerWalk w;
    w.gfx = gfx;
    w.map = map;
    w.scroll = scroll;
    w.colour = layer_colour_buffer + layer;
    w.priority = layer_priority_buffer + layer;
    w.start_x = reg24(r, lr.start_x);
    w.start_y = reg24(r, lr.start_y);
    w.dx_px = reg19(r, lr.x_step_px);
    w.dy_px = reg24(r, lr.y_step_px);
    w.dx_line = reg24(r, lr.x_step_line);
    w.dy_line = reg19(r, lr.y_step_line);

    const u8 mode = r[lr.mode];
    const u32 variant = (mode & 1) | (mode & 2) | ((flags & 4) ? 4 : 0);
    const bool fixed_row = !(mode & 2) && w.dy_px == 0;
    (fixed_row ? FIXED_ROW_WALKS : WALKS)[variant](w);
    return 1;
}
