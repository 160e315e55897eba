// Moving a loaded game between its run states: restart from reset, stop,
// and halt behind a menu, and back from the menus into the game. Each
// resets what must not leak across the change.
#include "frontend/frontend.h"

namespace {

void pause_audio_device(int pause) {
    if (fe.audio_device) SDL_PauseAudioDevice(fe.audio_device, pause);
}

}  // namespace

void restart_game() {
    if (!fe.rom_loaded) return;
    end_movie();
    if (fe.adapter.set_dip_switches) fe.adapter.set_dip_switches(fe.settings.dsw);
    if (fe.adapter.reset) fe.adapter.reset();
    fe.running = 1;
    fe.paused = 0;
    fe.frame_counter = 0;
    clear_input_state();
    fe.release_latch = 1;
    flush_audio();
    reset_rewind();
    fe.frame_accumulator_ms = 0.0;
}

void stop_game(int autosave) {
    flush_nvram();
    // The autosave is taken before anything of the run is ended.
    if (autosave && fe.running && fe.feature_on[FEATURE_SAVE_STATES]) save_slot(0);
    end_movie();
    fe.running = 0;
    fe.rewind.rewinding = 0;
    clear_input_state();
    flush_audio();
}

void open_menu_and_pause(int screen) {
    fe.menu_open = 1;
    fe.screen_stack[0] = screen;
    fe.screen_depth = 1;
    reset_screen_timing();
    if (screen == SCREEN_SAVE_STATE || screen == SCREEN_LOAD_STATE) fe.slot_list_stale = 1;
    fe.rewind.rewinding = 0;  // the banner never stays over a menu
    clear_input_state();
    flush_audio();
    pause_audio_device(1);
}

void close_menu_and_resume() {
    fe.menu_open = 0;
    fe.screen_depth = 0;
    // Whatever was held to leave the menu must be let go before it counts.
    fe.release_latch = 1;
    clear_input_state();
    fe.frame_accumulator_ms = 0.0;
    fe.last_pass_time = SDL_GetPerformanceCounter();
    pause_audio_device(0);
}
