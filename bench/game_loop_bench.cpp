// The real game loop, start-up to shut-down, on a synthetic ROM set under
// SDL's dummy video and audio drivers: 600 emulated frames paced at the
// game's own rate, with the sound queued to the dummy device as it plays.
// Reports the audio underruns and dropped chunks the frontend counted and
// how far the frames ran behind the wall clock.
//
//   game_loop_bench [FRAMES]   (default 600)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapter/adapter.h"
#include "frontend/frontend.h"
#include "tests/support/synthetic_romset.h"

namespace {

constexpr u32 PROGRAM_BASE = 0x00001000;
constexpr u32 STACK_TOP = 0x06100000;

using Clock = std::chrono::steady_clock;

int build_cpu_set(SyntheticRomset* set) {
    std::string program = std::string(BENCH_PROGRAM_DIR) + "/frame_cpu.bin";
    if (!synth_place_file(set, PROGRAM_BASE, program.c_str())) return 0;
    synth_set_reset_vectors(set, PROGRAM_BASE, STACK_TOP);
    return 1;
}

// One whole run of the frontend; its wall time in seconds.
double run_frontend(const std::string& game_zip, int frames) {
    std::string count = std::to_string(frames);
    std::vector<std::string> args = {"talvex", game_zip, "--no-menu", "--frames", count};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    auto start = Clock::now();
    int status = frontend_main(&talvex_adapter, (int)args.size(), argv.data());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    adapter_shutdown();
    if (status != 0) {
        fprintf(stderr, "game_loop_bench: the frontend exited with %d\n", status);
        exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 600;
    if (frames < 2) frames = 2;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string home = synth_temp_dir();
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    const SynthSetPaths& set = synth_cached_set("game loop bench", build_cpu_set);

    // Start-up, one frame and shut-down alone, to take them out of the
    // paced part.
    double fixed = run_frontend(set.game_zip, 1);
    double total = run_frontend(set.game_zip, frames);
    unsigned long long run = fe.frame_counter;
    int underruns = fe.audio_underruns, drops = fe.audio_drops;

    double paced = total - fixed;
    double expected = paced * talvex_adapter.fps + 1;
    double behind = expected - (double)run;
    printf("game loop, %llu frames at %.4f fps (dummy video and audio drivers)\n", run, talvex_adapter.fps);
    printf("  wall time       %.2f s (start-up and shut-down %.2f s)\n", total, fixed);
    printf("  audio           %d underruns, %d dropped chunks\n", underruns, drops);
    printf("  frames behind   %.1f (frames the wall clock asked for and the loop did not run)\n",
           behind > 0 ? behind : 0.0);
    return 0;
}
