// The ROM set check with every message it gives, and loading a set.
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "board/romset.h"
#include "board_fixture.h"
#include "tests/support/synthetic_romset.h"

namespace {

const char* const NOT_STANDARD = "Not the standard 'talvex' set.";
const char* const BIOS_WRONG = "voxau1.u10 in the BIOS archive has the wrong size or CRC.";
const char* const BIOS_NOT_FOUND =
    "The Voxa Arcade System BIOS (the standard 'voxa' set, file voxau1.u10) was not found. Put "
    "voxa.zip next to talvex.zip or select it.";
const char* const JAPANESE =
    "This is the Japanese set (talvexj). This build is translated from the US set 'talvex' "
    "(tx-usa.u10/u8).";

class RomsetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        set = new SyntheticRomset;
        synth_init(set);
        synth_set_reset_vectors(set, 0x04000200, 0x06001234);  // so a load can be seen to reset
        synth_fix_crcs(set);
    }
    static void TearDownTestSuite() { delete set; }
    void write(const SynthWriteOptions& o = SynthWriteOptions{}) {
        ASSERT_EQ(synth_write(set, &o, game.c_str(), bios.c_str()), 1);
    }
    // Runs the check; returns its message, or "OK" when it passed.
    std::string check(const char* g, const char* b) {
        char message[512];
        memset(message, '#', sizeof message);
        message[511] = '\0';
        if (!romset_check(g, b, message, sizeof message)) return message;
        EXPECT_EQ(message[0], '#') << "a pass leaves the caller's buffer as it was";
        return "OK";
    }
    std::string check() { return check(game.c_str(), bios.c_str()); }
    // Damages a member's data but not its directory entry: only extraction can fail.
    void damage_member(const std::string& zip, const char* member) {
        std::vector<u8> image;
        ASSERT_EQ(synth_read_file(zip.c_str(), &image), 1);
        long data = synth_zip_data_offset(image, member);
        ASSERT_GT(data, 0);
        image[static_cast<size_t>(data) + 1000] ^= 1;
        ASSERT_EQ(synth_write_file(zip.c_str(), image.data(), image.size()), 1);
    }
    static inline SyntheticRomset* set = nullptr;
    std::string dir = synth_temp_dir(), game = dir + "/talvex.zip", bios = dir + "/voxa.zip";
};

TEST_F(RomsetTest, GameArchiveThatDoesNotOpenAndTheMessageBuffer) {
    EXPECT_EQ(check(nullptr, bios.c_str()), "Cannot open the game archive \"\".");
    EXPECT_EQ(check("", bios.c_str()), "Cannot open the game archive \"\".");
    const std::string absent = dir + "/absent.zip", text = dir + "/readme.zip";
    ASSERT_EQ(synth_write_file(text.c_str(), "hello", 5), 1);
    for (const std::string& g : {absent, text})
        EXPECT_EQ(check(g.c_str(), bios.c_str()), "Cannot open the game archive \"" + g + "\".");
    // The message goes only into a usable buffer; a short one gets it cut.
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, nullptr, 100), 0);
    char buf[16];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, buf, 0), 0);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, buf, 10), 0);
    EXPECT_STREQ(buf, "Cannot op");
    EXPECT_EQ(buf[10], '#');
}

TEST_F(RomsetTest, RefusesTheJapaneseSetAndNamesMissingAndWrongFilesInTableOrder) {
    const std::string missing_all =
        std::string(NOT_STANDARD) +
        " Missing: tx-usa.u10 tx-usa.u8 tx100-00.u24 tx101-00.u20 tx200-00.u16 tx201-00.u13 tx210-00.u18 tx300-00.u4";
    const struct {
        unsigned omit, wrong_size, wrong_crc;
        bool japanese;
        std::string expected;
    } cases[] = {
        {0, 0, 0, true, JAPANESE},  // even with every US file present
        {0xFF, 0, 0, true, JAPANESE},
        {(1u << 7) | (1u << 2), 0, 1u << 5, false,
         std::string(NOT_STANDARD) + " Missing: tx100-00.u24 tx300-00.u4 Wrong size/CRC: tx201-00.u13"},
        {0, 1u << 1, 1u << 6, false, std::string(NOT_STANDARD) + " Wrong size/CRC: tx-usa.u8 tx210-00.u18"},
        {0xFF, 0, 0, false, missing_all},
    };
    for (const auto& c : cases) {
        SynthWriteOptions o{};
        o.omit_mask = c.omit;
        o.wrong_size_mask = c.wrong_size;
        o.wrong_crc_mask = c.wrong_crc;
        o.japanese = c.japanese;
        write(o);
        EXPECT_EQ(check(), c.expected);
    }
    write();  // the damaged copies must not leak into the set itself
    EXPECT_EQ(check(), "OK");
}

TEST_F(RomsetTest, MatchesWholeBaseNamesAndTheFirstEntryDecides) {
    SynthWriteOptions o{};
    o.omit_mask = 1u << 0;
    // Names that only end or start like the file are not the file.
    o.extra.push_back({"old-tx-usa.u10", set->data[0], false});
    o.extra.push_back({"tx-usa.u10.bak", set->data[0], false});
    write(o);
    EXPECT_EQ(check(), std::string(NOT_STANDARD) + " Missing: tx-usa.u10");
    o.extra.push_back({"a/TX-usa.U10", std::vector<u8>(16, 0), false});  // a bad copy ahead of a good one
    o.extra.push_back({"tx-usa.u10", set->data[0], false});
    write(o);
    EXPECT_EQ(check(), std::string(NOT_STANDARD) + " Wrong size/CRC: tx-usa.u10");
}

TEST_F(RomsetTest, BiosInEitherArchiveTheBiosArchiveDecidesAndWrongOrMissingIsRefused) {
    write();
    EXPECT_EQ(check(), "OK");
    SynthWriteOptions o{};
    o.folder = "Talvex Set/roms/";  // folders and any case are fine
    o.upper_case = true;
    o.bios_place = SYNTH_BIOS_IN_GAME;
    write(o);
    EXPECT_EQ(check(), "OK");  // the BIOS archive exists but is empty
    EXPECT_EQ(check(game.c_str(), nullptr), "OK");
    EXPECT_EQ(check(game.c_str(), ""), "OK");
    EXPECT_EQ(check(game.c_str(), (dir + "/absent.zip").c_str()), "OK");
    o.bios_place = SYNTH_BIOS_BOTH;
    o.bios_in_game_wrong = true;  // never looked at
    write(o);
    EXPECT_EQ(check(), "OK");
    o.bios_in_game_wrong = false;
    o.bios_wrong = true;  // a good copy in the game archive does not help
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
    o = SynthWriteOptions{};  // wrong or missing wherever it is
    o.bios_place = SYNTH_BIOS_IN_GAME;
    o.bios_in_game_wrong = true;
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
    EXPECT_EQ(check(game.c_str(), nullptr), BIOS_WRONG);
    o = SynthWriteOptions{};  // right name, wrong size
    o.bios_place = SYNTH_BIOS_NOWHERE;
    o.extra.push_back({"bios/VoxaU1.u10", std::vector<u8>(BIOS_FILE_SIZE - 1, 0), true});
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
    o.extra.clear();  // other regions' files do not count for the check
    o.extra.push_back({"voxaj1.u10", std::vector<u8>(BIOS_FILE_SIZE, 0), true});
    write(o);
    EXPECT_EQ(check(), BIOS_NOT_FOUND);
    EXPECT_EQ(check(game.c_str(), nullptr), BIOS_NOT_FOUND);
    EXPECT_EQ(check(game.c_str(), game.c_str()), BIOS_NOT_FOUND);
}

// Loading into a record that still holds ROM buffers, which must be freed.
class BoardLoadTest : public RomsetTest {
protected:
    void expect_no_roms() {
        const u8* roms[] = {b->bios_rom, b->program_rom, b->sprite_rom, b->tile_rom_a, b->tile_rom_b, b->sample_rom};
        for (const u8* r : roms) EXPECT_EQ(r, nullptr);
    }
    static bool same(const u8* p, const std::vector<u8>& v) { return memcmp(p, v.data(), v.size()) == 0; }
    TestBoard t;
    BoardState* b = t.b;
};

TEST_F(BoardLoadTest, PlacesEveryImageAndResets) {
    SynthWriteOptions o{};
    o.folder = "dump/";
    o.upper_case = true;
    o.deflate = true;
    o.bios_place = SYNTH_BIOS_IN_GAME;
    write(o);
    ASSERT_EQ(board_load(b, game.c_str(), nullptr, 'U'), 1) << b->message;
    EXPECT_EQ(b->region, 'U');
    EXPECT_EQ(b->message[0], '\0');
    // The two program chips are byte-interleaved, even chip first.
    bool interleaved = true;
    for (size_t n = 0; n < set->data[0].size(); n++)
        interleaved =
            interleaved && b->program_rom[2 * n] == set->data[0][n] && b->program_rom[2 * n + 1] == set->data[1][n];
    EXPECT_TRUE(interleaved);
    const std::pair<const u8*, int> images[] = {
        {b->sprite_rom, 2}, {b->sprite_rom + 0x400000, 3}, {b->tile_rom_a, 4},       {b->tile_rom_a + 0x400000, 5},
        {b->sample_rom, 7}, {b->tile_rom_b + 0x400000, 6}, {b->bios_rom, SYNTH_BIOS}};
    for (auto [p, i] : images) EXPECT_TRUE(same(p, set->data[i])) << "member " << i;
    // Tilemap B's chip sits above the character RAM mirror area.
    EXPECT_TRUE(same(b->tile_rom_b, std::vector<u8>(0x400000, 0)));
    EXPECT_TRUE(same(b->nvram, std::vector<u8>(sizeof b->nvram, 0xFF)));
    // The load ends with a reset, which takes PC and SP from the BIOS.
    EXPECT_EQ(std::make_pair(b->cpu.pc, b->cpu.r[15]), std::make_pair(0x04000200u, 0x06001234u));
    EXPECT_EQ(board_current(), b);
    // Loading again replaces the whole record; region 0 means the US board.
    b->nvram[5] = 0x12;
    b->work_ram[7] = 0x34;
    b->dip = 0x5A;
    ASSERT_EQ(board_load(b, game.c_str(), nullptr, 0), 1) << b->message;
    EXPECT_EQ(b->region, 'U');
    EXPECT_EQ(b->nvram[5], 0xFF);
    EXPECT_EQ(b->work_ram[7], 0);
    EXPECT_EQ(b->dip, 0xFF);
}

TEST_F(BoardLoadTest, FailuresLeaveTheSentenceAndNoBuffers) {
    SynthWriteOptions o{};
    o.omit_mask = 1u << 4;
    write(o);
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_STREQ(b->message, "Not the standard 'talvex' set. Missing: tx200-00.u16");
    expect_no_roms();
    // A member that passes the check but cannot be extracted is a failure naming it.
    write();
    damage_member(game, "tx101-00.u20");
    EXPECT_EQ(check(), "OK");
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_EQ(std::string(b->message), "Cannot read tx101-00.u20 from the archive \"" + game + "\".");
    expect_no_roms();
    write();
    damage_member(bios, "voxau1.u10");
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_EQ(std::string(b->message), "Cannot read voxau1.u10 from the archive \"" + bios + "\".");
    expect_no_roms();
}

TEST_F(BoardLoadTest, TheRegionChoosesTheBiosFileAndTheBiosArchiveWins) {
    std::vector<u8> japan(BIOS_FILE_SIZE, 0x4A);
    SynthWriteOptions o{};
    o.extra.push_back({"VOXAJ1.U10", japan, true});
    o.extra.push_back({"voxau1.u10", std::vector<u8>(BIOS_FILE_SIZE, 0x77), false});  // game archive copy
    write(o);
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'J'), 1) << b->message;
    EXPECT_EQ(b->region, 'J');
    EXPECT_TRUE(same(b->bios_rom, japan));
    // A letter without a row of its own takes the US file, from the BIOS archive.
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'Z'), 1) << b->message;
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
    // A region file found nowhere leaves the BIOS area empty but still loads.
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'K'), 1) << b->message;
    EXPECT_TRUE(same(b->bios_rom, std::vector<u8>(BIOS_FILE_SIZE, 0)));
}

}  // namespace

namespace {

#if !defined(__SANITIZE_ADDRESS__)
// The address space this process maps now, in bytes.
size_t address_space_in_use() {
    unsigned long pages = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// Loads the set with room for the ROM images and `spare` bytes more, prints
// the sentence and exits 0 when the load failed with "out of memory".
[[noreturn]] void load_in_limited_memory(const std::string& game, const std::string& bios, size_t spare) {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    // Every large block is mapped afresh, so the limit decides.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    malloc_trim(0);
    constexpr size_t ROM_BYTES =
        BIOS_ROM_SIZE + PROGRAM_ROM_SIZE + SPRITE_ROM_SIZE + 2 * TILE_ROM_SIZE + SAMPLE_ROM_SIZE;
    const rlim_t limit = address_space_in_use() + ROM_BYTES + spare;
    const struct rlimit r = {limit, limit};
    if (!b || setrlimit(RLIMIT_AS, &r) != 0) std::exit(2);
    const int loaded = board_load(b, game.c_str(), bios.c_str(), 'U');
    std::fprintf(stderr, "%s", b->message);
    std::exit(!loaded && std::string(b->message) == "out of memory" && !b->program_rom ? 0 : 1);
}

#endif

}  // namespace

// Memory runs out after the ROM images are allocated, while the second
// program chip is extracted (room is left for one 1 MiB chip): the sentence
// says so rather than blaming the archive. The address space is limited in
// a child process; the address sanitizer's allocator does not return null,
// so it cannot take part.
TEST_F(RomsetTest, RunningOutOfMemoryWhileExtractingSaysOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs an allocator that returns null";
#else
    write();
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(load_in_limited_memory(game, bios, 1536 * 1024), ::testing::ExitedWithCode(0), "^out of memory$");
#endif
}
