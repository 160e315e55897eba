// Shared by the input, frame-step, sound, toast, ROM and run-state tests
// (and through game_fixtures.h by the save-state, rewind and movie tests):
// SDL virtual game controllers, and the frontend fixture with the helpers
// these tests have in common.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/frontend/support/frontend_fixture.h"

// Attaches a virtual game controller with buttons numbered as SDL's game
// controller buttons and axes as its axes; its device index.
inline int attach_virtual_pad() {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
    if (index < 0) return index;
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    std::string mapping = std::string(guid) +
                          ",Test Pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
                          "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
                          "dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";
    SDL_GameControllerAddMapping(mapping.c_str());
    return index;
}

// Presses or releases a button of open controller `pad` (index into fe.pads).
inline void set_pad_button(int pad, int button, int down) {
    SDL_JoystickSetVirtualButton(SDL_GameControllerGetJoystick(fe.pads[pad]), button, (Uint8)down);
    SDL_GameControllerUpdate();
}

inline void set_pad_axis(int pad, int axis, int value) {
    SDL_JoystickSetVirtualAxis(SDL_GameControllerGetJoystick(fe.pads[pad]), axis, (Sint16)value);
    SDL_GameControllerUpdate();
}

// The fixture with controller events taken in the background (the hidden
// test window never has focus).
class PadTest : public FrontendTest {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        FrontendTest::SetUp();
        // Samples pass unchanged and the queue has room for many frames.
        fe.settings.volume = 100;
        fe.settings.latency_ms = 250;
        fe.settings.deadzone = 30;
    }

    // Attaches and opens `count` virtual controllers.
    void open_pads(int count) {
        for (int i = 0; i < count; i++) ASSERT_GE(attach_virtual_pad(), 0) << SDL_GetError();
        open_controllers();
        ASSERT_EQ(fe.pad_count, count);
    }

    // n frames; then a rewind capture still under way is finished, so the
    // ring holds every capture of those frames.
    void steps(int n) {
        for (int i = 0; i < n; i++) step_frame();
        rewind_settle();
    }

    // The sound device opened and held paused, so that its queue only grows.
    void open_paused_audio() {
        open_audio_device();
        ASSERT_NE(fe.audio_device, 0u) << SDL_GetError();
        SDL_PauseAudioDevice(fe.audio_device, 1);
    }

    // Sound waiting in a paused device's queue.
    void queue_sound() {
        if (!fe.audio_device) open_paused_audio();
        SDL_PauseAudioDevice(fe.audio_device, 1);
        for (int i = 0; i < 2000; i++) fe.audio_buffer[i] = 1000;
        queue_frame_audio(fe.audio_buffer, 1000);
        ASSERT_GT(queued(), 0u);
    }

    uint32_t queued() { return SDL_GetQueuedAudioSize(fe.audio_device); }

    // The position of the last log line that reads `message`, or -1.
    int log_index(const std::string& message) {
        std::vector<std::string> lines = log_messages();
        for (size_t i = lines.size(); i-- > 0;)
            if (lines[i] == message) return (int)i;
        return -1;
    }
};
