// Gadgets: small boxes over the running game (frame rate, frame time, the
// input display and any text gadgets the game offers), each placed by its
// settings. Drawn only while no menu is open.
#include "frontend/gadgets.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "frontend/frontend.h"

namespace {

constexpr uint32_t BOX_COLOUR = 0xAA0E0A08;
constexpr uint32_t TEXT_COLOUR = 0xFFF6F2F0;
constexpr uint32_t PLAYER_COLOUR = 0xFFBEB0AA;
constexpr uint32_t CELL_OFF_COLOUR = 0xFF423632;
constexpr int CELLS_PER_PLAYER = 8;
constexpr int TEXT_SIZE = 96;

const char* const BUILTIN_NAMES[GADGET_ADAPTER] = {"FPS", "Frame Time", "Input Display"};
const char* const PLAYER_TAGS[4] = {"1P", "2P", "3P", "4P"};

// Adapter gadgets that exist: at most the settings have room for, none
// without a table.
int adapter_gadget_count() {
    if (!fe.adapter.gadgets || fe.adapter.gadget_count <= 0) return 0;
    return fe.adapter.gadget_count < FE_MAX_ADAPTER_GADGETS ? fe.adapter.gadget_count : FE_MAX_ADAPTER_GADGETS;
}

// u x hundredths, kept inside int even for a hand-edited offset.
int scaled_offset(int u, int hundredths) {
    long long v = (long long)u * hundredths / 100;
    return v > INT_MAX / 2 ? INT_MAX / 2 : v < INT_MIN / 2 ? INT_MIN / 2 : (int)v;
}

// The text of gadget g for this pass; 0 when it shows no box.
int gadget_text(int g, char* text) {
    memset(text, 0, TEXT_SIZE);
    if (g == GADGET_FPS) {
        snprintf(text, TEXT_SIZE, "%.1f fps", fe.measured_fps);
        return 1;
    }
    if (g == GADGET_FRAME_TIME) {
        snprintf(text, TEXT_SIZE, "%.2f ms", fe.frame_time_avg_ms);
        return 1;
    }
    const AdapterGadget& a = fe.adapter.gadgets[g - GADGET_ADAPTER];
    if (!a.text || !a.text(text, TEXT_SIZE)) return 0;
    text[TEXT_SIZE - 1] = '\0';
    return 1;
}

void draw_input_display(int x, int y, const GadgetScale& k, int n) {
    int ch = 3 * k.s / 4, t = k.s + k.p;
    for (int i = 1; i <= n; i++) {
        int r = y + k.p + (i - 1) * t;
        draw_text(fe.renderer, PLAYER_TAGS[i - 1], x + k.p, r - k.c / 800, ch, PLAYER_COLOUR, ALIGN_LEFT);
        int cell = 0;
        for (int j = 0; fe.adapter.inputs && j < fe.adapter.input_count && cell < CELLS_PER_PLAYER; j++) {
            const AdapterInput& in = fe.adapter.inputs[j];
            if (in.player != (uint32_t)i) continue;
            uint32_t colour = (in.mask & fe.input_word) ? accent_colour() : CELL_OFF_COLOUR;
            fill_rounded_rect(fe.renderer, x + 2 * k.s + cell * t, r, k.s, ch, k.c / 400, colour);
            cell++;
        }
    }
}

}  // namespace

GadgetScale gadget_scale(int size, int u) {
    int f = size == 0 ? 18 : size == 1 ? 24 : 34;
    GadgetScale k;
    k.c = f * u;
    k.s = k.c / 100;
    k.p = k.c / 300;
    return k;
}

int gadget_player_rows(int players) {
    if (players <= 0) return 2;
    return players > 4 ? 4 : players;
}

void gadget_anchor(int position, int offset_x, int offset_y, int bw, int bh, int w, int h, int u, int* x, int* y) {
    int m = u * 16 / 100;
    int q = position % 6;  // the sign of the position: negative stays negative
    switch (q) {
    case 0: *x = m, *y = m; break;
    case 1: *x = w - bw - m, *y = m; break;
    case 2: *x = m, *y = h - bh - m; break;
    case 3: *x = w - bw - m, *y = h - bh - m; break;
    case 4: *x = (w - bw) / 2, *y = m; break;
    case 5: *x = (w - bw) / 2, *y = h - bh - m; break;
    default: *x = 0, *y = 0; break;
    }
    *x += scaled_offset(u, offset_x);
    *y += scaled_offset(u, offset_y);
}

int gadgets_in_use() {
    int count = fe.adapter.gadget_count;
    if (count >= 0) return GADGET_ADAPTER + adapter_gadget_count();
    // A negative count hides built-in gadgets from the end.
    return count < -GADGET_ADAPTER ? 0 : GADGET_ADAPTER + count;
}

const char* gadget_name(int g) {
    if (g >= 0 && g < GADGET_ADAPTER) return BUILTIN_NAMES[g];
    int k = g - GADGET_ADAPTER;
    if (k < 0 || k >= adapter_gadget_count()) return "";
    const char* label = fe.adapter.gadgets[k].label;
    return label ? label : "";
}

void draw_gadgets(int w, int h) {
    int u = fe.ui_unit;
    int count = gadgets_in_use();
    for (int g = 0; g < count; g++) {
        const GadgetPlacement& pl = fe.settings.gadgets[g];
        if (!pl.enabled) continue;
        char text[TEXT_SIZE];
        bool display = g == GADGET_INPUT_DISPLAY;
        if (!display && !gadget_text(g, text)) continue;
        GadgetScale k = gadget_scale(pl.size, u);
        int bw, bh, n = gadget_player_rows(fe.adapter.players);
        if (display) {
            bw = 14 * k.s;
            bh = k.p + n * (k.s + k.p);
        } else {
            bw = measure_text_width(text, k.s) + k.s;
            bh = text_line_height(k.s) + k.c / 200;
        }
        int x, y;
        gadget_anchor(pl.position, pl.offset_x, pl.offset_y, bw, bh, w, h, u, &x, &y);
        fill_rounded_rect(fe.renderer, x, y, bw, bh, k.p, BOX_COLOUR);
        if (display)
            draw_input_display(x, y, k, n);
        else
            draw_text(fe.renderer, text, x + k.c / 200, y + k.c / 400, k.s, TEXT_COLOUR, ALIGN_LEFT);
    }
}
