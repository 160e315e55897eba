// Sound chip: register ports, status, the three sample formats, loops, key handling, interpolation, pan and the
// behaviour on untrusted voice fields.
#include "board/ymz280b.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

enum { ADPCM = 1, PCM8 = 2, PCM16 = 3 };
using Samples = std::vector<s32>;

struct YmzTest : ::testing::Test {
    BoardState* b = static_cast<BoardState*>(std::calloc(1, sizeof(BoardState)));
    std::vector<u8> rom = std::vector<u8>(SAMPLE_ROM_SIZE, 0);
    YmzTest() {
        b->sample_rom = rom.data();
        ymz_reset(&b->ymz);
    }
    ~YmzTest() override { std::free(b); }
    void reg(int r, int d) { ymz_write(b, 0, u8(r)), ymz_write(b, 1, u8(d)); }
    // Byte addresses, as the program writes them.
    void addresses(int v, u32 start, u32 end, u32 loop_start = 0, u32 loop_end = 0) {
        const u32 a[4] = {start, loop_start, loop_end, end};
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 3; ++i) reg(0x20 * (i + 1) | v << 2 | k, a[k] >> (16 - 8 * i));
    }
    void key_on(int v, int mode, int fn, int level = 1, int pan = 8, bool loop = false) {
        reg(v * 4, fn);
        reg(v * 4 + 2, level);
        reg(v * 4 + 3, pan);
        reg(v * 4 + 1, 0x80 | mode << 5 | (loop ? 0x10 : 0) | fn >> 8);
    }
    // A voice that plays bytes once from a fresh start with key enable on.
    void play(int v, int mode, u32 at, std::initializer_list<u8> bytes, int fn = 511, int level = 1, int pan = 8) {
        std::copy(bytes.begin(), bytes.end(), &rom[at]);
        reg(0xFF, 0x80);
        addresses(v, at, at + u32(bytes.size()));
        key_on(v, mode, fn, level, pan);
    }
    // Renders n outputs in calls of `chunk`; returns the left channel.
    Samples render(int n, int chunk = 0, Samples* right = nullptr) {
        Samples l(n), r(n);
        if (chunk <= 0) chunk = n;
        for (int i = 0; i < n; i += chunk) ymz_render(b, &l[i], &r[i], std::min(chunk, n - i));
        if (right) *right = r;
        return l;
    }
    Ymz280bVoice& voice(int v) { return b->ymz.voices[v]; }
};

// With increment 512 and gain 1 every output is one source sample, a sample late (output 0 is the previous sample, 0
// after reset).
TEST_F(YmzTest, PcmFormatsDecodeSignedEightBitAndLittleEndianSixteenBit) {
    play(0, PCM8, 0x100, {0x80, 0x7F, 0x01, 0xFF});
    EXPECT_EQ(render(5), (Samples{0, -32768, 32512, 256, -256}));
    voice(0).playing = 0, voice(0).prev = voice(0).cur = 0;
    play(1, PCM16, 0x200, {0x34, 0x12, 0x00, 0x80, 0xFF, 0x7F});
    EXPECT_EQ(render(4), (Samples{0, 0x1234, -32768, 32767}));
    reg(0x04, 0x10);  // the low byte of fn keeps bit 8
    EXPECT_EQ(voice(1).increment, 0x111);
    voice(1).playing = 0, voice(1).prev = voice(1).cur = 0;
    rom[0x10] = 0x55;  // sample memory repeats above 4 MiB
    addresses(3, 0x400010, 0x400011);
    key_on(3, PCM8, 511);
    EXPECT_EQ(render(2)[1], 0x5500);
}

TEST_F(YmzTest, AdpcmReadsHighNibbleFirstAndDividesTowardZero) {
    // Nibble 0 gives +127/8 = 15, then nibble 8 gives -127/8 = -15, not -16.
    play(0, ADPCM, 0x10, {0x08, 0x80}, 0x1FF);
    EXPECT_EQ(voice(0).increment, 256);  // only the low 8 bits of fn count
    const Samples out = render(10);      // every second output sits on a sample
    EXPECT_EQ((Samples{out[2], out[4], out[6], out[8]}), (Samples{15, 0, -15, 0}));
}

TEST_F(YmzTest, AdpcmMatchesStandardEncoderFixtureSampleForSample) {
    std::ifstream fa(TEST_DATA_DIR "/adpcm_tone.bin", std::ios::binary);
    std::ifstream fp(TEST_DATA_DIR "/adpcm_tone.pcm", std::ios::binary);
    const std::vector<u8> adpcm((std::istreambuf_iterator<char>(fa)), {});
    const std::vector<u8> pcm((std::istreambuf_iterator<char>(fp)), {});
    ASSERT_EQ(adpcm.size(), 2048u);
    ASSERT_EQ(pcm.size(), adpcm.size() * 4);
    std::memcpy(&rom[0x3000], adpcm.data(), adpcm.size());
    reg(0xFF, 0x80);
    addresses(0, 0x3000, 0x3000 + static_cast<u32>(adpcm.size()));
    key_on(0, ADPCM, 255);
    const size_t samples = adpcm.size() * 2;
    const Samples out = render(static_cast<int>(2 * samples + 2), 6);  // increment 256: every second output
    for (size_t i = 0; i < samples; ++i)
        ASSERT_EQ(out[2 * (i + 1)], s16(pcm[2 * i] | pcm[2 * i + 1] << 8)) << "sample " << i;
}

TEST_F(YmzTest, EndFadesToTheEndOfTheCallAndFlagsStatusUntilRead) {
    play(2, PCM16, 0x40, {0x18, 0xFC});  // -1000: the fade truncates the magnitude
    EXPECT_EQ(render(5), (Samples{0, -1000, -937, -878, -823}));
    EXPECT_EQ(voice(2).playing, 0);
    b->ymz.status = 0x40;
    EXPECT_EQ((Samples{ymz_read(b, 1), ymz_read(b, 1)}), (Samples{0x44, 0}));
    // Stopped, it glides from its last samples into zeros, then parks.
    EXPECT_EQ(render(3), (Samples{-771, -722, 0}));
    EXPECT_EQ(render(1)[0], 0);
    EXPECT_EQ(voice(2).position, 512);
    // A long call keeps fading after 2,048 outputs: increment 1 spreads -1000, -937, -878, -823, -771, -722 over 512
    // outputs each.
    ymz_reset(&b->ymz);
    play(2, PCM16, 0x40, {0x18, 0xFC}, 0);
    EXPECT_EQ(render(3072)[2560 + 256], (256 * -771 + 256 * -722) >> 9);
    EXPECT_EQ(voice(2).end_flag, 1);
}

TEST_F(YmzTest, AdpcmLoopSavesStateAfterTheAddressStepAndRepeatsExactly) {
    rom[0x20] = 0x12, rom[0x21] = 0x34, rom[0x22] = 0x77;
    reg(0xFF, 0x80);
    addresses(0, 0x20, 0x30, 0x21, 0x22);  // nibbles: start 0x40, loop 0x42 to 0x44
    key_on(0, ADPCM, 255, 1, 8, true);
    const Samples out = render(22, 5);  // loops across render calls too
    EXPECT_NE(out[6], out[8]);
    for (int k = 10; k <= 18; k += 4) EXPECT_EQ((Samples{out[k], out[k + 2]}), (Samples{out[6], out[8]})) << k;
    EXPECT_EQ(voice(0).loop_count, 5u);
    // PCM: the loop is taken once the address passes an odd nibble end, which PCM8's steps of two never equal.
    rom[0x50] = 0x10, rom[0x51] = 0x20;
    addresses(1, 0x50, 0x100, 0x50, 0x51);
    voice(1).loop_end |= 1;
    key_on(1, PCM8, 511, 1, 8, true);
    voice(0).playing = 0, voice(0).prev = voice(0).cur = 0;
    EXPECT_EQ(render(6), (Samples{0, 0x1000, 0x2000, 0x1000, 0x2000, 0x1000}));
}

// The end address is the first nibble not played: a voice ending two bytes on plays exactly four ADPCM samples, then
// fades.
TEST_F(YmzTest, AdpcmEndsExactlyAtTheEndNibble) {
    rom[0x82] = 0x00;  // a fifth nibble would add +15
    play(0, ADPCM, 0x80, {0x11, 0x11}, 0xFF);
    const Samples out = render(12);  // increment 256: every second output sits on a sample
    EXPECT_EQ((Samples{out[2], out[4], out[6], out[8], out[10]}), (Samples{47, 94, 141, 188, 176}));
    EXPECT_EQ(voice(0).addr, 0x104u);
    EXPECT_EQ(voice(0).end_flag, 1);
}

// A voice that starts beyond its loop end is past it after its first sample and loops at once, with the decoder state
// saved at the loop start (none yet: the fresh state).
TEST_F(YmzTest, AdpcmLoopIsTakenPastTheLoopEnd) {
    rom[0x10] = 0x77;  // the loop's nibbles
    rom[0x20] = 0x11;  // the start's
    reg(0xFF, 0x80);
    addresses(0, 0x20, 0x40, 0x10, 0x18);  // nibbles: start 0x40, loop 0x20 to 0x30
    key_on(0, ADPCM, 0xFF, 1, 8, true);
    const Samples out = render(8);
    EXPECT_EQ((Samples{out[2], out[4], out[6]}), (Samples{47, 238, 808}));
    EXPECT_EQ(voice(0).loop_count, 1u);
    EXPECT_LT(voice(0).addr, 0x30u);  // still inside the loop
}

TEST_F(YmzTest, KeyHandlingFollowsKeyEnableAndKeepsInterpolationState) {
    std::memset(rom.data(), 0x30, 0x10);
    addresses(0, 0x60, 0x80, 0x60, 0x70);
    key_on(0, PCM8, 255, 1, 8, true);  // key enable still off
    key_on(1, PCM8, 255);
    EXPECT_EQ(voice(0).key, 1);
    EXPECT_EQ(voice(0).playing, 0);
    reg(0xFF, 0x80);  // held looping voices go on from their current address
    EXPECT_EQ(voice(0).playing, 1);
    EXPECT_EQ(voice(1).playing, 0);
    EXPECT_EQ(render(7)[2], 0x3000);
    u32 addr = voice(0).addr;
    key_on(0, PCM8, 255, 1, 8, true);  // second key on: no restart
    EXPECT_EQ(voice(0).addr, addr);
    // Mode bits 0 count as key off and leave the mode alone.
    reg(0x01, 0x80);
    EXPECT_EQ(voice(0).playing, 0);
    EXPECT_EQ(voice(0).mode, PCM8);
    Ymz280bVoice held = voice(0);
    key_on(0, PCM8, 255, 1, 8, true);
    EXPECT_EQ(voice(0).addr, 0xC0u);
    EXPECT_EQ((Samples{voice(0).position, voice(0).prev, voice(0).cur}), (Samples{held.position, held.prev, held.cur}));
    reg(0xFF, 0x00);  // key enable off stops everything
    EXPECT_EQ(voice(0).playing, 0);
}

TEST_F(YmzTest, IncrementInterpolatesBetweenSamplesWithArithmeticShift) {
    // -1000, -1, 3000 at increment 256: one source sample per two outputs.
    const u8 pcm[] = {0x18, 0xFC, 0xFF, 0xFF, 0xB8, 0x0B};
    std::memcpy(&rom[0x90], pcm, sizeof pcm);
    reg(0xFF, 0x80);
    addresses(0, 0x90, 0x100);
    key_on(0, PCM16, 255);
    EXPECT_EQ(render(8, 3), (Samples{0, -500, -1000, -501, -1, 1499, 3000, 1500}));
    EXPECT_EQ(voice(0).addr, 0x120u + 4 * 5);
}

TEST_F(YmzTest, PanAndLevelSetTheGainsWithPanZeroLikePanOne) {
    const int right_for_pan[16] = {0, 0, 36, 72, 109, 145, 182, 218, 255, 255, 255, 255, 255, 255, 255, 255};
    const int left_for_pan[16] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 218, 182, 145, 109, 72, 36, 0};
    for (int pan = 0; pan < 16; ++pan) {
        reg(0x02, 255);
        reg(0x03, 0xF0 | pan);
        EXPECT_EQ(voice(0).gain_left, left_for_pan[pan]) << pan;
        EXPECT_EQ(voice(0).gain_right, right_for_pan[pan]) << pan;
    }
    play(0, PCM8, 0xA0, {0x7F}, 511, 255, 12);
    Samples right;
    EXPECT_EQ(render(2, 0, &right)[1], 32512 * 109);
    EXPECT_EQ(right[1], 32512 * 255);
}

TEST_F(YmzTest, OutputConversionTruncatesTowardZeroAndClamps) {
    const s32 cases[][2] = {{-511, 0},           {511, 0},          {-512, -1},         {-1023, -1},
                            {-16777216, -32768}, {16777215, 32767}, {0x1000000, 32767}, {INT32_MIN, -32768}};
    for (const auto& c : cases) EXPECT_EQ(ymz_output_sample(c[0]), c[1]) << c[0];
}

TEST_F(YmzTest, ExternalMemoryPortReadsThroughTheLatch) {
    rom[0x123456] = 0xAB, rom[0x123457] = 0xCD;
    reg(0x84, 0x12), reg(0x85, 0x34), reg(0x86, 0x56);
    EXPECT_EQ(ymz_read(b, 0), 0xFF);  // memory access disabled
    EXPECT_EQ(b->ymz.ext_addr, 0x123456u);
    reg(0xFF, 0x40);
    reg(0x86, 0x56);
    EXPECT_EQ((Samples{ymz_read(b, 0), ymz_read(b, 0), ymz_read(b, 0)}), (Samples{0xAB, 0xAB, 0xCD}));  // one read late
    reg(0x84, 0xFF), reg(0x85, 0xFF), reg(0x86, 0xFF);
    reg(0x87, 0x00);  // a data write only steps the address, wrapping at 24 bits
    EXPECT_EQ(b->ymz.ext_addr, 0u);
    reg(0xFE, 0x5A);
    reg(0x90, 0x11);  // unused register
    EXPECT_EQ(b->ymz.irq_mask, 0x5A);
}

TEST_F(YmzTest, UnknownModeRendersSilence) {
    std::memset(rom.data(), 0x7F, 0x1000);
    voice(1).playing = 1, voice(1).mode = 7, voice(1).end = 0x2000;
    voice(1).gain_left = voice(1).gain_right = 255;
    Samples right;
    EXPECT_EQ(render(64, 0, &right), Samples(64, 0));
    EXPECT_EQ(right, Samples(64, 0));
}

// Voice fields come from snapshots; none may make the renderer misbehave, and a voice never sees what another voice
// left in the shared decode buffer.
TEST_F(YmzTest, GarbageVoiceFieldsRenderSafelyAndIndependently) {
    std::mt19937 rng(1234);
    for (u8& x : rom) x = static_cast<u8>(rng());
    auto* bytes = reinterpret_cast<u8*>(b->ymz.voices);
    for (int round = 0; round < 200; ++round) {
        for (size_t i = 0; i < sizeof b->ymz.voices; ++i) bytes[i] = static_cast<u8>(rng());
        // Now and then a call longer than one decode pass serves.
        const int count = 1 + static_cast<int>(rng() % (round % 10 == 0 ? 25000 : 3000));
        for (s32 x : render(count)) ASSERT_LE(std::abs(x), 8 * 32768 * 255);
        // Voice 7 plays the same garbage twice, after silent neighbours that decode different data.
        Ymz280bVoice probe = voice(7);
        probe.playing = 1, probe.mode = u8(1 + round % 4), probe.gain_left = 1 + s32(rng() % 255);
        Samples outs[2];
        for (int pass = 0; pass < 2; ++pass) {
            for (int v = 0; v < 7; ++v) {
                Ymz280bVoice& n = voice(v);
                n.gain_left = n.gain_right = 0, n.playing = 1, n.mode = u8(1 + (v + pass) % 3);
                n.addr = u32(rng()), n.end = 0xFFFFFFFF;
            }
            voice(7) = probe;
            outs[pass] = render(count);
        }
        ASSERT_EQ(outs[0], outs[1]) << "round " << round;
    }
}

TEST_F(YmzTest, ResetClearsEverythingAndParksTheVoices) {
    std::memset(&b->ymz, 0xA5, sizeof b->ymz);
    ymz_reset(&b->ymz);
    for (const Ymz280bVoice& v : b->ymz.voices) {
        EXPECT_EQ((Samples{v.position, v.increment, v.gain_left | v.gain_right | v.playing}), (Samples{512, 1, 0}));
        EXPECT_EQ(v.prev | v.cur | v.end_flag, 0);
    }
    EXPECT_EQ(b->ymz.key_enable | b->ymz.status | b->ymz.ext_addr, 0u);
}

}  // namespace
