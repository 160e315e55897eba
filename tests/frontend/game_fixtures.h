// Fixtures of the save-state, rewind and movie tests: the fake game loaded
// and running, or the real adapter running the frame_loop program on a
// synthetic ROM set with the bindings of the game's own input table.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "adapter/adapter.h"
#include "frontend/states.h"
#include "tests/frontend/pads_and_probes.h"
#include "tests/support/synthetic_romset.h"
#include "zipio/zip_io.h"

class FakeGameTest : public PadTest {
protected:
    void SetUp() override {
        PadTest::SetUp();
        if (HasFatalFailure()) return;
        load_fake_game_running();
        fe.feature_on[FEATURE_SAVE_STATES] = 1;
    }

    static std::vector<uint8_t> bytes_of(const std::string& path) {
        std::vector<uint8_t> out;
        synth_read_file(path.c_str(), &out);
        return out;
    }

    static void write_bytes(const std::string& path, const std::vector<uint8_t>& data) {
        ASSERT_EQ(synth_write_file(path.c_str(), data.data(), data.size()), 1) << path;
    }

    static std::vector<uint8_t> container() {
        size_t size = 0;
        uint8_t* c = build_state_container(&size);
        EXPECT_NE(c, nullptr);
        std::vector<uint8_t> out(c, c + size);
        free(c);
        return out;
    }

    // The checksum made right again after a deliberate change.
    static void reseal(std::vector<uint8_t>& c) {
        put_le32(c.data() + c.size() - 4, zipio_crc32(0, c.data(), c.size() - 4));
    }

    // The checker's message, or "ok".
    static std::string parse_result(const std::vector<uint8_t>& c) {
        char err[160] = "";
        uint32_t length = 0;
        return parse_state_container(c.data(), c.size(), nullptr, &length, err, sizeof err) ? "ok" : err;
    }

    static std::string slot_file(int slot) {
        char path[FE_PATH_SIZE];
        EXPECT_EQ(build_slot_path(slot, path), 1);
        return path;
    }
};

class TalvexGameTest : public FakeGameTest {
protected:
    void SetUp() override {
        FakeGameTest::SetUp();
        if (HasFatalFailure()) return;
        fe.adapter = talvex_adapter;
        set_default_bindings();
        std::string program = std::string(TEST_PROGRAM_DIR) + "/frame_loop.bin";
        const SynthSetPaths& set = synth_standard_set(program.c_str(), 0x00001000, 0x06100000);
        char err[512] = "";
        ASSERT_EQ(fe.adapter.load(set.game_zip.c_str(), err, sizeof err), 1) << err;
    }

    void TearDown() override {
        FakeGameTest::TearDown();
        adapter_shutdown();
    }

    static std::vector<uint32_t> picture() {
        std::vector<uint32_t> out(320 * 240);
        adapter_get_frame_xrgb8888(out.data());
        return out;
    }

    static std::vector<uint32_t> raw_frame() { return std::vector<uint32_t>(fe.raw_frame, fe.raw_frame + 320 * 240); }

    // Big-endian word of the board's work RAM, as the game's program wrote it.
    static uint32_t work_word(uint32_t offset) {
        const uint8_t* p = adapter_board()->work_ram + offset;
        return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
    }
};
