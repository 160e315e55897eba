// The SH-2 address map (regions, folding, byte order, side effects, ports,
// clock, idle detection) seen through the bus functions and by an SH-2 program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "board/frame.h"
#include "board/palette.h"
#include "board_fixture.h"

namespace {

class AddressMap : public ::testing::Test {
protected:
    TestBoard t;
    BoardState* b = t.b;
    void SetUp() override {
        ASSERT_NE(b, nullptr);
        board_reset(b);
    }
};

// The work RAM word the game polls in its wait-for-frame loop, and the
// instruction that polls it.
constexpr u32 IDLE_POLL_ADDRESS = 0x0604D3C8;
constexpr u32 IDLE_POLL_PC = 0x0402EBD2;

// Wednesday 18 March 2026, 12:34:56 UTC.
constexpr s64 CLOCK_BASE = 1773837296;

}  // namespace

TEST_F(AddressMap, EveryRegionStoresBigEndianWordsUpToItsLastByte) {
    // The last field: the following address belongs to another region.
    const struct {
        u32 base, size;
        u8* mem;
        bool next_is_mapped;
    } regions[] = {
        {0x00800000, 0x2000, b->nvram, false},        {0x02000000, 0x4000, b->sprite_ram, false},
        {0x02100000, 64, b->sprite_regs, false},      {0x02400000, 128, b->tilemap_regs, false},
        {0x02500000, 0x4000, b->tilemap_ram_a, true}, {0x02504000, 0x4000, b->tilemap_ram_b, false},
        {0x02600000, 0x8000, b->line_ram, false},     {0x02A00000, 32, b->palette_regs, false},
        {0x02A40000, 0x20000, b->palette_ram, false}, {0x04800000, 0x40000, b->char_ram, false},
        {0x06000000, 0x100000, b->work_ram, false},   {0xC0000000, 0x1000, b->cache_ram, false},
    };
    for (const auto& r : regions) {
        SCOPED_TRACE(::testing::Message() << std::hex << r.base);
        // Each width ignores the low address bits it cannot use.
        sh2_write32(r.base + 1, 0x11223344);
        sh2_write32(r.base + r.size - 4, 0xA1B2C3D4);
        EXPECT_EQ(test_be32(r.mem), 0x11223344u);
        EXPECT_EQ(test_be32(r.mem + r.size - 4), 0xA1B2C3D4u);
        EXPECT_EQ(sh2_read32(r.base + r.size - 1), 0xA1B2C3D4u);
        EXPECT_EQ(sh2_read16(r.base + 3), 0x3344u);
        EXPECT_EQ(sh2_read8(r.base + 1), 0x22u);
        sh2_write16(r.base + 7, 0xBEEF);
        sh2_write8(r.base + 9, 0x7E);
        EXPECT_EQ(test_be32(r.mem + 6), 0xBEEF007Eu);
        if (!r.next_is_mapped) {
            sh2_write32(r.base + r.size, 0x55555555);
            EXPECT_EQ(sh2_read32(r.base + r.size), 0u) << "one past the region is unmapped";
        }
    }
    // The ROMs read their images up to their last byte and ignore writes.
    test_put_be32(b->bios_rom, 0x01020304);
    test_put_be32(b->bios_rom + BIOS_ROM_SIZE - 4, 0x05060708);
    test_put_be32(b->program_rom, 0x090A0B0C);
    test_put_be32(b->program_rom + PROGRAM_ROM_SIZE - 4, 0x0D0E0F10);
    EXPECT_EQ(sh2_read32(BIOS_ROM_SIZE - 4), 0x05060708u);
    EXPECT_EQ(sh2_read32(BIOS_ROM_SIZE), 0u);
    EXPECT_EQ(sh2_read16(0x04000000 + PROGRAM_ROM_SIZE - 2), 0x0F10u);
    EXPECT_EQ(sh2_read32(0x04000000 + PROGRAM_ROM_SIZE), 0u);
    sh2_write32(0x00000000, 0xFFFFFFFF);
    sh2_write16(0x04000000, 0xFFFF);
    sh2_write8(0x04000003, 0xFF);
    EXPECT_EQ(test_be32(b->bios_rom), 0x01020304u);
    EXPECT_EQ(test_be32(b->program_rom), 0x090A0B0Cu);
}

TEST_F(AddressMap, FoldingDropsBits29And27UnlessBit31Or30Or28IsSetAndHolesReadZero) {
    test_put_be32(b->work_ram + 0x10, 0x600D600D);
    test_put_be32(b->bios_rom + 0x100, 0xB105B105);
    const u32 cases[][2] = {
        {0x06000010, 0x600D600D}, {0x26000010, 0x600D600D}, {0x0E000010, 0x600D600D}, {0x2E000010, 0x600D600D},
        {0x16000010, 0},          {0x46000010, 0},          {0x86000010, 0},          {0x20000100, 0xB105B105},
        {0x08000100, 0xB105B105}, {0x10000100, 0},          {0xE6000010, 0},
    };
    for (auto& c : cases) {
        EXPECT_EQ(sh2_read32(c[0]), c[1]) << std::hex << c[0];
        EXPECT_EQ(sh2_read16(c[0]), c[1] >> 16) << std::hex << c[0];
        EXPECT_EQ(sh2_read8(c[0] + 3), c[1] & 0xFF) << std::hex << c[0];
    }
    sh2_write32(0x16000024, 1);
    EXPECT_EQ(test_work_word(b, 0x24), 0u) << "a bit-28 write reaches nothing";
    for (u32 a : {0x00080000u, 0x00100000u, 0x00400008u, 0x00802000u, 0x00C00004u, 0x01000010u, 0x02004000u,
                  0x02100040u, 0x02400080u, 0x02508000u, 0x02608000u, 0x02A00020u, 0x02A60000u, 0x02F00100u,
                  0x03000000u, 0x04200000u, 0x04840000u, 0x06100000u, 0x07FFFFFCu, 0xC0001000u, 0xFFFFFDFCu}) {
        sh2_write32(a, 0xFFFFFFFF);
        sh2_write16(a, 0xFFFF);
        sh2_write8(a, 0xFF);
        EXPECT_EQ(sh2_read32(a) | sh2_read16(a) | sh2_read8(a), 0u) << std::hex << a;
    }
}

TEST_F(AddressMap, InputAndDipPortsAreActiveLowAndWiredAsTheCabinetHasThem) {
    EXPECT_EQ(sh2_read32(0x00400000), 0xFFFFFFFFu);
    const int wires[][2] = {{0, 24},  {1, 25},  {2, 26},  {3, 27},  {4, 28},  {5, 29},  {7, 8},
                            {8, 16},  {9, 17},  {10, 18}, {11, 19}, {12, 20}, {13, 21}, {15, 9},
                            {16, 10}, {17, 11}, {18, 12}, {19, 13}, {20, 14}};
    for (auto& w : wires) {
        board_set_inputs(b, 1u << w[0]);
        EXPECT_EQ(sh2_read32(0x00400000), ~(1u << w[1])) << "input bit " << w[0];
    }
    for (int bit : {6, 14, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}) {
        board_set_inputs(b, 1u << bit);
        EXPECT_EQ(sh2_read32(0x00400000), 0xFFFFFFFFu) << "input bit " << bit;
    }
    b->dip = 0xA5;  // the test switch (input bit 21) pulls the DIP port's bit 0 low
    board_set_inputs(b, 1u << 21);
    EXPECT_EQ(sh2_read8(0x00400007), 0xA4u);
    EXPECT_EQ(sh2_read16(0x00400004), 0xFFFFu);
    b->dip = 0x00;
    board_set_inputs(b, 0);
    EXPECT_EQ(sh2_read32(0x00400004), 0xFFFFFF00u);
}

TEST_F(AddressMap, SoundChipPortsTakeBytesAndDropWhatFallsPastPortOne) {
    EXPECT_EQ(sh2_read16(0x00C00000) >> 8, 0xFFu) << "memory access is off after reset";
    sh2_write32(0x00C00000, 0x02C80099);  // select voice 0 level, write 0xC8; the lower half is lost
    EXPECT_EQ(std::make_pair(b->ymz.selected, b->ymz.voices[0].level), std::make_pair(u8(0x02), u8(0xC8)));
    sh2_write16(0x00C00002, 0x0311);  // beyond the ports
    EXPECT_EQ(b->ymz.selected, 0x02);
    // The external memory read path through port 0: the address write loads the latch.
    b->sample_rom[0x012345] = 0x9C;
    for (u16 w : {0xFF40, 0x8401, 0x8523, 0x8645}) sh2_write16(0x00C00000, w);
    EXPECT_EQ(sh2_read8(0x00C00000), 0x9Cu);
}

TEST_F(AddressMap, ClockReadsDecimalDigitsOfTheEmulatedTimeAndOnlyStoresWrites) {
    b->rtc_base = CLOCK_BASE;
    const u8 expected[13] = {6, 5, 4, 3, 2, 1, 8, 1, 3, 0, 6, 2, 3};  // 12:34:56, 18/03/26, Wednesday
    for (u32 r = 0; r < 13; ++r) EXPECT_EQ(sh2_read8(0x01000000 + r), expected[r]) << "register " << r;
    // 65 seconds of emulated time later, less one cycle: still 12:36:00.
    b->cpu.cycles = 65ull * 28636000 - 1;
    EXPECT_EQ(sh2_read8(0x01000000), 0u);
    EXPECT_EQ(sh2_read8(0x01000002), 6u);
    b->cpu.cycles = 65ull * 28636000;
    EXPECT_EQ(sh2_read16(0x01000000), 0x0100u);
    EXPECT_EQ(sh2_read16(0x01000002), 0x0603u);
    b->cpu.cycles = 0;
    sh2_write8(0x01000000, 0x09);  // writes only store bytes: the clock cannot be set
    sh2_write16(0x0100000E, 0x1234);
    sh2_write32(0x01000004, 0xA1B2C3D4);
    EXPECT_EQ(b->rtc_regs[0], 0x09);
    EXPECT_EQ(test_be32(b->rtc_regs + 12), 0x00001234u);
    EXPECT_EQ(test_be32(b->rtc_regs + 4), 0xA1B2C3D4u);
    EXPECT_EQ(sh2_read8(0x01000000), 6u);
    EXPECT_EQ(sh2_read16(0x0100000E), 0x0204u);
    for (s64 base : {INT64_MAX, INT64_MIN, s64(-1), s64(0)}) {
        b->rtc_base = base;
        b->cpu.cycles = ~0ull;
        for (u32 r = 0; r < 16; ++r) EXPECT_LE(sh2_read8(0x01000000 + r), 0x0Fu) << base;
    }
}

TEST_F(AddressMap, HitDeviceSeesTheLowHalfOfTheBusWord) {
    // Writes at 0x00/0x04/0x08 reach position 1, size 1, position 1 + 1; a byte replaces the word.
    sh2_write16(0x02F00002, 0x1234);
    sh2_write32(0x02F00004, 0xAAAA0042);
    EXPECT_EQ(b->hit.words[HIT_SIZE1], 0x0042u);
    const u32 bytes[][3] = {
        {0x02F00008, 0x77, 0}, {0x02F00009, 0x77, 0}, {0x02F0000A, 0x77, 0x7700}, {0x02F0000B, 0x66, 0x66}};
    for (auto& w : bytes) {
        sh2_write8(w[0], static_cast<u8>(w[1]));
        EXPECT_EQ(b->hit.words[HIT_POS1 + 1], w[2]) << std::hex << w[0];
    }
    // Reads come from other offsets than the writes went to.
    EXPECT_EQ(sh2_read32(0x02F00040), 0x1234u);
    EXPECT_EQ(sh2_read16(0x02F00040), 0u);
    EXPECT_EQ(sh2_read8(0x02F00042), 0x12u);
    EXPECT_EQ(sh2_read16(0x02F00046), 0x0042u);
    // Random numbers advance on a read of any width.
    EXPECT_EQ(sh2_read32(0x02F00028), 0x3AF2u);
    EXPECT_EQ(sh2_read16(0x02F0002A), 0x4FBEu);
}

TEST_F(AddressMap, PaletteWritesStoreThenConvert) {
    TestBoard ref;  // the same writes made straight to the palette functions
    ASSERT_NE(ref.b, nullptr);
    board_reset(ref.b);
    board_set_current(b);
    sh2_write32(0x02A00004, 0x80FF00FF);  // control registers
    sh2_write32(0x02A40010, 0x00007C1F);  // entry 4
    sh2_write16(0x02A5FFFE, 0x03E0);      // last entry, low half
    EXPECT_EQ(test_be32(b->palette_ram + 0x1FFFC), 0x000003E0u);
    std::memcpy(ref->palette_regs, b->palette_regs, sizeof b->palette_regs);
    std::memcpy(ref->palette_ram, b->palette_ram, sizeof b->palette_ram);
    palette_regs_write(ref.b, 1);
    palette_write_entry(ref.b, 4);
    palette_write_entry(ref.b, 0x7FFF);
    EXPECT_EQ(std::memcmp(&ref->palette_control, &b->palette_control, sizeof(PaletteControl)), 0);
    for (int e : {4, 0x7FFF}) {
        EXPECT_EQ(b->palette_cache[e], ref->palette_cache[e]) << e;
        EXPECT_NE(b->palette_cache[e], 0u) << e;
    }
}

TEST_F(AddressMap, CharacterRamMirrorAndOnChipArea) {
    // Character RAM writes copy the whole word into layer B's graphics.
    sh2_write16(0x0483FFFE, 0xBEEF);
    EXPECT_EQ(test_be32(b->tile_rom_b + 0x3FFFC), 0x0000BEEFu);
    EXPECT_EQ(b->tile_rom_b[0x40000], 0) << "nothing past the mirror";
    sh2_write32(0xFFFFFE80, 0x89ABCDEF);  // plain storage
    EXPECT_EQ(sh2_read16(0xFFFFFE82), 0xCDEFu);
    EXPECT_EQ(b->onchip_regs[0x80], 0x89);
    sh2_write32(0xFFFFFF00, 7);  // division unit: -20 / 7
    sh2_write32(0xFFFFFF04, static_cast<u32>(-20));
    EXPECT_EQ(sh2_read16(0xFFFFFF06), 0xFFFEu);
    EXPECT_EQ(sh2_read8(0xFFFFFF07), 0xFEu);
    b->cpu.cycles = 8 * 0x1234;  // the timer's counter catches up from the CPU's cycles
    EXPECT_EQ(sh2_read16(0xFFFFFE12), 0x1234u);
    EXPECT_EQ(sh2_read32(0xFFFFFE18), 0u);
}

TEST_F(AddressMap, IdleDetectionNeedsTheWaitLoopsPcTheWordAndTheSwitch) {
    const struct {
        u32 pc, address;
        int width;
        u32 idle_skip;
        u8 idle;
    } cases[] = {
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 32, 1, 1},     {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 16, 1, 1},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 3, 8, 1, 1},  {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 0x20000000, 32, 1, 1},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 4, 32, 1, 0}, {IDLE_POLL_PC, IDLE_POLL_ADDRESS - 1, 8, 1, 0},
        {IDLE_POLL_PC + 2, IDLE_POLL_ADDRESS, 32, 1, 0}, {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 32, 0, 0},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 32, 2, 0},
    };
    test_put_be32(b->work_ram + (IDLE_POLL_ADDRESS - 0x06000000), 0x01020304);
    for (const auto& c : cases) {
        b->cpu.idle = 0;
        b->cpu.pc = c.pc;
        b->idle_skip = c.idle_skip;
        u32 v = c.width == 32 ? sh2_read32(c.address) : c.width == 16 ? sh2_read16(c.address) : sh2_read8(c.address);
        EXPECT_EQ(b->cpu.idle, c.idle) << std::hex << c.pc << " " << c.address << " width " << std::dec << c.width;
        if (c.idle) {
            EXPECT_NE(v, 0u) << "the poll still reads the word";
        }
    }
    b->cpu.pc = IDLE_POLL_PC;
    b->idle_skip = 1;
    b->cpu.idle = 0;
    sh2_write32(IDLE_POLL_ADDRESS, 5);
    EXPECT_EQ(b->cpu.idle, 0) << "a write is not a poll";
}

TEST(AddressMapProgram, ProgramSeesRegionsPortsAndSideEffects) {
    TestBoard t;
    BoardState* b = t.b;
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(test_board_load_program(b, "map_probe"));
    test_put_be32(b->program_rom, 0xCAFEBABE);
    b->rtc_base = CLOCK_BASE;
    b->dip = 0xA5;
    board_reset(b);
    board_set_inputs(b, (1u << 0) | (1u << 7) | (1u << 16) | (1u << 21));
    int count = 0;
    ASSERT_EQ(board_run_frame(b, nullptr, &count), 0);
    ASSERT_EQ(test_work_word(b, 0), 0x600DF00Du) << "the probe did not finish";
    const u32 expected[] = {
        0xFEFFFAFF, 0xFFFFFFA4, 0xFFFFFFFF,        // 0-2 input port, DIP port with test held, constant
        0xFFFFFEFF, 0xFFFFFFFF,                    // 3-4 input port high half sign-extended, low byte
        0xCAFEBABE, 0xCAFEBABE, 0,                 // 5-7 program ROM, its bit-27 mirror, bit 28: nothing
        0x12345678, 0,                             // 8-9 work RAM written through its mirror, bit 28
        0x22,       0,          0,                 // 10-12 NVRAM byte order; sound chip, clock to 32 bits
        6,          2,          0x0605,     0x0A,  // 13-16 year units, tens, seconds, register 13
        0x01AB0304,                                // 17 character RAM
        0,          0x1234,     0x3AF2,            // 18-20 HIT high half, low half, first random number
        0xDEADBEEF, 0x12345678,                    // 21-22 cache RAM, sprite RAM
        0xFFFFFFFE, 0xFFFFFFFA,                    // 23-24 -20 / 7 and its remainder
        0x5C,       0xFFFFFFE0, 0x00007FFF,        // 25-27 on-chip storage, timer output control, palette
    };
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i)
        EXPECT_EQ(test_work_word(b, 0x200 + 4 * static_cast<u32>(i)), expected[i]) << "probe " << i;
    EXPECT_EQ(test_be32(b->tile_rom_b + 4), 0x01AB0304u) << "the whole word is mirrored";
    EXPECT_EQ(test_be32(b->nvram + 0x10), 0x11223344u);
    EXPECT_EQ(b->rtc_regs[13], 0x5A);
    EXPECT_EQ(b->ymz.voices[0].fn, 0x77);
    EXPECT_EQ(b->divu_dvsr, 7u);
    EXPECT_NE(b->palette_cache[4], 0u);
}
