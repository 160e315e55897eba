// The Talvex descriptor: names, geometry, timing, audio rate, the input and
// DIP-switch tables and the operation slots.
#include "adapter/adapter.h"

namespace {

// Default keys are SDL scancodes (the USB HID usage numbers) and default
// buttons SDL game-controller buttons; the adapter names them by number so
// that it does not depend on SDL itself.
enum : int32_t {
    KEY_NONE = -1,
    KEY_A = 4,
    KEY_D = 7,
    KEY_I = 12,
    KEY_J = 13,
    KEY_K = 14,
    KEY_O = 18,
    KEY_S = 22,
    KEY_T = 23,
    KEY_U = 24,
    KEY_W = 26,
    KEY_X = 27,
    KEY_Z = 29,
    KEY_1 = 30,
    KEY_2 = 31,
    KEY_5 = 34,
    KEY_6 = 35,
    KEY_9 = 38,
    KEY_0 = 39,
    KEY_RETURN = 40,
    KEY_COMMA = 54,
    KEY_F2 = 59,
    KEY_RIGHT = 79,
    KEY_LEFT = 80,
    KEY_DOWN = 81,
    KEY_UP = 82,
    KEY_KP_1 = 89,
    KEY_KP_2 = 90,
};

enum : int32_t {
    PAD_NONE = -1,
    PAD_A = 0,
    PAD_B = 1,
    PAD_BACK = 4,
    PAD_START = 6,
    PAD_DPAD_UP = 11,
    PAD_DPAD_DOWN = 12,
    PAD_DPAD_LEFT = 13,
    PAD_DPAD_RIGHT = 14,
};

// Coins and the service coin give a fixed pulse per press, as a coin
// switch does, however long the key is held.
constexpr int32_t COIN_PULSE_FRAMES = 5;

// clang-format off
const AdapterInput INPUTS[] = {
    {.key = "p1_up", .label = "P1 Up", .player = 1, .mask = 0x1,
     .key1 = KEY_UP, .key2 = KEY_W, .pad = PAD_DPAD_UP, .pulse_frames = 0},
    {.key = "p1_down", .label = "P1 Down", .player = 1, .mask = 0x2,
     .key1 = KEY_DOWN, .key2 = KEY_S, .pad = PAD_DPAD_DOWN, .pulse_frames = 0},
    {.key = "p1_left", .label = "P1 Left", .player = 1, .mask = 0x4,
     .key1 = KEY_LEFT, .key2 = KEY_A, .pad = PAD_DPAD_LEFT, .pulse_frames = 0},
    {.key = "p1_right", .label = "P1 Right", .player = 1, .mask = 0x8,
     .key1 = KEY_RIGHT, .key2 = KEY_D, .pad = PAD_DPAD_RIGHT, .pulse_frames = 0},
    {.key = "p1_b1", .label = "P1 Shot (Button 1)", .player = 1, .mask = 0x10,
     .key1 = KEY_Z, .key2 = KEY_J, .pad = PAD_A, .pulse_frames = 0},
    {.key = "p1_b2", .label = "P1 Bomb (Button 2)", .player = 1, .mask = 0x20,
     .key1 = KEY_X, .key2 = KEY_K, .pad = PAD_B, .pulse_frames = 0},
    {.key = "p1_start", .label = "P1 Start", .player = 1, .mask = 0x80,
     .key1 = KEY_RETURN, .key2 = KEY_1, .pad = PAD_START, .pulse_frames = 0},
    {.key = "p2_up", .label = "P2 Up", .player = 2, .mask = 0x100,
     .key1 = KEY_I, .key2 = KEY_NONE, .pad = PAD_DPAD_UP, .pulse_frames = 0},
    {.key = "p2_down", .label = "P2 Down", .player = 2, .mask = 0x200,
     .key1 = KEY_COMMA, .key2 = KEY_NONE, .pad = PAD_DPAD_DOWN, .pulse_frames = 0},
    {.key = "p2_left", .label = "P2 Left", .player = 2, .mask = 0x400,
     .key1 = KEY_U, .key2 = KEY_NONE, .pad = PAD_DPAD_LEFT, .pulse_frames = 0},
    {.key = "p2_right", .label = "P2 Right", .player = 2, .mask = 0x800,
     .key1 = KEY_O, .key2 = KEY_NONE, .pad = PAD_DPAD_RIGHT, .pulse_frames = 0},
    {.key = "p2_b1", .label = "P2 Shot (Button 1)", .player = 2, .mask = 0x1000,
     .key1 = KEY_KP_1, .key2 = KEY_NONE, .pad = PAD_A, .pulse_frames = 0},
    {.key = "p2_b2", .label = "P2 Bomb (Button 2)", .player = 2, .mask = 0x2000,
     .key1 = KEY_KP_2, .key2 = KEY_NONE, .pad = PAD_B, .pulse_frames = 0},
    {.key = "p2_start", .label = "P2 Start", .player = 2, .mask = 0x8000,
     .key1 = KEY_2, .key2 = KEY_NONE, .pad = PAD_START, .pulse_frames = 0},
    {.key = "coin1", .label = "Coin 1", .player = 1, .mask = 0x10000,
     .key1 = KEY_5, .key2 = KEY_NONE, .pad = PAD_BACK, .pulse_frames = COIN_PULSE_FRAMES},
    {.key = "coin2", .label = "Coin 2", .player = 2, .mask = 0x20000,
     .key1 = KEY_6, .key2 = KEY_NONE, .pad = PAD_BACK, .pulse_frames = COIN_PULSE_FRAMES},
    {.key = "service1", .label = "Service Coin", .player = 0, .mask = 0x100000,
     .key1 = KEY_9, .key2 = KEY_NONE, .pad = PAD_NONE, .pulse_frames = COIN_PULSE_FRAMES},
    {.key = "service", .label = "Service", .player = 0, .mask = 0x40000,
     .key1 = KEY_0, .key2 = KEY_NONE, .pad = PAD_NONE, .pulse_frames = 0},
    {.key = "tilt", .label = "Tilt", .player = 0, .mask = 0x80000,
     .key1 = KEY_T, .key2 = KEY_NONE, .pad = PAD_NONE, .pulse_frames = 0},
    {.key = "test", .label = "Test / Service Mode", .player = 0, .mask = 0x200000,
     .key1 = KEY_F2, .key2 = KEY_NONE, .pad = PAD_NONE, .pulse_frames = 0},
};
// clang-format on

const AdapterDipSwitch DIPS[] = {
    {.key = "flip_screen",
     .label = "Flip Screen",
     .dsw_index = 0,
     .mask = 0x02,
     .default_value = 0x02,
     .choice_count = 2,
     .choices = {{.label = "Off", .value = 0x02}, {.label = "On", .value = 0x00}}},
    {.key = "backup_ram",
     .label = "Use Backup RAM",
     .dsw_index = 0,
     .mask = 0x40,
     .default_value = 0x40,
     .choice_count = 2,
     .choices = {{.label = "Yes", .value = 0x40}, {.label = "No", .value = 0x00}}},
    {.key = "freeze",
     .label = "Freeze",
     .dsw_index = 0,
     .mask = 0x80,
     .default_value = 0x80,
     .choice_count = 2,
     .choices = {{.label = "Off", .value = 0x80}, {.label = "On (freezes the game)", .value = 0x00}}},
};

const char ABOUT_TEXT[] =
    "Talvex: The Iron Pinions (Borvun, 1998) on the Voxa Arcade System.\n"
    "\n"
    "Native port 0.1.0. The game program and the board's BIOS run as\n"
    "translated code, with a fallback SH-2 interpreter built from the same\n"
    "instruction semantics. The board is modelled in the program: the\n"
    "rotate/zoom tilemaps, the run-length sprite generator, the palette and\n"
    "mixer, the YMZ280B, the SH7604 timers and divider and the real-time\n"
    "clock.\n"
    "\n"
    "You must supply the game's own ROM set (talvex.zip) and the board's\n"
    "BIOS set (voxa.zip). No game data comes with this program.\n"
    "\n"
    "Credits and licences:\n"
    "Frontend font: Inter (SIL Open Font License 1.1).\n"
    "SDL2, zlib and minizip: used under the zlib licence.";

}  // namespace

const GameAdapter talvex_adapter = {
    .id = "talvex",
    .title = "Talvex: The Iron Pinions",
    .subtitle = "native port",
    .about_text = ABOUT_TEXT,
    .rom_archive_name = "talvex.zip",
    .width = 320,
    .height = 240,
    .display_aspect = 4.0 / 3.0,
    .rotation = 1,
    .fps = 59.5971,
    .audio_rate = 86805.55208333333,
    .max_audio_frames = ADAPTER_MAX_AUDIO_FRAMES,
    .dsw_count = 1,
    .players = 2,
    .inputs = INPUTS,
    .input_count = (int32_t)(sizeof INPUTS / sizeof INPUTS[0]),
    .dips = DIPS,
    .dip_count = (int32_t)(sizeof DIPS / sizeof DIPS[0]),
    .gadgets = nullptr,
    .gadget_count = 0,
    .validate_rom = adapter_validate_rom,
    .load = adapter_load,
    .unload = adapter_unload,
    .reset = adapter_reset,
    .set_dip_switches = adapter_set_dip_switches,
    .set_inputs = adapter_set_inputs,
    .run_frame = adapter_run_frame,
    .get_frame_rgb555 = nullptr,
    .get_frame_xrgb8888 = adapter_get_frame_xrgb8888,
    .save_snapshot = adapter_save_snapshot,
    .check_snapshot = adapter_check_snapshot,
    .load_snapshot = adapter_load_snapshot,
    .rom_fingerprint = adapter_rom_fingerprint,
    .version = "0.1.0",
    .save_nvram = adapter_save_nvram,
    .load_nvram = adapter_load_nvram,
    .nvram_dirty = adapter_nvram_dirty,
    .profile_id = "talvex",
};
