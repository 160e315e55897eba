// The emulated Voxa Arcade System board, the one header the rest of the
// system uses: the board record (the CPU, the ROM images, every RAM and
// register file, the device states, the frame timers and a message buffer)
// and the operations on it: load and check a ROM set, reset, run a frame,
// copy the picture, save and load a core snapshot, and the ROM fingerprint.
// The devices' own headers are the board's business.
//
// The record holds no pointers besides the six ROM images. The core snapshot
// does not copy it as it lies: it saves the run state field by field in an
// order and byte layout of its own (chunks of CPU, on-chip peripherals, RAMs,
// backup RAM, video, HIT, sound and timing), and leaves out the ROM images,
// the input word, the region, the stop line, the idle-skip switch and the
// message.
#pragma once

#include <cstddef>

#include "sh2/sh2.h"

constexpr u32 BIOS_ROM_SIZE = 0x80000;
constexpr u32 PROGRAM_ROM_SIZE = 0x200000;
constexpr u32 SPRITE_ROM_SIZE = 0x800000;
constexpr u32 TILE_ROM_SIZE = 0x800000;
constexpr u32 SAMPLE_ROM_SIZE = 0x400000;

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;

// HIT collision calculator: 32 words. Inputs first, then the results, whose
// position copies and edges are interleaved axis by axis.
struct HitDevice {
    u16 words[32];
};

enum : int {
    HIT_POS1 = 0,       // [3] object 1 position, axes 1-3
    HIT_SIZE1 = 3,      // [3]
    HIT_POS2 = 6,       // [3]
    HIT_SIZE2 = 9,      // [3]
    HIT_MODE = 12,      // bits 0-1 object 1, bits 8-9 object 2
    HIT_POS1_OUT = 13,  // 13, 15, 17
    HIT_END1 = 14,      // 14, 16, 18
    HIT_POS2_OUT = 19,  // 19, 21, 23
    HIT_START2 = 20,    // 20, 22, 24
    HIT_DIFF = 25,      // [3]
    HIT_OVERLAP = 28,   // [3]
    HIT_FLAGS = 31,
};

struct Ymz280bVoice {
    u8 playing;
    u8 ended;
    u8 key;
    u8 loop;
    u8 mode;  // 1 ADPCM, 2 PCM8, 3 PCM16 (0 before the first write)
    u16 fn;   // 9-bit frequency number
    u8 level;
    u8 pan;
    u32 start;
    u32 end;
    u32 loop_start;
    u32 loop_end;
    u32 addr;  // next sample to decode
    s32 adpcm_signal;
    s32 adpcm_step;
    s32 loop_signal;
    s32 loop_step;
    u32 loop_count;
    s32 gain_left;
    s32 gain_right;
    s32 increment;  // 1-512
    s32 position;   // between prev and cur, in 1/512 steps
    s16 prev;
    s16 cur;
    u8 end_flag;
};

struct Ymz280bState {
    u8 selected;
    u8 status;
    u8 reserved;
    u8 irq_mask;
    u8 irq_enable;
    u8 key_enable;
    u8 mem_enable;
    u8 read_latch;
    u32 ext_addr_hi;
    u32 ext_addr_mid;
    u32 ext_addr;
    Ymz280bVoice voices[8];
};

// The 19 palette control bytes derived from the palette registers.
struct PaletteControl {
    u8 sprite_brightness_on;
    u8 tile_brightness_on;
    u8 sprite_bank_dirty;
    u8 tile_bank_dirty;
    u8 palette_regs_written;
    u8 sprite_factor_r;
    u8 sprite_factor_g;
    u8 sprite_factor_b;
    u8 blend_factor_b;
    u8 blend_factor_g;
    u8 blend_factor_r;
    u8 tile_factor_r;
    u8 tile_factor_g;
    u8 tile_factor_b;
    u8 tile_reg6_high;
    u8 tile_reg5_high;
    u8 tile_reg7_high;
    u8 tile_layers_on;
    u8 sprite_layer_on;
};

struct BoardState {
    Sh2State cpu;  // first, so a board pointer is also a CPU pointer

    u8* bios_rom;     // 512 KiB
    u8* program_rom;  // 2 MiB, the two program chips byte-interleaved
    u8* sprite_rom;   // 8 MiB
    u8* tile_rom_a;   // 8 MiB
    u8* tile_rom_b;   // 8 MiB; the first 256 KiB mirror char_ram
    u8* sample_rom;   // 4 MiB

    u8 work_ram[0x100000];
    u8 cache_ram[0x1000];
    u8 nvram[0x2000];
    // The video block, sprite_ram through char_ram, is cleared as one range.
    u8 sprite_ram[0x4000];
    u8 sprite_regs[64];
    u8 tilemap_regs[128];
    u8 tilemap_ram_a[0x4000];
    u8 tilemap_ram_b[0x4000];
    u8 line_ram[0x8000];
    u8 palette_regs[32];
    u8 palette_ram[0x20000];
    u8 char_ram[0x40000];
    u8 rtc_regs[16];
    u32 palette_cache[0x8000];
    PaletteControl palette_control;
    u16 sprite_bitmap[SCREEN_WIDTH * SCREEN_HEIGHT];
    u32 frame_buffer[SCREEN_WIDTH * SCREEN_HEIGHT];
    HitDevice hit;
    Ymz280bState ymz;
    u8 onchip_regs[512];  // image of 0xFFFFFE00-0xFFFFFFFF
    u32 divu_dvsr;
    u32 divu_quotient;
    u32 divu_remainder;
    u8 divu_ovf;
    u8 divu_ovfie;
    u8 frt_tier;
    u8 frt_ftcsr;
    u8 frt_tcr;
    u8 frt_tocr;
    u16 frt_frc;
    u16 frt_ocra;
    u16 frt_ocrb;
    u64 frt_last;
    u64 frt_next;  // all ones = no event
    u32 input_bits;
    u8 dip;
    u8 region;
    u32 rng;
    s64 rtc_base;
    u64 lines_run;
    u16 line;
    u16 stop_line;
    u64 frames_run;
    u64 next_irl15;
    u64 next_irl11;
    u64 next_irl9;
    u32 audio_fraction;
    u32 idle_skip;
    char message[512];
};

// --- the record ----------------------------------------------------------

void board_reset(BoardState* b);
void board_free_roms(BoardState* b);
// The record the SH-2 bus functions act on. The frame runner and a reset make
// their record current; so must whoever replaces a record's contents.
void board_set_current(BoardState* b);
BoardState* board_current();
void board_set_inputs(BoardState* b, u32 bits);
// 1 when all six ROM buffers are allocated; reset and the frame runner do
// nothing on a record without them.
int board_has_roms(const BoardState* b);

// --- the ROM set -----------------------------------------------------------

// Checks from the archives' directories that the game archive holds the
// complete US set and that a good US BIOS file is in the BIOS archive or
// else in the game archive. 1 on success (message untouched); 0 with one
// sentence in `message` (only when it is non-null with a non-zero size).
// Either path may be null or empty.
int romset_check(const char* game_zip, const char* bios_zip, char* message, size_t message_size);

// Clears the record (freeing any ROM buffers it still holds), checks the
// set, allocates and fills the six ROM buffers, fills nvram with 0xFF and
// resets the board. 1 on success; 0 with a sentence in b->message, and no
// ROM buffer left allocated.
int board_load(BoardState* b, const char* game_zip, const char* bios_zip, int region);

// CRC-32 chained over BIOS, program, sprites, tilemap A, tilemap B without
// its first 256 KiB (the character RAM mirror, which changes at run time)
// and samples. Never 0 for a loaded board: a computed 0 or 1 is reported
// as 1. 0 when the record holds no ROM buffers. Cached per program buffer.
u32 board_rom_fingerprint(const BoardState* b);

// --- running ---------------------------------------------------------------

constexpr int BOARD_MAX_AUDIO_SAMPLES = 2048;

// Runs from the current line up to stop_line (240): after a reset lines
// 0-239, later calls lines 240-261 and 0-239. `audio`, when not null,
// receives the stereo samples interleaved left, right (room for 2 x 2048);
// `count`, when not null, their number. Returns 0 after a normal frame, 1
// when the SH-2 program stopped (sh2_failed_pc tells where). A record
// without ROM buffers runs nothing: 0 samples, result 0.
int board_run_frame(BoardState* b, s16* audio, int* count);

// Copies the 320 x 240 x 4 bytes of frame_buffer (0x00RRGGBB) to dst;
// returns dst.
void* board_copy_framebuffer(BoardState* b, void* dst);

// --- core snapshot "TLVXCORE" ----------------------------------------------

constexpr size_t SNAPSHOT_SIZE = 2129607;  // always, with this layout

// A malloc'd snapshot of the board (the caller frees it) with its size in
// *out_size, or null when memory runs out.
void* snapshot_save(BoardState* board, size_t* out_size);

// 1 when the snapshot would load into the live board, else 0 with one
// sentence in err.
int snapshot_check(BoardState* live, const void* data, size_t size, char* err, size_t errlen);

// Replaces the live board's state with the snapshot and makes it current:
// 1 on success; 0 with a sentence, leaving the live board untouched.
int snapshot_load(BoardState* live, const void* data, size_t size, char* err, size_t errlen);
