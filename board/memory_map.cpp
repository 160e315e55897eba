// The SH-2 address map: mirror folding, ROM and RAM images in big-endian
// order, the register files and devices, the input, DIP-switch and clock
// ports, the character-RAM mirror and the idle-loop detection.
//
// Every instruction fetch comes through sh2_read16, so the BIOS, the
// program ROM and the work RAM are tested first with one subtract-and-compare
// each; everything else is decoded by the address's top twelve bits.
#include "board/memory_map.h"

#include <cstring>

#include "board/hit.h"
#include "board/onchip.h"
#include "board/palette.h"
#include "board/rtc.h"
#include "board/ymz280b.h"

BoardState* current_board = nullptr;

namespace {

constexpr u32 PROGRAM_ROM_BASE = 0x04000000;
constexpr u32 WORK_RAM_BASE = 0x06000000;
constexpr u32 WORK_RAM_SIZE = 0x100000;
constexpr u32 YMZ_PORT0 = 0x00C00000;
constexpr u32 RTC_BASE = 0x01000000;
constexpr u32 ONCHIP_BASE = 0xFFFFFE00;
constexpr u32 HIT_BASE = 0x02F00000;
constexpr u32 PALETTE_REGS_BASE = 0x02A00000;
constexpr u32 PALETTE_RAM_BASE = 0x02A40000;
constexpr u32 CHAR_RAM_BASE = 0x04800000;
constexpr u32 CHAR_RAM_SIZE = 0x40000;

inline u32 load_be32(const u8* p) {
    u32 v;
    std::memcpy(&v, p, 4);
    return __builtin_bswap32(v);
}

inline u32 load_be16(const u8* p) { return (static_cast<u32>(p[0]) << 8) | p[1]; }

// Stores `length` bytes of `value`, most significant first, at mem[off];
// bytes that would fall past the region are dropped.
inline void store_be(u8* mem, u32 size, u32 off, u32 value, int length) {
    for (int k = 0; k < length; ++k) {
        u32 at = off + static_cast<u32>(k);
        if (at < size) mem[at] = static_cast<u8>(value >> (8 * (length - 1 - k)));
    }
}

inline void store_be32(u8* p, u32 value) {
    value = __builtin_bswap32(value);
    std::memcpy(p, &value, 4);
}

inline u8 value_byte(u32 value, int length, int k) { return static_cast<u8>(value >> (8 * (length - 1 - k))); }

// The game's wait-for-frame loop reads one work RAM word from one
// instruction; seeing that read lets the run loop skip the rest of the
// slice instead of interpreting the loop.
inline void check_idle(BoardState* b, u32 address) {
    if ((address & ~3u) == IDLE_POLL_ADDRESS && b->idle_skip == 1 && b->cpu.pc == IDLE_POLL_PC) b->cpu.idle = 1;
}

// Devices on an 8-bit data bus: 16-bit reads assemble two byte reads.
inline bool is_byte_wide(u32 a) {
    return (a >= ONCHIP_BASE && a <= 0xFFFFFEFFu) || (a - YMZ_PORT0) < 4 || (a - RTC_BASE) < 16;
}

struct InputWire {
    u8 input_bit;
    u8 port_bit;
};

constexpr InputWire INPUT_WIRES[] = {
    {0, 24},  {1, 25},  {2, 26},  {3, 27}, {4, 28},  {5, 29},  {7, 8},   {8, 16},  {9, 17},  {10, 18},
    {11, 19}, {12, 20}, {13, 21}, {15, 9}, {16, 10}, {17, 11}, {18, 12}, {19, 13}, {20, 14},
};

constexpr u32 INPUT_TEST_BIT = 1u << 21;

// The 16 bits that an access places in the low half of the 32-bit bus word,
// which is all the HIT device is wired to.
inline u16 hit_bus_value(u32 address, u32 value, int length) {
    if (length == 4) return static_cast<u16>(value);
    if (length == 2) return (address & 2) ? static_cast<u16>(value) : 0;
    switch (address & 3) {
    case 3: return static_cast<u16>(value & 0xFF);
    case 2: return static_cast<u16>((value & 0xFF) << 8);
    default: return 0;
    }
}

}  // namespace

u32 input_port_word(u32 input_bits) {
    u32 port = 0xFFFFFFFFu;
    for (const InputWire& w : INPUT_WIRES)
        if (input_bits & (1u << w.input_bit)) port &= ~(1u << w.port_bit);
    return port;
}

u32 dip_port_word(u8 dip, u32 input_bits) {
    u32 port = 0xFFFFFF00u | dip;
    if (input_bits & INPUT_TEST_BIT) port &= ~1u;
    return port;
}

u32 bus_read32(BoardState* b, u32 a) {
    a &= ~3u;
    if (a < BIOS_ROM_SIZE) return b->bios_rom ? load_be32(b->bios_rom + a) : 0;
    if (a - PROGRAM_ROM_BASE < PROGRAM_ROM_SIZE)
        return b->program_rom ? load_be32(b->program_rom + (a - PROGRAM_ROM_BASE)) : 0;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        check_idle(b, a);
        return load_be32(b->work_ram + (a - WORK_RAM_BASE));
    }
    switch (a >> 20) {
    case 0x004:
        if (a == 0x00400000) return input_port_word(b->input_bits);
        if (a == 0x00400004) return dip_port_word(b->dip, b->input_bits);
        if (a == 0x0040000C) return 0xFFFFFFFFu;
        return 0;
    case 0x008:
        if (a - 0x00800000u < sizeof b->nvram) return load_be32(b->nvram + (a - 0x00800000u));
        return 0;
    case 0x020:
        if (a - 0x02000000u < sizeof b->sprite_ram) return load_be32(b->sprite_ram + (a - 0x02000000u));
        return 0;
    case 0x021:
        if (a - 0x02100000u < sizeof b->sprite_regs) return load_be32(b->sprite_regs + (a - 0x02100000u));
        return 0;
    case 0x024:
        if (a - 0x02400000u < sizeof b->tilemap_regs) return load_be32(b->tilemap_regs + (a - 0x02400000u));
        return 0;
    case 0x025: {
        u32 off = a - 0x02500000u;
        if (off < sizeof b->tilemap_ram_a) return load_be32(b->tilemap_ram_a + off);
        off -= sizeof b->tilemap_ram_a;
        if (off < sizeof b->tilemap_ram_b) return load_be32(b->tilemap_ram_b + off);
        return 0;
    }
    case 0x026:
        if (a - 0x02600000u < sizeof b->line_ram) return load_be32(b->line_ram + (a - 0x02600000u));
        return 0;
    case 0x02A:
        if (a - PALETTE_REGS_BASE < sizeof b->palette_regs) return load_be32(b->palette_regs + (a - PALETTE_REGS_BASE));
        if (a - PALETTE_RAM_BASE < sizeof b->palette_ram) return load_be32(b->palette_ram + (a - PALETTE_RAM_BASE));
        return 0;
    case 0x02F:
        if (a - HIT_BASE < 0x100) return hit_read(b, a - HIT_BASE);
        return 0;
    case 0x048:
        if (a - CHAR_RAM_BASE < CHAR_RAM_SIZE) return load_be32(b->char_ram + (a - CHAR_RAM_BASE));
        return 0;
    case 0xC00:
        if (a - 0xC0000000u < sizeof b->cache_ram) return load_be32(b->cache_ram + (a - 0xC0000000u));
        return 0;
    case 0xFFF:
        if (a >= ONCHIP_BASE) return onchip_read32(b, a);
        return 0;
    default: return 0;
    }
}

u8 bus_read8_io(BoardState* b, u32 a) {
    if (a == YMZ_PORT0 || a == YMZ_PORT0 + 1) return ymz_read(b, static_cast<int>(a & 1));
    if (a - RTC_BASE < 16) return rtc_read(b, a - RTC_BASE);
    if (a >= ONCHIP_BASE) {
        u32 off = a & 0x1FF;
        if (off >= 0x10 && off <= 0x17) return frt_read8(b, off);
        return b->onchip_regs[off];
    }
    return 0;
}

u32 sh2_read32(u32 address) { return bus_read32(current_board, bus_fold(address) & ~3u); }

u32 sh2_read16(u32 address) {
    BoardState* b = current_board;
    u32 a = bus_fold(address);
    if (a < BIOS_ROM_SIZE) return b->bios_rom ? load_be16(b->bios_rom + (a & ~1u)) : 0;
    if (a - PROGRAM_ROM_BASE < PROGRAM_ROM_SIZE)
        return b->program_rom ? load_be16(b->program_rom + ((a - PROGRAM_ROM_BASE) & ~1u)) : 0;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        check_idle(b, a);
        return load_be16(b->work_ram + ((a - WORK_RAM_BASE) & ~1u));
    }
    if (is_byte_wide(a)) {
        // High byte first: reading a port can change the device's state.
        u32 high = bus_read8_io(b, a & ~1u);
        return (high << 8) | bus_read8_io(b, a | 1u);
    }
    u32 word = bus_read32(b, a & ~3u);
    return (a & 2) ? (word & 0xFFFF) : (word >> 16);
}

u32 sh2_read8(u32 address) {
    BoardState* b = current_board;
    u32 a = bus_fold(address);
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        check_idle(b, a);
        return b->work_ram[a - WORK_RAM_BASE];
    }
    if (is_byte_wide(a)) return bus_read8_io(b, a);
    u32 word = bus_read32(b, a & ~3u);
    return (word >> (8 * (3 - (a & 3)))) & 0xFF;
}

void bus_write(BoardState* b, u32 address, u32 value, int length) {
    u32 a = bus_fold(address);
    if (length != 1 && length != 2) length = 4;
    if (length < 4) value &= (1u << (8 * length)) - 1;

    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        store_be(b->work_ram, WORK_RAM_SIZE, a - WORK_RAM_BASE, value, length);
        return;
    }
    switch (a >> 20) {
    case 0x008:
        if (a - 0x00800000u < sizeof b->nvram) store_be(b->nvram, sizeof b->nvram, a - 0x00800000u, value, length);
        return;
    case 0x00C:
        // Two byte ports: a wider access feeds its bytes to consecutive
        // ports and drops whatever falls past port 1.
        if (a == YMZ_PORT0 || a == YMZ_PORT0 + 1) {
            for (int k = 0; k < length && a + static_cast<u32>(k) <= YMZ_PORT0 + 1; ++k)
                ymz_write(b, static_cast<int>((a + static_cast<u32>(k)) & 1), value_byte(value, length, k));
        }
        return;
    case 0x010:
        if (a - RTC_BASE < 16) {
            for (int k = 0; k < length; ++k) rtc_write(b, (a + static_cast<u32>(k)) & 15, value_byte(value, length, k));
        }
        return;
    case 0x020:
        if (a - 0x02000000u < sizeof b->sprite_ram)
            store_be(b->sprite_ram, sizeof b->sprite_ram, a - 0x02000000u, value, length);
        return;
    case 0x021:
        if (a - 0x02100000u < sizeof b->sprite_regs)
            store_be(b->sprite_regs, sizeof b->sprite_regs, a - 0x02100000u, value, length);
        return;
    case 0x024:
        if (a - 0x02400000u < sizeof b->tilemap_regs)
            store_be(b->tilemap_regs, sizeof b->tilemap_regs, a - 0x02400000u, value, length);
        return;
    case 0x025: {
        u32 off = a - 0x02500000u;
        if (off < sizeof b->tilemap_ram_a) {
            store_be(b->tilemap_ram_a, sizeof b->tilemap_ram_a, off, value, length);
            return;
        }
        off -= sizeof b->tilemap_ram_a;
        if (off < sizeof b->tilemap_ram_b) store_be(b->tilemap_ram_b, sizeof b->tilemap_ram_b, off, value, length);
        return;
    }
    case 0x026:
        if (a - 0x02600000u < sizeof b->line_ram)
            store_be(b->line_ram, sizeof b->line_ram, a - 0x02600000u, value, length);
        return;
    case 0x02A: {
        u32 off = a - PALETTE_REGS_BASE;
        if (off < sizeof b->palette_regs) {
            store_be(b->palette_regs, sizeof b->palette_regs, off, value, length);
            palette_regs_write(b, off >> 2);
            return;
        }
        off = a - PALETTE_RAM_BASE;
        if (off < sizeof b->palette_ram) {
            store_be(b->palette_ram, sizeof b->palette_ram, off, value, length);
            palette_write_entry(b, off >> 2);
        }
        return;
    }
    case 0x02F:
        if (a - HIT_BASE < 0x100) hit_write(&b->hit, a & 0xFC, hit_bus_value(a, value, length));
        return;
    case 0x048: {
        u32 off = a - CHAR_RAM_BASE;
        if (off < CHAR_RAM_SIZE) {
            store_be(b->char_ram, CHAR_RAM_SIZE, off, value, length);
            // Layer B fetches downloadable tiles from the start of its
            // graphics space: keep the whole word there in step.
            u32 word = off & 0x3FFFC;
            if (b->tile_rom_b) std::memcpy(b->tile_rom_b + word, b->char_ram + word, 4);
        }
        return;
    }
    case 0xC00:
        if (a - 0xC0000000u < sizeof b->cache_ram)
            store_be(b->cache_ram, sizeof b->cache_ram, a - 0xC0000000u, value, length);
        return;
    case 0xFFF:
        if (a >= ONCHIP_BASE) onchip_write(b, a, value, length);
        return;
    default: return;  // ROMs, ports and unmapped space ignore writes
    }
}

void sh2_write32(u32 address, u32 value) {
    BoardState* b = current_board;
    u32 a = bus_fold(address) & ~3u;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        store_be32(b->work_ram + (a - WORK_RAM_BASE), value);
        return;
    }
    bus_write(b, a, value, 4);
}

void sh2_write16(u32 address, u32 value) {
    BoardState* b = current_board;
    u32 a = bus_fold(address) & ~1u;
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        u8* p = b->work_ram + (a - WORK_RAM_BASE);
        p[0] = static_cast<u8>(value >> 8);
        p[1] = static_cast<u8>(value);
        return;
    }
    bus_write(b, a, value & 0xFFFF, 2);
}

void sh2_write8(u32 address, u32 value) {
    BoardState* b = current_board;
    u32 a = bus_fold(address);
    if (a - WORK_RAM_BASE < WORK_RAM_SIZE) {
        b->work_ram[a - WORK_RAM_BASE] = static_cast<u8>(value);
        return;
    }
    bus_write(b, a, value & 0xFF, 1);
}
