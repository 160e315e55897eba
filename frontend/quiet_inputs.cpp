// The inputs held when a key capture ends stay quiet in the menus until
// they are let go: the key that made a binding would otherwise repeat on
// the screen below, and a stick held through a capture would step the
// cursor or end the next capture.
#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"

namespace {

void set_key(int scancode, uint8_t quiet) {
    if (scancode > 0 && scancode < SDL_NUM_SCANCODES) fe.quiet.keys[scancode] = quiet;
}

// The entry of a controller, or -1; with `make`, a free entry is taken.
int pad_entry(SDL_JoystickID pad, bool make) {
    int free_entry = -1;
    for (int i = 0; i < FE_MAX_PADS; i++) {
        if (fe.quiet.pad_axes[i] && fe.quiet.pad_ids[i] == pad) return i;
        if (!fe.quiet.pad_axes[i] && free_entry < 0) free_entry = i;
    }
    if (!make || free_entry < 0) return -1;
    fe.quiet.pad_ids[free_entry] = pad;
    return free_entry;
}

void set_axis(SDL_JoystickID pad, int axis, bool quiet) {
    if (axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return;
    int i = pad_entry(pad, quiet);
    if (i < 0) return;
    uint8_t bit = (uint8_t)(1u << axis);
    fe.quiet.pad_axes[i] = quiet ? fe.quiet.pad_axes[i] | bit : fe.quiet.pad_axes[i] & ~bit;
}

bool past_threshold(int value) { return abs(value) > MENU_STICK_THRESHOLD; }

}  // namespace

void quiet_held_inputs(const SDL_Event* ending) {
    int count = 0;
    const uint8_t* keys = SDL_GetKeyboardState(&count);
    for (int k = 0; keys && k < count && k < SDL_NUM_SCANCODES; k++)
        if (keys[k]) set_key(k, 1);
    for (int i = 0; i < fe.pad_count; i++) {
        if (!fe.pads[i]) continue;
        SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(fe.pads[i]));
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; a++)
            if (past_threshold(SDL_GameControllerGetAxis(fe.pads[i], (SDL_GameControllerAxis)a))) set_axis(id, a, true);
    }
    // The ending input itself, which the state may not show yet.
    if (!ending) return;
    if (ending->type == SDL_KEYDOWN) set_key(ending->key.keysym.scancode, 1);
    if (ending->type == SDL_CONTROLLERAXISMOTION && past_threshold(ending->caxis.value))
        set_axis(ending->caxis.which, ending->caxis.axis, true);
}

void quiet_inputs_event(const SDL_Event* event) {
    switch (event->type) {
    case SDL_KEYUP: set_key(event->key.keysym.scancode, 0); break;
    case SDL_KEYDOWN:
        if (!event->key.repeat) set_key(event->key.keysym.scancode, 0);  // its release went unseen
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (!past_threshold(event->caxis.value)) set_axis(event->caxis.which, event->caxis.axis, false);
        break;
    case SDL_CONTROLLERDEVICEREMOVED: {
        int i = pad_entry(event->cdevice.which, false);
        if (i >= 0) fe.quiet.pad_axes[i] = 0;
        break;
    }
    case SDL_WINDOWEVENT:
        // Away from the window a release may go unseen: all count as let go.
        if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) memset(&fe.quiet, 0, sizeof fe.quiet);
        break;
    default: break;
    }
}

int key_is_quiet(int scancode) { return scancode > 0 && scancode < SDL_NUM_SCANCODES && fe.quiet.keys[scancode]; }

int axis_is_quiet(SDL_JoystickID pad, int axis) {
    if (axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return 0;
    int i = pad_entry(pad, false);
    return i >= 0 && (fe.quiet.pad_axes[i] >> axis & 1);
}
