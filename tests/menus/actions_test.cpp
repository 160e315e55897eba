// What each confirmed action does once the dialog is answered Yes.
#include <cstdio>

#include "tests/menus/menu_fixture.h"

namespace {

class ActionTest : public MenuTest {
protected:
    // The dialog answered Yes in a menu pass, as the player would.
    void confirm_yes(int action, int value) {
        show_confirm(action, value, "Sure?");
        select_row(SCREEN_CONFIRM, 0);
    }
    std::string slot_path(int slot) {
        char path[FE_PATH_SIZE] = "";
        EXPECT_EQ(build_slot_path(slot, path), 1);
        return path;
    }
    bool slot_file(int slot) { return is_regular_file(slot_path(slot).c_str()); }
    void write_junk(const std::string& path) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fputs("junk", f);
        fclose(f);
    }
};

TEST_F(ActionTest, ExitAndReturnToMainMenuStopTheGameAutosavingOnlyWhenAsked) {
    for (int autosave : {0, 1}) {
        SCOPED_TRACE(autosave);
        load_game(true);
        remove(slot_path(0).c_str());
        fe.settings.autosave_exit = autosave;
        open({SCREEN_PAUSE});
        confirm_yes(CONFIRM_EXIT, 0);
        EXPECT_EQ(fe.quit_requested, 1);
        EXPECT_EQ(fe.running, 0);
        EXPECT_EQ(slot_file(0), autosave == 1);

        fe.quit_requested = 0;
        load_game(true);
        remove(slot_path(0).c_str());
        fe.settings.autosave_menu = autosave;
        open({SCREEN_PAUSE});
        confirm_yes(CONFIRM_MAIN_MENU, 0);
        EXPECT_EQ(fe.running, 0);
        EXPECT_EQ(fe.menu_open, 1);
        EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
        EXPECT_EQ(fe.rom_loaded, 1) << "the ROM stays loaded";
        EXPECT_EQ(slot_file(0), autosave == 1);
        EXPECT_EQ(fe.quit_requested, 0);
    }
}

TEST_F(ActionTest, RestartAndNewGameResetTheBoardAndResume) {
    open({SCREEN_PAUSE});
    confirm_yes(CONFIRM_RESTART, 0);
    EXPECT_EQ(fe.running, 0) << "without a ROM nothing starts";
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});

    for (int action : {CONFIRM_RESTART, CONFIRM_NEW_GAME}) {
        load_game(true);
        fe.paused = 1;
        int resets = fake_game.resets;
        open({SCREEN_MAIN});
        confirm_yes(action, 0);
        EXPECT_EQ(fake_game.resets, resets + 1) << action;
        EXPECT_EQ(fe.running, 1);
        EXPECT_EQ(fe.paused, 0);
        EXPECT_EQ(fe.menu_open, 0);
    }
}

TEST_F(ActionTest, LoadingASlotResumesAndSelectsItAndAFailureStaysOverTheScreenThatAsked) {
    load_game(true);
    save_slot(4);
    save_slot(0);
    fe.slot = 1;
    open({SCREEN_PAUSE, SCREEN_LOAD_STATE});
    confirm_yes(CONFIRM_LOAD_SLOT, 4);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.slot, 4);
    open({SCREEN_MAIN});
    confirm_yes(CONFIRM_LOAD_SLOT, 0);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.slot, 4) << "the autosave is not a slot to select";

    write_junk(slot_path(3));
    open({SCREEN_PAUSE, SCREEN_LOAD_STATE});
    confirm_yes(CONFIRM_LOAD_SLOT, 3);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_LOAD_STATE, SCREEN_MESSAGE}));
    EXPECT_STREQ(fe.message_title, "Cannot load state");
    EXPECT_EQ(fe.slot, 4);
}

TEST_F(ActionTest, OverwritingWritesTheSlotAndReturnsToTheGameFromThePauseMenuOnly) {
    load_game(true);
    open({SCREEN_PAUSE, SCREEN_SAVE_STATE});
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 3);
    EXPECT_EQ(fe.slot, 3);
    EXPECT_EQ(fe.menu_open, 0);

    open({SCREEN_MAIN, SCREEN_SAVE_STATE});
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 7);
    EXPECT_EQ(fe.slot, 7);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_TRUE(slot_file(7));
    EXPECT_TRUE(fe.state_slots[7].usable) << "the list was read again at once";

    open({SCREEN_SAVE_STATE});  // opened on the save screen alone
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 6);
    EXPECT_EQ(fe.menu_open, 0) << "the emptied stack resumes the game";
}

// Every setting and binding goes back to its default, and what follows
// from them is applied at once; the paths and the slot are not settings.
TEST_F(ActionTest, RestoreAllKeepsThePathsAndTheSlot) {
    snprintf(fe.rom, sizeof fe.rom, "/games/talvex.zip");
    snprintf(fe.browse_dir, sizeof fe.browse_dir, "/games");
    fe.slot = 4;
    FrontendSettings& s = fe.settings;
    s.volume = 10;
    s.accent = 3;
    s.filter = 1;
    s.player_controller[0] = 5;
    fe.bindings[0].key1 = SDL_SCANCODE_Z;
    fe.hotkeys[HOTKEY_PAUSE].pad = 3;
    fe.picture_lut_stale = 0;
    open({SCREEN_MAIN, SCREEN_DISPLAY});
    confirm_yes(CONFIRM_RESTORE_ALL, 0);
    EXPECT_EQ(std::vector<int>({s.volume, s.accent, s.filter, s.player_controller[0], fe.bindings[0].key1,
                                fe.hotkeys[HOTKEY_PAUSE].pad}),
              std::vector<int>({80, 0, 0, 0, 82, -1}));
    EXPECT_EQ(std::tuple(std::string(fe.rom), std::string(fe.browse_dir), fe.slot),
              std::tuple("/games/talvex.zip", "/games", 4));
    EXPECT_EQ(fe.picture_lut_stale, 1);
    SDL_ScaleMode mode = SDL_ScaleModeLinear;
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);
    ASSERT_NE(fe.audio_device, 0u) << "the device was opened again";
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED) << "held while the menu is open";
    EXPECT_EQ(toast(), "All settings restored");
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_DISPLAY}));
    for (const char* line : {"volume = 80", "rom = /games/talvex.zip", "slot = 4"})
        EXPECT_TRUE(settings_have(line)) << line;
}

TEST_F(ActionTest, RestoreControlsKeepsThePlayerAssignments) {
    fe.bindings[1] = InputBinding{1, 2, 3};
    fe.hotkeys[HOTKEY_MENU] = InputBinding{4, 5, 6};
    fe.settings.deadzone = 70;
    fe.settings.menu_combo = 2;
    fe.settings.player_controller[1] = 6;
    fe.settings.volume = 12;
    open({SCREEN_CONTROLS});
    confirm_yes(CONFIRM_RESTORE_CONTROLS, 0);
    EXPECT_EQ(std::vector<int>({fe.bindings[1].key1, fe.bindings[1].pad, fe.hotkeys[HOTKEY_MENU].key1,
                                fe.settings.deadzone, fe.settings.menu_combo}),
              std::vector<int>({81, 12, SDL_SCANCODE_ESCAPE, 30, 0}));
    EXPECT_EQ(fe.settings.player_controller[1], 6);
    EXPECT_EQ(fe.settings.volume, 12) << "only the controls";
    EXPECT_EQ(toast(), "Default controls restored");
    EXPECT_TRUE(settings_have("deadzone = 30"));
    EXPECT_TRUE(settings_have("p2_controller = 6"));
}

TEST_F(ActionTest, DeletingRemovesOnlyThatSlotsFileAndMarksTheListStale) {
    load_game(true);
    for (int slot : {2, 3, 0}) save_slot(slot);
    open({SCREEN_MAIN, SCREEN_LOAD_STATE});
    fe.slot_list_stale = 0;
    fe.toast_text[0] = '\0';
    confirm_yes(CONFIRM_DELETE_SLOT, 2);
    EXPECT_FALSE(slot_file(2));
    EXPECT_TRUE(slot_file(3));
    EXPECT_EQ(fe.slot_list_stale, 1);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_LOAD_STATE}));
    EXPECT_EQ(toast(), "") << "no toast";
    confirm_yes(CONFIRM_DELETE_SLOT, 0);
    EXPECT_TRUE(slot_file(0)) << "the autosave is not a slot to delete";
}

// The path comes from its own buffer, never from the message text.
TEST_F(ActionTest, SwitchingRomOpensThePendingArchive) {
    load_game(true);
    fe.settings.autosave_menu = 0;
    std::string other = make_fake_rom("other.zip", 0x0BADF00D);
    snprintf(fe.pending_rom_path, sizeof fe.pending_rom_path, "%s", other.c_str());
    snprintf(fe.message_text, sizeof fe.message_text, "an earlier message, not a path");
    open({SCREEN_PAUSE, SCREEN_ROM_SELECTION});
    confirm_yes(CONFIRM_SWITCH_ROM, 0);
    EXPECT_EQ(fe.rom_loaded, 1);
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fake_game.fingerprint, 0x0BADF00Du);
    EXPECT_EQ(std::string(fe.rom), other);
    EXPECT_EQ(toast(), "ROM ready: other.zip");
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_TRUE(settings_have("rom = " + other));
}

// The game is gone after a failed switch: the error stands over the main
// menu, never over a pause menu without a game.
TEST_F(ActionTest, AFailedSwitchShowsTheErrorOverTheMainMenu) {
    load_game(true);
    fe.settings.autosave_menu = 0;
    std::string bad = dir + "/bad.zip";
    write_junk(bad);
    snprintf(fe.pending_rom_path, sizeof fe.pending_rom_path, "%s", bad.c_str());
    open({SCREEN_PAUSE, SCREEN_ROM_SELECTION});
    confirm_yes(CONFIRM_SWITCH_ROM, 0);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_MESSAGE}));
    EXPECT_STREQ(fe.message_title, "ROM not usable");
    EXPECT_STREQ(fe.message_text, "not a fake ROM");
    EXPECT_EQ(fe.running, 0);
    select_row(SCREEN_MESSAGE, 0);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
}

TEST_F(ActionTest, PlayingTheLatestMovieNeedsItsValue) {
    load_game(true);
    start_movie_recording();
    ASSERT_NE(fe.movie_file, nullptr) << toast();
    for (int i = 0; i < 8; i++) step_frame();
    stop_movie_recording();
    open({SCREEN_PAUSE, SCREEN_EXTRAS});
    confirm_yes(CONFIRM_PLAY_MOVIE, 0);
    EXPECT_EQ(fe.menu_open, 1) << "only the value 99 plays";
    EXPECT_EQ(fe.movie_data, nullptr);
    confirm_yes(CONFIRM_PLAY_MOVIE, 99);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_NE(fe.movie_data, nullptr);
}

}  // namespace
