#include "board/hit.h"

namespace {

constexpr s8 NONE = -1;
constexpr s8 RANDOM = -2;

// Input word selected by each write offset (offset >> 2). Every input has
// two offsets.
// clang-format off
constexpr s8 WRITE_WORD[64] = {
    // 0x00-0x3C
    HIT_POS1 + 0, HIT_SIZE1 + 0, HIT_POS1 + 1, HIT_SIZE1 + 1,
    HIT_POS2 + 0, HIT_SIZE2 + 0, HIT_POS2 + 1, HIT_SIZE2 + 1,
    HIT_POS2 + 2, HIT_SIZE2 + 2, HIT_POS1 + 0, HIT_SIZE1 + 0,
    HIT_POS1 + 1, HIT_SIZE1 + 1, HIT_POS1 + 2, HIT_SIZE1 + 2,
    // 0x40-0x7C
    NONE, NONE, NONE, NONE,
    HIT_POS1 + 2, HIT_SIZE1 + 2, HIT_POS2 + 0, HIT_SIZE2 + 0,
    HIT_POS2 + 1, HIT_SIZE2 + 1, HIT_POS2 + 2, HIT_SIZE2 + 2,
    HIT_MODE, NONE, NONE, NONE,
    // 0x80-0xFC
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
};
// clang-format on

// Word served by each read offset (offset >> 2); differs from the write
// side: the low offsets read results, the inputs read back from 0x40 up.
// clang-format off
constexpr s8 READ_WORD[64] = {
    // 0x00-0x3C
    HIT_OVERLAP + 0, HIT_OVERLAP + 1, HIT_FLAGS, NONE,
    HIT_OVERLAP + 0, HIT_OVERLAP + 1, HIT_OVERLAP + 2, HIT_FLAGS,
    NONE, NONE, RANDOM, NONE,
    NONE, NONE, NONE, NONE,
    // 0x40-0x7C
    HIT_POS1 + 0, HIT_SIZE1 + 0, HIT_POS1 + 1, HIT_SIZE1 + 1,
    HIT_POS1 + 2, HIT_SIZE1 + 2, HIT_POS2 + 0, HIT_SIZE2 + 0,
    HIT_POS2 + 1, HIT_SIZE2 + 1, HIT_POS2 + 2, HIT_SIZE2 + 2,
    HIT_MODE, NONE, NONE, NONE,
    // 0x80-0xBC
    HIT_DIFF + 0, HIT_DIFF + 1, HIT_DIFF + 2, NONE,
    HIT_POS1_OUT + 0, HIT_POS2_OUT + 0, HIT_END1 + 0, HIT_START2 + 0,
    HIT_POS1_OUT + 2, HIT_POS2_OUT + 2, HIT_END1 + 2, HIT_START2 + 2,
    HIT_POS1_OUT + 4, HIT_POS2_OUT + 4, HIT_END1 + 4, HIT_START2 + 4,
    // 0xC0-0xFC
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
    NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE,
};
// clang-format on

u16 wrap(int v) { return static_cast<u16>(v & 0xFFFF); }

void hit_recompute(HitDevice* hit) {
    u16* w = hit->words;
    const u16 mode = w[HIT_MODE];
    u16 overlap[3];
    u16 flags = 0;
    for (int k = 0; k < 3; ++k) {
        const u16 pos1 = w[HIT_POS1 + k];
        const u16 size1 = w[HIT_SIZE1 + k];
        const u16 pos2 = w[HIT_POS2 + k];
        const u16 size2 = w[HIT_SIZE2 + k];

        u16 end1;
        switch (mode & 3) {
        case 1: end1 = wrap(pos1 + size1 - (size1 >> 1)); break;  // centred
        case 2: end1 = pos1; break;
        default: end1 = wrap(pos1 + size1); break;
        }
        u16 start2;
        switch ((mode >> 8) & 3) {
        case 0: start2 = pos2; break;
        case 1: start2 = wrap(pos2 - (size2 >> 1)); break;  // centred
        default: start2 = wrap(pos2 - size2); break;
        }

        // Copies and edges are interleaved axis by axis.
        w[HIT_POS1_OUT + 2 * k] = pos1;
        w[HIT_END1 + 2 * k] = end1;
        w[HIT_POS2_OUT + 2 * k] = pos2;
        w[HIT_START2 + 2 * k] = start2;
        w[HIT_DIFF + k] = wrap(pos2 - pos1);
        overlap[k] = wrap(end1 - start2);
        w[HIT_OVERLAP + k] = overlap[k];
    }

    const bool ok1 = !(overlap[0] & 0x8000);
    const bool ok2 = !(overlap[1] & 0x8000);
    const bool ok3 = !(overlap[2] & 0x8000);
    if (ok1 && ok2) flags |= 0x0001;
    if (ok2 && ok3) flags |= 0x0002;
    if (ok1 && ok3) flags |= 0x0004;
    if (ok1 && ok2 && ok3) flags |= 0x0008;

    // Per axis: overlap negative, then pos1 above, equal to, below pos2.
    // Axis 3 sits in bits 4-7, axis 1 in bits 8-11, axis 2 in bits 12-15.
    static constexpr int AXIS_SHIFT[3] = {8, 12, 4};
    const bool ok[3] = {ok1, ok2, ok3};
    for (int k = 0; k < 3; ++k) {
        const u16 p1 = w[HIT_POS1 + k];
        const u16 p2 = w[HIT_POS2 + k];
        u16 bits = 0;
        if (!ok[k]) bits |= 1;
        if (p1 > p2) bits |= 2;
        if (p1 == p2) bits |= 4;
        if (p1 < p2) bits |= 8;
        flags = static_cast<u16>(flags | bits << AXIS_SHIFT[k]);
    }
    w[HIT_FLAGS] = flags;
}

}  // namespace

void hit_write(HitDevice* hit, u32 offset, u16 value) {
    if (offset < 0x100) {
        const s8 word = WRITE_WORD[(offset & 0xFC) >> 2];
        if (word >= 0) hit->words[word] = value;
    }
    hit_recompute(hit);
}

u32 hit_read(BoardState* b, u32 offset) {
    if (offset >= 0x100) return 0;
    const s8 word = READ_WORD[(offset & 0xFC) >> 2];
    if (word == RANDOM) {
        b->rng = b->rng * 1664525u + 1013904223u;
        return b->rng >> 16;
    }
    if (word < 0) return 0;
    return b->hit.words[word];
}
