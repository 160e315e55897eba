// The SH-2 address map: regions and their bounds, mirror folding, byte
// order, write side effects, the ports, the clock, the character RAM mirror
// and the idle detection, seen through the six bus functions and by an SH-2
// program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "board/frame.h"
#include "board/palette.h"
#include "board_fixture.h"

namespace {

class AddressMap : public ::testing::Test {
protected:
    TestBoard t;
    BoardState* b = nullptr;

    void SetUp() override {
        b = t.b;
        ASSERT_NE(b, nullptr);
        board_reset(b);
    }
};

// Wednesday 18 March 2026, 12:34:56 UTC.
constexpr s64 CLOCK_BASE = 1773837296;

struct RamRegion {
    const char* name;
    u32 base;
    u32 size;
    u8* (*mem)(BoardState*);
    bool next_is_mapped;  // the following address belongs to another region
};

const RamRegion RAM_REGIONS[] = {
    {"nvram", 0x00800000, 0x2000, [](BoardState* b) { return b->nvram; }, false},
    {"sprite_ram", 0x02000000, 0x4000, [](BoardState* b) { return b->sprite_ram; }, false},
    {"sprite_regs", 0x02100000, 64, [](BoardState* b) { return b->sprite_regs; }, false},
    {"tilemap_regs", 0x02400000, 128, [](BoardState* b) { return b->tilemap_regs; }, false},
    {"tilemap_ram_a", 0x02500000, 0x4000, [](BoardState* b) { return b->tilemap_ram_a; }, true},
    {"tilemap_ram_b", 0x02504000, 0x4000, [](BoardState* b) { return b->tilemap_ram_b; }, false},
    {"line_ram", 0x02600000, 0x8000, [](BoardState* b) { return b->line_ram; }, false},
    {"palette_regs", 0x02A00000, 32, [](BoardState* b) { return b->palette_regs; }, false},
    {"palette_ram", 0x02A40000, 0x20000, [](BoardState* b) { return b->palette_ram; }, false},
    {"char_ram", 0x04800000, 0x40000, [](BoardState* b) { return b->char_ram; }, false},
    {"work_ram", 0x06000000, 0x100000, [](BoardState* b) { return b->work_ram; }, false},
    {"cache_ram", 0xC0000000, 0x1000, [](BoardState* b) { return b->cache_ram; }, false},
};

}  // namespace

TEST_F(AddressMap, EveryRamRegionStoresBigEndianWordsUpToItsLastByte) {
    for (const RamRegion& r : RAM_REGIONS) {
        SCOPED_TRACE(r.name);
        u8* mem = r.mem(b);
        sh2_write32(r.base, 0x11223344);
        sh2_write32(r.base + r.size - 4, 0xA1B2C3D4);
        EXPECT_EQ(test_be32(mem), 0x11223344u);
        EXPECT_EQ(test_be32(mem + r.size - 4), 0xA1B2C3D4u);
        EXPECT_EQ(sh2_read32(r.base), 0x11223344u);
        EXPECT_EQ(sh2_read16(r.base), 0x1122u);
        EXPECT_EQ(sh2_read16(r.base + 2), 0x3344u);
        EXPECT_EQ(sh2_read8(r.base + 1), 0x22u);
        EXPECT_EQ(sh2_read8(r.base + 3), 0x44u);
        EXPECT_EQ(sh2_read32(r.base + r.size - 4), 0xA1B2C3D4u);

        sh2_write16(r.base + 6, 0xBEEF);
        sh2_write8(r.base + 9, 0x7E);
        EXPECT_EQ(mem[6], 0xBE);
        EXPECT_EQ(mem[7], 0xEF);
        EXPECT_EQ(mem[9], 0x7E);
        EXPECT_EQ(mem[8], 0x00);

        if (!r.next_is_mapped) {
            sh2_write32(r.base + r.size, 0x55555555);
            EXPECT_EQ(sh2_read32(r.base + r.size), 0u) << "one past the region is unmapped";
        }
    }
}

TEST_F(AddressMap, WidthsIgnoreTheLowAddressBitsTheyCannotUse) {
    sh2_write32(0x06000031, 0xCAFEF00D);  // stored at 0x06000030
    EXPECT_EQ(test_work_word(b, 0x30), 0xCAFEF00Du);
    sh2_write16(0x06000041, 0xABCD);  // stored at 0x06000040
    EXPECT_EQ(b->work_ram[0x40], 0xAB);
    EXPECT_EQ(b->work_ram[0x41], 0xCD);
    EXPECT_EQ(sh2_read32(0x06000033), 0xCAFEF00Du);
    EXPECT_EQ(sh2_read16(0x06000033), 0xF00Du);
    EXPECT_EQ(sh2_read16(0x06000031), 0xCAFEu);
    EXPECT_EQ(sh2_read8(0x06000032), 0xF0u);
}

TEST_F(AddressMap, RomsReadTheirImagesAndIgnoreWrites) {
    test_put_be32(b->bios_rom, 0x01020304);
    test_put_be32(b->bios_rom + BIOS_ROM_SIZE - 4, 0x05060708);
    test_put_be32(b->program_rom, 0x090A0B0C);
    test_put_be32(b->program_rom + PROGRAM_ROM_SIZE - 4, 0x0D0E0F10);

    EXPECT_EQ(sh2_read32(0x00000000), 0x01020304u);
    EXPECT_EQ(sh2_read16(0x00000002), 0x0304u);
    EXPECT_EQ(sh2_read8(0x00000001), 0x02u);
    EXPECT_EQ(sh2_read32(BIOS_ROM_SIZE - 4), 0x05060708u);
    EXPECT_EQ(sh2_read32(BIOS_ROM_SIZE), 0u);
    EXPECT_EQ(sh2_read32(0x04000000), 0x090A0B0Cu);
    EXPECT_EQ(sh2_read16(0x04000000), 0x090Au);
    EXPECT_EQ(sh2_read8(0x04000003), 0x0Cu);
    EXPECT_EQ(sh2_read32(0x04000000 + PROGRAM_ROM_SIZE - 4), 0x0D0E0F10u);
    EXPECT_EQ(sh2_read16(0x04000000 + PROGRAM_ROM_SIZE - 2), 0x0F10u);
    EXPECT_EQ(sh2_read32(0x04000000 + PROGRAM_ROM_SIZE), 0u);

    sh2_write32(0x00000000, 0xFFFFFFFF);
    sh2_write16(0x04000000, 0xFFFF);
    sh2_write8(0x04000003, 0xFF);
    EXPECT_EQ(test_be32(b->bios_rom), 0x01020304u);
    EXPECT_EQ(test_be32(b->program_rom), 0x090A0B0Cu);
}

TEST_F(AddressMap, FoldingDropsBits29And27UnlessBit31Or30Or28IsSet) {
    test_put_be32(b->work_ram + 0x10, 0x600D600D);
    test_put_be32(b->bios_rom + 0x100, 0xB105B105);
    struct Case {
        u32 address;
        u32 expected;
    };
    const Case cases[] = {
        {0x06000010, 0x600D600D}, {0x26000010, 0x600D600D}, {0x0E000010, 0x600D600D},
        {0x2E000010, 0x600D600D}, {0x16000010, 0},          {0x46000010, 0},
        {0x86000010, 0},          {0x20000100, 0xB105B105}, {0x08000100, 0xB105B105},
        {0x10000100, 0},          {0xE6000010, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sh2_read32(c.address), c.expected) << std::hex << c.address;
        EXPECT_EQ(sh2_read16(c.address), c.expected >> 16) << std::hex << c.address;
        EXPECT_EQ(sh2_read8(c.address + 3), c.expected & 0xFF) << std::hex << c.address;
    }
    sh2_write32(0x26000020, 0x12345678);
    EXPECT_EQ(test_work_word(b, 0x20), 0x12345678u);
    sh2_write32(0x16000024, 0x12345678);  // reaches nothing
    EXPECT_EQ(test_work_word(b, 0x24), 0u);
}

TEST_F(AddressMap, UnmappedSpaceReadsZeroAndIgnoresWrites) {
    const u32 holes[] = {0x00080000, 0x00100000, 0x00400008, 0x00802000, 0x00C00004, 0x01000010,
                         0x02004000, 0x02100040, 0x02400080, 0x02508000, 0x02608000, 0x02A00020,
                         0x02A60000, 0x02F00100, 0x03000000, 0x04200000, 0x04840000, 0x06100000,
                         0x07FFFFFC, 0xC0001000, 0xFFFFFDFC};
    for (u32 a : holes) {
        sh2_write32(a, 0xFFFFFFFF);
        sh2_write16(a, 0xFFFF);
        sh2_write8(a, 0xFF);
        EXPECT_EQ(sh2_read32(a), 0u) << std::hex << a;
        EXPECT_EQ(sh2_read16(a), 0u) << std::hex << a;
        EXPECT_EQ(sh2_read8(a), 0u) << std::hex << a;
    }
}

TEST_F(AddressMap, InputPortBitsAreActiveLowAndWiredAsTheCabinetHasThem) {
    EXPECT_EQ(sh2_read32(0x00400000), 0xFFFFFFFFu);
    const struct {
        int input_bit;
        int port_bit;
    } wires[] = {{0, 24},  {1, 25},  {2, 26},  {3, 27},  {4, 28},  {5, 29},  {7, 8},
                 {8, 16},  {9, 17},  {10, 18}, {11, 19}, {12, 20}, {13, 21}, {15, 9},
                 {16, 10}, {17, 11}, {18, 12}, {19, 13}, {20, 14}};
    for (auto w : wires) {
        board_set_inputs(b, 1u << w.input_bit);
        EXPECT_EQ(sh2_read32(0x00400000), ~(1u << w.port_bit)) << "input bit " << w.input_bit;
    }
    const int unwired[] = {6, 14, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    for (int bit : unwired) {
        board_set_inputs(b, 1u << bit);
        EXPECT_EQ(sh2_read32(0x00400000), 0xFFFFFFFFu) << "input bit " << bit;
    }

    board_set_inputs(b, (1u << 0) | (1u << 7) | (1u << 16));  // up, start, coin
    EXPECT_EQ(sh2_read32(0x00400000), 0xFEFFFAFFu);
    EXPECT_EQ(sh2_read16(0x00400000), 0xFEFFu);
    EXPECT_EQ(sh2_read16(0x00400002), 0xFAFFu);
    EXPECT_EQ(sh2_read8(0x00400000), 0xFEu);
    EXPECT_EQ(sh2_read8(0x00400002), 0xFAu);
    EXPECT_EQ(sh2_read32(0x0040000C), 0xFFFFFFFFu);
    EXPECT_EQ(sh2_read32(0x00400008), 0u);
}

TEST_F(AddressMap, DipPortCarriesTheDipByteWithTestPullingBitZeroLow) {
    b->dip = 0xA5;
    EXPECT_EQ(sh2_read32(0x00400004), 0xFFFFFFA5u);
    EXPECT_EQ(sh2_read8(0x00400007), 0xA5u);
    EXPECT_EQ(sh2_read16(0x00400004), 0xFFFFu);
    board_set_inputs(b, 1u << 21);
    EXPECT_EQ(sh2_read32(0x00400004), 0xFFFFFFA4u);
    EXPECT_EQ(sh2_read32(0x00400000), 0xFFFFFFFFu) << "test does not reach the input port";
    b->dip = 0x00;
    board_set_inputs(b, 0);
    EXPECT_EQ(sh2_read32(0x00400004), 0xFFFFFF00u);
}

TEST_F(AddressMap, SoundChipPortsTakeBytesAndDropWhatFallsPastPortOne) {
    EXPECT_EQ(sh2_read32(0x00C00000), 0u);
    // Memory access disabled after reset: port 0 reads 0xFF.
    EXPECT_EQ(sh2_read8(0x00C00000), 0xFFu);
    EXPECT_EQ(sh2_read16(0x00C00000) >> 8, 0xFFu);

    sh2_write16(0x00C00000, 0x0055);  // select voice 0 frequency low, write 0x55
    EXPECT_EQ(b->ymz.selected, 0x00);
    EXPECT_EQ(b->ymz.voices[0].fn, 0x55);
    sh2_write32(0x00C00000, 0x00770099);  // the lower half never reaches the chip
    EXPECT_EQ(b->ymz.selected, 0x00);
    EXPECT_EQ(b->ymz.voices[0].fn, 0x77);
    sh2_write8(0x00C00000, 0x02);  // select voice 0 level
    sh2_write8(0x00C00001, 0xC8);
    EXPECT_EQ(b->ymz.voices[0].level, 0xC8);
    sh2_write16(0x00C00002, 0x0311);  // beyond the ports
    EXPECT_EQ(b->ymz.selected, 0x02);
    EXPECT_EQ(b->ymz.voices[0].level, 0xC8);

    // The external memory read path through port 0.
    b->sample_rom[0x012345] = 0x9C;
    const u8 setup[][2] = {{0xFF, 0x40}, {0x84, 0x01}, {0x85, 0x23}, {0x86, 0x45}};
    for (auto& w : setup) {
        sh2_write8(0x00C00000, w[0]);
        sh2_write8(0x00C00001, w[1]);
    }
    EXPECT_EQ(sh2_read8(0x00C00000), 0x9Cu) << "the address write loaded the latch";
}

TEST_F(AddressMap, ClockReadsDecimalDigitsOfTheEmulatedTime) {
    b->rtc_base = CLOCK_BASE;
    b->cpu.cycles = 0;
    const u8 expected[13] = {6, 5, 4, 3, 2, 1, 8, 1, 3, 0, 6, 2, 3};  // 12:34:56, 18/03/26, Wednesday
    for (u32 r = 0; r < 13; ++r) EXPECT_EQ(sh2_read8(0x01000000 + r), expected[r]) << "register " << r;
    EXPECT_EQ(sh2_read16(0x01000000), 0x0605u);
    EXPECT_EQ(sh2_read16(0x0100000A), 0x0602u);
    EXPECT_EQ(sh2_read32(0x01000000), 0u);

    // 65 seconds of emulated time later, less one cycle: still 12:36:00.
    b->cpu.cycles = 65ull * 28636000 - 1;
    EXPECT_EQ(sh2_read8(0x01000000), 0u);
    EXPECT_EQ(sh2_read8(0x01000002), 6u);
    b->cpu.cycles = 65ull * 28636000;
    EXPECT_EQ(sh2_read8(0x01000000), 1u);
    EXPECT_EQ(sh2_read8(0x01000001), 0u);
    EXPECT_EQ(sh2_read8(0x01000002), 6u);
    EXPECT_EQ(sh2_read8(0x01000003), 3u);
}

TEST_F(AddressMap, ClockWritesOnlyStoreBytes) {
    b->rtc_base = CLOCK_BASE;
    sh2_write8(0x01000000, 0x09);
    sh2_write8(0x0100000D, 0x5A);
    sh2_write16(0x0100000E, 0x1234);
    EXPECT_EQ(b->rtc_regs[0], 0x09);
    EXPECT_EQ(b->rtc_regs[13], 0x5A);
    EXPECT_EQ(b->rtc_regs[14], 0x12);
    EXPECT_EQ(b->rtc_regs[15], 0x34);
    EXPECT_EQ(sh2_read8(0x01000000), 6u) << "the clock cannot be set";
    EXPECT_EQ(sh2_read8(0x0100000D), 0x0Au);
    EXPECT_EQ(sh2_read16(0x0100000E), 0x0204u);
    sh2_write32(0x01000004, 0xA1B2C3D4);
    EXPECT_EQ(b->rtc_regs[4], 0xA1);
    EXPECT_EQ(b->rtc_regs[7], 0xD4);
}

TEST_F(AddressMap, ClockSurvivesAnyBase) {
    const s64 bases[] = {INT64_MAX, INT64_MIN, -1, 0};
    for (s64 base : bases) {
        b->rtc_base = base;
        b->cpu.cycles = ~0ull;
        for (u32 r = 0; r < 16; ++r) EXPECT_LE(sh2_read8(0x01000000 + r), 0x0Fu);
    }
}

TEST_F(AddressMap, HitDeviceSeesTheLowHalfOfTheBusWord) {
    sh2_write16(0x02F00000, 0x1234);
    EXPECT_EQ(b->hit.words[HIT_POS1], 0u);
    sh2_write16(0x02F00002, 0x1234);
    EXPECT_EQ(b->hit.words[HIT_POS1], 0x1234u);
    sh2_write32(0x02F00004, 0xAAAA0042);  // size 1, axis 1
    EXPECT_EQ(b->hit.words[HIT_SIZE1], 0x0042u);
    sh2_write8(0x02F00008, 0x77);
    EXPECT_EQ(b->hit.words[HIT_POS1 + 1], 0u);
    sh2_write8(0x02F00009, 0x77);
    EXPECT_EQ(b->hit.words[HIT_POS1 + 1], 0u);
    sh2_write8(0x02F0000A, 0x77);
    EXPECT_EQ(b->hit.words[HIT_POS1 + 1], 0x7700u);
    sh2_write8(0x02F0000B, 0x66);
    EXPECT_EQ(b->hit.words[HIT_POS1 + 1], 0x0066u);

    // Reads: the word sits in the low half of the bus word.
    EXPECT_EQ(sh2_read32(0x02F00040), 0x1234u);
    EXPECT_EQ(sh2_read16(0x02F00040), 0u);
    EXPECT_EQ(sh2_read16(0x02F00042), 0x1234u);
    EXPECT_EQ(sh2_read8(0x02F00042), 0x12u);
    EXPECT_EQ(sh2_read8(0x02F00043), 0x34u);
    EXPECT_EQ(sh2_read16(0x02F00046), 0x0042u);

    // Random numbers advance on a read of any width.
    EXPECT_EQ(sh2_read32(0x02F00028), 0x3AF2u);
    EXPECT_EQ(sh2_read16(0x02F0002A), 0x4FBEu);
}

TEST_F(AddressMap, PaletteWritesStoreThenConvert) {
    TestBoard ref;
    ASSERT_NE(ref.b, nullptr);
    board_reset(ref.b);
    board_set_current(b);

    sh2_write32(0x02A00000, 0x00000001);  // a control register
    sh2_write32(0x02A00004, 0x80FF00FF);
    std::memcpy(ref->palette_regs, b->palette_regs, sizeof b->palette_regs);
    palette_regs_write(ref.b, 0);
    palette_regs_write(ref.b, 1);
    EXPECT_EQ(std::memcmp(&ref->palette_control, &b->palette_control, sizeof(PaletteControl)), 0);

    sh2_write32(0x02A40010, 0x00007C1F);  // entry 4
    sh2_write16(0x02A5FFFE, 0x03E0);      // last entry, low half
    EXPECT_EQ(test_be32(b->palette_ram + 0x10), 0x00007C1Fu);
    EXPECT_EQ(test_be32(b->palette_ram + 0x1FFFC), 0x000003E0u);
    std::memcpy(ref->palette_ram, b->palette_ram, sizeof b->palette_ram);
    palette_write_entry(ref.b, 4);
    palette_write_entry(ref.b, 0x7FFF);
    EXPECT_EQ(b->palette_cache[4], ref->palette_cache[4]);
    EXPECT_EQ(b->palette_cache[0x7FFF], ref->palette_cache[0x7FFF]);
    EXPECT_NE(b->palette_cache[4], 0u);
    EXPECT_NE(b->palette_cache[0x7FFF], 0u);
}

TEST_F(AddressMap, CharacterRamWritesMirrorTheWholeWordIntoLayerBGraphics) {
    std::memcpy(b->char_ram + 0x104, "\x01\x02\x03\x04", 4);
    sh2_write8(0x04800105, 0xAB);
    EXPECT_EQ(test_be32(b->tile_rom_b + 0x104), 0x01AB0304u) << "untouched bytes come along";
    sh2_write16(0x0483FFFE, 0xBEEF);
    EXPECT_EQ(test_be32(b->tile_rom_b + 0x3FFFC), 0x0000BEEFu);
    sh2_write32(0x24800200, 0xCAFEBABE);  // through the bit-29 mirror
    EXPECT_EQ(test_be32(b->tile_rom_b + 0x200), 0xCAFEBABEu);
    EXPECT_EQ(b->tile_rom_b[0x40000], 0) << "nothing past the mirror";
    EXPECT_EQ(sh2_read32(0x04800104), 0x01AB0304u);
}

TEST_F(AddressMap, OnChipAreaStoresWordsAndServesTheDivisionUnitAndTimer) {
    sh2_write32(0xFFFFFE80, 0x89ABCDEF);
    EXPECT_EQ(sh2_read32(0xFFFFFE80), 0x89ABCDEFu);
    EXPECT_EQ(sh2_read16(0xFFFFFE82), 0xCDEFu);
    EXPECT_EQ(sh2_read8(0xFFFFFE81), 0xABu);
    EXPECT_EQ(b->onchip_regs[0x80], 0x89);

    sh2_write32(0xFFFFFF00, 7);
    sh2_write32(0xFFFFFF04, static_cast<u32>(-20));
    EXPECT_EQ(sh2_read32(0xFFFFFF04), static_cast<u32>(-2));
    EXPECT_EQ(sh2_read32(0xFFFFFF10), static_cast<u32>(-6));
    EXPECT_EQ(sh2_read16(0xFFFFFF04), 0xFFFFu);
    EXPECT_EQ(sh2_read16(0xFFFFFF06), 0xFFFEu);
    EXPECT_EQ(sh2_read8(0xFFFFFF07), 0xFEu);

    EXPECT_EQ(sh2_read8(0xFFFFFE17), 0xE0u);
    b->cpu.cycles = 8 * 0x1234;  // the counter catches up from the CPU's cycles
    EXPECT_EQ(sh2_read16(0xFFFFFE12), 0x1234u);
    EXPECT_EQ(sh2_read32(0xFFFFFE18), 0u);
}

TEST_F(AddressMap, IdleDetectionNeedsTheWaitLoopsPcTheWordAndTheSwitch) {
    b->cpu.pc = IDLE_POLL_PC;
    sh2_read32(IDLE_POLL_ADDRESS);
    EXPECT_EQ(b->cpu.idle, 1);

    struct Case {
        u32 pc;
        u32 address;
        int width;
        u32 idle_skip;
        u8 idle;
    };
    const Case cases[] = {
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 16, 1, 1},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 3, 8, 1, 1},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 0x20000000, 32, 1, 1},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS + 4, 32, 1, 0},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS - 1, 8, 1, 0},
        {IDLE_POLL_PC + 2, IDLE_POLL_ADDRESS, 32, 1, 0},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 32, 0, 0},
        {IDLE_POLL_PC, IDLE_POLL_ADDRESS, 32, 2, 0},
    };
    for (const Case& c : cases) {
        b->cpu.idle = 0;
        b->cpu.pc = c.pc;
        b->idle_skip = c.idle_skip;
        test_put_be32(b->work_ram + (IDLE_POLL_ADDRESS - 0x06000000), 0x01020304);
        if (c.width == 32)
            sh2_read32(c.address);
        else if (c.width == 16)
            sh2_read16(c.address);
        else
            sh2_read8(c.address);
        EXPECT_EQ(b->cpu.idle, c.idle) << std::hex << c.pc << " " << c.address << " width " << std::dec << c.width;
    }
    b->cpu.pc = IDLE_POLL_PC;
    b->idle_skip = 1;
    EXPECT_EQ(sh2_read32(IDLE_POLL_ADDRESS), 0x01020304u) << "the poll still reads the word";
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
        0xFEFFFAFF,  // 0 input port
        0xFFFFFFA4,  // 1 DIP port, test held
        0xFFFFFFFF,  // 2 constant
        0xFFFFFEFF,  // 3 input port high half, sign-extended
        0xFFFFFFFF,  // 4 input port low byte
        0xCAFEBABE,  // 5 program ROM
        0xCAFEBABE,  // 6 its bit-27 mirror
        0,           // 7 bit 28: nothing
        0x12345678,  // 8 work RAM written through its mirror
        0,           // 9 bit 28: nothing
        0x22,        // 10 NVRAM byte order
        0,           // 11 sound chip to a 32-bit read
        0,           // 12 clock to a 32-bit read
        6,           // 13 year units
        2,           // 14 year tens
        0x0605,      // 15 seconds, units and tens
        0x0A,        // 16 register 13 low nibble
        0x01AB0304,  // 17 character RAM
        0,           // 18 HIT write to the high half
        0x1234,      // 19 HIT write to the low half
        0x3AF2,      // 20 first random number
        0xDEADBEEF,  // 21 cache RAM
        0x12345678,  // 22 sprite RAM
        0xFFFFFFFE,  // 23 -20 / 7
        0xFFFFFFFA,  // 24 remainder
        0x5C,        // 25 on-chip storage
        0xFFFFFFE0,  // 26 timer output control
        0x00007FFF,  // 27 palette RAM
    };
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i)
        EXPECT_EQ(test_work_word(b, 0x200 + 4 * static_cast<u32>(i)), expected[i]) << "probe " << i;

    EXPECT_EQ(test_be32(b->tile_rom_b + 4), 0x01AB0304u);
    EXPECT_EQ(test_be32(b->nvram + 0x10), 0x11223344u);
    EXPECT_EQ(b->rtc_regs[13], 0x5A);
    EXPECT_EQ(b->ymz.voices[0].fn, 0x77);
    EXPECT_EQ(b->divu_dvsr, 7u);
    EXPECT_NE(b->palette_cache[4], 0u);
}
