// The adapter's operations driving a real program through whole frames:
// loading and unloading, frames and samples, the CPU stop, DIP switches,
// inputs and NVRAM.
#include <cstdio>
#include <cstring>

#include "tests/adapter/adapter_test_util.h"

namespace {

constexpr u32 INPUT_P1_SHOT = 0x10;
constexpr u32 INPUT_TEST = 0x200000;

}  // namespace

using AdapterOperations = AdapterTest;

TEST_F(AdapterOperations, LoadAndResetRunTheProgramFromReset) {
    load_or_fail(program_set("frame_loop"));
    EXPECT_EQ(adapter_board()->region, 'U');
    FrameRecord first = run_recorded_frame();
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.samples, 1334) << "240 lines after a reset";
    EXPECT_GT(work_word(8), 1000u) << "the main loop should have run";
    FrameRecord a = run_recorded_frame(), b = run_recorded_frame();
    EXPECT_TRUE(b.samples == 1456 || b.samples == 1457) << b.samples;
    EXPECT_NE(b.audio, std::vector<s16>(b.audio.size(), 0)) << "voice 0 loops over the sample ROM";
    EXPECT_EQ(work_word(12), 2u) << "one level-5 interrupt per frame after the first";
    // The program paints the whole picture with a colour from the frame count.
    EXPECT_NE(a.picture[0], b.picture[0]);
    EXPECT_EQ(b.picture[0], b.picture[320 * 240 - 1]);
    EXPECT_EQ(b.picture[0] & 0xFF000000u, 0u);

    adapter_reset();
    EXPECT_EQ(work_word(12), 0u);
    int samples = -1;
    char err[64] = "";
    EXPECT_EQ(adapter_run_frame(nullptr, &samples, err, sizeof err), 0) << "no audio buffer";
    EXPECT_EQ(samples, 1334);
}

TEST_F(AdapterOperations, StoppedProgramIsReportedWordForWord) {
    load_or_fail(program_set("stop_after_wait"));
    char err[256] = "";
    int result = 0, frames = 0;
    s16 audio[ADAPTER_MAX_AUDIO_FRAMES * 2];
    for (; frames < 40 && result == 0; frames++) {
        int samples = 0;
        result = adapter_run_frame(audio, &samples, err, sizeof err);
    }
    ASSERT_EQ(result, 1);
    EXPECT_GE(frames, 3) << "the program waits several frames before it jumps";
    u32 jump = work_word(0x10);
    EXPECT_GT(jump, TEST_PROGRAM_BASE) << "the program records where it jumps";
    char expected[128];
    snprintf(expected, sizeof expected,
             "The SH-2 program stopped at address %08X (an instruction the runtime cannot execute).", jump);
    EXPECT_STREQ(err, expected);
    EXPECT_EQ(adapter_board()->cpu.pc, jump) << "the board keeps the failing instruction";

    // A short buffer gets the sentence cut, never overrun.
    char small[10];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(adapter_run_frame(nullptr, nullptr, small, sizeof small), 1);
    EXPECT_STREQ(small, "The SH-2 ");
}

TEST_F(AdapterOperations, LoadsUnloadsAndFingerprints) {
    // After a good load, a failed one leaves no game loaded.
    char err[512] = "";
    load_or_fail(program_set("frame_loop"));
    const u32 first = adapter_rom_fingerprint();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(adapter_load("/nonexistent/talvex.zip", err, sizeof err), 0);
    EXPECT_EQ(adapter_board(), nullptr);
    EXPECT_EQ(board_current(), nullptr) << "the freed record must not stay current";
    // With nothing loaded every operation is harmless.
    adapter_set_inputs(0);  // the menu clears the inputs before any load
    adapter_unload();
    EXPECT_EQ(adapter_rom_fingerprint(), 0u);
    u8 buf[ADAPTER_NVRAM_SIZE];
    EXPECT_EQ(adapter_save_nvram(buf, sizeof buf), 0u);
    EXPECT_EQ(adapter_load_nvram(buf, sizeof buf), 0);
    EXPECT_EQ(adapter_nvram_dirty(), 0);
    size_t size = 1;
    EXPECT_EQ(adapter_save_snapshot(&size), nullptr);
    EXPECT_EQ(size, 0u);

    // The next load starts from a fresh record; the same set has the same
    // fingerprint, another set another one.
    load_or_fail(other_romset());
    EXPECT_EQ(run_recorded_frame().samples, 1334);
    EXPECT_NE(adapter_rom_fingerprint(), first);
    load_or_fail(program_set("frame_loop"));
    EXPECT_EQ(adapter_rom_fingerprint(), first);

    // Unloading frees the ROMs and keeps the record; twice is harmless.
    adapter_unload();
    ASSERT_NE(adapter_board(), nullptr);
    EXPECT_EQ(adapter_board()->program_rom, nullptr);
    EXPECT_EQ(adapter_board()->bios_rom, nullptr);
    EXPECT_EQ(adapter_rom_fingerprint(), 0u);
    adapter_unload();
    load_or_fail(program_set("frame_loop"));
    EXPECT_EQ(adapter_rom_fingerprint(), first);
}

// The program copies the DIP port to work RAM word 0 and the input port to
// word 4 every pass.
TEST_F(AdapterOperations, DipSwitchesAndInputsReachTheProgram) {
    const u16 zero = 0x0000;
    adapter_set_dip_switches(&zero);  // before the load: kept by the adapter
    EXPECT_EQ(adapter_dip_byte(), 0x01) << "bit 0 is forced on";
    load_or_fail(program_set("frame_loop"));
    run_recorded_frame();
    EXPECT_EQ(work_word(0), 0xFFFFFF01u);
    EXPECT_EQ(work_word(4), 0xFFFFFFFFu);

    const u16 high_only = 0xFF00;  // only the low byte counts
    adapter_set_dip_switches(&high_only);
    EXPECT_EQ(adapter_dip_byte(), 0x01);
    const u16 flip_on = 0xFFFD;  // takes effect at the next port read
    adapter_set_dip_switches(&flip_on);
    run_recorded_frame();
    EXPECT_EQ(work_word(0), 0xFFFFFFFDu);

    adapter_set_inputs(INPUT_P1_SHOT | 0x80);  // shot and start, active low
    run_recorded_frame();
    EXPECT_EQ(work_word(4), 0xFFFFFFFFu & ~(1u << 28) & ~(1u << 8));
    adapter_set_inputs(INPUT_TEST);  // clears bit 0 of the DIP port while held
    run_recorded_frame();
    EXPECT_EQ(work_word(0), 0xFFFFFFFCu);

    // The DIP byte survives a reset and another load.
    adapter_set_inputs(0);
    adapter_reset();
    run_recorded_frame();
    EXPECT_EQ(work_word(0), 0xFFFFFFFDu);
    load_or_fail(program_set("frame_loop"));
    run_recorded_frame();
    EXPECT_EQ(work_word(0), 0xFFFFFFFDu);
}

TEST_F(AdapterOperations, NvramSizesAreExactAndDirtyFollowsTheGame) {
    load_or_fail(program_set("frame_loop"));
    std::vector<u8> buf(ADAPTER_NVRAM_SIZE + 1, 0x5A);
    EXPECT_EQ(adapter_save_nvram(buf.data(), ADAPTER_NVRAM_SIZE - 1), 0u);
    EXPECT_EQ(buf[0], 0x5A) << "nothing copied on refusal";
    EXPECT_EQ(adapter_load_nvram(buf.data(), ADAPTER_NVRAM_SIZE + 1), 0);
    EXPECT_EQ(adapter_load_nvram(buf.data(), ADAPTER_NVRAM_SIZE - 1), 0);
    EXPECT_EQ(adapter_save_nvram(buf.data(), buf.size()), ADAPTER_NVRAM_SIZE);
    for (size_t i = 0; i < ADAPTER_NVRAM_SIZE; i++) ASSERT_EQ(buf[i], 0xFF) << "a fresh load fills with 0xFF";
    EXPECT_EQ(buf[ADAPTER_NVRAM_SIZE], 0x5A) << "no byte past the backup RAM";

    // Right after a load that restores nothing, backup RAM (all 0xFF)
    // differs from the shadow of an earlier load of other contents.
    std::vector<u8> pattern(ADAPTER_NVRAM_SIZE);
    for (size_t i = 0; i < pattern.size(); i++) pattern[i] = (u8)(i * 7);
    ASSERT_EQ(adapter_load_nvram(pattern.data(), pattern.size()), 1);
    load_or_fail(program_set("frame_loop"));
    EXPECT_EQ(adapter_nvram_dirty(), 1);
    ASSERT_EQ(adapter_save_nvram(buf.data(), buf.size()), ADAPTER_NVRAM_SIZE);
    EXPECT_EQ(adapter_nvram_dirty(), 0);

    // The program mirrors the input port into backup RAM: no inputs keep
    // writing 0xFFFFFFFF over 0xFF bytes, which changes nothing.
    run_recorded_frame();
    EXPECT_EQ(adapter_nvram_dirty(), 0);
    adapter_set_inputs(INPUT_P1_SHOT);
    run_recorded_frame();
    EXPECT_EQ(adapter_nvram_dirty(), 1);
    ASSERT_EQ(adapter_save_nvram(buf.data(), buf.size()), ADAPTER_NVRAM_SIZE);
    EXPECT_EQ(buf[0], 0xEF);
    EXPECT_EQ(adapter_nvram_dirty(), 0);

    ASSERT_EQ(adapter_load_nvram(pattern.data(), pattern.size()), 1);
    EXPECT_EQ(adapter_nvram_dirty(), 0);
    EXPECT_EQ(memcmp(adapter_board()->nvram, pattern.data(), ADAPTER_NVRAM_SIZE), 0);
    run_recorded_frame();  // the game writes its first word again
    EXPECT_EQ(adapter_nvram_dirty(), 1);
}
