// The menu pass on SDL's software renderer under the dummy video driver
// with a 1280 x 960 output: the deepest screens the menus draw, each with
// an overlay over it, so the pass draws two screens. The backdrop and the
// picture behind the menu are the picture pass's (frontend_bench) and are
// not drawn here; each case is timed with and without the clear and the
// present around it.
//
//   menu_bench [--seconds S]   (S per case, default 1.5)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_args.h"
#include "frontend/frontend.h"
#include "menus/menus.h"

namespace {

constexpr int GAME_W = 320, GAME_H = 240, OUT_W = 1280, OUT_H = 960;

using Clock = std::chrono::steady_clock;

const AdapterInput INPUTS[] = {
    {"p1_up", "P1 Up", 1, 0x1, 82, -1, 11, 0},
    {"p1_down", "P1 Down", 1, 0x2, 81, -1, 12, 0},
    {"p1_b1", "P1 Button 1", 1, 0x10, 29, -1, 0, 0},
    {"p2_b1", "P2 Button 1", 2, 0x1000, 4, -1, 0, 0},
};

struct BenchCase {
    const char* name;
    std::vector<int> stack;
};

const BenchCase CASES[] = {
    {"Load State (11 slots, thumbnail) + confirmation", {SCREEN_PAUSE, SCREEN_LOAD_STATE, SCREEN_CONFIRM}},
    {"Main Menu (14 rows, preview) + message box", {SCREEN_MAIN, SCREEN_MESSAGE}},
    {"Hotkeys (11 bindings) + key capture", {SCREEN_PAUSE, SCREEN_CONTROLS, SCREEN_HOTKEYS, SCREEN_KEY_CAPTURE}},
    // The parts apart: a screen without an overlay, an overlay over a
    // screen that is not drawn beneath it.
    {"  Load State alone", {SCREEN_PAUSE, SCREEN_LOAD_STATE}},
    {"  Main Menu alone", {SCREEN_MAIN}},
    {"  confirmation alone", {SCREEN_ABOUT, SCREEN_CONFIRM}},
    {"  message box alone", {SCREEN_ABOUT, SCREEN_MESSAGE}},
};

int set_up() {
    memset(&fe, 0, sizeof fe);
    GameAdapter& a = fe.adapter;
    a.id = "bench";
    a.title = "Bench Game";
    a.subtitle = "menu pass";
    a.width = GAME_W;
    a.height = GAME_H;
    a.display_aspect = 4.0 / 3.0;
    a.fps = 59.5971;
    a.players = 2;
    a.inputs = INPUTS;
    a.input_count = (int32_t)(sizeof INPUTS / sizeof INPUTS[0]);
    fe.perf_freq = SDL_GetPerformanceFrequency();
    set_default_settings();
    set_default_bindings();
    fe.slot = 3;
    fe.window = SDL_CreateWindow("menu bench", 0, 0, OUT_W, OUT_H, SDL_WINDOW_HIDDEN);
    if (!fe.window) return 0;
    fe.renderer = SDL_CreateRenderer(fe.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    if (!fe.renderer || !create_font_texture(fe.renderer)) return 0;
    fe.game_texture =
        SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, GAME_W, GAME_H);
    if (!fe.game_texture) return 0;
    fe.ui_unit = compute_ui_unit(OUT_W, OUT_H);
    snprintf(fe.rom, sizeof fe.rom, "/home/player/roms/bench.zip");
    fe.rom_loaded = fe.running = 1;
    fe.feature_on[FEATURE_SAVE_STATES] = 1;

    // Every slot used, each with its thumbnail.
    std::vector<uint16_t> thumb((size_t)GAME_W / 2 * GAME_H / 2);
    for (size_t i = 0; i < thumb.size(); i++) thumb[i] = (uint16_t)(i * 37);
    for (int s = 0; s < FE_SLOT_COUNT; s++) {
        StateSlotInfo& info = fe.state_slots[s];
        info.exists = info.usable = 1;
        info.saved_at = 1700000000 + s * 3600;
        info.frames = 1000u * (unsigned)s;
        info.thumb_w = GAME_W / 2;
        info.thumb_h = GAME_H / 2;
        info.thumbnail =
            SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STATIC, GAME_W / 2, GAME_H / 2);
        if (!info.thumbnail) return 0;
        SDL_UpdateTexture(info.thumbnail, nullptr, thumb.data(), GAME_W);
    }
    snprintf(fe.confirm_text, sizeof fe.confirm_text, "Load Slot 3  *? Unsaved progress will be lost.");
    snprintf(fe.message_title, sizeof fe.message_title, "Cannot load state");
    snprintf(fe.message_text, sizeof fe.message_text,
             "Slot 4 could not be loaded:\nstate was made with a different ROM revision\n\n"
             "The running game was not changed.");
    fe.capture_row = HOTKEY_QUICK_SAVE;
    fe.capture_column = 0;
    fe.capture_hotkey = 1;
    return 1;
}

void open_case(const BenchCase& c) {
    fe.menu_open = 1;
    fe.screen_depth = 0;
    for (int s : c.stack) fe.screen_stack[fe.screen_depth++] = s;
    fe.menu.cursor[SCREEN_PAUSE] = 3;
    fe.menu.cursor[SCREEN_LOAD_STATE] = 3;
    fe.menu.cursor[SCREEN_MAIN] = 5;
    reset_screen_timing();
}

// The menu's whole input of a pass: none, as while the player reads.
void run_pass() {
    fe.menu_input = MenuInput{};
    fe.menu_input.mouse_x = fe.menu_input.mouse_y = -1;
    fe.capture_start = SDL_GetPerformanceCounter();  // the capture never times out
    menu_pass();
}

// The renderer batches its commands: the flush is where they are drawn.
void menu_only() {
    run_pass();
    SDL_RenderFlush(fe.renderer);
}

void with_present() {
    SDL_SetRenderDrawColor(fe.renderer, 0, 0, 0, 255);
    SDL_RenderClear(fe.renderer);
    run_pass();
    SDL_RenderPresent(fe.renderer);
}

double time_pass(void (*pass)(), double budget) {
    for (int i = 0; i < 5; i++) pass();
    int passes = 0;
    double seconds = 0.0;
    while (passes < 20 || seconds < budget) {
        Clock::time_point start = Clock::now();
        pass();
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        passes++;
    }
    return seconds * 1000.0 / passes;
}

}  // namespace

int main(int argc, char** argv) {
    double budget = bench_seconds(argc, argv, 1.5);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !set_up()) {
        fprintf(stderr, "menu_bench: cannot set up SDL: %s\n", SDL_GetError());
        return 1;
    }
    printf("menu pass at %d x %d, software renderer\n", OUT_W, OUT_H);
    for (const BenchCase& c : CASES) {
        open_case(c);
        double menu_ms = time_pass(menu_only, budget);
        open_case(c);
        double total_ms = time_pass(with_present, budget);
        printf("  %-50s %7.3f ms per pass, %7.3f ms with clear and present\n", c.name, menu_ms, total_ms);
    }
    destroy_font_texture();  // the thumbnails go with the renderer
    SDL_DestroyTexture(fe.game_texture);
    SDL_DestroyRenderer(fe.renderer);
    SDL_DestroyWindow(fe.window);
    SDL_Quit();
    return 0;
}
