// The ROM Selection screen: a small file browser over one folder at a time
// (or the starting locations), from which the game's archive is picked.
// The folder shown is the browse_dir setting itself, so the browser
// reopens where it was left. The listing lives only while the screen is
// open.
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "menus/menus.h"
#include "menus/screen_rows.h"

namespace {

const char* archive_name() { return fe.adapter.rom_archive_name ? fe.adapter.rom_archive_name : ""; }

void free_listing() {
    free(fe.browse_entries);
    fe.browse_entries = nullptr;
    fe.browse_count = 0;
}

void restart_cursor() {
    fe.menu.cursor[SCREEN_ROM_SELECTION] = 0;
    fe.menu.scroll[SCREEN_ROM_SELECTION] = 0;
}

// Whether the browser is still open: the menu is, and the screen is on the
// stack (an overlay may stand over it).
int browser_open() {
    if (!fe.menu_open) return 0;
    for (int i = 0; i < fe.screen_depth; i++)
        if (fe.screen_stack[i] == SCREEN_ROM_SELECTION) return 1;
    return 0;
}

// Everything of a visit goes when the screen is left; the next visit
// starts again from browse_dir.
void release_browser() {
    free_listing();
    fe.browse_locations = 0;
    fe.browse_failed_path[0] = '\0';
}

// A folder that cannot be listed leaves an empty listing, and the next
// pass tries it again; it is reported once, and the cursor restarts only
// when the folder really changed, so the rows stay reachable meanwhile.
void open_folder(const char* path) {
    char folder[FE_PATH_SIZE];
    snprintf(folder, sizeof folder, "%s", path);
    free_listing();
    fe.browse_locations = 0;
    snprintf(fe.browse_dir, sizeof fe.browse_dir, "%s", folder);
    int retry = strcmp(folder, fe.browse_failed_path) == 0;
    int n = list_dir(folder, &fe.browse_entries);
    if (n >= 0) {
        fe.browse_count = n;
        fe.browse_failed_path[0] = '\0';
    } else {
        free_listing();
        if (!retry) show_toast("Cannot open %s", folder);
        snprintf(fe.browse_failed_path, sizeof fe.browse_failed_path, "%s", folder);
    }
    if (!retry) restart_cursor();
}

// The folder a visit starts in: browse_dir, else the ROM's folder, else home.
void open_start_folder() {
    char start[FE_PATH_SIZE] = "";
    if (fe.browse_dir[0] && is_directory(fe.browse_dir)) {
        snprintf(start, sizeof start, "%s", fe.browse_dir);
    } else {
        if (fe.rom[0]) path_dirname(fe.rom, start, sizeof start);
        if (!start[0] || !is_directory(start)) {
            start[0] = '\0';
            home_dir(start, sizeof start);
        }
    }
    open_folder(start);
}

void show_locations() {
    free_listing();
    fe.browse_locations = 1;
    int n = list_browse_roots(&fe.browse_entries);
    fe.browse_count = n > 0 ? n : 0;
    restart_cursor();
}

void go_up() {
    if (fe.browse_locations) return;
    char parent[FE_PATH_SIZE];
    path_dirname(fe.browse_dir, parent, sizeof parent);
    if (parent[0] && strcmp(parent, fe.browse_dir) != 0)
        open_folder(parent);
    else
        show_locations();
}

// An entry's path: location entries hold full paths. 0 when it does not fit.
int entry_path(const DirEntry& e, char* out) {
    if (fe.browse_locations) {
        snprintf(out, FE_PATH_SIZE, "%s", e.name);
        return 1;
    }
    return join_path(out, FE_PATH_SIZE, fe.browse_dir, e.name);
}

// One entry row; 1 when it was activated (no further entry rows then).
int entry_row(const DirEntry& e) {
    char label[560];
    const char* value;
    if (e.is_folder) {
        // A location may end in "/" already ("/" itself, a HOME with one).
        size_t n = strlen(e.name);
        snprintf(label, sizeof label, "%s%s", e.name, n > 0 && e.name[n - 1] == '/' ? "" : "/");
        value = "folder";
    } else {
        int zip = is_zip_name(e.name);
        if (!zip && fe.browse_filter == 0) return 0;
        snprintf(label, sizeof label, "%s", e.name);
        value = strcmp(e.name, archive_name()) == 0 ? "expected name" : zip ? "zip" : "";
    }
    if (!screen_row(label, value, 1, nullptr, nullptr)) return 0;
    char path[FE_PATH_SIZE];
    if (!entry_path(e, path))
        show_toast("Cannot open %s", e.name);
    else if (e.is_folder)
        open_folder(path);
    else
        choose_rom(path);
    return 1;
}

// The rows after the parent row; 0 once a row has acted.
void listing_rows() {
    if (!fe.browse_locations) {
        char path[FE_PATH_SIZE];
        if (join_path(path, sizeof path, fe.browse_dir, archive_name()) && is_regular_file(path) &&
            screen_row("Use this folder's ROM", archive_name(), 1, nullptr, path)) {
            choose_rom(path);
            return;
        }
    }
    if (screen_row("Show", fe.browse_filter ? "All files" : "ZIP archives", 1, nullptr,
                   "Toggle between ZIP archives only and every file."))
        fe.browse_filter = !fe.browse_filter;
    for (int i = 0; i < fe.browse_count; i++)
        if (entry_row(fe.browse_entries[i])) return;
}

}  // namespace

int is_zip_name(const char* name) {
    size_t n = strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".zip") == 0;
}

void draw_rom_browser_screen() {
    if (!fe.browse_entries && !fe.browse_locations) open_start_folder();
    menu_begin_screen("ROM Selection", fe.browse_locations ? "Drives and locations" : fe.browse_dir);
    if (screen_row(fe.browse_locations ? "(locations)" : ".. (parent folder)", nullptr, 1, nullptr,
                   "Go up one level.")) {
        go_up();
        menu_end_screen();
        return;
    }
    listing_rows();
    menu_end_screen();
    if (!menu_pass_frozen() && fe.menu_input.back) {
        release_browser();
        save_settings();
        pop_screen();
    }
    // A pick that opened the ROM has left the screen.
    if (!browser_open()) release_browser();
}
