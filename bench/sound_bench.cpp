// Sound chip worst case: all eight voices playing (ADPCM, 8-bit and 16-bit
// PCM, high frequencies, looping) for whole frames of sound, rendered in the
// per-scanline calls the frame runner makes. Prints microseconds per frame.

#include "board/ymz280b.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

void reg(BoardState* b, u8 r, u8 d) {
    ymz_write(b, 0, r);
    ymz_write(b, 1, d);
}

void start_voices(BoardState* b) {
    ymz_reset(&b->ymz);
    reg(b, 0xFF, 0x80);
    for (int v = 0; v < 8; ++v) {
        // Byte addresses: start, loop start, loop end, end; 64 KiB apart.
        u32 base = static_cast<u32>(v) << 16;
        const u32 a[4] = {base, base + 0x100, base + 0xF000, base + 0xFF00};
        for (int k = 0; k < 4; ++k) {
            reg(b, static_cast<u8>(0x20 | v << 2 | k), static_cast<u8>(a[k] >> 16));
            reg(b, static_cast<u8>(0x40 | v << 2 | k), static_cast<u8>(a[k] >> 8));
            reg(b, static_cast<u8>(0x60 | v << 2 | k), static_cast<u8>(a[k]));
        }
        int mode = 1 + v % 3;
        u16 fn = static_cast<u16>(0x1FF - v * 7);
        reg(b, static_cast<u8>(v * 4), static_cast<u8>(fn));
        reg(b, static_cast<u8>(v * 4 + 2), 0xFF);
        reg(b, static_cast<u8>(v * 4 + 3), static_cast<u8>(v * 2));
        reg(b, static_cast<u8>(v * 4 + 1), static_cast<u8>(0x90 | mode << 5 | fn >> 8));
    }
}

}  // namespace

int main() {
    auto* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    std::vector<u8> rom(SAMPLE_ROM_SIZE);
    std::mt19937 rng(7);
    for (u8& x : rom) x = static_cast<u8>(rng());
    b->sample_rom = rom.data();
    start_voices(b);

    static s32 left[2048];
    static s32 right[2048];
    const int frames = 2000;
    u32 fraction = 0;
    long long samples = 0;
    s64 checksum = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        int total = 0;
        for (int line = 0; line < 262; ++line) {
            fraction += 364335;
            int n = static_cast<int>(fraction >> 16);
            fraction &= 0xFFFF;
            if (n > 2048 - total) n = 2048 - total;
            if (n > 0) {
                ymz_render(b, left + total, right + total, n);
                total += n;
            }
        }
        checksum += left[f % total] + right[total - 1];
        samples += total;
    }
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
    int still_playing = 0;
    for (const Ymz280bVoice& v : b->ymz.voices) still_playing += v.playing;
    std::printf("sound: %d frames, %.1f samples/frame, %d voices playing at the end\n", frames,
                static_cast<double>(samples) / frames, still_playing);
    std::printf("sound: %.1f us per frame (checksum %lld)\n", us / frames, static_cast<long long>(checksum));
    std::free(b);
    return 0;
}
