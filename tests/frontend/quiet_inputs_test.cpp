// The inputs held when a capture ends: each let go only by what releases it.
#include <gtest/gtest.h>

#include <cstring>

#include "frontend/frontend.h"

TEST(QuietInputs, EachIsLetGoOnlyByWhatReleasesIt) {
    auto event = [](Uint32 type, int code, int value = 0, SDL_JoystickID pad = 3) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_KEYDOWN || type == SDL_KEYUP)
            e.key = {type, 0, 0, 0, (Uint8)value, 0, 0, {(SDL_Scancode)code, 0, 0, 0}};
        if (type == SDL_CONTROLLERAXISMOTION) e.caxis = {type, 0, pad, (Uint8)code, 0, 0, 0, (Sint16)value, 0};
        if (type == SDL_CONTROLLERDEVICEREMOVED) e.cdevice.which = pad;
        if (type == SDL_WINDOWEVENT) e.window.event = (Uint8)code;
        return e;
    };
    const SDL_Event held[] = {event(SDL_KEYDOWN, SDL_SCANCODE_A), event(SDL_CONTROLLERAXISMOTION, 0, 30000),
                              event(SDL_CONTROLLERAXISMOTION, 5, 32767), event(SDL_CONTROLLERAXISMOTION, 0, -30000, 9)};
    const std::pair<SDL_Event, std::vector<int>> cases[] = {
        {event(SDL_KEYUP, SDL_SCANCODE_A), {0, 1, 1, 1}},
        {event(SDL_KEYDOWN, SDL_SCANCODE_A), {0, 1, 1, 1}},  // its release went unseen
        {event(SDL_KEYDOWN, SDL_SCANCODE_A, 1), {1, 1, 1, 1}},
        {event(SDL_KEYUP, SDL_SCANCODE_B), {1, 1, 1, 1}},
        {event(SDL_CONTROLLERAXISMOTION, 0, 20001), {1, 1, 1, 1}},
        {event(SDL_CONTROLLERAXISMOTION, 0, -20000), {1, 0, 1, 1}},
        {event(SDL_CONTROLLERAXISMOTION, 0, 0, 9), {1, 1, 1, 0}},
        {event(SDL_CONTROLLERDEVICEREMOVED, 0), {1, 0, 0, 1}},
        {event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST), {0, 0, 0, 0}},
        {event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED), {1, 1, 1, 1}},
    };
    for (const auto& [release, after] : cases) {
        memset(&fe, 0, sizeof fe);
        for (const SDL_Event& e : held) quiet_held_inputs(&e);
        quiet_inputs_event(&release);
        std::vector<int> quiet = {key_is_quiet(SDL_SCANCODE_A), axis_is_quiet(3, 0), axis_is_quiet(3, 5),
                                  axis_is_quiet(9, 0)};
        EXPECT_EQ(quiet, after) << "after event " << release.type;
    }
    memset(&fe, 0, sizeof fe);
}
