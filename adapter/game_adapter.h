// The game adapter descriptor: everything the generic frontend knows about a
// game. One constant record per game with its names, picture geometry,
// timing, audio rate, the tables of inputs, DIP switches and gadgets, and
// the operations through which the frontend drives the emulated board. An
// empty operation slot marks its feature as unsupported.
//
// Operations that can fail write one English sentence into (err, errlen) and
// return 0; they return 1 on success. run_frame is the exception: 0 after a
// normal frame, 1 (with its sentence) when the game's program has stopped.
#pragma once

#include <cstddef>
#include <cstdint>

// One game input: a bit of the 32-bit input word sent before every frame.
struct AdapterInput {
    const char* key;       // settings key
    const char* label;     // text shown in menus
    uint32_t player;       // 1 or 2; 0 = tied to no player
    uint32_t mask;         // the bit in the input word
    int32_t key1;          // default keyboard key (SDL scancode), -1 none
    int32_t key2;          // second default key, -1 none
    int32_t pad;           // default controller button, -1 none
    int32_t pulse_frames;  // 0 = level; N = each press gives exactly N frames
};

struct AdapterDipChoice {
    const char* label;
    uint32_t value;  // compared (low 16 bits) with the word masked by the switch's mask
};

constexpr int ADAPTER_MAX_DIP_CHOICES = 20;

// One cabinet DIP switch: some bits of one 16-bit DIP word.
struct AdapterDipSwitch {
    const char* key;
    const char* label;
    int32_t dsw_index;  // which DIP word
    uint16_t mask;
    uint16_t default_value;
    int32_t choice_count;
    AdapterDipChoice choices[ADAPTER_MAX_DIP_CHOICES];
};

// One extra on-screen text gadget. The text function fills a 96-byte buffer
// and returns non-zero to show the gadget in this pass, 0 to skip it.
struct AdapterGadget {
    const char* key;
    const char* label;
    int (*text)(char* out, size_t out_size);
};

struct GameAdapter {
    const char* id;
    const char* title;
    const char* subtitle;
    const char* about_text;
    const char* rom_archive_name;
    uint32_t width;
    uint32_t height;
    double display_aspect;
    uint32_t rotation;  // quarter turns
    double fps;
    double audio_rate;  // Hz of the samples run_frame delivers
    uint32_t max_audio_frames;
    uint32_t dsw_count;
    uint32_t players;
    const AdapterInput* inputs;
    int32_t input_count;
    const AdapterDipSwitch* dips;
    int32_t dip_count;
    const AdapterGadget* gadgets;
    int32_t gadget_count;  // negative also hides built-in gadgets

    int (*validate_rom)(const char* archive, char* err, size_t errlen);
    int (*load)(const char* archive, char* err, size_t errlen);
    void (*unload)();
    void (*reset)();
    void (*set_dip_switches)(const uint16_t* words);
    void (*set_inputs)(uint32_t word);
    // audio: room for max_audio_frames interleaved stereo s16 frames.
    int (*run_frame)(int16_t* audio, int* frames, char* err, size_t errlen);
    void (*get_frame_rgb555)(uint16_t* out);
    void (*get_frame_xrgb8888)(uint32_t* out);
    void* (*save_snapshot)(size_t* size);
    int (*check_snapshot)(const void* data, size_t size, char* err, size_t errlen);
    int (*load_snapshot)(const void* data, size_t size, char* err, size_t errlen);
    uint32_t (*rom_fingerprint)();
    const char* version;
    size_t (*save_nvram)(void* dst, size_t capacity);
    int (*load_nvram)(const void* src, size_t size);
    int (*nvram_dirty)();
    const char* profile_id;  // null: the frontend uses id
};
