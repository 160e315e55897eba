// The adapter's operations: thin calls into the board on the one board
// record the adapter owns, plus the BIOS archive lookup and the "--bios"
// option.
#include "adapter/adapter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "sh2/xlate.h"

namespace {

constexpr size_t BIOS_OVERRIDE_SIZE = ADAPTER_PATH_LIMIT;
constexpr size_t FOLDER_SIZE = ADAPTER_PATH_LIMIT;
constexpr u8 DIP_ALWAYS_SET = 0x01;  // bit 0 of the DIP byte is forced on
constexpr int ADAPTER_REGION = 'U';

const char MSG_MEMORY[] = "out of memory";
// The operations below are only called while a game is loaded; should one
// come earlier it fails instead of touching a record without ROMs.
const char MSG_NOT_LOADED[] = "no game is loaded";
const char MSG_STOPPED[] = "The SH-2 program stopped at address %08X (an instruction the runtime cannot execute).";

char bios_override[BIOS_OVERRIDE_SIZE];
// An override too long for its buffer: no BIOS is looked for anywhere else,
// and none is read under a cut name.
bool bios_override_refused;
u8 loaded;
BoardState* board;
// Backup RAM as of the last NVRAM save or load: tells whether the game has
// changed it since.
u8 nvram_shadow[ADAPTER_NVRAM_SIZE];
u8 dip_byte = 0xFF;

static_assert(sizeof(BoardState::nvram) == ADAPTER_NVRAM_SIZE);

void set_error(char* err, size_t errlen, const char* message) {
    if (err && errlen) snprintf(err, errlen, "%s", message);
}

// Frees the record and forgets it as the board's current record too, so no
// pointer to freed memory is left behind.
void release_board() {
    if (board_current() == board) board_set_current(nullptr);
    free(board);
    board = nullptr;
}

}  // namespace

int adapter_validate_rom(const char* archive, char* err, size_t errlen) {
    char path[ADAPTER_BIOS_PATH_SIZE];
    const char* bios = find_bios_archive(archive, path);
    return romset_check(archive, bios, err, errlen);
}

int adapter_load(const char* archive, char* err, size_t errlen) {
    if (!board) {
        board = (BoardState*)calloc(1, sizeof(BoardState));
        if (!board) {
            set_error(err, errlen, MSG_MEMORY);
            return 0;
        }
    }
    if (loaded) {
        board_free_roms(board);
        loaded = 0;
    }
    char path[ADAPTER_BIOS_PATH_SIZE];
    const char* bios = find_bios_archive(archive, path);
    if (!board_load(board, archive, bios, ADAPTER_REGION)) {
        set_error(err, errlen, board->message);
        // A failed load leaves nothing behind: no ROM buffers and no record
        // (the next load allocates a fresh one).
        board_free_roms(board);
        release_board();
        return 0;
    }
    xlate_init();
    board->dip = dip_byte;
    board_reset(board);
    loaded = 1;
    return 1;
}

void adapter_unload() {
    if (loaded) board_free_roms(board);
    loaded = 0;
}

void adapter_reset() {
    if (!board) return;  // nothing to reset before the first load
    board->dip = dip_byte;
    board_reset(board);
}

void adapter_set_dip_switches(const u16* words) {
    if (!words) return;
    dip_byte = (u8)((words[0] & 0xFF) | DIP_ALWAYS_SET);
    if (loaded) board->dip = dip_byte;
}

void adapter_set_inputs(u32 word) {
    // Before the first load there is no record to take the word; a load
    // clears the record anyway.
    if (board) board_set_inputs(board, word);
}

int adapter_run_frame(s16* audio, int* frames, char* err, size_t errlen) {
    if (!board) {
        if (frames) *frames = 0;
        return 0;
    }
    if (board_run_frame(board, audio, frames) == 0) return 0;
    char message[128];
    snprintf(message, sizeof message, MSG_STOPPED, (unsigned)sh2_failed_pc());
    set_error(err, errlen, message);
    return 1;
}

void adapter_get_frame_xrgb8888(u32* out) {
    if (board && out) board_copy_framebuffer(board, out);
}

void* adapter_save_snapshot(size_t* size) {
    if (!loaded) {
        if (size) *size = 0;
        return nullptr;
    }
    return snapshot_save(board, size);
}

int adapter_check_snapshot(const void* data, size_t size, char* err, size_t errlen) {
    if (!loaded) {
        set_error(err, errlen, MSG_NOT_LOADED);
        return 0;
    }
    return snapshot_check(board, data, size, err, errlen);
}

int adapter_load_snapshot(const void* data, size_t size, char* err, size_t errlen) {
    if (!loaded) {
        set_error(err, errlen, MSG_NOT_LOADED);
        return 0;
    }
    return snapshot_load(board, data, size, err, errlen);
}

u32 adapter_rom_fingerprint() { return loaded ? board_rom_fingerprint(board) : 0; }

size_t adapter_save_nvram(void* dst, size_t capacity) {
    if (!loaded || !dst || capacity < ADAPTER_NVRAM_SIZE) return 0;
    memcpy(dst, board->nvram, ADAPTER_NVRAM_SIZE);
    memcpy(nvram_shadow, board->nvram, ADAPTER_NVRAM_SIZE);
    return ADAPTER_NVRAM_SIZE;
}

int adapter_load_nvram(const void* src, size_t size) {
    if (!loaded || !src || size != ADAPTER_NVRAM_SIZE) return 0;
    memcpy(board->nvram, src, ADAPTER_NVRAM_SIZE);
    memcpy(nvram_shadow, src, ADAPTER_NVRAM_SIZE);
    return 1;
}

int adapter_nvram_dirty() {
    if (!loaded) return 0;
    return memcmp(board->nvram, nvram_shadow, ADAPTER_NVRAM_SIZE) != 0;
}

const char* find_bios_archive(const char* archive, char* out) {
    if (bios_override_refused) return nullptr;
    if (bios_override[0]) return bios_override;
    const char* env = getenv("VOXA_BIOS");
    if (env && env[0]) return env;

    char folder[FOLDER_SIZE];
    if (archive && strlen(archive) >= sizeof folder) return nullptr;
    snprintf(folder, sizeof folder, "%s", archive ? archive : "");
    const char* slash = strrchr(folder, '/');
    const char* backslash = strrchr(folder, '\\');
    // Whichever comes later; pointers are only compared when both exist.
    const char* sep = !slash ? backslash : (backslash && backslash > slash) ? backslash : slash;
    if (sep)
        folder[sep - folder + 1] = '\0';  // the separator stays in the folder
    else
        folder[0] = '\0';

    static const char* const NAMES[] = {"voxa.zip", "VOXA.zip", "VOXA.ZIP"};
    for (const char* name : NAMES) {
        snprintf(out, ADAPTER_BIOS_PATH_SIZE, "%s%s", folder, name);
        // Found when it can be opened for reading. Without O_NONBLOCK a
        // named pipe would hold the open until a writer came; this way it
        // is found at once and the board refuses it as an archive.
        int fd = open(out, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
            return out;
        }
    }
    return nullptr;
}

void adapter_set_bios_override(const char* path) {
    if (!path) path = "";
    bios_override_refused = strlen(path) >= sizeof bios_override;
    snprintf(bios_override, sizeof bios_override, "%s", bios_override_refused ? "" : path);
}

const char* adapter_bios_override() { return bios_override; }

void adapter_take_bios_argument(int* argc, char** argv) {
    int kept = 1;
    int i = 1;
    while (i < *argc) {
        if (strcmp(argv[i], "--bios") == 0 && i + 1 < *argc) {
            adapter_set_bios_override(argv[i + 1]);
            i += 2;
            continue;
        }
        argv[kept++] = argv[i++];
    }
    if (*argc > 0) {
        *argc = kept;
        argv[kept] = nullptr;
    }
}

void adapter_shutdown() {
    if (loaded && board) board_free_roms(board);
    loaded = 0;
    release_board();
}

BoardState* adapter_board() { return board; }

u8 adapter_dip_byte() { return dip_byte; }
