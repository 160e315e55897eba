// What each confirmed action does once the dialog is answered Yes.
#include <cstring>

#include "tests/menus/menu_fixture.h"

namespace {

class ActionTest : public MenuTest {
protected:
    // The dialog answered Yes in a menu pass, as the player would.
    void confirm_yes(int action, int value) {
        show_confirm(action, value, "Sure?");
        fe.menu.cursor[SCREEN_CONFIRM] = 0;
        fe.menu_input.select = 1;
        pass();
    }

    std::string slot_path(int slot) {
        char path[FE_PATH_SIZE] = "";
        EXPECT_EQ(build_slot_path(slot, path), 1);
        return path;
    }

    bool movies_missing() {
        start_movie_recording();
        bool missing = fe.movie_file == nullptr;
        stop_movie_recording();
        return missing;
    }
};

TEST_F(ActionTest, ExitStopsTheGameAndEndsTheLoop) {
    load_game(true);
    fe.settings.autosave_exit = 0;
    open({SCREEN_PAUSE});
    confirm_yes(CONFIRM_EXIT, 0);
    EXPECT_EQ(fe.quit_requested, 1);
    EXPECT_EQ(fe.running, 0);
}

TEST_F(ActionTest, ExitAutosavesWhenAsked) {
    load_game(true);
    SKIP_WITHOUT_SAVE_STATES();
    fe.settings.autosave_exit = 1;
    open({SCREEN_PAUSE});
    confirm_yes(CONFIRM_EXIT, 0);
    EXPECT_TRUE(is_regular_file(slot_path(0).c_str()));
}

TEST_F(ActionTest, ReturnToMainMenuStopsTheGameAndReplacesTheStack) {
    load_game(true);
    fe.settings.autosave_menu = 0;
    open({SCREEN_PAUSE});
    confirm_yes(CONFIRM_MAIN_MENU, 0);
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_EQ(fe.rom_loaded, 1) << "the ROM stays loaded";
}

TEST_F(ActionTest, RestartAndNewGameResetTheBoardAndResume) {
    for (int action : {CONFIRM_RESTART, CONFIRM_NEW_GAME}) {
        load_game(true);
        fe.paused = 1;
        int resets = fake_game.resets;
        open({SCREEN_MAIN});
        confirm_yes(action, 0);
        EXPECT_EQ(fake_game.resets, resets + 1);
        EXPECT_EQ(fe.running, 1);
        EXPECT_EQ(fe.paused, 0);
        EXPECT_EQ(fe.menu_open, 0);
    }
}

TEST_F(ActionTest, RestartWithoutARomLeavesTheMainMenuOpen) {
    open({SCREEN_PAUSE});
    confirm_yes(CONFIRM_RESTART, 0);
    EXPECT_EQ(fe.running, 0);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
}

TEST_F(ActionTest, LoadingASlotResumesAndSelectsIt) {
    load_game(true);
    SKIP_WITHOUT_SAVE_STATES();
    save_slot(4);
    save_slot(0);
    fe.slot = 1;
    open({SCREEN_PAUSE, SCREEN_LOAD_STATE});
    confirm_yes(CONFIRM_LOAD_SLOT, 4);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.slot, 4);
    EXPECT_STREQ(fe.toast_text, "Loaded slot 4");
    open({SCREEN_MAIN});
    confirm_yes(CONFIRM_LOAD_SLOT, 0);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.slot, 4) << "the autosave is not a slot to select";
}

TEST_F(ActionTest, AFailedLoadLeavesItsMessageOverTheScreenThatAsked) {
    load_game(true);
    SKIP_WITHOUT_SAVE_STATES();
    std::string path = slot_path(3);
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("not a state", f);
    fclose(f);
    open({SCREEN_PAUSE, SCREEN_LOAD_STATE});
    confirm_yes(CONFIRM_LOAD_SLOT, 3);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_LOAD_STATE, SCREEN_MESSAGE}));
    EXPECT_STREQ(fe.message_title, "Cannot load state");
    EXPECT_EQ(fe.slot, 1);
}

// The save itself is the save-state module's; where the menus go after it
// is the action's.
TEST_F(ActionTest, OverwritingReturnsToTheGameFromThePauseMenuOnly) {
    load_game(true);
    open({SCREEN_PAUSE, SCREEN_SAVE_STATE});
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 3);
    EXPECT_EQ(fe.slot, 3);
    EXPECT_EQ(fe.menu_open, 0);

    open({SCREEN_MAIN, SCREEN_SAVE_STATE});
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 5);
    EXPECT_EQ(fe.slot, 5);
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});

    open({SCREEN_SAVE_STATE});  // opened on the save screen alone
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 6);
    EXPECT_EQ(fe.menu_open, 0) << "the emptied stack resumes the game";
}

TEST_F(ActionTest, OverwritingWritesTheSlot) {
    load_game(true);
    SKIP_WITHOUT_SAVE_STATES();
    open({SCREEN_MAIN, SCREEN_SAVE_STATE});
    confirm_yes(CONFIRM_OVERWRITE_SLOT, 7);
    EXPECT_TRUE(is_regular_file(slot_path(7).c_str()));
    EXPECT_TRUE(fe.state_slots[7].usable) << "the list was read again at once";
}

TEST_F(ActionTest, RestoreAllKeepsThePathsAndTheSlot) {
    snprintf(fe.rom, sizeof fe.rom, "/games/talvex.zip");
    snprintf(fe.browse_dir, sizeof fe.browse_dir, "/games");
    fe.slot = 4;
    fe.settings.volume = 10;
    fe.settings.accent = 3;
    fe.settings.filter = 1;
    fe.settings.player_controller[0] = 5;
    fe.bindings[0].key1 = SDL_SCANCODE_Z;
    fe.hotkeys[HOTKEY_PAUSE].pad = 3;
    fe.picture_lut_stale = 0;
    open({SCREEN_MAIN, SCREEN_DISPLAY});
    confirm_yes(CONFIRM_RESTORE_ALL, 0);

    EXPECT_EQ(fe.settings.volume, 80);
    EXPECT_EQ(fe.settings.accent, 0);
    EXPECT_EQ(fe.settings.filter, 0);
    EXPECT_EQ(fe.settings.player_controller[0], 0);
    EXPECT_EQ(fe.bindings[0].key1, 82);
    EXPECT_EQ(fe.hotkeys[HOTKEY_PAUSE].pad, -1);
    EXPECT_STREQ(fe.rom, "/games/talvex.zip");
    EXPECT_STREQ(fe.browse_dir, "/games");
    EXPECT_EQ(fe.slot, 4);
    EXPECT_EQ(fe.picture_lut_stale, 1);
    SDL_ScaleMode mode = SDL_ScaleModeLinear;
    SDL_GetTextureScaleMode(fe.game_texture, &mode);
    EXPECT_EQ(mode, SDL_ScaleModeNearest);
    ASSERT_NE(fe.audio_device, 0u) << "the device was opened again";
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PAUSED) << "held while the menu is open";
    EXPECT_STREQ(fe.toast_text, "All settings restored");
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_DISPLAY}));
    std::string ini = read_text(settings_file());
    EXPECT_NE(ini.find("volume = 80"), std::string::npos);
    EXPECT_NE(ini.find("rom = /games/talvex.zip"), std::string::npos);
    EXPECT_NE(ini.find("slot = 4"), std::string::npos);
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
    EXPECT_EQ(fe.bindings[1].key1, 81);
    EXPECT_EQ(fe.bindings[1].pad, 12);
    EXPECT_EQ(fe.hotkeys[HOTKEY_MENU].key1, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(fe.settings.deadzone, 30);
    EXPECT_EQ(fe.settings.menu_combo, 0);
    EXPECT_EQ(fe.settings.player_controller[1], 6);
    EXPECT_EQ(fe.settings.volume, 12) << "only the controls";
    EXPECT_STREQ(fe.toast_text, "Default controls restored");
    std::string ini = read_text(settings_file());
    EXPECT_NE(ini.find("deadzone = 30"), std::string::npos);
    EXPECT_NE(ini.find("p2_controller = 6"), std::string::npos);
}

TEST_F(ActionTest, DeletingMarksTheListStale) {
    open({SCREEN_MAIN, SCREEN_LOAD_STATE});
    fe.slot_list_stale = 0;
    confirm_yes(CONFIRM_DELETE_SLOT, 2);
    EXPECT_EQ(fe.slot_list_stale, 1);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_LOAD_STATE}));
    EXPECT_EQ(fe.toast_text[0], '\0') << "no toast";
}

TEST_F(ActionTest, DeletingRemovesTheSlotFileOnly) {
    load_game(true);
    SKIP_WITHOUT_SAVE_STATES();
    save_slot(2);
    save_slot(3);
    save_slot(0);
    open({SCREEN_MAIN, SCREEN_LOAD_STATE});
    confirm_yes(CONFIRM_DELETE_SLOT, 2);
    EXPECT_FALSE(is_regular_file(slot_path(2).c_str()));
    EXPECT_TRUE(is_regular_file(slot_path(3).c_str()));
    confirm_yes(CONFIRM_DELETE_SLOT, 0);
    EXPECT_TRUE(is_regular_file(slot_path(0).c_str())) << "the autosave is not a slot to delete";
}

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
    EXPECT_STREQ(fe.toast_text, "ROM ready: other.zip");
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_NE(read_text(settings_file()).find("rom = " + other), std::string::npos);
}

// The game is gone after a failed switch: the error stands over the main
// menu, never over a pause menu without a game.
TEST_F(ActionTest, AFailedSwitchShowsTheErrorOverTheMainMenu) {
    load_game(true);
    fe.settings.autosave_menu = 0;
    std::string bad = dir + "/bad.zip";
    FILE* f = fopen(bad.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("garbage", f);
    fclose(f);
    snprintf(fe.pending_rom_path, sizeof fe.pending_rom_path, "%s", bad.c_str());
    open({SCREEN_PAUSE, SCREEN_ROM_SELECTION});
    confirm_yes(CONFIRM_SWITCH_ROM, 0);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_MESSAGE}));
    EXPECT_STREQ(fe.message_title, "ROM not usable");
    EXPECT_STREQ(fe.message_text, "not a fake ROM");
    EXPECT_EQ(fe.running, 0);
    fe.menu_input.select = 1;
    pass();
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
}

TEST_F(ActionTest, PlayingTheLatestMovieNeedsItsValue) {
    load_game(true);
    if (movies_missing()) GTEST_SKIP() << "input movies are placeholders here: no recording starts";
    start_movie_recording();
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
