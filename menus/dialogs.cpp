// The three overlays drawn over a screen: the confirmation dialog, the
// message box and the key-capture overlay that records a new binding.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/text_fit.h"
#include "menus/main_menu.h"
#include "menus/menu_pass.h"
#include "menus/menus.h"

namespace {

constexpr uint32_t PANEL_COLOUR = 0xFC261B18;
constexpr uint32_t BUTTON_COLOUR = 0xFF3E302C;
constexpr int MESSAGE_LINE_MAX = 199;
constexpr double CAPTURE_SECONDS = 5.0;
constexpr int AXIS_THRESHOLD = 24000;
constexpr int AXIS_CODE_BASE = 100;

enum ConfirmButton : int { BUTTON_YES = 0, BUTTON_NO = 1 };

// The shade over the whole output under an overlay: a black layer at the
// colour's alpha, or the filled rectangle itself where no layer can be made.
void draw_shade(int w, int h, uint32_t colour) {
    SDL_Texture* layer = kept_target(&fe.menu.shade, &fe.menu.shade_w, &fe.menu.shade_h, w, h);
    if (!layer) {
        fill_rect(fe.renderer, 0, 0, w, h, colour);
        return;
    }
    SDL_SetTextureBlendMode(layer, SDL_BLENDMODE_BLEND);
    SDL_SetTextureAlphaMod(layer, (uint8_t)(colour >> 24));
    SDL_Rect all{0, 0, w, h};
    SDL_RenderCopy(fe.renderer, layer, nullptr, &all);
}

// A panel's width: as wanted, but never wider than the output less a
// margin on each side, so that a small window shows all of it.
int panel_width(int wanted, int w, int u) { return std::min(wanted, w - 2 * (u / 10)); }

bool inside(int px, int py, int x, int y, int w, int h) { return px >= x && px < x + w && py >= y && py < y + h; }

// The binding the capture request names, or null when the request does
// not name one.
InputBinding* capture_binding() {
    int row = fe.capture_row;
    if (fe.capture_hotkey == 1) return row >= 0 && row < FE_HOTKEY_COUNT ? &fe.hotkeys[row] : nullptr;
    int rows = fe.adapter.inputs ? fe.adapter.input_count : 0;
    if (rows > FE_MAX_INPUTS) rows = FE_MAX_INPUTS;
    return row >= 0 && row < rows ? &fe.bindings[row] : nullptr;
}

const char* capture_label() {
    if (fe.capture_hotkey == 1) return HOTKEYS[fe.capture_row].label;
    const char* label = fe.adapter.inputs[fe.capture_row].label;
    return label ? label : "";
}

// Escape is the way out of a capture, except for the menu hotkey itself,
// which may well be bound to Escape.
bool escape_binds() { return fe.capture_hotkey == 1 && fe.capture_row == HOTKEY_MENU; }

// The wrapped body of the message box: lines cut at a space or a slash
// where they would pass the width, blank lines as a small gap, and what
// does not fit above the footer left out.
void draw_message_body(int px, int py, int pw, int ph, int u) {
    const char* t = fe.message_text;
    if (!*t) return;
    int size = u / 5, left = px + u * 36 / 100, limit = pw - u * 72 / 100;
    int y = py + u * 84 / 100;
    while (y < py + ph - u * 80 / 100) {
        if (*t == '\n') {
            y += u * 14 / 100;
            t++;
            if (!*t) break;
            continue;
        }
        char line[MESSAGE_LINE_MAX + 1];
        int k = wrap_text_line(t, size, limit, MESSAGE_LINE_MAX, line);
        if (k < 0) break;
        draw_text(fe.renderer, line, left, y, size, 0xFFDED6D2, ALIGN_LEFT);
        t = next_line_start(t, k);
        y += u * 28 / 100;
        if (!*t) break;
    }
}

// Whatever ends a capture, the inputs held then are quiet until let go:
// held on, they would act on the screen below at once.
void end_capture(const SDL_Event* ending) {
    pop_screen();
    quiet_held_inputs(ending);
}

}  // namespace

void draw_confirm_dialog() {
    int w = 0, h = 0, u = fe.ui_unit;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    const MenuInput& in = fe.menu_input;
    bool live = !menu_pass_frozen();
    uint32_t accent = accent_colour();
    int& cursor = fe.menu.cursor[SCREEN_CONFIRM];

    draw_shade(w, h, 0xA0000000);
    int pw = panel_width(u * 760 / 100, w, u), ph = u * 250 / 100, px = (w - pw) / 2, py = (h - ph) / 2;
    fill_rounded_rect(fe.renderer, px, py, pw, ph, u * 16 / 100, PANEL_COLOUR);
    fill_rect(fe.renderer, px, py, pw, u / 25, accent);
    // One line, or as many as stand above the buttons.
    draw_text_wrapped(fe.renderer, fe.confirm_text, w / 2, py + u * 56 / 100, u * 22 / 100, 0xFFF0EAE8, ALIGN_CENTRE,
                      pw - u * 72 / 100, u * 30 / 100, py + ph - u * 36 / 100 - u * 56 / 100);

    if (live) {
        if (in.up || in.left) cursor = BUTTON_YES;
        if (in.down || in.right) cursor = BUTTON_NO;
    }
    int choice = -1;
    int bw = u * 2, bh = u * 56 / 100, top = py + ph - u * 36 / 100 - bh;
    int label_size = u * 24 / 100;
    for (int i = BUTTON_YES; i <= BUTTON_NO; i++) {
        int x = i == BUTTON_YES ? w / 2 - u * 2 - u / 5 : w / 2 + u / 5;
        bool hovered = inside(in.mouse_x, in.mouse_y, x, top, bw, bh);
        if (live && hovered && in.mouse_moved) cursor = i;
        bool on = cursor == i;
        fill_rounded_rect(fe.renderer, x, top, bw, bh, u / 10, on ? accent : BUTTON_COLOUR);
        draw_text(fe.renderer, i == BUTTON_YES ? "Yes" : "No", x + u, top + (bh - text_line_height(label_size)) / 2,
                  label_size, on ? 0xFF100C0A : 0xFFE8E0DC, ALIGN_CENTRE);
        if (live && hovered && in.click) choice = i;
    }
    if (!live) return;
    if (in.select) choice = cursor == BUTTON_YES ? BUTTON_YES : BUTTON_NO;
    if (in.back) choice = BUTTON_NO;  // Back always answers No
    if (choice < 0) return;
    pop_screen();
    if (choice == BUTTON_YES) run_confirm_action(fe.confirm_action, fe.confirm_value);
}

void draw_message_box() {
    int w = 0, h = 0, u = fe.ui_unit;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    draw_shade(w, h, 0xAA000000);
    int pw = panel_width(u * 9, w, u), ph = u * 380 / 100, px = (w - pw) / 2, py = (h - ph) / 2;
    fill_rounded_rect(fe.renderer, px, py, pw, ph, u * 16 / 100, PANEL_COLOUR);
    fill_rect(fe.renderer, px, py, pw, u / 25, 0xFF5878EC);
    draw_text_fitted(fe.renderer, fe.message_title, px + u * 36 / 100, py + u * 28 / 100, u * 30 / 100, 0xFFFAF6F4,
                     ALIGN_LEFT, pw - u * 72 / 100, CUT_KEEPS_START);
    draw_message_body(px, py, pw, ph, u);
    draw_text(fe.renderer, "Press Enter / A to continue", px + pw - u * 36 / 100, py + ph - u * 52 / 100,
              u * 18 / 100, 0xFFA0928C, ALIGN_RIGHT);

    const MenuInput& in = fe.menu_input;
    if (menu_pass_frozen() || !(in.select || in.back || in.click)) return;
    pop_screen();
    apply_empty_stack_rule();
}

void draw_key_capture() {
    if (!capture_binding()) {
        pop_screen();  // nothing to bind
        return;
    }
    int w = 0, h = 0, u = fe.ui_unit;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    draw_shade(w, h, 0xAA000000);
    int pw = panel_width(u * 720 / 100, w, u), px = pw < u * 720 / 100 ? (w - pw) / 2 : w / 2 - u * 360 / 100;
    fill_rounded_rect(fe.renderer, px, h / 2 - u * 110 / 100, pw, u * 220 / 100, u * 14 / 100, 0xFA261B18);
    // Within the panel, whatever the label and the window's size.
    int inner = pw - u * 72 / 100;
    const char* prompt = fe.capture_column == 2 ? "Press a controller button or move a stick for" : "Press a key for";
    draw_text_fitted(fe.renderer, prompt, w / 2, h / 2 - u * 70 / 100, u * 24 / 100, 0xFFD6CCC8, ALIGN_CENTRE, inner,
                     CUT_KEEPS_START);
    draw_text_fitted(fe.renderer, capture_label(), w / 2, h / 2 - u * 30 / 100, u * 36 / 100, accent_colour(),
                     ALIGN_CENTRE, inner, CUT_KEEPS_START);
    double elapsed = (double)(SDL_GetPerformanceCounter() - fe.capture_start) / (double)fe.perf_freq;
    double left = CAPTURE_SECONDS - elapsed;
    char text[64];
    snprintf(text, sizeof text, "Waiting %.0f s  -  Esc cancels", left > 0 ? left : 0.0);
    draw_text_fitted(fe.renderer, text, w / 2, h / 2 + u * 40 / 100, u / 5, 0xFFA0928C, ALIGN_CENTRE, inner,
                     CUT_KEEPS_START);
    if (left <= 0) end_capture(nullptr);
}

void key_capture_event(const SDL_Event* event) {
    InputBinding* b = capture_binding();
    if (!b) return;
    switch (event->type) {
    case SDL_KEYDOWN: {
        if (event->key.repeat) return;
        int scancode = event->key.keysym.scancode;
        if (scancode == SDL_SCANCODE_ESCAPE && !escape_binds()) {
            end_capture(event);
            return;
        }
        if (fe.capture_column == 0)
            b->key1 = scancode;
        else if (fe.capture_column == 1)
            b->key2 = scancode;
        else
            return;
        end_capture(event);
        return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
        if (fe.capture_column != 2) return;
        b->pad = event->cbutton.button;
        end_capture(event);
        return;
    case SDL_CONTROLLERAXISMOTION: {
        if (fe.capture_column != 2 || axis_is_quiet(event->caxis.which, event->caxis.axis)) return;
        int value = event->caxis.value;
        if (abs(value) <= AXIS_THRESHOLD) return;
        b->pad = AXIS_CODE_BASE + 2 * event->caxis.axis + (value > 0 ? 1 : 0);
        end_capture(event);
        return;
    }
    default:
        return;
    }
}
