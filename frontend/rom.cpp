// ROM opening and the NVRAM file: making an archive the loaded game,
// choosing one from the browser or a drop, and keeping the game's
// battery-backed RAM on disk.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"

namespace {

const char PATH_TOO_LONG[] = "The file's path is longer than 2047 characters.";

uint8_t nvram_buffer[FE_NVRAM_CAPACITY];

uint32_t current_fingerprint() { return fe.adapter.rom_fingerprint ? fe.adapter.rom_fingerprint() : 0; }

// The loaded game's NVRAM file: id and fingerprint name it, so each ROM
// revision keeps its own. 0 when the path does not fit; nothing may then
// be read or written under what `out` holds.
int nvram_path(char* out) {
    char name[64];
    int n = snprintf(name, sizeof name, "%s-%08X.nv", fe.adapter.id ? fe.adapter.id : "", current_fingerprint());
    int joined = join_path(out, FE_PATH_SIZE, fe.nvram_dir, name);
    return joined && n >= 0 && n < (int)sizeof name;
}

void restore_nvram() {
    if (!fe.adapter.load_nvram) return;
    char path[FE_PATH_SIZE];
    if (!nvram_path(path)) return;
    size_t size = 0;
    uint8_t* data = read_whole_file(path, &size);
    if (!data) return;
    if (fe.adapter.load_nvram(data, size)) {
        log_line("NVRAM restored from %s", path);
    } else {
        log_line("NVRAM file %s ignored (unexpected size %zu)", path, size);
        fe.nvram_refused = 1;
    }
    free(data);
}

// A refused NVRAM file is the player's, and most of it may still be of
// use: before the game's own NVRAM takes its name, it moves aside to the
// same name with ".bad" (replacing an older one). 0 when it is still in
// the way, so that nothing overwrites it.
int keep_refused_nvram(const char* path) {
    if (!fe.nvram_refused) return 1;
    if (!is_regular_file(path)) {  // gone meanwhile: nothing to keep
        fe.nvram_refused = 0;
        return 1;
    }
    char bad[FE_PATH_SIZE];
    int n = snprintf(bad, sizeof bad, "%s.bad", path);
    if (n < 0 || n >= (int)sizeof bad || rename(path, bad) != 0) return 0;
    fe.nvram_refused = 0;
    log_line("NVRAM file %s kept as %s", path, bad);
    return 1;
}

const char* archive_name() { return fe.adapter.rom_archive_name ? fe.adapter.rom_archive_name : ""; }

}  // namespace

int flush_nvram() {
    if (!fe.adapter.save_nvram || !fe.rom_loaded) return 0;
    char path[FE_PATH_SIZE];
    if (!nvram_path(path)) {
        log_line("NVRAM save failed: %s", path);
        return 0;
    }
    if (is_regular_file(path) && !fe.nvram_pending && !(fe.adapter.nvram_dirty && fe.adapter.nvram_dirty()))
        return 0;
    size_t n = fe.adapter.save_nvram(nvram_buffer, sizeof nvram_buffer);
    if (n == 0 || n > sizeof nvram_buffer) return 0;
    fe.nvram_pending = 1;
    if (!keep_refused_nvram(path) || !write_file_atomic(path, nvram_buffer, n)) {
        log_line("NVRAM save failed: %s", path);
        return 0;
    }
    fe.nvram_pending = 0;
    return 1;
}

int open_rom(const char* path) {
    char reason[512] = "";
    char rom[FE_PATH_SIZE];
    if (!path) path = "";
    int fits = strlen(path) < sizeof rom;
    snprintf(rom, sizeof rom, "%s", fits ? path : "");

    fe.running = 0;
    fe.rewind.rewinding = 0;
    flush_nvram();  // under the old game's name, before it goes
    if (fe.adapter.unload) fe.adapter.unload();
    fe.rom_loaded = 0;
    fe.nvram_pending = 0;
    fe.nvram_refused = 0;

    if (!path[0]) {
        snprintf(fe.rom_message, sizeof fe.rom_message, "No ROM selected.");
        return 0;
    }
    int loaded = 0;
    if (!fits)
        snprintf(reason, sizeof reason, "%s", PATH_TOO_LONG);
    else if (fe.adapter.load)
        loaded = fe.adapter.load(rom, reason, sizeof reason);
    if (!loaded) {
        snprintf(fe.rom_message, sizeof fe.rom_message, "%s", reason);
        log_line("ROM %s rejected: %s", path, reason);
        return 0;
    }
    snprintf(fe.rom, sizeof fe.rom, "%s", rom);
    fe.rom_loaded = 1;
    fe.rom_message[0] = 0;
    restore_nvram();
    fe.slot_list_stale = 1;
    log_line("ROM loaded: %s (fingerprint %08X)", rom, current_fingerprint());
    return 1;
}

void choose_rom(const char* path) {
    if (!path) path = "";
    const char* name = path_basename(path);
    char reason[512] = "";
    int usable = 0;
    if (strlen(path) >= sizeof fe.pending_rom_path)
        snprintf(reason, sizeof reason, "%s", PATH_TOO_LONG);
    else
        usable = fe.adapter.validate_rom ? fe.adapter.validate_rom(path, reason, sizeof reason) : 1;
    if (!usable) {
        show_error("ROM not usable", "%s\n\n%s\n\nExpected: %s (standard set, unmodified).", name, reason,
                   archive_name());
        return;
    }
    if (fe.running) {
        // The confirmed switch opens the archive kept here.
        if (path != fe.pending_rom_path) snprintf(fe.pending_rom_path, sizeof fe.pending_rom_path, "%s", path);
        show_confirm(CONFIRM_SWITCH_ROM, 0, "Switch to %s? The current game will end.", name);
        return;
    }
    if (!open_rom(path)) {
        show_error("ROM not usable", "%s", fe.rom_message);
        return;
    }
    save_settings();
    show_toast("ROM ready: %s", name);
    pop_screen();
}
