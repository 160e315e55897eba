#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/fingerprint.h"
#include "board/romset.h"
#include "board/zip_io.h"
#include "tests/support/synthetic_romset.h"

namespace {

constexpr size_t MIRROR = 0x40000;

// A record with six ROM buffers of a simple pattern, without any archive.
class FingerprintTest : public ::testing::Test {
protected:
    void SetUp() override {
        fingerprint_cache_clear();
        b = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
        ASSERT_NE(b, nullptr);
        allocate(b);
    }
    void TearDown() override {
        board_free_roms(b);
        free(b);
    }
    static void allocate(BoardState* r) {
        r->bios_rom = filled(BIOS_ROM_SIZE, 1);
        r->program_rom = filled(PROGRAM_ROM_SIZE, 2);
        r->sprite_rom = filled(SPRITE_ROM_SIZE, 3);
        r->tile_rom_a = filled(TILE_ROM_SIZE, 4);
        r->tile_rom_b = filled(TILE_ROM_SIZE, 5);
        r->sample_rom = filled(SAMPLE_ROM_SIZE, 6);
    }
    static u8* filled(size_t n, int seed) {
        u8* p = static_cast<u8*>(malloc(n));
        for (size_t i = 0; i < n; i++)
            p[i] = static_cast<u8>(i * static_cast<size_t>(seed) + (i >> 12));
        return p;
    }
    // The CRC-32 of the covered areas laid end to end in one buffer.
    u32 concatenated_crc() const {
        const size_t total = BIOS_ROM_SIZE + PROGRAM_ROM_SIZE + SPRITE_ROM_SIZE + TILE_ROM_SIZE +
                             (TILE_ROM_SIZE - MIRROR) + SAMPLE_ROM_SIZE;
        std::vector<u8> all(total);
        size_t at = 0;
        auto add = [&](const u8* p, size_t n) {
            memcpy(all.data() + at, p, n);
            at += n;
        };
        add(b->bios_rom, BIOS_ROM_SIZE);
        add(b->program_rom, PROGRAM_ROM_SIZE);
        add(b->sprite_rom, SPRITE_ROM_SIZE);
        add(b->tile_rom_a, TILE_ROM_SIZE);
        add(b->tile_rom_b + MIRROR, TILE_ROM_SIZE - MIRROR);
        add(b->sample_rom, SAMPLE_ROM_SIZE);
        return zipio_crc32(0, all.data(), all.size());
    }
    // The CRC-32 of everything before the sample ROM, to steer the result.
    u32 crc_before_samples() const {
        u32 c = zipio_crc32(0, b->bios_rom, BIOS_ROM_SIZE);
        c = zipio_crc32(c, b->program_rom, PROGRAM_ROM_SIZE);
        c = zipio_crc32(c, b->sprite_rom, SPRITE_ROM_SIZE);
        c = zipio_crc32(c, b->tile_rom_a, TILE_ROM_SIZE);
        return zipio_crc32(c, b->tile_rom_b + MIRROR, TILE_ROM_SIZE - MIRROR);
    }
    u32 fresh() {
        fingerprint_cache_clear();
        return board_rom_fingerprint(b);
    }
    BoardState* b = nullptr;
};

TEST_F(FingerprintTest, CoversTheImagesInOrder) {
    u32 fp = board_rom_fingerprint(b);
    EXPECT_EQ(fp, concatenated_crc());
    // Swapping two equally sized images changes the result: order counts.
    std::swap(b->sprite_rom, b->tile_rom_a);
    EXPECT_NE(fresh(), fp);
}

TEST_F(FingerprintTest, EveryCoveredByteCounts) {
    u32 fp = fresh();
    struct Spot {
        u8* base;
        size_t offset;
    } spots[] = {
        {b->bios_rom, BIOS_ROM_SIZE - 1},     {b->program_rom, 0},
        {b->sprite_rom, SPRITE_ROM_SIZE / 2}, {b->tile_rom_a, TILE_ROM_SIZE - 1},
        {b->tile_rom_b, MIRROR},              {b->tile_rom_b, TILE_ROM_SIZE - 1},
        {b->sample_rom, 12345},
    };
    for (const Spot& s : spots) {
        s.base[s.offset] ^= 0x10;
        EXPECT_NE(fresh(), fp) << static_cast<const void*>(s.base) << "+" << s.offset;
        s.base[s.offset] ^= 0x10;
    }
    EXPECT_EQ(fresh(), fp);
}

TEST_F(FingerprintTest, CharacterRamMirrorIsLeftOut) {
    u32 fp = fresh();
    memset(b->tile_rom_b, 0xA5, MIRROR);
    EXPECT_EQ(fresh(), fp);
}

TEST_F(FingerprintTest, ZeroAndOneAreReportedAsOne) {
    for (u32 target : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        ASSERT_EQ(synth_force_crc(b->sample_rom, SAMPLE_ROM_SIZE, 100, target, crc_before_samples()), 1);
        ASSERT_EQ(concatenated_crc(), target);
        EXPECT_EQ(fresh(), target < 2 ? 1u : target) << target;
    }
}

TEST_F(FingerprintTest, NoRomsGiveZero) {
    BoardState* empty = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
    EXPECT_EQ(board_rom_fingerprint(empty), 0u);
    empty->program_rom = b->program_rom;  // partly loaded is not loaded
    EXPECT_EQ(board_rom_fingerprint(empty), 0u);
    free(empty);
    EXPECT_EQ(board_rom_fingerprint(nullptr), 0u);
}

TEST_F(FingerprintTest, CachedPerProgramBuffer) {
    u32 fp = fresh();
    // Same program buffer: the cached value is returned without reading.
    b->sample_rom[0] ^= 1;
    EXPECT_EQ(board_rom_fingerprint(b), fp);
    // A different program buffer is computed afresh.
    BoardState* other = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
    allocate(other);
    other->sample_rom[0] ^= 1;
    EXPECT_NE(board_rom_fingerprint(other), fp);
    board_free_roms(other);
    free(other);
}

TEST_F(FingerprintTest, FreeingRomsClearsTheCache) {
    u32 fp = fresh();
    b->sample_rom[0] ^= 1;
    ASSERT_EQ(board_rom_fingerprint(b), fp);
    // Freed buffers' addresses can come back holding another set, so any
    // freeing forgets the cached value, even of a record without ROMs.
    BoardState* empty = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
    board_free_roms(empty);
    free(empty);
    EXPECT_NE(board_rom_fingerprint(b), fp);
}

// Fingerprints of boards loaded from archives.
class LoadedFingerprintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        set = new SyntheticRomset;
        synth_init(set);
    }
    static void TearDownTestSuite() {
        delete set;
        set = nullptr;
    }
    void SetUp() override {
        dir = synth_temp_dir();
        a = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
        c = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
    }
    void TearDown() override {
        board_free_roms(a);
        board_free_roms(c);
        free(a);
        free(c);
    }
    std::string write(const char* name, const SynthWriteOptions& o) {
        std::string game = dir + "/" + name + ".zip";
        std::string bios = dir + "/" + name + "-bios.zip";
        EXPECT_EQ(synth_write(set, &o, game.c_str(), bios.c_str()), 1);
        return name;
    }
    int load(BoardState* r, const char* name, int region) {
        std::string game = dir + "/" + name + ".zip";
        std::string bios = dir + "/" + name + "-bios.zip";
        return board_load(r, game.c_str(), bios.c_str(), region);
    }
    static SyntheticRomset* set;
    std::string dir;
    BoardState* a = nullptr;
    BoardState* c = nullptr;
};
SyntheticRomset* LoadedFingerprintTest::set = nullptr;

TEST_F(LoadedFingerprintTest, SameFilesSameFingerprintOtherBiosDiffers) {
    SynthWriteOptions o{};
    o.extra.push_back({"voxae2.u10", std::vector<u8>(BIOS_FILE_SIZE, 0xE2), true});
    write("set", o);
    ASSERT_EQ(load(a, "set", 'U'), 1) << a->message;
    u32 fp = board_rom_fingerprint(a);
    ASSERT_EQ(load(c, "set", 'U'), 1) << c->message;
    EXPECT_EQ(board_rom_fingerprint(c), fp);
    EXPECT_NE(fp, 0u);
    ASSERT_EQ(load(c, "set", 'E'), 1) << c->message;
    EXPECT_NE(board_rom_fingerprint(c), fp);
}

TEST_F(LoadedFingerprintTest, LoadingClearsTheCache) {
    write("one", SynthWriteOptions{});
    ASSERT_EQ(load(a, "one", 'U'), 1) << a->message;
    u32 fp = board_rom_fingerprint(a);
    // Other contents under the same file CRCs. Every member's CRC is fixed,
    // so only the interleaved program ROM can tell the two sets apart.
    std::vector<u8> saved = set->data[0];
    set->data[0][0x1000] ^= 0xFF;
    set->crc_fixed[0] = false;
    write("two", SynthWriteOptions{});
    set->data[0] = saved;
    set->crc_fixed[0] = false;
    ASSERT_EQ(load(a, "two", 'U'), 1) << a->message;
    EXPECT_NE(board_rom_fingerprint(a), fp);
}

}  // namespace
