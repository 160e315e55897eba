// The main and pause menus: their rows with and without a game, a ROM and
// save states, where each row leads, the questions they ask, Back, and what
// the main menu draws beside its rows.
#include <vector>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int U = 100;

// clang-format off
// Rows of the main menu with a game running and save states on.
enum RunningRow {
    R_RESUME, R_NEW_GAME, R_CONTINUE, R_LOAD, R_SAVE, R_ROM, R_DISPLAY, R_AUDIO, R_CONTROLS, R_GAMEPLAY, R_GADGETS,
    R_EXTRAS, R_ABOUT, R_EXIT, RUNNING_ROWS
};
// Rows of the pause menu with save states on.
enum PauseRow {
    P_RESUME, P_RESTART, P_SAVE, P_LOAD, P_DISPLAY, P_AUDIO, P_CONTROLS, P_GADGETS, P_EXTRAS, P_MAIN_MENU, P_EXIT,
    PAUSE_ROWS
};
// clang-format on

// The preview box beside the rows on the test output: from W/2, 592 x 710
// below 140/100 u, a 4:3 box of 592 x 444.
constexpr int BOX_X = 640, BOX_Y = 140 + (710 - 444) / 2, BOX_W = 592, BOX_H = 444;

using MainMenuTest = MenuTest;

// Rows that are absent, not disabled, shift the indices of the rows after.
TEST_F(MainMenuTest, RowsFollowTheGameTheRomAndSaveStatesAndDisabledOnesDoNothing) {
    open({SCREEN_MAIN});
    EXPECT_EQ(row_count(SCREEN_MAIN), RUNNING_ROWS - 2) << "no Resume, no Save State";
    fe.state_slots[0].exists = fe.state_slots[0].usable = 1;
    for (int row : {0, 1, 2}) {  // no ROM: Start Game, Continue, Load State
        select_row(SCREEN_MAIN, row);
        EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "row " << row;
    }
    load_game(true);
    EXPECT_EQ(row_count(SCREEN_MAIN), RUNNING_ROWS);
    EXPECT_EQ(help_of(SCREEN_MAIN, R_ROM), fe.rom) << "the ROM's full path";
    fe.state_slots[0].usable = 0;
    select_row(SCREEN_MAIN, R_CONTINUE);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "an unusable autosave";
    fe.feature_on[FEATURE_SAVE_STATES] = 0;
    fe.running = 0;
    EXPECT_EQ(row_count(SCREEN_MAIN), RUNNING_ROWS - 4);
    open({SCREEN_PAUSE});
    EXPECT_EQ(row_count(SCREEN_PAUSE), PAUSE_ROWS - 2);
}

// With a game running, rows that would lose progress ask first, in words
// that follow the autosave settings.
TEST_F(MainMenuTest, QuestionsOfTheMainAndPauseMenus) {
    load_game(true);
    fe.state_slots[0].exists = fe.state_slots[0].usable = 1;
    const struct {
        int screen, row, autosave, action;
        const char* text;
    } cases[] = {
        {SCREEN_MAIN, R_NEW_GAME, 1, CONFIRM_NEW_GAME,
         "Start a new game? Unsaved progress in the current game will be lost."},
        {SCREEN_MAIN, R_CONTINUE, 1, CONFIRM_LOAD_SLOT, "Continue from the autosave? Unsaved progress will be lost."},
        {SCREEN_MAIN, R_EXIT, 1, CONFIRM_EXIT, "Exit the game? Progress will be autosaved."},
        {SCREEN_MAIN, R_EXIT, 0, CONFIRM_EXIT, "Exit the game? Unsaved progress will be lost."},
        {SCREEN_PAUSE, P_RESTART, 1, CONFIRM_RESTART, "Restart the game? Unsaved progress will be lost."},
        {SCREEN_PAUSE, P_MAIN_MENU, 1, CONFIRM_MAIN_MENU, "Return to the main menu? The game will be autosaved."},
        {SCREEN_PAUSE, P_MAIN_MENU, 0, CONFIRM_MAIN_MENU, "Return to the main menu? Unsaved progress will be lost."},
        {SCREEN_PAUSE, P_EXIT, 1, CONFIRM_EXIT, "Exit to the desktop? The game will be autosaved."},
        {SCREEN_PAUSE, P_EXIT, 0, CONFIRM_EXIT, "Exit to the desktop? Unsaved progress will be lost."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        fe.settings.autosave_menu = fe.settings.autosave_exit = c.autosave;
        open({c.screen});
        select_row(c.screen, c.row);
        expect_confirm(c.action, 0, c.text);
    }
    EXPECT_EQ(fake_game.resets, 0);
    EXPECT_EQ(fe.quit_requested, 0);
    for (int autosave : {1, 0}) {
        fe.settings.autosave_menu = autosave;
        open({SCREEN_PAUSE});
        EXPECT_EQ(help_of(SCREEN_PAUSE, P_MAIN_MENU),
                  autosave ? "Leaves the game; it is autosaved first." : "Leaves the game without saving.");
    }
}

// Without a game, Start Game, Continue and Exit act at once.
TEST_F(MainMenuTest, WithoutAGameStartContinueAndExitActAtOnce) {
    open({SCREEN_MAIN});
    select_row(SCREEN_MAIN, RUNNING_ROWS - 3);  // Exit, no ROM
    EXPECT_EQ(fe.quit_requested, 1);
    load_game(false);
    select_row(SCREEN_MAIN, 0);
    EXPECT_EQ(fake_game.resets, 1);
    EXPECT_EQ(std::pair(fe.menu_open, fe.running), std::pair(0, 1));

    save_slot(0);
    fe.running = 0;
    open({SCREEN_MAIN});
    fe.slot_list_stale = 1;
    select_row(SCREEN_MAIN, 1);
    EXPECT_EQ(std::pair(fe.menu_open, fe.running), std::pair(0, 1));
    EXPECT_EQ(toast(), "Continued from autosave");
}

TEST_F(MainMenuTest, EveryRowLeadsToItsScreenAndBack) {
    load_game(true);
    const int targets[][3] = {
        {SCREEN_MAIN, R_LOAD, SCREEN_LOAD_STATE},    {SCREEN_MAIN, R_SAVE, SCREEN_SAVE_STATE},
        {SCREEN_MAIN, R_ROM, SCREEN_ROM_SELECTION},  {SCREEN_MAIN, R_DISPLAY, SCREEN_DISPLAY},
        {SCREEN_MAIN, R_AUDIO, SCREEN_AUDIO},        {SCREEN_MAIN, R_CONTROLS, SCREEN_CONTROLS},
        {SCREEN_MAIN, R_GAMEPLAY, SCREEN_GAMEPLAY},  {SCREEN_MAIN, R_GADGETS, SCREEN_GADGETS},
        {SCREEN_MAIN, R_EXTRAS, SCREEN_EXTRAS},      {SCREEN_MAIN, R_ABOUT, SCREEN_ABOUT},
        {SCREEN_PAUSE, P_SAVE, SCREEN_SAVE_STATE},   {SCREEN_PAUSE, P_LOAD, SCREEN_LOAD_STATE},
        {SCREEN_PAUSE, P_DISPLAY, SCREEN_DISPLAY},   {SCREEN_PAUSE, P_AUDIO, SCREEN_AUDIO},
        {SCREEN_PAUSE, P_CONTROLS, SCREEN_CONTROLS}, {SCREEN_PAUSE, P_GADGETS, SCREEN_GADGETS},
        {SCREEN_PAUSE, P_EXTRAS, SCREEN_EXTRAS},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE("screen " + std::to_string(t[0]) + " row " + std::to_string(t[1]));
        open({t[0]});
        fe.slot_list_stale = 0;
        select_row(t[0], t[1]);
        EXPECT_EQ(stack(), (std::vector<int>{t[0], t[2]}));
        EXPECT_EQ(fe.slot_list_stale, t[2] == SCREEN_LOAD_STATE || t[2] == SCREEN_SAVE_STATE) << "read afresh";
        press_back();
        EXPECT_EQ(stack(), std::vector<int>{t[0]});
    }
}

TEST_F(MainMenuTest, ResumeAndBackReturnToARunningGameOnly) {
    open({SCREEN_MAIN});
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "nothing to return to";
    load_game(true);
    for (int screen : {SCREEN_MAIN, SCREEN_PAUSE}) {
        for (auto key : {&MenuInput::select, &MenuInput::back}) {  // Resume is the first row
            open({screen});
            press_at(screen, 0, key);
            EXPECT_EQ(std::pair(fe.menu_open, fe.release_latch), std::pair(0, 1)) << screen;
        }
    }
}

// The row that opens a screen must not let a later row act on the new
// screen's cursor in the same pass.
TEST_F(MainMenuTest, OpeningAScreenWhoseCursorSitsOnTheExitIndexDoesNotQuit) {
    open({SCREEN_MAIN});
    const int extras = 9, exit_row = 11;  // no ROM, save states on
    fe.menu.cursor[SCREEN_EXTRAS] = exit_row;
    select_row(SCREEN_MAIN, extras);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_EXTRAS}));
    EXPECT_EQ(fe.quit_requested, 0);
    EXPECT_EQ(fe.menu.cursor[SCREEN_EXTRAS], exit_row) << "nor move its cursor";
}

TEST_F(MainMenuTest, HighlightBarAccentStripAndLabelSitOnTheRow) {
    load_game(false);
    fe.settings.accent = 1;
    open({SCREEN_MAIN});
    draw();
    // Row 0: list top 36/100 u + 110/100 u, bar 48/100 u - 6/100 u high,
    // from 12/100 u left of the list.
    int row_y = U * 36 / 100 + U * 110 / 100, bar_h = U * 48 / 100 - U * 6 / 100;
    int bar_x = U * 40 / 100 - U * 12 / 100;
    EXPECT_EQ(pixel_at(bar_x + 1, row_y + U * 8 / 100 + 2), argb(ACCENT_COLOURS[1])) << "accent strip";
    uint32_t bar = pixel_at(bar_x + 300, row_y + bar_h / 2), accent = ACCENT_COLOURS[1];
    int expect[3] = {(int)((accent & 0xFF) / 5 + 20), (int)((accent >> 8 & 0xFF) / 5 + 22),
                     (int)((accent >> 16 & 0xFF) / 5 + 30)};
    for (int c = 0; c < 3; c++) EXPECT_NEAR((int)(bar >> (16 - 8 * c) & 0xFF), expect[c] * 235 / 255, 2) << c;
    EXPECT_EQ(pixel_at(bar_x + 300, row_y + bar_h + 1), 0xFF000000u) << "the bar ends above the next row";
    int label_x = U * 40 / 100 + U * 8 / 100, line = text_line_height(U * 24 / 100);
    int text_y = row_y + (bar_h - line) / 2;
    EXPECT_TRUE(drawn_in(label_x, text_y, 60, line, bar)) << "the label from 8/100 u into the list";
    EXPECT_FALSE(drawn_in(bar_x + 6, text_y, label_x - bar_x - 8, line, bar));
}

// The game as it is on screen: turned by the rotation setting, undimmed.
TEST_F(MainMenuTest, PreviewShowsTheRunningGameAtFullBrightnessTurnedWithTheDisplay) {
    load_game(true);
    fake_game.frames_run = 0;
    // The fake frame's quadrants: red top left, green top right, blue bottom
    // left, white bottom right; each turn moves them a corner clockwise.
    const uint32_t top_left[4] = {0xFFFF0000, 0xFF0000FF, 0xFFFFFFFF, 0xFF00FF00};
    const uint32_t bottom_right[4] = {0xFFFFFFFF, 0xFF00FF00, 0xFFFF0000, 0xFF0000FF};
    // The box is 592 x 444 upright and 532 x 710 turned, about one centre.
    const int cx = BOX_X + BOX_W / 2, cy = BOX_Y + BOX_H / 2;
    for (int rotation : {0, 1, 2, 3}) {
        SCOPED_TRACE(rotation);
        fe.settings.rotation = rotation;
        fetch_frame();
        SDL_SetTextureColorMod(fe.game_texture, 90, 90, 100);  // dimmed as under a menu
        open({SCREEN_MAIN});
        draw();
        EXPECT_EQ(pixel_at(cx - 20, cy - 20), top_left[rotation]);
        EXPECT_EQ(pixel_at(cx + 20, cy + 20), bottom_right[rotation]);
    }
    fe.settings.rotation = 0;
    fetch_frame();
    draw();
    EXPECT_EQ(pixel_at(BOX_X - 3, cy), argb(0xFF2E221E)) << "the frame";
}

TEST_F(MainMenuTest, PreviewShowsReadyForALoadedRomOrWhyNotAndNothingWithoutRoom) {
    open({SCREEN_MAIN});
    draw();
    EXPECT_FALSE(drawn_in(640, U * 150 / 100, 300, 60)) << "no ROM, no message: nothing said";
    snprintf(fe.rom_message, sizeof fe.rom_message, "No ROM selected.");
    draw();
    EXPECT_TRUE(drawn_in(640, U * 150 / 100, 300, 30));
    EXPECT_TRUE(drawn_in(640, U * 190 / 100, 300, 20));
    EXPECT_FALSE(drawn_in(600, U * 150 / 100, 38, 60)) << "left-aligned at W/2";

    load_game(false);
    draw();
    uint32_t card = argb(0xFF120C0A), frame = argb(0xFF2E221E);
    EXPECT_EQ(pixel_at(BOX_X + 5, BOX_Y + 5), card);
    EXPECT_TRUE(drawn_in(BOX_X + BOX_W / 2 - 30, BOX_Y + BOX_H / 2 - U / 5, 60, 20, card)) << "Ready";
    EXPECT_TRUE(drawn_in(BOX_X + BOX_W / 2 - 30, BOX_Y + BOX_H / 2 + U / 5, 60, 12, card)) << "the ROM's name";
    // Units so large that the area is too low (250: 335 < 375 pixels) or
    // also too narrow (300: 496 < 600): neither frame nor card anywhere.
    for (int u : {250, 300}) {
        fe.ui_unit = u;
        draw();
        std::vector<uint32_t> p = read_pixels(640, 0, 640, 960);
        EXPECT_EQ(std::count(p.begin(), p.end(), card) + std::count(p.begin(), p.end(), frame), 0) << "u " << u;
    }
}

}  // namespace
