// The PNG writer, decoded independently with zlib (every chunk's CRC, the
// inflated rows), the turned frame copy, screenshot names, and the
// screenshot and exit-screenshot operations on disk.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/png.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

uint32_t be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
    uint32_t stored_crc;
    uint32_t computed_crc;
    std::vector<uint8_t> crc_bytes;
};

struct DecodedPng {
    bool signature_ok = false;
    std::vector<Chunk> chunks;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> raw;  // inflated IDAT: filter byte + RGB per row
    bool inflated = false;
};

// Reads a PNG file image with nothing but zlib.
DecodedPng decode_png(const uint8_t* p, size_t size) {
    DecodedPng d;
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    d.signature_ok = size >= 8 && memcmp(p, sig, 8) == 0;
    size_t pos = 8;
    std::vector<uint8_t> idat;
    while (pos + 12 <= size) {
        uint32_t len = be32(p + pos);
        if (pos + 12 + len > size) break;
        Chunk c;
        c.type.assign((const char*)p + pos + 4, 4);
        c.data.assign(p + pos + 8, p + pos + 8 + len);
        c.stored_crc = be32(p + pos + 8 + len);
        c.crc_bytes.assign(p + pos + 8 + len, p + pos + 12 + len);
        c.computed_crc = (uint32_t)crc32(0, p + pos + 4, len + 4);
        if (c.type == "IDAT") idat.insert(idat.end(), c.data.begin(), c.data.end());
        if (c.type == "IHDR" && len == 13) {
            d.width = be32(c.data.data());
            d.height = be32(c.data.data() + 4);
        }
        d.chunks.push_back(c);
        pos += 12 + len;
    }
    uLongf raw_len = (uLongf)((size_t)d.width * 3 + 1) * d.height;
    d.raw.resize(raw_len);
    d.inflated = uncompress(d.raw.data(), &raw_len, idat.data(), (uLong)idat.size()) == Z_OK &&
                 raw_len == d.raw.size();
    return d;
}

DecodedPng decode_png(const std::vector<uint8_t>& file) { return decode_png(file.data(), file.size()); }

std::vector<uint8_t> encode(const std::vector<uint8_t>& rgb, int w, int h) {
    size_t size = 0;
    uint8_t* p = encode_png_rgb(rgb.data(), w, h, &size);
    std::vector<uint8_t> out;
    if (p) out.assign(p, p + size);
    free(p);
    return out;
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.insert(out.end(), buf, buf + n);
    fclose(f);
    return out;
}

// The RGB bytes of pixel (x, y) of a decoded image (past the filter byte).
const uint8_t* rgb_at(const DecodedPng& d, uint32_t x, uint32_t y) {
    return d.raw.data() + (size_t)y * (d.width * 3 + 1) + 1 + x * 3;
}

}  // namespace

TEST(PngWriter, OnePixelFileLayout) {
    std::vector<uint8_t> file = encode({0x12, 0x34, 0x56}, 1, 1);
    ASSERT_FALSE(file.empty());
    DecodedPng d = decode_png(file);
    EXPECT_TRUE(d.signature_ok);
    ASSERT_EQ(d.chunks.size(), 3u);
    EXPECT_EQ(d.chunks[0].type, "IHDR");
    EXPECT_EQ(d.chunks[1].type, "IDAT");
    EXPECT_EQ(d.chunks[2].type, "IEND");
    for (const Chunk& c : d.chunks) EXPECT_EQ(c.stored_crc, c.computed_crc) << c.type;
    EXPECT_EQ(d.chunks[2].crc_bytes, (std::vector<uint8_t>{0xAE, 0x42, 0x60, 0x82}));
    EXPECT_TRUE(d.chunks[2].data.empty());
    EXPECT_EQ(d.chunks[0].data, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0}));
    EXPECT_EQ(file.size(), 57 + d.chunks[1].data.size());
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.raw, (std::vector<uint8_t>{0, 0x12, 0x34, 0x56}));
    // A zlib stream (header byte 0x78) as PNG requires, not raw deflate.
    EXPECT_EQ(d.chunks[1].data[0], 0x78);
}

TEST(PngWriter, RowsInflateUnfilteredAndUnchanged) {
    const int w = 37, h = 23;
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    for (size_t i = 0; i < rgb.size(); i++) rgb[i] = (uint8_t)(i * 7 + i / 5);
    std::vector<uint8_t> file = encode(rgb, w, h);
    DecodedPng d = decode_png(file);
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, (uint32_t)w);
    EXPECT_EQ(d.height, (uint32_t)h);
    for (const Chunk& c : d.chunks) EXPECT_EQ(c.stored_crc, c.computed_crc) << c.type;
    for (int y = 0; y < h; y++) {
        EXPECT_EQ(d.raw[(size_t)y * (w * 3 + 1)], 0) << "filter byte of row " << y;
        EXPECT_EQ(memcmp(rgb_at(d, 0, y), rgb.data() + (size_t)y * w * 3, (size_t)w * 3), 0) << "row " << y;
    }
}

TEST(PngWriter, RefusesSizesItCannotWrite) {
    size_t size = 123;
    uint8_t px[3] = {};
    EXPECT_EQ(encode_png_rgb(px, 0, 1, &size), nullptr);
    EXPECT_EQ(encode_png_rgb(px, 1, 0, &size), nullptr);
    EXPECT_EQ(encode_png_rgb(px, -4, 2, &size), nullptr);
    EXPECT_EQ(encode_png_rgb(px, 100000, 100000, &size), nullptr);  // over 2 GiB of rows
}

TEST(ScreenshotPicture, TurnsTheFrameLikeTheScreen) {
    // A 3 x 2 frame with its pixel number in every channel.
    const uint32_t frame[6] = {0x000000, 0x010101, 0x020202, 0x030303, 0x040404, 0x050505};
    const int expect[4][6] = {
        {0, 1, 2, 3, 4, 5},  // 3 x 2
        {3, 0, 4, 1, 5, 2},  // 2 x 3: top row is the left column, bottom up
        {5, 4, 3, 2, 1, 0},  // 3 x 2
        {2, 5, 1, 4, 0, 3},  // 2 x 3
    };
    for (int r = 0; r < 4; r++) {
        int w = 0, h = 0;
        uint8_t* rgb = frame_to_rgb(frame, 3, 2, r, &w, &h);
        ASSERT_NE(rgb, nullptr);
        EXPECT_EQ(w, r & 1 ? 2 : 3);
        EXPECT_EQ(h, r & 1 ? 3 : 2);
        for (int i = 0; i < 6; i++) EXPECT_EQ(rgb[i * 3 + 1], expect[r][i]) << "rotation " << r << " pixel " << i;
        free(rgb);
    }
    const uint32_t colour = 0xAA112233;  // top byte ignored; R G B order
    int w, h;
    uint8_t* one = frame_to_rgb(&colour, 1, 1, 0, &w, &h);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one[0], 0x11);
    EXPECT_EQ(one[1], 0x22);
    EXPECT_EQ(one[2], 0x33);
    free(one);
    EXPECT_EQ(frame_to_rgb(nullptr, 1, 1, 0, &w, &h), nullptr);
}

TEST(ScreenshotPicture, QuarterTurnOfTheGameFrame) {
    std::vector<uint32_t> frame((size_t)FAKE_WIDTH * FAKE_HEIGHT);
    for (int y = 0; y < FAKE_HEIGHT; y++)
        for (int x = 0; x < FAKE_WIDTH; x++) frame[(size_t)y * FAKE_WIDTH + x] = (uint32_t)(x << 12 | y);
    int w = 0, h = 0;
    uint8_t* rgb = frame_to_rgb(frame.data(), FAKE_WIDTH, FAKE_HEIGHT, 1, &w, &h);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 320);
    std::vector<uint8_t> file = encode(std::vector<uint8_t>(rgb, rgb + (size_t)w * h * 3), w, h);
    free(rgb);
    DecodedPng d = decode_png(file);
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, 240u);
    EXPECT_EQ(d.height, 320u);
    auto pixel = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = rgb_at(d, x, y);
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    };
    EXPECT_EQ(pixel(0, 0), frame[(size_t)239 * FAKE_WIDTH + 0]);      // the frame's bottom-left
    EXPECT_EQ(pixel(239, 0), frame[0]);                               // its top-left
    EXPECT_EQ(pixel(0, 319), frame[(size_t)239 * FAKE_WIDTH + 319]);  // its bottom-right
}

TEST(ScreenshotName, StampAndFrameCounterModulo1000) {
    struct tm t {};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    char name[80];
    screenshot_file_name(name, sizeof name, &t, 12345);
    EXPECT_STREQ(name, "shot-20240305-070809-345.png");
    screenshot_file_name(name, sizeof name, &t, 7);
    EXPECT_STREQ(name, "shot-20240305-070809-007.png");
    screenshot_file_name(name, sizeof name, &t, 1000);
    EXPECT_STREQ(name, "shot-20240305-070809-000.png");
}

// The operations below write through the file utilities and report through
// the toast and the log; each runs once those modules are in place.
class ScreenshotTest : public FrontendTest {
protected:
    bool files_ready() {
        char out[8];
        return join_path(out, sizeof out, "a", "b") == 1 && strcmp(out, "a/b") == 0;
    }
    bool toast_ready() {
        show_toast("%s", "probe");
        bool ok = strcmp(fe.toast_text, "probe") == 0;
        fe.toast_text[0] = '\0';
        return ok;
    }
    bool log_ready() {
        log_line("probe");
        return !log_messages().empty();
    }
    std::vector<std::string> screenshot_files() {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(fe.screenshots_dir))
            out.push_back(e.path().filename().string());
        return out;
    }
};

TEST_F(ScreenshotTest, SavesTheTurnedUnadjustedFrameAndSaysSo) {
    if (!files_ready() || !toast_ready()) GTEST_SKIP() << "needs the file utilities and the toast";
    fe.settings.rotation = 1;
    fe.settings.brightness = 150;
    fe.picture_lut_stale = 1;
    fe.frame_counter = 1042;
    fetch_frame();
    take_screenshot();
    std::vector<std::string> files = screenshot_files();
    ASSERT_EQ(files.size(), 1u);
    const std::string& name = files[0];
    EXPECT_EQ(name.rfind("shot-", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 8), "-042.png");
    EXPECT_EQ(std::string(fe.toast_text), "Screenshot saved: " + name);
    DecodedPng d = decode_png(read_file(std::string(fe.screenshots_dir) + "/" + name));
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, 240u);
    EXPECT_EQ(d.height, 320u);
    const uint8_t* tl = rgb_at(d, 0, 0);  // frame bottom-left: pure blue, not brightened
    EXPECT_EQ(tl[0], 0);
    EXPECT_EQ(tl[2], 0xFF);
    const uint8_t* tr = rgb_at(d, 239, 0);  // frame top-left: red with the frame count
    EXPECT_EQ(tr[0], 0xFF);
}

TEST_F(ScreenshotTest, FailureNamesThePathAndLeavesNoFile) {
    if (!files_ready() || !toast_ready()) GTEST_SKIP() << "needs the file utilities and the toast";
    std::string missing = dir + "/no-such-folder";
    snprintf(fe.screenshots_dir, FE_PATH_SIZE, "%s", missing.c_str());
    fetch_frame();
    take_screenshot();
    std::string toast = fe.toast_text;
    EXPECT_EQ(toast.rfind("Screenshot failed: " + missing + "/shot-", 0), 0u) << toast;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ScreenshotTest, ExitScreenshotIsTheRawFrameUnturned) {
    if (!files_ready() || !log_ready()) GTEST_SKIP() << "needs the file utilities and the log";
    fe.settings.rotation = 1;
    fe.settings.brightness = 50;
    fe.picture_lut_stale = 1;
    fetch_frame();
    std::string path = dir + "/exit.png";
    EXPECT_EQ(write_exit_screenshot(path.c_str()), 1);
    DecodedPng d = decode_png(read_file(path));
    ASSERT_TRUE(d.inflated);
    EXPECT_EQ(d.width, 320u);
    EXPECT_EQ(d.height, 240u);
    for (uint32_t y : {0u, 120u, 239u})
        for (uint32_t x : {0u, 160u, 319u}) {
            const uint8_t* p = rgb_at(d, x, y);
            EXPECT_EQ((uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2], fake_pixel(0, (int)x, (int)y));
        }

    // A path that cannot be written: one plain log line, result 0.
    std::string bad = dir + "/no-such-folder/exit.png";
    size_t before = log_messages().size();
    EXPECT_EQ(write_exit_screenshot(bad.c_str()), 0);
    std::vector<std::string> lines = log_messages();
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_EQ(lines.back(), "could not write screenshot " + bad);
}
