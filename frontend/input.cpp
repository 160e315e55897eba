// Input mapping: keyboard and game-controller bindings, the pulse inputs,
// the release latch and the quick-menu combination, and the set of open
// game controllers.
#include "frontend/input.h"

#include "frontend/frontend.h"

int input_row_count() {
    if (!fe.adapter.inputs || fe.adapter.input_count <= 0) return 0;
    return fe.adapter.input_count < FE_MAX_INPUTS ? fe.adapter.input_count : FE_MAX_INPUTS;
}

uint32_t compute_input_word(const AdapterInput* rows, int count, const int* pressed, int combo,
                            InputWordState state) {
    if (count <= 0) {
        *state.release_latch = 0;
        return 0;
    }
    uint32_t word = 0;
    int any_pressed = 0;
    for (int j = 0; j < count; j++) {
        const AdapterInput& row = rows[j];
        int down = pressed[j] != 0;
        any_pressed |= down;
        // A suppressed row counts as released, so that letting go of the
        // combination or the latch turns a still-held key into a new press.
        if (combo || (*state.release_latch && down)) down = 0;
        if (row.pulse_frames <= 0) {
            if (down) word |= row.mask;
            state.input_held[j] = down;
            continue;
        }
        if (down && !state.input_held[j]) state.pulse_countdown[j] = row.pulse_frames;
        state.input_held[j] = down;
        // A running pulse finishes even while its row is suppressed.
        if (state.pulse_countdown[j] > 0) {
            word |= row.mask;
            state.pulse_countdown[j]--;
        }
    }
    // The key and controller state does not change within a frame, so the
    // rows pressed above are the ones that keep the latch closed.
    if (*state.release_latch && !any_pressed) *state.release_latch = 0;
    return word;
}

int deadzone_units(int deadzone) { return deadzone * 32767 / 100; }

int axis_direction_active(int code, int value, int dz) {
    return (code - 100) % 2 == 1 ? value > dz : value < -dz;
}

namespace {

int pad_code_active(SDL_GameController* pad, int code, int dz) {
    if (code < 100) {
        if (code >= SDL_CONTROLLER_BUTTON_MAX) return 0;
        return SDL_GameControllerGetButton(pad, (SDL_GameControllerButton)code) != 0;
    }
    int axis = (code - 100) / 2;
    if (axis >= SDL_CONTROLLER_AXIS_MAX) return 0;
    return axis_direction_active(code, SDL_GameControllerGetAxis(pad, (SDL_GameControllerAxis)axis), dz);
}

// A d-pad binding also answers to the left stick of the player's own
// controller.
int stick_as_dpad(SDL_GameController* pad, int code, int dz) {
    switch (code) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY) < -dz;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY) > dz;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX) < -dz;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX) > dz;
    default: return 0;
    }
}

int key_down(const uint8_t* keys, int32_t scancode) {
    return keys && scancode >= 0 && scancode < SDL_NUM_SCANCODES && keys[scancode];
}

}  // namespace

int binding_pressed(const InputBinding* binding, unsigned player, const uint8_t* keys) {
    if (!binding) return 0;
    if (key_down(keys, binding->key1) || key_down(keys, binding->key2)) return 1;
    int code = binding->pad;
    if (code < 0) return 0;
    int dz = deadzone_units(fe.settings.deadzone);
    if (player == 0) {
        for (int i = 0; i < fe.pad_count; i++)
            if (fe.pads[i] && pad_code_active(fe.pads[i], code, dz)) return 1;
        return 0;
    }
    if (player > (unsigned)FE_MAX_PLAYERS) return 0;
    int index = fe.settings.player_controller[player - 1];
    if (index < 0) index = (int)player - 1;
    if (index >= fe.pad_count || !fe.pads[index]) return 0;
    SDL_GameController* pad = fe.pads[index];
    return pad_code_active(pad, code, dz) || stick_as_dpad(pad, code, dz);
}

int menu_combo_held() {
    static const SDL_GameControllerButton COMBOS[4][2] = {
        {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START},
        {SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_BUTTON_INVALID},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_INVALID},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK},
    };
    int combo = fe.settings.menu_combo;
    if (fe.pad_count <= 0 || combo < 0 || combo > 3) return 0;
    for (int i = 0; i < fe.pad_count; i++) {
        SDL_GameController* pad = fe.pads[i];
        if (!pad) continue;
        int held = 1;
        for (SDL_GameControllerButton button : COMBOS[combo])
            if (button != SDL_CONTROLLER_BUTTON_INVALID && !SDL_GameControllerGetButton(pad, button)) held = 0;
        if (held) return 1;
    }
    return 0;
}

int hotkey_event_matches(const SDL_Event* event, unsigned hotkey) {
    if (!event || hotkey >= (unsigned)FE_HOTKEY_COUNT) return 0;
    const InputBinding& b = fe.hotkeys[hotkey];
    if (event->type == SDL_CONTROLLERBUTTONDOWN) return b.pad >= 0 && b.pad < 100 && b.pad == event->cbutton.button;
    if (event->type != SDL_KEYDOWN || event->key.repeat) return 0;
    int scancode = event->key.keysym.scancode;
    return (b.key1 >= 0 && b.key1 == scancode) || (b.key2 >= 0 && b.key2 == scancode);
}

void close_controllers() {
    for (SDL_GameController*& pad : fe.pads) {
        if (pad) SDL_GameControllerClose(pad);
        pad = nullptr;
    }
    fe.pad_count = 0;
}

void open_controllers() {
    close_controllers();
    for (int i = 0; i < SDL_NumJoysticks() && fe.pad_count < FE_MAX_PADS; i++) {
        if (!SDL_IsGameController(i)) continue;
        SDL_GameController* pad = SDL_GameControllerOpen(i);
        if (!pad) continue;
        fe.pads[fe.pad_count++] = pad;
        const char* name = SDL_GameControllerName(pad);
        log_line("controller %d: %s", fe.pad_count, name ? name : "");
    }
}

void clear_input_state() {
    fe.input_word = 0;
    for (int& countdown : fe.pulse_countdown) countdown = 0;
    // A binding held through the reset must be released before a pulse
    // input fires again.
    for (int j = 0; j < input_row_count(); j++) fe.input_held[j] = 1;
    if (fe.adapter.set_inputs) fe.adapter.set_inputs(0);
}

uint32_t input_word_from_bindings() {
    const uint8_t* keys = SDL_GetKeyboardState(nullptr);
    int combo = menu_combo_held();
    int count = input_row_count();
    int pressed[FE_MAX_INPUTS];
    for (int j = 0; j < count; j++)
        pressed[j] = binding_pressed(&fe.bindings[j], fe.adapter.inputs[j].player, keys);
    return compute_input_word(fe.adapter.inputs, count, pressed, combo,
                              InputWordState{fe.pulse_countdown, fe.input_held, &fe.release_latch});
}
