// Board record operations: reset, the current record, and a record without ROMs.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <tuple>

#include "board/frame.h"
#include "board_fixture.h"

namespace {

bool all_bytes(const void* p, size_t n, u8 value) {
    const u8* b = static_cast<const u8*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i] != value) return false;
    return true;
}

}  // namespace

TEST(BoardReset, ClearsRamsVideoAndDevicesKeepsRomsBackupPictureAndInputs) {
    TestBoard t;
    BoardState* b = t.b;
    ASSERT_NE(b, nullptr);
    test_put_be32(b->bios_rom, 0x00000400);
    test_put_be32(b->bios_rom + 4, 0x060FFF00);
    u8* video = b->sprite_ram;  // sprite RAM up to the end of the character RAM
    const struct {
        void* p;
        size_t n;
        u8 value;
        bool kept;
        const char* what;
    } areas[] = {
        {b->work_ram, sizeof b->work_ram, 0x11, false, "work RAM"},
        {b->cache_ram, sizeof b->cache_ram, 0x22, false, "cache RAM"},
        {video, static_cast<size_t>(b->char_ram + sizeof b->char_ram - video), 0x33, false, "video RAMs"},
        {b->tile_rom_b, 0x40000, 0x44, false, "character RAM mirror"},
        {b->tile_rom_b + 0x40000, 16, 0x44, true, "layer B graphics past the mirror"},
        {b->palette_cache, sizeof b->palette_cache, 0x55, false, "palette cache"},
        {b->sprite_bitmap, sizeof b->sprite_bitmap, 0x66, false, "sprite bitmap"},
        {b->onchip_regs, sizeof b->onchip_regs, 0x77, false, "on-chip registers"},
        {&b->hit, sizeof b->hit, 0x88, false, "HIT device (results are not computed at reset)"},
        {b->program_rom, 16, 0x5A, true, "program ROM"},
        {b->sample_rom + SAMPLE_ROM_SIZE - 16, 16, 0xA5, true, "sample ROM"},
        {b->nvram, sizeof b->nvram, 0xFF, true, "NVRAM"},
        {b->rtc_regs, sizeof b->rtc_regs, 0x0C, true, "clock registers"},
        {b->frame_buffer, sizeof b->frame_buffer, 0x3C, true, "the last picture, kept until the next composition"},
    };
    for (auto& a : areas) std::memset(a.p, a.value, a.n);
    b->divu_dvsr = b->divu_quotient = b->divu_remainder = 9;
    b->divu_ovf = b->divu_ovfie = 1;
    b->frt_tier = b->frt_ftcsr = b->frt_tcr = b->frt_tocr = 3;
    b->frt_frc = b->frt_ocra = b->frt_ocrb = 0x1234;
    b->frt_last = b->frt_next = 777;
    std::memset(&b->palette_control, 9, sizeof b->palette_control);
    b->rng = 5, b->idle_skip = 0, b->line = 17;
    b->lines_run = b->frames_run = b->audio_fraction = 1000;
    b->next_irl15 = b->next_irl11 = b->next_irl9 = 1;
    b->cpu.r[3] = 42, b->cpu.cycles = 99999, b->cpu.irl_pending = 0x8000, b->cpu.idle = 1;
    b->ymz.selected = 0x7F, b->ymz.voices[3].playing = 1;
    b->input_bits = 0x00080081, b->region = 'U';
    std::strcpy(b->message, "left from before");
    u8* const program = b->program_rom;
    board_reset(b);
    for (auto& a : areas) EXPECT_TRUE(all_bytes(a.p, a.n, a.kept ? a.value : 0)) << a.what;
    EXPECT_EQ(b->program_rom, program);
    EXPECT_EQ(b->divu_dvsr | b->divu_quotient | b->divu_remainder | b->divu_ovf | b->divu_ovfie, 0u);
    EXPECT_EQ(b->frt_tier | b->frt_ftcsr | b->frt_tcr | b->frt_tocr | b->frt_frc | b->frt_ocra | b->frt_ocrb, 0);
    EXPECT_EQ(std::make_pair(b->frt_last, b->frt_next), std::make_pair(u64(0), ~u64(0))) << "no timer event due";
    const PaletteControl& pc = b->palette_control;
    EXPECT_EQ(pc.sprite_brightness_on + pc.tile_brightness_on + pc.tile_layers_on + pc.sprite_layer_on, 4);
    EXPECT_EQ(pc.sprite_factor_r | pc.tile_bank_dirty | pc.palette_regs_written, 0);
    EXPECT_EQ(std::make_tuple(b->rng, b->idle_skip, b->next_irl15, b->next_irl11, b->next_irl9),
              std::make_tuple(0x9D14ABD7u, 1u, u64(57272), u64(229088), u64(1824)));
    EXPECT_EQ(b->lines_run | b->frames_run | b->audio_fraction | b->line, 0u);
    EXPECT_EQ(b->ymz.selected | b->ymz.voices[3].playing, 0);
    // The CPU starts from the reset vectors with every interrupt masked.
    EXPECT_EQ(std::make_tuple(b->cpu.pc, b->cpu.r[15], b->cpu.r[3], b->cpu.sr, b->cpu.onchip_level),
              std::make_tuple(0x00000400u, 0x060FFF00u, 0u, 0xF0u, -1));
    EXPECT_EQ(b->cpu.cycles | b->cpu.irl_pending | b->cpu.idle, 0u);
    EXPECT_EQ(std::make_tuple(b->input_bits, b->region), std::make_tuple(0x00080081u, u8('U')));
    EXPECT_STREQ(b->message, "left from before");
    EXPECT_EQ(board_current(), b);
}

TEST(BoardReset, NormalisesDipStopLineAndTakesTheClockBaseOnce) {
    TestBoard t;
    ASSERT_NE(t.b, nullptr);
    const u8 dips[][2] = {{0, 0xFF}, {0x5A, 0x5A}, {0x01, 0x01}};  // 0 means all switches off
    for (auto& d : dips) {
        t->dip = d[0];
        board_reset(t.b);
        EXPECT_EQ(t->dip, d[1]) << "dip " << int(d[0]);
    }
    // A stop line outside 1..261 becomes the vertical blank line.
    const u16 stops[][2] = {{0, 240}, {262, 240}, {0xFFFF, 240}, {1, 1}, {100, 100}, {261, 261}};
    for (auto& s : stops) {
        t->stop_line = s[0];
        board_reset(t.b);
        EXPECT_EQ(t->stop_line, s[1]) << "stop line " << s[0];
    }
    t->rtc_base = 0;
    s64 before = static_cast<s64>(std::time(nullptr));
    board_reset(t.b);
    s64 base = t->rtc_base;
    EXPECT_GE(base, before);
    EXPECT_LE(base, static_cast<s64>(std::time(nullptr)));
    t->rtc_base = 946684800;  // a base kept from before (or restored) survives
    board_reset(t.b);
    EXPECT_EQ(t->rtc_base, 946684800);
}

TEST(BoardRecord, CurrentRecordInputsAndARecordWithoutRoms) {
    TestBoard one, two;
    ASSERT_TRUE(one.b && two.b);
    board_set_current(one.b);
    EXPECT_EQ(board_current(), one.b);
    board_reset(two.b);
    EXPECT_EQ(board_current(), two.b) << "a reset makes its record current";
    board_set_inputs(one.b, 0xDEADBEEF);
    EXPECT_EQ(one->input_bits, 0xDEADBEEFu);
    EXPECT_EQ(two->input_bits, 0u);
    BoardState* b = one.b;
    board_free_roms(b);
    board_free_roms(b);  // nothing left to free
    for (u8* r : {b->bios_rom, b->program_rom, b->sprite_rom, b->tile_rom_a, b->tile_rom_b, b->sample_rom})
        EXPECT_EQ(r, nullptr);
    // Reset and frame do nothing without ROMs, nor with only some of them.
    std::memset(b->work_ram, 0x5A, 64);
    b->stop_line = 0, b->next_irl9 = 3;
    s16 audio[2 * MAX_AUDIO_SAMPLES];
    for (bool partial : {false, true}) {
        if (partial) b->bios_rom = static_cast<u8*>(std::calloc(1, BIOS_ROM_SIZE));
        EXPECT_FALSE(board_has_roms(b));
        board_reset(b);
        EXPECT_EQ(board_current(), two.b);
        EXPECT_EQ(std::make_tuple(b->work_ram[0], b->stop_line, b->next_irl9, b->rng),
                  std::make_tuple(u8(0x5A), u16(0), u64(3), u32(0)))
            << partial;
        int count = 77;
        EXPECT_EQ(board_run_frame(b, audio, &count), 0);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(b->lines_run | b->frames_run | b->cpu.cycles, 0u);
        EXPECT_EQ(board_current(), two.b);
    }
}
