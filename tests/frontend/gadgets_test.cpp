// Gadgets: which are in use, where their boxes go, and what the text
// gadgets and the input display draw.
#include <climits>
#include <cstring>

#include "frontend/gadgets.h"
#include "tests/frontend/output_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

constexpr int U = 100;
constexpr uint32_t BLACK = 0xFF000000u;

class GadgetTest : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        ASSERT_EQ(create_font_texture(fe.renderer), 1);
    }

    GadgetPlacement& place(int g, int position, int size) {
        GadgetPlacement& p = fe.settings.gadgets[g];
        p = GadgetPlacement{1, position, size, 0, 0};
        return p;
    }

    void draw() {
        clear_output();
        draw_gadgets(TEST_OUTPUT_W, TEST_OUTPUT_H);
    }

    bool drawn_in(int x, int y, int w, int h, uint32_t background) {
        for (uint32_t p : read_pixels(x, y, w, h))
            if (p != background) return true;
        return false;
    }
};

int shown_calls;
int hide_text_gadget;
int text_gadget(char* out, size_t size) {
    shown_calls++;
    snprintf(out, size, "Score 100");
    return !hide_text_gadget;
}
AdapterGadget ADAPTER_GADGETS[12];

TEST(GadgetLayout, AnchorsMarginsAndOffsets) {
    struct Case {
        int position, offset_x, offset_y, x, y;
    };
    // A 100 x 50 box on 1280 x 960 with u = 100: margin 16.
    const Case cases[] = {
        {0, 0, 0, 16, 16},  {1, 0, 0, 1164, 16}, {2, 0, 0, 16, 894},     {3, 0, 0, 1164, 894},
        {4, 0, 0, 590, 16}, {5, 0, 0, 590, 894}, {4, 400, 0, 990, 16},   {7, 0, 0, 1164, 16},
        {-1, 0, 0, 0, 0},   {-6, 0, 0, 16, 16},  {-7, 50, -30, 50, -30}, {0, -400, 300, -384, 316},
    };
    for (const Case& c : cases) {
        int x = -1, y = -1;
        gadget_anchor(c.position, c.offset_x, c.offset_y, 100, 50, TEST_OUTPUT_W, TEST_OUTPUT_H, U, &x, &y);
        EXPECT_EQ(x, c.x) << "position " << c.position;
        EXPECT_EQ(y, c.y) << "position " << c.position;
    }
    int x, y;
    gadget_anchor(0, INT_MAX, INT_MIN, 100, 50, TEST_OUTPUT_W, TEST_OUTPUT_H, U, &x, &y);
    EXPECT_GT(x, 1000000) << "a hand-edited offset stays a far but valid position";
    EXPECT_LT(y, -1000000);
}

TEST_F(GadgetTest, CountsHideBuiltInsFromTheEndAndCapAdapterGadgets) {
    const int counts[][2] = {{0, 3}, {-1, 2}, {-2, 1}, {-3, 0}, {-40, 0}, {2, 5}, {12, 11}};
    fe.adapter.gadgets = ADAPTER_GADGETS;
    for (const auto& c : counts) {
        fe.adapter.gadget_count = c[0];
        EXPECT_EQ(gadgets_in_use(), c[1]) << "count " << c[0];
    }
    fe.adapter.gadgets = nullptr;
    fe.adapter.gadget_count = 2;
    EXPECT_EQ(gadgets_in_use(), 3) << "no table, no adapter gadgets";
    EXPECT_STREQ(gadget_name(0), "FPS");
    EXPECT_STREQ(gadget_name(1), "Frame Time");
    EXPECT_STREQ(gadget_name(2), "Input Display");
    EXPECT_STREQ(gadget_name(3), "");
    EXPECT_STREQ(gadget_name(-1), "");
}

TEST_F(GadgetTest, InputDisplayLightsTheCellsOfTheWord) {
    place(GADGET_INPUT_DISPLAY, 3, 1);
    fe.settings.accent = 2;
    fe.input_word = 0x2 | 0x1000 | 0x40000;  // P1 Down, P2 Shot, Service
    draw();
    // s 24, p 8, two players: 336 x 72 at the bottom right.
    int x = TEST_OUTPUT_W - 336 - 16, y = TEST_OUTPUT_H - 72 - 16;
    uint32_t on = abgr_to_argb(ACCENT_COLOURS[2]), off = abgr_to_argb(0xFF423632);
    auto cell = [&](int player, int k) { return pixel_at(x + 48 + k * 32 + 12, y + 8 + (player - 1) * 32 + 9); };
    EXPECT_EQ(cell(1, 0), off);
    EXPECT_EQ(cell(1, 1), on);
    EXPECT_EQ(cell(1, 2), off);
    EXPECT_EQ(cell(1, 3), off) << "the coin has its cell";
    EXPECT_EQ(cell(2, 0), on);
    uint32_t box = pixel_at(x + 320, y + 36);
    EXPECT_NE(box, BLACK);
    EXPECT_EQ(cell(1, 4), box) << "four inputs of player 1, four cells";
    EXPECT_EQ(cell(2, 1), box) << "the service input of every player has no cell";
    EXPECT_EQ(pixel_at(x - 1, y + 36), BLACK);
    EXPECT_EQ(pixel_at(x + 336, y + 36), BLACK);
    EXPECT_TRUE(drawn_in(x + 8, y + 8 - 3, 30, 18, box)) << "1P";
    EXPECT_TRUE(drawn_in(x + 8, y + 40 - 3, 30, 18, box)) << "2P";
}

TEST_F(GadgetTest, TextGadgetsSizeTheirBoxToTheText) {
    place(GADGET_FPS, 1, 1);
    fe.measured_fps = 59.6;
    draw();
    int bw = measure_text_width("59.6 fps", 24) + 24, bh = text_line_height(24) + 12;
    int x = TEST_OUTPUT_W - bw - 16, y = 16;
    uint32_t box = pixel_at(x + bw - 4, y + bh / 2);
    EXPECT_NE(box, BLACK);
    EXPECT_EQ(pixel_at(x - 1, y + bh / 2), BLACK);
    EXPECT_EQ(pixel_at(x + bw - 4, y + bh + 1), BLACK);
    EXPECT_TRUE(drawn_in(x + 12, y + 6, bw - 24, bh - 12, box));

    // Frame time at (0, 0) with an offset of (0.1u, 0.2u) for a negative
    // position.
    fe.settings.gadgets[GADGET_FPS].enabled = 0;
    place(GADGET_FRAME_TIME, -1, 0).offset_x = 10;
    fe.settings.gadgets[GADGET_FRAME_TIME].offset_y = 20;
    draw();
    EXPECT_EQ(pixel_at(9, 20 + 10), BLACK);
    EXPECT_NE(pixel_at(10 + 4, 20 + 10), BLACK);
}

TEST_F(GadgetTest, AnAdapterGadgetThatSaysNoIsSkippedForThatPass) {
    ADAPTER_GADGETS[0] = AdapterGadget{"score", "Score", text_gadget};
    fe.adapter.gadgets = ADAPTER_GADGETS;
    fe.adapter.gadget_count = 1;
    place(GADGET_ADAPTER, 0, 0);
    hide_text_gadget = 1;
    shown_calls = 0;
    draw();
    EXPECT_EQ(shown_calls, 1);
    EXPECT_EQ(pixel_at(20, 20), BLACK);
    hide_text_gadget = 0;
    draw();
    EXPECT_NE(pixel_at(20, 20), BLACK);

    fe.adapter.gadget_count = -3;  // none in use, whatever is enabled
    place(GADGET_FPS, 0, 0);
    draw();
    EXPECT_EQ(pixel_at(20, 20), BLACK);
}

}  // namespace
