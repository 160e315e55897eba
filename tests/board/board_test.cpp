// Board record operations: what a reset clears and keeps, the current
// record, the ROM buffers' release, and a record without ROMs.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "board/fingerprint.h"
#include "board/frame.h"
#include "board_fixture.h"

namespace {

bool all_bytes(const void* p, size_t n, u8 value) {
    const u8* b = static_cast<const u8*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i] != value) return false;
    return true;
}

// Reset vectors: initial PC and stack pointer.
void put_vectors(BoardState* b, u32 pc, u32 sp) {
    test_put_be32(b->bios_rom, pc);
    test_put_be32(b->bios_rom + 4, sp);
}

}  // namespace

TEST(BoardReset, ClearsRamsVideoAndDevicesAndStartsTheCpuFromTheVectors) {
    TestBoard t;
    BoardState* b = t.b;
    ASSERT_NE(b, nullptr);
    put_vectors(b, 0x00000400, 0x060FFF00);

    std::memset(b->work_ram, 0x11, sizeof b->work_ram);
    std::memset(b->cache_ram, 0x22, sizeof b->cache_ram);
    u8* video_begin = b->sprite_ram;
    u8* video_end = b->char_ram + sizeof b->char_ram;
    std::memset(video_begin, 0x33, static_cast<size_t>(video_end - video_begin));
    std::memset(b->tile_rom_b, 0x44, 0x40000 + 16);
    std::memset(b->palette_cache, 0x55, sizeof b->palette_cache);
    std::memset(b->sprite_bitmap, 0x66, sizeof b->sprite_bitmap);
    std::memset(b->onchip_regs, 0x77, sizeof b->onchip_regs);
    std::memset(&b->hit, 0x88, sizeof b->hit);
    b->divu_dvsr = b->divu_quotient = b->divu_remainder = 9;
    b->divu_ovf = b->divu_ovfie = 1;
    b->frt_tier = b->frt_ftcsr = b->frt_tcr = b->frt_tocr = 3;
    b->frt_frc = b->frt_ocra = b->frt_ocrb = 0x1234;
    b->frt_last = 777;
    b->frt_next = 888;
    b->palette_control.sprite_factor_r = 9;
    b->palette_control.tile_bank_dirty = 1;
    b->palette_control.tile_layers_on = 0;
    b->rng = 5;
    b->idle_skip = 0;
    b->lines_run = 1000;
    b->line = 17;
    b->frames_run = 4;
    b->next_irl15 = b->next_irl11 = b->next_irl9 = 1;
    b->audio_fraction = 0xABCD;
    b->cpu.r[3] = 42;
    b->cpu.cycles = 99999;
    b->cpu.irl_pending = 0x8000;
    b->cpu.idle = 1;
    b->ymz.selected = 0x7F;
    b->ymz.voices[3].playing = 1;

    board_reset(b);

    EXPECT_TRUE(all_bytes(b->work_ram, sizeof b->work_ram, 0));
    EXPECT_TRUE(all_bytes(b->cache_ram, sizeof b->cache_ram, 0));
    EXPECT_TRUE(all_bytes(video_begin, static_cast<size_t>(video_end - video_begin), 0));
    EXPECT_TRUE(all_bytes(b->tile_rom_b, 0x40000, 0));
    EXPECT_TRUE(all_bytes(b->tile_rom_b + 0x40000, 16, 0x44)) << "only the character RAM mirror is cleared";
    EXPECT_TRUE(all_bytes(b->palette_cache, sizeof b->palette_cache, 0));
    EXPECT_TRUE(all_bytes(b->sprite_bitmap, sizeof b->sprite_bitmap, 0));
    EXPECT_TRUE(all_bytes(b->onchip_regs, sizeof b->onchip_regs, 0));
    EXPECT_TRUE(all_bytes(&b->hit, sizeof b->hit, 0));
    EXPECT_EQ(b->divu_dvsr | b->divu_quotient | b->divu_remainder, 0u);
    EXPECT_EQ(b->divu_ovf | b->divu_ovfie, 0);
    EXPECT_EQ(b->frt_tier | b->frt_ftcsr | b->frt_tcr | b->frt_tocr, 0);
    EXPECT_EQ(b->frt_frc | b->frt_ocra | b->frt_ocrb, 0);
    EXPECT_EQ(b->frt_last, 0u);
    EXPECT_EQ(b->frt_next, ~0ull);

    const PaletteControl& pc = b->palette_control;
    EXPECT_EQ(pc.sprite_brightness_on, 1);
    EXPECT_EQ(pc.tile_brightness_on, 1);
    EXPECT_EQ(pc.tile_layers_on, 1);
    EXPECT_EQ(pc.sprite_layer_on, 1);
    EXPECT_EQ(pc.sprite_factor_r, 0);
    EXPECT_EQ(pc.tile_bank_dirty, 0);
    EXPECT_EQ(pc.palette_regs_written, 0);

    EXPECT_EQ(b->rng, 0x9D14ABD7u);
    EXPECT_EQ(b->idle_skip, 1u);
    EXPECT_EQ(b->lines_run, 0u);
    EXPECT_EQ(b->line, 0);
    EXPECT_EQ(b->frames_run, 0u);
    EXPECT_EQ(b->next_irl15, 57272u);
    EXPECT_EQ(b->next_irl11, 229088u);
    EXPECT_EQ(b->next_irl9, 1824u);
    EXPECT_EQ(b->audio_fraction, 0u);
    EXPECT_EQ(b->ymz.selected, 0);
    EXPECT_EQ(b->ymz.voices[3].playing, 0);

    EXPECT_EQ(b->cpu.pc, 0x00000400u);
    EXPECT_EQ(b->cpu.r[15], 0x060FFF00u);
    EXPECT_EQ(b->cpu.r[3], 0u);
    EXPECT_EQ(b->cpu.sr, 0xF0u);
    EXPECT_EQ(b->cpu.cycles, 0u);
    EXPECT_EQ(b->cpu.irl_pending, 0u);
    EXPECT_EQ(b->cpu.onchip_level, -1);
    EXPECT_EQ(b->cpu.idle, 0);
    EXPECT_EQ(board_current(), b);
}

TEST(BoardReset, KeepsRomsBackupRamClockRegistersPictureInputsAndMessage) {
    TestBoard t;
    BoardState* b = t.b;
    ASSERT_NE(b, nullptr);
    u8* roms[] = {b->bios_rom, b->program_rom, b->sprite_rom, b->tile_rom_a, b->tile_rom_b, b->sample_rom};
    b->program_rom[5] = 0x5A;
    b->sprite_rom[SPRITE_ROM_SIZE - 1] = 0xA5;
    b->sample_rom[9] = 0x3C;
    std::memset(b->nvram, 0xFF, sizeof b->nvram);
    std::memset(b->rtc_regs, 0x0C, sizeof b->rtc_regs);
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) b->frame_buffer[i] = 0x00102030u + static_cast<u32>(i);
    b->input_bits = 0x00080081;
    b->region = 'U';
    std::strcpy(b->message, "left from before");

    board_reset(b);
    board_reset(b);

    u8* after[] = {b->bios_rom, b->program_rom, b->sprite_rom, b->tile_rom_a, b->tile_rom_b, b->sample_rom};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(roms[i], after[i]);
    EXPECT_EQ(b->program_rom[5], 0x5A);
    EXPECT_EQ(b->sprite_rom[SPRITE_ROM_SIZE - 1], 0xA5);
    EXPECT_EQ(b->sample_rom[9], 0x3C);
    EXPECT_TRUE(all_bytes(b->nvram, sizeof b->nvram, 0xFF));
    EXPECT_TRUE(all_bytes(b->rtc_regs, sizeof b->rtc_regs, 0x0C));
    bool picture_kept = true;
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i)
        picture_kept = picture_kept && b->frame_buffer[i] == 0x00102030u + static_cast<u32>(i);
    EXPECT_TRUE(picture_kept) << "the last picture stays until the next composition";
    EXPECT_EQ(b->input_bits, 0x00080081u);
    EXPECT_EQ(b->region, 'U');
    EXPECT_STREQ(b->message, "left from before");
}

TEST(BoardReset, DipByteZeroBecomesAllOffAndAnyOtherSurvives) {
    TestBoard t;
    ASSERT_NE(t.b, nullptr);
    t->dip = 0;
    board_reset(t.b);
    EXPECT_EQ(t->dip, 0xFF);
    t->dip = 0x5A;
    board_reset(t.b);
    EXPECT_EQ(t->dip, 0x5A);
    t->dip = 0x01;
    board_reset(t.b);
    EXPECT_EQ(t->dip, 0x01);
}

TEST(BoardReset, ClockBaseIsTakenOnceFromTheSystemTime) {
    TestBoard t;
    ASSERT_NE(t.b, nullptr);
    s64 before = static_cast<s64>(std::time(nullptr));
    board_reset(t.b);
    s64 after = static_cast<s64>(std::time(nullptr));
    s64 base = t->rtc_base;
    EXPECT_GE(base, before);
    EXPECT_LE(base, after);

    board_reset(t.b);
    EXPECT_EQ(t->rtc_base, base) << "the emulated clock keeps running across resets";

    t->rtc_base = 946684800;  // a base restored from elsewhere
    board_reset(t.b);
    EXPECT_EQ(t->rtc_base, 946684800);
}

TEST(BoardReset, StopLineOutsideOneTo261BecomesTheVerticalBlankLine) {
    TestBoard t;
    ASSERT_NE(t.b, nullptr);
    struct Case {
        u16 before;
        u16 after;
    };
    const Case cases[] = {{0, 240}, {262, 240}, {1000, 240}, {0xFFFF, 240}, {1, 1}, {100, 100}, {261, 261}, {240, 240}};
    for (const Case& c : cases) {
        t->stop_line = c.before;
        board_reset(t.b);
        EXPECT_EQ(t->stop_line, c.after) << "stop line " << c.before;
    }
}

TEST(BoardRecord, CurrentRecordAndInputWord) {
    TestBoard one;
    TestBoard two;
    ASSERT_TRUE(one.b && two.b);
    board_set_current(one.b);
    EXPECT_EQ(board_current(), one.b);
    board_reset(two.b);
    EXPECT_EQ(board_current(), two.b) << "a reset makes its record current";
    board_set_current(one.b);
    EXPECT_EQ(board_current(), one.b);

    board_set_inputs(one.b, 0xDEADBEEF);
    EXPECT_EQ(one->input_bits, 0xDEADBEEFu);
    EXPECT_EQ(two->input_bits, 0u);
}

TEST(BoardRecord, FreeingRomsTwiceIsHarmlessAndForgetsTheFingerprint) {
    BoardState* b = test_board_new();
    ASSERT_NE(b, nullptr);
    u32 first = board_rom_fingerprint(b);
    EXPECT_NE(first, 0u);

    board_free_roms(b);
    EXPECT_EQ(b->bios_rom, nullptr);
    EXPECT_EQ(b->program_rom, nullptr);
    EXPECT_EQ(b->sprite_rom, nullptr);
    EXPECT_EQ(b->tile_rom_a, nullptr);
    EXPECT_EQ(b->tile_rom_b, nullptr);
    EXPECT_EQ(b->sample_rom, nullptr);
    EXPECT_FALSE(board_has_roms(b));
    board_free_roms(b);  // nothing left to free
    EXPECT_EQ(b->bios_rom, nullptr);
    EXPECT_EQ(board_rom_fingerprint(b), 0u);

    // A new set, possibly at the same addresses, with other contents.
    b->bios_rom = static_cast<u8*>(std::calloc(1, BIOS_ROM_SIZE));
    b->program_rom = static_cast<u8*>(std::calloc(1, PROGRAM_ROM_SIZE));
    b->sprite_rom = static_cast<u8*>(std::calloc(1, SPRITE_ROM_SIZE));
    b->tile_rom_a = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    b->tile_rom_b = static_cast<u8*>(std::calloc(1, TILE_ROM_SIZE));
    b->sample_rom = static_cast<u8*>(std::calloc(1, SAMPLE_ROM_SIZE));
    ASSERT_TRUE(board_has_roms(b));
    b->program_rom[0] = 1;
    EXPECT_NE(board_rom_fingerprint(b), first);
    test_board_delete(b);
}

TEST(BoardRecord, ResetAndFrameDoNothingWithoutRoms) {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    ASSERT_NE(b, nullptr);
    TestBoard other;
    ASSERT_NE(other.b, nullptr);
    board_set_current(other.b);

    std::memset(b->work_ram, 0x5A, 64);
    b->stop_line = 0;
    b->next_irl9 = 3;
    board_reset(b);
    EXPECT_EQ(board_current(), other.b);
    EXPECT_EQ(b->work_ram[0], 0x5A);
    EXPECT_EQ(b->stop_line, 0);
    EXPECT_EQ(b->next_irl9, 3u);
    EXPECT_EQ(b->rng, 0u);

    // A record with only some buffers counts as one without ROMs.
    b->bios_rom = static_cast<u8*>(std::calloc(1, BIOS_ROM_SIZE));
    board_reset(b);
    EXPECT_EQ(b->work_ram[0], 0x5A);

    s16 audio[2 * MAX_AUDIO_SAMPLES];
    int count = 77;
    EXPECT_EQ(board_run_frame(b, audio, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(b->lines_run, 0u);
    EXPECT_EQ(b->frames_run, 0u);
    EXPECT_EQ(b->cpu.cycles, 0u);
    EXPECT_EQ(board_current(), other.b);

    board_free_roms(b);
    std::free(b);
}
