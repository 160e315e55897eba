#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/romset.h"
#include "board/zip_io.h"
#include "tests/support/synthetic_romset.h"

namespace {

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
        // A recognisable reset vector, so a load can be seen to reset.
        synth_set_reset_vectors(set, 0x04000200, 0x06001234);
        synth_fix_crcs(set);
    }
    static void TearDownTestSuite() {
        delete set;
        set = nullptr;
    }
    void SetUp() override {
        dir = synth_temp_dir();
        game = dir + "/talvex.zip";
        bios = dir + "/voxa.zip";
    }
    void write(const SynthWriteOptions& o) {
        ASSERT_EQ(synth_write(set, &o, game.c_str(), bios.c_str()), 1);
    }
    void write() { write(SynthWriteOptions{}); }
    // Runs the check; returns its message, or "OK" when it passed.
    std::string check(const char* g, const char* b) {
        char message[512];
        memset(message, '#', sizeof message);
        message[511] = '\0';
        if (romset_check(g, b, message, sizeof message)) {
            // A pass leaves the caller's buffer as it was.
            EXPECT_EQ(message[0], '#');
            return "OK";
        }
        return message;
    }
    std::string check() { return check(game.c_str(), bios.c_str()); }

    static SyntheticRomset* set;
    std::string dir, game, bios;
};
SyntheticRomset* RomsetTest::set = nullptr;

TEST_F(RomsetTest, AcceptsTheStandardSet) {
    write();
    EXPECT_EQ(check(), "OK");
}

TEST_F(RomsetTest, AcceptsFoldersAndAnyCase) {
    SynthWriteOptions o{};
    o.folder = "Talvex Set/roms/";
    o.upper_case = true;
    write(o);
    EXPECT_EQ(check(), "OK");
    o.folder = "x/";
    o.upper_case = false;
    o.bios_place = SYNTH_BIOS_IN_GAME;
    write(o);
    EXPECT_EQ(check(game.c_str(), nullptr), "OK");
}

TEST_F(RomsetTest, GameArchiveThatDoesNotOpen) {
    EXPECT_EQ(check(nullptr, bios.c_str()), "Cannot open the game archive \"\".");
    EXPECT_EQ(check("", bios.c_str()), "Cannot open the game archive \"\".");
    std::string absent = dir + "/absent.zip";
    EXPECT_EQ(check(absent.c_str(), bios.c_str()), "Cannot open the game archive \"" + absent + "\".");
    std::string text = dir + "/readme.zip";
    ASSERT_EQ(synth_write_file(text.c_str(), "hello", 5), 1);
    EXPECT_EQ(check(text.c_str(), bios.c_str()), "Cannot open the game archive \"" + text + "\".");
}

TEST_F(RomsetTest, RefusesTheJapaneseSet) {
    SynthWriteOptions o{};
    o.japanese = true;  // even with every US file present
    write(o);
    EXPECT_EQ(check(), JAPANESE);
    o.omit_mask = 0xFF;
    o.folder = "talvexj/";
    o.upper_case = true;
    write(o);
    EXPECT_EQ(check(), JAPANESE);
}

TEST_F(RomsetTest, NamesMissingAndWrongFilesInTableOrder) {
    SynthWriteOptions o{};
    o.omit_mask = (1u << 7) | (1u << 2);
    o.wrong_crc_mask = 1u << 5;
    write(o);
    EXPECT_EQ(check(),
              "Not the standard 'talvex' set. Missing: tx100-00.u24 tx300-00.u4 Wrong size/CRC: "
              "tx201-00.u13");
}

TEST_F(RomsetTest, OnlyWrongFilesHaveNoMissingPart) {
    SynthWriteOptions o{};
    o.wrong_size_mask = 1u << 1;
    o.wrong_crc_mask = 1u << 6;
    write(o);
    EXPECT_EQ(check(), "Not the standard 'talvex' set. Wrong size/CRC: tx-usa.u8 tx210-00.u18");
}

TEST_F(RomsetTest, OnlyMissingFilesHaveNoWrongPart) {
    SynthWriteOptions o{};
    o.omit_mask = 0xFF;
    write(o);
    EXPECT_EQ(check(),
              "Not the standard 'talvex' set. Missing: tx-usa.u10 tx-usa.u8 tx100-00.u24 "
              "tx101-00.u20 tx200-00.u16 tx201-00.u13 tx210-00.u18 tx300-00.u4");
}

TEST_F(RomsetTest, MatchesWholeBaseNamesAndTheFirstEntryDecides) {
    SynthWriteOptions o{};
    o.omit_mask = 1u << 0;
    // Names that only end or start like the file are not the file.
    o.extra.push_back({"old-tx-usa.u10", set->data[0], false});
    o.extra.push_back({"tx-usa.u10.bak", set->data[0], false});
    write(o);
    EXPECT_EQ(check(), "Not the standard 'talvex' set. Missing: tx-usa.u10");
    // A bad copy ahead of a good one decides.
    o.extra.push_back({"a/TX-usa.U10", std::vector<u8>(16, 0), false});
    o.extra.push_back({"tx-usa.u10", set->data[0], false});
    write(o);
    EXPECT_EQ(check(), "Not the standard 'talvex' set. Wrong size/CRC: tx-usa.u10");
}

TEST_F(RomsetTest, BiosFoundInEitherArchive) {
    SynthWriteOptions o{};
    o.bios_place = SYNTH_BIOS_IN_GAME;
    write(o);
    EXPECT_EQ(check(), "OK");  // the BIOS archive exists but is empty
    EXPECT_EQ(check(game.c_str(), nullptr), "OK");
    EXPECT_EQ(check(game.c_str(), ""), "OK");
    EXPECT_EQ(check(game.c_str(), (dir + "/absent.zip").c_str()), "OK");
    o.bios_place = SYNTH_BIOS_OWN_ARCHIVE;
    write(o);
    EXPECT_EQ(check(), "OK");
    o.bios_place = SYNTH_BIOS_BOTH;
    o.bios_in_game_wrong = true;  // never looked at: the BIOS archive decides
    write(o);
    EXPECT_EQ(check(), "OK");
}

TEST_F(RomsetTest, WrongBiosIsRefusedWhereverItIs) {
    SynthWriteOptions o{};
    o.bios_place = SYNTH_BIOS_BOTH;
    o.bios_wrong = true;  // a good copy in the game archive does not help
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
    o.bios_place = SYNTH_BIOS_IN_GAME;
    o.bios_wrong = false;
    o.bios_in_game_wrong = true;
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
    EXPECT_EQ(check(game.c_str(), nullptr), BIOS_WRONG);
    // Right CRC table entry, wrong size.
    o = SynthWriteOptions{};
    o.bios_place = SYNTH_BIOS_NOWHERE;
    o.extra.push_back({"bios/VoxaU1.u10", std::vector<u8>(BIOS_FILE_SIZE - 1, 0), true});
    write(o);
    EXPECT_EQ(check(), BIOS_WRONG);
}

TEST_F(RomsetTest, MissingBiosNamesTheUsFile) {
    SynthWriteOptions o{};
    o.bios_place = SYNTH_BIOS_NOWHERE;
    // Other regions' files do not count for the check.
    o.extra.push_back({"voxaj1.u10", std::vector<u8>(BIOS_FILE_SIZE, 0), true});
    write(o);
    EXPECT_EQ(check(), BIOS_NOT_FOUND);
    EXPECT_EQ(check(game.c_str(), nullptr), BIOS_NOT_FOUND);
    EXPECT_EQ(check(game.c_str(), game.c_str()), BIOS_NOT_FOUND);
}

TEST_F(RomsetTest, MessageGoesOnlyIntoAUsableBuffer) {
    std::string absent = dir + "/absent.zip";
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, nullptr, 100), 0);
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, nullptr, 0), 0);
    char buf[16];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, buf, 0), 0);
    EXPECT_EQ(buf[0], '#');
    // A short buffer gets the sentence cut, and nothing past its end.
    EXPECT_EQ(romset_check(absent.c_str(), nullptr, buf, 10), 0);
    EXPECT_STREQ(buf, "Cannot op");
    EXPECT_EQ(buf[10], '#');
}

// Loading ---------------------------------------------------------------

class BoardLoadTest : public RomsetTest {
protected:
    void SetUp() override {
        RomsetTest::SetUp();
        b = static_cast<BoardState*>(calloc(1, sizeof(BoardState)));
        ASSERT_NE(b, nullptr);
    }
    void TearDown() override {
        board_free_roms(b);
        free(b);
    }
    void expect_no_roms() {
        EXPECT_EQ(b->bios_rom, nullptr);
        EXPECT_EQ(b->program_rom, nullptr);
        EXPECT_EQ(b->sprite_rom, nullptr);
        EXPECT_EQ(b->tile_rom_a, nullptr);
        EXPECT_EQ(b->tile_rom_b, nullptr);
        EXPECT_EQ(b->sample_rom, nullptr);
    }
    static bool same(const u8* p, const std::vector<u8>& v) { return memcmp(p, v.data(), v.size()) == 0; }
    static bool zero(const u8* p, size_t n) {
        for (size_t i = 0; i < n; i++)
            if (p[i])
                return false;
        return true;
    }
    BoardState* b = nullptr;
};

TEST_F(BoardLoadTest, PlacesEveryImage) {
    write();
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 1) << b->message;
    EXPECT_EQ(b->region, 'U');
    EXPECT_EQ(b->message[0], '\0');
    // The two program chips are byte-interleaved, even chip first.
    const std::vector<u8>& even = set->data[0];
    const std::vector<u8>& odd = set->data[1];
    bool interleaved = true;
    for (size_t n = 0; n < even.size(); n++)
        interleaved = interleaved && b->program_rom[2 * n] == even[n] && b->program_rom[2 * n + 1] == odd[n];
    EXPECT_TRUE(interleaved);
    EXPECT_TRUE(same(b->sprite_rom, set->data[2]));
    EXPECT_TRUE(same(b->sprite_rom + 0x400000, set->data[3]));
    EXPECT_TRUE(same(b->tile_rom_a, set->data[4]));
    EXPECT_TRUE(same(b->tile_rom_a + 0x400000, set->data[5]));
    // Tilemap B's chip sits above the character RAM mirror area.
    EXPECT_TRUE(zero(b->tile_rom_b, 0x400000));
    EXPECT_TRUE(same(b->tile_rom_b + 0x400000, set->data[6]));
    EXPECT_TRUE(same(b->sample_rom, set->data[7]));
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
    bool nvram_ff = true;
    for (u8 v : b->nvram)
        nvram_ff = nvram_ff && v == 0xFF;
    EXPECT_TRUE(nvram_ff);
    // The load ends with a reset, which takes PC and SP from the BIOS.
    EXPECT_EQ(b->cpu.pc, 0x04000200u);
    EXPECT_EQ(b->cpu.r[15], 0x06001234u);
    EXPECT_EQ(board_current(), b);
}

TEST_F(BoardLoadTest, LoadsFromFoldersAndDeflatedMembers) {
    SynthWriteOptions o{};
    o.folder = "dump/";
    o.upper_case = true;
    o.deflate = true;
    o.bios_place = SYNTH_BIOS_IN_GAME;
    write(o);
    ASSERT_EQ(board_load(b, game.c_str(), nullptr, 'U'), 1) << b->message;
    EXPECT_TRUE(same(b->sample_rom, set->data[7]));
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
    EXPECT_EQ(b->program_rom[0x1FFFFF], set->data[1][0xFFFFF]);
}

TEST_F(BoardLoadTest, RefusalLeavesTheSentenceAndNoBuffers) {
    SynthWriteOptions o{};
    o.omit_mask = 1u << 4;
    write(o);
    // Buffers of an earlier load are released, not leaked.
    write();
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 1) << b->message;
    write(o);
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_STREQ(b->message, "Not the standard 'talvex' set. Missing: tx200-00.u16");
    expect_no_roms();
}

TEST_F(BoardLoadTest, LoadingAgainReplacesTheRecord) {
    write();
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 1);
    b->nvram[5] = 0x12;
    b->work_ram[7] = 0x34;
    b->dip = 0x5A;
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 0), 1) << b->message;
    EXPECT_EQ(b->region, 'U');  // 0 means the US board
    EXPECT_EQ(b->nvram[5], 0xFF);
    EXPECT_EQ(b->work_ram[7], 0);
    EXPECT_EQ(b->dip, 0xFF);
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
}

TEST_F(BoardLoadTest, UnreadableMemberIsAFailureNamingIt) {
    write();
    std::vector<u8> image;
    ASSERT_EQ(synth_read_file(game.c_str(), &image), 1);
    long data = synth_zip_data_offset(image, "tx101-00.u20");
    ASSERT_GT(data, 0);
    image[static_cast<size_t>(data) + 1000] ^= 1;  // the directory still has the right CRC
    ASSERT_EQ(synth_write_file(game.c_str(), image.data(), image.size()), 1);
    EXPECT_EQ(check(), "OK");
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_EQ(std::string(b->message), "Cannot read tx101-00.u20 from the archive \"" + game + "\".");
    expect_no_roms();
}

TEST_F(BoardLoadTest, UnreadableBiosIsAFailureNamingIt) {
    write();
    std::vector<u8> image;
    ASSERT_EQ(synth_read_file(bios.c_str(), &image), 1);
    long data = synth_zip_data_offset(image, "voxau1.u10");
    ASSERT_GT(data, 0);
    image[static_cast<size_t>(data) + 77] ^= 0x80;
    ASSERT_EQ(synth_write_file(bios.c_str(), image.data(), image.size()), 1);
    EXPECT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 0);
    EXPECT_EQ(std::string(b->message), "Cannot read voxau1.u10 from the archive \"" + bios + "\".");
    expect_no_roms();
}

TEST_F(BoardLoadTest, TheRegionChoosesTheBiosFile) {
    std::vector<u8> japan(BIOS_FILE_SIZE, 0x4A);
    SynthWriteOptions o{};
    o.extra.push_back({"VOXAJ1.U10", japan, true});
    write(o);
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'J'), 1) << b->message;
    EXPECT_EQ(b->region, 'J');
    EXPECT_TRUE(same(b->bios_rom, japan));
    // A letter without a row of its own takes the US file.
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'Z'), 1) << b->message;
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
    // A region file found nowhere leaves the BIOS area empty but still loads.
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'K'), 1) << b->message;
    EXPECT_TRUE(zero(b->bios_rom, BIOS_FILE_SIZE));
}

TEST_F(BoardLoadTest, BiosArchiveCopyWinsOverTheGameArchive) {
    SynthWriteOptions o{};
    std::vector<u8> other(BIOS_FILE_SIZE, 0x77);
    o.extra.push_back({"voxau1.u10", other, false});  // into the game archive
    write(o);
    ASSERT_EQ(board_load(b, game.c_str(), bios.c_str(), 'U'), 1) << b->message;
    EXPECT_TRUE(same(b->bios_rom, set->data[SYNTH_BIOS]));
}

TEST(ZipExtractByBasename, FindsTheFirstMatchIgnoringCaseAndFolders) {
    std::string dir = synth_temp_dir();
    std::string path = dir + "/x.zip";
    const u8 one[3] = {1, 1, 1}, two[5] = {2, 2, 2, 2, 2};
    SynthZipEntry entries[] = {
        {"a/b/Data.BIN", one, sizeof one},
        {"data.bin", two, sizeof two},
        {"data.bin.old", two, sizeof two},
    };
    ASSERT_EQ(synth_write_zip(path.c_str(), entries, 3, false), 1);
    ZipReader* zip = zipio_open(path.c_str());
    ASSERT_NE(zip, nullptr);
    size_t size = 0;
    u8* d = zip_extract_by_basename(zip, "DATA.bin", &size);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(d[0], 1);
    free(d);
    size = 9;
    EXPECT_EQ(zip_extract_by_basename(zip, "ata.bin", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(zip_extract_by_basename(zip, nullptr, &size), nullptr);
    EXPECT_EQ(zip_extract_by_basename(nullptr, "data.bin", &size), nullptr);
    zipio_close(zip);
}

}  // namespace
