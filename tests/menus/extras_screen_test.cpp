// The Extras screen: the rewind rows and the feature that gates them, the
// toggles, the movie rows and their conditions, the screenshot, the data
// folder, the reset of every setting, and the settings file on Back.
#include <cstdlib>
#include <filesystem>

#include "tests/menus/menu_fixture.h"

namespace {

class ExtrasScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        show(SCREEN_EXTRAS);
    }
    void TearDown() override {
        if (fake_ring) {  // a hand-made ring is released here, whatever rewind does
            free(fe.rewind.entries);
            free(fe.rewind.sizes);
            fe.rewind = RewindRing{};
        }
        if (fe.movie_file) fclose(fe.movie_file);
        fe.movie_file = nullptr;
        MenuTest::TearDown();
    }

    // A ring of 100 empty entries holding 3 MB, as if rewind had captured them.
    void make_fake_ring() {
        fake_ring = true;
        fe.rewind.capacity = 4096;
        fe.rewind.entries = (uint8_t**)calloc(4096, sizeof(uint8_t*));
        fe.rewind.sizes = (uint64_t*)calloc(4096, sizeof(uint64_t));
        fe.rewind.count = 100;
        fe.rewind.total = 3ull << 20;
        fe.rewind.budget = 64ull << 20;
    }
    bool fake_ring = false;
};

TEST_F(ExtrasScreenTest, RowsWithoutAGameAndWithoutTheRewindFeature) {
    expect_rows(
        {
            {"Rewind", "Unsupported", "Hold the Rewind hotkey (Backspace) to step back in time."},
            {"Rewind Memory Limit", "64 MB", "Older history is discarded beyond this budget."},
            {"Autosave on Exit", "On", ""},
            {"Autosave on Main Menu", "On", ""},
            {"Pause When Unfocused", "On", ""},
            {"Record Input Movie", "", "Records your inputs from the current moment; replays exactly."},
            {"Play Latest Movie", "", "Loads the movie's starting point and replays its inputs."},
            {"Take Screenshot", "", fe.screenshots_dir},
            {"Data Folder", fe.data_dir, "Settings, save states, screenshots, movies and the log live here."},
            {"Reset All Settings", "", "Restores every setting and mapping. Save states are kept."},
        },
        {"Rewind", "Rewind Memory Limit", "Record Input Movie", "Play Latest Movie", "Take Screenshot", "Data Folder"});
    enter("Rewind");
    right("Rewind");
    EXPECT_EQ(fe.settings.rewind, 0) << "the switch cannot be turned on while the feature is off";

    std::string long_dir(400, 'd');
    snprintf(fe.data_dir, sizeof fe.data_dir, "/%s", long_dir.c_str());
    pass();
    EXPECT_EQ(row("Data Folder").value, ("/" + long_dir).substr(0, 299)) << "the shown path is cut to 299 bytes";

    enter("Reset All Settings");
    expect_confirm(CONFIRM_RESTORE_ALL, 0, "Reset all settings and controls to defaults? Save states are kept.");
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
    expect_step_row("Rewind Memory Limit", &FrontendSettings::rewind_mb, 16, 16, 512);
    left("Rewind");
    EXPECT_EQ(fe.settings.rewind, 0);
}

TEST_F(ExtrasScreenTest, RewindHistoryShowsTheRingAndANewLimitIsItsBudgetAtOnce) {
    fe.feature_on[FEATURE_REWIND] = 1;
    fe.settings.rewind = 1;
    make_fake_ring();
    pass();
    // 100 entries of four frames at 59.5971 frames per second.
    EXPECT_EQ(row("Rewind History").value, "6.7 s, 3.0 MB");
    EXPECT_FALSE(row("Rewind History").enabled);
    right("Rewind Memory Limit");
    EXPECT_EQ(fe.rewind.budget, 80ull << 20);
    EXPECT_EQ(fe.rewind.count, 100) << "entries go at the next capture, not now";
}

TEST_F(ExtrasScreenTest, SwitchingRewindDuringAGameResetsTheRing) {
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
    expect_toggle_row("Autosave on Exit", &FrontendSettings::autosave_exit);
    expect_toggle_row("Autosave on Main Menu", &FrontendSettings::autosave_menu);
    expect_toggle_row("Pause When Unfocused", &FrontendSettings::pause_on_focus_loss);
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

// Recording closes the menu whatever the outcome; Stop keeps it open.
TEST_F(ExtrasScreenTest, RecordAndStop) {
    load_fake_game_running();
    fe.feature_on[FEATURE_INPUT_MOVIES] = 1;
    std::string movies = fe.movies_dir;
    snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s/no/such/folder", dir.c_str());
    enter("Record Input Movie");
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(fe.screen_depth, 0);
    EXPECT_EQ(fe.release_latch, 1);
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_EQ(toast().rfind("Cannot write ", 0), 0u) << toast();

    snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s", movies.c_str());
    show(SCREEN_EXTRAS);
    enter("Record Input Movie");
    ASSERT_NE(fe.movie_file, nullptr) << toast();
    EXPECT_EQ(toast().rfind("Recording inputs to movie-", 0), 0u);
    EXPECT_EQ(fe.menu_open, 0);

    show(SCREEN_EXTRAS);
    enter("Stop Recording");
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_EQ(toast(), "Recording saved");
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(top_screen(), SCREEN_EXTRAS);
}

TEST_F(ExtrasScreenTest, PlayLatestAsksDuringAGameAndStaysWithoutAMovie) {
    load_fake_game_running();
    enter("Play Latest Movie");
    expect_confirm(CONFIRM_PLAY_MOVIE, 99, "Play the latest movie? Unsaved progress will be lost.");

    fe.running = 0;
    show(SCREEN_EXTRAS);
    enter("Play Latest Movie");
    EXPECT_EQ(toast(), "No recorded movies yet");
    EXPECT_EQ(fe.menu_open, 1);
    EXPECT_EQ(top_screen(), SCREEN_EXTRAS);
}

TEST_F(ExtrasScreenTest, ScreenshotIsTakenAndTheMenuStays) {
    load_fake_game_running();
    fetch_frame();
    enter("Take Screenshot");
    EXPECT_EQ(toast().rfind("Screenshot saved: shot-", 0), 0u) << toast();
    EXPECT_EQ(top_screen(), SCREEN_EXTRAS);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(fe.screenshots_dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

}  // namespace
