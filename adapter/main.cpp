// The program entry: takes the board's own "--bios PATH" option out of the
// command line, hands the rest to the frontend with the game's descriptor,
// and releases the board when the frontend returns.
#include <cstdlib>
#include <cstring>

#include "adapter/adapter.h"
#include "frontend/frontend.h"
#include "menus/menus.h"

int main(int argc, char** argv) {
    // The frontend gets its own copy of the argument list, so that the
    // process's argv is left as the system gave it.
    char** args = (char**)calloc((size_t)argc + 1, sizeof(char*));
    if (!args) return 1;
    memcpy(args, argv, (size_t)argc * sizeof(char*));
    int count = argc;
    adapter_take_bios_argument(&count, args);

    menus_install();
    int result = frontend_main(&talvex_adapter, count, args);

    adapter_shutdown();
    free(args);
    return result;
}
