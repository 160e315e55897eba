// The frontend's own picture work per pass, on SDL's software renderer under
// the dummy video driver with a 1280 x 960 output: the brightness/gamma
// conversion and upload of a 320 x 240 frame, the clear, the backdrop with
// the picture and its overlays, and the present. The headline cases run
// upright (the picture fills the 4:3 output) and turned a quarter, as the
// game is shown by default (borders show beside the picture); each is
// printed with its budget.
//
//   frontend_bench [--seconds S] [--case N]   (S per case, default 1.5; N runs
//   only the case of that number, counted from 0 in the listing)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_args.h"
#include "frontend/frontend.h"

namespace {

constexpr int GAME_W = 320, GAME_H = 240, OUT_W = 1280, OUT_H = 960;

using Clock = std::chrono::steady_clock;

// A busy test picture: colour ramps with a moving diagonal.
uint32_t bench_frames;
void bench_frame(uint32_t* out) {
    for (int y = 0; y < GAME_H; y++)
        for (int x = 0; x < GAME_W; x++)
            out[y * GAME_W + x] = (uint32_t)(x * 255 / GAME_W) << 16 | (uint32_t)(y * 255 / GAME_H) << 8 |
                                  (uint32_t)((x + y + bench_frames) & 0xFF);
    bench_frames++;
}

struct BenchCase {
    const char* name;
    int border, scanlines, mask, rotation;
    double budget_ms;  // 0: no budget of its own
};

const BenchCase CASES[] = {
    {"default (border 1, no scanlines, no mask), upright", 1, 0, 0, 0, 4.0},
    {"default (border 1, no scanlines, no mask), turned", 1, 0, 0, 1, 4.0},
    {"  scanlines 50 alone, upright", 1, 50, 0, 0, 0.0},
    {"  slot mask alone, upright", 1, 0, 3, 0, 0.0},
    {"  glow alone, turned", 2, 0, 0, 1, 0.0},
    {"every overlay (glow, scanlines 50, slot mask), upright", 2, 50, 3, 0, 8.0},
    {"every overlay (glow, scanlines 50, slot mask), turned", 2, 50, 3, 1, 8.0},
};

int set_up() {
    memset(&fe, 0, sizeof fe);
    fe.adapter.width = GAME_W;
    fe.adapter.height = GAME_H;
    fe.adapter.display_aspect = 4.0 / 3.0;
    fe.adapter.get_frame_xrgb8888 = bench_frame;
    FrontendSettings& s = fe.settings;
    s.window_scale = 3;
    s.mask_strength = 30;
    s.brightness = 110;  // a table that is not the identity
    s.gamma = 120;
    fe.window = SDL_CreateWindow("frontend bench", 0, 0, OUT_W, OUT_H, SDL_WINDOW_HIDDEN);
    if (!fe.window) return 0;
    fe.renderer = SDL_CreateRenderer(fe.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    if (!fe.renderer) return 0;
    fe.game_texture =
        SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, GAME_W, GAME_H);
    fe.raw_frame = (uint32_t*)calloc((size_t)GAME_W * GAME_H, 4);
    fe.picture_frame = (uint32_t*)calloc((size_t)GAME_W * GAME_H, 4);
    if (!fe.game_texture || !fe.raw_frame || !fe.picture_frame) return 0;
    SDL_SetTextureScaleMode(fe.game_texture, SDL_ScaleModeNearest);
    fe.picture_lut_stale = 1;
    fe.running = 1;
    fe.ui_unit = compute_ui_unit(OUT_W, OUT_H);
    return 1;
}

// One pass of the picture work; the frame itself comes from the game.
void pass() {
    apply_picture_adjust();
    SDL_SetRenderDrawColor(fe.renderer, 0, 0, 0, 255);
    SDL_RenderClear(fe.renderer);
    draw_backdrop(OUT_W, OUT_H);
    SDL_RenderPresent(fe.renderer);
}

}  // namespace

int main(int argc, char** argv) {
    double budget = bench_seconds(argc, argv, 1.5);
    int only = -1;
    for (int i = 1; i + 1 < argc; i++)
        if (strcmp(argv[i], "--case") == 0) only = atoi(argv[++i]);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !set_up()) {
        fprintf(stderr, "frontend_bench: cannot set up SDL: %s\n", SDL_GetError());
        return 1;
    }
    printf("frontend picture pass at %d x %d, software renderer\n", OUT_W, OUT_H);
    int index = -1;
    for (const BenchCase& c : CASES) {
        if (++index != only && only >= 0) continue;
        fe.settings.border = c.border;
        fe.settings.scanlines = c.scanlines;
        fe.settings.mask = c.mask;
        fe.settings.rotation = c.rotation;
        for (int i = 0; i < 5; i++) {  // textures made, caches warm
            bench_frame(fe.raw_frame);
            pass();
        }
        int passes = 0;
        double seconds = 0.0;
        while (passes < 20 || seconds < budget) {
            bench_frame(fe.raw_frame);  // the game's part, not timed
            Clock::time_point start = Clock::now();
            pass();
            seconds += std::chrono::duration<double>(Clock::now() - start).count();
            passes++;
        }
        double ms = seconds * 1000.0 / passes;
        printf("  %-58s %7.3f ms per pass (%d passes)", c.name, ms, passes);
        if (c.budget_ms > 0) printf("  budget %.0f ms: %s", c.budget_ms, ms <= c.budget_ms ? "met" : "MISSED");
        printf("\n");
    }
    for (SDL_Texture* t : {fe.mask_texture, fe.glow_source, fe.glow_texture, fe.game_texture})
        if (t) SDL_DestroyTexture(t);
    SDL_DestroyRenderer(fe.renderer);
    SDL_DestroyWindow(fe.window);
    free(fe.raw_frame);
    free(fe.picture_frame);
    SDL_Quit();
    return 0;
}
