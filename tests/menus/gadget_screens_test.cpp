// The Gadgets list and the gadget editor: rows, their changes, the
// settings written on Back, and placements edited by hand in the file.
#include <climits>

#include "tests/menus/menu_fixture.h"

namespace {

enum EditorRow { E_ENABLED, E_POSITION, E_SIZE, E_OFFSET_X, E_OFFSET_Y };

int text_gadget(char* out, size_t size) { return snprintf(out, size, "x") > 0; }
const AdapterGadget TWO_GADGETS[2] = {{"score", "Score", text_gadget}, {"lives", "Lives", text_gadget}};

class GadgetScreenTest : public MenuTest {
protected:
    GadgetPlacement& placement(int g) { return fe.settings.gadgets[g]; }

    void edit(int g) {
        open({SCREEN_PAUSE, SCREEN_GADGETS});
        select_row(SCREEN_GADGETS, g);
        ASSERT_EQ(top_screen(), SCREEN_GADGET_EDITOR);
    }
};

TEST_F(GadgetScreenTest, ListTogglesWithArrowsAndSavesOnBack) {
    open({SCREEN_PAUSE, SCREEN_GADGETS});
    press_right(SCREEN_GADGETS, GADGET_FPS);
    EXPECT_EQ(placement(GADGET_FPS).enabled, 1);
    press_left(SCREEN_GADGETS, GADGET_FRAME_TIME);
    EXPECT_EQ(placement(GADGET_FRAME_TIME).enabled, 1);
    press_left(SCREEN_GADGETS, GADGET_FRAME_TIME);
    EXPECT_EQ(placement(GADGET_FRAME_TIME).enabled, 0);
    EXPECT_FALSE(settings_written()) << "never on each change";
    EXPECT_EQ(help_of(SCREEN_GADGETS, GADGET_FPS), "");
    EXPECT_EQ(help_of(SCREEN_GADGETS, GADGET_INPUT_DISPLAY), "Shows the inputs sent to the board each frame.");
    press_back();
    EXPECT_EQ(stack(), std::vector<int>{SCREEN_PAUSE});
    std::string ini = read_text(settings_file());
    EXPECT_NE(ini.find("fps = 1,1,1,0,0"), std::string::npos);
    EXPECT_NE(ini.find("frame_time = 0,0,1,0,0"), std::string::npos);
}

TEST_F(GadgetScreenTest, EditorCyclesPositionAndSizeBothWays) {
    edit(GADGET_INPUT_DISPLAY);
    EXPECT_EQ(fe.gadget_edit_index, GADGET_INPUT_DISPLAY);
    placement(GADGET_INPUT_DISPLAY).position = 0;
    press_left(SCREEN_GADGET_EDITOR, E_POSITION);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).position, 5) << "Top left, Left: Bottom centre";
    select_row(SCREEN_GADGET_EDITOR, E_POSITION);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).position, 0) << "activation steps forward";
    placement(GADGET_INPUT_DISPLAY).size = 2;
    press_right(SCREEN_GADGET_EDITOR, E_SIZE);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).size, 0);
    press_left(SCREEN_GADGET_EDITOR, E_SIZE);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).size, 2);
    press_left(SCREEN_GADGET_EDITOR, E_ENABLED);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).enabled, 1) << "any change inverts";
    select_row(SCREEN_GADGET_EDITOR, E_ENABLED);
    EXPECT_EQ(placement(GADGET_INPUT_DISPLAY).enabled, 0);
    EXPECT_FALSE(settings_written());
    press_back();
    EXPECT_EQ(stack(), (std::vector<int>{SCREEN_PAUSE, SCREEN_GADGETS}));
    EXPECT_NE(read_text(settings_file()).find("input_display = 0,0,2,0,0"), std::string::npos);
}

TEST_F(GadgetScreenTest, OffsetsStepByEightWithinTheirLimits) {
    edit(GADGET_FPS);
    GadgetPlacement& p = placement(GADGET_FPS);
    EXPECT_EQ(help_of(SCREEN_GADGET_EDITOR, E_OFFSET_X), "Fine horizontal adjustment in UI pixels.");
    EXPECT_EQ(help_of(SCREEN_GADGET_EDITOR, E_OFFSET_Y), "");
    p.offset_x = 388;
    select_row(SCREEN_GADGET_EDITOR, E_OFFSET_X);
    EXPECT_EQ(p.offset_x, 396);
    select_row(SCREEN_GADGET_EDITOR, E_OFFSET_X);
    EXPECT_EQ(p.offset_x, 400);
    select_row(SCREEN_GADGET_EDITOR, E_OFFSET_X);
    EXPECT_EQ(p.offset_x, 400);
    p.offset_x = -400;
    press_left(SCREEN_GADGET_EDITOR, E_OFFSET_X);
    EXPECT_EQ(p.offset_x, -400);
    p.offset_y = 296;
    press_right(SCREEN_GADGET_EDITOR, E_OFFSET_Y);
    EXPECT_EQ(p.offset_y, 300);
    p.offset_y = -296;
    press_left(SCREEN_GADGET_EDITOR, E_OFFSET_Y);
    EXPECT_EQ(p.offset_y, -300);
}

// Values that never came from the editor: shown and stepped from their
// place in range, never used as a raw table index or overflowed.
TEST_F(GadgetScreenTest, HandEditedPlacementsComeBackIntoRange) {
    GadgetPlacement& p = placement(GADGET_FRAME_TIME);
    p = GadgetPlacement{5, -7, -1, INT_MAX, INT_MIN};
    open({SCREEN_PAUSE, SCREEN_GADGETS});
    pass();
    edit(GADGET_FRAME_TIME);
    press_right(SCREEN_GADGET_EDITOR, E_POSITION);
    EXPECT_EQ(p.position, 0) << "-7 shows as Bottom centre; one on is Top left";
    press_right(SCREEN_GADGET_EDITOR, E_SIZE);
    EXPECT_EQ(p.size, 0) << "-1 shows as Large; one on is Small";
    press_right(SCREEN_GADGET_EDITOR, E_OFFSET_X);
    EXPECT_EQ(p.offset_x, 400);
    press_left(SCREEN_GADGET_EDITOR, E_OFFSET_Y);
    EXPECT_EQ(p.offset_y, -300);
    p.position = INT_MAX;
    press_right(SCREEN_GADGET_EDITOR, E_POSITION);
    EXPECT_EQ(p.position, (INT_MAX % 6 + 1) % 6);
    select_row(SCREEN_GADGET_EDITOR, E_ENABLED);
    EXPECT_EQ(p.enabled, 0);
}

TEST_F(GadgetScreenTest, TheListFollowsTheGamesGadgetCount) {
    open({SCREEN_PAUSE, SCREEN_GADGETS});
    fe.adapter.gadget_count = -1;
    EXPECT_EQ(row_count(SCREEN_GADGETS), 2);
    fe.adapter.gadgets = TWO_GADGETS;
    fe.adapter.gadget_count = 2;
    EXPECT_EQ(row_count(SCREEN_GADGETS), 5);
    EXPECT_EQ(help_of(SCREEN_GADGETS, 4), "Read from the game's verified RAM layout.");
    select_row(SCREEN_GADGETS, 4);
    EXPECT_EQ(fe.gadget_edit_index, 4);
    EXPECT_EQ(top_screen(), SCREEN_GADGET_EDITOR);

    fe.adapter.gadget_count = -3;  // none at all: a list without rows
    open({SCREEN_PAUSE, SCREEN_GADGETS});
    fe.menu.cursor[SCREEN_GADGETS] = 0;
    fe.menu_input.select = fe.menu_input.up = 1;
    pass();
    EXPECT_EQ(top_screen(), SCREEN_GADGETS);
    EXPECT_EQ(fe.menu.cursor[SCREEN_GADGETS], 0);
    open({SCREEN_PAUSE, SCREEN_GADGETS, SCREEN_GADGET_EDITOR});
    pass();
    EXPECT_EQ(top_screen(), SCREEN_GADGETS) << "an editor for a gadget not in use closes";
}

}  // namespace
