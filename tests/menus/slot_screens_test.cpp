// The Save State and Load State screens: their rows, the questions they
// ask, Delete, the detail panel, and the slots saved, loaded, overwritten
// and deleted through them.
#include <ctime>
#include <vector>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int U = 100;

// The detail panel: from 52 % of the width and 150/100 u down, 555 x 416
// for a 4:3 game on the test output.
constexpr int PANEL_X = TEST_OUTPUT_W * 52 / 100, PANEL_Y = U * 150 / 100, PANEL_W = 555, PANEL_H = 416;

class SlotScreenTest : public MenuTest {
protected:
    void set_slot(int slot, int exists, int usable, const char* error = "") {
        StateSlotInfo& s = fe.state_slots[slot];
        s.exists = exists;
        s.usable = usable;
        snprintf(s.error, sizeof s.error, "%s", error);
    }
    void press_delete(int screen, int row) { press_at(screen, row, &MenuInput::extra, 2); }
};

TEST_F(SlotScreenTest, LoadListsTheAutosaveAndTenSlotsButOnlyUsableOnesLoad) {
    load_game(false);
    set_slot(1, 1, 0, "file is truncated");
    open({SCREEN_MAIN, SCREEN_SAVE_STATE});
    EXPECT_EQ(row_count(SCREEN_SAVE_STATE), 10);
    open({SCREEN_MAIN, SCREEN_LOAD_STATE});
    EXPECT_EQ(row_count(SCREEN_LOAD_STATE), 11);
    for (int row : {0, 1, 2}) {  // the autosave and slot 2 empty, slot 1 unusable
        select_row(SCREEN_LOAD_STATE, row);
        EXPECT_EQ(stack(), (std::vector<int>{SCREEN_MAIN, SCREEN_LOAD_STATE})) << "row " << row;
        EXPECT_EQ(toast(), "") << "no load tried for row " << row;
    }
    EXPECT_EQ(help_of(SCREEN_LOAD_STATE, 1), "file is truncated") << "an unusable slot says why";
    EXPECT_EQ(help_of(SCREEN_LOAD_STATE, 2), "");
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN});
    EXPECT_FALSE(settings_written());
}

TEST_F(SlotScreenTest, QuestionsNameTheRowOrTheOldSaveTime) {
    load_game(true);
    fe.slot = 2;
    for (int s : {0, 2, 3}) set_slot(s, 1, 1);
    set_slot(1, 1, 0);
    fe.state_slots[3].saved_at = 1700000000;
    time_t t = 1700000000;
    struct tm local;
    localtime_r(&t, &local);
    char when[32];
    strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    struct Case {
        int screen, row, action, value;
        std::string text;
    } cases[] = {
        {SCREEN_LOAD_STATE, 2, CONFIRM_LOAD_SLOT, 2, "Load Slot 2  *? Unsaved progress will be lost."},
        {SCREEN_LOAD_STATE, 3, CONFIRM_LOAD_SLOT, 3, "Load Slot 3? Unsaved progress will be lost."},
        {SCREEN_LOAD_STATE, 0, CONFIRM_LOAD_SLOT, 0, "Load Autosave? Unsaved progress will be lost."},
        {SCREEN_SAVE_STATE, 2, CONFIRM_OVERWRITE_SLOT, 3, std::string("Overwrite slot 3 (saved ") + when + ")?"},
        // Saving may go into any slot, an unusable one too.
        {SCREEN_SAVE_STATE, 0, CONFIRM_OVERWRITE_SLOT, 1, "Overwrite slot 1 (saved Unusable)?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        open({SCREEN_PAUSE, c.screen});
        select_row(c.screen, c.row);
        expect_confirm(c.action, c.value, c.text);
    }
}

// The save itself is the save-state module's; the slot setting and where
// the menus go are the screen's.
TEST_F(SlotScreenTest, SavingIntoAnEmptySlotNeedsNoQuestion) {
    load_game(true);
    open({SCREEN_PAUSE, SCREEN_SAVE_STATE});
    select_row(SCREEN_SAVE_STATE, 4);
    EXPECT_EQ(fe.slot, 5);
    EXPECT_EQ(fe.menu_open, 0) << "from the pause menu straight back to the game";
    open({SCREEN_MAIN, SCREEN_SAVE_STATE});
    select_row(SCREEN_SAVE_STATE, 6);
    EXPECT_EQ(fe.slot, 7);
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_MAIN}) << "from the main menu back to it";
    EXPECT_FALSE(settings_written()) << "the slot setting waits for the next write";
}

TEST_F(SlotScreenTest, DeleteAsksOnlyForAnExistingSlotOnTheCursorRow) {
    load_game(true);
    set_slot(0, 1, 1);
    set_slot(4, 1, 0, "file is damaged (size mismatch)");
    const int cases[][3] = {
        // screen, row, the slot asked about (0: no question)
        {SCREEN_LOAD_STATE, 4, 4},
        {SCREEN_SAVE_STATE, 3, 4},
        {SCREEN_LOAD_STATE, 0, 0},  // the autosave
        {SCREEN_LOAD_STATE, 5, 0},  // an empty slot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("screen " + std::to_string(c[0]) + " row " + std::to_string(c[1]));
        open({SCREEN_PAUSE, c[0]});
        press_delete(c[0], c[1]);
        if (c[2])
            expect_confirm(CONFIRM_DELETE_SLOT, c[2], "Delete slot " + std::to_string(c[2]) + "?");
        else
            EXPECT_EQ(top_screen(), c[0]);
    }

    // Enter and Delete together: the row acts once, and only the row.
    set_slot(4, 1, 1);
    open({SCREEN_PAUSE, SCREEN_LOAD_STATE});
    fe.menu_input.select = 1;
    press_delete(SCREEN_LOAD_STATE, 4);
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_LOAD_STATE, SCREEN_CONFIRM}));
    EXPECT_EQ(fe.confirm_action, CONFIRM_LOAD_SLOT);
}

TEST_F(SlotScreenTest, DetailPanelShowsTheThumbnailOrWhyThereIsNone) {
    SDL_Texture* thumb = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STATIC, 160, 120);
    ASSERT_NE(thumb, nullptr);
    // Quadrants: red top left, green top right, blue bottom left, white
    // bottom right.
    std::vector<uint16_t> quadrants(160 * 120);
    for (int y = 0; y < 120; y++)
        for (int x = 0; x < 160; x++)
            quadrants[y * 160 + x] = y < 60 ? (x < 80 ? 0xF800 : 0x07E0) : (x < 80 ? 0x001F : 0xFFFF);
    SDL_UpdateTexture(thumb, nullptr, quadrants.data(), 160 * 2);
    set_slot(1, 1, 1);
    fe.state_slots[1].thumbnail = thumb;  // freed with the slot list
    fe.state_slots[1].frames = 1234;
    set_slot(2, 1, 0, "state belongs to another game (other)");
    open({SCREEN_MAIN, SCREEN_LOAD_STATE});
    auto draw_row = [&](int row) {
        fe.menu.cursor[SCREEN_LOAD_STATE] = row;
        draw();
    };
    const int below = PANEL_Y + PANEL_H + U / 5;

    draw_row(1);
    int cx = PANEL_X + PANEL_W / 2, cy = PANEL_Y + PANEL_H / 2;
    EXPECT_EQ(pixel_at(cx - 20, cy - 20), 0xFFFF0000u);
    // (SDL widens the 6 bits of RGB565 green to 0xFE.)
    EXPECT_EQ(pixel_at(cx + 20, cy + 20) | 0x000100, 0xFFFFFFFFu);
    EXPECT_EQ(pixel_at(PANEL_X - 4, PANEL_Y + PANEL_H / 2), argb(0xFF2E221E)) << "the frame";
    EXPECT_TRUE(drawn_in(PANEL_X, below, 200, 20)) << "time and frames under it";
    // Turned a quarter as the picture is shown: a 487 x 650 panel with the
    // thumbnail's bottom-left quadrant at the top left.
    fe.settings.rotation = 1;
    draw_row(1);
    cx = PANEL_X + 487 / 2, cy = PANEL_Y + 650 / 2;
    EXPECT_EQ(pixel_at(cx - 20, cy - 20), 0xFF0000FFu);
    EXPECT_EQ(pixel_at(cx + 20, cy + 20) | 0x000100, 0xFF00FF00u);
    fe.settings.rotation = 0;

    uint32_t card = argb(0xFF120C0A);
    draw_row(2);
    EXPECT_EQ(pixel_at(PANEL_X + 4, PANEL_Y + 4), card);
    EXPECT_TRUE(drawn_in(PANEL_X + PANEL_W / 2 - 40, PANEL_Y + PANEL_H / 2 - U * 16 / 100, 80, 30, card)) << "Unusable";
    EXPECT_TRUE(drawn_in(PANEL_X, below, 300, 24)) << "the reason under it";

    draw_row(3);  // empty
    EXPECT_EQ(pixel_at(PANEL_X + 4, PANEL_Y + 4), card);
    EXPECT_FALSE(drawn_in(PANEL_X, below, 300, 24)) << "nothing under an empty slot";
}

TEST_F(SlotScreenTest, SaveOverwriteLoadAndDeleteThroughTheScreens) {
    load_game(true);
    char path[FE_PATH_SIZE];
    ASSERT_EQ(build_slot_path(1, path), 1);

    open_menu_and_pause(SCREEN_PAUSE);
    select_row(SCREEN_PAUSE, 2);  // Save State
    ASSERT_EQ(top_screen(), SCREEN_SAVE_STATE);
    select_row(SCREEN_SAVE_STATE, 0);
    EXPECT_TRUE(is_regular_file(path));
    EXPECT_EQ(toast(), "Saved to slot 1");
    EXPECT_EQ(fe.menu_open, 0);

    for (int i = 0; i < 3; i++) step_frame();
    open_menu_and_pause(SCREEN_SAVE_STATE);
    select_row(SCREEN_SAVE_STATE, 0);
    ASSERT_EQ(top_screen(), SCREEN_CONFIRM) << "slot 1 is used now";
    select_row(SCREEN_CONFIRM, 0);
    EXPECT_EQ(fe.menu_open, 0) << "opened on the save screen alone: back to the game";

    fe.running = 0;
    open_menu_and_pause(SCREEN_MAIN);
    select_row(SCREEN_MAIN, 2);  // Load State
    ASSERT_EQ(top_screen(), SCREEN_LOAD_STATE);
    pass();
    EXPECT_NE(fe.state_slots[1].thumbnail, nullptr);
    select_row(SCREEN_LOAD_STATE, 1);
    EXPECT_EQ(fe.running, 1);
    EXPECT_EQ(fe.menu_open, 0);
    EXPECT_EQ(toast(), "Loaded slot 1");

    open_menu_and_pause(SCREEN_LOAD_STATE);
    press_delete(SCREEN_LOAD_STATE, 1);
    select_row(SCREEN_CONFIRM, 0);
    EXPECT_FALSE(is_regular_file(path));
    pass();
    EXPECT_EQ(fe.state_slots[1].exists, 0) << "the list was read again";
}

}  // namespace
