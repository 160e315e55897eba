// Video worst case per frame: both tilemap layers on and rotated, a palette
// register written every frame (both banks reconverted), and a full sprite
// list of 1,024 32 x 32 sprites on screen with literal graphics, a quarter of
// them zoomed to twice their size. Prints microseconds per frame for the
// layers, the sprites and the composition separately.

#include "board/palette.h"
#include "board/sprites.h"
#include "board/tilemap.h"
#include "board/video.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

void put(u8* p, u32 off, u32 v, int bytes) {
    for (int i = bytes - 1; i >= 0; i--) p[off++] = u8(v >> (8 * i));
}

void setup(BoardState* b, std::mt19937& rng) {
    // Palette: brightness on with mid factors, every entry set.
    for (u32 r = 0; r < 8; r++) {
        put(b->palette_regs, r * 4, (r == 0 || r == 4) ? 0x101 : 0x80C0, 4);
        palette_regs_write(b, r);
    }
    for (u32 i = 0; i < PALETTE_ENTRIES; i++) {
        put(b->palette_ram, i * 4, (rng() & 0xFFFF) | ((i & 7) == 0 ? 0x8000 : 0), 4);
        palette_write_entry(b, i);
    }

    // Tilemaps: random flips, colours, priorities and graphics; tile numbers
    // laid out as a picture (consecutive along each map row), as a game's
    // backgrounds are, at a random base per row. Both layers are rotated a
    // little and scrolled per row or column.
    for (u32 i = 0; i < 64 * 64; i++) {
        static u32 base_a, base_b;
        if (i % 64 == 0) {
            base_a = rng() % 0x7000;
            base_b = rng() % 0xF000;
        }
        put(b->tilemap_ram_a, i * 4, (rng() & 0xFFE00000u) | (base_a + i % 64), 4);
        put(b->tilemap_ram_b, i * 4, (rng() & 0xFFE00000u) | (base_b + i % 64), 4);
    }
    for (u32 i = 0; i < 0x2000; i++) b->line_ram[i] = u8(rng() & 3);
    for (u32 i = 0; i < TILE_ROM_SIZE; i++) {
        b->tile_rom_a[i] = u8(rng());
        b->tile_rom_b[i] = u8(rng());
    }
    u8* r = b->tilemap_regs;
    r[0x0f] = 0;  // A: 8 bits per pixel, row scroll
    r[0x13] = 1;
    put(r, 0x1d, 0x001000, 3);
    put(r, 0x21, 0x002000, 3);
    put(r, 0x25, 0x0000F0, 3);
    put(r, 0x29, 0x000010, 3);
    put(r, 0x2d, 0xFFFFF0, 3);
    put(r, 0x31, 0x0000F0, 3);
    r[0x0e] = 3;  // B: 4 bits per pixel, column scroll
    r[0x37] = 3;
    put(r, 0x41, 0x000800, 3);
    put(r, 0x45, 0x000400, 3);
    put(r, 0x49, 0x000110, 3);
    put(r, 0x4d, 0x000008, 3);
    put(r, 0x51, 0xFFFFF8, 3);
    put(r, 0x55, 0x000110, 3);

    // Sprites: 1,024 bytes of literal data each, 32 x 32, all on screen.
    u32 pos = 0;
    for (u32 i = 0; i < 1024; i++) {
        const u32 addr = pos;
        for (u32 run = 0; run < 8; run++) {
            b->sprite_rom[pos++] = 0xFF;
            for (u32 k = 0; k < 128; k++) b->sprite_rom[pos++] = u8(1 + rng() % 255);
        }
        u8* e = b->sprite_ram + i * 16;
        e[0] = 0x11;
        e[1] = 0;
        e[2] = u8(rng() & 3);
        e[3] = u8(rng());
        put(e, 5, addr, 3);
        const bool zoomed = (i & 3) == 0;
        e[8] = zoomed ? 0x80 : 0;   // twice as wide
        e[12] = zoomed ? 0x80 : 0;  // twice as high
        const int size = zoomed ? 64 : 32;
        const int x =
            int(rng() % u32(320 - size)) + ((e[2] & 2) && !zoomed ? size : 0) + ((e[2] & 2) && zoomed ? size - 1 : 0);
        const int y =
            int(rng() % u32(240 - size)) + ((e[2] & 1) && !zoomed ? size : 0) + ((e[2] & 1) && zoomed ? size - 1 : 0);
        put(e, 10, u32(x * 64), 2);
        put(e, 14, u32(y * 64 - 128), 2);
    }
}

double micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main() {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    if (!b) return 1;
    b->sprite_rom = static_cast<u8*>(std::calloc(1, SPRITE_ROM_SIZE));
    b->tile_rom_a = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    b->tile_rom_b = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    if (!b->sprite_rom || !b->tile_rom_a || !b->tile_rom_b) return 1;
    b->palette_control.tile_layers_on = 1;
    b->palette_control.sprite_layer_on = 1;
    std::mt19937 rng(1234);
    setup(b, rng);

    // Each part is timed per frame; the mean and the best frame are shown
    // (the best frame is the figure least disturbed by other processes).
    const int frames = 300;
    double sum[3] = {0, 0, 0};
    double best[3] = {1e30, 1e30, 1e30};
    u32 checksum = 0;
    for (int f = 0; f < frames; f++) {
        auto t0 = Clock::now();
        layer_buffers_clear();
        roz_layer_render(b, 1);
        roz_layer_render(b, 0);
        auto t1 = Clock::now();
        sprites_render(b);
        auto t2 = Clock::now();
        palette_regs_write(b, 1);  // a register write each frame: reconversion
        video_compose_frame(b);    // renders the layers again and composes
        auto t3 = Clock::now();
        const double part[3] = {micros(t1 - t0), micros(t2 - t1), micros(t3 - t2)};
        for (int i = 0; i < 3; i++) {
            sum[i] += part[i];
            if (part[i] < best[i]) best[i] = part[i];
        }
        checksum += b->frame_buffer[(f * 7919) % (SCREEN_WIDTH * SCREEN_HEIGHT)];
    }
    int drawn = 0;
    for (u16 p : b->sprite_bitmap) drawn += p != 0;

    std::printf("video, %d frames (sprite pixels drawn: %d, checksum %08X)\n", frames, drawn, checksum);
    std::printf("                                   mean us/frame   best us/frame\n");
    std::printf("  layers (both)                    %10.1f      %10.1f\n", sum[0] / frames, best[0]);
    std::printf("  sprites (1024 x 32x32, 1/4 2x)   %10.1f      %10.1f\n", sum[1] / frames, best[1]);
    std::printf("  composition (without layers)     %10.1f      %10.1f\n", (sum[2] - sum[0]) / frames,
                best[2] - best[0]);
    std::printf("  total                            %10.1f      %10.1f\n", (sum[1] + sum[2]) / frames,
                best[1] + best[2]);

    std::free(b->sprite_rom);
    std::free(b->tile_rom_a);
    std::free(b->tile_rom_b);
    std::free(b);
    return 0;
}
