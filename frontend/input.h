// Input mapping helpers that tests reach directly: the decisions of the
// frame step's input word and of the controller bindings, as plain
// functions of plain values.
#pragma once

#include <cstdint>

#include "adapter/game_adapter.h"

// The per-row state the input word carries from frame to frame.
struct InputWordState {
    int* pulse_countdown;  // frames left of a running pulse, per row
    int* input_held;       // the row counted as pressed on the previous frame
    int* release_latch;    // while 1, pressed rows are ignored
};

// One frame's input word from the rows of the adapter's input table and
// whether each row's binding is pressed (`pressed`, one entry per row) and
// whether the quick-menu combination is held. Updates the pulse counters,
// the held flags and the release latch. `count` is at most the room of the
// state arrays.
uint32_t compute_input_word(const AdapterInput* rows, int count, const int* pressed, int combo,
                            InputWordState state);

// The dead zone in axis units for a deadzone percentage.
int deadzone_units(int deadzone);

// Whether the axis direction of a controller code (100 and up) is active
// for the axis value: strictly past the dead zone dz (axis units).
int axis_direction_active(int code, int value, int dz);

// The input word of this frame from the keyboard and the controllers,
// through compute_input_word over the frontend's own input state.
uint32_t input_word_from_bindings();
