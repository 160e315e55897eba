// The Extras screen: the rewind rows and the feature that gates them, the
// toggles, the movie rows and their conditions, the screenshot, the data
// folder, the reset of every setting, and the settings file on Back.
// Rows that hand over to rewind and input movies need those modules; their
// tests skip while the modules are still stand-ins on this branch.
#include <cstdlib>
#include <filesystem>

#include "tests/menus/screen_test_util.h"

namespace {

class ExtrasScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        open(SCREEN_EXTRAS, draw_extras_screen);
    }

    void TearDown() override {
        // A hand-made ring or file is released here, whatever the modules do.
        if (fake_ring) {
            free(fe.rewind.entries);
            free(fe.rewind.sizes);
            fe.rewind = RewindRing{};
        }
        if (fe.movie_file) fclose(fe.movie_file);
        fe.movie_file = nullptr;
        ScreenTest::TearDown();
    }

    // A ring of `count` empty entries, as if rewind had captured them.
    void make_fake_ring(int count, uint64_t total) {
        fake_ring = true;
        fe.rewind.capacity = 4096;
        fe.rewind.entries = (uint8_t**)calloc(4096, sizeof(uint8_t*));
        fe.rewind.sizes = (uint64_t*)calloc(4096, sizeof(uint64_t));
        fe.rewind.count = count;
        fe.rewind.total = total;
        fe.rewind.budget = 64ull << 20;
    }

    // The rewind module is still a stand-in when a reset allocates nothing.
    static bool rewind_missing() {
        int saved = fe.settings.rewind;
        fe.settings.rewind = 1;
        reset_rewind();
        bool missing = fe.rewind.entries == nullptr;
        fe.settings.rewind = 0;
        reset_rewind();
        fe.settings.rewind = saved;
        return missing;
    }

    // The movie module is still a stand-in when looking for the latest
    // movie in an empty folder says nothing.
    static bool movies_missing() {
        fe.toast_text[0] = '\0';
        play_latest_movie();
        bool missing = fe.toast_text[0] == '\0';
        fe.toast_text[0] = '\0';
        return missing;
    }

    // Save states are still a stand-in when a running game gives no container.
    static bool states_missing() {
        size_t size = 0;
        uint8_t* container = build_state_container(&size);
        free(container);
        return container == nullptr;
    }

    bool fake_ring = false;
};

TEST_F(ExtrasScreenTest, RowsWithoutAGameAndWithoutTheRewindFeature) {
    EXPECT_EQ(labels(), (std::vector<std::string>{"Rewind", "Rewind Memory Limit", "Autosave on Exit",
                                                  "Autosave on Main Menu", "Pause When Unfocused",
                                                  "Record Input Movie", "Play Latest Movie", "Take Screenshot",
                                                  "Data Folder", "Reset All Settings"}));
    EXPECT_EQ(row("Rewind").value, "Unsupported");
    EXPECT_FALSE(row("Rewind").enabled);
    EXPECT_EQ(row("Rewind").help, "Hold the Rewind hotkey (Backspace) to step back in time.");
    EXPECT_EQ(row("Rewind Memory Limit").value, "64 MB");
    EXPECT_FALSE(row("Rewind Memory Limit").enabled);
    EXPECT_EQ(row("Rewind Memory Limit").help, "Older history is discarded beyond this budget.");
    EXPECT_EQ(row("Autosave on Exit").value, "On");
    EXPECT_EQ(row("Pause When Unfocused").help, "");
    EXPECT_FALSE(row("Record Input Movie").enabled);
    EXPECT_EQ(row("Record Input Movie").help, "Records your inputs from the current moment; replays exactly.");
    EXPECT_FALSE(row("Play Latest Movie").enabled);
    EXPECT_EQ(row("Play Latest Movie").help, "Loads the movie's starting point and replays its inputs.");
    EXPECT_FALSE(row("Take Screenshot").enabled);
    EXPECT_EQ(row("Take Screenshot").help, fe.screenshots_dir);
    EXPECT_EQ(row("Data Folder").value, fe.data_dir);
    EXPECT_FALSE(row("Data Folder").enabled);
    EXPECT_EQ(row("Data Folder").help, "Settings, save states, screenshots, movies and the log live here.");
    EXPECT_EQ(row("Reset All Settings").help, "Restores every setting and mapping. Save states are kept.");

    // The rewind switch cannot be turned on while the feature is off.
    enter("Rewind");
    right("Rewind");
    EXPECT_EQ(fe.settings.rewind, 0);
}

TEST_F(ExtrasScreenTest, RewindSwitchAndMemoryLimitWithoutAGame) {
    fe.feature_on[FEATURE_REWIND] = 1;
    pass();
    EXPECT_EQ(row("Rewind").value, "Off");
    EXPECT_TRUE(row("Rewind").enabled);
    enter("Rewind");
    EXPECT_EQ(fe.settings.rewind, 1);
    EXPECT_EQ(fe.rewind.entries, nullptr) << "the ring waits for the next game start";
    pass();
    EXPECT_TRUE(row("Rewind Memory Limit").enabled);
    EXPECT_EQ(index_of("Rewind History"), -1);

    expect_step_row("Rewind Memory Limit", fe.settings.rewind_mb, 16, 16, 512);
    left("Rewind");
    EXPECT_EQ(fe.settings.rewind, 0);
}

TEST_F(ExtrasScreenTest, ANewMemoryLimitIsTheRingsBudgetAtOnce) {
    fe.feature_on[FEATURE_REWIND] = 1;
    fe.settings.rewind = 1;
    make_fake_ring(100, 3ull << 20);
    pass();
    EXPECT_FALSE(row("Rewind History").enabled);
    right("Rewind Memory Limit");
    EXPECT_EQ(fe.rewind.budget, 80ull << 20);
    EXPECT_EQ(fe.rewind.count, 100) << "entries go at the next capture, not now";
}

TEST_F(ExtrasScreenTest, RewindHistoryShowsSecondsAndMegabytes) {
    fe.feature_on[FEATURE_REWIND] = 1;
    fe.settings.rewind = 1;
    make_fake_ring(100, 3ull << 20);
    double seconds = 0, megabytes = 0;
    rewind_figures(&seconds, &megabytes);
    if (seconds == 0) GTEST_SKIP() << "rewind is still a stand-in on this branch";
    pass();
    // 100 entries of four frames at 59.5971 frames per second.
    EXPECT_EQ(row("Rewind History").value, "6.7 s, 3.0 MB");
}

TEST_F(ExtrasScreenTest, SwitchingRewindDuringAGameResetsTheRing) {
    if (rewind_missing()) GTEST_SKIP() << "rewind is still a stand-in on this branch";
    fe.feature_on[FEATURE_REWIND] = 1;
    load_fake_game_running();
    enter("Rewind");
    EXPECT_NE(fe.rewind.entries, nullptr);
    EXPECT_EQ(fe.rewind.budget, 64ull << 20);
    pass();
    EXPECT_EQ(row("Rewind History").value, "0.0 s, 0.0 MB");
    enter("Rewind");
    EXPECT_EQ(fe.rewind.entries, nullptr);
}

TEST_F(ExtrasScreenTest, TogglesFlipWithEveryKeyAndBackWritesTheFile) {
    expect_toggle_row("Autosave on Exit", fe.settings.autosave_exit);
    expect_toggle_row("Autosave on Main Menu", fe.settings.autosave_menu);
    expect_toggle_row("Pause When Unfocused", fe.settings.pause_on_focus_loss);
    expect_back_writes({"autosave_exit = 0", "autosave_menu = 0", "pause_on_focus_loss = 0"});
}

TEST_F(ExtrasScreenTest, MovieRowsFollowTheGameTheFeatureAndARecording) {
    load_fake_game_running();
    pass();
    EXPECT_FALSE(row("Record Input Movie").enabled) << "input movies feature off";
    EXPECT_TRUE(row("Play Latest Movie").enabled);
    fe.feature_on[FEATURE_INPUT_MOVIES] = 1;
    pass();
    EXPECT_TRUE(row("Record Input Movie").enabled);
    EXPECT_TRUE(row("Take Screenshot").enabled);

    fe.movie_file = tmpfile();
    ASSERT_NE(fe.movie_file, nullptr);
    snprintf(fe.movie_status, sizeof fe.movie_status, "REC movie-20250101-120000.femv");
    pass();
    EXPECT_EQ(index_of("Record Input Movie"), -1);
    EXPECT_TRUE(row("Stop Recording").enabled);
    EXPECT_EQ(row("Stop Recording").help, "REC movie-20250101-120000.femv");
    EXPECT_FALSE(row("Play Latest Movie").enabled);

    // A ROM without a running game may play, but not record.
    fclose(fe.movie_file);
    fe.movie_file = nullptr;
    fe.running = 0;
    pass();
    EXPECT_FALSE(row("Record Input Movie").enabled);
    EXPECT_TRUE(row("Play Latest Movie").enabled);
    EXPECT_FALSE(row("Take Screenshot").enabled);
}

TEST_F(ExtrasScreenTest, RecordingClosesTheMenuWhateverTheOutcome) {
    load_fake_game_running();
    fe.feature_on[FEATURE_INPUT_MOVIES] = 1;
    pass();
    enter("Record Input Movie");
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.screen_depth, 0);
    EXPECT_EQ(fe.release_latch, 1);
}

TEST_F(ExtrasScreenTest, RecordingThatCannotStartSaysWhy) {
    if (movies_missing()) GTEST_SKIP() << "input movies are still a stand-in on this branch";
    load_fake_game_running();
    fe.feature_on[FEATURE_INPUT_MOVIES] = 1;
    snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s/no/such/folder", dir.c_str());
    pass();
    enter("Record Input Movie");
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_TRUE(toast() == "Cannot start recording" || toast().rfind("Cannot write ", 0) == 0) << toast();
}

TEST_F(ExtrasScreenTest, RecordThenStopKeepsTheMenuOpenOnStop) {
    if (movies_missing()) GTEST_SKIP() << "input movies are still a stand-in on this branch";
    load_fake_game_running();
    if (states_missing()) GTEST_SKIP() << "save states are still a stand-in on this branch";
    fe.feature_on[FEATURE_INPUT_MOVIES] = 1;
    fe.feature_on[FEATURE_SAVE_STATES] = 1;
    pass();
    enter("Record Input Movie");
    ASSERT_NE(fe.movie_file, nullptr) << toast();
    EXPECT_EQ(toast().rfind("Recording inputs to movie-", 0), 0u);
    EXPECT_EQ(fe.menu_open, 0);

    open(SCREEN_EXTRAS, draw_extras_screen);
    enter("Stop Recording");
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_EQ(toast(), "Recording saved");
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(top(), SCREEN_EXTRAS);
}

TEST_F(ExtrasScreenTest, PlayLatestAsksDuringAGame) {
    load_fake_game_running();
    pass();
    enter("Play Latest Movie");
    expect_confirm(CONFIRM_PLAY_MOVIE, 99, "Play the latest movie? Unsaved progress will be lost.");
}

TEST_F(ExtrasScreenTest, PlayLatestWithoutAGameAndNoMovieStaysInTheMenu) {
    if (movies_missing()) GTEST_SKIP() << "input movies are still a stand-in on this branch";
    load_fake_game_running();
    fe.running = 0;
    pass();
    enter("Play Latest Movie");
    EXPECT_EQ(toast(), "No recorded movies yet");
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(top(), SCREEN_EXTRAS);
}

TEST_F(ExtrasScreenTest, ScreenshotIsTakenAndTheMenuStays) {
    load_fake_game_running();
    fetch_frame();
    pass();
    enter("Take Screenshot");
    EXPECT_EQ(toast().rfind("Screenshot saved: shot-", 0), 0u) << toast();
    EXPECT_EQ(top(), SCREEN_EXTRAS);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(fe.screenshots_dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(ExtrasScreenTest, ResetAllSettingsAsksFirst) {
    enter("Reset All Settings");
    expect_confirm(CONFIRM_RESTORE_ALL, 0, "Reset all settings and controls to defaults? Save states are kept.");
}

TEST_F(ExtrasScreenTest, ALongDataFolderIsCutTo299Bytes) {
    std::string long_dir(400, 'd');
    snprintf(fe.data_dir, sizeof fe.data_dir, "/%s", long_dir.c_str());
    pass();
    EXPECT_EQ(row("Data Folder").value, ("/" + long_dir).substr(0, 299));
}

}  // namespace
