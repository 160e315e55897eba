// The main menu's preview shows the running game as it is on screen:
// turned by the rotation setting, at full brightness.
#include "menus/menus.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

class PreviewTest : public FrontendTest {};

TEST_F(PreviewTest, TheRunningGameIsShownTurnedAsOnScreen) {
    load_fake_game_running();
    fe.menu_open = 1;
    fe.screen_stack[0] = SCREEN_MAIN;
    fe.screen_depth = 1;
    for (int rotation : {0, 1, 2, 3}) {
        SCOPED_TRACE(rotation);
        fe.settings.rotation = rotation;
        fetch_frame();
        clear_output();
        menu_pass_begin();
        draw_main_menu();
        // The box's area is the right half of the output, from 1.4u down:
        // find the picture's corners there by its colours.
        const int u = fe.ui_unit;
        int aw = TEST_OUTPUT_W - TEST_OUTPUT_W / 2 - u * 48 / 100, ah = TEST_OUTPUT_H - u * 110 / 100 - u * 140 / 100;
        std::vector<uint32_t> px = read_pixels(TEST_OUTPUT_W / 2, u * 140 / 100, aw, ah);
        // The centre of the box shows all four quadrants around it; the
        // pixel a little up and left of it is the shown top-left quadrant.
        uint32_t top_left = px[(size_t)(ah / 2 - 20) * aw + (aw / 2 - 20)] & 0xFFFFFF;
        uint32_t bottom_right = px[(size_t)(ah / 2 + 20) * aw + (aw / 2 + 20)] & 0xFFFFFF;
        // The frame's quadrants: red top left, green top right, blue bottom
        // left, white bottom right; a quarter turn clockwise shows blue at
        // the top left and green at the bottom right.
        const uint32_t expect_tl[4] = {0xFF0000, 0x0000FF, 0xFFFFFF, 0x00FF00};
        const uint32_t expect_br[4] = {0xFFFFFF, 0x00FF00, 0xFF0000, 0x0000FF};
        EXPECT_EQ(top_left & 0xFFFF00, expect_tl[rotation] & 0xFFFF00) << std::hex << top_left;
        EXPECT_EQ(bottom_right, expect_br[rotation]) << std::hex << bottom_right;
    }
}

}  // namespace
