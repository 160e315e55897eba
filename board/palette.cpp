#include "board/palette.h"

#include "board/big_endian.h"

namespace {

// One 5-bit channel through a brightness factor: factor 0 blanks the channel,
// 255 leaves it as c << 3, and nothing in between exceeds 248.
inline u32 scale_channel(u32 c, u32 k) {
    if (k == 0) return 0;
    return ((8 * k + 8) * c) >> 8;
}

inline u32 entry_value(const BoardState* b, u32 index) { return be_load(b->palette_ram + index * 4 + 2, 2); }

struct BankFactors {
    bool on;
    u32 r, g, b;
};

inline BankFactors bank_factors(const BoardState* b, u32 index) {
    const PaletteControl& pc = b->palette_control;
    if (index < PALETTE_TILE_BANK)
        return {pc.sprite_brightness_on != 0, pc.sprite_factor_r, pc.sprite_factor_g, pc.sprite_factor_b};
    return {pc.tile_brightness_on != 0, pc.tile_factor_r, pc.tile_factor_g, pc.tile_factor_b};
}

inline u32 convert(u32 v, const BankFactors& f) {
    u32 r = (v >> 10) & 31;
    u32 g = (v >> 5) & 31;
    u32 bl = v & 31;
    if (f.on) {
        r = scale_channel(r, f.r);
        g = scale_channel(g, f.g);
        bl = scale_channel(bl, f.b);
    } else {
        r <<= 3;
        g <<= 3;
        bl <<= 3;
    }
    return 0xFF000000u | (r << 16) | (g << 8) | bl;
}

// Stores a new brightness factor; a change means the bank's cached colours
// are stale. The flag is only cleared by a board reset.
inline void set_factor(u8& factor, u8 value, u8& dirty) {
    if (factor != value) {
        factor = value;
        dirty = 1;
    }
}

}  // namespace

void palette_write_entry(BoardState* b, u32 index) {
    if (index >= PALETTE_ENTRIES) return;
    b->palette_cache[index] = convert(entry_value(b, index), bank_factors(b, index));
}

void palette_convert_range(BoardState* b, u32 first, u32 count) {
    if (first >= PALETTE_ENTRIES) return;
    if (count > PALETTE_ENTRIES - first) count = PALETTE_ENTRIES - first;
    u32 i = first;
    const u32 end = first + count;
    while (i < end) {
        // The factors are constant within a bank: convert each channel
        // through a 32-entry table.
        const u32 bank_end = i < PALETTE_TILE_BANK ? PALETTE_TILE_BANK : PALETTE_ENTRIES;
        const u32 stop = end < bank_end ? end : bank_end;
        const BankFactors f = bank_factors(b, i);
        u32 red[32], green[32], blue[32];
        for (u32 c = 0; c < 32; c++) {
            const u32 v = convert((c << 10) | (c << 5) | c, f);
            red[c] = v & 0xFFFF0000u;
            green[c] = v & 0x0000FF00u;
            blue[c] = v & 0x000000FFu;
        }
        for (; i < stop; i++) {
            const u32 v = entry_value(b, i);
            b->palette_cache[i] = red[(v >> 10) & 31] | green[(v >> 5) & 31] | blue[v & 31];
        }
    }
}

void palette_regs_write(BoardState* b, u32 reg) {
    if (reg >= 8) return;
    PaletteControl& pc = b->palette_control;
    const u8 hi = b->palette_regs[reg * 4 + 2];
    const u8 lo = b->palette_regs[reg * 4 + 3];
    pc.palette_regs_written = 1;
    switch (reg) {
    case 0:
        set_factor(pc.sprite_brightness_on, lo & 1, pc.sprite_bank_dirty);
        pc.sprite_layer_on = hi & 1;
        break;
    case 4:
        set_factor(pc.tile_brightness_on, lo & 1, pc.tile_bank_dirty);
        pc.tile_layers_on = hi & 1;
        break;
    // The blend factors of red and blue sit in the opposite registers from
    // the brightness factors of red and blue; the hardware is wired that way.
    case 1:
        set_factor(pc.sprite_factor_g, lo, pc.sprite_bank_dirty);
        pc.blend_factor_g = hi;
        break;
    case 2:
        set_factor(pc.sprite_factor_r, lo, pc.sprite_bank_dirty);
        pc.blend_factor_b = hi;
        break;
    case 3:
        set_factor(pc.sprite_factor_b, lo, pc.sprite_bank_dirty);
        pc.blend_factor_r = hi;
        break;
    case 5:
        set_factor(pc.tile_factor_g, lo, pc.tile_bank_dirty);
        pc.tile_reg5_high = hi;
        break;
    case 6:
        set_factor(pc.tile_factor_r, lo, pc.tile_bank_dirty);
        pc.tile_reg6_high = hi;
        break;
    case 7:
        set_factor(pc.tile_factor_b, lo, pc.tile_bank_dirty);
        pc.tile_reg7_high = hi;
        break;
    }
}
