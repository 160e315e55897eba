// The frontend's test fixture: the frontend's record set up as start-up
// would leave it, over SDL's dummy video driver with a software renderer
// (whose pixels the tests read back) and the fake game's descriptor, with a
// fresh data folder in the temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "tests/frontend/support/fake_adapter.h"

constexpr int TEST_OUTPUT_W = 1280;
constexpr int TEST_OUTPUT_H = 960;

class FrontendTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The audio driver SDL is started with ("dummy" unless a test sets
    // another before SetUp, e.g. "disk").
    std::string audio_driver = "dummy";
    std::string dir;  // the data folder, without a trailing '/'

    // A fake ROM archive in the data folder, its path.
    std::string make_fake_rom(const char* name = "fake.zip", uint32_t fingerprint = 0x12345678);
    // Loads the fake game directly through the descriptor (no frontend
    // operation involved) and marks it as loaded and running.
    void load_fake_game_running();

    // The renderer's pixels (ARGB8888) of a rectangle, after drawing.
    std::vector<uint32_t> read_pixels(int x, int y, int w, int h);
    uint32_t pixel_at(int x, int y);
    void clear_output(uint8_t r = 0, uint8_t g = 0, uint8_t b = 0);

    // The lines of frontend.log (empty when it does not exist), without
    // their "[HH:MM:SS] " time stamps.
    std::vector<std::string> log_messages();
    std::string read_text(const std::string& path);
};
