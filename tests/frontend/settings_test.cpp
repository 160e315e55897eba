// The settings block against "settings.ini": defaults, the limits applied
// when the file is read, the command-line overrides after them, and saves
// that update the document in place.
#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "frontend/settings.h"
#include "tests/frontend/reader_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

const char FRESH_SETTINGS[] =
    "# Settings written by the frontend. Safe to edit while the game is closed.\n"
    "\n[paths]\nrom = \nbrowse_dir = \n"
    "\n[display]\nfullscreen = 0\nwindow_scale = 3\nscale_mode = 0\naspect_mode = 0\nfilter = 0\nvsync = 1\n"
    "pacing = 0\nscanlines = 0\nmask = 0\nmask_strength = 30\nbrightness = 100\ngamma = 100\nborder = 1\n"
    "rotation = 0\n"
    "\n[audio]\nvolume = 80\nmute = 0\nlatency_ms = 64\ndevice = \n"
    "\n[ui]\naccent = 0\nautosave_exit = 1\nautosave_menu = 1\npause_on_focus_loss = 1\nrewind = 0\n"
    "rewind_mb = 64\nslot = 1\n"
    "\n[input]\ndeadzone = 30\nmenu_combo = 0\np1_controller = 0\np2_controller = 1\np3_controller = 2\n"
    "p4_controller = 3\np1_up = 82,26,11\np1_down = 81,22,12\np1_b1 = 29,13,0\np2_b1 = 89,-1,0\n"
    "coin1 = 34,-1,4\nservice = 39,-1,-1\n"
    "\n[hotkeys]\nmenu = 41,-1,-1\nquick_save = 62,-1,-1\nquick_load = 66,-1,-1\nslot_prev = 63,-1,-1\n"
    "slot_next = 64,-1,-1\nscreenshot = 69,-1,-1\nfullscreen = 68,-1,-1\nrewind = 42,-1,-1\n"
    "pause = 72,19,-1\ntoggle_fps = 67,-1,-1\nreset = 60,-1,-1\n"
    "\n[gameplay]\ndsw1 = 0xFFEF\n"
    "\n[gadgets]\nfps = 0,1,1,0,0\nframe_time = 0,0,1,0,0\ninput_display = 0,3,1,0,0\n";

class SettingsTest : public FrontendTest {
protected:
    // The handheld switches change the defaults; the tests set them
    // themselves.
    void SetUp() override {
        unsetenv("SteamDeck");
        unsetenv("STEAM_DECK");
        FrontendTest::SetUp();
    }
    void write_settings(const std::string& text) { write_file(fe.settings_path, text); }
    // Start-up's settings step over a given file, from a fresh document.
    void load_from(const std::string& text, int rotation = -1, int fullscreen = -1, int scale = 0) {
        free_ini(&fe.settings_doc);
        write_settings(text);
        load_settings(rotation, fullscreen, scale);
    }
    std::string saved_file() { return read_text(fe.settings_path); }
    EnvGuard steam_deck{"SteamDeck"}, steam_deck_upper{"STEAM_DECK"};
};

// Sections in the order a file holds them.
std::vector<std::string> section_order(const std::string& text) {
    std::vector<std::string> sections;
    size_t pos = 0;
    while ((pos = text.find("\n[", pos)) != std::string::npos) {
        size_t close = text.find("]\n", pos);
        sections.push_back(text.substr(pos + 2, close - pos - 2));
        pos = close;
    }
    return sections;
}

TEST_F(SettingsTest, FreshSaveWritesEveryKeyInOrder) {
    load_settings(-1, -1, 0);  // no file yet
    EXPECT_EQ(fe.settings_doc.count, 0);
    EXPECT_EQ(fe.slot, 1);
    save_settings();
    EXPECT_EQ(saved_file(), FRESH_SETTINGS);
}

TEST_F(SettingsTest, DefaultsFollowTheDescriptorAndTheHandheldSwitch) {
    fe.adapter.rotation = 7;
    set_default_settings();
    EXPECT_EQ(fe.settings.rotation, 3) << "the descriptor copy's rotation AND 3";
    EXPECT_EQ(fe.settings.dsw[0], 0xFFEF) << "each DIP row's default over 0xFFFF";
    EXPECT_EQ(fe.settings.dsw[1], 0xFFFF);
    EXPECT_EQ(fe.settings.fullscreen, 0);
    setenv("SteamDeck", "", 1);
    set_default_settings();
    EXPECT_EQ(fe.settings.fullscreen, 1) << "set to an empty string still counts";
    unsetenv("SteamDeck");
    setenv("STEAM_DECK", "1", 1);
    set_default_settings();
    EXPECT_EQ(fe.settings.fullscreen, 1);

    // A DIP row on a word beyond the block's room is left out; one on the
    // second word reaches it, and both words are saved.
    AdapterDipSwitch dips[2] = {};
    dips[0] = {"far", "Far", 9, 0x0F, 0x00, 0, {}};
    dips[1] = {"second", "Second", 1, 0xF0, 0x30, 0, {}};
    fe.adapter.dips = dips;
    fe.adapter.dip_count = 2;
    fe.adapter.dsw_count = 2;
    set_default_settings();
    EXPECT_EQ(fe.settings.dsw[0], 0xFFFF);
    EXPECT_EQ(fe.settings.dsw[1], 0xFF3F);
    save_settings();
    EXPECT_NE(saved_file().find("[gameplay]\ndsw1 = 0xFFFF\ndsw2 = 0xFF3F\n"), std::string::npos);
}

TEST_F(SettingsTest, ValuesReadFromTheFileAreClampedAndParsed) {
    load_from("[display]\nwindow_scale = 0\nbrightness = 200\ngamma = 10\nfullscreen = 7\nvsync = -1\n"
              "rotation = 9\nmask = not a number\n"
              "[audio]\nlatency_ms = 5\ndevice = My Speakers\n"
              "[ui]\nrewind_mb = 4096\nrewind = 1\nslot = 0x0A\n"
              "[input]\np1_up = 82,26\np1_down = 82, 26, 11\np1_b1 = 1 ,2,3\ndeadzone = 100\n"
              "[hotkeys]\npause = 1,2,3\nmenu = x,y,z\n"
              "[gameplay]\ndsw1 = 0xFFFD\n"
              "[gadgets]\nfps = 1,3\nframe_time = 1,2,0,-5,7,99\n"
              "[paths]\nrom = /roms/game.zip\nbrowse_dir = /roms\n");
    const FrontendSettings& s = fe.settings;
    EXPECT_EQ(s.window_scale, 1);
    EXPECT_EQ(s.brightness, 150);
    EXPECT_EQ(s.gamma, 50);
    EXPECT_EQ(s.fullscreen, 7) << "flags are taken as they parse";
    EXPECT_EQ(s.vsync, -1);
    EXPECT_EQ(s.rotation, 3);
    EXPECT_EQ(s.mask, 0) << "not a number keeps the default";
    EXPECT_EQ(s.latency_ms, 16);
    EXPECT_STREQ(s.device, "My Speakers");
    EXPECT_EQ(s.rewind_mb, 512);
    EXPECT_EQ(s.rewind, 0) << "off while the rewind feature is off";
    EXPECT_EQ(fe.slot, 10);
    EXPECT_EQ(s.deadzone, 90);
    auto binding = [](const InputBinding& b) { return std::vector<int>{b.key1, b.key2, b.pad}; };
    EXPECT_EQ(binding(fe.bindings[0]), (std::vector<int>{82, 26, 11})) << "two numbers keep the default";
    EXPECT_EQ(binding(fe.bindings[1]), (std::vector<int>{82, 26, 11})) << "blanks after the commas are fine";
    EXPECT_EQ(binding(fe.bindings[2]), (std::vector<int>{29, 13, 0})) << "a blank before a comma is not";
    EXPECT_EQ(binding(fe.hotkeys[HOTKEY_PAUSE]), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(binding(fe.hotkeys[HOTKEY_MENU]), (std::vector<int>{41, -1, -1}));
    EXPECT_EQ(s.dsw[0], 0xFFFD);
    const GadgetPlacement& fps = s.gadgets[GADGET_FPS];
    EXPECT_EQ((std::vector<int>{fps.enabled, fps.position, fps.size, fps.offset_x, fps.offset_y}),
              (std::vector<int>{1, 3, 1, 0, 0}));
    const GadgetPlacement& ft = s.gadgets[GADGET_FRAME_TIME];
    EXPECT_EQ((std::vector<int>{ft.enabled, ft.position, ft.size, ft.offset_x, ft.offset_y}),
              (std::vector<int>{1, 2, 0, -5, 7}));
    EXPECT_STREQ(fe.rom, "/roms/game.zip");
    EXPECT_STREQ(fe.browse_dir, "/roms");

    save_settings();
    std::string text = saved_file();
    EXPECT_NE(text.find("dsw1 = 0xFFFD\n"), std::string::npos);
    EXPECT_NE(text.find("fps = 1,3,1,0,0\n"), std::string::npos);
    EXPECT_NE(text.find("device = My Speakers\n"), std::string::npos);
}

TEST_F(SettingsTest, EachLimitHoldsAtItsBounds) {
    struct Case {
        const char* line;
        std::function<int()> value;
        int expected;
    } cases[] = {
        {"[display]\nwindow_scale = 9", [] { return fe.settings.window_scale; }, 8},
        {"[display]\nscanlines = 101", [] { return fe.settings.scanlines; }, 100},
        {"[display]\nmask_strength = 500", [] { return fe.settings.mask_strength; }, 100},
        {"[display]\nborder = 3", [] { return fe.settings.border; }, 2},
        {"[display]\nscale_mode = -4", [] { return fe.settings.scale_mode; }, 0},
        {"[audio]\nvolume = -5", [] { return fe.settings.volume; }, 0},
        {"[ui]\naccent = 6", [] { return fe.settings.accent; }, 5},
        {"[ui]\nrewind_mb = 1", [] { return fe.settings.rewind_mb; }, 16},
        {"[input]\ndeadzone = 1", [] { return fe.settings.deadzone; }, 5},
        {"[input]\nmenu_combo = 4", [] { return fe.settings.menu_combo; }, 3},
        {"[input]\np3_controller = 17", [] { return fe.settings.player_controller[2]; }, 17},
        {"[ui]\nslot = 0", [] { return fe.slot; }, 1},
        {"[ui]\nslot = 11", [] { return fe.slot; }, 1},
        {"[ui]\nslot = 010", [] { return fe.slot; }, 8},
        {"[gameplay]\ndsw1 = 0x1FFFD", [] { return (int)fe.settings.dsw[0]; }, 0xFFFD},
        {"[gameplay]\ndsw1 = 99999999999", [] { return (int)fe.settings.dsw[0]; }, 0xFFFF},
        {"[display]\nwindow_scale = 99999999999", [] { return fe.settings.window_scale; }, 8},
    };
    for (const Case& c : cases) {
        load_from(std::string(c.line) + "\n");
        EXPECT_EQ(c.value(), c.expected) << c.line;
    }
}

TEST_F(SettingsTest, OverridesComeAfterTheLimits) {
    std::string path = fe.settings_path;
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s/missing/settings.ini", dir.c_str());
    load_settings(-1, -1, 20);
    EXPECT_EQ(fe.settings.window_scale, 20) << "no file: nothing is clamped";
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s", path.c_str());

    const char file[] = "[display]\nwindow_scale = 9\nrotation = 2\nfullscreen = 1\n[ui]\nrewind = 1\n";
    load_from(file, -1, -1, 20);
    EXPECT_EQ(fe.settings.window_scale, 20) << "the file's 9 became 8, then the override";
    EXPECT_EQ(fe.settings.rotation, 2);
    EXPECT_EQ(fe.settings.fullscreen, 1);
    load_from(file, 5, 0, -2);
    EXPECT_EQ(fe.settings.window_scale, 8);
    EXPECT_EQ(fe.settings.rotation, 1);
    EXPECT_EQ(fe.settings.fullscreen, 0);
    EXPECT_EQ(fe.settings.rewind, 0);
    fe.feature_on[FEATURE_REWIND] = 1;
    load_from(file, -1, 1, 0);
    EXPECT_EQ(fe.settings.rewind, 1) << "kept while the feature is on";
    EXPECT_EQ(fe.settings.fullscreen, 1);
}

TEST_F(SettingsTest, SaveKeepsForeignSectionsAndTheirOrder) {
    load_from("# kept out: comments are not part of the document\n"
              "[input]\ndeadzone = 40\ncustom_key = kept\n"
              "[display]\nwindow_scale = 2\n"
              "[extra]\nfoo = bar\n");
    save_settings();
    std::string text = saved_file();
    EXPECT_EQ(section_order(text), (std::vector<std::string>{"input", "display", "extra", "paths", "audio", "ui",
                                                             "hotkeys", "gameplay", "gadgets"}));
    EXPECT_NE(text.find("[input]\ndeadzone = 40\ncustom_key = kept\nmenu_combo = 0\n"), std::string::npos);
    EXPECT_NE(text.find("[extra]\nfoo = bar\n"), std::string::npos);
    EXPECT_EQ(text.find("kept out"), std::string::npos);
}

// Every key away from its default, in the order a fresh save writes them.
const char CUSTOM_SETTINGS[] =
    "# Settings written by the frontend. Safe to edit while the game is closed.\n"
    "\n[paths]\nrom = /roms/x y.zip\nbrowse_dir = /roms\n"
    "\n[display]\nfullscreen = 1\nwindow_scale = 5\nscale_mode = 1\naspect_mode = 1\nfilter = 1\nvsync = 0\n"
    "pacing = 1\nscanlines = 40\nmask = 2\nmask_strength = 60\nbrightness = 120\ngamma = 180\nborder = 2\n"
    "rotation = 3\n"
    "\n[audio]\nvolume = 55\nmute = 1\nlatency_ms = 100\ndevice = USB Audio\n"
    "\n[ui]\naccent = 4\nautosave_exit = 0\nautosave_menu = 0\npause_on_focus_loss = 0\nrewind = 1\n"
    "rewind_mb = 128\nslot = 7\n"
    "\n[input]\ndeadzone = 45\nmenu_combo = 2\np1_controller = 3\np2_controller = 2\np3_controller = 1\n"
    "p4_controller = -1\np1_up = 1,2,3\np1_down = 4,5,6\np1_b1 = 7,-1,100\np2_b1 = 8,-1,101\n"
    "coin1 = -1,-1,-1\nservice = 9,10,11\n"
    "\n[hotkeys]\nmenu = 20,-1,-1\nquick_save = 21,22,-1\nquick_load = 23,-1,5\nslot_prev = -1,-1,-1\n"
    "slot_next = 24,-1,-1\nscreenshot = 25,-1,-1\nfullscreen = 26,-1,-1\nrewind = 27,-1,102\n"
    "pause = 28,29,-1\ntoggle_fps = 30,-1,-1\nreset = 31,-1,-1\n"
    "\n[gameplay]\ndsw1 = 0x1234\n"
    "\n[gadgets]\nfps = 1,5,2,-3,4\nframe_time = 1,4,0,7,-8\ninput_display = 1,2,1,0,9\n";

TEST_F(SettingsTest, EverySettingReadsAndWritesBackByteExact) {
    fe.feature_on[FEATURE_REWIND] = 1;
    load_from(CUSTOM_SETTINGS);
    save_settings();  // updates the document read from the file
    EXPECT_EQ(saved_file(), CUSTOM_SETTINGS);
    free_ini(&fe.settings_doc);
    save_settings();  // a fresh document: every value comes from the block
    EXPECT_EQ(saved_file(), CUSTOM_SETTINGS);
}

TEST_F(SettingsTest, GadgetKeysFollowTheGadgetCount) {
    AdapterGadget gadget{"lap_timer", "Lap Timer", [](char* out, size_t n) { return snprintf(out, n, "0"); }};
    fe.adapter.gadgets = &gadget;
    fe.adapter.gadget_count = 1;
    load_from("[gadgets]\nlap_timer = 1,5\n");
    EXPECT_EQ(fe.settings.gadgets[GADGET_ADAPTER].enabled, 1);
    EXPECT_EQ(fe.settings.gadgets[GADGET_ADAPTER].position, 5);
    save_settings();
    EXPECT_NE(saved_file().find("[gadgets]\nlap_timer = 1,5,1,0,0\nfps = 0,1,1,0,0\n"), std::string::npos);

    fe.adapter.gadgets = nullptr;
    fe.adapter.gadget_count = -2;  // hides the input display and the frame time
    load_from("[gadgets]\nframe_time = 1\nfps = 1\n");
    EXPECT_EQ(fe.settings.gadgets[GADGET_FRAME_TIME].enabled, 0);
    EXPECT_EQ(fe.settings.gadgets[GADGET_FPS].enabled, 1);
    free_ini(&fe.settings_doc);
    save_settings();
    EXPECT_NE(saved_file().find("\n[gadgets]\nfps = 1,1,1,0,0\n"), std::string::npos);
    EXPECT_EQ(saved_file().find("frame_time"), std::string::npos);
    fe.adapter.gadget_count = -3;
    free_ini(&fe.settings_doc);
    save_settings();
    EXPECT_EQ(saved_file().find("[gadgets]"), std::string::npos);
}

TEST_F(SettingsTest, AFailedSaveIsLoggedAndLeavesTheOldFile) {
    write_settings("[display]\nwindow_scale = 2\n");
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s/folder", dir.c_str());
    mkdir(fe.settings_path, 0755);
    save_settings();
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s/none/settings.ini", dir.c_str());
    save_settings();
    std::vector<std::string> log = log_messages();
    EXPECT_EQ(log, (std::vector<std::string>{"could not write settings to " + dir + "/folder",
                                             "could not write settings to " + dir + "/none/settings.ini"}));
    EXPECT_EQ(read_text(dir + "/settings.ini"), "[display]\nwindow_scale = 2\n");
}

TEST(ParseIntList, ReadsNumbersFromTheFirstOn) {
    int32_t v[5] = {9, 9, 9, 9, 9};
    EXPECT_EQ(parse_int_list("1,-2, +3", v, 3), 3);
    EXPECT_EQ((std::vector<int>(v, v + 3)), (std::vector<int>{1, -2, 3}));
    EXPECT_EQ(parse_int_list("4,5 ,6", v, 3), 2);
    EXPECT_EQ(parse_int_list("", v, 3), 0);
    EXPECT_EQ(parse_int_list("7,x", v, 3), 1);
    EXPECT_EQ(parse_int_list("99999999999,-99999999999", v, 2), 2);
    EXPECT_EQ(v[0], INT32_MAX);
    EXPECT_EQ(v[1], INT32_MIN);
    EXPECT_EQ(parse_int_list("1,2,3,4,5,6", v, 5), 5);
}

}  // namespace
