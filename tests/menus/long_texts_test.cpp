// Texts that do not fit stay in their places: a row's label and value
// inside the list and apart, the footer's help over the navigation hint,
// the main menu's ROM error broken into lines beside the rows, overlay
// texts inside their panels, paths and names in the browser, Extras, About
// and the toast. Texts that fit are drawn exactly as before.
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/menus/menu_fixture.h"

namespace {

constexpr int U = 100;  // the UI unit of the 1280 x 960 test output
constexpr int W = TEST_OUTPUT_W, H = TEST_OUTPUT_H;
// The list of every screen on the test output.
constexpr int LIST_LEFT = U * 40 / 100, LIST_RIGHT = W * 46 / 100, LIST_TOP = U * 36 / 100 + U * 110 / 100;
constexpr int ROW_H = U * 48 / 100, BAR_H = ROW_H - U * 6 / 100;
constexpr int LABEL_X = LIST_LEFT + U * 8 / 100, VALUE_RIGHT = LIST_RIGHT - U * 16 / 100;
constexpr int LABEL_SIZE = U * 24 / 100, VALUE_SIZE = U * 22 / 100;
constexpr uint32_t LABEL_COLOUR = 0xFFDCD2CE, VALUE_COLOUR = 0xFFB6A6A0;

const std::string LONG_PATH = "/home/player-with-a-rather-long-name/.local/share/Velmorhaven/"
                              "Talvex - The Iron Pinions/";
const std::string LONG_NAME = "Talvex - The Iron Pinions, the complete set with every revision and "
                              "its long name.zip";

struct Span {
    int left = -1, right = -1;  // the columns with ink, -1 when none
    bool empty() const { return left < 0; }
};

class LongTextTest : public MenuTest {
protected:
    std::vector<uint32_t> screen() { return read_pixels(0, 0, W, H); }

    // The columns whose pixels differ from the background, or from `before`.
    Span ink(int x, int y, int w, int h, const std::vector<uint32_t>* before = nullptr) {
        std::vector<uint32_t> p = read_pixels(x, y, w, h);
        Span s;
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++) {
                uint32_t was = before ? (*before)[(size_t)(y + j) * W + x + i] : 0xFF000000u;
                if (p[(size_t)j * w + i] == was) continue;
                if (s.left < 0 || x + i < s.left) s.left = x + i;
                if (x + i > s.right) s.right = x + i;
            }
        return s;
    }
    // The rows of text that differ from `before` within a column range.
    int ink_rows(int x, int w, int y, int h, const std::vector<uint32_t>& before) {
        std::vector<uint32_t> p = read_pixels(x, y, w, h);
        int rows = 0;
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++)
                if (p[(size_t)j * w + i] != before[(size_t)(y + j) * W + x + i]) {
                    rows++;
                    break;
                }
        return rows;
    }

    // A screen of these rows, drawn on a cleared output, the cursor on
    // `selected` (the last row unless given).
    void draw_rows(const std::vector<std::pair<std::string, const char*>>& list, int selected = -1,
                   const char* help = nullptr) {
        open({SCREEN_EXTRAS});
        fe.menu.cursor[SCREEN_EXTRAS] = selected >= 0 ? selected : (int)list.size() - 1;
        clear_output();
        menu_pass_begin();
        menu_begin_screen("Rows", nullptr);
        for (const auto& r : list) menu_item(r.first.c_str(), r.second, 1, nullptr, help);
        menu_end_screen();
    }
    static int row_y(int i) { return LIST_TOP + i * ROW_H; }
    static int text_y(int i) { return row_y(i) + (BAR_H - text_line_height(LABEL_SIZE)) / 2; }
};

TEST_F(LongTextTest, RowsKeepTheirTextsInsideTheListAndTheValueOffTheLabel) {
    const std::string folder = "Data Folder";
    auto rows = [&](const char* first_value) {
        draw_rows({{folder, first_value},
                   {LONG_NAME, nullptr},
                   {LONG_NAME, "zip"},
                   {"Scaling", "Fit to screen"},
                   {"last", nullptr}});
    };
    rows(nullptr);
    std::vector<uint32_t> label_alone = read_pixels(0, row_y(0), W, BAR_H);
    rows(LONG_PATH.c_str());
    for (int i = 0; i < 3; i++) {
        Span s = ink(0, row_y(i), W, BAR_H);
        EXPECT_GE(s.left, LIST_LEFT) << "row " << i;
        EXPECT_LT(s.right, LIST_RIGHT) << "row " << i;
    }
    int label_end = LABEL_X + measure_text_width(folder.c_str(), LABEL_SIZE);
    std::vector<uint32_t> with_value = read_pixels(0, row_y(0), W, BAR_H);
    for (int y = 0; y < BAR_H; y++)
        for (int x = 0; x <= label_end; x++)
            ASSERT_EQ(with_value[(size_t)y * W + x], label_alone[(size_t)y * W + x]) << "the value reached the label";
    EXPECT_GT(ink(label_end, row_y(0), W - label_end, BAR_H).right, VALUE_RIGHT - 4) << "the path keeps its end";
    int zip_left = VALUE_RIGHT - measure_text_width("zip", VALUE_SIZE);
    EXPECT_LT(ink(0, row_y(2), zip_left - 2, BAR_H).right, zip_left - U / 10) << "the name stops before its value";

    // A row that fits is drawn as it always was.
    std::vector<uint32_t> drawn = read_pixels(0, row_y(3), W, BAR_H);
    clear_output();
    draw_text(fe.renderer, "Scaling", LABEL_X, text_y(3), LABEL_SIZE, LABEL_COLOUR, ALIGN_LEFT);
    draw_text(fe.renderer, "Fit to screen", VALUE_RIGHT, text_y(3), VALUE_SIZE, VALUE_COLOUR, ALIGN_RIGHT);
    EXPECT_EQ(read_pixels(0, row_y(3), W, BAR_H), drawn);
}

// A value being changed, however long, keeps its closing ">" (and the two
// blanks before it) and stops short of the label.
TEST_F(LongTextTest, AValueBeingChangedKeepsItsMarksAndItsPlaceHoweverLong) {
    auto draw_value = [&](const std::string& value) {
        open({SCREEN_EXTRAS});
        fe.menu.cursor[SCREEN_EXTRAS] = 0;
        clear_output();
        menu_pass_begin();
        menu_begin_screen("Rows", nullptr);
        int change = 0;
        menu_item("Volume", value.c_str(), 1, &change, nullptr);
        return read_pixels(0, row_y(0), W, BAR_H);
    };
    const std::vector<uint32_t> marks_alone = draw_value("");
    const int label_end = LABEL_X + measure_text_width("Volume", LABEL_SIZE) + 1;
    const int mark_left = VALUE_RIGHT - measure_text_width(">", VALUE_SIZE);
    const int gap_left = mark_left - measure_text_width("  ", VALUE_SIZE) + 3;  // a glyph may shift a pixel
    for (size_t bytes : {60u, 289u, 294u, 300u, 2000u}) {
        for (const char* unit : {"Fit to screen ", "/roms"}) {
            std::string value;
            while (value.size() < bytes) value += unit;
            std::vector<uint32_t> p = draw_value(value.substr(0, bytes));
            for (auto [from, to] : {std::pair(0, label_end), std::pair(gap_left, mark_left - 3)})
                for (int y = 0; y < BAR_H; y++)
                    for (int x = from; x < to; x++)
                        ASSERT_EQ(p[(size_t)y * W + x], marks_alone[(size_t)y * W + x]) << bytes << unit << x;
        }
    }
}

TEST_F(LongTextTest, TheFooterHintGivesWayToTheHelpWhichIsCutWhenTooWideAlone) {
    const int footer_y = H - U * 52 / 100, band = text_line_height(U * 19 / 100), margin = U * 40 / 100;
    const char* hint = "Enter/A  Select     Esc/B  Back     Left/Right  Change";
    const std::string medium = "Exact keeps the game's own frame rate; Display sync locks one game frame per refresh.";
    std::string very_long;
    while (measure_text_width(very_long.c_str(), U * 19 / 100) < 2 * W) very_long += "Help that goes on and on. ";

    draw_rows({{"row", nullptr}}, 0, "Go up one level.");
    std::vector<uint32_t> drawn = read_pixels(0, footer_y, W, band);
    clear_output();
    draw_text(fe.renderer, "Go up one level.", margin, footer_y, U * 19 / 100, 0xFFBEB0AA, ALIGN_LEFT);
    draw_text(fe.renderer, hint, W - margin, footer_y, U * 18 / 100, 0xFF82746E, ALIGN_RIGHT);
    EXPECT_EQ(read_pixels(0, footer_y, W, band), drawn) << "a help that fits beside the hint";

    ASSERT_LT(measure_text_width(medium.c_str(), U * 19 / 100), W - 2 * margin);
    draw_rows({{"row", nullptr}}, 0, medium.c_str());
    Span s = ink(0, footer_y, W, band);
    EXPECT_LE(s.right, margin + measure_text_width(medium.c_str(), U * 19 / 100) + 2) << "no hint beside it";
    draw_rows({{"row", nullptr}}, 0, very_long.c_str());
    s = ink(0, footer_y, W, band);
    EXPECT_GE(s.left, margin - 2);
    EXPECT_LE(s.right, W - margin + 2);
    EXPECT_GT(s.right, W - margin - U / 2) << "cut where the room ends";
}

TEST_F(LongTextTest, TheRomErrorIsBrokenIntoLinesBesideTheRows) {
    const int x = W / 2, y = U * 190 / 100, size = U * 18 / 100, line = text_line_height(size);
    const int right = W - U * 48 / 100;
    auto draw_main = [&](const std::string& message) {
        snprintf(fe.rom_message, sizeof fe.rom_message, "%s", message.c_str());
        open({SCREEN_MAIN});
        draw();
    };
    draw_main("talvex.zip was not found.");
    std::vector<uint32_t> drawn = read_pixels(x - 4, y, W - x + 4, line);
    clear_output();
    draw_text(fe.renderer, "talvex.zip was not found.", x, y, size, 0xFFD2C8C8, ALIGN_LEFT);
    EXPECT_EQ(read_pixels(x - 4, y, W - x + 4, line), drawn) << "a message that fits stays one line";

    draw_main("The Voxa Arcade System BIOS (" + LONG_PATH + "voxa.zip, file voxau1.u10) was not found. Put "
              "voxa.zip next to talvex.zip or select it.");
    Span s = ink(x - 4, y, W - x + 4, H - y - U);
    EXPECT_GE(s.left, x - 2);
    EXPECT_LE(s.right, right + 2) << "inside the preview's width";
    int lines = 0;
    for (int k = 0; k < 8; k++) lines += !ink(x - 4, y + k * line, W - x + 4, line).empty();
    EXPECT_GE(lines, 4);
    const int footer_line = H - U * 52 / 100 - U / 10;
    EXPECT_TRUE(ink(x - 4, y + 8 * line, W - x + 4, footer_line - y - 8 * line).empty()) << "and then nothing";
}

TEST_F(LongTextTest, OverlayTextsStayInsideTheirPanels) {
    // Each overlay drawn without its text and with it: the pixels that
    // differ are the text's.
    auto text_ink = [&](int overlay, const std::function<void(const char*)>& set, const std::string& text,
                        int* rows = nullptr) {
        auto draw_with = [&](const char* t) {
            set(t);
            fe.capture_start = SDL_GetPerformanceCounter();
            open({SCREEN_ABOUT, overlay});
            draw();
        };
        draw_with("");
        std::vector<uint32_t> bare = screen();
        draw_with(text.c_str());
        if (rows) *rows = ink_rows(0, W, 0, H, bare);
        return ink(0, 0, W, H, &bare);
    };
    auto into = [](char* buffer, size_t size) {
        return [=](const char* t) { snprintf(buffer, size, "%s", t); };
    };

    const int pw = U * 760 / 100, px = (W - pw) / 2, py = (H - U * 250 / 100) / 2;
    const std::string question = "Switch to " + LONG_PATH + LONG_NAME + "? Unsaved progress will be lost.";
    int rows = 0;
    Span s = text_ink(SCREEN_CONFIRM, into(fe.confirm_text, sizeof fe.confirm_text), question, &rows);
    EXPECT_GE(s.left, px + U * 36 / 100 - 3);
    EXPECT_LE(s.right, px + pw - U * 36 / 100 + 3);
    EXPECT_GT(rows, 2 * text_line_height(U * 22 / 100)) << "more than two lines";

    text_ink(SCREEN_CONFIRM, into(fe.confirm_text, sizeof fe.confirm_text), "Restart the game?");
    std::vector<uint32_t> drawn = screen();
    fe.confirm_text[0] = '\0';
    open({SCREEN_ABOUT, SCREEN_CONFIRM});
    draw();
    draw_text(fe.renderer, "Restart the game?", W / 2, py + U * 56 / 100, U * 22 / 100, 0xFFF0EAE8, ALIGN_CENTRE);
    EXPECT_EQ(screen(), drawn) << "a question that fits stays one centred line";

    const int mw = U * 9, mx = (W - mw) / 2;
    s = text_ink(SCREEN_MESSAGE, into(fe.message_title, sizeof fe.message_title), std::string(63, 'W'));
    EXPECT_GE(s.left, mx);
    EXPECT_LE(s.right, mx + mw - U * 36 / 100 + 3);

    AdapterInput inputs[2] = {fe.adapter.inputs[0], fe.adapter.inputs[1]};
    std::string label;
    fe.adapter.inputs = inputs;
    fe.adapter.input_count = 2;
    fe.capture_row = 1;
    fe.capture_column = 0;
    fe.capture_hotkey = 0;
    auto set_label = [&](const char* t) {
        label = t;
        inputs[1].label = label.c_str();
    };
    s = text_ink(SCREEN_KEY_CAPTURE, set_label, LONG_NAME + LONG_NAME);
    EXPECT_GE(s.left, W / 2 - U * 360 / 100);
    EXPECT_LE(s.right, W / 2 + U * 360 / 100);
}

TEST_F(LongTextTest, NamesAndPathsFromTheFileSystemStayOnScreen) {
    // The browser: a long name stops before its value, the folder line at
    // the window's margin.
    std::string folder = dir + "/" + std::string(120, 'f');
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + LONG_NAME) << "zip";
    snprintf(fe.browse_dir, sizeof fe.browse_dir, "%s", folder.c_str());
    show(SCREEN_ROM_SELECTION);
    fe.menu.cursor[SCREEN_ROM_SELECTION] = 0;
    draw();
    ASSERT_EQ(labels(), (std::vector<std::string>{".. (parent folder)", "Show", LONG_NAME}));
    int zip_left = VALUE_RIGHT - measure_text_width("zip", VALUE_SIZE);
    Span s = ink(0, row_y(2), W, BAR_H);
    EXPECT_GE(s.left, LIST_LEFT);
    EXPECT_LT(s.right, LIST_RIGHT);
    EXPECT_LT(ink(0, row_y(2), zip_left - 2, BAR_H).right, zip_left - U / 10);
    s = ink(0, U * 36 / 100 + U * 78 / 100, W, text_line_height(U * 18 / 100));
    EXPECT_LE(s.right, W - LIST_LEFT + 2) << "the location line";

    // Extras: the data folder beside its label, inside the list.
    snprintf(fe.data_dir, sizeof fe.data_dir, "%s%s", LONG_PATH.c_str(), LONG_PATH.c_str() + 1);
    show(SCREEN_EXTRAS);
    draw();
    int i = index_of("Data Folder");
    ASSERT_GE(i, 0);
    s = ink(0, row_y(i), W, BAR_H);
    EXPECT_LT(s.right, LIST_RIGHT);
    int label_end = LABEL_X + measure_text_width("Data Folder", LABEL_SIZE);
    EXPECT_GT(ink(label_end + 1, row_y(i), W - label_end - 1, BAR_H).left, label_end + U / 10);

    // About: the same folder, on its detail line.
    show(SCREEN_ABOUT);
    draw();
    EXPECT_LE(ink(0, 0, W, H).right, W - LIST_LEFT + 2);

    // A toast naming a long path: its box inside the window.
    clear_output();
    show_toast("Cannot open %s%s", fe.data_dir, LONG_NAME.c_str());
    draw_toast(W, H);
    s = ink(0, 0, W, H);
    EXPECT_GE(s.left, U * 40 / 100 - 2);
    EXPECT_LE(s.right, W - U * 40 / 100 + 2);
}

}  // namespace
