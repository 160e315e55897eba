// The immediate-mode menu core: a screen is a function that calls
// menu_begin_screen, one menu_item per row in a fixed order, and
// menu_end_screen, once per pass. Only the cursor and scroll of each screen
// persist between passes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/text_fit.h"
#include "menus/menus.h"

namespace {

constexpr uint64_t STICK_FIRST_REPEAT_MS = 350;
constexpr uint64_t STICK_REPEAT_MS = 110;
constexpr double HEADER_FADE_MS = 160.0;
constexpr float HIGHLIGHT_EASING = 0.35f;
const char NAVIGATION_HINT[] = "Enter/A  Select     Esc/B  Back     Left/Right  Change";

enum StickDirection : int { STICK_NONE = 0, STICK_UP, STICK_DOWN, STICK_LEFT, STICK_RIGHT };

int current_screen() {
    int s = fe.screen_depth > 0 ? fe.screen_stack[fe.screen_depth - 1] : SCREEN_MAIN;
    return s >= 0 && s < FE_SCREEN_COUNT ? s : SCREEN_MAIN;
}

int output_width() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    return w;
}

int output_height() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    return h;
}

uint32_t with_alpha(uint32_t colour, int alpha) { return (colour & 0x00FFFFFFu) | (uint32_t)alpha << 24; }

// The highlight bar: a dark tint of the accent colour.
uint32_t highlight_colour(uint32_t accent) {
    uint32_t r = (accent & 0xFF) / 5 + 20;
    uint32_t g = ((accent >> 8) & 0xFF) / 5 + 22;
    uint32_t b = ((accent >> 16) & 0xFF) / 5 + 30;
    return 0xEB000000u | b << 16 | g << 8 | r;
}

uint64_t ms_to_ticks(uint64_t ms) { return ms * fe.perf_freq / 8 / 125; }

// The least room between a row's label and its value, and between the
// footer's help and the navigation hint.
int text_gap(int u) { return u / 5; }

// A row's label and its shown value (the value in `format`, with or without
// the arrows, in `shown`, shown_size bytes) within the row's span. As they
// are when they fit side by side; otherwise the value gives way first,
// down to two fifths of the span (or its own width when less), then the
// label (cut into label_buf, label_size bytes).
void fit_row_texts(const char** label, char* label_buf, size_t label_size, const char* value, const char* format,
                   char* shown, size_t shown_size, int span, int u) {
    int ls = u * 24 / 100, vs = u * 22 / 100, gap = text_gap(u);
    if (!value) {
        *label = fit_text(*label, ls, span, cut_for(*label), label_buf, label_size);
        return;
    }
    if (texts_fit_side_by_side(*label, ls, shown, vs, gap, span)) return;
    int lw = measure_text_width(*label, ls);
    // The marks around the value. A value too long for `shown` is there
    // without its closing mark, so its marks are measured apart.
    char marks[16];
    int mark_bytes = snprintf(marks, sizeof marks, format, "");
    int value_w = measure_text_width(value, vs);
    bool whole = strlen(value) + (size_t)mark_bytes < shown_size;
    int vw = whole ? measure_text_width(shown, vs) : measure_text_width(marks, vs) + value_w;
    int arrows = vw - value_w;
    int room = std::max(span - gap - lw, std::min(vw, span * 2 / 5));
    if (vw > room) {
        // The value is cut into label_buf, which the label needs only
        // afterwards, leaving room in `shown` for the marks.
        size_t cut_size = std::min(label_size, shown_size - (size_t)mark_bytes);
        snprintf(shown, shown_size, format, fit_text(value, vs, room - arrows, cut_for(value), label_buf, cut_size));
        vw = measure_text_width(shown, vs);
    }
    *label = fit_text(*label, ls, span - gap - vw, cut_for(*label), label_buf, label_size);
}

}  // namespace

void menu_pass_begin() {
    fe.menu.pass_frozen = 0;
    fe.menu.pass_screen = current_screen();
    fe.menu.pass_depth = fe.screen_depth;
    fe.menu.pass_open = fe.menu_open;
}

int menu_pass_frozen() {
    return fe.menu.pass_frozen || fe.menu.pass_screen != current_screen() || fe.menu.pass_depth != fe.screen_depth ||
           fe.menu.pass_open != fe.menu_open;
}

void menu_begin_screen(const char* title, const char* hint) {
    int u = fe.ui_unit;
    int w = output_width(), h = output_height();
    double elapsed = (double)(SDL_GetPerformanceCounter() - fe.menu.open_time) * 1000.0 / (double)fe.perf_freq;
    int a = (int)(std::min(1.0, elapsed / HEADER_FADE_MS) * 255);
    int x0 = u * 40 / 100, y0 = u * 36 / 100;
    uint32_t dim_text = with_alpha(0xAC9C96, a);
    // The game's title and the hint may come from a profile or be a folder:
    // both stop at the window's margin.
    draw_text_fitted(fe.renderer, fe.adapter.title ? fe.adapter.title : "", x0, y0, u * 22 / 100, dim_text, ALIGN_LEFT,
                     w - 2 * x0, CUT_KEEPS_START);
    draw_text(fe.renderer, title, x0, y0 + u * 30 / 100, u * 44 / 100, with_alpha(0xFAF6F4, a), ALIGN_LEFT);
    fill_rect(fe.renderer, x0, y0 + u * 86 / 100, u * 64 / 100, u / 25, with_alpha(accent_colour(), a));
    int hint_x = x0 + u * 80 / 100;
    if (hint && hint[0])
        draw_text_fitted(fe.renderer, hint, hint_x, y0 + u * 78 / 100, u * 18 / 100, dim_text, ALIGN_LEFT,
                         w - x0 - hint_x, cut_for(hint));

    MenuLayout& l = fe.menu.layout;
    l.list_left = x0;
    int right = std::min(std::max(w * 46 / 100, u * 520 / 100), w - x0);
    l.list_width = right - l.list_left;
    l.row_height = u * 48 / 100;
    l.list_top = y0 + u * 110 / 100;
    l.list_bottom = h - u * 70 / 100;
    l.visible_rows = std::max(3, l.row_height > 0 ? (l.list_bottom - l.list_top) / l.row_height : 3);
    l.item_count = 0;
    fe.menu.help_text[0] = '\0';
}

int menu_item(const char* label, const char* value, int enabled, int* change, const char* help) {
    const MenuLayout& l = fe.menu.layout;
    const MenuInput& in = fe.menu_input;
    int u = fe.ui_unit;
    int screen = current_screen();
    int i = fe.menu.layout.item_count++;
    if (change) *change = 0;
    int s = fe.menu.scroll[screen];
    if (i < s || i >= s + l.visible_rows) return 0;
    bool live = !menu_pass_frozen();

    int row_y = l.list_top + (i - s) * l.row_height;
    int bar_h = l.row_height - u * 6 / 100;
    bool hovered = in.mouse_x >= l.list_left && in.mouse_x < l.list_left + l.list_width && in.mouse_y >= row_y &&
                   in.mouse_y < row_y + bar_h;
    if (live && hovered && in.mouse_moved) fe.menu.cursor[screen] = i;
    bool selected = fe.menu.cursor[screen] == i;
    uint32_t accent = accent_colour();

    if (selected) {
        float p = fe.menu.highlight_y;
        if (p < 0) p = (float)row_y;
        p = p + ((float)row_y - p) * HIGHLIGHT_EASING;
        fe.menu.highlight_y = p;
        int bar_y = (int)(p + 0.5f);
        fill_rounded_rect(fe.renderer, l.list_left - u * 12 / 100, bar_y, l.list_width + u * 12 / 100, bar_h,
                          u * 8 / 100, highlight_colour(accent));
        fill_rect(fe.renderer, l.list_left - u * 12 / 100, bar_y + u * 8 / 100, u / 25, bar_h - u * 16 / 100, accent);
        if (help) snprintf(fe.menu.help_text, sizeof fe.menu.help_text, "%s", help);
    }

    int text_y = row_y + (bar_h - text_line_height(u * 24 / 100)) / 2;
    uint32_t label_colour = !enabled ? 0xFF706460 : selected ? 0xFFFFFFFF : 0xFFDCD2CE;
    int label_x = l.list_left + u * 8 / 100, value_right = l.list_left + l.list_width - u * 16 / 100;
    const char* format = value && enabled && selected && change ? "<  %s  >" : "%s";
    char shown[300], label_buf[300];
    if (value) snprintf(shown, sizeof shown, format, value);
    fit_row_texts(&label, label_buf, sizeof label_buf, value, format, shown, sizeof shown, value_right - label_x, u);
    draw_text(fe.renderer, label, label_x, text_y, u * 24 / 100, label_colour, ALIGN_LEFT);
    if (value) {
        uint32_t colour = enabled && selected ? accent : enabled ? 0xFFB6A6A0 : 0xFF706460;
        draw_text(fe.renderer, shown, value_right, text_y, u * 22 / 100, colour, ALIGN_RIGHT);
    }

    if (!enabled || !selected || !live) return 0;
    if (change) {
        if (in.left) *change = -1;
        if (in.right) *change = +1;
    }
    if (in.select || (in.click && hovered)) {
        // Whatever the row does, the rest of this pass only draws.
        fe.menu.pass_frozen = 1;
        return 1;
    }
    return 0;
}

void menu_end_screen() {
    const MenuLayout& l = fe.menu.layout;
    const MenuInput& in = fe.menu_input;
    int n = l.item_count;
    if (n == 0) return;
    int u = fe.ui_unit;
    int w = output_width(), h = output_height();
    int screen = current_screen();
    int c = fe.menu.cursor[screen];
    int s = fe.menu.scroll[screen];

    if (!menu_pass_frozen()) {
        c -= in.wheel;
        if (in.up) c -= 1;
        if (in.down) c += 1;
        if (in.page_up) c -= l.visible_rows;
        if (in.page_down) c += l.visible_rows;
        // A plain Up or Down wraps; the wheel and the page keys stop at the ends.
        if (c < 0) c = in.up && !in.page_up ? n - 1 : 0;
        if (c >= n) c = in.down && !in.page_down ? 0 : n - 1;
        if (c < s) s = c;
        if (c >= s + l.visible_rows) s = c - l.visible_rows + 1;
        if (s > n - l.visible_rows) s = std::max(0, n - l.visible_rows);
        fe.menu.cursor[screen] = c;
        fe.menu.scroll[screen] = s;
    }

    if (n > l.visible_rows) {
        int track = l.list_bottom - l.list_top;
        int x = l.list_left + l.list_width + u * 8 / 100;
        fill_rect(fe.renderer, x, l.list_top, u * 3 / 100, track, 0xFF382C28);
        fill_rect(fe.renderer, x, l.list_top + s * track / n, u * 3 / 100, l.visible_rows * track / n,
                  accent_colour());
    }

    // The help explains the row: where it would reach the navigation hint,
    // the hint gives way; where it is too wide even alone, it is cut.
    int footer_y = h - u * 52 / 100;
    fill_rect(fe.renderer, 0, footer_y - u / 10, w, 1, 0xFF382C28);
    const char* help = fe.menu.help_text;
    int help_size = u * 19 / 100, hint_size = u * 18 / 100, margin = u * 40 / 100;
    int room = w - 2 * margin;
    bool hint_shown = true;
    char help_buf[sizeof fe.menu.help_text + 8];
    if (help[0] && !texts_fit_side_by_side(help, help_size, NAVIGATION_HINT, hint_size, text_gap(u), room)) {
        hint_shown = false;
        help = fit_text(help, help_size, room, cut_for(help), help_buf, sizeof help_buf);
    }
    if (help[0]) draw_text(fe.renderer, help, margin, footer_y, help_size, 0xFFBEB0AA, ALIGN_LEFT);
    if (hint_shown) draw_text(fe.renderer, NAVIGATION_HINT, w - margin, footer_y, hint_size, 0xFF82746E, ALIGN_RIGHT);
}

void menu_handle_event(const SDL_Event* event) {
    // A key held since a capture ended repeats to no effect (a fresh press
    // has let it go already).
    if (event->type == SDL_KEYDOWN && event->key.repeat && key_is_quiet(event->key.keysym.scancode)) return;
    if (top_screen() == SCREEN_KEY_CAPTURE) {
        key_capture_event(event);
        return;
    }
    MenuInput& in = fe.menu_input;
    switch (event->type) {
    case SDL_KEYDOWN: {
        bool repeat = event->key.repeat != 0;
        switch (event->key.keysym.scancode) {
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_SPACE:
        case SDL_SCANCODE_KP_ENTER:
            if (!repeat) in.select = 1;
            break;
        case SDL_SCANCODE_ESCAPE:
        case SDL_SCANCODE_BACKSPACE:
            if (!repeat) in.back = 1;
            break;
        case SDL_SCANCODE_TAB:
            if (!repeat) in.extra = 1;
            break;
        case SDL_SCANCODE_DELETE:
            if (!repeat) in.extra = 2;
            break;
        case SDL_SCANCODE_UP: in.up = 1; break;
        case SDL_SCANCODE_DOWN: in.down = 1; break;
        case SDL_SCANCODE_LEFT: in.left = 1; break;
        case SDL_SCANCODE_RIGHT: in.right = 1; break;
        case SDL_SCANCODE_PAGEUP: in.page_up = 1; break;
        case SDL_SCANCODE_PAGEDOWN: in.page_down = 1; break;
        default: break;
        }
        break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
        switch (event->cbutton.button) {
        case SDL_CONTROLLER_BUTTON_A: in.select = 1; break;
        case SDL_CONTROLLER_BUTTON_B: in.back = 1; break;
        case SDL_CONTROLLER_BUTTON_X: in.extra = 2; break;
        case SDL_CONTROLLER_BUTTON_Y: in.extra = 1; break;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: in.page_up = 1; break;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: in.page_down = 1; break;
        case SDL_CONTROLLER_BUTTON_DPAD_UP: in.up = 1; break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: in.down = 1; break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: in.left = 1; break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: in.right = 1; break;
        default: break;
        }
        break;
    case SDL_MOUSEMOTION: {
        int32_t x = event->motion.x, y = event->motion.y;
        scale_mouse_to_output(&x, &y);
        in.mouse_x = x;
        in.mouse_y = y;
        // The very first motion event only gives the position.
        if (fe.menu.motion_seen && (x != fe.menu.last_motion_x || y != fe.menu.last_motion_y)) in.mouse_moved = 1;
        fe.menu.motion_seen = 1;
        fe.menu.last_motion_x = x;
        fe.menu.last_motion_y = y;
        break;
    }
    case SDL_MOUSEBUTTONDOWN: {
        int32_t x = event->button.x, y = event->button.y;
        scale_mouse_to_output(&x, &y);
        in.mouse_x = x;
        in.mouse_y = y;
        if (event->button.button == SDL_BUTTON_LEFT) in.click = 1;
        if (event->button.button == SDL_BUTTON_RIGHT) in.back = 1;
        break;
    }
    case SDL_MOUSEWHEEL:
        // SDL reports the amount in the direction the player's system is
        // set to scroll; "flipped" only tells that it was turned already.
        in.wheel += event->wheel.y;
        break;
    default:
        break;
    }
}

void menu_stick_repeat() {
    int dir = STICK_NONE;
    for (int i = 0; i < fe.pad_count && dir == STICK_NONE; i++) {
        if (!fe.pads[i]) continue;
        int y = SDL_GameControllerGetAxis(fe.pads[i], SDL_CONTROLLER_AXIS_LEFTY);
        int x = SDL_GameControllerGetAxis(fe.pads[i], SDL_CONTROLLER_AXIS_LEFTX);
        // An axis held since a capture ended counts as centred.
        SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(fe.pads[i]));
        if (axis_is_quiet(id, SDL_CONTROLLER_AXIS_LEFTY)) y = 0;
        if (axis_is_quiet(id, SDL_CONTROLLER_AXIS_LEFTX)) x = 0;
        if (y < -MENU_STICK_THRESHOLD)
            dir = STICK_UP;
        else if (y > MENU_STICK_THRESHOLD)
            dir = STICK_DOWN;
        else if (x < -MENU_STICK_THRESHOLD)
            dir = STICK_LEFT;
        else if (x > MENU_STICK_THRESHOLD)
            dir = STICK_RIGHT;
    }
    if (dir == STICK_NONE) {
        fe.menu.stick_dir = STICK_NONE;
        return;
    }
    uint64_t now = SDL_GetPerformanceCounter();
    bool same = dir == fe.menu.stick_dir;
    if (same && now < fe.menu.stick_deadline) return;
    MenuInput& in = fe.menu_input;
    switch (dir) {
    case STICK_UP: in.up = 1; break;
    case STICK_DOWN: in.down = 1; break;
    case STICK_LEFT: in.left = 1; break;
    default: in.right = 1; break;
    }
    fe.menu.stick_deadline = now + ms_to_ticks(same ? STICK_REPEAT_MS : STICK_FIRST_REPEAT_MS);
    fe.menu.stick_dir = dir;
}
