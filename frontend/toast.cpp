// The three ways the frontend tells the user something: the toast, the
// confirmation dialog and the message box.
#include "frontend/toast.h"

#include <cstdarg>
#include <cstdio>

#include "frontend/frontend.h"
#include "frontend/text_fit.h"

namespace {

uint64_t counter_frequency() { return fe.perf_freq ? fe.perf_freq : SDL_GetPerformanceFrequency(); }

// Formats apart first and then copies, so that an argument may be the
// target buffer itself.
void format_into(char* out, size_t size, const char* format, va_list args) {
    char text[sizeof fe.message_text];
    vsnprintf(text, sizeof text, format, args);
    snprintf(out, size, "%s", text);
}

}  // namespace

void show_toast(const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(fe.toast_text, sizeof fe.toast_text, format, args);
    va_end(args);
    fe.toast_expiry = SDL_GetPerformanceCounter() + 2 * counter_frequency();
    log_line("%s", fe.toast_text);
}

void show_confirm(int action, int value, const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(fe.confirm_text, sizeof fe.confirm_text, format, args);
    va_end(args);
    fe.confirm_action = action;
    fe.confirm_value = value;
    fe.menu.cursor[SCREEN_CONFIRM] = 1;  // "No" first
    push_screen(SCREEN_CONFIRM);
}

void show_error(const char* title, const char* format, ...) {
    // The entry keeps the dialog's own line breaks; only the values put
    // into it are kept free of control characters. It is formatted first,
    // as an argument may be the message buffer itself.
    char logged[sizeof fe.message_text];
    va_list args;
    va_start(args, format);
    format_for_log(logged, sizeof logged, format, args);
    format_into(fe.message_text, sizeof fe.message_text, format, args);
    va_end(args);
    snprintf(fe.message_title, sizeof fe.message_title, "%s", title ? title : "");
    char entry[sizeof fe.message_title + 2 + sizeof logged];
    snprintf(entry, sizeof entry, "%s: %s", fe.message_title, logged);
    log_entry(entry);
    if (!fe.menu_open)
        open_menu_and_pause(SCREEN_MESSAGE);
    else
        push_screen(SCREEN_MESSAGE);
}

int toast_text_size(int u) { return u * 22 / 100; }

ToastBox toast_box(int w, int h, int u, int text_width, int line_height) {
    ToastBox box;
    box.text_size = toast_text_size(u);
    box.w = text_width + u * 40 / 100;
    box.h = line_height + u * 18 / 100;
    box.x = (w - box.w) / 2;
    box.bottom = h - u * 40 / 100;
    box.y = box.bottom - box.h;
    box.text_y = box.y + u * 8 / 100;
    return box;
}

void draw_toast(int w, int h) {
    if (!fe.toast_text[0] || SDL_GetPerformanceCounter() > fe.toast_expiry) return;
    int u = fe.ui_unit;
    int size = toast_text_size(u);
    // A toast naming a long path keeps what happened and the path's end,
    // its box within the window's margins.
    char cut[sizeof fe.toast_text + 8];
    const char* text = fit_text(fe.toast_text, size, w - u * 80 / 100 - u * 40 / 100, CUT_KEEPS_BOTH, cut, sizeof cut);
    ToastBox box = toast_box(w, h, u, measure_text_width(text, size), text_line_height(size));
    fill_rounded_rect(fe.renderer, box.x, box.y, box.w, box.h, u / 10, 0xE61A1210u);
    fill_rect(fe.renderer, box.x, box.bottom - u * 3 / 100, box.w, u * 3 / 100, accent_colour());
    draw_text(fe.renderer, text, w / 2, box.text_y, size, 0xFFF6F2F0u, ALIGN_CENTRE);
}
