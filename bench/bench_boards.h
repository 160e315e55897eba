// The synthetic boards the whole-board benchmarks run: a CPU-bound program
// that keeps most of the board empty, and one that draws both tilemap
// layers and a full sprite list while it idles in the game's wait loop.
// The programs are assembled into BENCH_PROGRAM_DIR at build time.
#pragma once

#include <string>

#include "tests/support/synthetic_romset.h"

constexpr u32 PROGRAM_BASE = 0x00001000;
constexpr u32 STACK_TOP = 0x06100000;
constexpr u32 IDLE_LOOP_BASE = 0x0402EBD0;

inline std::string program(const char* name) { return std::string(BENCH_PROGRAM_DIR) + "/" + name + ".bin"; }

inline int build_cpu_set(SyntheticRomset* set) {
    if (!synth_place_file(set, PROGRAM_BASE, program("frame_cpu").c_str())) return 0;
    synth_set_reset_vectors(set, PROGRAM_BASE, STACK_TOP);
    return 1;
}

inline int build_draw_set(SyntheticRomset* set) {
    if (!synth_place_file(set, PROGRAM_BASE, program("frame_draw").c_str())) return 0;
    if (!synth_place_file(set, IDLE_LOOP_BASE, program("frame_idle_loop").c_str())) return 0;
    synth_set_reset_vectors(set, PROGRAM_BASE, STACK_TOP);
    return 1;
}
