// The rows the settings screens share (toggle, cycle and step rows over
// the settings block), and the plain helpers of those screens that tests
// reach directly.
#pragma once

#include <cstddef>
#include <cstdio>

#include "menus/menus.h"

// Set by tests only: every row these screens draw is reported first, in
// row order, with the texts it is drawn with.
using MenuRowObserver = void (*)(const char* label, const char* value, int enabled, const char* help);
inline MenuRowObserver menu_row_observer = nullptr;

inline int screen_row(const char* label, const char* value, int enabled, int* change, const char* help) {
    if (menu_row_observer) menu_row_observer(label, value, enabled, help);
    return menu_item(label, value, enabled, change, help);
}

// A row with a value to change: draws it and gives what it asks for in
// this pass, +1 when activated, else its change (-1, 0 or +1).
inline int change_row(const char* label, const char* value, int enabled, const char* help) {
    int change = 0;
    int activated = screen_row(label, value, enabled, &change, help);
    return activated ? 1 : change;
}

// Index + d within n entries, wrapping both ways (C++'s % keeps the sign;
// a hand-edited value may sit at the ends of the int range).
inline int cycle_value(int value, int d, int n) {
    if (n <= 0) return 0;
    long long k = ((long long)value + d) % n;
    return (int)(k < 0 ? k + n : k);
}

inline int step_value(int value, int d, int step, int lo, int hi) {
    long long v = (long long)value + (long long)d * step;
    return (int)(v < lo ? lo : v > hi ? hi : v);
}

enum SettingRowKind : int { ROW_TOGGLE, ROW_CYCLE, ROW_STEP };

// One row over an integer of the settings block.
struct SettingRow {
    const char* label = nullptr;
    int32_t FrontendSettings::*field = nullptr;
    int kind = ROW_TOGGLE;
    const char* const* names = nullptr;  // toggle: {off, on}; cycle: the entries
    int count = 0;                       // cycle: number of entries
    int step = 0, lo = 0, hi = 0;        // step rows
    const char* format = nullptr;        // step rows: the value's format ("%d%%")
    const char* help = nullptr;
    int (*enabled)() = nullptr;          // null: always enabled
    void (*applied)() = nullptr;         // what a change does beyond the setting
    void (*format_value)(int value, char* out, size_t size) = nullptr;  // replaces names and format
};

inline const char* const ON_OFF[] = {"Off", "On"};

// The value a setting row shows. A value outside a cycle's list (a
// hand-edited settings file) shows as the entry it wraps to.
inline void setting_row_value(const SettingRow& r, int value, char* out, size_t size) {
    if (r.format_value)
        r.format_value(value, out, size);
    else if (r.kind == ROW_TOGGLE)
        snprintf(out, size, "%s", r.names[value != 0]);
    else if (r.kind == ROW_CYCLE)
        snprintf(out, size, "%s", r.names[cycle_value(value, 0, r.count)]);
    else
        snprintf(out, size, r.format, value);
}

// The setting after a change d.
inline int setting_row_next(const SettingRow& r, int value, int d) {
    if (r.kind == ROW_TOGGLE) return value ? 0 : 1;
    if (r.kind == ROW_CYCLE) return cycle_value(value, d, r.count);
    return step_value(value, d, r.step, r.lo, r.hi);
}

// Draws the row and applies what it asks for; 1 when it changed the setting.
inline int setting_row(const SettingRow& r) {
    int32_t& v = fe.settings.*r.field;
    char value[64];
    setting_row_value(r, v, value, sizeof value);
    int d = change_row(r.label, value, r.enabled ? r.enabled() : 1, r.help);
    if (d == 0) return 0;
    v = setting_row_next(r, v, d);
    if (r.applied) r.applied();
    return 1;
}

// Back on a settings screen: the settings file is written as it is left.
inline void leave_settings_screen_on_back() {
    if (menu_pass_frozen() || !fe.menu_input.back) return;
    save_settings();
    pop_screen();
}

// Controls and hotkeys screens.
// "-" for none, SDL's name of the scancode, "?" when it has none; 48 bytes.
void format_key_name(int scancode, char* text);
// "first / second   |   controller" of a binding, into 200 bytes.
void format_binding_text(const InputBinding& b, char* text);

// Display screen.
// Where the preview of a W x H output goes; 0 when the box would be 2u wide
// or less (or has no height): no preview then.
int display_preview_area(int w, int h, int u, SDL_Rect* area);

// Audio screen.
// The last device whose name equals the setting exactly; -1 for none (an
// empty setting never matches).
int audio_device_index(const char* setting, int n, const char* (*name_of)(int index));
// The device after a change d: -1 (the system default) and 0..n-1 in a ring.
int next_audio_device(int index, int d, int n);

// Gameplay screen.
// The choice a DIP word shows: the last whose value equals the word under
// the mask (only the mask's bits of a choice count, as only they are
// written); 0 when none does.
int dip_current_choice(const AdapterDipSwitch& dip, uint16_t word);
// The word with only the mask's bits replaced by those of choice k.
uint16_t dip_with_choice(const AdapterDipSwitch& dip, uint16_t word, int k);
// The choices the screen uses: at most 20, none for a negative count.
int dip_choice_count(const AdapterDipSwitch& dip);

// ROM browser.
// A name of at least 4 characters ending in ".zip" in any letter case.
int is_zip_name(const char* name);
