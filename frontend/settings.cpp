// The settings block, its defaults and limits, and its mapping onto the
// settings document ("settings.ini"): read once at start-up, written back
// in place by every save.
#include "frontend/frontend.h"
#include "frontend/ini.h"

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>

const HotkeyInfo HOTKEYS[FE_HOTKEY_COUNT] = {
    {"menu", "Quick Menu", {SDL_SCANCODE_ESCAPE, -1, -1}},
    {"quick_save", "Quick Save", {SDL_SCANCODE_F5, -1, -1}},
    {"quick_load", "Quick Load", {SDL_SCANCODE_F9, -1, -1}},
    {"slot_prev", "Previous Slot", {SDL_SCANCODE_F6, -1, -1}},
    {"slot_next", "Next Slot", {SDL_SCANCODE_F7, -1, -1}},
    {"screenshot", "Screenshot", {SDL_SCANCODE_F12, -1, -1}},
    {"fullscreen", "Toggle Fullscreen", {SDL_SCANCODE_F11, -1, -1}},
    {"rewind", "Rewind (hold)", {SDL_SCANCODE_BACKSPACE, -1, -1}},
    {"pause", "Pause", {SDL_SCANCODE_PAUSE, SDL_SCANCODE_P, -1}},
    {"toggle_fps", "Toggle FPS", {SDL_SCANCODE_F10, -1, -1}},
    {"reset", "Reset Game", {SDL_SCANCODE_F3, -1, -1}},
};

namespace {

const char PATHS[] = "paths";
const char DISPLAY[] = "display";
const char AUDIO[] = "audio";
const char UI[] = "ui";
const char INPUT[] = "input";
const char HOTKEY_SECTION[] = "hotkeys";
const char GAMEPLAY[] = "gameplay";
const char GADGETS[] = "gadgets";

constexpr int SLOT_FIRST = 1;
constexpr int SLOT_LAST = 10;
constexpr uint16_t DIP_ALL_SET = 0xFFFF;

// One integer setting: where it is stored in the file and in the block,
// its default, and the range it is clamped to when the file is read.
struct IntKey {
    const char* section;
    const char* key;
    size_t offset;  // in FrontendSettings
    int32_t def;
    bool limited;
    int32_t lo, hi;
};

#define AT(field) offsetof(FrontendSettings, field)
#define PLAYER(n) offsetof(FrontendSettings, player_controller) + (n) * sizeof(int32_t)

// In the order of the file; the clamps also run in this order. The
// rotation's default is the descriptor copy's.
const IntKey INT_KEYS[] = {
    {DISPLAY, "fullscreen", AT(fullscreen), 0, false, 0, 0},
    {DISPLAY, "window_scale", AT(window_scale), 3, true, 1, 8},
    {DISPLAY, "scale_mode", AT(scale_mode), 0, true, 0, 1},
    {DISPLAY, "aspect_mode", AT(aspect_mode), 0, true, 0, 1},
    {DISPLAY, "filter", AT(filter), 0, true, 0, 1},
    {DISPLAY, "vsync", AT(vsync), 1, false, 0, 0},
    {DISPLAY, "pacing", AT(pacing), 0, false, 0, 0},
    {DISPLAY, "scanlines", AT(scanlines), 0, true, 0, 100},
    {DISPLAY, "mask", AT(mask), 0, true, 0, 3},
    {DISPLAY, "mask_strength", AT(mask_strength), 30, true, 0, 100},
    {DISPLAY, "brightness", AT(brightness), 100, true, 50, 150},
    {DISPLAY, "gamma", AT(gamma), 100, true, 50, 200},
    {DISPLAY, "border", AT(border), 1, true, 0, 2},
    {DISPLAY, "rotation", AT(rotation), 0, true, 0, 3},
    {AUDIO, "volume", AT(volume), 80, true, 0, 100},
    {AUDIO, "mute", AT(mute), 0, false, 0, 0},
    {AUDIO, "latency_ms", AT(latency_ms), 64, true, 16, 250},
    {UI, "accent", AT(accent), 0, true, 0, 5},
    {UI, "autosave_exit", AT(autosave_exit), 1, false, 0, 0},
    {UI, "autosave_menu", AT(autosave_menu), 1, false, 0, 0},
    {UI, "pause_on_focus_loss", AT(pause_on_focus_loss), 1, false, 0, 0},
    {UI, "rewind", AT(rewind), 0, false, 0, 0},
    {UI, "rewind_mb", AT(rewind_mb), 64, true, 16, 512},
    {INPUT, "deadzone", AT(deadzone), 30, true, 5, 90},
    {INPUT, "menu_combo", AT(menu_combo), 0, true, 0, 3},
    {INPUT, "p1_controller", PLAYER(0), 0, false, 0, 0},
    {INPUT, "p2_controller", PLAYER(1), 1, false, 0, 0},
    {INPUT, "p3_controller", PLAYER(2), 2, false, 0, 0},
    {INPUT, "p4_controller", PLAYER(3), 3, false, 0, 0},
};

#undef AT
#undef PLAYER

// Built-in gadgets: settings key and default placement.
struct GadgetDefault {
    const char* key;
    GadgetPlacement placement;
};
const GadgetDefault BUILTIN_GADGETS[GADGET_ADAPTER] = {
    {"fps", {0, 1, 1, 0, 0}},
    {"frame_time", {0, 0, 1, 0, 0}},
    {"input_display", {0, 3, 1, 0, 0}},
};
const GadgetPlacement ADAPTER_GADGET_DEFAULT = {0, 0, 1, 0, 0};

int32_t* int_field(const IntKey& k) { return (int32_t*)((char*)&fe.settings + k.offset); }

int clamp_int(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

int dip_word_count() { return (int)(fe.adapter.dsw_count < FE_MAX_DSW ? fe.adapter.dsw_count : FE_MAX_DSW); }

// The settings key of gadget g, or null when the adapter's gadget count
// leaves it out (a negative count also hides built-in gadgets).
const char* gadget_key(int g) {
    int count = fe.adapter.gadget_count;
    if (g < GADGET_ADAPTER) return count >= g - 2 ? BUILTIN_GADGETS[g].key : nullptr;
    int k = g - GADGET_ADAPTER;
    if (k >= count || k >= FE_MAX_ADAPTER_GADGETS || !fe.adapter.gadgets) return nullptr;
    return fe.adapter.gadgets[k].key;
}

int32_t* placement_field(GadgetPlacement* p, int i) {
    int32_t* fields[5] = {&p->enabled, &p->position, &p->size, &p->offset_x, &p->offset_y};
    return fields[i];
}

bool is_env_set(const char* name) { return getenv(name) != nullptr; }

// Reads up to n integers written as "%d,%d,...": each may have blanks before
// it, the commas must follow the numbers directly, and a number beyond int
// saturates. The result is how many were read, from the first on.
int parse_int_list(const char* text, int32_t* out, int n);

void read_binding(const char* section, const char* key, InputBinding* b) {
    const char* value = ini_get(&fe.settings_doc, section, key);
    int32_t v[3];
    if (value && parse_int_list(value, v, 3) == 3) *b = InputBinding{v[0], v[1], v[2]};
}

void write_binding(const char* section, const char* key, const InputBinding& b) {
    char text[48];
    snprintf(text, sizeof text, "%d,%d,%d", b.key1, b.key2, b.pad);
    ini_set(&fe.settings_doc, section, key, text);
}

void copy_setting(char* out, size_t out_size, const char* section, const char* key) {
    const char* value = ini_get(&fe.settings_doc, section, key);
    if (value) snprintf(out, out_size, "%s", value);
}

static_assert(sizeof(FrontendState::rom) <= sizeof(IniEntry::value) &&
                  sizeof(FrontendState::browse_dir) <= sizeof(IniEntry::value) &&
                  sizeof(FrontendSettings::device) <= sizeof(IniEntry::value),
              "a text setting fits its entry whole");

// A text setting is stored only when the file gives it back as it is;
// otherwise the document keeps what it held for the key, if anything.
void save_text(const char* section, const char* key, const char* value) {
    if (!ini_value_reads_back(value)) return;
    ini_set(&fe.settings_doc, section, key, value);
}

// Everything the document holds, over the defaults already in place, then
// the limits.
void read_document() {
    IniDocument* doc = &fe.settings_doc;
    copy_setting(fe.rom, sizeof fe.rom, PATHS, "rom");
    copy_setting(fe.browse_dir, sizeof fe.browse_dir, PATHS, "browse_dir");
    for (const IntKey& k : INT_KEYS) *int_field(k) = ini_get_int(doc, k.section, k.key, *int_field(k));
    fe.slot = ini_get_int(doc, UI, "slot", SLOT_FIRST);
    if (fe.slot < SLOT_FIRST || fe.slot > SLOT_LAST) fe.slot = SLOT_FIRST;
    copy_setting(fe.settings.device, sizeof fe.settings.device, AUDIO, "device");
    for (int i = 0; i < input_row_count(); i++)
        if (fe.adapter.inputs[i].key) read_binding(INPUT, fe.adapter.inputs[i].key, &fe.bindings[i]);
    for (int i = 0; i < FE_HOTKEY_COUNT; i++) read_binding(HOTKEY_SECTION, HOTKEYS[i].key, &fe.hotkeys[i]);
    for (int i = 0; i < dip_word_count(); i++) {
        char key[16];
        snprintf(key, sizeof key, "dsw%d", i + 1);
        fe.settings.dsw[i] = (uint16_t)ini_get_int(doc, GAMEPLAY, key, fe.settings.dsw[i]);
    }
    for (int g = 0; g < FE_GADGET_COUNT; g++) {
        const char* key = gadget_key(g);
        const char* value = key ? ini_get(doc, GADGETS, key) : nullptr;
        if (!value) continue;
        int32_t v[5];
        int n = parse_int_list(value, v, 5);
        for (int i = 0; i < n; i++) *placement_field(&fe.settings.gadgets[g], i) = v[i];
    }
    for (const IntKey& k : INT_KEYS)
        if (k.limited) *int_field(k) = clamp_int(*int_field(k), k.lo, k.hi);
}

void save_int_keys(const char* section) {
    for (const IntKey& k : INT_KEYS)
        if (strcmp(k.section, section) == 0) ini_set_int(&fe.settings_doc, section, k.key, *int_field(k));
}

// The next "%d" of a "%d,%d,..." scan: blanks, a sign, digits.
bool scan_int(const char*& p, int32_t* out) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') p++;
    if (*p < '0' || *p > '9') return false;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        if (v <= INT32_MAX) v = v * 10 + (*p - '0');
    if (negative) v = -v;
    *out = (int32_t)(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
    return true;
}

int parse_int_list(const char* text, int32_t* out, int n) {
    const char* p = text;
    for (int i = 0; i < n; i++) {
        if (i > 0) {
            if (*p != ',') return i;
            p++;
        }
        if (!scan_int(p, &out[i])) return i;
    }
    return n;
}

// The ROM as the file keeps it: one named by a relative path that leads to
// it from here is kept absolute, so that a start from another folder finds
// it too. Any other path is kept as it stands.
const char* rom_to_store(char* out, size_t out_size) {
    if (!fe.rom[0] || fe.rom[0] == '/' || !is_regular_file(fe.rom) || !absolute_path(fe.rom, out, out_size))
        return fe.rom;
    return out;
}

}  // namespace

void set_default_settings() {
    FrontendSettings& s = fe.settings;
    memset(&s, 0, sizeof s);
    for (const IntKey& k : INT_KEYS) *int_field(k) = k.def;
    s.rotation = (int32_t)(fe.adapter.rotation & 3);
    for (uint16_t& word : s.dsw) word = DIP_ALL_SET;
    for (int i = 0; fe.adapter.dips && i < fe.adapter.dip_count; i++) {
        const AdapterDipSwitch& d = fe.adapter.dips[i];
        if (d.dsw_index < 0 || d.dsw_index >= FE_MAX_DSW) continue;  // no room for that word
        uint16_t& word = s.dsw[d.dsw_index];
        word = (uint16_t)((word & ~d.mask) | (d.default_value & d.mask));
    }
    for (int g = 0; g < FE_GADGET_COUNT; g++)
        s.gadgets[g] = g < GADGET_ADAPTER ? BUILTIN_GADGETS[g].placement : ADAPTER_GADGET_DEFAULT;
    if (is_env_set("SteamDeck") || is_env_set("STEAM_DECK")) s.fullscreen = 1;
}

void set_default_bindings() {
    int rows = input_row_count();
    for (int i = 0; i < FE_MAX_INPUTS; i++) {
        if (i < rows) {
            const AdapterInput& in = fe.adapter.inputs[i];
            fe.bindings[i] = InputBinding{in.key1, in.key2, in.pad};
        } else {
            fe.bindings[i] = InputBinding{-1, -1, -1};
        }
    }
    for (int i = 0; i < FE_HOTKEY_COUNT; i++) fe.hotkeys[i] = HOTKEYS[i].def;
}

void load_settings(int rotation_override, int fullscreen_override, int scale_override) {
    set_default_settings();
    set_default_bindings();
    if (load_ini(&fe.settings_doc, fe.settings_path)) read_document();
    FrontendSettings& s = fe.settings;
    if (!fe.feature_on[FEATURE_REWIND]) s.rewind = 0;
    if (rotation_override >= 0) s.rotation = rotation_override & 3;
    if (fe.slot < SLOT_FIRST || fe.slot > SLOT_LAST) fe.slot = SLOT_FIRST;
    if (fullscreen_override == 0 || fullscreen_override == 1) s.fullscreen = fullscreen_override;
    if (scale_override > 0) s.window_scale = scale_override;
}

void save_settings() {
    IniDocument* doc = &fe.settings_doc;
    char rom[FE_PATH_SIZE];
    save_text(PATHS, "rom", rom_to_store(rom, sizeof rom));
    save_text(PATHS, "browse_dir", fe.browse_dir);
    save_int_keys(DISPLAY);
    save_int_keys(AUDIO);
    save_text(AUDIO, "device", fe.settings.device);
    save_int_keys(UI);
    ini_set_int(doc, UI, "slot", fe.slot);
    save_int_keys(INPUT);
    for (int i = 0; i < input_row_count(); i++)
        if (fe.adapter.inputs[i].key) write_binding(INPUT, fe.adapter.inputs[i].key, fe.bindings[i]);
    for (int i = 0; i < FE_HOTKEY_COUNT; i++) write_binding(HOTKEY_SECTION, HOTKEYS[i].key, fe.hotkeys[i]);
    for (int i = 0; i < dip_word_count(); i++) {
        char key[16], value[16];
        snprintf(key, sizeof key, "dsw%d", i + 1);
        snprintf(value, sizeof value, "0x%04X", (unsigned)fe.settings.dsw[i]);
        ini_set(doc, GAMEPLAY, key, value);
    }
    for (int g = 0; g < FE_GADGET_COUNT; g++) {
        const char* key = gadget_key(g);
        if (!key) continue;
        const GadgetPlacement& p = fe.settings.gadgets[g];
        char value[64];
        snprintf(value, sizeof value, "%d,%d,%d,%d,%d", p.enabled, p.position, p.size, p.offset_x, p.offset_y);
        ini_set(doc, GADGETS, key, value);
    }
    if (!save_ini(doc, fe.settings_path)) log_line("could not write settings to %s", fe.settings_path);
}
