// The menu pass: every main-loop pass with the menu open draws the screen
// stack, the screen under an overlay first, then runs the top screen. Also
// the two small screens the frontend draws itself: Player Controllers and
// About.
#include "menus/menu_pass.h"

#include <cstdio>
#include <cstring>

#include "frontend/text_fit.h"
#include "menus/menus.h"

namespace {

constexpr uint32_t ABOUT_TEXT_COLOUR = 0xFFDCD2CE;
constexpr uint32_t ABOUT_DETAIL_COLOUR = 0xFFA0928C;
constexpr int MIN_CONTROLLER = -1;  // automatic
constexpr int MAX_CONTROLLER = 7;

bool is_overlay(int screen) {
    return screen == SCREEN_CONFIRM || screen == SCREEN_MESSAGE || screen == SCREEN_KEY_CAPTURE;
}

// Only these screens show under an overlay; the others leave the backdrop.
bool drawn_under_overlay(int screen) {
    switch (screen) {
    case SCREEN_MAIN:
    case SCREEN_PAUSE:
    case SCREEN_DISPLAY:
    case SCREEN_AUDIO:
    case SCREEN_CONTROLS:
    case SCREEN_HOTKEYS:
    case SCREEN_GAMEPLAY:
    case SCREEN_EXTRAS:
    case SCREEN_SAVE_STATE:
    case SCREEN_LOAD_STATE:
    case SCREEN_ROM_SELECTION:
        return true;
    default:
        return false;
    }
}

void draw_screen(int screen) {
    switch (screen) {
    case SCREEN_MAIN: draw_main_menu(); break;
    case SCREEN_PAUSE: draw_pause_menu(); break;
    case SCREEN_DISPLAY: draw_display_settings_screen(); break;
    case SCREEN_AUDIO: draw_audio_settings_screen(); break;
    case SCREEN_CONTROLS: draw_controls_screen(); break;
    case SCREEN_PLAYER_CONTROLLERS: draw_player_controllers_screen(); break;
    case SCREEN_HOTKEYS: draw_hotkeys_screen(); break;
    case SCREEN_GAMEPLAY: draw_gameplay_screen(); break;
    case SCREEN_GADGETS: draw_gadgets_screen(); break;
    case SCREEN_EXTRAS: draw_extras_screen(); break;
    case SCREEN_ABOUT: draw_about_screen(); break;
    case SCREEN_SAVE_STATE: draw_state_slots_screen(1); break;
    case SCREEN_LOAD_STATE: draw_state_slots_screen(0); break;
    case SCREEN_ROM_SELECTION: draw_rom_browser_screen(); break;
    case SCREEN_CONFIRM: draw_confirm_dialog(); break;
    case SCREEN_MESSAGE: draw_message_box(); break;
    case SCREEN_KEY_CAPTURE: draw_key_capture(); break;
    case SCREEN_GADGET_EDITOR: draw_gadget_editor_screen(); break;
    default: break;
    }
}

// The screen below an overlay, drawn as it stands: with its own cursor and
// no input at all, so nothing in it is hovered, changed or activated.
void draw_background_of_overlay() {
    MenuInput saved = fe.menu_input;
    fe.menu_input = MenuInput{};
    fe.menu_input.mouse_x = -1;
    fe.menu_input.mouse_y = -1;
    fe.screen_depth--;
    int below = top_screen();
    if (below >= 0 && drawn_under_overlay(below)) draw_screen(below);
    fe.screen_depth++;
    fe.menu_input = saved;
}

int player_rows() {
    int n = fe.adapter.players;
    if (n <= 0) return 2;
    return n > FE_MAX_PLAYERS ? FE_MAX_PLAYERS : n;
}

const char* pad_name(int i) {
    const char* name = i >= 0 && i < fe.pad_count && fe.pads[i] ? SDL_GameControllerName(fe.pads[i]) : nullptr;
    return name ? name : "";
}

// "Data folder: /its/path" in the About screen's detail line: where it is
// too wide, the path keeps its end beside the whole label.
void draw_labelled_path(const char* label, const char* path, int x, int y, int room) {
    int size = fe.ui_unit * 18 / 100;
    char text[2112], cut[2112];
    snprintf(text, sizeof text, "%s%s", label, path);
    if (!text_fits(text, size, room))
        snprintf(text, sizeof text, "%s%s", label,
                 fit_text(path, size, room - measure_text_width(label, size), cut_for(path), cut, sizeof cut));
    draw_text(fe.renderer, text, x, y, size, ABOUT_DETAIL_COLOUR, ALIGN_LEFT);
}

}  // namespace

void menus_install() {
    static const MenuHooks hooks = {menu_pass, menu_handle_event, menu_stick_repeat};
    frontend_set_menu_hooks(&hooks);
}

void return_to_main_menu() {
    fe.screen_stack[0] = SCREEN_MAIN;
    fe.screen_depth = 1;
    reset_screen_timing();
}

void apply_empty_stack_rule() {
    if (fe.screen_depth != 0) return;
    if (fe.running) {
        if (fe.menu_open) close_menu_and_resume();
        return;
    }
    // No game to go back to: the main menu, with the sound held as any
    // opened menu holds it.
    fe.menu_open = 1;
    return_to_main_menu();
    if (fe.audio_device) SDL_PauseAudioDevice(fe.audio_device, 1);
}

void menu_pass() {
    menu_pass_begin();
    if (fe.screen_depth == 0) {
        draw_main_menu();
    } else {
        int top = top_screen();
        if (is_overlay(top)) draw_background_of_overlay();
        draw_screen(top);
    }
    apply_empty_stack_rule();
}

void draw_player_controllers_screen() {
    menu_begin_screen("Player Controllers", nullptr);
    int n = player_rows();
    for (int p = 1; p <= n; p++) {
        int32_t& c = fe.settings.player_controller[p - 1];
        char label[32], value[160];
        snprintf(label, sizeof label, "Player %d", p);
        if (c < 0)
            snprintf(value, sizeof value, "Automatic");
        else if (c < fe.pad_count)
            snprintf(value, sizeof value, "%d: %s", c + 1, pad_name(c));
        else
            snprintf(value, sizeof value, "Controller %d (not connected)", c + 1);
        int change = 0;
        int activated = menu_item(label, value, 1, &change, "Coin, service and test accept every controller.");
        int d = activated ? 1 : change;
        if (d) {
            // Clamped, not wrapped; a hand-edited value far out of range
            // comes straight back to the nearer end.
            long long v = (long long)c + d;
            c = (int32_t)(v < MIN_CONTROLLER ? MIN_CONTROLLER : v > MAX_CONTROLLER ? MAX_CONTROLLER : v);
        }
    }
    for (int i = 0; i < fe.pad_count; i++) {
        char label[32];
        snprintf(label, sizeof label, "Connected %d", i + 1);
        menu_item(label, pad_name(i), 0, nullptr, nullptr);
    }
    if (fe.pad_count <= 0)
        menu_item("No controllers connected", nullptr, 0, nullptr,
                  "Plug one in at any time; it is detected automatically.");
    menu_end_screen();
    if (!menu_pass_frozen() && fe.menu_input.back) {
        save_settings();
        pop_screen();
    }
}

void draw_about_screen() {
    menu_begin_screen("About", nullptr);
    menu_end_screen();
    int u = fe.ui_unit;
    int x = u * 40 / 100, y = u * 160 / 100;
    const char* text = fe.adapter.about_text ? fe.adapter.about_text : "";
    while (*text) {
        size_t n = strcspn(text, "\n");
        char line[256];
        snprintf(line, sizeof line, "%.*s", (int)(n < 255 ? n : 255), text);
        draw_text(fe.renderer, line, x, y, u * 21 / 100, ABOUT_TEXT_COLOUR, ALIGN_LEFT);
        y += u * 30 / 100;
        text += n;
        if (*text == '\n') text++;
    }

    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    int room = w - 2 * x;
    char detail[2112];
    draw_labelled_path("Data folder: ", fe.data_dir, x, y + u * 16 / 100, room);
    SDL_version v;
    SDL_GetVersion(&v);
    SDL_RendererInfo info;
    const char* renderer = SDL_GetRendererInfo(fe.renderer, &info) == 0 && info.name ? info.name : "SDL_Renderer";
    snprintf(detail, sizeof detail, "SDL %d.%d.%d   Renderer: %s", v.major, v.minor, v.patch, renderer);
    draw_text(fe.renderer, detail, x, y + u * 44 / 100, u * 18 / 100, ABOUT_DETAIL_COLOUR, ALIGN_LEFT);
    draw_labelled_path("Profile: ", fe.profile.loaded ? fe.profile.path : "none (adapter defaults)", x,
                       y + u * 72 / 100, room);
    snprintf(detail, sizeof detail, "%s", fe.feature_summary);
    draw_text(fe.renderer, detail, x, y + u, u * 16 / 100, ABOUT_DETAIL_COLOUR, ALIGN_LEFT);

    if (!menu_pass_frozen() && (fe.menu_input.select || fe.menu_input.back)) pop_screen();
}
