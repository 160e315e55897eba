// The synthetic ROM set builder that every archive test relies on.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "board/romset.h"
#include "tests/support/synthetic_romset.h"

namespace {

TEST(ForceCrc, HitsTheTargetChangingOnlyTheChosenBytes) {
    std::vector<u8> base(70001);
    for (size_t i = 0; i < base.size(); i++) base[i] = static_cast<u8>(i * 31 + 7);
    // Length, offset, and the CRC of whatever precedes the buffer.
    for (auto [len, offset, start] :
         {std::tuple<size_t, size_t, u32>{4, 0, 0}, {64, 30, 0x1023DDCAu}, {70001, 69997, 0}}) {
        for (u32 target : {0u, 1u, 0xFFFFFFFFu, 0x80000000u}) {
            std::vector<u8> d(base.begin(), base.begin() + static_cast<long>(len));
            ASSERT_EQ(synth_force_crc(d.data(), len, offset, target, start), 1);
            EXPECT_EQ(crc32(start, d.data(), static_cast<uInt>(len)), target) << len << " @" << offset;
            d[offset] = base[offset], d[offset + 1] = base[offset + 1];
            d[offset + 2] = base[offset + 2], d[offset + 3] = base[offset + 3];
            EXPECT_TRUE(std::equal(d.begin(), d.end(), base.begin())) << "only the four chosen bytes change";
        }
    }
    std::vector<u8> d(10, 0);
    EXPECT_EQ(synth_force_crc(d.data(), 10, 7, 0), 0) << "window past the end";
    EXPECT_EQ(synth_force_crc(d.data(), 3, 0, 0), 0);
    EXPECT_EQ(d, std::vector<u8>(10, 0));
}

TEST(SyntheticSet, PlacesBytesByTheAddressMapAndCachesBuiltSets) {
    SyntheticRomset storage, *set = &storage;
    synth_init(set);
    const u8 code[6] = {0xE0, 0x01, 0xE1, 0x02, 0xAF, 0xFE};
    ASSERT_EQ(synth_place(set, 0x04000100, code, sizeof code), 1);
    // Even program ROM addresses come from "tx-usa.u10", odd ones from "tx-usa.u8".
    EXPECT_EQ((std::vector<u8>{set->data[0][0x80], set->data[1][0x80], set->data[0][0x82], set->data[1][0x82]}),
              (std::vector<u8>{0xE0, 0x01, 0xAF, 0xFE}));
    EXPECT_EQ(synth_peek32(set, 0x04000100), 0xE001E102u);
    EXPECT_FALSE(set->crc_fixed[0]);
    ASSERT_EQ(synth_place(set, 0x00000400, code, 4), 1);
    EXPECT_EQ(synth_peek32(set, 0x00000400), 0xE001E102u);
    // Ranges that leave the BIOS or the program ROM are refused whole.
    const u8 before = set->data[SYNTH_BIOS][0x7FFFE];
    EXPECT_EQ(synth_place(set, 0x0007FFFE, code, 4), 0);
    EXPECT_EQ(set->data[SYNTH_BIOS][0x7FFFE], before);
    for (u32 a : {0x041FFFFEu, 0x06000000u, 0xFFFFFFFEu}) EXPECT_EQ(synth_place(set, a, code, 4), 0) << a;
    EXPECT_EQ(synth_place_file(set, 0x400, "/nonexistent/program.bin"), 0);
    const SynthSetPaths& a = synth_standard_set(nullptr, 0x400, 0x06100000);
    EXPECT_EQ(&a, &synth_standard_set(nullptr, 0x400, 0x06100000));
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
