// Rewind benchmark: the frontend's rewind ring over the real adapter on
// synthetic ROM sets, with SDL's dummy video driver and a software renderer
// for the frame fetch.
//
//   rewind_bench [--seconds S]   (S per case, default 1.5)
//
// For two boards (a program that keeps most of the board empty, and one
// that fills both tilemap layers and the whole sprite list, so the picture
// is busy): the rewind work each emulated frame does, as the frame step
// does it (a core snapshot every fourth frame, its level-1 compression
// spread over that frame and the three after it, the entry's allocation),
// a whole capture at once for comparison, the memory an entry takes, and a
// rewind step (decompression, snapshot load, frame fetch and upload).
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapter/adapter.h"
#include "bench/bench_args.h"
#include "bench/bench_boards.h"
#include "board/board.h"
#include "frontend/frontend.h"
#include "frontend/rewind.h"

namespace {

constexpr double CAPTURE_LIMIT_MS = 3.0;

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The frontend's record as start-up leaves it, over the dummy drivers.
int set_up_frontend() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 0;
    fe.adapter = talvex_adapter;
    set_default_settings();
    fe.settings.rewind = 1;
    fe.picture_lut_stale = 1;
    fe.perf_freq = SDL_GetPerformanceFrequency();
    fe.window = SDL_CreateWindow("rewind bench", 0, 0, 1280, 960, SDL_WINDOW_HIDDEN);
    fe.renderer = fe.window ? SDL_CreateRenderer(fe.window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    fe.game_texture = fe.renderer ? SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888,
                                                      SDL_TEXTUREACCESS_STREAMING, 320, 240)
                                  : nullptr;
    fe.raw_frame = (uint32_t*)calloc(320 * 240, 4);
    fe.picture_frame = (uint32_t*)calloc(320 * 240, 4);
    return fe.game_texture && fe.raw_frame && fe.picture_frame;
}

struct Timings {
    std::vector<double> ms;
    void print(const char* name) {
        std::sort(ms.begin(), ms.end());
        double sum = 0;
        for (double v : ms) sum += v;
        printf("  %-40s %7.3f ms mean  %7.3f ms p99  %7.3f ms max  (%zu runs)\n", name, sum / ms.size(),
               ms[ms.size() * 99 / 100], ms.back(), ms.size());
    }
};

const uint8_t* newest_entry() {
    const RewindRing& r = fe.rewind;
    return r.count ? r.entries[(r.head + r.count - 1) % r.capacity] : nullptr;
}

// Runs frames for about `budget` seconds (at least 40), timing the rewind
// work after each as the frame step does it; `whole` times one whole
// capture at once after every frame instead.
int time_captures(double budget, bool whole, Timings* out) {
    static s16 audio[ADAPTER_MAX_AUDIO_FRAMES * 2];
    char err[256] = "";
    int captured = 0;
    Clock::time_point start = Clock::now();
    while (out->ms.size() < 40 || ms_since(start) < budget * 1000) {
        int samples = 0;
        if (adapter_run_frame(audio, &samples, err, sizeof err)) {
            fprintf(stderr, "rewind_bench: %s\n", err);
            return 0;
        }
        fe.frame_counter++;
        const uint8_t* newest_before = newest_entry();
        Clock::time_point t = Clock::now();
        if (whole)
            rewind_capture();
        else
            rewind_after_frame();
        out->ms.push_back(ms_since(t));
        if (newest_entry() != newest_before) captured++;
    }
    int expected = whole ? (int)out->ms.size() : (int)(fe.frame_counter / 4) - 1;
    if (captured < expected) {
        fprintf(stderr, "rewind_bench: a capture was skipped\n");
        return 0;
    }
    return 1;
}

void print_entry_memory(const char* name) {
    uint64_t usable = 0;
    for (int k = 0; k < fe.rewind.count; k++)
        usable += malloc_usable_size(fe.rewind.entries[(fe.rewind.head + k) % fe.rewind.capacity]);
    printf("  %-40s %7.1f KiB counted  %7.1f KiB allocated  (%d entries, %.1f MB, snapshot %.1f KiB raw)\n",
           name, fe.rewind.total / 1024.0 / fe.rewind.count, usable / 1024.0 / fe.rewind.count, fe.rewind.count,
           fe.rewind.total / 1048576.0, SNAPSHOT_SIZE / 1024.0);
}

// Steps back until one entry is left or the time is up.
void time_steps(double budget, Timings* out) {
    Clock::time_point start = Clock::now();
    while (fe.rewind.count > 1 && ms_since(start) < budget * 1000) {
        Clock::time_point t = Clock::now();
        rewind_step();
        out->ms.push_back(ms_since(t));
    }
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    double budget = bench_seconds(argc, argv, 1.5);
    printf("Talvex rewind benchmark: synthetic ROM set, software renderer, %.1f s a case\n", budget);
    if (!set_up_frontend()) {
        fprintf(stderr, "rewind_bench: cannot set up SDL: %s\n", SDL_GetError());
        return 1;
    }
    const struct {
        const char* name;
        const SynthSetPaths& set;
    } boards[] = {
        {"mostly empty board", synth_cached_set("bench: cpu-bound", build_cpu_set)},
        {"layers + 1024 sprites", synth_cached_set("bench: idle and draw", build_draw_set)},
    };
    bool fast = true;
    for (const auto& board : boards) {
        char err[512] = "";
        if (!adapter_load(board.set.game_zip.c_str(), err, sizeof err)) {
            fprintf(stderr, "rewind_bench: cannot load the synthetic set: %s\n", err);
            return 1;
        }
        printf(" %s:\n", board.name);
        Timings per_frame, whole, steps;
        fe.frame_counter = 0;
        reset_rewind();
        if (!time_captures(budget, false, &per_frame)) return 1;
        per_frame.print("rewind work per frame:");
        reset_rewind();
        if (!time_captures(budget / 2, true, &whole)) return 1;
        whole.print("a whole capture at once:");
        print_entry_memory("memory per entry:");
        time_steps(budget, &steps);
        steps.print("rewind step (restore + frame fetch):");
        fast = fast && per_frame.ms[per_frame.ms.size() * 99 / 100] < CAPTURE_LIMIT_MS;
    }
    printf("  rewind work under %.0f ms in every frame (p99): %s\n", CAPTURE_LIMIT_MS, fast ? "yes" : "no");
    free_rewind();
    adapter_shutdown();
    SDL_Quit();
    return 0;
}
