#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board/romset.h"
#include "board/zip_io.h"
#include "tests/support/synthetic_romset.h"

namespace {

// An independent CRC-32 (zlib's own) to judge the forcing helper by.
u32 zlib_crc(u32 start, const u8* p, size_t n) {
    return static_cast<u32>(crc32(start, p, static_cast<uInt>(n)));
}

TEST(ForceCrc, HitsTheTargetAtAnyOffset) {
    const u32 targets[] = {0, 1, 0xFFFFFFFFu, 0x1023DDCAu, 0x80000000u};
    for (size_t len : {size_t(4), size_t(5), size_t(64), size_t(70001)}) {
        std::vector<u8> base(len);
        for (size_t i = 0; i < len; i++)
            base[i] = static_cast<u8>(i * 31 + 7);
        for (size_t offset : {size_t(0), (len - 4) / 2, len - 4}) {
            for (u32 target : targets) {
                std::vector<u8> d = base;
                ASSERT_EQ(synth_force_crc(d.data(), len, offset, target), 1);
                EXPECT_EQ(zlib_crc(0, d.data(), len), target) << len << " @" << offset;
                // Only the four chosen bytes may change.
                for (size_t i = 0; i < len; i++) {
                    if (i < offset || i >= offset + 4) {
                        ASSERT_EQ(d[i], base[i]) << i;
                    }
                }
            }
        }
    }
}

TEST(ForceCrc, ContinuesFromAStartingCrc) {
    std::vector<u8> head(1000, 0x5A), tail(500, 0xA5);
    u32 start = zlib_crc(0, head.data(), head.size());
    ASSERT_EQ(synth_force_crc(tail.data(), tail.size(), 100, 0xDEADBEEFu, start), 1);
    EXPECT_EQ(zlib_crc(start, tail.data(), tail.size()), 0xDEADBEEFu);
}

TEST(ForceCrc, RefusesAWindowPastTheEnd) {
    std::vector<u8> d(10, 0);
    EXPECT_EQ(synth_force_crc(d.data(), 10, 7, 0), 0);
    EXPECT_EQ(synth_force_crc(d.data(), 3, 0, 0), 0);
    EXPECT_EQ(d, std::vector<u8>(10, 0));
}

class SyntheticSetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        set = new SyntheticRomset;
        synth_init(set);
    }
    static void TearDownTestSuite() {
        delete set;
        set = nullptr;
    }
    static SyntheticRomset* set;
};
SyntheticRomset* SyntheticSetTest::set = nullptr;

TEST_F(SyntheticSetTest, WrittenMembersMatchTheTables) {
    std::string dir = synth_temp_dir();
    std::string game = dir + "/talvex.zip", bios = dir + "/voxa.zip";
    ASSERT_EQ(synth_write(set, nullptr, game.c_str(), bios.c_str()), 1);
    ZipReader* zip = zipio_open(game.c_str());
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(zipio_member_count(zip), ROM_FILE_COUNT);
    for (int i = 0; i < ROM_FILE_COUNT; i++) {
        ZipMemberInfo info;
        ASSERT_EQ(zipio_member_stat(zip, i, &info), 1);
        EXPECT_STREQ(info.name, ROM_FILE_SPECS[i].file);
        EXPECT_EQ(info.size, ROM_FILE_SPECS[i].size);
        EXPECT_EQ(info.crc32, ROM_FILE_SPECS[i].crc32) << info.name;
        // The directory must tell the truth about the data, too.
        EXPECT_EQ(zlib_crc(0, set->data[i].data(), set->data[i].size()), ROM_FILE_SPECS[i].crc32);
    }
    zipio_close(zip);
    zip = zipio_open(bios.c_str());
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(zipio_member_count(zip), 1);
    size_t size;
    u8* data = zipio_extract(zip, 0, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, BIOS_FILE_SIZE);
    EXPECT_EQ(zlib_crc(0, data, size), 0x384D21ECu);
    free(data);
    zipio_close(zip);
}

TEST_F(SyntheticSetTest, PlacesBytesByTheAddressMap) {
    const u8 code[6] = {0xE0, 0x01, 0xE1, 0x02, 0xAF, 0xFE};
    ASSERT_EQ(synth_place(set, 0x04000100, code, sizeof code), 1);
    // Even addresses come from "tx-usa.u10", odd ones from "tx-usa.u8".
    EXPECT_EQ(set->data[0][0x80], 0xE0);
    EXPECT_EQ(set->data[1][0x80], 0x01);
    EXPECT_EQ(set->data[0][0x82], 0xAF);
    EXPECT_EQ(set->data[1][0x82], 0xFE);
    EXPECT_EQ(synth_peek32(set, 0x04000100), 0xE001E102u);
    EXPECT_FALSE(set->crc_fixed[0]);

    ASSERT_EQ(synth_place(set, 0x00000400, code, 4), 1);
    EXPECT_EQ(synth_peek32(set, 0x00000400), 0xE001E102u);
    synth_set_reset_vectors(set, 0x04000100, 0x06000FF0);
    EXPECT_EQ(synth_peek32(set, 0), 0x04000100u);
    EXPECT_EQ(synth_peek32(set, 4), 0x06000FF0u);

    // Ranges that leave the BIOS or the program ROM are refused whole.
    u8 before = set->data[SYNTH_BIOS][0x7FFFE];
    EXPECT_EQ(synth_place(set, 0x0007FFFE, code, 4), 0);
    EXPECT_EQ(set->data[SYNTH_BIOS][0x7FFFE], before);
    EXPECT_EQ(synth_place(set, 0x041FFFFE, code, 4), 0);
    EXPECT_EQ(synth_place(set, 0x06000000, code, 1), 0);
    EXPECT_EQ(synth_place(set, 0xFFFFFFFE, code, 4), 0);
    EXPECT_EQ(synth_place_file(set, 0x400, "/nonexistent/program.bin"), 0);
}

TEST_F(SyntheticSetTest, OptionsShapeTheArchive) {
    std::string dir = synth_temp_dir();
    std::string game = dir + "/g.zip", bios = dir + "/b.zip";
    SynthWriteOptions o{};
    o.folder = "set/";
    o.upper_case = true;
    o.omit_mask = 1u << 7;
    o.wrong_size_mask = 1u << 2;
    o.wrong_crc_mask = 1u << 3;
    o.japanese = true;
    o.bios_place = SYNTH_BIOS_IN_GAME;
    o.extra.push_back({"notes.txt", {'h', 'i'}, true});
    ASSERT_EQ(synth_write(set, &o, game.c_str(), bios.c_str()), 1);

    ZipReader* zip = zipio_open(game.c_str());
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(zipio_member_count(zip), 7 + 1 + 1);
    ZipMemberInfo info;
    ASSERT_EQ(zipio_member_stat(zip, 0, &info), 1);
    EXPECT_STREQ(info.name, "set/TX-USA.U10");
    ASSERT_EQ(zipio_member_stat(zip, 2, &info), 1);
    EXPECT_EQ(info.size, 0x400000u - 1);
    ASSERT_EQ(zipio_member_stat(zip, 3, &info), 1);
    EXPECT_EQ(info.size, 0x400000u);
    EXPECT_NE(info.crc32, ROM_FILE_SPECS[3].crc32);
    EXPECT_STREQ(zipio_member_name(zip, 7), "set/TX-JPN.U10");
    EXPECT_STREQ(zipio_member_name(zip, 8), "set/VOXAU1.U10");
    zipio_close(zip);
    // The damaged copy must not leak into the set itself.
    EXPECT_EQ(zlib_crc(0, set->data[3].data(), set->data[3].size()), ROM_FILE_SPECS[3].crc32);

    zip = zipio_open(bios.c_str());
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(zipio_member_count(zip), 1);
    EXPECT_STREQ(zipio_member_name(zip, 0), "notes.txt");
    zipio_close(zip);
}

TEST(SyntheticCache, BuildsEachSetOnce) {
    const SynthSetPaths& a = synth_standard_set(nullptr, 0x400, 0x06100000);
    const SynthSetPaths& b = synth_standard_set(nullptr, 0x400, 0x06100000);
    EXPECT_EQ(&a, &b);
    const SynthSetPaths& c = synth_cached_set("marked", [](SyntheticRomset* s) {
        const u8 mark[4] = {1, 2, 3, 4};
        return synth_place(s, 0x04001000, mark, 4);
    });
    EXPECT_NE(a.game_zip, c.game_zip);
    EXPECT_EQ(&c, &synth_cached_set("marked", [](SyntheticRomset*) { return 0; }));
    char message[512] = "";
    EXPECT_EQ(romset_check(c.game_zip.c_str(), c.bios_zip.c_str(), message, sizeof message), 1) << message;
}

}  // namespace
