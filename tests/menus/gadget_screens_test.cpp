// The Gadgets list and the gadget editor: rows, their changes, placements
// edited by hand in the file, and the settings written on Back.
#include <climits>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int LIST = SCREEN_GADGETS, EDITOR = SCREEN_GADGET_EDITOR;

int text_gadget(char* out, size_t size) { return snprintf(out, size, "x") > 0; }
const AdapterGadget TWO_GADGETS[2] = {{"score", "Score", text_gadget}, {"lives", "Lives", text_gadget}};

using GadgetScreenTest = MenuTest;

TEST_F(GadgetScreenTest, ListTogglesWithArrowsAndSavesOnBack) {
    open({SCREEN_PAUSE, LIST});
    press_at(LIST, GADGET_FPS, &MenuInput::right);
    EXPECT_EQ(fe.settings.gadgets[GADGET_FPS].enabled, 1);
    press_at(LIST, GADGET_FRAME_TIME, &MenuInput::left);
    EXPECT_EQ(fe.settings.gadgets[GADGET_FRAME_TIME].enabled, 1);
    press_at(LIST, GADGET_FRAME_TIME, &MenuInput::left);
    EXPECT_EQ(fe.settings.gadgets[GADGET_FRAME_TIME].enabled, 0);
    EXPECT_EQ(help_of(LIST, GADGET_FPS), "");
    EXPECT_EQ(help_of(LIST, GADGET_INPUT_DISPLAY), "Shows the inputs sent to the board each frame.");
    expect_back_writes({"fps = 1,1,1,0,0", "frame_time = 0,0,1,0,0"});
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_PAUSE});
}

// Position and size cycle both ways, Enabled flips on any change, offsets
// step by 8 within +-400 and +-300; values a hand-edited file left out of
// range are shown and stepped from their place in range.
TEST_F(GadgetScreenTest, EditorChangesEachPlacementWithinItsRange) {
    GadgetPlacement& p = fe.settings.gadgets[GADGET_INPUT_DISPLAY];
    p = GadgetPlacement{5, -7, -1, INT_MAX, INT_MIN};
    open({SCREEN_PAUSE, LIST});
    pass();  // the list shows the odd position too
    select_row(LIST, GADGET_INPUT_DISPLAY);
    ASSERT_EQ(top_screen(), EDITOR);
    EXPECT_EQ(fe.gadget_edit_index, GADGET_INPUT_DISPLAY);
    enum { ENABLED, POSITION, SIZE, OFFSET_X, OFFSET_Y };
    const struct {
        int row;
        int32_t GadgetPlacement::*field;
        int from;
        int32_t MenuInput::*key;
        int to;
    } steps[] = {
        {POSITION, &GadgetPlacement::position, -7, RIGHT, 0},  // -7 shows as Bottom centre
        {SIZE, &GadgetPlacement::size, -1, RIGHT, 0},          // -1 shows as Large
        {OFFSET_X, &GadgetPlacement::offset_x, INT_MAX, RIGHT, 400},
        {OFFSET_Y, &GadgetPlacement::offset_y, INT_MIN, LEFT, -300},
        {POSITION, &GadgetPlacement::position, INT_MAX, RIGHT, (INT_MAX % 6 + 1) % 6},
        {POSITION, &GadgetPlacement::position, 0, LEFT, 5},
        {POSITION, &GadgetPlacement::position, 5, SELECT, 0},
        {SIZE, &GadgetPlacement::size, 2, RIGHT, 0},
        {SIZE, &GadgetPlacement::size, 0, LEFT, 2},
        {ENABLED, &GadgetPlacement::enabled, 5, SELECT, 0},
        {ENABLED, &GadgetPlacement::enabled, 0, LEFT, 1},
        {OFFSET_X, &GadgetPlacement::offset_x, 388, SELECT, 396},
        {OFFSET_X, &GadgetPlacement::offset_x, 396, SELECT, 400},
        {OFFSET_X, &GadgetPlacement::offset_x, -400, LEFT, -400},
        {OFFSET_Y, &GadgetPlacement::offset_y, 296, RIGHT, 300},
        {OFFSET_Y, &GadgetPlacement::offset_y, -296, LEFT, -300},
    };
    for (const auto& s : steps) {
        p.*s.field = s.from;
        press_at(EDITOR, s.row, s.key);
        EXPECT_EQ(p.*s.field, s.to) << "row " << s.row << " from " << s.from;
    }
    EXPECT_EQ(help_of(EDITOR, OFFSET_X), "Fine horizontal adjustment in UI pixels.");
    EXPECT_EQ(help_of(EDITOR, OFFSET_Y), "");
    p = GadgetPlacement{0, 0, 2, 0, 0};
    expect_back_writes({"input_display = 0,0,2,0,0"});
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, LIST}));
}

TEST_F(GadgetScreenTest, TheListFollowsTheGamesGadgetCount) {
    open({SCREEN_PAUSE, LIST});
    fe.adapter.gadget_count = -1;
    EXPECT_EQ(row_count(LIST), 2);
    fe.adapter.gadgets = TWO_GADGETS;
    fe.adapter.gadget_count = 2;
    EXPECT_EQ(row_count(LIST), 5);
    EXPECT_EQ(help_of(LIST, 4), "Read from the game's verified RAM layout.");
    select_row(LIST, 4);
    EXPECT_EQ(top_screen(), EDITOR);
    EXPECT_EQ(fe.gadget_edit_index, 4);

    fe.adapter.gadget_count = -3;  // none at all: a list without rows
    open({SCREEN_PAUSE, LIST});
    fe.menu_input.up = 1;
    select_row(LIST, 0);
    EXPECT_EQ(top_screen(), LIST);
    EXPECT_EQ(fe.menu.cursor[LIST], 0);
    open({SCREEN_PAUSE, LIST, EDITOR});
    pass();
    EXPECT_EQ(top_screen(), LIST) << "an editor for a gadget not in use closes";
}

}  // namespace
