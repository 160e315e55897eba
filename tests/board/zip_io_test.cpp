#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/zip_io.h"
#include "tests/support/synthetic_romset.h"

namespace {

std::vector<u8> noise(size_t n, u32 seed) {
    std::vector<u8> v(n);
    u32 x = seed;
    for (auto& b : v) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<u8>(x >> 24);
    }
    return v;
}

u32 crc_of(const std::string& s) {
    return zipio_crc32(0, s.data(), s.size());
}

TEST(ZipCrc, MatchesKnownVectors) {
    EXPECT_EQ(crc_of(""), 0u);
    EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc_of("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
    EXPECT_EQ(crc_of(std::string(1, '\0')), 0xD202EF8Du);
    EXPECT_EQ(crc_of("a"), 0xE8B7BE43u);
}

TEST(ZipCrc, ChainsOverPieces) {
    std::vector<u8> data = noise(100000, 7);
    u32 whole = zipio_crc32(0, data.data(), data.size());
    for (size_t cut : {size_t(0), size_t(1), size_t(4096), size_t(99999), size_t(100000)}) {
        u32 c = zipio_crc32(0, data.data(), cut);
        c = zipio_crc32(c, data.data() + cut, data.size() - cut);
        EXPECT_EQ(c, whole) << "cut at " << cut;
    }
    EXPECT_EQ(zipio_crc32(whole, data.data(), 0), whole);
}

TEST(ZipCompress, RoundTripsAtEveryLevelAndSize) {
    std::vector<u8> mixed = noise(50000, 3);
    // Half noise, half repetition, so compression has something to find.
    for (size_t i = 25000; i < mixed.size(); i++)
        mixed[i] = static_cast<u8>(i % 7);
    const std::vector<u8> inputs[] = {{}, noise(1, 11), noise(300000, 12), mixed};
    for (const std::vector<u8>& data : inputs) {
        for (int level : {-1, 0, 1, 9}) {
            // The bound must hold even for incompressible data.
            std::vector<u8> packed(zipio_compress_bound(data.size()));
            size_t packed_len = packed.size();
            ASSERT_EQ(zipio_compress(packed.data(), &packed_len, data.data(), data.size(), level), 1)
                << data.size() << " at " << level;
            if (&data == &inputs[3] && level != 0) {
                EXPECT_LT(packed_len, data.size()) << level;
            }
            std::vector<u8> out(data.size() + 1);
            size_t out_len = out.size();
            ASSERT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), packed_len), 1) << level;
            EXPECT_EQ(out_len, data.size());
            EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin())) << data.size() << " at " << level;
        }
    }
}

TEST(ZipCompress, RefusesWhatItCannotDo) {
    std::vector<u8> data = noise(10000, 5);
    std::vector<u8> packed(zipio_compress_bound(data.size()));
    size_t len = 100;  // far too small for noise
    EXPECT_EQ(zipio_compress(packed.data(), &len, data.data(), data.size(), 6), 0);
    len = packed.size();
    EXPECT_EQ(zipio_compress(packed.data(), &len, data.data(), data.size(), 10), 0);
    len = packed.size();
    EXPECT_EQ(zipio_compress(packed.data(), &len, data.data(), data.size(), -2), 0);

    len = packed.size();
    ASSERT_EQ(zipio_compress(packed.data(), &len, data.data(), data.size(), 6), 1);
    std::vector<u8> out(data.size());
    // Destination one byte short.
    size_t out_len = data.size() - 1;
    EXPECT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), len), 0);
    // Truncated stream.
    out_len = out.size();
    EXPECT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), len - 5), 0);
    // Damaged stream: the adler-32 trailer no longer matches.
    std::vector<u8> bad(packed.begin(), packed.begin() + static_cast<long>(len));
    bad[len / 2] ^= 0x55;
    out_len = out.size();
    EXPECT_EQ(zipio_uncompress(out.data(), &out_len, bad.data(), bad.size()), 0);
    // Not zlib data at all.
    out_len = out.size();
    EXPECT_EQ(zipio_uncompress(out.data(), &out_len, data.data(), 64), 0);
}

class ZipReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = synth_temp_dir();
        small = noise(3000, 1);
        big = noise(200000, 2);
        for (size_t i = 0; i < big.size(); i += 3)
            big[i] = 0;  // compressible, so the deflated copy is smaller
    }
    std::string write(const char* name, bool deflate) {
        std::string path = dir + "/" + name;
        SynthZipEntry entries[] = {
            {"small.bin", small.data(), small.size()},
            {"folder/Sub/BIG.bin", big.data(), big.size()},
            {"empty", nullptr, 0},
        };
        EXPECT_EQ(synth_write_zip(path.c_str(), entries, 3, deflate), 1);
        return path;
    }
    std::string dir;
    std::vector<u8> small, big;
};

TEST_F(ZipReaderTest, ListsAndExtractsMembers) {
    for (bool deflate : {false, true}) {
        std::string path = write(deflate ? "d.zip" : "s.zip", deflate);
        ZipReader* zip = zipio_open(path.c_str());
        ASSERT_NE(zip, nullptr);
        ASSERT_EQ(zipio_member_count(zip), 3);
        ZipMemberInfo info;
        ASSERT_EQ(zipio_member_stat(zip, 1, &info), 1);
        EXPECT_STREQ(info.name, "folder/Sub/BIG.bin");
        EXPECT_STREQ(zipio_member_name(zip, 1), "folder/Sub/BIG.bin");
        EXPECT_EQ(info.size, big.size());
        EXPECT_EQ(info.crc32, zipio_crc32(0, big.data(), big.size()));
        if (deflate) {
            EXPECT_LT(info.packed_size, info.size);
        } else {
            EXPECT_EQ(info.packed_size, info.size);
        }

        size_t size = 1;
        u8* data = zipio_extract(zip, 1, &size);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(size, big.size());
        EXPECT_EQ(memcmp(data, big.data(), size), 0);
        free(data);
        data = zipio_extract(zip, 0, &size);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(size, small.size());
        EXPECT_EQ(memcmp(data, small.data(), size), 0);
        free(data);
        // An empty member still yields a buffer, so null always means failure.
        data = zipio_extract(zip, 2, &size);
        EXPECT_NE(data, nullptr);
        EXPECT_EQ(size, 0u);
        free(data);
        zipio_close(zip);
    }
}

TEST_F(ZipReaderTest, RejectsBadIndexesAndArguments) {
    std::string path = write("a.zip", false);
    ZipReader* zip = zipio_open(path.c_str());
    ASSERT_NE(zip, nullptr);
    ZipMemberInfo info;
    EXPECT_EQ(zipio_member_stat(zip, -1, &info), 0);
    EXPECT_EQ(zipio_member_stat(zip, 3, &info), 0);
    EXPECT_EQ(zipio_member_stat(zip, 0, nullptr), 0);
    EXPECT_EQ(zipio_member_name(zip, 3), nullptr);
    size_t size = 99;
    EXPECT_EQ(zipio_extract(zip, 3, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(zipio_extract(zip, -1, nullptr), nullptr);
    zipio_close(zip);

    EXPECT_EQ(zipio_member_count(nullptr), 0);
    EXPECT_EQ(zipio_member_stat(nullptr, 0, &info), 0);
    EXPECT_EQ(zipio_extract(nullptr, 0, &size), nullptr);
    zipio_close(nullptr);
}

TEST_F(ZipReaderTest, OpensAnArchiveWithoutMembers) {
    std::string path = dir + "/none.zip";
    ASSERT_EQ(synth_write_zip(path.c_str(), nullptr, 0, false), 1);
    ZipReader* zip = zipio_open(path.c_str());
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zipio_member_count(zip), 0);
    EXPECT_EQ(zipio_extract(zip, 0, nullptr), nullptr);
    zipio_close(zip);
}

TEST_F(ZipReaderTest, BaseNameIsAfterTheLastSlash) {
    EXPECT_STREQ(zipio_basename("folder/Sub/BIG.bin"), "BIG.bin");
    EXPECT_STREQ(zipio_basename("plain"), "plain");
    EXPECT_STREQ(zipio_basename("dir/"), "");
    EXPECT_STREQ(zipio_basename(""), "");
}

TEST_F(ZipReaderTest, DoesNotOpenWhatIsNotAnArchive) {
    EXPECT_EQ(zipio_open(nullptr), nullptr);
    EXPECT_EQ(zipio_open(""), nullptr);
    EXPECT_EQ(zipio_open((dir + "/absent.zip").c_str()), nullptr);
    EXPECT_EQ(zipio_open(dir.c_str()), nullptr);  // a folder
    std::string text = dir + "/text.zip";
    ASSERT_EQ(synth_write_file(text.c_str(), "not a zip archive at all", 24), 1);
    EXPECT_EQ(zipio_open(text.c_str()), nullptr);
    std::string empty = dir + "/empty.zip";
    ASSERT_EQ(synth_write_file(empty.c_str(), "", 0), 1);
    EXPECT_EQ(zipio_open(empty.c_str()), nullptr);
    // An end record claiming members that are not there.
    const u8 lying[22] = {'P', 'K', 5, 6, 0, 0, 0, 0, 1, 0, 1, 0, 46, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(synth_write_file(empty.c_str(), lying, sizeof lying), 1);
    EXPECT_EQ(zipio_open(empty.c_str()), nullptr);

    // Cut off in the middle of the central directory.
    std::vector<u8> image;
    ASSERT_EQ(synth_read_file(write("t.zip", false).c_str(), &image), 1);
    long central = synth_zip_central_entry(image, "folder/Sub/BIG.bin");
    ASSERT_GT(central, 0);
    std::string cut = dir + "/cut.zip";
    ASSERT_EQ(synth_write_file(cut.c_str(), image.data(), static_cast<size_t>(central) + 10), 1);
    EXPECT_EQ(zipio_open(cut.c_str()), nullptr);
}

// Damages one byte of a member's data or directory entry and tries to
// extract it: every damage must give a null result, never a crash or a
// buffer of the wrong length.
class ZipCorruptTest : public ZipReaderTest {
protected:
    u8* extract_damaged(bool deflate, long at_from_data, long central_field, u32 new_value) {
        std::vector<u8> image;
        EXPECT_EQ(synth_read_file(write("c.zip", deflate).c_str(), &image), 1);
        const char* name = "folder/Sub/BIG.bin";
        if (at_from_data >= 0) {
            long data = synth_zip_data_offset(image, name);
            EXPECT_GT(data, 0);
            image[static_cast<size_t>(data + at_from_data)] ^= 0x21;
        }
        if (central_field >= 0) {
            long central = synth_zip_central_entry(image, name);
            EXPECT_GT(central, 0);
            for (int i = 0; i < 4; i++)
                image[static_cast<size_t>(central + central_field + i)] = static_cast<u8>(new_value >> (8 * i));
        }
        std::string path = dir + "/damaged.zip";
        EXPECT_EQ(synth_write_file(path.c_str(), image.data(), image.size()), 1);
        zip = zipio_open(path.c_str());
        EXPECT_NE(zip, nullptr);
        size = 12345;
        return zipio_extract(zip, 1, &size);
    }
    void TearDown() override { zipio_close(zip); }
    ZipReader* zip = nullptr;
    size_t size = 0;
};

TEST_F(ZipCorruptTest, DamagedMembersFailToExtract) {
    const u32 n = static_cast<u32>(big.size());
    struct Damage {
        const char* what;
        bool deflate;
        long data_byte;     // flipped byte of the member's data, -1 none
        long central_field; // overwritten directory field, -1 none
        u32 value;
    } cases[] = {
        {"stored data, CRC no longer matches", false, 1000, -1, 0},
        {"deflated data damaged", true, 50, -1, 0},
        {"directory size larger than the data", false, -1, 24, n + 16},
        {"directory size smaller than the data", true, -1, 24, n - 16},
        {"directory size absurdly large", false, -1, 24, 0xFFFFFFF0u},
        {"directory CRC disagrees", false, -1, 16, 0x12345678u},
    };
    for (const Damage& d : cases) {
        u8* data = extract_damaged(d.deflate, d.data_byte, d.central_field, d.value);
        EXPECT_EQ(data, nullptr) << d.what;
        EXPECT_EQ(size, 0u) << d.what;
        free(data);
        zipio_close(zip);
        zip = nullptr;
    }
}

// Random damage anywhere in the file: opening and extracting must either
// work or fail cleanly, and whatever is extracted has the directory's size.
TEST_F(ZipCorruptTest, SurvivesRandomDamage) {
    small.resize(700);
    big.resize(1500);
    std::vector<u8> image;
    for (bool deflate : {false, true}) {
        ASSERT_EQ(synth_read_file(write("r.zip", deflate).c_str(), &image), 1);
        std::string path = dir + "/random.zip";
        u32 x = 12345;
        for (int round = 0; round < 400; round++) {
            std::vector<u8> bad = image;
            for (int k = 0; k < 3; k++) {
                x = x * 1664525u + 1013904223u;
                bad[(x >> 8) % bad.size()] ^= static_cast<u8>(1 + (x & 0x7F));
            }
            ASSERT_EQ(synth_write_file(path.c_str(), bad.data(), bad.size()), 1);
            ZipReader* z = zipio_open(path.c_str());
            for (int i = 0; i < zipio_member_count(z); i++) {
                ZipMemberInfo info;
                ASSERT_EQ(zipio_member_stat(z, i, &info), 1);
                size_t got = 0;
                u8* data = zipio_extract(z, i, &got);
                if (data) {
                    EXPECT_EQ(got, info.size);
                    EXPECT_EQ(zipio_crc32(0, data, got), info.crc32);
                }
                free(data);
            }
            zipio_close(z);
        }
    }
}

}  // namespace
