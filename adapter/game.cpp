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

const AdapterInput INPUTS[] = {
    {"p1_up", "P1 Up", 1, 0x1, KEY_UP, KEY_W, PAD_DPAD_UP, 0},
    {"p1_down", "P1 Down", 1, 0x2, KEY_DOWN, KEY_S, PAD_DPAD_DOWN, 0},
    {"p1_left", "P1 Left", 1, 0x4, KEY_LEFT, KEY_A, PAD_DPAD_LEFT, 0},
    {"p1_right", "P1 Right", 1, 0x8, KEY_RIGHT, KEY_D, PAD_DPAD_RIGHT, 0},
    {"p1_b1", "P1 Shot (Button 1)", 1, 0x10, KEY_Z, KEY_J, PAD_A, 0},
    {"p1_b2", "P1 Bomb (Button 2)", 1, 0x20, KEY_X, KEY_K, PAD_B, 0},
    {"p1_start", "P1 Start", 1, 0x80, KEY_RETURN, KEY_1, PAD_START, 0},
    {"p2_up", "P2 Up", 2, 0x100, KEY_I, KEY_NONE, PAD_DPAD_UP, 0},
    {"p2_down", "P2 Down", 2, 0x200, KEY_COMMA, KEY_NONE, PAD_DPAD_DOWN, 0},
    {"p2_left", "P2 Left", 2, 0x400, KEY_U, KEY_NONE, PAD_DPAD_LEFT, 0},
    {"p2_right", "P2 Right", 2, 0x800, KEY_O, KEY_NONE, PAD_DPAD_RIGHT, 0},
    {"p2_b1", "P2 Shot (Button 1)", 2, 0x1000, KEY_KP_1, KEY_NONE, PAD_A, 0},
    {"p2_b2", "P2 Bomb (Button 2)", 2, 0x2000, KEY_KP_2, KEY_NONE, PAD_B, 0},
    {"p2_start", "P2 Start", 2, 0x8000, KEY_2, KEY_NONE, PAD_START, 0},
    {"coin1", "Coin 1", 1, 0x10000, KEY_5, KEY_NONE, PAD_BACK, COIN_PULSE_FRAMES},
    {"coin2", "Coin 2", 2, 0x20000, KEY_6, KEY_NONE, PAD_BACK, COIN_PULSE_FRAMES},
    {"service1", "Service Coin", 0, 0x100000, KEY_9, KEY_NONE, PAD_NONE, COIN_PULSE_FRAMES},
    {"service", "Service", 0, 0x40000, KEY_0, KEY_NONE, PAD_NONE, 0},
    {"tilt", "Tilt", 0, 0x80000, KEY_T, KEY_NONE, PAD_NONE, 0},
    {"test", "Test / Service Mode", 0, 0x200000, KEY_F2, KEY_NONE, PAD_NONE, 0},
};

const AdapterDipSwitch DIPS[] = {
    {"flip_screen", "Flip Screen", 0, 0x02, 0x02, 2, {{"Off", 0x02}, {"On", 0x00}}},
    {"backup_ram", "Use Backup RAM", 0, 0x40, 0x40, 2, {{"Yes", 0x40}, {"No", 0x00}}},
    {"freeze", "Freeze", 0, 0x80, 0x80, 2, {{"Off", 0x80}, {"On (freezes the game)", 0x00}}},
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
    "talvex",
    "Talvex: The Iron Pinions",
    "native port",
    ABOUT_TEXT,
    "talvex.zip",
    320,
    240,
    4.0 / 3.0,
    1,
    59.5971,
    86805.55208333333,
    ADAPTER_MAX_AUDIO_FRAMES,
    1,
    2,
    INPUTS,
    (int32_t)(sizeof INPUTS / sizeof INPUTS[0]),
    DIPS,
    (int32_t)(sizeof DIPS / sizeof DIPS[0]),
    nullptr,
    0,
    adapter_validate_rom,
    adapter_load,
    adapter_unload,
    adapter_reset,
    adapter_set_dip_switches,
    adapter_set_inputs,
    adapter_run_frame,
    nullptr,
    adapter_get_frame_xrgb8888,
    adapter_save_snapshot,
    adapter_check_snapshot,
    adapter_load_snapshot,
    adapter_rom_fingerprint,
    "0.1.0",
    adapter_save_nvram,
    adapter_load_nvram,
    adapter_nvram_dirty,
    "talvex",
};
