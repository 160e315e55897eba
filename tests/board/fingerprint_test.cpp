// The ROM fingerprint: what it covers, its reserved values and its cache.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "board/fingerprint.h"
#include "board/romset.h"
#include "board_fixture.h"
#include "tests/support/synthetic_romset.h"

namespace {

constexpr u32 MIRROR = 0x40000;

u32 crc(u32 start, const u8* p, size_t n) { return static_cast<u32>(crc32(start, p, static_cast<uInt>(n))); }

// A board whose six images hold distinct patterns.
class FingerprintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(b, nullptr);
        fingerprint_cache_clear();
        int seed = 1;
        for (auto [p, n] : images()) {
            for (size_t i = 0; i < n; i++) p[i] = static_cast<u8>(i * static_cast<size_t>(seed) + (i >> 12));
            ++seed;
        }
    }
    std::vector<std::pair<u8*, size_t>> images() const {
        return {{b->bios_rom, BIOS_ROM_SIZE},   {b->program_rom, PROGRAM_ROM_SIZE}, {b->sprite_rom, SPRITE_ROM_SIZE},
                {b->tile_rom_a, TILE_ROM_SIZE}, {b->tile_rom_b, TILE_ROM_SIZE},     {b->sample_rom, SAMPLE_ROM_SIZE}};
    }
    // zlib's CRC-32 of the covered areas in order, stopping before the samples if asked.
    u32 expected(bool with_samples = true) const {
        u32 c = 0;
        for (auto [p, n] : images()) {
            if (p == b->sample_rom && !with_samples) break;
            c = p == b->tile_rom_b ? crc(c, p + MIRROR, n - MIRROR) : crc(c, p, n);
        }
        return c;
    }
    u32 fresh() {
        fingerprint_cache_clear();
        return board_rom_fingerprint(b);
    }
    TestBoard t;
    BoardState* b = t.b;
};

TEST_F(FingerprintTest, CoversEveryImageInOrderButTheMirrorAndReservesZero) {
    const u32 fp = board_rom_fingerprint(b);
    EXPECT_EQ(fp, expected());
    for (auto [p, at] : {std::pair<u8*, u32>{b->bios_rom, BIOS_ROM_SIZE - 1},
                         {b->program_rom, 0},
                         {b->sprite_rom, SPRITE_ROM_SIZE / 2},
                         {b->tile_rom_a, TILE_ROM_SIZE - 1},
                         {b->tile_rom_b, MIRROR},
                         {b->tile_rom_b, TILE_ROM_SIZE - 1},
                         {b->sample_rom, 12345}}) {
        p[at] ^= 0x10;
        EXPECT_NE(fresh(), fp) << static_cast<const void*>(p) << "+" << at;
        p[at] ^= 0x10;
    }
    memset(b->tile_rom_b, 0xA5, MIRROR);
    EXPECT_EQ(fresh(), fp);
    std::swap(b->sprite_rom, b->tile_rom_a);  // equally sized: only the order differs
    EXPECT_NE(fresh(), fp);
    std::swap(b->sprite_rom, b->tile_rom_a);
    // A computed 0 or 1 is reported as 1; no (or only some) ROMs give 0.
    for (u32 target : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        ASSERT_EQ(synth_force_crc(b->sample_rom, SAMPLE_ROM_SIZE, 100, target, expected(false)), 1);
        ASSERT_EQ(expected(), target);
        EXPECT_EQ(fresh(), target < 2 ? 1u : target) << target;
    }
    u8* const sample = b->sample_rom;
    b->sample_rom = nullptr;  // partly loaded is not loaded
    EXPECT_EQ(fresh(), 0u);
    b->sample_rom = sample;
    EXPECT_EQ(board_rom_fingerprint(nullptr), 0u);
}

TEST_F(FingerprintTest, CachedPerProgramBufferAndForgottenWhenAnyRomsAreFreed) {
    const u32 fp = fresh();
    b->sample_rom[0] ^= 1;
    EXPECT_EQ(board_rom_fingerprint(b), fp) << "same program buffer: the cached value";
    TestBoard other;  // zero-filled images, another program buffer
    ASSERT_NE(other.b, nullptr);
    EXPECT_NE(board_rom_fingerprint(other.b), fp);
    EXPECT_NE(board_rom_fingerprint(b), fp) << "recomputed after another buffer was asked for";
    const u32 changed = board_rom_fingerprint(b);
    b->sample_rom[0] ^= 1;
    ASSERT_EQ(board_rom_fingerprint(b), changed);
    // Freed addresses can return holding another set: any freeing forgets the value.
    BoardState* empty = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
    board_free_roms(empty);
    free(empty);
    EXPECT_EQ(board_rom_fingerprint(b), fp);
}

TEST(LoadedFingerprint, LoadingAnotherSetUnderTheSameFileCrcsForgetsTheCachedValue) {
    SyntheticRomset storage, *set = &storage;
    synth_init(set);
    const std::string dir = synth_temp_dir();
    ASSERT_EQ(synth_write(set, nullptr, (dir + "/1.zip").c_str(), (dir + "/b.zip").c_str()), 1);
    set->data[0][0x1000] ^= 0xFF;  // only the interleaved program ROM tells the sets apart
    set->crc_fixed[0] = false;
    ASSERT_EQ(synth_write(set, nullptr, (dir + "/2.zip").c_str(), nullptr), 1);
    TestBoard a;
    ASSERT_NE(a.b, nullptr);
    ASSERT_EQ(board_load(a.b, (dir + "/1.zip").c_str(), (dir + "/b.zip").c_str(), 'U'), 1) << a->message;
    const u32 fp = board_rom_fingerprint(a.b);
    ASSERT_EQ(board_load(a.b, (dir + "/2.zip").c_str(), (dir + "/b.zip").c_str(), 'U'), 1) << a->message;
    EXPECT_NE(board_rom_fingerprint(a.b), fp);
}

}  // namespace
