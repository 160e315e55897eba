// The "FESTATE1" save-state container as bytes: its layout and the
// little-endian packing that the container, the rewind ring and the input
// movie share. Everything else of the slots is declared in frontend.h.
//
// Layout (all numbers little-endian; T = tw x th x 2, L = snapshot length):
//   0 magic "FESTATE1" | 8 u32 version 1 | 12 game id, 16 bytes |
//   28 adapter version text, 32 bytes | 60 u32 ROM fingerprint |
//   64 s64 save time | 72 u32 frame count (low 32 bits) | 76 u16 tw |
//   78 u16 th | 80 thumbnail, T bytes of RGB565 | 80+T u32 L |
//   84+T the snapshot | 84+T+L u32 CRC-32 of every byte before it
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char STATE_MAGIC[8] = {'F', 'E', 'S', 'T', 'A', 'T', 'E', '1'};
constexpr uint32_t STATE_VERSION = 1;
constexpr size_t STATE_OFF_VERSION = 8;
constexpr size_t STATE_OFF_ID = 12;
constexpr size_t STATE_ID_SIZE = 16;
constexpr size_t STATE_OFF_ADAPTER_VERSION = 28;
constexpr size_t STATE_ADAPTER_VERSION_SIZE = 32;
constexpr size_t STATE_OFF_FINGERPRINT = 60;
constexpr size_t STATE_OFF_SAVED_AT = 64;
constexpr size_t STATE_OFF_FRAMES = 72;
constexpr size_t STATE_OFF_THUMB_W = 76;
constexpr size_t STATE_OFF_THUMB_H = 78;
constexpr size_t STATE_OFF_THUMBNAIL = 80;
constexpr size_t STATE_FIXED_SIZE = 88;  // everything but the thumbnail and the snapshot
constexpr uint32_t STATE_MAX_THUMB_SIDE = 1024;

inline void put_le16(uint8_t* p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

inline void put_le32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}

inline void put_le64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; i++) p[i] = (uint8_t)(v >> (8 * i));
}

inline uint16_t get_le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

inline uint32_t get_le32(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

inline uint64_t get_le64(const uint8_t* p) { return (uint64_t)get_le32(p) | (uint64_t)get_le32(p + 4) << 32; }

// An XRGB8888 pixel as the thumbnail's RGB565: the top 5 bits of red, 6 of
// green and 5 of blue.
inline uint16_t thumbnail_rgb565(uint32_t p) {
    return (uint16_t)(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
}
