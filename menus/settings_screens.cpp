// The Display and Audio screens. Each change is live at once (the window,
// the texture filter, vsync and the audio device follow it, and a running
// game shows beside the Display rows as it now looks); the settings file is
// written when the screen is left with Back.
#include <cmath>
#include <cstring>

#include "menus/menus.h"
#include "menus/screen_rows.h"

namespace {

// ---------------------------------------------------------------------------
// Display

const char* const WINDOW_MODES[] = {"Windowed", "Fullscreen"};
const char* const SCALINGS[] = {"Fit to screen", "Integer"};
const char* const ASPECTS[] = {"Original 4:3", "Square pixels"};
const char* const FILTERS[] = {"Nearest (sharp)", "Bilinear (smooth)"};
const char* const PACINGS[] = {"Exact game rate", "Display sync"};
const char* const MASKS[] = {"Off", "Aperture grille", "Shadow mask", "Slot mask"};
const char* const BACKGROUNDS[] = {"Black", "Gradient wallpaper", "Ambient glow"};
const char* const ROTATIONS[] = {"0", "90", "180", "270"};

void set_texture_filter() {
    if (fe.game_texture)
        SDL_SetTextureScaleMode(fe.game_texture, fe.settings.filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

void mark_picture_lut_stale() { fe.picture_lut_stale = 1; }

int windowed() { return !fe.settings.fullscreen; }

int mask_on() { return fe.settings.mask != 0; }

void format_rotation(int value, char* out, size_t size) {
    int k = cycle_value(value, 0, 4);
    int original = (int)(fe.adapter.rotation & 3);
    snprintf(out, size, k == original ? "%s (original)" : "%s", ROTATIONS[k]);
}

void format_gamma(int value, char* out, size_t size) { snprintf(out, size, "%.2f", value / 100.0); }

// The rows in screen order, Restore Defaults after them.
const SettingRow DISPLAY_ROWS[] = {
    {.label = "Mode", .field = &FrontendSettings::fullscreen, .kind = ROW_TOGGLE, .names = WINDOW_MODES,
     .help = "Borderless fullscreen or a window.", .applied = apply_window_mode},
    {.label = "Window Size", .field = &FrontendSettings::window_scale, .kind = ROW_STEP, .step = 1, .lo = 1, .hi = 8,
     .format = "%dx", .help = "Initial window size as a multiple of the native height.", .enabled = windowed,
     .applied = apply_window_mode},
    {.label = "Scaling", .field = &FrontendSettings::scale_mode, .kind = ROW_CYCLE, .names = SCALINGS, .count = 2,
     .help = "Integer keeps every source line the same height (pixel-perfect)."},
    {.label = "Aspect Ratio", .field = &FrontendSettings::aspect_mode, .kind = ROW_CYCLE, .names = ASPECTS,
     .count = 2, .help = "4:3 matches the original arcade monitor."},
    {.label = "Filtering", .field = &FrontendSettings::filter, .kind = ROW_CYCLE, .names = FILTERS, .count = 2,
     .applied = set_texture_filter},
    {.label = "VSync", .field = &FrontendSettings::vsync, .kind = ROW_TOGGLE, .names = ON_OFF,
     .help = "Synchronise presentation with the display refresh.", .applied = update_vsync},
    {.label = "Frame Pacing", .field = &FrontendSettings::pacing, .kind = ROW_CYCLE, .names = PACINGS, .count = 2,
     .help = "Exact keeps the game's own frame rate; Display sync locks one game frame per refresh when the "
             "display is 59-61 Hz."},
    {.label = "Rotation", .field = &FrontendSettings::rotation, .kind = ROW_CYCLE, .count = 4,
     .help = "Rotate the picture for rotated or vertical monitors.", .format_value = format_rotation},
    {.label = "Scanlines", .field = &FrontendSettings::scanlines, .kind = ROW_STEP, .step = 10, .lo = 0, .hi = 100,
     .format = "%d%%", .help = "Darkens every other line of the scaled picture."},
    {.label = "Phosphor Mask", .field = &FrontendSettings::mask, .kind = ROW_CYCLE, .names = MASKS, .count = 4,
     .help = "Simulated CRT phosphor pattern."},
    {.label = "Mask Strength", .field = &FrontendSettings::mask_strength, .kind = ROW_STEP, .step = 10, .lo = 0,
     .hi = 100, .format = "%d%%", .enabled = mask_on},
    {.label = "Brightness", .field = &FrontendSettings::brightness, .kind = ROW_STEP, .step = 5, .lo = 50, .hi = 150,
     .format = "%d%%", .applied = mark_picture_lut_stale},
    {.label = "Gamma", .field = &FrontendSettings::gamma, .kind = ROW_STEP, .step = 5, .lo = 50, .hi = 200,
     .applied = mark_picture_lut_stale, .format_value = format_gamma},
    {.label = "Background", .field = &FrontendSettings::border, .kind = ROW_CYCLE, .names = BACKGROUNDS, .count = 3,
     .help = "What fills the space around the picture."},
    {.label = "Menu Accent", .field = &FrontendSettings::accent, .kind = ROW_CYCLE, .names = ACCENT_NAMES,
     .count = 6},
};

// The display settings that Restore Defaults takes from the defaults; the
// accent is the menus' and stays.
int32_t FrontendSettings::* const DISPLAY_KEYS[] = {
    &FrontendSettings::fullscreen, &FrontendSettings::window_scale, &FrontendSettings::scale_mode,
    &FrontendSettings::aspect_mode, &FrontendSettings::filter, &FrontendSettings::vsync,
    &FrontendSettings::pacing, &FrontendSettings::scanlines, &FrontendSettings::mask,
    &FrontendSettings::mask_strength, &FrontendSettings::brightness, &FrontendSettings::gamma,
    &FrontendSettings::border, &FrontendSettings::rotation,
};

void restore_display_defaults() {
    FrontendSettings kept = fe.settings;
    set_default_settings();
    FrontendSettings defaults = fe.settings;
    fe.settings = kept;
    for (auto key : DISPLAY_KEYS) fe.settings.*key = defaults.*key;
    fe.picture_lut_stale = 1;
    set_texture_filter();
    update_vsync();
    apply_window_mode();
    show_toast("Display settings restored");
}

// The running game beside the rows, drawn as the display settings now
// make it look, at full brightness.
void draw_display_preview() {
    if (!fe.running) return;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    SDL_Rect area;
    if (!display_preview_area(w, h, fe.ui_unit, &area)) return;
    SDL_RenderSetViewport(fe.renderer, &area);
    draw_game_picture(area.w, area.h, 0);
    SDL_RenderSetViewport(fe.renderer, nullptr);
}

// ---------------------------------------------------------------------------
// Audio

// The game stays paused under the menu, so a reopened device does too.
void reopen_audio_device() {
    open_audio_device();
    if (fe.menu_open && fe.audio_device) SDL_PauseAudioDevice(fe.audio_device, 1);
}

const SettingRow VOLUME_ROW = {
    .label = "Master Volume", .field = &FrontendSettings::volume, .kind = ROW_STEP, .step = 5, .lo = 0, .hi = 100,
    .format = "%d%%"};
const SettingRow MUTE_ROW = {.label = "Mute", .field = &FrontendSettings::mute, .kind = ROW_TOGGLE, .names = ON_OFF};
const SettingRow LATENCY_ROW = {
    .label = "Latency Target", .field = &FrontendSettings::latency_ms, .kind = ROW_STEP, .step = 8, .lo = 16,
    .hi = 250, .format = "%d ms", .help = "Lower is more responsive; raise it only if you hear crackling.",
    .applied = reopen_audio_device};

const char* output_device_name(int index) { return SDL_GetAudioDeviceName(index, 0); }

void output_device_row() {
    int n = SDL_GetNumAudioDevices(0);
    if (n < 0) n = 0;
    int index = audio_device_index(fe.settings.device, n, output_device_name);
    const char* name = index >= 0 ? output_device_name(index) : nullptr;
    int d = change_row("Output Device", name ? name : "System default", n > 0, "Changes take effect immediately.");
    if (d == 0) return;
    int k = next_audio_device(index, d, n);
    const char* chosen = k >= 0 ? output_device_name(k) : nullptr;
    snprintf(fe.settings.device, sizeof fe.settings.device, "%s", chosen ? chosen : "");
    reopen_audio_device();
}

}  // namespace

int display_preview_area(int w, int h, int u, SDL_Rect* area) {
    area->x = w * 52 / 100;
    area->w = w - area->x - u * 48 / 100;
    area->y = u * 150 / 100;
    area->h = h - u * 120 / 100 - u * 150 / 100;
    return area->w > 2 * u && area->h > 0;
}

int audio_device_index(const char* setting, int n, const char* (*name_of)(int index)) {
    int found = -1;
    if (!setting || !setting[0]) return -1;
    for (int i = 0; i < n; i++) {
        const char* name = name_of(i);
        if (name && strcmp(name, setting) == 0) found = i;
    }
    return found;
}

int next_audio_device(int index, int d, int n) {
    int k = index + d;
    if (k < -1) return n - 1;
    if (k >= n) return -1;
    return k;
}

void draw_display_settings_screen() {
    menu_begin_screen("Display", nullptr);
    for (const SettingRow& row : DISPLAY_ROWS) setting_row(row);
    if (screen_row("Restore Defaults", nullptr, 1, nullptr, "Reset display settings only.")) restore_display_defaults();
    menu_end_screen();
    draw_display_preview();
    leave_settings_screen_on_back();
}

void draw_audio_settings_screen() {
    menu_begin_screen("Audio", nullptr);
    setting_row(VOLUME_ROW);
    setting_row(MUTE_ROW);
    output_device_row();
    setting_row(LATENCY_ROW);
    char text[300];
    snprintf(text, sizeof text, "%d Hz -> %d Hz", (int)std::lround(fe.adapter.audio_rate), fe.audio_obtained.freq);
    screen_row("Output Format", text, 0, nullptr,
               "The game's sound chip runs at its native rate and is resampled to the device.");
    snprintf(text, sizeof text, "%d underruns, %d drops", fe.audio_underruns, fe.audio_drops);
    screen_row("Diagnostics", text, 0, nullptr,
               "Counts since start. Non-zero values point to a timing problem; see the log.");
    screen_row("Music / Effects Volume", "Not exposed", 0, nullptr,
               "The board mixes music and effects on one chip, so separate levels are not available.");
    menu_end_screen();
    leave_settings_screen_on_back();
}
