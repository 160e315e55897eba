// Input mapping: the input word as a function of the pressed rows, hotkey
// matching, and bindings read from virtual controllers.
#include <vector>

#include "frontend/input.h"
#include "tests/frontend/pads_and_probes.h"

namespace {

// Fire (level), coin (a five-frame pulse) and up (level).
const AdapterInput ROWS[] = {
    {"fire", "Fire", 1, 0x1, 29, -1, 0, 0},
    {"coin", "Coin", 1, 0x10, 34, -1, 4, 5},
    {"up", "Up", 1, 0x100, 82, -1, 11, 0},
};

// One frame of a script: the rows pressed (F, C, U), whether the quick-menu
// combination is held, the word expected, and whether the release latch is
// closed just before the frame.
constexpr int F = 1, C = 2, U = 4;
struct Frame {
    int rows, combo;
    uint32_t word;
    int close_latch = 0;
};

TEST(InputWord, FollowsPressesPulsesTheLatchAndTheCombination) {
    const Frame P{C, 0, 0x10};  // the coin held within its pulse
    const struct {
        const char* what;
        std::vector<Frame> frames;
    } scripts[] = {
        {"level rows follow their bindings", {{F | U, 0, 0x101}, {U, 0, 0x100}, {0, 0, 0}}},
        {"a pulse lasts its frames from the press however long held; a new press, a new pulse",
         {P, P, P, P, P, {C, 0, 0}, {C, 0, 0}, {C, 0, 0}, {0, 0, 0}, P}},
        {"a press restarts a running pulse",
         {P, {0, 0, 0x10}, P, {0, 0, 0x10}, {0, 0, 0x10}, {0, 0, 0x10}, {0, 0, 0x10}, {0, 0, 0}}},
        {"the latch ignores rows until none is pressed",
         {{F, 0, 0, 1}, {F | U, 0, 0}, {U, 0, 0}, {U, 0, 0}, {0, 0, 0}, {F | C, 0, 0x11}}},
        {"a latched coin starts no pulse but a running one finishes",
         {P, {C, 0, 0x10, 1}, P, P, P, {C, 0, 0}, {C, 0, 0}, {0, 0, 0}, P}},
        {"the combination lets through only the tails of running pulses",
         {{F | C, 0, 0x11},
          {F | C | U, 1, 0x10},
          {F | U, 1, 0x10},
          {F | C | U, 1, 0x10},
          {F | C | U, 1, 0x10},
          {F | C | U, 1, 0}}},
    };
    for (const auto& s : scripts) {
        SCOPED_TRACE(s.what);
        int countdown[3] = {}, held[3] = {}, latch = 0;
        for (size_t f = 0; f < s.frames.size(); f++) {
            const Frame& k = s.frames[f];
            if (k.close_latch) latch = 1;
            int pressed[3] = {k.rows & F, k.rows & C, k.rows & U};
            EXPECT_EQ(compute_input_word(ROWS, 3, pressed, k.combo, InputWordState{countdown, held, &latch}), k.word)
                << "frame " << f;
        }
    }
    // No rows: nothing to press, so the latch opens.
    int countdown[1] = {}, held[1] = {}, latch = 1;
    EXPECT_EQ(compute_input_word(ROWS, 0, nullptr, 0, InputWordState{countdown, held, &latch}), 0u);
    EXPECT_EQ(latch, 0);
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
    EXPECT_EQ(compute_input_word(fe.adapter.inputs, 6, pressed, 0,
                                 InputWordState{fe.pulse_countdown, fe.input_held, &fe.release_latch}),
              0x10u);
    fe.adapter.set_inputs = nullptr;  // an adapter without the operation
    clear_input_state();
}

SDL_Event key_event(int scancode, int repeat, Uint32 type = SDL_KEYDOWN) {
    SDL_Event e{};
    e.type = type;
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
    const struct {
        const char* what;
        SDL_Event event;
        unsigned hotkey;
        int matches;
    } cases[] = {
        {"first key", key_event(69, 0), HOTKEY_SCREENSHOT, 1},
        {"second key", key_event(70, 0), HOTKEY_SCREENSHOT, 1},
        {"key repeat", key_event(69, 1), HOTKEY_SCREENSHOT, 0},
        {"other key", key_event(71, 0), HOTKEY_SCREENSHOT, 0},
        {"key release", key_event(69, 0, SDL_KEYUP), HOTKEY_SCREENSHOT, 0},
        {"button", button_event(3), HOTKEY_SCREENSHOT, 1},
        {"axis code as a button", button_event(103), HOTKEY_PAUSE, 0},
        {"no key is not scancode 0", key_event(0, 0), HOTKEY_PAUSE, 0},
        {"no such hotkey", key_event(69, 0), FE_HOTKEY_COUNT, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(hotkey_event_matches(&c.event, c.hotkey), c.matches) << c.what;
}

TEST_F(InputTest, GameControllersAreOpenedLoggedAndFollowHotPlugging) {
    ASSERT_GE(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0), 0);
    ASSERT_FALSE(SDL_IsGameController(0));
    open_pads(2);  // the plain joystick is skipped
    EXPECT_EQ(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(fe.pads[0])), SDL_JoystickGetDeviceInstanceID(1));
    std::string name = SDL_GameControllerName(fe.pads[0]);
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"controller 1: " + name, "controller 2: " + name}));

    ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 3);
    ASSERT_EQ(SDL_JoystickDetachVirtual(1), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 2);
    EXPECT_EQ(fe.pads[2], nullptr);

    for (int i = 0; i < 7; i++) ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    EXPECT_EQ(fe.pad_count, 8) << "at most eight of the nine";
    for (int i = 0; i < 8; i++) EXPECT_NE(fe.pads[i], nullptr);
    close_controllers();
    EXPECT_EQ(fe.pad_count, 0);
    EXPECT_EQ(fe.pads[0], nullptr);
}

TEST_F(InputTest, BindingsAnswerToThePlayersControllerStrictlyPastTheDeadZone) {
    open_pads(1);
    InputBinding shot{-1, -1, SDL_CONTROLLER_BUTTON_A};
    set_pad_button(0, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_FALSE(binding_pressed(&shot, 2, nullptr)) << "with one controller player 2 has keys only";
    EXPECT_TRUE(binding_pressed(&shot, 1, nullptr));
    ASSERT_GE(attach_virtual_pad(), 0);
    open_controllers();
    ASSERT_EQ(fe.pad_count, 2);
    const int UP = SDL_CONTROLLER_BUTTON_DPAD_UP, DOWN = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
              LEFT = SDL_CONTROLLER_BUTTON_DPAD_LEFT, RIGHT = SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
              A = SDL_CONTROLLER_BUTTON_A, X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY;
    const int TOWARD_LEFT = 100 + 2 * X, TOWARD_RIGHT = TOWARD_LEFT + 1;
    // Controller 0's stick pushed along `axis` toward `sign`: to the edge of
    // the dead zone of 30 (9830, never a press), just past it and all the way.
    const struct {
        const char* what;
        int axis, sign, code;
        unsigned player;
        int past;
    } sticks[] = {
        {"player 1's stick up stands in for the d-pad", Y, -1, UP, 1, 1},
        {"stick down", Y, 1, DOWN, 1, 1},
        {"stick left", X, -1, LEFT, 1, 1},
        {"stick right", X, 1, RIGHT, 1, 1},
        {"player 0 has no stick for the d-pad", Y, -1, UP, 0, 0},
        {"only d-pad codes fall back to the stick", Y, -1, A, 1, 0},
        {"axis toward the right", X, 1, TOWARD_RIGHT, 0, 1},
        {"axis toward the right pushed left", X, -1, TOWARD_RIGHT, 0, 0},
        {"axis toward the left", X, -1, TOWARD_LEFT, 1, 1},
        {"axis toward the left pushed right", X, 1, TOWARD_LEFT, 1, 0},
        {"no such axis", X, 1, 100 + 2 * SDL_CONTROLLER_AXIS_MAX + 1, 0, 0},
    };
    set_pad_button(0, A, 0);
    for (const auto& c : sticks)
        for (int value : {9830, 9831, 32767}) {
            set_pad_axis(0, c.axis, c.sign * value);
            InputBinding binding{-1, -1, c.code};
            EXPECT_EQ(binding_pressed(&binding, c.player, nullptr), value > 9830 && c.past) << c.what << " " << value;
            set_pad_axis(0, c.axis, 0);
        }
    // Button A pressed on controller `pad`; player 2's assigned controller.
    const struct {
        const char* what;
        int pad, code;
        unsigned player;
        int assigned, expected;
    } buttons[] = {
        {"any controller answers for player 0", 1, A, 0, -1, 1},
        {"no such button", 0, 99, 1, -1, 0},
        {"player 2 takes the second controller by itself", 1, A, 2, -1, 1},
        {"not the first", 0, A, 2, -1, 0},
        {"player 2 assigned the first", 0, A, 2, 0, 1},
        {"player 2 assigned one that is not there", 1, A, 2, 7, 0},
        {"a fifth player has no controller", 0, A, 5, -1, 0},
    };
    for (const auto& c : buttons) {
        set_pad_button(c.pad, A, 1);
        fe.settings.player_controller[1] = c.assigned;
        InputBinding binding{-1, -1, c.code};
        EXPECT_EQ(binding_pressed(&binding, c.player, nullptr), c.expected) << c.what;
        set_pad_button(c.pad, A, 0);
    }
    // Keys answer for any player; codes outside the keyboard never do.
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    keys[13] = 1;
    InputBinding key{89, 13, -1}, outside{600, -5, -1};
    EXPECT_TRUE(binding_pressed(&key, 7, keys));
    EXPECT_FALSE(binding_pressed(&outside, 0, keys));
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
    for (int b : {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START})
        for (int pad : {0, 1}) set_pad_button(pad, b, 0);

    const struct {
        int combo;
        std::vector<int> buttons;
    } cases[] = {
        {1, {SDL_CONTROLLER_BUTTON_GUIDE}},
        {2, {SDL_CONTROLLER_BUTTON_RIGHTSTICK}},
        {3, {SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK}},
    };
    for (const auto& c : cases) {
        fe.settings.menu_combo = c.combo;
        for (int b : c.buttons) {
            EXPECT_FALSE(menu_combo_held()) << c.combo;
            set_pad_button(0, b, 1);
        }
        EXPECT_TRUE(menu_combo_held()) << c.combo;
        fe.settings.menu_combo = 4;
        EXPECT_FALSE(menu_combo_held());
        for (int b : c.buttons) set_pad_button(0, b, 0);
    }
}

}  // namespace
