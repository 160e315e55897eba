// A small fake game for the frontend's own tests: a descriptor with every
// operation, driven by a few lines of state instead of the emulated board.
// Its picture is a known pattern that changes with the frame count, its
// sound a known square wave, its snapshot a small self-describing record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adapter/game_adapter.h"

constexpr int FAKE_WIDTH = 320;
constexpr int FAKE_HEIGHT = 240;
constexpr double FAKE_AUDIO_RATE = 48000.0;
constexpr int FAKE_AUDIO_FRAMES = 805;  // per frame, close to 48000 / 59.6
constexpr int FAKE_NVRAM_SIZE = 8192;
constexpr int16_t FAKE_TONE_LEVEL = 8000;
constexpr int FAKE_TONE_PERIOD = 48;  // frames of one square-wave period: 1 kHz at 48 kHz

// The fake game's whole state, open to tests.
struct FakeGame {
    int loaded;
    uint64_t frames_run;       // since the last reset
    uint32_t inputs;           // last word from set_inputs
    std::vector<uint32_t> input_log;  // the word of every frame run
    uint16_t dsw[4];
    int resets;
    int stop_at_frame;         // run_frame reports a CPU stop at this frame (0 never)
    uint8_t nvram[FAKE_NVRAM_SIZE];
    uint8_t nvram_shadow[FAKE_NVRAM_SIZE];
    uint32_t fingerprint;      // of the loaded "ROM" (its file's first word)
    int audio_frames;          // frames of sound per run_frame
    int refuse_snapshots;      // check/load_snapshot refuse with "fake refusal"
};
extern FakeGame fake_game;

// The descriptor, freshly set up: every operation present.
GameAdapter fake_adapter();
// Back to power-on: nothing loaded, no frames, default sound.
void fake_game_reset_all();

// The picture pixel (x, y) after `frames` frames since reset.
uint32_t fake_pixel(uint64_t frames, int x, int y);

// Writes a ROM archive the fake game accepts: any file that begins with
// "FAKEROM!" followed by a 32-bit fingerprint. Others are refused with
// "not a fake ROM".
void write_fake_rom(const std::string& path, uint32_t fingerprint);
