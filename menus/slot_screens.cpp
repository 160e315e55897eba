// The Save State and Load State screens: one row per slot with its save
// time, and the selected slot's thumbnail and details beside the rows.
#include <cstdio>
#include <ctime>

#include "frontend/text_fit.h"
#include "menus/main_menu.h"
#include "menus/menus.h"

namespace {

constexpr int AUTOSAVE = 0;
constexpr int LAST_SLOT = 10;
constexpr int DELETE_EXTRA = 2;

// The thumbnail turned as the picture is shown, in a kept 32-bit layer:
// the layer then scales into the panel far faster than the RGB565
// thumbnail itself, and turning the small picture here spares the renderer
// turning the large one.
SDL_Texture* staged_thumbnail(SDL_Texture* thumbnail) {
    int w = 0, h = 0;
    SDL_QueryTexture(thumbnail, nullptr, nullptr, &w, &h);
    bool turned = fe.settings.rotation % 2 != 0;
    int sw = turned ? h : w, sh = turned ? w : h;
    MenuState& m = fe.menu;
    SDL_Texture* stage = kept_target(&m.thumb_stage, &m.thumb_stage_w, &m.thumb_stage_h, sw, sh);
    SDL_Texture* previous = SDL_GetRenderTarget(fe.renderer);
    if (!stage || SDL_SetRenderTarget(fe.renderer, stage) != 0) return nullptr;
    // The unturned rectangle about the layer's centre; the turn fills it.
    SDL_Rect dst{sw / 2 - w / 2, sh / 2 - h / 2, w, h};
    SDL_RenderCopyEx(fe.renderer, thumbnail, nullptr, &dst, (fe.settings.rotation & 3) * 90.0, nullptr,
                     SDL_FLIP_NONE);
    SDL_SetRenderTarget(fe.renderer, previous);
    SDL_ScaleMode mode = SDL_ScaleModeNearest;
    SDL_GetTextureScaleMode(thumbnail, &mode);
    SDL_SetTextureScaleMode(stage, mode);
    return stage;
}

void format_value(const StateSlotInfo& info, char* value, size_t size) {
    if (!info.exists) {
        snprintf(value, size, "Empty");
    } else if (!info.usable) {
        snprintf(value, size, "Unusable");
    } else {
        time_t t = (time_t)info.saved_at;
        struct tm local;
        if (!localtime_r(&t, &local) || strftime(value, size, "%Y-%m-%d %H:%M", &local) == 0) value[0] = '\0';
    }
}

// The selected slot's picture, or a card saying why there is none, with
// its details under it.
void draw_detail_panel(const StateSlotInfo& info, const char* value) {
    int w = 0, h = 0, u = fe.ui_unit;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    int px = w * 52 / 100, py = u * 150 / 100;
    int aw = w - px - u * 60 / 100, ah = h - u * 160 / 100 - u * 150 / 100;
    int pw, ph;
    fit_aspect(aw, ah, shown_aspect(), &pw, &ph);
    fill_rounded_rect(fe.renderer, px - u * 8 / 100, py - u * 8 / 100, pw + u * 16 / 100, ph + u * 16 / 100, u / 10,
                      0xFF2E221E);
    if (info.usable && info.thumbnail) {
        draw_picture_in_box(staged_thumbnail(info.thumbnail), px, py, pw, ph);
    } else {
        fill_rect(fe.renderer, px, py, pw, ph, 0xFF120C0A);
        draw_text(fe.renderer, info.exists ? "Unusable" : "Empty", px + pw / 2, py + ph / 2 - u * 16 / 100,
                  u * 28 / 100, 0xFF8C7E78, ALIGN_CENTRE);
    }
    int y = py + ph + u / 5;
    if (info.usable) {
        char details[96];
        snprintf(details, sizeof details, "%s   -   %u frames played", value, (unsigned)info.frames);
        draw_text_fitted(fe.renderer, details, px, y, u / 5, 0xFFCEC2BE, ALIGN_LEFT, aw, CUT_KEEPS_START);
    } else if (info.exists) {
        draw_text_fitted(fe.renderer, info.error, px, y, u * 18 / 100, 0xFF78A0FF, ALIGN_LEFT, aw, CUT_KEEPS_START);
    }
}

void save_into_empty_slot(int slot) {
    save_slot(slot);  // reports its own outcome
    fe.slot = slot;
    refresh_slot_list();
    pop_screen();
    // From the pause menu a save goes straight back to the game.
    if (fe.menu_open && top_screen() == SCREEN_PAUSE) close_menu_and_resume();
}

void activate_slot(int saving, int slot, const StateSlotInfo& info, const char* label, const char* value) {
    if (saving) {
        if (info.exists)
            show_confirm(CONFIRM_OVERWRITE_SLOT, slot, "Overwrite slot %d (saved %s)?", slot, value);
        else
            save_into_empty_slot(slot);
        return;
    }
    if (fe.running) {
        show_confirm(CONFIRM_LOAD_SLOT, slot, "Load %s? Unsaved progress will be lost.", label);
        return;
    }
    if (!load_slot(slot)) return;  // a failed load shows its own dialog
    if (slot != AUTOSAVE) fe.slot = slot;
    close_menu_and_resume();
}

}  // namespace

void draw_state_slots_screen(int saving) {
    if (fe.slot_list_stale) refresh_slot_list();
    int screen = saving ? SCREEN_SAVE_STATE : SCREEN_LOAD_STATE;
    menu_begin_screen(saving ? "Save State" : "Load State", "Thumbnails show the moment each slot was saved");
    for (int i = saving ? 1 : AUTOSAVE; i <= LAST_SLOT; i++) {
        const StateSlotInfo& info = fe.state_slots[i];
        char label[32], value[96];
        if (i == AUTOSAVE)
            snprintf(label, sizeof label, "Autosave");
        else
            snprintf(label, sizeof label, "Slot %d%s", i, i == fe.slot ? "  *" : "");
        format_value(info, value, sizeof value);

        int cursor = fe.menu.cursor[screen], index = fe.menu.layout.item_count;
        if (menu_item(label, value, saving ? 1 : info.usable, nullptr,
                      info.exists && !info.usable ? info.error : nullptr))
            activate_slot(saving, i, info, label, value);
        if (cursor == index && !menu_pass_frozen() && fe.menu_input.extra == DELETE_EXTRA && i != AUTOSAVE &&
            info.exists)
            show_confirm(CONFIRM_DELETE_SLOT, i, "Delete slot %d?", i);
        if (cursor == index) draw_detail_panel(info, value);
    }
    menu_end_screen();
    if (!menu_pass_frozen() && fe.menu_input.back) pop_screen();
}
