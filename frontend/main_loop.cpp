// The main loop: one pass reads the pointer and every pending event, runs
// the rewind step or the frames that are due, fetches the picture, draws
// everything, presents, accounts profiling time and sleeps.
#include "frontend/main_loop.h"

#include <algorithm>
#include <cstdlib>

#include "frontend/frontend.h"
#include "frontend/text_fit.h"

namespace {

MenuHooks hooks;

constexpr int MAX_FRAMES_PER_PASS = 4;
constexpr int PROFILE_WINDOW = 120;
constexpr int MENU_SLEEP_MS = 8;

double ms_between(uint64_t from, uint64_t to) { return (double)(to - from) * 1000.0 / (double)fe.perf_freq; }

double frame_period_ms() { return 1000.0 / fe.adapter.fps; }

// Leaving fullscreen gives the window its size for the scale setting.
void toggle_fullscreen_now() {
    fe.settings.fullscreen = !fe.settings.fullscreen;
    SDL_SetWindowFullscreen(fe.window, fe.settings.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!fe.settings.fullscreen) {
        int w, h;
        window_size_for_scale(fe.settings.window_scale, &w, &h);
        SDL_SetWindowSize(fe.window, w, h);
    }
}

void open_pause_menu() {
    fe.rewind.rewinding = 0;
    open_menu_and_pause(SCREEN_PAUSE);
}

// The hotkeys, while a game runs and no menu is open: the first test that
// matches acts, and no event acts twice.
void handle_hotkeys(const SDL_Event& e) {
    if (hotkey_event_matches(&e, HOTKEY_MENU) ||
        (e.type == SDL_KEYDOWN && !e.key.repeat && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE)) {
        open_pause_menu();
        return;
    }
    if (hotkey_event_matches(&e, HOTKEY_QUICK_SAVE)) {
        if (fe.feature_on[FEATURE_SAVE_STATES]) save_slot(fe.slot);
    } else if (hotkey_event_matches(&e, HOTKEY_QUICK_LOAD)) {
        if (fe.feature_on[FEATURE_SAVE_STATES]) load_slot(fe.slot);
    } else if (hotkey_event_matches(&e, HOTKEY_SLOT_PREV)) {
        fe.slot = fe.slot < 2 ? 10 : fe.slot - 1;
        show_toast("Slot %d", fe.slot);
    } else if (hotkey_event_matches(&e, HOTKEY_SLOT_NEXT)) {
        fe.slot = fe.slot >= 10 ? 1 : fe.slot + 1;
        show_toast("Slot %d", fe.slot);
    } else if (hotkey_event_matches(&e, HOTKEY_SCREENSHOT)) {
        take_screenshot();
    } else if (hotkey_event_matches(&e, HOTKEY_FULLSCREEN)) {
        fe.settings.fullscreen = !fe.settings.fullscreen;
        apply_window_mode();
        save_settings();
    } else if (hotkey_event_matches(&e, HOTKEY_PAUSE)) {
        fe.paused = !fe.paused;
        fe.rewind.rewinding = 0;
        clear_input_state();
        flush_audio();
    } else if (hotkey_event_matches(&e, HOTKEY_TOGGLE_FPS)) {
        fe.settings.gadgets[GADGET_FPS].enabled = !fe.settings.gadgets[GADGET_FPS].enabled;
    } else if (hotkey_event_matches(&e, HOTKEY_RESET)) {
        // The question stands over the pause menu; input and sound are left
        // as they are until it is answered.
        fe.rewind.rewinding = 0;
        fe.menu_open = 1;
        fe.screen_stack[0] = SCREEN_PAUSE;
        fe.screen_depth = 1;
        reset_screen_timing();
        show_confirm(CONFIRM_RESTART, 0, "Restart the game? Unsaved progress will be lost.");
    }
}

void handle_event(const SDL_Event& e) {
    quiet_inputs_event(&e);
    switch (e.type) {
    case SDL_QUIT:
        if (fe.running) stop_game(fe.settings.autosave_exit);
        fe.quit_requested = 1;
        break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        open_controllers();
        clear_input_state();
        show_toast(e.type == SDL_CONTROLLERDEVICEADDED ? "Controller connected" : "Controller disconnected");
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            clear_input_state();
            if (fe.running && !fe.menu_open && fe.settings.pause_on_focus_loss) open_pause_menu();
        }
        break;
    case SDL_DROPFILE:
        if (e.drop.file) {
            // A ROM dropped during play is asked about over the pause menu.
            if (!fe.menu_open && fe.running) open_pause_menu();
            push_screen(SCREEN_ROM_SELECTION);
            choose_rom(e.drop.file);
        }
        SDL_free(e.drop.file);
        break;
    case SDL_DROPTEXT:
        SDL_free(e.drop.file);
        break;
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
        break;
    default:
        if (fe.menu_open) {
            if (hooks.event) hooks.event(&e);
        } else if ((e.type == SDL_KEYDOWN || e.type == SDL_CONTROLLERBUTTONDOWN) && fe.running) {
            handle_hotkeys(e);
        }
        break;
    }
    // Alt+Enter toggles fullscreen at any time, key repeats included.
    if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT))
        toggle_fullscreen_now();
}

int display_refresh_hz() {
    int index = SDL_GetWindowDisplayIndex(fe.window);
    if (index < 0) index = 0;
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(index, &mode) != 0) return 0;
    return mode.refresh_rate;
}

void run_game_step(double elapsed_ms) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (fe.rewind.entries) {
        fe.rewind.rewinding = binding_pressed(&fe.hotkeys[HOTKEY_REWIND], 0, keys);
        if (fe.rewind.rewinding) {
            rewind_step();
            return;
        }
    } else {
        fe.rewind.rewinding = 0;
    }
    double period = frame_period_ms();
    int refresh = fe.settings.pacing == 1 && fe.vsync_effective ? display_refresh_hz() : 0;
    if (display_sync_applies(fe.settings.pacing, fe.vsync_effective, refresh)) {
        step_frame();
    } else {
        fe.frame_accumulator_ms = accumulate_frame_time(fe.frame_accumulator_ms, elapsed_ms, period);
        for (int n = 0; n < MAX_FRAMES_PER_PASS && fe.running && fe.frame_accumulator_ms >= period; n++) {
            step_frame();
            fe.frame_accumulator_ms -= period;
        }
    }
    if (fe.running) fetch_frame();
}

bool picture_shown() {
    if (!fe.running) return false;
    if (!fe.menu_open) return true;
    switch (top_screen()) {
    case SCREEN_PAUSE:
    case SCREEN_SAVE_STATE:
    case SCREEN_LOAD_STATE:
    case SCREEN_CONFIRM:
    case SCREEN_MESSAGE:
        return true;
    default:
        return false;
    }
}

void draw_pass(int w, int h) {
    int u = fe.ui_unit;
    SDL_SetRenderDrawColor(fe.renderer, 0, 0, 0, 255);
    SDL_RenderClear(fe.renderer);
    if (picture_shown()) {
        draw_backdrop(w, h);
        if (!fe.menu_open) draw_gadgets(w, h);
    } else if (fe.menu_open) {
        draw_menu_backdrop(w, h);
    }
    if (fe.menu_open && hooks.pass) hooks.pass();
    if (fe.paused && !fe.menu_open)
        draw_text(fe.renderer, "PAUSED", w / 2, u * 30 / 100, u * 40 / 100, 0xE6FFFFFF, ALIGN_CENTRE);
    if (fe.rewind.rewinding)
        draw_text(fe.renderer, "<< REWIND", u * 30 / 100, u * 30 / 100, u * 30 / 100, accent_colour(), ALIGN_LEFT);
    if (fe.movie_status[0] && !fe.menu_open)  // the file's name may be long: within the window's margins
        draw_text_fitted(fe.renderer, fe.movie_status, w - u * 24 / 100, h - u * 40 / 100, u * 18 / 100, 0xDC5A5AFF,
                         ALIGN_RIGHT, w - 2 * (u * 24 / 100), cut_for(fe.movie_status));
    draw_toast(w, h);
    SDL_RenderPresent(fe.renderer);
}

void account_profile(uint64_t draw_start) {
    fe.profile_draw_ms += ms_between(draw_start, SDL_GetPerformanceCounter());
    if (fe.profile_last_draw_start) fe.profile_loop_ms += ms_between(fe.profile_last_draw_start, draw_start);
    fe.profile_last_draw_start = draw_start;
    if (++fe.profile_pass_count < PROFILE_WINDOW) return;
    if (getenv("FE_PROFILE"))
        log_line("profile: loop %.2f ms, present %.2f ms, game frame %.2f ms, fps %.1f",
                 fe.profile_loop_ms / PROFILE_WINDOW, fe.profile_draw_ms / PROFILE_WINDOW, fe.frame_time_avg_ms,
                 fe.measured_fps);
    fe.profile_draw_ms = fe.profile_loop_ms = 0;
    fe.profile_pass_count = 0;
}

// The ROM browser's listing lives only while its screen is open. A
// confirmed ROM switch or the menu closing replace the stack without
// passing through the screen, so each pass checks after the menus ran.
void release_closed_rom_browser() {
    if (fe.menu_open)
        for (int i = 0; i < fe.screen_depth; i++)
            if (fe.screen_stack[i] == SCREEN_ROM_SELECTION) return;
    free(fe.browse_entries);
    fe.browse_entries = nullptr;
    fe.browse_count = 0;
    fe.browse_locations = 0;
    fe.browse_failed_path[0] = '\0';
}

}  // namespace

void frontend_set_menu_hooks(const MenuHooks* h) { hooks = h ? *h : MenuHooks{}; }

double accumulate_frame_time(double accumulator_ms, double elapsed_ms, double period_ms) {
    return std::min(MAX_FRAMES_PER_PASS * period_ms, accumulator_ms + elapsed_ms);
}

int display_sync_applies(int pacing, int vsync_effective, int refresh_hz) {
    return pacing == 1 && vsync_effective && refresh_hz >= 59 && refresh_hz <= 61;
}

int presents_wait_for_display(int vsync, uint32_t renderer_flags) {
    return vsync && (renderer_flags & SDL_RENDERER_PRESENTVSYNC) && !(renderer_flags & SDL_RENDERER_SOFTWARE);
}

int pass_sleep_ms(int running, int menu_open, int vsync_effective, double period_ms, double accumulator_ms) {
    if (!running || menu_open) return MENU_SLEEP_MS;
    if (vsync_effective) return -1;
    double d = period_ms - accumulator_ms - 1.0;
    return d > 1.0 ? (int)d : -1;
}

int frame_limit_reached(uint64_t frame_counter, int frame_limit) {
    return frame_limit != 0 && frame_counter >= (uint64_t)(int64_t)frame_limit;
}

void scale_mouse_to_output(int32_t* x, int32_t* y) {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(fe.window, &ww, &wh);
    if (!fe.renderer || SDL_GetRendererOutputSize(fe.renderer, &ow, &oh) != 0) return;
    if (ww > 0 && ow != ww) *x = (int32_t)((int64_t)*x * ow / ww);
    if (wh > 0 && oh != wh) *y = (int32_t)((int64_t)*y * oh / wh);
}

void update_vsync() {
    SDL_RenderSetVSync(fe.renderer, fe.settings.vsync ? 1 : 0);
    SDL_RendererInfo info;
    fe.vsync_effective =
        SDL_GetRendererInfo(fe.renderer, &info) == 0 && presents_wait_for_display(fe.settings.vsync, info.flags);
}

void main_loop_pass() {
    if (fe.quit_requested) return;

    fe.menu_input = MenuInput{};
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    fe.menu_input.mouse_x = mx;
    fe.menu_input.mouse_y = my;
    scale_mouse_to_output(&fe.menu_input.mouse_x, &fe.menu_input.mouse_y);

    SDL_Event e;
    while (SDL_PollEvent(&e)) handle_event(e);

    if (fe.menu_open && hooks.stick) hooks.stick();

    int held = menu_combo_held();
    if (held && !fe.combo_was_held && fe.running && !fe.menu_open) open_pause_menu();
    fe.combo_was_held = held;

    uint64_t now = SDL_GetPerformanceCounter();
    double elapsed_ms = ms_between(fe.last_pass_time, now);
    fe.last_pass_time = now;

    if (fe.running && !fe.menu_open && !fe.paused) run_game_step(elapsed_ms);

    double window_ms = ms_between(fe.fps_window_start, SDL_GetPerformanceCounter());
    if (window_ms >= 1000.0) {
        fe.measured_fps = fe.fps_frame_count * 1000.0 / window_ms;
        fe.fps_frame_count = 0;
        fe.fps_window_start = SDL_GetPerformanceCounter();
    }

    uint64_t draw_start = SDL_GetPerformanceCounter();
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    fe.ui_unit = compute_ui_unit(w, h);
    draw_pass(w, h);
    release_closed_rom_browser();
    account_profile(draw_start);

    int sleep = pass_sleep_ms(fe.running, fe.menu_open, fe.vsync_effective, frame_period_ms(),
                              fe.frame_accumulator_ms);
    if (sleep >= 0) SDL_Delay((Uint32)sleep);

    if (frame_limit_reached(fe.frame_counter, fe.frame_limit)) fe.quit_requested = 1;
}
