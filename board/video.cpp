#include "board/video.h"

#include <cstring>

#include "board/palette.h"
#include "board/tilemap.h"

namespace {

inline u32 add_sat(u32 t, u32 s, u32 factor) {
    const u32 v = t + ((factor * s) >> 8);
    return v > 255 ? 255 : v;
}

// Additive blend of a sprite colour onto the tile colour beneath it, channel
// by channel, each saturating on its own.
inline u32 blend(u32 tile, u32 sprite, const PaletteControl& pc) {
    const u32 bl = add_sat(tile & 0xff, sprite & 0xff, pc.blend_factor_b);
    const u32 g = add_sat((tile >> 8) & 0xff, (sprite >> 8) & 0xff, pc.blend_factor_g);
    const u32 r = add_sat((tile >> 16) & 0xff, (sprite >> 16) & 0xff, pc.blend_factor_r);
    return (r << 16) | (g << 8) | bl;
}

// What one composition needs besides the pixels.
struct Compose {
    const BoardState* b;
    u32 tie_a, tie_b;  // each layer's priority tie bit
    bool sprites_on;
    const u8* blends;  // per sprite-bank entry: 1 = additive blend
};

// The pixels of one composition that blend, with their tile colours.
u32 blend_pixels[LAYER_PIXELS];
u32 blend_tiles[LAYER_PIXELS];

// One pass over the picture. A layer that did not draw counts as colour 0 and
// priority 0 everywhere, so its buffer is neither cleared nor read.
template <bool A_DRAWN, bool B_DRAWN>
void compose(const Compose& k, u32* out) {
    const BoardState* b = k.b;
    const PaletteControl& pc = b->palette_control;
    const u32* cache = b->palette_cache;
    const u16* sprites = b->sprite_bitmap;
    u32 blend_count = 0;
    for (u32 p = 0; p < u32(LAYER_PIXELS); p++) {
        const u32 ca = A_DRAWN ? layer_colour_buffer[2 * p] & 0x7fff : 0;
        const u32 cb = B_DRAWN ? layer_colour_buffer[2 * p + 1] & 0x7fff : 0;
        const u32 key_a = (A_DRAWN ? (layer_priority_buffer[2 * p] & 7) * 2 : 0) + k.tie_a;
        const u32 key_b = (B_DRAWN ? (layer_priority_buffer[2 * p + 1] & 7) * 2 : 0) + k.tie_b;
        const u32 op_a = (ca & 0xff) != 0;
        const u32 op_b = (cb & 0xff) != 0;

        // Layer A wins ties. With neither layer opaque the backdrop is layer
        // A's colour where A's key is not below B's, else palette entry 0.
        // Written with masks: the outcome varies pixel by pixel.
        const u32 b_first = key_b > key_a;
        const u32 use_b = op_b & (b_first | (op_a ^ 1));
        const u32 use_a = op_a & (use_b ^ 1);
        const u32 show_a = (use_b ^ 1) & (use_a | (b_first ^ 1));
        const u32 key = (key_b & (0u - use_b)) | (key_a & (0u - use_a));
        const u32 tc = (cb & (0u - use_b)) | (ca & (0u - show_a));

        const u32 tile_colour = cache[tc];
        const u32 sp = k.sprites_on ? sprites[p] : 0;
        const u32 m = sp & 0x3fff;
        // A sprite of priority p beats tile keys below 4p + 3: a tile of the
        // next priority up with its tie bit set holds against it.
        const u32 wins = u32((m & 0xff) != 0) & u32(key < ((sp >> 12) | 3));
        const u32 sprite_colour = cache[m];
        out[p] = ((sprite_colour & (0u - wins)) | (tile_colour & (wins - 1))) & 0x00FFFFFF;
        // Pixels to blend are listed and blended afterwards: which pixels
        // blend varies too much for a branch here to be predicted.
        blend_pixels[blend_count] = p;
        blend_tiles[blend_count] = tile_colour;
        blend_count += wins & k.blends[m];
    }
    for (u32 i = 0; i < blend_count; i++) {
        const u32 p = blend_pixels[i];
        out[p] = blend(blend_tiles[i], out[p], pc);
    }
}

// The additive-blend flag (bit 15) of every sprite-bank palette entry, taken
// once a frame so the pixel loop reads a small table instead of palette RAM.
u8 sprite_blends[PALETTE_TILE_BANK];

}  // namespace

void video_compose_frame(BoardState* b) {
    PaletteControl& pc = b->palette_control;
    if (pc.palette_regs_written) {
        // The dirty flags stay set: every later composition that follows a
        // register write reconverts the marked banks again.
        if (pc.sprite_bank_dirty) palette_convert_range(b, 0, PALETTE_TILE_BANK);
        if (pc.tile_bank_dirty) palette_convert_range(b, PALETTE_TILE_BANK, PALETTE_ENTRIES - PALETTE_TILE_BANK);
        pc.palette_regs_written = 0;
    }

    const int b_drawn = roz_layer_render(b, 1);
    const int a_drawn = roz_layer_render(b, 0);
    for (u32 i = 0; i < PALETTE_TILE_BANK; i++) sprite_blends[i] = b->palette_ram[i * 4 + 2] >> 7;

    const Compose k = {b, roz_layer_tie_bit(b, 0), roz_layer_tie_bit(b, 1), pc.sprite_layer_on != 0, sprite_blends};
    static void (*const passes[4])(const Compose&, u32*) = {compose<false, false>, compose<true, false>,
                                                            compose<false, true>, compose<true, true>};
    passes[(a_drawn ? 1 : 0) | (b_drawn ? 2 : 0)](k, b->frame_buffer);
}
void* board_copy_framebuffer(BoardState* b, void* dst) {
    std::memcpy(dst, b->frame_buffer, sizeof b->frame_buffer);
    return dst;
}
