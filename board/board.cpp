// The board record's life: reset, freeing the ROM images, the current
// record and the input word.
#include "board/board.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "board/fingerprint.h"
#include "board/frame.h"
#include "board/ymz280b.h"

namespace {

constexpr u32 RNG_SEED = 0x9D14ABD7;
constexpr u32 CHAR_RAM_MIRROR_SIZE = 0x40000;

}  // namespace

int board_has_roms(const BoardState* b) {
    return b && b->bios_rom && b->program_rom && b->sprite_rom && b->tile_rom_a && b->tile_rom_b && b->sample_rom;
}

void board_reset(BoardState* b) {
    // Reset reads the reset vectors from the BIOS and clears the character
    // RAM mirror: without the ROM images there is no board to reset.
    if (!board_has_roms(b)) return;

    board_set_current(b);

    std::memset(b->work_ram, 0, sizeof b->work_ram);
    std::memset(b->cache_ram, 0, sizeof b->cache_ram);
    // The video block, sprite_ram through char_ram, is one contiguous range
    // of byte arrays.
    u8* video_begin = b->sprite_ram;
    u8* video_end = b->char_ram + sizeof b->char_ram;
    std::memset(video_begin, 0, static_cast<size_t>(video_end - video_begin));
    std::memset(b->tile_rom_b, 0, CHAR_RAM_MIRROR_SIZE);
    std::memset(b->palette_cache, 0, sizeof b->palette_cache);
    std::memset(b->sprite_bitmap, 0, sizeof b->sprite_bitmap);

    std::memset(b->onchip_regs, 0, sizeof b->onchip_regs);
    b->divu_dvsr = 0;
    b->divu_quotient = 0;
    b->divu_remainder = 0;
    b->divu_ovf = 0;
    b->divu_ovfie = 0;
    b->frt_tier = 0;
    b->frt_ftcsr = 0;
    b->frt_tcr = 0;
    b->frt_tocr = 0;
    b->frt_frc = 0;
    b->frt_ocra = 0;
    b->frt_ocrb = 0;
    b->frt_last = 0;
    std::memset(&b->hit, 0, sizeof b->hit);

    b->frt_next = ~0ull;

    PaletteControl& pc = b->palette_control;
    std::memset(&pc, 0, sizeof pc);
    pc.sprite_brightness_on = 1;
    pc.tile_brightness_on = 1;
    pc.tile_layers_on = 1;
    pc.sprite_layer_on = 1;

    ymz_reset(&b->ymz);

    if (b->dip == 0) b->dip = 0xFF;
    b->rng = RNG_SEED;
    b->idle_skip = 1;
    // The clock's base is taken once, so the emulated clock keeps running
    // across resets.
    if (b->rtc_base == 0) b->rtc_base = static_cast<s64>(std::time(nullptr));
    b->lines_run = 0;
    b->line = 0;
    if (b->stop_line == 0 || b->stop_line >= LINES_PER_FRAME) b->stop_line = VBLANK_LINE;
    b->frames_run = 0;
    // The periodic levels are first due one period after cycle 0.
    b->next_irl15 = IRL15_CYCLES;
    b->next_irl11 = IRL11_CYCLES;
    b->next_irl9 = IRL9_CYCLES;
    b->audio_fraction = 0;

    // Last: the CPU fetches its initial PC and stack pointer through the
    // bus, from the board set up above.
    sh2_reset(&b->cpu);
}

void board_free_roms(BoardState* b) {
    if (!b) return;
    u8** roms[] = {&b->bios_rom, &b->program_rom, &b->sprite_rom, &b->tile_rom_a, &b->tile_rom_b, &b->sample_rom};
    for (u8** rom : roms) {
        std::free(*rom);
        *rom = nullptr;
    }
    // A later set may be allocated at the same addresses.
    fingerprint_cache_clear();
}

void board_set_inputs(BoardState* b, u32 bits) { b->input_bits = bits; }
