// Screenshots and the small PNG writer behind them: 8-bit RGB, no filter on
// any row, the whole image as one zlib stream, each chunk with its CRC-32.
#include "frontend/png.h"

#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"
#include "zipio/zip_io.h"

namespace {

constexpr uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr int PNG_LEVEL = 6;
constexpr size_t PNG_OVERHEAD = 57;  // signature, IHDR, the IDAT frame and IEND

uint8_t* put_u32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)(v >> 24);
    p[1] = (uint8_t)(v >> 16);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
    return p + 4;
}

// One chunk whose data already sits after its length and type fields:
// fills those in and appends the CRC over type and data.
uint8_t* finish_chunk(uint8_t* chunk, const char* type, size_t data_len) {
    put_u32(chunk, (uint32_t)data_len);
    memcpy(chunk + 4, type, 4);
    return put_u32(chunk + 8 + data_len, zipio_crc32(0, chunk + 4, data_len + 4));
}

}  // namespace

uint8_t* encode_png_rgb(const uint8_t* rgb, int width, int height, size_t* size) {
    // The row length and the image must stay within what the chunk length
    // field and size_t hold.
    if (width <= 0 || height <= 0 || (uint64_t)width * 3 + 1 > 0x7FFFFFFFu / (uint64_t)height) return nullptr;
    size_t row = (size_t)width * 3, raw_len = (row + 1) * (size_t)height;
    uint8_t* raw = (uint8_t*)malloc(raw_len);
    if (!raw) return nullptr;
    for (int y = 0; y < height; y++) {
        uint8_t* dst = raw + (size_t)y * (row + 1);
        dst[0] = 0;
        memcpy(dst + 1, rgb + (size_t)y * row, row);
    }
    size_t bound = zipio_compress_bound(raw_len);
    uint8_t* file = (uint8_t*)malloc(PNG_OVERHEAD + bound);
    size_t packed = bound;
    if (!file || !zipio_compress(file + 41, &packed, raw, raw_len, PNG_LEVEL) || packed > 0x7FFFFFFFu) {
        free(raw);
        free(file);
        return nullptr;
    }
    free(raw);

    memcpy(file, PNG_SIGNATURE, 8);
    uint8_t* ihdr = put_u32(put_u32(file + 16, (uint32_t)width), (uint32_t)height);
    const uint8_t tail[5] = {8, 2, 0, 0, 0};  // depth 8, RGB, deflate, no filter set, no interlace
    memcpy(ihdr, tail, sizeof tail);
    finish_chunk(file + 8, "IHDR", 13);
    uint8_t* iend = finish_chunk(file + 33, "IDAT", packed);
    finish_chunk(iend, "IEND", 0);
    *size = PNG_OVERHEAD + packed;
    return file;
}

int write_png_rgb(const char* path, const uint8_t* rgb, int width, int height) {
    size_t size = 0;
    uint8_t* file = encode_png_rgb(rgb, width, height, &size);
    if (!file) return 0;
    int ok = write_file_atomic(path, file, size);
    free(file);
    return ok;
}

uint8_t* frame_to_rgb(const uint32_t* frame, int width, int height, int rotation, int* out_w, int* out_h) {
    if (!frame || width <= 0 || height <= 0) return nullptr;
    int r = rotation & 3;
    int ow = r & 1 ? height : width, oh = r & 1 ? width : height;
    size_t bytes = (size_t)ow * (size_t)oh * 3;
    uint8_t* out = (uint8_t*)malloc(bytes);
    if (!out) return nullptr;
    // One pass over the output, so that the writes are bounded by its size.
    for (size_t k = 0, n = 0; k + 3 <= bytes; k += 3, n++) {
        int i = (int)(n / (size_t)ow), j = (int)(n % (size_t)ow);
        int x, y;
        switch (r) {
        case 1: x = i, y = height - 1 - j; break;
        case 2: x = width - 1 - j, y = height - 1 - i; break;
        case 3: x = width - 1 - i, y = j; break;
        default: x = j, y = i; break;
        }
        uint32_t s = frame[(size_t)y * width + x];
        out[k] = (uint8_t)(s >> 16);
        out[k + 1] = (uint8_t)(s >> 8);
        out[k + 2] = (uint8_t)s;
    }
    *out_w = ow;
    *out_h = oh;
    return out;
}

void screenshot_file_name(char* out, size_t out_size, const struct tm* local, uint64_t frame_counter) {
    char stamp[64];
    if (strftime(stamp, sizeof stamp, "shot-%Y%m%d-%H%M%S", local) == 0) stamp[0] = '\0';
    snprintf(out, out_size, "%s-%03u.png", stamp, (unsigned)(frame_counter % 1000));
}

void take_screenshot() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char name[80];
    screenshot_file_name(name, sizeof name, &local, fe.frame_counter);
    char path[FE_PATH_SIZE];
    int fits = join_path(path, sizeof path, fe.screenshots_dir, name);

    int w = 0, h = 0;
    uint8_t* rgb = frame_to_rgb(fe.raw_frame, (int)fe.adapter.width, (int)fe.adapter.height, fe.settings.rotation,
                                &w, &h);
    if (!rgb) return;
    // A path that does not fit is a failure, never a write under a cut name.
    int ok = fits && write_png_rgb(path, rgb, w, h);
    free(rgb);
    if (ok) show_toast("Screenshot saved: %s", name);
    else show_toast("Screenshot failed: %s", path);
}

int write_exit_screenshot(const char* path) {
    int w = 0, h = 0;
    uint8_t* rgb = frame_to_rgb(fe.raw_frame, (int)fe.adapter.width, (int)fe.adapter.height, 0, &w, &h);
    int ok = rgb && write_png_rgb(path, rgb, w, h);
    free(rgb);
    if (!ok) log_line("could not write screenshot %s", path);
    return ok;
}
