// The Gameplay screen: the cabinet DIP switches, one row per switch of the
// game's DIP table. Each switch owns only its mask's bits of one DIP word;
// the words reach the board when the game next starts or restarts.
#include "menus/menus.h"
#include "menus/screen_rows.h"

namespace {

int dip_word_count() { return fe.adapter.dsw_count < FE_MAX_DSW ? (int)fe.adapter.dsw_count : FE_MAX_DSW; }

// The settings word a switch edits; null for a word the settings have no
// room for or do not keep.
uint16_t* dip_word(const AdapterDipSwitch& dip) {
    if (dip.dsw_index < 0 || dip.dsw_index >= dip_word_count()) return nullptr;
    return &fe.settings.dsw[dip.dsw_index];
}

int dip_switch_count() { return fe.adapter.dips && fe.adapter.dip_count > 0 ? fe.adapter.dip_count : 0; }

void dip_row(const AdapterDipSwitch& dip) {
    uint16_t* word = dip_word(dip);
    if (!word) return;
    const char* label = dip.label ? dip.label : "";
    int n = dip_choice_count(dip);
    if (n == 0) {
        // Nothing to choose from: shown, never changed.
        screen_row(label, "?", 1, nullptr, nullptr);
        return;
    }
    int b = dip_current_choice(dip, *word);
    const char* shown = dip.choices[b].label;
    int d = change_row(label, shown ? shown : "", 1, nullptr);
    if (d != 0) *word = dip_with_choice(dip, *word, cycle_value(b, d, n));
}

void restore_dip_defaults() {
    for (int i = 0; i < dip_switch_count(); i++) {
        const AdapterDipSwitch& dip = fe.adapter.dips[i];
        if (uint16_t* word = dip_word(dip)) *word = (uint16_t)((*word & ~dip.mask) | (dip.default_value & dip.mask));
    }
}

}  // namespace

int dip_choice_count(const AdapterDipSwitch& dip) {
    if (dip.choice_count <= 0) return 0;
    return dip.choice_count < ADAPTER_MAX_DIP_CHOICES ? dip.choice_count : ADAPTER_MAX_DIP_CHOICES;
}

int dip_current_choice(const AdapterDipSwitch& dip, uint16_t word) {
    uint16_t current = word & dip.mask;
    int b = 0;
    for (int k = 0; k < dip_choice_count(dip); k++)
        if ((dip.choices[k].value & dip.mask) == current) b = k;
    return b;
}

uint16_t dip_with_choice(const AdapterDipSwitch& dip, uint16_t word, int k) {
    return (uint16_t)((word & ~dip.mask) | (dip.choices[k].value & dip.mask));
}

void draw_gameplay_screen() {
    menu_begin_screen("Gameplay", "Cabinet DIP switches - applied when the game is next started or restarted");
    for (int i = 0; i < dip_switch_count(); i++) dip_row(fe.adapter.dips[i]);
    if (screen_row("Restore Defaults", nullptr, 1, nullptr, nullptr)) restore_dip_defaults();
    if (fe.running && screen_row("Restart Now to Apply", nullptr, 1, nullptr, nullptr))
        show_confirm(CONFIRM_RESTART, 0,
                     "Restart the game with the new switch settings? Unsaved progress will be lost.");
    menu_end_screen();
    leave_settings_screen_on_back();
}
