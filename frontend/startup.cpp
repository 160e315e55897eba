// The life of the frontend: the command line, start-up in its fixed order,
// the main loop, and shut-down in its fixed order.
#include "frontend/startup.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "frontend/frontend.h"
#include "frontend/main_loop.h"
#include "frontend/picture.h"

namespace {

constexpr const char* ORGANISATION = "Velmorhaven";
constexpr int SAFE_TITLE_LIMIT = 125;
constexpr int MIN_WINDOW_W = 320;
constexpr int MIN_WINDOW_H = 240;
constexpr Uint32 INIT_FLAGS = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER;

// Copies a path into one of the record's path buffers; a path that does not
// fit is refused rather than cut.
int copy_path(char* out, const char* path) {
    size_t n = strlen(path);
    if (n >= (size_t)FE_PATH_SIZE) return 0;
    memcpy(out, path, n + 1);
    return 1;
}

// One path of the path block: the data folder joined with a fixed name, or
// empty (every use then fails) when it does not fit.
void set_block_path(char* out, const char* name) {
    if (!join_path(out, FE_PATH_SIZE, fe.data_dir, name)) out[0] = '\0';
}

// The data folder: beside the executable when asked for (and not inside an
// AppImage), else SDL's per-user folder, else the executable's folder, else
// the current folder.
void choose_data_folder(const char* base, int portable, const char* safe_title) {
    int want_portable = portable;
    if (!want_portable && base[0]) {
        char marker[FE_PATH_SIZE];
        want_portable = join_path(marker, sizeof marker, base, "portable.txt") && is_regular_file(marker);
    }
    if (want_portable && base[0] && !getenv("APPIMAGE")) {
        copy_path(fe.data_dir, base);
        return;
    }
    // SDL takes an XDG_DATA_HOME that is set but empty as the file system
    // root; such a value means "unset".
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && !xdg[0]) unsetenv("XDG_DATA_HOME");
    char* pref = SDL_GetPrefPath(ORGANISATION, safe_title);
    int chosen = pref && copy_path(fe.data_dir, pref);
    if (pref) SDL_free(pref);
    if (chosen) return;
    if (base[0]) {
        copy_path(fe.data_dir, base);
        return;
    }
    copy_path(fe.data_dir, "./");
}

void make_data_folders() {
    make_dirs(fe.data_dir);
    set_block_path(fe.settings_path, "settings.ini");
    set_block_path(fe.states_dir, "states");
    set_block_path(fe.screenshots_dir, "screenshots");
    set_block_path(fe.nvram_dir, "nvram");
    set_block_path(fe.movies_dir, "movies");
    set_block_path(fe.log_path, "frontend.log");
    make_dirs(fe.states_dir);
    make_dirs(fe.screenshots_dir);
    make_dirs(fe.movies_dir);
    if (fe.adapter.save_nvram) make_dirs(fe.nvram_dir);
}

// The window's size from the settings, fitted to the desktop (which lowers
// the scale setting itself), then the exact size of "--window".
void initial_window_size(const CommandLine& cl, int* w, int* h) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
        fe.settings.window_scale = fit_window_scale((int)fe.adapter.height, fe.adapter.display_aspect,
                                                    fe.settings.rotation, fe.settings.window_scale, desktop.w,
                                                    desktop.h);
    window_size_for_scale(fe.settings.window_scale, w, h);
    if (cl.window_w >= MIN_WINDOW_W && cl.window_h >= MIN_WINDOW_H) {
        *w = cl.window_w;
        *h = cl.window_h;
    }
}

int create_renderer() {
    Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
    if (fe.settings.vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
    fe.renderer = SDL_CreateRenderer(fe.window, -1, flags);
    if (!fe.renderer) fe.renderer = SDL_CreateRenderer(fe.window, -1, SDL_RENDERER_SOFTWARE);
    if (!fe.renderer) return 0;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(fe.renderer, &info) == 0) {
        log_line("renderer: %s", info.name);
        fe.vsync_effective = presents_wait_for_display(fe.settings.vsync, info.flags);
    }
    return 1;
}

int create_picture_buffers() {
    int w = (int)fe.adapter.width, h = (int)fe.adapter.height;
    fe.game_texture = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    size_t pixels = (size_t)fe.adapter.width * fe.adapter.height;
    fe.raw_frame = (uint32_t*)calloc(pixels ? pixels : 1, sizeof(uint32_t));
    fe.raw_frame16 = (uint16_t*)calloc(pixels ? pixels : 1, sizeof(uint16_t));
    fe.picture_frame = (uint32_t*)calloc(pixels ? pixels : 1, sizeof(uint32_t));
    fe.audio_buffer = (int16_t*)calloc((size_t)fe.adapter.max_audio_frames * 2 + 16, sizeof(int16_t));
    return fe.game_texture && fe.raw_frame && fe.raw_frame16 && fe.picture_frame && fe.audio_buffer;
}

// The ROM archive: the setting when it names a file, else the first
// archive of the expected name found in the usual places.
void find_rom(const char* base) {
    if (fe.rom[0] && is_regular_file(fe.rom)) return;

    const char* name = fe.adapter.rom_archive_name ? fe.adapter.rom_archive_name : "";
    char candidate[FE_PATH_SIZE];
    // One candidate: `name` in folder/sub (sub may be null). A candidate
    // whose path does not fit is skipped, never tried under a cut name.
    auto found = [&](const char* folder, const char* sub) {
        char dir[FE_PATH_SIZE];
        if (sub && !join_path(dir, sizeof dir, folder, sub)) return false;
        if (!join_path(candidate, sizeof candidate, sub ? dir : folder, name)) return false;
        return is_regular_file(candidate) != 0;
    };
    char home[FE_PATH_SIZE];
    int has_home = home_dir(home, sizeof home);
    bool hit = (base[0] && found(base, nullptr)) || found(fe.data_dir, nullptr) || found(fe.data_dir, "roms") ||
               (has_home && (found(home, "Downloads") || found(home, "roms"))) ||
               (copy_path(candidate, name) && is_regular_file(candidate));
    if (hit) {
        copy_path(fe.rom, candidate);
        log_line("found ROM at %s", fe.rom);
    }
}

// "--state FILE": resume from a save-state file. 1 when the game now runs
// from it.
int load_state_file(const char* path) {
    size_t size = 0;
    uint8_t* data = read_whole_file(path, &size);
    if (!data) {
        log_line("--state %s rejected: %s", path, "cannot read file");
        return 0;
    }
    char err[200] = "";
    uint32_t length = 0;
    const uint8_t* snapshot = parse_state_container(data, size, nullptr, &length, err, sizeof err);
    int ok = snapshot && fe.adapter.load_snapshot && fe.adapter.load_snapshot(snapshot, length, err, sizeof err);
    free(data);
    if (!ok) {
        log_line("--state %s rejected: %s", path, err);
        return 0;
    }
    fe.running = 1;
    fetch_frame();
    return 1;
}

void shut_down() {
    if (fe.exit_screenshot_path && fe.exit_screenshot_path[0]) write_exit_screenshot(fe.exit_screenshot_path);
    log_line("exit: %llu frames, %d audio underruns, %d drops", (unsigned long long)fe.frame_counter,
             fe.audio_underruns, fe.audio_drops);
    save_settings();
    flush_nvram();
    end_movie();
    free_rewind();
    free_slot_thumbnails();
    if (fe.audio_device) SDL_CloseAudioDevice(fe.audio_device);
    fe.audio_device = 0;
    if (fe.audio_stream) SDL_FreeAudioStream(fe.audio_stream);
    fe.audio_stream = nullptr;
    close_controllers();
    if (fe.adapter.unload) fe.adapter.unload();
    destroy_font_texture();
    for (SDL_Texture** t : {&fe.mask_texture, &fe.glow_texture, &fe.glow_source, &fe.game_texture}) {
        if (*t) SDL_DestroyTexture(*t);
        *t = nullptr;
    }
    SDL_DestroyRenderer(fe.renderer);
    fe.renderer = nullptr;
    SDL_DestroyWindow(fe.window);
    fe.window = nullptr;
    free(fe.raw_frame);
    free(fe.raw_frame16);
    free(fe.picture_frame);
    free(fe.audio_buffer);
    fe.raw_frame = fe.picture_frame = nullptr;
    fe.raw_frame16 = nullptr;
    fe.audio_buffer = nullptr;
    free(fe.browse_entries);
    fe.browse_entries = nullptr;
    fe.browse_count = 0;
    free_ini(&fe.settings_doc);
    close_log();
    SDL_Quit();
}

}  // namespace

int parse_decimal(const char* text) {
    long v = strtol(text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return (int)v;
}

int parse_window_size(const char* text, int* w, int* h) {
    char* end = nullptr;
    long a = strtol(text, &end, 10);
    if (end == text || *end != 'x') return 0;
    const char* second = end + 1;
    long b = strtol(second, &end, 10);
    if (end == second) return 0;
    *w = (int)(a > INT_MAX ? INT_MAX : a < INT_MIN ? INT_MIN : a);
    *h = (int)(b > INT_MAX ? INT_MAX : b < INT_MIN ? INT_MIN : b);
    return 1;
}

void parse_command_line(int argc, char** argv, CommandLine* out) {
    *out = CommandLine{};
    out->fullscreen = -1;
    out->rotate = -1;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        bool value = i + 1 < argc;  // an option's value exists only when an argument follows
        if (value && strcmp(a, "--rom") == 0) {
            out->rom = argv[++i];
        } else if (strcmp(a, "--fullscreen") == 0) {
            out->fullscreen = 1;
        } else if (strcmp(a, "--windowed") == 0) {
            out->fullscreen = 0;
        } else if (value && strcmp(a, "--scale") == 0) {
            out->scale = parse_decimal(argv[++i]);
        } else if (value && strcmp(a, "--window") == 0) {
            if (!parse_window_size(argv[++i], &out->window_w, &out->window_h)) out->window_w = out->window_h = 0;
        } else if (strcmp(a, "--portable") == 0) {
            out->portable = 1;
        } else if (value && strcmp(a, "--profile") == 0) {
            out->profile = argv[++i];
        } else if (value && strcmp(a, "--state") == 0) {
            out->state = argv[++i];
        } else if (strcmp(a, "--no-menu") == 0) {
            out->no_menu = 1;
        } else if (value && strcmp(a, "--rotate") == 0) {
            out->rotate = parse_decimal(argv[++i]);
        } else if (value && strcmp(a, "--frames") == 0) {
            out->frames = parse_decimal(argv[++i]);
        } else if (value && strcmp(a, "--screenshot") == 0) {
            out->screenshot = argv[++i];
        } else if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            out->help = 1;
            return;
        } else if (a[0] != '-' && !out->rom) {
            out->rom = a;
        }
    }
}

void print_usage(FILE* out, const char* program, const char* rom_archive_name) {
    fprintf(out,
            "%s\n"
            "  --rom PATH        ROM archive (%s)\n"
            "  --fullscreen      start fullscreen\n"
            "  --windowed        start in a window\n"
            "  --scale N         window size multiple\n"
            "  --window WxH      exact window size (e.g. 1280x800 to preview Steam Deck)\n"
            "  --portable        keep settings and saves beside the executable\n"
            "  --state FILE      load a save-state file at start\n"
            "  --no-menu         start the game immediately\n"
            "  --rotate N        picture rotation in quarter turns (0-3; default: original)\n"
            "  --frames N        quit after N frames (automated checks)\n"
            "  --screenshot FILE write a PNG of the last frame at exit\n"
            "  --profile FILE    use this game profile (JSON) instead of profiles/<id>.json\n",
            program, rom_archive_name);
}

void make_safe_title(const char* title, char* out, size_t out_size) {
    // Room for the last ':' expanding to two characters past the limit.
    char buf[SAFE_TITLE_LIMIT + 2];
    int n = 0;
    for (const char* p = title ? title : ""; *p && n < SAFE_TITLE_LIMIT; p++) {
        char c = *p;
        if (c == ':') {
            if (n > 0 && buf[n - 1] == ' ') n--;
            buf[n++] = ' ';
            buf[n++] = '-';
        } else if (strchr("<>\"/\\|?*", c)) {
            buf[n++] = '_';
        } else {
            buf[n++] = c;
        }
    }
    buf[n] = '\0';
    snprintf(out, out_size, "%s", buf);
}

int fit_window_scale(int height, double aspect, int rotation, int scale, int dw, int dh) {
    if (scale <= 1) return scale;
    auto fits = [&](int s) {
        int w, h;
        window_size_for(height, aspect, s, rotation, &w, &h);
        return w <= (int64_t)dw - 40 && h <= (int64_t)dh - 80;
    };
    if (fits(scale)) return scale;
    // The sizes grow with the scale: the largest one that fits, or 1.
    int lo = 1, hi = scale;  // fits(hi) is false
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

int frontend_main(const GameAdapter* adapter, int argc, char** argv) {
    memset(&fe, 0, sizeof fe);
    fe.adapter = *adapter;
    CommandLine cl;
    parse_command_line(argc, argv, &cl);
    if (cl.help) {
        print_usage(stdout, argc > 0 ? argv[0] : "", fe.adapter.rom_archive_name);
        return 0;
    }
    fe.frame_limit = cl.frames;
    fe.exit_screenshot_path = cl.screenshot;

    const char* title = fe.adapter.title ? fe.adapter.title : "";
    SDL_SetHint("SDL_VIDEO_ALLOW_SCREENSAVER", "0");
    SDL_SetHint("SDL_GAMECONTROLLER_USE_BUTTON_LABELS", "0");
    SDL_SetHint("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "0");
    SDL_SetHint("SDL_APP_NAME", title);
    if (SDL_Init(INIT_FLAGS) != 0) {
        fprintf(stderr, "SDL_Init failed: %s\n", SDL_GetError());
        return 1;
    }

    char base[FE_PATH_SIZE] = "";
    if (char* b = SDL_GetBasePath()) {
        copy_path(base, b);
        SDL_free(b);
    }
    char safe_title[SAFE_TITLE_LIMIT + 2];
    make_safe_title(title, safe_title, sizeof safe_title);
    choose_data_folder(base, cl.portable, safe_title);
    make_data_folders();
    open_log(fe.log_path);
    log_line("%s starting; data folder %s", title, fe.data_dir);

    run_profile_step(cl.profile);
    load_settings(cl.rotate, cl.fullscreen, cl.scale);
    fe.perf_freq = SDL_GetPerformanceFrequency();
    fe.picture_lut_stale = 1;

    int w, h;
    initial_window_size(cl, &w, &h);
    Uint32 window_flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fe.settings.fullscreen) window_flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    fe.window = SDL_CreateWindow(fe.adapter.title ? fe.adapter.title : "", SDL_WINDOWPOS_CENTERED,
                                 SDL_WINDOWPOS_CENTERED, w, h, window_flags);
    if (!fe.window) {
        log_line("SDL_CreateWindow failed: %s", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_SetWindowMinimumSize(fe.window, MIN_WINDOW_W, MIN_WINDOW_H);
    if (!create_renderer()) {
        log_line("SDL_CreateRenderer failed: %s", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    if (!create_font_texture(fe.renderer)) log_line("font atlas failed to initialise");
    if (!create_picture_buffers()) {
        log_line("out of memory");
        SDL_Quit();
        return 1;
    }
    SDL_SetTextureScaleMode(fe.game_texture, fe.settings.filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    open_controllers();
    open_audio_device();

    if (cl.rom && !copy_path(fe.rom, cl.rom)) {
        // A path that does not fit is refused by the opening itself, and no
        // other archive is opened in its place.
        open_rom(cl.rom);
    } else {
        find_rom(base);
        if (fe.rom[0]) open_rom(fe.rom);
    }
    if (!fe.rom[0] && !fe.rom_message[0]) {
        snprintf(fe.rom_message, sizeof fe.rom_message, "No ROM selected. Choose ROM Selection and pick %s.",
                 fe.adapter.rom_archive_name ? fe.adapter.rom_archive_name : "");
    }
    if (fe.rom_loaded) save_settings();
    apply_picture_adjust();

    int resumed = cl.state && fe.rom_loaded && load_state_file(cl.state);
    if (!resumed) {
        if (cl.no_menu && fe.rom_loaded) restart_game();
        if (!fe.running) open_menu_and_pause(SCREEN_MAIN);
    }
    if (fe.rom_loaded) refresh_slot_list();

    fe.last_pass_time = fe.fps_window_start = SDL_GetPerformanceCounter();
    while (!fe.quit_requested) main_loop_pass();

    shut_down();
    return 0;
}
