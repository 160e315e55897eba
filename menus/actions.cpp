// What a Yes in the confirmation dialog does. The dialog has already been
// popped when an action runs.
#include <cstdio>

#include "menus/menu_pass.h"
#include "menus/menus.h"

namespace {

constexpr int PLAY_MOVIE_VALUE = 99;
constexpr int DEFAULT_DEADZONE = 30;

bool is_slot(int v) { return v >= 1 && v < FE_SLOT_COUNT; }
bool is_slot_or_autosave(int v) { return v >= 0 && v < FE_SLOT_COUNT; }

void restart_and_resume() {
    restart_game();
    close_menu_and_resume();
}

void load_slot_and_resume(int slot) {
    if (!is_slot_or_autosave(slot) || !load_slot(slot)) return;  // its own message box stays over the screen that asked
    if (slot != 0) fe.slot = slot;
    close_menu_and_resume();
}

void overwrite_slot(int slot) {
    if (is_slot(slot)) {
        save_slot(slot);
        fe.slot = slot;
    }
    refresh_slot_list();
    pop_screen();  // the Save State screen
    // From the pause menu a save returns straight to the game.
    if (fe.screen_depth > 0 && top_screen() == SCREEN_PAUSE) close_menu_and_resume();
}

void restore_all_settings() {
    set_default_settings();
    set_default_bindings();
    fe.picture_lut_stale = 1;
    SDL_SetTextureScaleMode(fe.game_texture, fe.settings.filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    update_vsync();
    apply_window_mode();
    open_audio_device();
    if (fe.menu_open && fe.audio_device) SDL_PauseAudioDevice(fe.audio_device, 1);
    save_settings();
    show_toast("All settings restored");
}

void restore_default_controls() {
    set_default_bindings();
    fe.settings.deadzone = DEFAULT_DEADZONE;
    fe.settings.menu_combo = 0;
    save_settings();
    show_toast("Default controls restored");
}

void delete_slot(int slot) {
    char path[FE_PATH_SIZE];
    if (is_slot(slot) && build_slot_path(slot, path)) remove(path);
    fe.slot_list_stale = 1;
}

// The archive chosen while a game ran. Whatever happens, the menus end on
// the main menu: after a failure the old game is stopped and unloaded, so
// no screen of the stack that led here may stay.
void switch_rom() {
    char path[FE_PATH_SIZE];
    snprintf(path, sizeof path, "%s", fe.pending_rom_path);
    stop_game(fe.settings.autosave_menu);
    int opened = open_rom(path);
    return_to_main_menu();
    if (!opened) {
        show_error("ROM not usable", "%s", fe.rom_message);
        return;
    }
    save_settings();
    show_toast("ROM ready: %s", path_basename(path));
}

}  // namespace

void run_confirm_action(int action, int value) {
    switch (action) {
    case CONFIRM_PLAY_MOVIE:
        if (value == PLAY_MOVIE_VALUE && play_latest_movie()) close_menu_and_resume();
        break;
    case CONFIRM_EXIT:
        stop_game(fe.settings.autosave_exit);
        fe.quit_requested = 1;
        break;
    case CONFIRM_MAIN_MENU:
        stop_game(fe.settings.autosave_menu);
        return_to_main_menu();
        break;
    case CONFIRM_RESTART:
    case CONFIRM_NEW_GAME:
        restart_and_resume();
        break;
    case CONFIRM_LOAD_SLOT:
        load_slot_and_resume(value);
        break;
    case CONFIRM_OVERWRITE_SLOT:
        overwrite_slot(value);
        break;
    case CONFIRM_RESTORE_ALL:
        restore_all_settings();
        break;
    case CONFIRM_RESTORE_CONTROLS:
        restore_default_controls();
        break;
    case CONFIRM_DELETE_SLOT:
        delete_slot(value);
        break;
    case CONFIRM_SWITCH_ROM:
        switch_rom();
        break;
    default:
        break;
    }
}
