// Writes a synthetic ROM set that the game's frontend can run: "talvex.zip"
// and "voxa.zip" in the folder given, booting a small SH-2 program that
// fills the palette, both tilemap layers and the sprite list and then waits
// for frames in the game's own wait loop. The game's ROMs are never part of
// the project; this set lets a newcomer see the emulator work.
//
//   make_demo_romset FOLDER
#include <cstdio>
#include <string>

#include "tests/support/synthetic_romset.h"

namespace {

constexpr u32 PROGRAM_BASE = 0x00001000;
constexpr u32 STACK_TOP = 0x06100000;
constexpr u32 WAIT_LOOP_BASE = 0x0402EBD0;

std::string program(const char* name) { return std::string(DEMO_PROGRAM_DIR) + "/" + name + ".bin"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    SyntheticRomset set;
    synth_init(&set);
    if (!synth_place_file(&set, PROGRAM_BASE, program("frame_draw").c_str()) ||
        !synth_place_file(&set, WAIT_LOOP_BASE, program("frame_idle_loop").c_str())) {
        fprintf(stderr, "%s: cannot place the demo program\n", argv[0]);
        return 1;
    }
    synth_set_reset_vectors(&set, PROGRAM_BASE, STACK_TOP);
    std::string folder = argv[1];
    std::string game = folder + "/talvex.zip", bios = folder + "/voxa.zip";
    if (!synth_write(&set, nullptr, game.c_str(), bios.c_str())) {
        fprintf(stderr, "%s: cannot write the set into %s\n", argv[0], folder.c_str());
        return 1;
    }
    return 0;
}
