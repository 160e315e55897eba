// The PNG writer, decoded independently with zlib (every chunk's CRC, the
// inflated rows), screenshot names, and the screenshot and exit-screenshot
// operations on disk.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frontend/png.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

uint32_t be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

// A PNG file image read with nothing but zlib.
struct DecodedPng {
    bool signature_ok = false, crcs_ok = true, inflated = false;
    std::string types;                     // the chunk types in order
    std::vector<uint8_t> ihdr, idat, raw;  // raw: the inflated rows, filter byte + RGB each
    size_t other_bytes = 0;                // data in chunks other than IHDR and IDAT
    uint32_t width = 0, height = 0, last_crc = 0;

    // Pixel (x, y) as 0xRRGGBB.
    uint32_t pixel(uint32_t x, uint32_t y) const {
        const uint8_t* p = raw.data() + (size_t)y * (width * 3 + 1) + 1 + x * 3;
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
};

DecodedPng decode_png(const std::vector<uint8_t>& file) {
    const uint8_t* p = file.data();
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    DecodedPng d;
    d.signature_ok = file.size() >= 8 && memcmp(p, sig, 8) == 0;
    for (size_t pos = 8, len; pos + 12 <= file.size() && pos + 12 + (len = be32(p + pos)) <= file.size();
         pos += 12 + len) {
        const uint8_t* data = p + pos + 8;
        std::string type((const char*)p + pos + 4, 4);
        d.types += type;
        d.last_crc = be32(data + len);
        d.crcs_ok = d.crcs_ok && d.last_crc == (uint32_t)crc32(0, p + pos + 4, (uInt)len + 4);
        if (type == "IHDR")
            d.ihdr.assign(data, data + len);
        else if (type == "IDAT")
            d.idat.insert(d.idat.end(), data, data + len);
        else
            d.other_bytes += len;
    }
    if (d.ihdr.size() == 13) d.width = be32(&d.ihdr[0]), d.height = be32(&d.ihdr[4]);
    uLongf raw_len = (uLongf)((size_t)d.width * 3 + 1) * d.height;
    d.raw.resize(raw_len);
    d.inflated =
        uncompress(d.raw.data(), &raw_len, d.idat.data(), (uLong)d.idat.size()) == Z_OK && raw_len == d.raw.size();
    return d;
}

std::vector<uint8_t> encode(const std::vector<uint8_t>& rgb, int w, int h) {
    size_t size = 0;
    uint8_t* p = encode_png_rgb(rgb.data(), w, h, &size);
    std::vector<uint8_t> out;
    if (p) out.assign(p, p + size);
    free(p);
    return out;
}

DecodedPng decode_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return decode_png(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace

// The screenshot operations write through the data folder and report
// through the toast and the log.
class ScreenshotTest : public FrontendTest {};

TEST(PngWriter, SignatureThreeChunksWithCrcsAndUnfilteredRows) {
    // One pixel, and an odd size whose every byte differs.
    for (int size : {1, 37}) {
        SCOPED_TRACE(size);
        const int w = size, h = size == 1 ? 1 : 23;
        std::vector<uint8_t> rgb((size_t)w * h * 3);
        for (size_t i = 0; i < rgb.size(); i++) rgb[i] = (uint8_t)(0x12 + i * 7 + i / 5);
        std::vector<uint8_t> file = encode(rgb, w, h);
        DecodedPng d = decode_png(file);
        EXPECT_TRUE(d.signature_ok);
        EXPECT_EQ(d.types, "IHDRIDATIEND");
        EXPECT_TRUE(d.crcs_ok);
        EXPECT_EQ(d.last_crc, 0xAE426082u);  // IEND's, over its type alone
        EXPECT_EQ(d.other_bytes, 0u);
        const uint8_t ihdr[13] = {0, 0, 0, (uint8_t)w, 0, 0, 0, (uint8_t)h, 8, 2, 0, 0, 0};
        EXPECT_EQ(d.ihdr, std::vector<uint8_t>(ihdr, ihdr + 13));
        EXPECT_EQ(file.size(), 57 + d.idat.size());
        ASSERT_FALSE(d.idat.empty());
        EXPECT_EQ(d.idat[0], 0x78);  // a zlib stream as PNG requires, not raw deflate
        ASSERT_TRUE(d.inflated);
        for (int y = 0; y < h; y++) {
            EXPECT_EQ(d.raw[(size_t)y * (w * 3 + 1)], 0) << "filter byte of row " << y;
            EXPECT_EQ(memcmp(&d.raw[(size_t)y * (w * 3 + 1) + 1], &rgb[(size_t)y * w * 3], (size_t)w * 3), 0)
                << "row " << y;
        }
    }
}

TEST(PngWriter, RefusesSizesItCannotWrite) {
    size_t size = 123;
    uint8_t px[3] = {};
    const int sizes[][2] = {{0, 1}, {1, 0}, {-4, 2}, {100000, 100000} /* over 2 GiB of rows */};
    for (const auto& wh : sizes) EXPECT_EQ(encode_png_rgb(px, wh[0], wh[1], &size), nullptr) << wh[0] << "x" << wh[1];
}

TEST(ScreenshotName, StampAndFrameCounterModulo1000) {
    struct tm t {};
    t.tm_year = 2024 - 1900, t.tm_mon = 2, t.tm_mday = 5, t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9;
    char name[80];
    const struct {
        uint64_t frames;
        const char* name;
    } cases[] = {{12345, "shot-20240305-070809-345.png"},
                 {7, "shot-20240305-070809-007.png"},
                 {1000, "shot-20240305-070809-000.png"}};
    for (const auto& c : cases) {
        screenshot_file_name(name, sizeof name, &t, c.frames);
        EXPECT_STREQ(name, c.name);
    }
}

TEST_F(ScreenshotTest, SavesTheTurnedUnadjustedFrameAndSaysSo) {
    fe.settings.rotation = 1;
    fe.settings.brightness = 150;
    fe.picture_lut_stale = 1;
    fe.frame_counter = 1042;
    fetch_frame();
    take_screenshot();
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(fe.screenshots_dir))
        files.push_back(e.path().filename().string());
    ASSERT_EQ(files.size(), 1u);
    const std::string& name = files[0];
    EXPECT_EQ(name.rfind("shot-", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 8), "-042.png");
    EXPECT_EQ(std::string(fe.toast_text), "Screenshot saved: " + name);
    DecodedPng d = decode_file(std::string(fe.screenshots_dir) + "/" + name);
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, 240u);
    EXPECT_EQ(d.height, 320u);
    EXPECT_EQ(d.pixel(0, 0), fake_pixel(0, 0, 239));      // the frame's bottom-left, not brightened
    EXPECT_EQ(d.pixel(239, 0), fake_pixel(0, 0, 0));      // its top-left
    EXPECT_EQ(d.pixel(0, 319), fake_pixel(0, 319, 239));  // its bottom-right

    // A folder that is missing: the full path in the toast, and no file.
    std::string missing = dir + "/no-such-folder";
    snprintf(fe.screenshots_dir, FE_PATH_SIZE, "%s", missing.c_str());
    take_screenshot();
    std::string toast = fe.toast_text;
    EXPECT_EQ(toast.rfind("Screenshot failed: " + missing + "/shot-", 0), 0u) << toast;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ScreenshotTest, ExitScreenshotIsTheRawFrameUnturned) {
    fe.settings.rotation = 1;
    fe.settings.brightness = 50;
    fe.picture_lut_stale = 1;
    fetch_frame();
    std::string path = dir + "/exit.png";
    EXPECT_EQ(write_exit_screenshot(path.c_str()), 1);
    DecodedPng d = decode_file(path);
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, 320u);
    EXPECT_EQ(d.height, 240u);
    for (uint32_t y : {0u, 120u, 239u})
        for (uint32_t x : {0u, 160u, 319u}) EXPECT_EQ(d.pixel(x, y), fake_pixel(0, (int)x, (int)y));

    // A path that cannot be written: one plain log line, result 0.
    std::string bad = dir + "/no-such-folder/exit.png";
    size_t before = log_messages().size();
    EXPECT_EQ(write_exit_screenshot(bad.c_str()), 0);
    std::vector<std::string> lines = log_messages();
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_EQ(lines.back(), "could not write screenshot " + bad);
}
