// Big-endian loads and stores: SH-2 memory, the register files and the video
// memories hold their bytes as the SH-2 sees them, most significant first.
#pragma once

#include <bit>
#include <cstring>

#include "sh2/sh2.h"

// The `bytes` (1 to 4) bytes at p as one number, most significant first.
inline u32 be_load(const u8* p, int bytes) {
    if (bytes == 4 && std::endian::native == std::endian::little) {
        u32 v;
        std::memcpy(&v, p, 4);
        return __builtin_bswap32(v);
    }
    u32 v = 0;
    for (int i = 0; i < bytes; i++) v = (v << 8) | p[i];
    return v;
}

// Stores the low `bytes` (1 to 4) bytes of value at p, most significant first.
inline void be_store(u8* p, u32 value, int bytes) {
    if (bytes == 4 && std::endian::native == std::endian::little) {
        value = __builtin_bswap32(value);
        std::memcpy(p, &value, 4);
        return;
    }
    for (int i = 0; i < bytes; i++) p[i] = static_cast<u8>(value >> (8 * (bytes - 1 - i)));
}
