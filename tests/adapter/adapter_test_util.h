// Shared helpers of the adapter tests: program paths, the standard sets
// they run, and a fixture that starts every test from a clean adapter.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "adapter/adapter.h"
#include "tests/support/synthetic_romset.h"

constexpr u32 TEST_PROGRAM_BASE = 0x00001000;
constexpr u32 TEST_STACK = 0x06100000;

inline std::string test_program(const char* name) { return std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin"; }

// A good set, with "voxa.zip" beside the game archive, booting the program.
inline const SynthSetPaths& program_set(const char* name) {
    return synth_standard_set(test_program(name).c_str(), TEST_PROGRAM_BASE, TEST_STACK);
}

// frame_loop with one word of the program ROM changed: another fingerprint.
// (Every member keeps its table CRC, so only the interleaved program ROM
// tells two synthetic sets apart.)
inline const SynthSetPaths& other_romset() {
    return synth_cached_set("frame_loop, other program ROM", [](SyntheticRomset* set) -> int {
        const u8 marker[4] = {0x12, 0x34, 0x56, 0x78};
        std::string program = test_program("frame_loop");
        synth_set_reset_vectors(set, TEST_PROGRAM_BASE, TEST_STACK);
        return synth_place_file(set, TEST_PROGRAM_BASE, program.c_str()) &&
               synth_place(set, 0x04100000, marker, sizeof marker);
    });
}

// Big-endian word of the board's work RAM, as the SH-2 reads it.
inline u32 work_word(u32 offset) {
    const u8* p = adapter_board()->work_ram + offset;
    return (u32)p[0] << 24 | (u32)p[1] << 16 | (u32)p[2] << 8 | p[3];
}

// One frame through the adapter, with its picture and sound.
struct FrameRecord {
    int result;
    int samples;
    std::vector<s16> audio;
    std::vector<u32> picture;
};

inline FrameRecord run_recorded_frame() {
    FrameRecord f;
    f.audio.assign(ADAPTER_MAX_AUDIO_FRAMES * 2, 0);
    f.picture.assign(320 * 240, 0);
    char err[256] = "";
    f.samples = -1;
    f.result = adapter_run_frame(f.audio.data(), &f.samples, err, sizeof err);
    f.audio.resize(f.samples > 0 ? (size_t)f.samples * 2 : 0);
    adapter_get_frame_xrgb8888(f.picture.data());
    return f;
}

class AdapterTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }

    static void clean() {
        adapter_shutdown();
        adapter_set_bios_override("");
        unsetenv("VOXA_BIOS");
        const u16 all_off = 0xFFFF;
        adapter_set_dip_switches(&all_off);
    }

    static void load_or_fail(const SynthSetPaths& set) {
        char err[512] = "";
        ASSERT_EQ(adapter_load(set.game_zip.c_str(), err, sizeof err), 1) << err;
    }
};
