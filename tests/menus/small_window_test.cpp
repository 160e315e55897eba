// Small windows: the overlay panels narrow to the window less a margin with
// their texts inside, the ROM error stands right of the list and above the
// footer, the movie line stays on screen; where all of it fitted before,
// the panels keep their places.
#include "tests/menus/menu_fixture.h"

namespace {

const std::string LONG_PATH = "/home/player-with-a-rather-long-name/.local/share/Velmorhaven/Talvex/roms/";

class SmallWindowTest : public MenuTest {
protected:
    int w = 0, h = 0, u = 0;

    void resize(int width, int height) {
        SDL_SetWindowSize(fe.window, width, height);
        SDL_PumpEvents();
        SDL_GetRendererOutputSize(fe.renderer, &w, &h);
        ASSERT_EQ(std::pair(w, h), std::pair(width, height));
        u = fe.ui_unit = compute_ui_unit(w, h);
    }
    // A settled pass: the header faded in, the highlight in place.
    std::vector<uint32_t> draw_settled(std::initializer_list<int> screens) {
        open(screens);
        fe.menu.open_time = SDL_GetPerformanceCounter() - fe.perf_freq;
        draw();
        return read_pixels(0, 0, w, h);
    }
    // The first and last columns of rows [y, y + rows) that differ from
    // `before` (black when empty); -1 when none.
    std::pair<int, int> ink(int y, int rows, const std::vector<uint32_t>& before = {}) {
        std::vector<uint32_t> p = read_pixels(0, y, w, rows);
        std::pair<int, int> s{-1, -1};
        for (size_t i = 0; i < p.size(); i++) {
            int x = (int)(i % w);
            if (p[i] == (before.empty() ? 0xFF000000u : before[(size_t)y * w + i])) continue;
            s = {s.first < 0 ? x : std::min(s.first, x), std::max(s.second, x)};
        }
        return s;
    }
};

TEST_F(SmallWindowTest, PanelsNarrowToTheWindowAndKeepTheirTextsInside) {
    snprintf(fe.confirm_text, sizeof fe.confirm_text, "Switch to %stalvex (rev A).zip?", LONG_PATH.c_str());
    snprintf(fe.message_title, sizeof fe.message_title, "ROM not usable");
    snprintf(fe.message_text, sizeof fe.message_text, "Cannot open %stalvex.zip.", LONG_PATH.c_str());
    fe.capture_row = 1;
    // Each overlay's width in hundredths of u; the capture panel stands at
    // W / 2 less half of it.
    const std::pair<int, int> panels[] = {{SCREEN_CONFIRM, 760}, {SCREEN_MESSAGE, 900}, {SCREEN_KEY_CAPTURE, 720}};
    for (const auto& size : {std::pair(1280, 960), std::pair(960, 720), std::pair(400, 300), std::pair(320, 240)}) {
        resize(size.first, size.second);
        for (const auto& [screen, wanted] : panels) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << ", screen " << screen);
            fe.capture_start = SDL_GetPerformanceCounter();
            draw_settled({SCREEN_ABOUT, screen});  // nothing drawn beneath
            int full = u * wanted / 100, pw = std::min(full, w - 2 * (u / 10));
            int px = pw < full ? (w - pw) / 2 : screen == SCREEN_KEY_CAPTURE ? w / 2 - u * 360 / 100 : (w - full) / 2;
            EXPECT_EQ(ink(h / 2, 1), std::pair(px, px + pw - 1)) << "the panel's edges";
            EXPECT_EQ(ink(0, h), std::pair(px, px + pw - 1)) << "nothing beside it";
        }
    }
}

TEST_F(SmallWindowTest, TheRomErrorStandsRightOfTheListAndAboveTheFooter) {
    for (const auto& size : {std::pair(1280, 960), std::pair(460, 345), std::pair(320, 240)}) {
        resize(size.first, size.second);
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        fe.rom_message[0] = '\0';
        std::vector<uint32_t> bare = draw_settled({SCREEN_MAIN});
        snprintf(fe.rom_message, sizeof fe.rom_message,
                 "The BIOS (%svoxa.zip, file voxau1.u10) was not found. Put "
                 "voxa.zip next to talvex.zip or select it, then choose the game again.",
                 LONG_PATH.c_str());
        draw_settled({SCREEN_MAIN});
        const MenuLayout& l = fe.menu.layout;
        int list_right = l.list_left + l.list_width + u * 11 / 100, footer = h - u * 52 / 100 - u / 10;
        auto text = ink(0, footer, bare);
        EXPECT_GE(text.first, list_right < w / 2 ? w / 2 - 2 : list_right + 1)
            << "from the middle or right of the list";
        EXPECT_LE(text.second, w - u * 48 / 100 + 2);
        EXPECT_EQ(ink(footer, h - footer, bare), std::pair(-1, -1)) << "nothing over the footer";
    }
}

// The movie line over the game, right-aligned at its margin: a long one is
// cut to stay within the other margin.
TEST_F(SmallWindowTest, TheMovieLineStaysInsideTheWindow) {
    load_game(true);
    fe.paused = 1;  // the same picture in every pass
    const std::string long_name = "PLAY movie-20261210-101010-" + std::string(90, 'n') + ".femv";
    for (const auto& size : {std::pair(1280, 960), std::pair(320, 240)}) {
        resize(size.first, size.second);
        int x = w - u * 24 / 100, y = h - u * 40 / 100, band = text_line_height(u * 18 / 100);
        fe.movie_status[0] = '\0';
        main_loop_pass();
        std::vector<uint32_t> bare = read_pixels(0, 0, w, h);
        for (const std::string& status : {long_name, std::string("REC movie-20261210-101010.femv")}) {
            snprintf(fe.movie_status, sizeof fe.movie_status, "%s", status.c_str());
            main_loop_pass();
            auto text = ink(y, band, bare);
            EXPECT_GE(text.first, u * 24 / 100 - 1) << w;
            EXPECT_TRUE(text.second <= x && text.second > x - u / 5) << w;
        }
    }
}

}  // namespace
