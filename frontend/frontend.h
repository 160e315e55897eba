// The generic frontend: everything a player touches around the emulated
// game. It knows the game only through the GameAdapter descriptor it is
// handed, and keeps the whole of its own state in one process-wide record,
// `fe`, which every module of the frontend and the menus reads and changes.
//
// This header is the frontend's face: the record and its sub-records, the
// shared constants, and every operation the rest of the frontend and the
// menus call. Module headers beside it (settings.h, profile.h, ...) declare
// only helpers that tests reach directly.
#pragma once

#include <SDL.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "adapter/game_adapter.h"

#define FE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// ---------------------------------------------------------------------------
// Limits and identifiers

constexpr int FE_PATH_SIZE = 2048;       // every path buffer
constexpr int FE_MAX_INPUTS = 40;        // adapter input rows the frontend has room for
constexpr int FE_HOTKEY_COUNT = 11;
constexpr int FE_MAX_DSW = 4;            // DIP-switch words
constexpr int FE_MAX_ADAPTER_GADGETS = 8;
constexpr int FE_GADGET_COUNT = 3 + FE_MAX_ADAPTER_GADGETS;
constexpr int FE_MAX_PADS = 8;           // open game controllers
constexpr int FE_MAX_PLAYERS = 4;        // players with a controller assignment
constexpr int FE_SLOT_COUNT = 11;        // the autosave and slots 1 to 10
constexpr int FE_SCREEN_COUNT = 18;
constexpr int FE_STACK_SIZE = 16;
constexpr int FE_FEATURE_COUNT = 8;
constexpr int FE_AUDIO_MIX_FRAMES = 4096;
constexpr int FE_NVRAM_CAPACITY = 65536;

// The screens of the menu stack.
enum MenuScreen : int {
    SCREEN_MAIN = 0,
    SCREEN_PAUSE = 1,
    SCREEN_DISPLAY = 2,
    SCREEN_AUDIO = 3,
    SCREEN_CONTROLS = 4,
    SCREEN_PLAYER_CONTROLLERS = 5,
    SCREEN_HOTKEYS = 6,
    SCREEN_GAMEPLAY = 7,
    SCREEN_GADGETS = 8,
    SCREEN_EXTRAS = 9,
    SCREEN_ABOUT = 10,
    SCREEN_SAVE_STATE = 11,
    SCREEN_LOAD_STATE = 12,
    SCREEN_ROM_SELECTION = 13,
    SCREEN_CONFIRM = 14,
    SCREEN_MESSAGE = 15,
    SCREEN_KEY_CAPTURE = 16,
    SCREEN_GADGET_EDITOR = 17,
};

// What the confirmation dialog does on Yes.
enum ConfirmAction : int {
    CONFIRM_PLAY_MOVIE = 0,
    CONFIRM_EXIT = 1,
    CONFIRM_MAIN_MENU = 2,
    CONFIRM_RESTART = 3,
    CONFIRM_LOAD_SLOT = 4,
    CONFIRM_OVERWRITE_SLOT = 5,
    CONFIRM_NEW_GAME = 6,
    CONFIRM_RESTORE_ALL = 7,
    CONFIRM_RESTORE_CONTROLS = 8,
    CONFIRM_DELETE_SLOT = 9,
    CONFIRM_SWITCH_ROM = 10,
};

// The optional features, settled once at start-up.
enum Feature : int {
    FEATURE_SAVE_STATES = 0,
    FEATURE_REWIND = 1,
    FEATURE_NVRAM = 2,
    FEATURE_INPUT_MOVIES = 3,
    FEATURE_GADGETS = 4,
    FEATURE_INPUT_DISPLAY = 5,
    FEATURE_SCREENSHOTS = 6,
    FEATURE_WIDESCREEN = 7,
};

// The frontend's hotkeys, in the order of their bindings.
enum Hotkey : int {
    HOTKEY_MENU = 0,
    HOTKEY_QUICK_SAVE = 1,
    HOTKEY_QUICK_LOAD = 2,
    HOTKEY_SLOT_PREV = 3,
    HOTKEY_SLOT_NEXT = 4,
    HOTKEY_SCREENSHOT = 5,
    HOTKEY_FULLSCREEN = 6,
    HOTKEY_REWIND = 7,
    HOTKEY_PAUSE = 8,
    HOTKEY_TOGGLE_FPS = 9,
    HOTKEY_RESET = 10,
};

// Built-in gadgets; adapter gadget k has index GADGET_ADAPTER + k.
enum Gadget : int {
    GADGET_FPS = 0,
    GADGET_FRAME_TIME = 1,
    GADGET_INPUT_DISPLAY = 2,
    GADGET_ADAPTER = 3,
};

// Text alignment of draw_text.
enum TextAlign : int { ALIGN_LEFT = 0, ALIGN_CENTRE = 1, ALIGN_RIGHT = 2 };

// ---------------------------------------------------------------------------
// Settings

// Two keyboard scancodes and a controller code; -1 in any of them is none.
// Controller codes below 100 are buttons; from 100 on an axis direction:
// axis (code - 100) / 2, odd codes the positive direction.
struct InputBinding {
    int32_t key1;
    int32_t key2;
    int32_t pad;
};

struct GadgetPlacement {
    int32_t enabled;
    int32_t position;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 top centre, 5 bottom centre
    int32_t size;      // 0 small, 1 medium, 2 large
    int32_t offset_x;  // hundredths of the UI unit
    int32_t offset_y;
};

// Every user choice that set_default_settings resets. Flags are 0 = off and
// any other value = on.
struct FrontendSettings {
    // display
    int32_t fullscreen;
    int32_t window_scale;
    int32_t scale_mode;   // 0 fit, 1 integer
    int32_t aspect_mode;  // 0 the game's display aspect, 1 square pixels
    int32_t filter;       // 0 nearest, 1 bilinear
    int32_t vsync;
    int32_t pacing;       // 0 the game's own rate, 1 display sync
    int32_t scanlines;    // percent
    int32_t mask;         // 0 off, 1 aperture grille, 2 shadow mask, 3 slot mask
    int32_t mask_strength;
    int32_t brightness;
    int32_t gamma;        // gamma x 100
    int32_t border;       // 0 black, 1 gradient wallpaper, 2 ambient glow
    int32_t rotation;     // quarter turns clockwise
    // audio
    int32_t volume;
    int32_t mute;
    int32_t latency_ms;
    char device[256];     // empty: the system default
    // ui
    int32_t accent;
    int32_t autosave_exit;
    int32_t autosave_menu;
    int32_t pause_on_focus_loss;
    int32_t rewind;
    int32_t rewind_mb;
    // input
    int32_t deadzone;
    int32_t menu_combo;
    int32_t player_controller[FE_MAX_PLAYERS];  // -1: automatic
    // gameplay
    uint16_t dsw[FE_MAX_DSW];
    // gadgets
    GadgetPlacement gadgets[FE_GADGET_COUNT];
};

struct IniEntry {
    char section[48];
    char key[64];
    char value[2048];
};

// The settings file as read, updated in place by every save so that keys
// and sections the frontend does not know survive. The index finds an
// entry by (section, key) without a walk over the document: an
// open-addressing table of index_size slots (a power of two, kept at most
// half full), each 0 when free or an entry's position + 1.
struct IniDocument {
    IniEntry* entries;
    int32_t count;
    int32_t capacity;
    int32_t* index;
    int32_t index_size;
};

// One row of the hotkey table.
struct HotkeyInfo {
    const char* key;    // settings key in the section "hotkeys"
    const char* label;  // what the Hotkeys screen shows
    InputBinding def;
};
extern const HotkeyInfo HOTKEYS[FE_HOTKEY_COUNT];

// ---------------------------------------------------------------------------
// Game profile

struct GameProfile {
    int loaded;
    char path[512];
    char id[32];
    char title[96];
    char subtitle[128];
    char manufacturer[96];
    char year[16];
    char rom_hint[64];
    double aspect;      // 0: not given
    int rotation;       // degrees; -1: not given
    int players;        // 0: not given
    int integer_scale;  // 1, 0, -1 not given
    int features[FE_FEATURE_COUNT];  // 1 on, 0 off, -1 not given
    char error[256];
};

// ---------------------------------------------------------------------------
// Files, save states, rewind

struct DirEntry {
    char name[512];
    int32_t is_folder;
};

struct StateSlotInfo {
    int exists;
    int usable;
    char error[160];
    int64_t saved_at;  // seconds since 1970-01-01 UTC
    uint32_t frames;
    int thumb_w;
    int thumb_h;
    SDL_Texture* thumbnail;  // static RGB565 texture, owned by the entry
};

struct RewindRing {
    uint8_t** entries;  // capacity entry blocks, null for a free slot; null: not allocated
    uint64_t* sizes;    // counted size of each used slot
    int capacity;
    int head;           // slot of the oldest entry
    int count;
    uint64_t total;
    uint64_t budget;
    int rewinding;      // the rewind hotkey is held in a pass that runs the game
};

// ---------------------------------------------------------------------------
// Menus

// What the menus saw during one pass of the main loop. Flags, not counts.
struct MenuInput {
    int32_t up, down, left, right;
    int32_t select;
    int32_t back;
    int32_t page_up, page_down;
    int32_t extra;  // 0 none, 1 bind a controller button, 2 clear
    int32_t mouse_x, mouse_y;
    int32_t mouse_moved;
    int32_t click;
    int32_t wheel;
};

struct MenuLayout {
    int32_t list_left;
    int32_t list_width;
    int32_t row_height;
    int32_t list_top;
    int32_t list_bottom;
    int32_t visible_rows;
    int32_t item_count;
};

// Process-wide menu state. The frontend resets the open time and the
// highlight on every push and pop; everything else belongs to the menus.
struct MenuState {
    int32_t cursor[FE_SCREEN_COUNT];
    int32_t scroll[FE_SCREEN_COUNT];
    float highlight_y;   // -1: no previous position
    uint64_t open_time;  // counter value when the top screen was entered
    MenuLayout layout;
    char help_text[256];
    // Pointer motion: the first motion event never counts as movement.
    int32_t motion_seen;
    int32_t last_motion_x, last_motion_y;
    // Left stick as a repeating d-pad.
    int32_t stick_dir;  // 0 none, 1 up, 2 down, 3 left, 4 right
    uint64_t stick_deadline;
    // Once a row acts, or the screen, the depth or the open flag change
    // during a pass, the rest of that pass only draws.
    int32_t pass_frozen;
    int32_t pass_screen, pass_depth, pass_open;
    // Drawing aids kept between passes and made again only when a size
    // changes (they go with the renderer): a black layer the size of the
    // output for the shade under an overlay, and a 32-bit copy of the slot
    // thumbnail on show. The software renderer blends the layer and
    // scales the copy many times faster than a filled rectangle or the
    // 16-bit thumbnail itself.
    SDL_Texture* shade;
    int32_t shade_w, shade_h;
    SDL_Texture* thumb_stage;
    int32_t thumb_stage_w, thumb_stage_h;
};

// The inputs held when a key capture ended: each is quiet in the menus
// until it is let go, so that the input that made a binding, or one held
// through it, does not act on the screen below at once. A key is let go by
// its release (or a fresh press, should the release have been missed), an
// axis when it is back inside MENU_STICK_THRESHOLD, every one on focus
// loss, a controller's axes on its removal; the menus may be open or not.
// (A button acts only on its press, so none needs to be quiet.)
struct QuietInputs {
    uint8_t keys[SDL_NUM_SCANCODES];  // 1: quiet
    SDL_JoystickID pad_ids[FE_MAX_PADS];
    uint8_t pad_axes[FE_MAX_PADS];  // bit a: axis a is quiet; 0: the entry is free
};

// What the main loop hands to the menus; installed by the program entry.
// Any of them may be null (the frontend then runs without menus).
struct MenuHooks {
    void (*pass)();                     // draws and runs the screen stack
    void (*event)(const SDL_Event* e);  // one event while the menu is open
    void (*stick)();                    // after the events of a pass, menu open
};
void frontend_set_menu_hooks(const MenuHooks* hooks);

// ---------------------------------------------------------------------------
// The frontend's one record

struct FrontendState {
    // --- start-up and shut-down -------------------------------------------
    GameAdapter adapter;  // the descriptor copy, adjusted by the profile
    char data_dir[FE_PATH_SIZE];
    char settings_path[FE_PATH_SIZE];
    char states_dir[FE_PATH_SIZE];
    char screenshots_dir[FE_PATH_SIZE];
    char nvram_dir[FE_PATH_SIZE];
    char movies_dir[FE_PATH_SIZE];
    char log_path[FE_PATH_SIZE];
    int frame_limit;
    const char* exit_screenshot_path;  // the "--screenshot" argument itself; null: none
    char rom_message[512];
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* game_texture;
    int vsync_effective;  // presents wait for the display (accelerated renderer with vsync)
    uint32_t* raw_frame;      // width x height, the adapter's XRGB8888 frame
    uint16_t* raw_frame16;    // width x height, only with an RGB555-only adapter
    uint32_t* picture_frame;  // the adjusted picture as shown: height x width when turned a quarter
    int16_t* audio_buffer;    // max_audio_frames x 2 + 16 samples
    uint64_t perf_freq;

    // --- settings ---------------------------------------------------------
    FrontendSettings settings;
    InputBinding bindings[FE_MAX_INPUTS];
    InputBinding hotkeys[FE_HOTKEY_COUNT];
    char rom[FE_PATH_SIZE];         // paths.rom
    char browse_dir[FE_PATH_SIZE];  // paths.browse_dir
    int32_t slot;                   // ui.slot, 1..10
    IniDocument settings_doc;

    // --- profile and features ---------------------------------------------
    GameProfile profile;
    int feature_on[FE_FEATURE_COUNT];
    char feature_summary[400];

    // --- main loop ---------------------------------------------------------
    int quit_requested;
    uint64_t last_pass_time;
    double frame_accumulator_ms;
    uint64_t fps_window_start;
    int fps_frame_count;
    double measured_fps;
    int combo_was_held;
    double profile_draw_ms;
    double profile_loop_ms;
    uint64_t profile_last_draw_start;
    int profile_pass_count;

    // --- frame step and input --------------------------------------------
    uint32_t input_word;
    int pulse_countdown[FE_MAX_INPUTS];
    int input_held[FE_MAX_INPUTS];
    int release_latch;
    SDL_GameController* pads[FE_MAX_PADS];
    int pad_count;
    uint64_t frame_counter;
    double frame_time_avg_ms;

    // --- sound -------------------------------------------------------------
    SDL_AudioDeviceID audio_device;
    SDL_AudioStream* audio_stream;
    SDL_AudioSpec audio_obtained;
    int16_t audio_mix[FE_AUDIO_MIX_FRAMES * 2];
    int audio_underruns;
    int audio_drops;

    // --- picture -----------------------------------------------------------
    uint8_t picture_lut[256];
    int picture_lut_stale;
    int picture_rotation;  // the quarter turns game_texture's picture was converted with
    // The CRT overlay at the shown picture's size, multiplied over it: the
    // mask and the scanlines in one texture.
    SDL_Texture* mask_texture;
    // Shown width, shown height, mask type, mask strength, scanlines,
    // rotation and game height of the last build.
    int mask_key[7];
    SDL_Texture* glow_texture;
    // The upright picture through the table that the glow shrinks
    // (game_texture may hold it turned); streaming, width x height, made on
    // first use.
    SDL_Texture* glow_source;
    int glow_attempted;  // the glow target was tried once; a refusal is not retried every frame

    // --- drawing -----------------------------------------------------------
    int ui_unit;  // u, recomputed at every present

    // --- screen stack, toasts and dialogs --------------------------------
    int screen_stack[FE_STACK_SIZE];
    int screen_depth;
    int menu_open;
    char toast_text[160];
    uint64_t toast_expiry;
    char confirm_text[256];
    int confirm_action;
    int confirm_value;
    char message_title[64];
    char message_text[700];
    char pending_rom_path[FE_PATH_SIZE];  // the archive that CONFIRM_SWITCH_ROM opens

    // --- run state ----------------------------------------------------------
    int rom_loaded;
    int running;
    int paused;
    // The adapter handed over its NVRAM (and so counts it as saved) but the
    // file was not written: the next flush writes even without a change.
    int nvram_pending;
    // The NVRAM file read at the game's opening was refused for its size:
    // before the game's own NVRAM replaces it, it is kept under ".bad".
    int nvram_refused;

    // --- save states --------------------------------------------------------
    StateSlotInfo state_slots[FE_SLOT_COUNT];
    int slot_list_stale;

    // --- rewind -------------------------------------------------------------
    RewindRing rewind;

    // --- input movies ------------------------------------------------------
    FILE* movie_file;
    uint8_t* movie_data;
    size_t movie_size;
    size_t movie_pos;
    char movie_status[128];

    // --- menus --------------------------------------------------------------
    MenuInput menu_input;
    MenuState menu;
    QuietInputs quiet;
    int gadget_edit_index;
    int capture_row;
    int capture_column;  // 0 first key, 1 second key, 2 controller code
    int capture_hotkey;  // 1 hotkey binding, 0 adapter input binding
    uint64_t capture_start;
    DirEntry* browse_entries;  // the ROM browser's listing, owned
    int browse_count;
    int browse_locations;  // the starting locations are shown
    int browse_filter;     // 0 ZIP archives only, 1 all files
    char browse_failed_path[FE_PATH_SIZE];  // a folder already reported as unreadable
};

extern FrontendState fe;

// ---------------------------------------------------------------------------
// Program entry of the frontend (start-up, main loop, shut-down)

// The whole life of the frontend; the result is the process's exit status.
int frontend_main(const GameAdapter* adapter, int argc, char** argv);

// One pass of the main loop (events, frames, drawing, present, sleep).
void main_loop_pass();
// A pointer position from window to renderer-output coordinates (they
// differ on high-DPI displays).
void scale_mouse_to_output(int32_t* x, int32_t* y);
// Applies the vsync setting to the renderer and settles whether presents
// now wait for the display.
void update_vsync();

// ---------------------------------------------------------------------------
// Files and the log

// No path is ever cut: a path that does not fit its buffer is an error for
// the operation at hand. join_path returns 0 (and leaves `out` empty) when
// the joined path does not fit; the caller must then give up on that path
// and never read or write anything under it.
//
// folder + name, with "/" between unless the folder ends in "/" or "\"
// (an empty folder gives "/name").
int join_path(char* out, size_t out_size, const char* folder, const char* name);
// The part after the last "/" or "\" (the whole path when it has none).
const char* path_basename(const char* path);
// The parent folder ("/" and drive roots keep their separator); empty when
// there is none or it does not fit `out`.
void path_dirname(const char* path, char* out, size_t out_size);
int is_regular_file(const char* path);
int is_directory(const char* path);
// The path made absolute against the current folder (an absolute one as it
// stands); 0 when the current folder is unknown or the result does not fit.
int absolute_path(const char* path, char* out, size_t out_size);
// Creates the folder with all its parents (mode 0755); 1 when it exists
// afterwards.
int make_dirs(const char* path);
// The whole of a regular file with a NUL byte after it (length without the
// NUL); free(). Null for anything else: a folder, a pipe, a device.
uint8_t* read_whole_file(const char* path, size_t* length);
// Writes "<path>.tmp", flushes and syncs it, then renames it over the path.
// On any failure the temporary file is removed, the old file stays, and
// the result is 0.
int write_file_atomic(const char* path, const void* data, size_t length);
// The value of HOME (even empty); 0 when unset or too long for `out`.
int home_dir(char* out, size_t out_size);
// The visible entries of a folder, sorted (folders first, then by name
// without regard to case); the count and a new array (free()), or -1.
int list_dir(const char* folder, DirEntry** out);
int compare_dir_entries(const DirEntry* a, const DirEntry* b);
// The ROM browser's starting locations: HOME, then the usual mount points
// that exist; the count and a new array (free()), or -1.
int list_browse_roots(DirEntry** out);
// The log: every line goes to standard error and, once open_log has
// truncated the file, to the file too, flushed at once.
void open_log(const char* path);
void close_log();
// A log entry keeps the program's own words and line breaks; a value from
// outside (a path, a name, a device's or a profile's text) never brings a
// control character in: each byte 0x00-0x1F or 0x7F that a conversion
// prints is written as "?".
void log_line(const char* format, ...) FE_PRINTF(1, 2);
// The same formatting into a buffer, for an entry put together in parts;
// args are left unread for the caller.
void format_for_log(char* out, size_t size, const char* format, va_list args);
// Writes one entry as it stands (cut to 2,047 characters).
void log_entry(const char* message);

// ---------------------------------------------------------------------------
// Settings

void set_default_settings();
void set_default_bindings();
int load_ini(IniDocument* doc, const char* path);
int ini_set(IniDocument* doc, const char* section, const char* key, const char* value);
int ini_set_int(IniDocument* doc, const char* section, const char* key, int value);
const char* ini_get(const IniDocument* doc, const char* section, const char* key);
int ini_get_int(const IniDocument* doc, const char* section, const char* key, int def);
int save_ini(const IniDocument* doc, const char* path);
void free_ini(IniDocument* doc);
// Start-up: defaults and default bindings, the settings file when it reads
// (then clamped), then the command-line overrides (-1 / 0 = none).
void load_settings(int rotation_override, int fullscreen_override, int scale_override);
void save_settings();

// ---------------------------------------------------------------------------
// Game profile and features

const char* feature_name(int index);
int load_profile_file(GameProfile* profile, const char* path);
int parse_profile_json(GameProfile* profile, const char* text, size_t length);
// Start-up: find, load and apply the profile, settle and log the features.
void run_profile_step(const char* profile_path);

// ---------------------------------------------------------------------------
// Drawing layer and text (colours are 0xAABBGGRR)

extern const uint32_t ACCENT_COLOURS[6];
extern const char* const ACCENT_NAMES[6];
int compute_ui_unit(int output_w, int output_h);
uint32_t accent_colour();  // the accent setting's colour (index mod 6)
void fill_rect(SDL_Renderer* r, int x, int y, int w, int h, uint32_t colour);
void draw_rect_outline(SDL_Renderer* r, int x, int y, int w, int h, int t, uint32_t colour);
void fill_rounded_rect(SDL_Renderer* r, int x, int y, int w, int h, int radius, uint32_t colour);
void fill_vertical_gradient(SDL_Renderer* r, int x, int y, int w, int h, uint32_t top, uint32_t bottom);
int create_font_texture(SDL_Renderer* r);
void destroy_font_texture();
int measure_text_width(const char* text, int size);
int text_line_height(int size);
int draw_text(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align);

// ---------------------------------------------------------------------------
// Picture output

// The window size for a scale: height x scale high, the display aspect
// wide, the two swapped for an odd rotation.
void window_size_for_scale(int scale, int* w, int* h);
void fetch_frame();  // adapter frame into raw_frame, then apply_picture_adjust
void apply_picture_adjust();
void apply_window_mode();
void draw_game_picture(int w, int h, int dim);
void update_crt_mask_textures(const SDL_Rect* dst);
void draw_backdrop(int w, int h);       // border, picture and the shade under a menu
void draw_menu_backdrop(int w, int h);  // a menu with no picture behind it

// ---------------------------------------------------------------------------
// Screenshots

int write_png_rgb(const char* path, const uint8_t* rgb, int width, int height);
void take_screenshot();
// The exit screenshot: raw_frame unrotated and unadjusted. 1 when written.
int write_exit_screenshot(const char* path);

// ---------------------------------------------------------------------------
// Sound output

void open_audio_device();
void flush_audio();
// The frame's sound: scaled by the volume, converted and queued.
void queue_frame_audio(const int16_t* samples, int frames);

// ---------------------------------------------------------------------------
// Frame step and input

int binding_pressed(const InputBinding* binding, unsigned player, const uint8_t* keys);
int menu_combo_held();
int hotkey_event_matches(const SDL_Event* event, unsigned hotkey);
void open_controllers();
void close_controllers();
void clear_input_state();
void step_frame();
// Rows of the adapter's input table the frontend handles (at most
// FE_MAX_INPUTS; none without a table).
int input_row_count();

// A stick or trigger deflection past this acts in the menus.
constexpr int MENU_STICK_THRESHOLD = 20000;
// Marks every key held and every axis past the threshold on every
// controller as quiet; `ending` is the event that ended the capture (it
// counts as held), or null.
void quiet_held_inputs(const SDL_Event* ending);
// Lets go of the quiet inputs that this event releases; every event goes
// through here, whether the menus are open or not.
void quiet_inputs_event(const SDL_Event* event);
int key_is_quiet(int scancode);
int axis_is_quiet(SDL_JoystickID pad, int axis);

// ---------------------------------------------------------------------------
// Screen stack, toasts and dialogs

void show_toast(const char* format, ...) FE_PRINTF(1, 2);
void show_confirm(int action, int value, const char* format, ...) FE_PRINTF(3, 4);
void show_error(const char* title, const char* format, ...) FE_PRINTF(2, 3);
void push_screen(int screen);
void pop_screen();
void reset_screen_timing();  // open time now, highlight -1
int top_screen();            // the top of the stack, -1 when it is empty
void draw_toast(int w, int h);

// ---------------------------------------------------------------------------
// ROM opening and NVRAM

int open_rom(const char* path);
void choose_rom(const char* path);
int flush_nvram();

// ---------------------------------------------------------------------------
// Run state

void restart_game();
void stop_game(int autosave);
void open_menu_and_pause(int screen);
void close_menu_and_resume();

// ---------------------------------------------------------------------------
// Save states

// A new "FESTATE1" container (free() it), or null.
uint8_t* build_state_container(size_t* size);
// The snapshot inside `data`, or null with the reason in err.
const uint8_t* parse_state_container(const uint8_t* data, size_t size, StateSlotInfo* info,
                                     uint32_t* snapshot_len, char* err, size_t errlen);
int build_slot_path(int slot, char* out);  // out holds FE_PATH_SIZE; 0 when it does not fit
void save_slot(int slot);
int load_slot(int slot);
void refresh_slot_list();
void free_slot_thumbnails();

// ---------------------------------------------------------------------------
// Rewind

void reset_rewind();
// After every frame's sound while the ring is allocated: every fourth frame
// is captured, its compression spread over the frames up to the next.
void rewind_after_frame();
// Finishes a capture still under way, so that the ring holds it.
void rewind_settle();
// One whole capture of the game as it is now, at once.
void rewind_capture();
void rewind_step();     // one pass with the rewind hotkey held
void free_rewind();
void rewind_figures(double* seconds, double* megabytes);

// ---------------------------------------------------------------------------
// Input movies

void end_movie();
void start_movie_recording();
void stop_movie_recording();
int play_latest_movie();  // 1 when playback started
// The frame step's share of a playing movie: 1 when the movie supplies
// this frame's word (0 in the frame where it ran out and ended), 0 when no
// movie is playing and the bindings decide.
int movie_next_word(uint32_t* word);
// Appends the frame's word to a recording movie, if one is open.
void movie_record_word(uint32_t word);

// ---------------------------------------------------------------------------
// Gadgets

int gadgets_in_use();        // number of gadget indices in use (0..11)
const char* gadget_name(int g);
void draw_gadgets(int w, int h);
