// The Extras screen: rewind, the autosaves, pausing on focus loss, input
// movie recording and playback, the screenshot, the data folder and the
// reset of every setting. The movie and rewind machinery is the
// frontend's; this screen only starts, stops and switches it.
#include "menus/menus.h"
#include "menus/screen_rows.h"

namespace {

int rewind_supported() { return fe.feature_on[FEATURE_REWIND]; }

int rewind_on() { return fe.settings.rewind != 0; }

void format_rewind(int value, char* out, size_t size) {
    snprintf(out, size, "%s", rewind_supported() ? ON_OFF[value != 0] : "Unsupported");
}

// A running game's ring follows the switch at once; otherwise the next
// game start allocates it.
void rewind_switched() {
    if (fe.running) reset_rewind();
}

// The budget changes at once; older entries go at the next capture.
void rewind_budget_changed() {
    if (fe.rewind.entries) fe.rewind.budget = (uint64_t)fe.settings.rewind_mb << 20;
}

const SettingRow REWIND_ROW = {
    .label = "Rewind", .field = &FrontendSettings::rewind, .kind = ROW_TOGGLE, .names = ON_OFF,
    .help = "Hold the Rewind hotkey (Backspace) to step back in time.", .enabled = rewind_supported,
    .applied = rewind_switched, .format_value = format_rewind};
const SettingRow REWIND_MEMORY_ROW = {
    .label = "Rewind Memory Limit", .field = &FrontendSettings::rewind_mb, .kind = ROW_STEP, .step = 16, .lo = 16,
    .hi = 512, .format = "%d MB", .help = "Older history is discarded beyond this budget.", .enabled = rewind_on,
    .applied = rewind_budget_changed};
const SettingRow TOGGLE_ROWS[] = {
    {.label = "Autosave on Exit", .field = &FrontendSettings::autosave_exit, .kind = ROW_TOGGLE, .names = ON_OFF},
    {.label = "Autosave on Main Menu", .field = &FrontendSettings::autosave_menu, .kind = ROW_TOGGLE,
     .names = ON_OFF},
    {.label = "Pause When Unfocused", .field = &FrontendSettings::pause_on_focus_loss, .kind = ROW_TOGGLE,
     .names = ON_OFF},
};

void rewind_history_row() {
    if (!fe.rewind.entries) return;
    double seconds = 0, megabytes = 0;
    rewind_figures(&seconds, &megabytes);
    char text[160];
    snprintf(text, sizeof text, "%.1f s, %.1f MB", seconds, megabytes);
    screen_row("Rewind History", text, 0, nullptr, nullptr);
}

// Record, or Stop while a recording is open; then Play Latest.
void movie_rows() {
    if (!fe.movie_file) {
        int can_record = fe.running && fe.feature_on[FEATURE_INPUT_MOVIES];
        if (screen_row("Record Input Movie", nullptr, can_record, nullptr,
                       "Records your inputs from the current moment; replays exactly.")) {
            // Whatever the outcome, the game resumes; a recording starts
            // with the next frame.
            start_movie_recording();
            close_menu_and_resume();
        }
    } else if (screen_row("Stop Recording", nullptr, 1, nullptr, fe.movie_status)) {
        stop_movie_recording();
    }
    if (screen_row("Play Latest Movie", nullptr, fe.rom_loaded && !fe.movie_file, nullptr,
                   "Loads the movie's starting point and replays its inputs.")) {
        if (fe.running)
            show_confirm(CONFIRM_PLAY_MOVIE, 99, "Play the latest movie? Unsaved progress will be lost.");
        else if (play_latest_movie())
            close_menu_and_resume();
    }
}

}  // namespace

void draw_extras_screen() {
    menu_begin_screen("Extras", nullptr);
    setting_row(REWIND_ROW);
    setting_row(REWIND_MEMORY_ROW);
    rewind_history_row();
    for (const SettingRow& row : TOGGLE_ROWS) setting_row(row);
    movie_rows();
    if (screen_row("Take Screenshot", nullptr, fe.running, nullptr, fe.screenshots_dir)) take_screenshot();
    char folder[300];
    snprintf(folder, sizeof folder, "%.299s", fe.data_dir);  // the shown path is cut to 299 bytes
    screen_row("Data Folder", folder, 0, nullptr, "Settings, save states, screenshots, movies and the log live here.");
    if (screen_row("Reset All Settings", nullptr, 1, nullptr, "Restores every setting and mapping. Save states are kept."))
        show_confirm(CONFIRM_RESTORE_ALL, 0, "Reset all settings and controls to defaults? Save states are kept.");
    menu_end_screen();
    leave_settings_screen_on_back();
}
