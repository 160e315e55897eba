// The SH-2 address map: the six bus functions of the SH-2 runtime decode an
// address of the current board record into a ROM image, a RAM, a register
// file or a device.
//
// Every access folds the address's mirrors first. The BIOS, the program ROM
// and the work RAM take nearly every instruction fetch and data access, so
// reads of them and writes to the work RAM reach the byte image directly;
// everything else is looked up in the one table of regions below, which both
// the read and the write side use.
#include <cstring>

#include "board/big_endian.h"
#include "board/board.h"
#include "board/hit.h"
#include "board/onchip.h"
#include "board/palette.h"
#include "board/rtc.h"
#include "board/ymz280b.h"

namespace {

// The record that the bus functions act on. Plain module state: one board
// runs at a time, on the main thread.
BoardState* current_board = nullptr;

constexpr u32 PORTS_BASE = 0x00400000;
constexpr u32 INPUT_PORT = PORTS_BASE;
constexpr u32 DIP_PORT = PORTS_BASE + 4;
constexpr u32 CONSTANT_PORT = PORTS_BASE + 0xC;
constexpr u32 YMZ_PORT0 = 0x00C00000;
constexpr u32 RTC_BASE = 0x01000000;
constexpr u32 HIT_BASE = 0x02F00000;
constexpr u32 PALETTE_REGS_BASE = 0x02A00000;
constexpr u32 PALETTE_RAM_BASE = 0x02A40000;
constexpr u32 PROGRAM_ROM_BASE = 0x04000000;
constexpr u32 CHAR_RAM_BASE = 0x04800000;
constexpr u32 WORK_RAM_BASE = 0x06000000;
constexpr u32 WORK_RAM_SIZE = sizeof BoardState::work_ram;
constexpr u32 ONCHIP_BASE = 0xFFFFFE00;

// The work RAM word the game polls in its wait-for-frame loop, and the
// address of the instruction that polls it.
constexpr u32 IDLE_POLL_ADDRESS = 0x0604D3C8;
constexpr u32 IDLE_POLL_PC = 0x0402EBD2;

// Mirror folding: unless bit 31, 30 or 28 is set, bits 29 and 27 are not
// decoded.
inline u32 fold(u32 address) { return (address & 0xD0000000u) ? address : (address & 0xC7FFFFFFu); }

// Seeing the game's wait-for-frame loop read its word lets the run loop skip
// the rest of the slice instead of interpreting the loop.
inline void check_idle(BoardState* b, u32 address) {
    if ((address & ~3u) == IDLE_POLL_ADDRESS && b->idle_skip == 1 && b->cpu.pc == IDLE_POLL_PC) b->cpu.idle = 1;
}

// The byte of a `length`-byte value that goes to its k-th address.
inline u8 value_byte(u32 value, int length, int k) { return static_cast<u8>(value >> (8 * (length - 1 - k))); }

// --- devices -------------------------------------------------------------

struct InputWire {
    u8 input_bit;
    u8 port_bit;
};

constexpr InputWire INPUT_WIRES[] = {
    {0, 24},  {1, 25},  {2, 26},  {3, 27}, {4, 28},  {5, 29},  {7, 8},   {8, 16},  {9, 17},  {10, 18},
    {11, 19}, {12, 20}, {13, 21}, {15, 9}, {16, 10}, {17, 11}, {18, 12}, {19, 13}, {20, 14},
};

constexpr u32 INPUT_TEST_BIT = 1u << 21;

// The input port is active low; the DIP port shows the DIP byte with bit 0
// pulled low while the test input is held.
u32 ports_read32(BoardState* b, u32 a) {
    switch (a) {
    case INPUT_PORT: {
        u32 port = 0xFFFFFFFFu;
        for (const InputWire& w : INPUT_WIRES)
            if (b->input_bits & (1u << w.input_bit)) port &= ~(1u << w.port_bit);
        return port;
    }
    case DIP_PORT: return (0xFFFFFF00u | b->dip) & ((b->input_bits & INPUT_TEST_BIT) ? ~1u : ~0u);
    case CONSTANT_PORT: return 0xFFFFFFFFu;
    default: return 0;
    }
}

// Two byte ports: a wider access feeds its bytes to consecutive ports and
// drops whatever falls past port 1.
u8 ymz_port_read(BoardState* b, u32 a) { return a - YMZ_PORT0 < 2 ? ymz_read(b, static_cast<int>(a & 1)) : 0; }
void ymz_port_write(BoardState* b, u32 a, u32 value, int length) {
    for (int k = 0; k < length && a + static_cast<u32>(k) <= YMZ_PORT0 + 1; ++k)
        ymz_write(b, static_cast<int>((a + static_cast<u32>(k)) & 1), value_byte(value, length, k));
}

u8 rtc_port_read(BoardState* b, u32 a) { return rtc_read(b, a - RTC_BASE); }
void rtc_port_write(BoardState* b, u32 a, u32 value, int length) {
    for (int k = 0; k < length; ++k) rtc_write(b, (a + static_cast<u32>(k)) & 15, value_byte(value, length, k));
}

u32 hit_port_read32(BoardState* b, u32 a) { return hit_read(b, a - HIT_BASE); }
// The HIT device is wired to the low half of the 32-bit bus word only.
void hit_port_write(BoardState* b, u32 a, u32 value, int length) {
    u16 v = 0;
    if (length == 4)
        v = static_cast<u16>(value);
    else if (length == 2)
        v = (a & 2) ? static_cast<u16>(value) : 0;
    else if ((a & 3) == 3)
        v = static_cast<u16>(value & 0xFF);
    else if ((a & 3) == 2)
        v = static_cast<u16>((value & 0xFF) << 8);
    hit_write(&b->hit, a & 0xFC, v);
}

// The first half of the on-chip area sits on an 8-bit bus: the timer's
// bytes, or the stored register bytes.
u8 onchip_byte_read(BoardState* b, u32 a) {
    const u32 off = a & 0x1FF;
    return (off >= 0x10 && off <= 0x17) ? frt_read8(b, off) : b->onchip_regs[off];
}

// Writes that change more than the stored bytes.
void palette_regs_stored(BoardState* b, u32 off) { palette_regs_write(b, off >> 2); }
void palette_ram_stored(BoardState* b, u32 off) { palette_write_entry(b, off >> 2); }
// Layer B fetches downloadable tiles from the start of its graphics space:
// keep the whole word there in step.
void char_ram_stored(BoardState* b, u32 off) {
    const u32 word = off & ~3u;
    if (b->tile_rom_b) std::memcpy(b->tile_rom_b + word, b->char_ram + word, 4);
}

// --- the map ---------------------------------------------------------------

// One region of the folded address space. A memory region has an image:
// reads return its big-endian bytes (0 while a ROM image is absent), writes
// store into it unless it is a ROM, and then `stored` learns the offset. A
// device region has handlers instead; without them it reads 0 and ignores
// writes. A device with `read8` sits on an 8-bit bus: 16-bit reads assemble
// two byte reads, and 32-bit reads use `read32`.
struct Region {
    u32 base;
    u32 size;
    u8* (*image)(BoardState*) = nullptr;
    bool rom = false;
    void (*stored)(BoardState*, u32 offset) = nullptr;
    u32 (*read32)(BoardState*, u32 address) = nullptr;
    u8 (*read8)(BoardState*, u32 address) = nullptr;
    void (*write)(BoardState*, u32 address, u32 value, int length) = nullptr;
};

u32 zero_read32(BoardState*, u32) { return 0; }

#define IMAGE(member) [](BoardState* b) -> u8* { return b->member; }

const Region REGIONS[] = {
    {.base = 0x00000000, .size = BIOS_ROM_SIZE, .image = IMAGE(bios_rom), .rom = true},
    {.base = PORTS_BASE, .size = 16, .read32 = ports_read32},
    {.base = 0x00800000, .size = sizeof BoardState::nvram, .image = IMAGE(nvram)},
    {.base = YMZ_PORT0, .size = 4, .read32 = zero_read32, .read8 = ymz_port_read, .write = ymz_port_write},
    {.base = RTC_BASE, .size = 16, .read32 = zero_read32, .read8 = rtc_port_read, .write = rtc_port_write},
    {.base = 0x02000000, .size = sizeof BoardState::sprite_ram, .image = IMAGE(sprite_ram)},
    {.base = 0x02100000, .size = sizeof BoardState::sprite_regs, .image = IMAGE(sprite_regs)},
    {.base = 0x02400000, .size = sizeof BoardState::tilemap_regs, .image = IMAGE(tilemap_regs)},
    {.base = 0x02500000, .size = sizeof BoardState::tilemap_ram_a, .image = IMAGE(tilemap_ram_a)},
    {.base = 0x02504000, .size = sizeof BoardState::tilemap_ram_b, .image = IMAGE(tilemap_ram_b)},
    {.base = 0x02600000, .size = sizeof BoardState::line_ram, .image = IMAGE(line_ram)},
    {.base = PALETTE_REGS_BASE,
     .size = sizeof BoardState::palette_regs,
     .image = IMAGE(palette_regs),
     .stored = palette_regs_stored},
    {.base = PALETTE_RAM_BASE,
     .size = sizeof BoardState::palette_ram,
     .image = IMAGE(palette_ram),
     .stored = palette_ram_stored},
    {.base = HIT_BASE, .size = 0x100, .read32 = hit_port_read32, .write = hit_port_write},
    {.base = PROGRAM_ROM_BASE, .size = PROGRAM_ROM_SIZE, .image = IMAGE(program_rom), .rom = true},
    {.base = CHAR_RAM_BASE, .size = sizeof BoardState::char_ram, .image = IMAGE(char_ram), .stored = char_ram_stored},
    {.base = WORK_RAM_BASE, .size = WORK_RAM_SIZE, .image = IMAGE(work_ram)},
    {.base = 0xC0000000, .size = sizeof BoardState::cache_ram, .image = IMAGE(cache_ram)},
    {.base = ONCHIP_BASE, .size = 0x100, .read32 = onchip_read32, .read8 = onchip_byte_read, .write = onchip_write},
    {.base = ONCHIP_BASE + 0x100, .size = 0x100, .read32 = onchip_read32, .write = onchip_write},
};

#undef IMAGE

const Region* find_region(u32 a) {
    for (const Region& r : REGIONS)
        if (a - r.base < r.size) return &r;
    return nullptr;  // unmapped: reads 0, writes are dropped
}

// The direct path: the image behind a folded address in the BIOS, the
// program ROM or the work RAM, or null for everything else (and for an
// absent ROM image, which the table then reads as 0).
inline const u8* fast_read_image(BoardState* b, u32 a) {
    if (a < BIOS_ROM_SIZE) return b->bios_rom ? b->bios_rom + a : nullptr;
    if (a - PROGRAM_ROM_BASE < PROGRAM_ROM_SIZE)
        return b->program_rom ? b->program_rom + (a - PROGRAM_ROM_BASE) : nullptr;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        check_idle(b, a);
        return b->work_ram + (a - WORK_RAM_BASE);
    }
    return nullptr;
}

// The 32-bit bus word at a folded, 4-aligned address of region r.
u32 region_read32(BoardState* b, const Region* r, u32 a) {
    if (!r) return 0;
    if (r->image) {
        const u8* image = r->image(b);
        return image ? be_load(image + (a - r->base), 4) : 0;
    }
    return r->read32 ? r->read32(b, a) : 0;
}

__attribute__((noinline)) u32 read32_decoded(BoardState* b, u32 a) { return region_read32(b, find_region(a), a); }

__attribute__((noinline)) u32 read16_decoded(BoardState* b, u32 a) {
    const Region* r = find_region(a);
    if (r && r->read8) {
        // High byte first: reading a port can change the device's state.
        const u32 high = r->read8(b, a & ~1u);
        return (high << 8) | r->read8(b, a | 1u);
    }
    const u32 word = region_read32(b, r, a & ~3u);
    return (a & 2) ? (word & 0xFFFF) : (word >> 16);
}

__attribute__((noinline)) u32 read8_decoded(BoardState* b, u32 a) {
    const Region* r = find_region(a);
    if (r && r->read8) return r->read8(b, a);
    return (region_read32(b, r, a & ~3u) >> (8 * (3 - (a & 3)))) & 0xFF;
}

// Writes `length` (1, 2 or 4) bytes of value, most significant first, at a
// folded address aligned to the length.
__attribute__((noinline)) void write_decoded(BoardState* b, u32 a, u32 value, int length) {
    const Region* r = find_region(a);
    if (!r) return;
    if (!r->image) {
        if (r->write) r->write(b, a, value, length);
        return;
    }
    if (r->rom) return;
    const u32 off = a - r->base;
    be_store(r->image(b) + off, value, length);
    if (r->stored) r->stored(b, off);
}

}  // namespace

void board_set_current(BoardState* b) { current_board = b; }

BoardState* board_current() { return current_board; }

u32 sh2_read32(u32 address) {
    BoardState* b = current_board;
    const u32 a = fold(address) & ~3u;
    if (const u8* p = fast_read_image(b, a)) return be_load(p, 4);
    return read32_decoded(b, a);
}

u32 sh2_read16(u32 address) {
    BoardState* b = current_board;
    const u32 a = fold(address);
    if (const u8* p = fast_read_image(b, a & ~1u)) return be_load(p, 2);
    return read16_decoded(b, a);
}

u32 sh2_read8(u32 address) {
    BoardState* b = current_board;
    const u32 a = fold(address);
    if (const u8* p = fast_read_image(b, a)) return *p;
    return read8_decoded(b, a);
}

void sh2_write32(u32 address, u32 value) {
    BoardState* b = current_board;
    const u32 a = fold(address) & ~3u;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE)
        be_store(b->work_ram + (a - WORK_RAM_BASE), value, 4);
    else
        write_decoded(b, a, value, 4);
}

void sh2_write16(u32 address, u32 value) {
    BoardState* b = current_board;
    const u32 a = fold(address) & ~1u;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE)
        be_store(b->work_ram + (a - WORK_RAM_BASE), value, 2);
    else
        write_decoded(b, a, value & 0xFFFF, 2);
}

void sh2_write8(u32 address, u32 value) {
    BoardState* b = current_board;
    const u32 a = fold(address);
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE)
        b->work_ram[a - WORK_RAM_BASE] = static_cast<u8>(value);
    else
        write_decoded(b, a, value & 0xFF, 1);
}
