// ZIP reading and one-shot compression, and their refusals of bad arguments
// and damaged archives. CRC-32 is checked against zlib's by the fingerprint.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/synthetic_romset.h"
#include "zipio/zip_io.h"

namespace {

std::vector<u8> noise(size_t n, u32 seed) {
    std::vector<u8> v(n);
    for (auto& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<u8>(seed >> 24);
    }
    return v;
}

TEST(ZipCompress, RoundTripsAtEveryLevelAndSizeAndRefusesWhatItCannotDo) {
    std::vector<u8> mixed = noise(50000, 3);
    for (size_t i = 25000; i < mixed.size(); i++) mixed[i] = static_cast<u8>(i % 7);  // compressible half
    for (const std::vector<u8>& data : {std::vector<u8>{}, noise(1, 11), noise(300000, 12), mixed}) {
        for (int level : {-1, 0, 1, 9}) {
            SCOPED_TRACE(::testing::Message() << data.size() << " bytes at level " << level);
            std::vector<u8> packed(zipio_compress_bound(data.size()));  // holds even for noise
            size_t packed_len = packed.size(), out_len = data.size() + 1;
            ASSERT_EQ(zipio_compress(packed.data(), &packed_len, data.data(), data.size(), level), 1);
            EXPECT_TRUE(data.size() != mixed.size() || level == 0 || packed_len < data.size());
            std::vector<u8> out(out_len);
            ASSERT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), packed_len), 1);
            EXPECT_EQ(out_len, data.size());
            EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
        }
    }
    const std::vector<u8> data = noise(10000, 5);
    std::vector<u8> packed(zipio_compress_bound(data.size()));
    for (auto [room, level] : {std::pair<size_t, int>{100, 6}, {packed.size(), 10}, {packed.size(), -2}})
        EXPECT_EQ(zipio_compress(packed.data(), &room, data.data(), data.size(), level), 0) << room << " " << level;
    size_t len = packed.size();
    ASSERT_EQ(zipio_compress(packed.data(), &len, data.data(), data.size(), 6), 1);
    std::vector<u8> bad(packed.begin(), packed.begin() + static_cast<long>(len));
    bad[len / 2] ^= 0x55;  // the adler-32 trailer no longer matches
    struct {
        const char* what;
        size_t room;
        const u8* src;
        size_t src_len;
    } cases[] = {{"destination one byte short", data.size() - 1, packed.data(), len},
                 {"truncated stream", data.size(), packed.data(), len - 5},
                 {"damaged stream", data.size(), bad.data(), bad.size()},
                 {"not zlib data", data.size(), data.data(), 64}};
    std::vector<u8> out(data.size());
    for (auto& c : cases) EXPECT_EQ(zipio_uncompress(out.data(), &c.room, c.src, c.src_len), 0) << c.what;
}

// A stream fed in pieces of any size decompresses to the whole input; one
// compressor serves stream after stream, also after a failed one.
TEST(ZipDeflater, PiecesMakeOneStreamAndTheCompressorIsReused) {
    std::vector<u8> data = noise(200000, 21);
    for (size_t i = 100000; i < data.size(); i++) data[i] = static_cast<u8>(i % 5);
    ZipDeflater* d = zipio_deflater_new();
    ASSERT_NE(d, nullptr);
    std::vector<u8> packed(zipio_compress_bound(data.size()));
    for (size_t piece : {size_t(1) << 20, size_t(32768), size_t(7777), size_t(0)}) {
        SCOPED_TRACE(piece);
        ASSERT_EQ(zipio_deflater_begin(d, 1, packed.data(), packed.size()), 1);
        size_t fed = 0;
        while (piece && fed + piece < data.size()) {
            ASSERT_EQ(zipio_deflater_feed(d, data.data() + fed, piece, 0), 1);
            fed += piece;
        }
        ASSERT_EQ(zipio_deflater_feed(d, data.data() + fed, data.size() - fed, 1), 1);
        size_t len = zipio_deflater_length(d), out_len = data.size();
        std::vector<u8> out(out_len);
        ASSERT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), len), 1);
        EXPECT_EQ(out, data);
        EXPECT_EQ(zipio_deflater_feed(d, data.data(), 1, 1), 0) << "a finished stream takes no more";
    }
    std::vector<u8> tiny(16);
    ASSERT_EQ(zipio_deflater_begin(d, 1, tiny.data(), tiny.size()), 1);
    EXPECT_EQ(zipio_deflater_feed(d, data.data(), data.size(), 1), 0) << "no room";
    EXPECT_EQ(zipio_deflater_begin(d, 10, packed.data(), packed.size()), 0);
    ASSERT_EQ(zipio_deflater_begin(d, 6, packed.data(), packed.size()), 1);
    ASSERT_EQ(zipio_deflater_feed(d, data.data(), 1000, 1), 1);
    size_t out_len = 1000;
    std::vector<u8> out(out_len);
    ASSERT_EQ(zipio_uncompress(out.data(), &out_len, packed.data(), zipio_deflater_length(d)), 1);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
    zipio_deflater_free(d);
}

class ZipReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (size_t i = 0; i < big.size(); i += 3) big[i] = 0;  // so the deflated copy is smaller
    }
    std::string write(const char* name, bool deflate) {
        std::string path = dir + "/" + name;
        const SynthZipEntry entries[] = {{"small.bin", small.data(), small.size()},
                                         {"folder/Sub/BIG.bin", big.data(), big.size()},
                                         {"empty", nullptr, 0}};
        EXPECT_EQ(synth_write_zip(path.c_str(), entries, 3, deflate), 1);
        return path;
    }
    std::string dir = synth_temp_dir();
    std::vector<u8> small = noise(3000, 1), big = noise(200000, 2);
};

TEST_F(ZipReaderTest, ListsAndExtractsMembers) {
    for (bool deflate : {false, true}) {
        SCOPED_TRACE(deflate);
        ZipReader* zip = zipio_open(write("a.zip", deflate).c_str());
        ASSERT_NE(zip, nullptr);
        ASSERT_EQ(zipio_member_count(zip), 3);
        ZipMemberInfo info;
        ASSERT_EQ(zipio_member_stat(zip, 1, &info), 1);
        EXPECT_STREQ(info.name, "folder/Sub/BIG.bin");
        EXPECT_STREQ(zipio_member_name(zip, 1), "folder/Sub/BIG.bin");
        EXPECT_EQ(info.size, big.size());
        EXPECT_EQ(info.crc32, zipio_crc32(0, big.data(), big.size()));
        EXPECT_EQ(info.packed_size < info.size, deflate);
        for (int i = 0; i < 3; ++i) {
            const std::vector<u8> want = i == 0 ? small : i == 1 ? big : std::vector<u8>{};
            size_t size = 1;
            u8* data = zipio_extract(zip, i, &size);
            // An empty member still yields a buffer, so null always means failure.
            ASSERT_NE(data, nullptr) << i;
            ASSERT_EQ(size, want.size());
            EXPECT_TRUE(std::equal(want.begin(), want.end(), data)) << i;
            free(data);
        }
        size_t size = 99;  // bad indexes and arguments
        EXPECT_EQ(zipio_extract(zip, 3, &size), nullptr);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(zipio_extract(zip, -1, nullptr), nullptr);
        EXPECT_EQ(zipio_member_stat(zip, -1, &info) | zipio_member_stat(zip, 3, &info), 0);
        EXPECT_EQ(zipio_member_stat(zip, 0, nullptr), 0);
        EXPECT_EQ(zipio_member_name(zip, 3), nullptr);
        zipio_close(zip);
    }
}

TEST_F(ZipReaderTest, OpensOnlyArchivesEvenEmptyOnesRefusesNullAndTakesBaseNames) {
    EXPECT_EQ(zipio_open(nullptr), nullptr);
    EXPECT_EQ(zipio_open(""), nullptr);
    EXPECT_EQ(zipio_open((dir + "/absent.zip").c_str()), nullptr);
    EXPECT_EQ(zipio_open(dir.c_str()), nullptr);  // a folder
    std::vector<u8> image;
    ASSERT_EQ(synth_read_file(write("t.zip", false).c_str(), &image), 1);
    long central = synth_zip_central_entry(image, "folder/Sub/BIG.bin");
    ASSERT_GT(central, 0);
    const u8 lying[22] = {'P', 'K', 5, 6, 0, 0, 0, 0, 1, 0, 1, 0, 46, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::pair<const char*, std::vector<u8>> files[] = {
        {"text", std::vector<u8>{'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'}},
        {"empty", {}},
        {"end record claiming absent members", std::vector<u8>(lying, lying + sizeof lying)},
        {"cut in the central directory", std::vector<u8>(image.begin(), image.begin() + central + 10)},
    };
    std::string path = dir + "/bad.zip";
    for (auto& f : files) {
        ASSERT_EQ(synth_write_file(path.c_str(), f.second.data(), f.second.size()), 1);
        EXPECT_EQ(zipio_open(path.c_str()), nullptr) << f.first;
    }
    ZipMemberInfo info;
    size_t size = 99;
    EXPECT_EQ(zipio_member_count(nullptr) | zipio_member_stat(nullptr, 0, &info), 0);
    EXPECT_EQ(zipio_extract(nullptr, 0, &size), nullptr);
    zipio_close(nullptr);
    path = dir + "/none.zip";  // an archive without members opens
    ASSERT_EQ(synth_write_zip(path.c_str(), nullptr, 0, false), 1);
    ZipReader* zip = zipio_open(path.c_str());
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zipio_member_count(zip), 0);
    EXPECT_EQ(zipio_extract(zip, 0, nullptr), nullptr);
    zipio_close(zip);
    EXPECT_STREQ(zipio_basename("folder/Sub/BIG.bin"), "BIG.bin");
    EXPECT_STREQ(zipio_basename("plain"), "plain");
    EXPECT_STREQ(zipio_basename("dir/"), "");
}

TEST_F(ZipReaderTest, DamagedMembersFailToExtract) {
    const u32 n = static_cast<u32>(big.size());
    // A flipped byte of the member's data, or an overwritten directory field (-1: none).
    const struct {
        const char* what;
        bool deflate;
        long data_byte, central_field;
        u32 value;
    } cases[] = {
        {"stored data, CRC no longer matches", false, 1000, -1, 0},
        {"deflated data damaged", true, 50, -1, 0},
        {"directory size larger than the data", false, -1, 24, n + 16},
        {"directory size smaller than the data", true, -1, 24, n - 16},
        {"directory size absurdly large", false, -1, 24, 0xFFFFFFF0u},
        {"directory CRC disagrees", false, -1, 16, 0x12345678u},
    };
    const char* name = "folder/Sub/BIG.bin";
    for (const auto& d : cases) {
        std::vector<u8> image;
        ASSERT_EQ(synth_read_file(write("c.zip", d.deflate).c_str(), &image), 1);
        if (d.data_byte >= 0) image[static_cast<size_t>(synth_zip_data_offset(image, name) + d.data_byte)] ^= 0x21;
        if (d.central_field >= 0) {
            long at = synth_zip_central_entry(image, name) + d.central_field;
            for (int i = 0; i < 4; i++) image[static_cast<size_t>(at + i)] = static_cast<u8>(d.value >> (8 * i));
        }
        std::string path = dir + "/damaged.zip";
        ASSERT_EQ(synth_write_file(path.c_str(), image.data(), image.size()), 1);
        ZipReader* zip = zipio_open(path.c_str());
        ASSERT_NE(zip, nullptr) << d.what;
        size_t size = 12345;
        u8* data = zipio_extract(zip, 1, &size);
        EXPECT_EQ(data, nullptr) << d.what;
        EXPECT_EQ(size, 0u) << d.what;
        free(data);
        zipio_close(zip);
    }
}

}  // namespace
