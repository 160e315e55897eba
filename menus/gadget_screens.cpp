// The Gadgets list and the gadget editor: which gadgets show, and where and
// how large each is drawn.
#include <cstdio>

#include "menus/menus.h"

namespace {

const char* const POSITION_NAMES[6] = {"Top left",     "Top right",  "Bottom left",
                                       "Bottom right", "Top centre", "Bottom centre"};
const char* const SIZE_NAMES[3] = {"Small", "Medium", "Large"};

constexpr int OFFSET_STEP = 8;
constexpr int OFFSET_X_LIMIT = 400;
constexpr int OFFSET_Y_LIMIT = 300;

// v mod n as a table index, also for a negative value from a hand-edited
// settings file.
int wrap(int v, int n) {
    int r = v % n;
    return r < 0 ? r + n : r;
}

int clamp_offset(int v, int d, int limit) {
    long long r = (long long)v + (long long)OFFSET_STEP * d;
    return (int)(r < -limit ? -limit : r > limit ? limit : r);
}

const char* gadget_help(int g) {
    if (g == GADGET_INPUT_DISPLAY) return "Shows the inputs sent to the board each frame.";
    if (g >= GADGET_ADAPTER) return "Read from the game's verified RAM layout.";
    return nullptr;
}

// A row with a change out-parameter: the change, or +1 when activated.
int row_step(const char* label, const char* value, const char* help) {
    int change = 0;
    return menu_item(label, value, 1, &change, help) ? 1 : change;
}

void leave_with_save() {
    if (menu_pass_frozen() || !fe.menu_input.back) return;
    save_settings();
    pop_screen();
}

}  // namespace

void draw_gadgets_screen() {
    menu_begin_screen("Gadgets", "Enter: position and size");
    int count = gadgets_in_use();
    for (int g = 0; g < count; g++) {
        GadgetPlacement& p = fe.settings.gadgets[g];
        char value[64];
        if (p.enabled)
            snprintf(value, sizeof value, "%s%s%s", "On", "  -  ", POSITION_NAMES[wrap(p.position, 6)]);
        else
            snprintf(value, sizeof value, "%s%s%s", "Off", "", "");
        int change = 0;
        if (menu_item(gadget_name(g), value, 1, &change, gadget_help(g))) {
            fe.gadget_edit_index = g;
            push_screen(SCREEN_GADGET_EDITOR);
        } else if (change) {
            p.enabled = !p.enabled;
        }
    }
    menu_end_screen();
    leave_with_save();
}

void draw_gadget_editor_screen() {
    int g = fe.gadget_edit_index;
    if (g < 0 || g >= gadgets_in_use()) {
        pop_screen();  // no such gadget to edit
        return;
    }
    GadgetPlacement& p = fe.settings.gadgets[g];
    menu_begin_screen(gadget_name(g), nullptr);
    char offset_x[16], offset_y[16];
    snprintf(offset_x, sizeof offset_x, "%+d", p.offset_x);
    snprintf(offset_y, sizeof offset_y, "%+d", p.offset_y);

    if (row_step("Enabled", p.enabled ? "On" : "Off", nullptr)) p.enabled = !p.enabled;
    if (int d = row_step("Position", POSITION_NAMES[wrap(p.position, 6)], nullptr))
        p.position = wrap(wrap(p.position, 6) + d, 6);
    if (int d = row_step("Size", SIZE_NAMES[wrap(p.size, 3)], nullptr)) p.size = wrap(wrap(p.size, 3) + d, 3);
    if (int d = row_step("Offset X", offset_x, "Fine horizontal adjustment in UI pixels."))
        p.offset_x = clamp_offset(p.offset_x, d, OFFSET_X_LIMIT);
    if (int d = row_step("Offset Y", offset_y, nullptr)) p.offset_y = clamp_offset(p.offset_y, d, OFFSET_Y_LIMIT);
    menu_end_screen();
    leave_with_save();
}
