// Input mapping: the input word as a function of the pressed rows, the
// dead zone, hotkey matching, and bindings read from virtual controllers.
#include <vector>

#include "frontend/input.h"
#include "tests/frontend/pads_and_probes.h"

namespace {

const AdapterInput ROWS[] = {
    {"fire", "Fire", 1, 0x1, 29, -1, 0, 0},
    {"coin", "Coin", 1, 0x10, 34, -1, 4, 5},
    {"up", "Up", 1, 0x100, 82, -1, 11, 0},
};
constexpr int FIRE = 0, COIN = 1, UP = 2;

// The input word over ROWS for a sequence of frames.
struct WordRun {
    int countdown[FE_MAX_INPUTS] = {};
    int held[FE_MAX_INPUTS] = {};
    int latch = 0;

    uint32_t frame(std::vector<int> pressed, int combo = 0) {
        pressed.resize(3);
        return compute_input_word(ROWS, 3, pressed.data(), combo, InputWordState{countdown, held, &latch});
    }
};

TEST(InputWord, LevelRowFollowsItsBinding) {
    WordRun run;
    EXPECT_EQ(run.frame({1, 0, 1}), 0x101u);
    EXPECT_EQ(run.frame({0, 0, 1}), 0x100u);
    EXPECT_EQ(run.frame({}), 0u);
}

TEST(InputWord, PulseLastsItsFramesFromThePressHoweverLongHeld) {
    WordRun run;
    std::vector<int> on_frames;
    for (int f = 1; f <= 100; f++)
        if (run.frame({0, 1}) & 0x10) on_frames.push_back(f);
    EXPECT_EQ(on_frames, (std::vector<int>{1, 2, 3, 4, 5}));
    // Released and pressed again: a new pulse.
    run.frame({});
    EXPECT_EQ(run.frame({0, 1}), 0x10u);
}

TEST(InputWord, NewPressRestartsARunningPulse) {
    WordRun run;
    std::vector<int> pressed_on = {1, 0, 1};  // press, release, press on the pulse's third frame
    std::vector<int> on_frames;
    for (int f = 1; f <= 12; f++) {
        int down = f <= 3 ? pressed_on[f - 1] : 0;
        if (run.frame({0, down}) & 0x10) on_frames.push_back(f);
    }
    EXPECT_EQ(on_frames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(InputWord, LatchIgnoresPressedRowsUntilNothingIsPressed) {
    WordRun run;
    run.latch = 1;
    EXPECT_EQ(run.frame({1}), 0u);      // held through the change
    EXPECT_EQ(run.frame({1, 0, 1}), 0u);  // another row pressed meanwhile counts neither
    EXPECT_EQ(run.latch, 1);
    EXPECT_EQ(run.frame({0, 0, 1}), 0u);  // still one row down
    EXPECT_EQ(run.latch, 1);
    EXPECT_EQ(run.frame({}), 0u);
    EXPECT_EQ(run.latch, 0);
    EXPECT_EQ(run.frame({1, 1}), 0x11u);
}

TEST(InputWord, LatchedCoinGivesNoPulseButARunningPulseFinishes) {
    WordRun run;
    EXPECT_EQ(run.frame({0, 1}), 0x10u);
    run.latch = 1;
    int on = 0;
    for (int f = 0; f < 10; f++) on += (run.frame({0, 1}) & 0x10) != 0;
    EXPECT_EQ(on, 4);  // the rest of the first pulse, nothing new
}

TEST(InputWord, CombinationSuppressesRowsWhileRunningPulsesCountDown) {
    WordRun run;
    EXPECT_EQ(run.frame({1, 1}), 0x11u);
    // Combination held: only the pulse's tail gets through.
    EXPECT_EQ(run.frame({1, 1, 1}, 1), 0x10u);
    EXPECT_EQ(run.frame({1, 0, 1}, 1), 0x10u);
    EXPECT_EQ(run.frame({1, 1, 1}, 1), 0x10u);  // a new press under the combination starts nothing
    EXPECT_EQ(run.frame({1, 1, 1}, 1), 0x10u);
    EXPECT_EQ(run.frame({1, 1, 1}, 1), 0u);
    EXPECT_EQ(run.countdown[COIN], 0);
}

TEST(InputWord, NoRowsGiveZeroAndOpenTheLatch) {
    int countdown[1] = {}, held[1] = {}, latch = 1;
    EXPECT_EQ(compute_input_word(ROWS, 0, nullptr, 0, InputWordState{countdown, held, &latch}), 0u);
    EXPECT_EQ(latch, 0);
}

TEST(InputWord, DeadZoneIsStrict) {
    int dz = deadzone_units(30);
    EXPECT_EQ(dz, 9830);
    EXPECT_FALSE(axis_direction_active(101, 9830, dz));
    EXPECT_TRUE(axis_direction_active(101, 9831, dz));
    EXPECT_FALSE(axis_direction_active(100, -9830, dz));
    EXPECT_TRUE(axis_direction_active(100, -9831, dz));
    EXPECT_FALSE(axis_direction_active(100, 32767, dz));   // the negative direction ignores a push the other way
    EXPECT_FALSE(axis_direction_active(103, -32768, dz));
}

using InputTest = PadTest;

TEST_F(InputTest, ResetMarksRowsHeldClearsPulsesAndTheAdapterWord) {
    fake_game.inputs = 0xFFFF;
    fe.input_word = 0x10;
    fe.pulse_countdown[4] = 3;
    fe.pulse_countdown[39] = 2;
    clear_input_state();
    EXPECT_EQ(fe.input_word, 0u);
    EXPECT_EQ(fake_game.inputs, 0u);
    for (int j = 0; j < FE_MAX_INPUTS; j++) {
        EXPECT_EQ(fe.pulse_countdown[j], 0) << j;
        EXPECT_EQ(fe.input_held[j], j < fe.adapter.input_count ? 1 : 0) << j;
    }
    // A coin held through the reset gives no pulse; a level input acts at once.
    int pressed[6] = {0, 0, 1, 0, 1, 0};
    uint32_t word = compute_input_word(fe.adapter.inputs, 6, pressed, 0,
                                       InputWordState{fe.pulse_countdown, fe.input_held, &fe.release_latch});
    EXPECT_EQ(word, 0x10u);

    fe.adapter.set_inputs = nullptr;  // an adapter without the operation
    clear_input_state();
}

SDL_Event key_event(int scancode, int repeat) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = (SDL_Scancode)scancode;
    e.key.repeat = (Uint8)repeat;
    return e;
}

SDL_Event button_event(int button) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERBUTTONDOWN;
    e.cbutton.button = (Uint8)button;
    return e;
}

TEST_F(InputTest, HotkeyEventsMatchKeysAndButtonsButNeverRepeatsOrAxes) {
    fe.hotkeys[HOTKEY_SCREENSHOT] = {69, 70, 3};
    fe.hotkeys[HOTKEY_PAUSE] = {-1, -1, 103};
    SDL_Event first = key_event(69, 0), second = key_event(70, 0), repeat = key_event(69, 1);
    SDL_Event other = key_event(71, 0), button = button_event(3), axis_button = button_event(103);
    EXPECT_TRUE(hotkey_event_matches(&first, HOTKEY_SCREENSHOT));
    EXPECT_TRUE(hotkey_event_matches(&second, HOTKEY_SCREENSHOT));
    EXPECT_FALSE(hotkey_event_matches(&repeat, HOTKEY_SCREENSHOT));
    EXPECT_FALSE(hotkey_event_matches(&other, HOTKEY_SCREENSHOT));
    EXPECT_TRUE(hotkey_event_matches(&button, HOTKEY_SCREENSHOT));
    EXPECT_FALSE(hotkey_event_matches(&axis_button, HOTKEY_PAUSE));
    SDL_Event none = key_event(0, 0);  // "no key" never matches scancode 0
    EXPECT_FALSE(hotkey_event_matches(&none, HOTKEY_PAUSE));
    SDL_Event up{};
    up.type = SDL_KEYUP;
    up.key.keysym.scancode = (SDL_Scancode)69;
    EXPECT_FALSE(hotkey_event_matches(&up, HOTKEY_SCREENSHOT));
    EXPECT_FALSE(hotkey_event_matches(&first, FE_HOTKEY_COUNT));
}

TEST_F(InputTest, EachOpenedControllerIsLogged) {
    NEEDS_LOG();
    open_pads(2);
    std::string name = SDL_GameControllerName(fe.pads[0]);
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"controller 1: " + name, "controller 2: " + name}));
}

TEST_F(InputTest, ControllersFollowHotPlugging) {
    open_pads(2);
    ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 3);
    ASSERT_EQ(SDL_JoystickDetachVirtual(0), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 2);
    EXPECT_EQ(fe.pads[2], nullptr);

    close_controllers();
    EXPECT_EQ(fe.pad_count, 0);
    EXPECT_EQ(fe.pads[0], nullptr);
}

TEST_F(InputTest, JoysticksThatAreNotGameControllersAreSkipped) {
    ASSERT_GE(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0), 0);
    ASSERT_GE(attach_virtual_pad(), 0);
    ASSERT_FALSE(SDL_IsGameController(0));
    open_controllers();
    ASSERT_EQ(fe.pad_count, 1);
    EXPECT_EQ(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(fe.pads[0])), SDL_JoystickGetDeviceInstanceID(1));
}

TEST_F(InputTest, AtMostEightControllersOpen) {
    for (int i = 0; i < 9; i++) ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 8);
    for (int i = 0; i < 8; i++) EXPECT_NE(fe.pads[i], nullptr);
}

TEST_F(InputTest, AnyControllerAnswersForPlayerZeroWithoutStickFallback) {
    open_pads(2);
    InputBinding shot{-1, -1, SDL_CONTROLLER_BUTTON_A}, up{-1, -1, SDL_CONTROLLER_BUTTON_DPAD_UP};
    EXPECT_FALSE(binding_pressed(&shot, 0, nullptr));
    set_pad_button(1, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_TRUE(binding_pressed(&shot, 0, nullptr));
    set_pad_axis(0, SDL_CONTROLLER_AXIS_LEFTY, -32000);
    EXPECT_FALSE(binding_pressed(&up, 0, nullptr));
    EXPECT_TRUE(binding_pressed(&up, 1, nullptr));
}

TEST_F(InputTest, AxisBindingsUseTheStrictDeadZone) {
    open_pads(1);
    InputBinding right{-1, -1, 100 + 2 * SDL_CONTROLLER_AXIS_LEFTX + 1};
    InputBinding left{-1, -1, 100 + 2 * SDL_CONTROLLER_AXIS_LEFTX};
    const int cases[][3] = {{9830, 0, 0}, {9831, 1, 0}, {-9830, 0, 0}, {-9831, 0, 1}};
    for (const auto& c : cases) {
        set_pad_axis(0, SDL_CONTROLLER_AXIS_LEFTX, c[0]);
        EXPECT_EQ(binding_pressed(&right, 0, nullptr), c[1]) << c[0];
        EXPECT_EQ(binding_pressed(&left, 1, nullptr), c[2]) << c[0];
    }
    InputBinding no_such_axis{-1, -1, 100 + 2 * SDL_CONTROLLER_AXIS_MAX + 1};
    InputBinding no_such_button{-1, -1, 99};
    EXPECT_FALSE(binding_pressed(&no_such_axis, 0, nullptr));
    EXPECT_FALSE(binding_pressed(&no_such_button, 1, nullptr));
}

TEST_F(InputTest, StickStandsInForTheDpadOfNumberedPlayers) {
    open_pads(1);
    const struct { int code, axis, value; } cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_AXIS_LEFTY, -9831},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_AXIS_LEFTY, 9831},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_AXIS_LEFTX, -9831},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_AXIS_LEFTX, 9831},
    };
    for (const auto& c : cases) {
        InputBinding b{-1, -1, c.code};
        set_pad_axis(0, c.axis, c.value > 0 ? 9830 : -9830);
        EXPECT_FALSE(binding_pressed(&b, 1, nullptr)) << c.code;
        set_pad_axis(0, c.axis, c.value);
        EXPECT_TRUE(binding_pressed(&b, 1, nullptr)) << c.code;
        EXPECT_FALSE(binding_pressed(&b, 0, nullptr)) << c.code;
        set_pad_axis(0, c.axis, 0);
    }
    InputBinding shot{-1, -1, SDL_CONTROLLER_BUTTON_A};
    set_pad_axis(0, SDL_CONTROLLER_AXIS_LEFTY, -32000);
    EXPECT_FALSE(binding_pressed(&shot, 1, nullptr));  // only d-pad codes fall back
}

TEST_F(InputTest, PlayersUseTheirAssignedOrOwnController) {
    open_pads(1);
    for (int& p : fe.settings.player_controller) p = -1;
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    InputBinding shot{89, 13, SDL_CONTROLLER_BUTTON_A}, outside{600, -5, -1};
    keys[13] = 1;  // the second key answers for any player
    EXPECT_TRUE(binding_pressed(&shot, 7, keys));
    EXPECT_FALSE(binding_pressed(&outside, 0, keys));
    keys[13] = 0;
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_TRUE(binding_pressed(&shot, 1, keys));
    EXPECT_FALSE(binding_pressed(&shot, 2, keys));  // player 2 is keys-only with one controller
    keys[89] = 1;
    EXPECT_TRUE(binding_pressed(&shot, 2, keys));
    keys[89] = 0;

    ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    EXPECT_FALSE(binding_pressed(&shot, 2, keys));  // automatic: controller index 1
    set_pad_button(1, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_TRUE(binding_pressed(&shot, 2, keys));
    set_pad_button(1, SDL_CONTROLLER_BUTTON_A, 0);
    fe.settings.player_controller[1] = 0;  // player 2 assigned the first controller
    EXPECT_TRUE(binding_pressed(&shot, 2, keys));
    fe.settings.player_controller[1] = 7;  // assigned one that is not there
    EXPECT_FALSE(binding_pressed(&shot, 2, keys));
    EXPECT_FALSE(binding_pressed(&shot, 5, keys));  // beyond four players: keys only
}

TEST_F(InputTest, MenuCombinationMustBeHeldOnOneController) {
    EXPECT_FALSE(menu_combo_held());
    open_pads(2);
    fe.settings.menu_combo = 0;
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 1);
    set_pad_button(1, SDL_CONTROLLER_BUTTON_START, 1);
    EXPECT_FALSE(menu_combo_held());
    set_pad_button(1, SDL_CONTROLLER_BUTTON_BACK, 1);
    EXPECT_TRUE(menu_combo_held());
    set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, 0);
    set_pad_button(1, SDL_CONTROLLER_BUTTON_BACK, 0);
    set_pad_button(1, SDL_CONTROLLER_BUTTON_START, 0);

    const struct { int combo; std::vector<int> buttons; } cases[] = {
        {1, {SDL_CONTROLLER_BUTTON_GUIDE}},
        {2, {SDL_CONTROLLER_BUTTON_RIGHTSTICK}},
        {3, {SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK}},
    };
    for (const auto& c : cases) {
        fe.settings.menu_combo = c.combo;
        for (size_t i = 0; i < c.buttons.size(); i++) {
            EXPECT_FALSE(menu_combo_held()) << c.combo;
            set_pad_button(0, c.buttons[i], 1);
        }
        EXPECT_TRUE(menu_combo_held()) << c.combo;
        fe.settings.menu_combo = 4;
        EXPECT_FALSE(menu_combo_held());
        for (int b : c.buttons) set_pad_button(0, b, 0);
    }
}

}  // namespace
