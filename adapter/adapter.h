// The Talvex game adapter: the constant descriptor and the operations that
// bind the generic frontend to the one emulated board record the adapter
// owns. Every operation runs on the main thread.
#pragma once

#include <cstddef>

#include "adapter/game_adapter.h"
#include "board/board.h"

// The game's descriptor; the program entry hands its address to the frontend.
extern const GameAdapter talvex_adapter;

constexpr size_t ADAPTER_NVRAM_SIZE = 0x2000;
// The longest path the adapter takes (less its terminating NUL); a longer
// one is refused, never cut.
constexpr size_t ADAPTER_PATH_LIMIT = 4096;
constexpr size_t ADAPTER_BIOS_PATH_SIZE = ADAPTER_PATH_LIMIT + 16;  // room for find_bios_archive's result
constexpr u32 ADAPTER_MAX_AUDIO_FRAMES = 2048;

// Descriptor operations.
int adapter_validate_rom(const char* archive, char* err, size_t errlen);
int adapter_load(const char* archive, char* err, size_t errlen);
void adapter_unload();
void adapter_reset();
void adapter_set_dip_switches(const u16* words);
void adapter_set_inputs(u32 word);
int adapter_run_frame(s16* audio, int* frames, char* err, size_t errlen);
void adapter_get_frame_xrgb8888(u32* out);
void* adapter_save_snapshot(size_t* size);
int adapter_check_snapshot(const void* data, size_t size, char* err, size_t errlen);
int adapter_load_snapshot(const void* data, size_t size, char* err, size_t errlen);
u32 adapter_rom_fingerprint();
size_t adapter_save_nvram(void* dst, size_t capacity);
int adapter_load_nvram(const void* src, size_t size);
int adapter_nvram_dirty();

// The BIOS archive to use for a game archive: the "--bios" override, else
// the VOXA_BIOS environment variable, else "voxa.zip" (or "VOXA.zip",
// "VOXA.ZIP") in the game archive's folder. out has room for
// ADAPTER_BIOS_PATH_SIZE bytes. Null when none is found.
const char* find_bios_archive(const char* archive, char* out);

// The "--bios" override ("" = none).
void adapter_set_bios_override(const char* path);
const char* adapter_bios_override();

// Takes every "--bios PATH" pair out of the command line (the last one wins
// as the override) and closes the gap, keeping the other arguments in order
// and argv[*argc] null. A "--bios" with nothing after it stays.
void adapter_take_bios_argument(int* argc, char** argv);

// The end of the program: frees the ROM buffers if a game is still loaded,
// then the board record.
void adapter_shutdown();

// The board record (null before the first load) and the DIP byte, for the
// program's own diagnostics, benchmarks and tests.
BoardState* adapter_board();
u8 adapter_dip_byte();
