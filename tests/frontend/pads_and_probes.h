// Shared by the input, frame-step, sound, toast, ROM and run-state tests:
// SDL virtual game controllers, and checks of whether the modules these
// tests lean on (log, file utilities, drawing) are the real ones yet.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

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

    // Whether log_line writes the log file (reopens fe.log_path afterwards,
    // so call it first).
    bool logging_works() {
        std::string probe = dir + "/probe.log";
        open_log(probe.c_str());
        log_line("probe");
        close_log();
        std::ifstream in(probe);
        std::string line;
        bool ok = std::getline(in, line) && line.find("probe") != std::string::npos;
        open_log(fe.log_path);
        return ok;
    }

    bool files_work() {
        char joined[16];
        if (join_path(joined, sizeof joined, "a", "b") != 1 || strcmp(joined, "a/b") != 0) return false;
        const char* base = path_basename("x/y.zip");
        if (!base || strcmp(base, "y.zip") != 0) return false;
        std::string probe = dir + "/probe.bin";
        if (write_file_atomic(probe.c_str(), "ab", 2) != 1 || !is_regular_file(probe.c_str())) return false;
        size_t length = 0;
        uint8_t* data = read_whole_file(probe.c_str(), &length);
        bool ok = data && length == 2 && memcmp(data, "ab", 2) == 0;
        free(data);
        std::remove(probe.c_str());
        return ok;
    }

    bool drawing_works() {
        clear_output();
        fill_rect(fe.renderer, 0, 0, 2, 2, 0xFF0000FFu);
        bool ok = pixel_at(1, 1) == 0xFFFF0000u;
        clear_output();
        return ok;
    }

    bool has_line(const std::string& message) {
        for (const std::string& line : log_messages())
            if (line == message) return true;
        return false;
    }
};

#define NEEDS_LOG() \
    if (!logging_works()) GTEST_SKIP() << "needs the frontend log"
#define NEEDS_FILES() \
    if (!files_work()) GTEST_SKIP() << "needs the file utilities"
#define NEEDS_DRAWING() \
    if (!drawing_works()) GTEST_SKIP() << "needs the drawing layer"
