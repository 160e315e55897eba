// The main menu, the frontend's home, with its preview of the game, and the
// pause menu shown over a running game.
#include "menus/main_menu.h"

#include <cstdio>

#include "frontend/text_fit.h"
#include "menus/menus.h"

namespace {

constexpr double FALLBACK_ASPECT = 4.0 / 3.0;

// A row that only opens a screen.
struct ScreenRow {
    const char* label;
    const char* help;
    int screen;
};

const ScreenRow MAIN_SCREEN_ROWS[] = {
    {"Display Settings", "Scaling, filtering, CRT effects, colour and borders.", SCREEN_DISPLAY},
    {"Audio Settings", "Volume, output device and latency.", SCREEN_AUDIO},
    {"Controller Settings", "Keyboard and controller mappings for both players.", SCREEN_CONTROLS},
    {"Gameplay Settings", "Cabinet DIP switches: difficulty, lives, coinage.", SCREEN_GAMEPLAY},
    {"Gadgets", "On-screen panels: score, FPS, frame time, input display.", SCREEN_GADGETS},
    {"Extras", "Rewind, input movies, screenshots and folders.", SCREEN_EXTRAS},
    {"About", "Version, credits and licences.", SCREEN_ABOUT},
};

const ScreenRow PAUSE_SCREEN_ROWS[] = {
    {"Display Settings", nullptr, SCREEN_DISPLAY},
    {"Audio Settings", nullptr, SCREEN_AUDIO},
    {"Controller Configuration", nullptr, SCREEN_CONTROLS},
    {"Gadgets", nullptr, SCREEN_GADGETS},
    {"Extras", "Rewind, input movie recording, screenshots.", SCREEN_EXTRAS},
};

void screen_rows(const ScreenRow* rows, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (menu_item(rows[i].label, nullptr, 1, nullptr, rows[i].help)) push_screen(rows[i].screen);
}

// Push a screen whose slot list must be read afresh.
void push_slot_screen(int screen) {
    push_screen(screen);
    fe.slot_list_stale = 1;
}

// The area beside the rows, from the output's middle to its right margin.
int preview_area_width(int w, int u) { return w - w / 2 - u * 48 / 100; }

// The game (running) or a "Ready" card (loaded, not running) beside the
// rows; left out when the window has no room for it.
void draw_preview_box(int w, int h, int u) {
    int aw = preview_area_width(w, u), top = u * 140 / 100;
    int ah = h - u * 110 / 100 - u * 140 / 100;
    if (aw < u * 2 || ah < u * 150 / 100) return;
    int bw, bh;
    fit_aspect(aw, ah, shown_aspect(), &bw, &bh);
    int bx = w / 2 + (aw - bw) / 2, by = top + (ah - bh) / 2;
    fill_rounded_rect(fe.renderer, bx - u * 6 / 100, by - u * 6 / 100, bw + u * 12 / 100, bh + u * 12 / 100, u / 10,
                      0xFF2E221E);
    if (fe.running) {
        // The game texture holds the picture already turned as it is shown:
        // it goes into the box as it is, at full brightness, whatever
        // dimming the picture behind got.
        if (fe.picture_rotation != (fe.settings.rotation & 3)) apply_picture_adjust();
        SDL_SetTextureColorMod(fe.game_texture, 255, 255, 255);
        draw_picture_in_box(fe.game_texture, bx, by, bw, bh);
        return;
    }
    fill_rect(fe.renderer, bx, by, bw, bh, 0xFF120C0A);
    int cx = bx + bw / 2, cy = by + bh / 2;
    draw_text(fe.renderer, "Ready", cx, cy - u / 5, u * 30 / 100, 0xFFD6CCC8, ALIGN_CENTRE);
    const char* name = path_basename(fe.rom);
    draw_text_fitted(fe.renderer, name, cx, cy + u / 5, u * 18 / 100, 0xFF968882, ALIGN_CENTRE, bw - u * 24 / 100,
                     cut_for(name));
}

// Why no ROM is loaded, beside the rows: from the output's middle, or right
// of the list where a narrow window makes the list reach past it; broken
// into lines where it does not fit on one, down to the footer.
void draw_rom_error(int w, int h, int u) {
    const MenuLayout& l = fe.menu.layout;
    int list_right = l.list_left + l.list_width + u * 8 / 100 + u * 3 / 100;  // the scroll bar's right edge
    int x = list_right < w / 2 ? w / 2 : list_right + u / 10;
    int aw = preview_area_width(w, u) - (x - w / 2);
    if (aw <= 0) return;
    draw_text_fitted(fe.renderer, "ROM not ready", x, u * 150 / 100, u * 26 / 100, 0xFF78A0FF, ALIGN_LEFT, aw,
                     CUT_KEEPS_START);
    int size = u * 18 / 100;
    draw_text_wrapped(fe.renderer, fe.rom_message, x, u * 190 / 100, size, 0xFFD2C8C8, ALIGN_LEFT, aw,
                      text_line_height(size), h - u * 52 / 100 - u / 10);
}

}  // namespace

double shown_aspect() {
    double g = fe.adapter.display_aspect;
    if (!(g > 0.01 && g < 100.0)) g = FALLBACK_ASPECT;
    return fe.settings.rotation % 2 ? 1.0 / g : g;
}

void fit_aspect(int avail_w, int avail_h, double g, int* w, int* h) {
    if (avail_h < (int)(avail_w / g)) {
        *h = avail_h;
        *w = (int)(avail_h * g);
    } else {
        *w = avail_w;
        *h = (int)(avail_w / g);
    }
}

void draw_picture_in_box(SDL_Texture* texture, int x, int y, int w, int h) {
    if (!texture || w <= 0 || h <= 0) return;
    int dw, dh;
    fit_aspect(w, h, shown_aspect(), &dw, &dh);
    SDL_Rect dst{x + w / 2 - dw / 2, y + h / 2 - dh / 2, dw, dh};
    SDL_RenderCopy(fe.renderer, texture, nullptr, &dst);
}

SDL_Texture* kept_target(SDL_Texture** texture, int32_t* kept_w, int32_t* kept_h, int w, int h) {
    if (*kept_w == w && *kept_h == h) return *texture;
    if (*texture) SDL_DestroyTexture(*texture);
    *texture = nullptr;
    *kept_w = w;
    *kept_h = h;
    if (w <= 0 || h <= 0) return nullptr;
    *texture = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!*texture) return nullptr;
    SDL_Texture* previous = SDL_GetRenderTarget(fe.renderer);
    if (SDL_SetRenderTarget(fe.renderer, *texture) == 0) {
        SDL_SetRenderDrawColor(fe.renderer, 0, 0, 0, 255);
        SDL_RenderClear(fe.renderer);
    }
    SDL_SetRenderTarget(fe.renderer, previous);
    return *texture;
}

void draw_main_menu() {
    menu_begin_screen("Main Menu", fe.adapter.subtitle);
    if (fe.slot_list_stale) refresh_slot_list();
    bool running = fe.running, rom = fe.rom_loaded, states = fe.feature_on[FEATURE_SAVE_STATES];

    if (running && menu_item("Resume", nullptr, 1, nullptr, "Return to the game in progress.")) close_menu_and_resume();
    if (menu_item(running ? "Start New Game" : "Start Game", nullptr, rom, nullptr,
                  rom ? "Power on the board and start from the beginning." : "Select a ROM set first.")) {
        if (running) {
            show_confirm(CONFIRM_NEW_GAME, 0, "Start a new game? Unsaved progress in the current game will be lost.");
        } else {
            restart_game();
            close_menu_and_resume();
        }
    }
    if (states) {
        bool autosave = fe.state_slots[0].usable;
        if (menu_item("Continue", autosave ? "Autosave" : "none", autosave && rom, nullptr,
                      "Resume from the automatic save made when you last left a game.")) {
            if (running)
                show_confirm(CONFIRM_LOAD_SLOT, 0, "Continue from the autosave? Unsaved progress will be lost.");
            else if (load_slot(0))
                close_menu_and_resume();
        }
        if (menu_item("Load State", nullptr, rom, nullptr, "Pick one of the save-state slots."))
            push_slot_screen(SCREEN_LOAD_STATE);
        if (running && menu_item("Save State", nullptr, 1, nullptr, "Save the current game to a slot."))
            push_slot_screen(SCREEN_SAVE_STATE);
    }
    char rom_value[300];
    snprintf(rom_value, sizeof rom_value, "%s", rom ? path_basename(fe.rom) : "not set");
    if (menu_item("ROM Selection", rom_value, 1, nullptr, rom ? fe.rom : "Choose the ROM archive to play."))
        push_screen(SCREEN_ROM_SELECTION);
    screen_rows(MAIN_SCREEN_ROWS, sizeof MAIN_SCREEN_ROWS / sizeof MAIN_SCREEN_ROWS[0]);
    if (menu_item("Exit", nullptr, 1, nullptr, "Quit to the desktop.")) {
        if (running)
            show_confirm(CONFIRM_EXIT, 0, "%s",
                         fe.settings.autosave_exit ? "Exit the game? Progress will be autosaved."
                                                   : "Exit the game? Unsaved progress will be lost.");
        else
            fe.quit_requested = 1;
    }
    menu_end_screen();

    int w = 0, h = 0, u = fe.ui_unit;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    if (rom || running) draw_preview_box(w, h, u);
    if (!rom && fe.rom_message[0]) draw_rom_error(w, h, u);
    if (!menu_pass_frozen() && fe.menu_input.back && running) close_menu_and_resume();
}

void draw_pause_menu() {
    menu_begin_screen("Paused", fe.movie_status[0] ? fe.movie_status : nullptr);
    bool states = fe.feature_on[FEATURE_SAVE_STATES];
    char slot_value[32];
    snprintf(slot_value, sizeof slot_value, "Slot %d", fe.slot);

    if (menu_item("Resume", nullptr, 1, nullptr, "Return to the game.")) close_menu_and_resume();
    if (menu_item("Restart Game", nullptr, 1, nullptr, "Reset the board. Unsaved progress is lost."))
        show_confirm(CONFIRM_RESTART, 0, "Restart the game? Unsaved progress will be lost.");
    if (states) {
        if (menu_item("Save State", slot_value, 1, nullptr, "Choose a slot to save to."))
            push_slot_screen(SCREEN_SAVE_STATE);
        if (menu_item("Load State", slot_value, 1, nullptr, "Choose a slot to load."))
            push_slot_screen(SCREEN_LOAD_STATE);
    }
    screen_rows(PAUSE_SCREEN_ROWS, sizeof PAUSE_SCREEN_ROWS / sizeof PAUSE_SCREEN_ROWS[0]);
    bool autosave_menu = fe.settings.autosave_menu != 0;
    if (menu_item("Return to Main Menu", nullptr, 1, nullptr,
                  autosave_menu ? "Leaves the game; it is autosaved first." : "Leaves the game without saving."))
        show_confirm(CONFIRM_MAIN_MENU, 0, "%s",
                     autosave_menu ? "Return to the main menu? The game will be autosaved."
                                   : "Return to the main menu? Unsaved progress will be lost.");
    if (menu_item("Exit", nullptr, 1, nullptr, nullptr))
        show_confirm(CONFIRM_EXIT, 0, "%s",
                     fe.settings.autosave_exit ? "Exit to the desktop? The game will be autosaved."
                                               : "Exit to the desktop? Unsaved progress will be lost.");
    menu_end_screen();
    if (!menu_pass_frozen() && fe.menu_input.back) close_menu_and_resume();
}
