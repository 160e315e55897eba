#include "board/sprites.h"

#include <cstring>

#include "board/big_endian.h"

namespace {

constexpr u32 RING_SIZE = 8192;
constexpr u32 ROM_MASK = SPRITE_ROM_SIZE - 1;
constexpr s64 ONE = 0x10000;  // 1.0 in the 16.16 walk

// Each sprite is unpacked from position 0. At most 64 x 64 bytes are wanted
// and the last run adds at most 128 more, so the ring never wraps within
// one sprite.
u8 sprite_ring[RING_SIZE];
constexpr u32 MAX_RUN = 128;
static_assert(64 * 64 + MAX_RUN <= RING_SIZE, "one sprite's runs must fit the ring");

inline u16 be16(const u8* p) { return u16(be_load(p, 2)); }

// A 15-bit signed offset (sign in bit 14; bit 15 ignored) as a 16-bit value.
inline u16 offset15(const u8* p) {
    u32 v = be16(p) & 0x7fff;
    if (v & 0x4000) v |= 0x8000;
    return u16(v);
}

// Unpacks at least `wanted` bytes into the ring from `pos`; returns the read
// position just after the last run.
u32 unpack(const u8* rom, u32 pos, u32 wanted) {
    u32 out = 0;
    while (out < wanted) {
        const u32 c = rom[pos];
        pos = (pos + 1) & ROM_MASK;
        if (c >= 0x80) {
            const u32 n = (c & 0x7f) + 1;
            if (pos + MAX_RUN <= SPRITE_ROM_SIZE) {
                // Whole-run copies of a fixed length are far cheaper than
                // copies of n bytes; what lands past the run is overwritten
                // by the next run or lies past the sprite.
                std::memcpy(sprite_ring + out, rom + pos, MAX_RUN);
                pos = (pos + n) & ROM_MASK;
            } else {
                for (u32 i = 0; i < n; i++) {
                    sprite_ring[out + i] = rom[pos];
                    pos = (pos + 1) & ROM_MASK;
                }
            }
            out += n;
        } else {
            const u32 n = c + 1;
            std::memset(sprite_ring + out, rom[pos], MAX_RUN);
            pos = (pos + 1) & ROM_MASK;
            out += n;
        }
    }
    return pos;
}

// Copies source pixels i0 to i1 - 1 of a sprite row onto bitmap pixels; 0 is
// transparent. Selects rather than conditional stores, and no aliasing
// between the two, so the copy vectorises without run-time checks.
inline void copy_row(u16* __restrict row, const u8* __restrict src, int i0, int i1, u16 tag) {
    for (int i = i0; i < i1; i++) {
        const u8 v = src[i];
        row[i] = v ? u16(v | tag) : row[i];
    }
}

void draw_unscaled(u16* bitmap, int sx, int sy, int w, int h, bool fx, bool fy, u16 tag) {
    // sx, sy are in 1/64 pixel; the shift floors toward minus infinity.
    const int x0 = (sx >> 6) - (fx ? w : 0);
    const int y0 = (sy >> 6) - (fy ? h : 0);
    // A row, reversed when flipped in X, covers columns x0 to x0 + w - 1;
    // i0 to i1 is its visible part.
    const int i0 = x0 < 0 ? -x0 : 0;
    const int i1 = x0 + w > SCREEN_WIDTH ? SCREEN_WIDTH - x0 : w;
    if (i0 >= i1) return;
    u8 reversed[64];
    for (int k = 0; k < h; k++) {
        const int y = y0 + (fy ? h - 1 - k : k);
        if (y < 0 || y >= SCREEN_HEIGHT) continue;
        const u8* src = sprite_ring + k * w;
        if (fx) {
            // Widths are multiples of 16: reverse eight bytes at a time.
            for (int j = 0; j < w; j += 8) {
                u64 chunk;
                std::memcpy(&chunk, src + w - 8 - j, 8);
                chunk = __builtin_bswap64(chunk);
                std::memcpy(reversed + j, &chunk, 8);
            }
            src = reversed;
        }
        copy_row(bitmap + y * SCREEN_WIDTH + x0, src, i0, i1, tag);
    }
}

// One axis of a zoomed sprite, walked in 16.16 fixed point: the position p
// advances by dp (negative walks left or up) and the source coordinate s by
// ds per sub-step, and each destination pixel takes the source sample of the
// first sub-step that reached it. Since |dp| is at most one pixel, the
// destination pixels reached are consecutive; the axis is returned left to
// right (top to bottom) as the first pixel and one source index per pixel.
struct Axis {
    int first;
    int count;
    u16 source[SCREEN_WIDTH];
};

void walk_axis(s64 p, s64 dp, s64 ds, int size, int limit, Axis& axis) {
    const s64 limit_fx = s64(limit) << 16;
    const s64 s_end = s64(size) << 16;
    s64 s = 0;
    // Start off screen on the near side: skip forward without drawing, by
    // the least number of sub-steps that reaches the screen. The products
    // need 64 bits: a start 512 pixels out with the smallest step takes
    // 2^25 sub-steps.
    if (dp > 0 && p < 0) {
        const s64 n = (-p + dp - 1) / dp;
        p += n * dp;
        s += n * ds;
    } else if (dp < 0 && p >= limit_fx) {
        const s64 n = (p - limit_fx) / -dp + 1;
        p += n * dp;
        s += n * ds;
    }
    int count = 0;
    axis.first = int(p >> 16);
    if (dp > 0) {
        const bool unit = dp == ONE;
        while (p < limit_fx && s < s_end) {
            axis.source[count++] = u16(s >> 16);
            // Sub-steps until the integer part changes.
            const s64 n = unit ? 1 : ((((p >> 16) + 1) << 16) - p + dp - 1) / dp;
            p += n * dp;
            s += n * ds;
        }
    } else {
        const s64 adp = -dp;
        const bool unit = adp == ONE;
        while (p >= 0 && s < s_end) {
            axis.source[count++] = u16(s >> 16);
            const s64 n = unit ? 1 : (p & 0xffff) / adp + 1;
            p += n * dp;
            s += n * ds;
        }
        // Walked leftwards (upwards): turn the run around.
        axis.first -= count - 1;
        for (int i = 0, j = count - 1; i < j; i++, j--) {
            const u16 t = axis.source[i];
            axis.source[i] = axis.source[j];
            axis.source[j] = t;
        }
    }
    axis.count = count;
}

void draw_zoomed(u16* bitmap, int sx, int sy, int w, int h, bool fx, bool fy, u32 zx_src, u32 zx_dst, u32 zy_src,
                 u32 zy_dst, u16 tag) {
    const s64 dx = (ONE - zx_dst) * (fx ? -1 : 1);
    const s64 dy = (ONE - zy_dst) * (fy ? -1 : 1);
    const s64 du = ONE - zx_src;
    const s64 dv = ONE - zy_src;
    // 1/64 pixel to 16.16; no width or height correction for flips.
    const s64 x = s64(sx) * 1024;
    const s64 y = s64(sy) * 1024;

    Axis cols, rows;
    walk_axis(x, dx, du, w, SCREEN_WIDTH, cols);
    if (cols.count == 0) return;
    walk_axis(y, dy, dv, h, SCREEN_HEIGHT, rows);

    // Gather each source row once through the column map, then copy it to
    // every destination row that shows it.
    u8 line[SCREEN_WIDTH];
    int line_row = -1;
    const int n = cols.count;
    for (int r = 0; r < rows.count; r++) {
        const int v = rows.source[r];
        if (v != line_row) {
            const u8* src = sprite_ring + v * w;
            for (int c = 0; c < n; c++) line[c] = src[cols.source[c]];
            line_row = v;
        }
        copy_row(bitmap + (rows.first + r) * SCREEN_WIDTH + cols.first, line, 0, n, tag);
    }
}

}  // namespace

void sprites_render(BoardState* b) {
    const u8* regs = b->sprite_regs;
    if (!(regs[7] & 4)) std::memset(b->sprite_bitmap, 0, sizeof b->sprite_bitmap);
    if (regs[7] & 8) return;
    const u8* rom = b->sprite_rom;
    if (!rom) return;

    const bool group_offsets = (regs[3] & 0x40) != 0;
    const bool flip_y = (regs[7] & 1) != 0;
    const bool flip_x = (regs[7] & 2) != 0;
    const u16 global_y = offset15(regs + 0x0a);
    const u16 global_x = offset15(regs + 0x12);

    u32 pos = 0;
    u32 colour = 0;
    u32 priority = 0;
    u16 last_x = 0;
    u16 last_y = 0;

    for (u32 i = 0; i < 1024; i++) {
        const u8* e = b->sprite_ram + i * 16;
        const int w = 16 * ((e[0] & 3) + 1);
        const int h = 16 * (((e[0] >> 4) & 3) + 1);

        u16 x, y;
        if (e[2] & 0x20) {
            // Relative entries take no offsets of their own: they inherit
            // them through the previous entry's position.
            x = u16(last_x + be16(e + 10));
            y = u16(last_y + be16(e + 14));
        } else {
            x = u16(be16(e + 10) + global_x);
            y = u16(be16(e + 14) + global_y + 128);
            if (group_offsets) {
                const u32 g = (e[2] >> 3) & 3;
                x = u16(x + be16(regs + 0x1a + 8 * g));
                y = u16(y + be16(regs + 0x1e + 8 * g));
            }
        }
        last_x = x;
        last_y = y;

        int sx = s16(x);
        int sy = s16(y);
        if (flip_x) sx = 0x5000 - sx;
        if (flip_y) sy = 0x3c00 - sy;
        const bool fx = ((e[2] & 2) != 0) != flip_x;
        const bool fy = ((e[2] & 1) != 0) != flip_y;

        if (!(e[2] & 0x40)) colour = e[3] & 0x3f;
        if (!(e[2] & 0x80)) {
            priority = e[3] >> 6;
            pos = be_load(e + 5, 3) & ROM_MASK;
        }
        pos = unpack(rom, pos, u32(w * h));
        const u16 tag = u16(colour << 8 | priority << 14);

        u32 zx_src, zx_dst, zy_src, zy_dst;
        if (e[1] & 0x80) {
            zx_src = zy_src = 0;
            zx_dst = be16(e + 8);
            zy_dst = be16(e + 12);
        } else {
            zx_src = u32(e[8]) << 8;
            zx_dst = u32(e[9]) << 8;
            zy_src = u32(e[12]) << 8;
            zy_dst = u32(e[13]) << 8;
        }
        if ((zx_src | zx_dst | zy_src | zy_dst) == 0)
            draw_unscaled(b->sprite_bitmap, sx, sy, w, h, fx, fy, tag);
        else
            draw_zoomed(b->sprite_bitmap, sx, sy, w, h, fx, fy, zx_src, zx_dst, zy_src, zy_dst, tag);
    }
}
