// The settings block against "settings.ini": defaults, the limits applied
// when the file is read, the command-line overrides after them, and saves
// that update the document in place.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

const char HEADER_LINE[] = "# Settings written by the frontend. Safe to edit while the game is closed.";

// The lines of a saved settings file that are none of the header, a blank
// line, a section line or a "key = value" line without a carriage return.
std::vector<std::string> malformed_lines(const std::string& text) {
    std::vector<std::string> bad;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        bool section =
            line.size() >= 2 && line.front() == '[' && line.back() == ']' && line.find(']') == line.size() - 1;
        bool key_value = line.find(" = ") != std::string::npos && line.find('\r') == std::string::npos;
        if (line != HEADER_LINE && !line.empty() && !section && !key_value) bad.push_back(line);
    }
    return bad;
}

class SettingsTest : public FrontendTest {
protected:
    // The handheld switches change the defaults; the tests set them
    // themselves.
    void SetUp() override {
        unsetenv("SteamDeck");
        unsetenv("STEAM_DECK");
        FrontendTest::SetUp();
    }
    // Start-up's settings step over a given file, from a fresh document.
    void load_from(const std::string& text, int rotation = -1, int fullscreen = -1, int scale = 0) {
        free_ini(&fe.settings_doc);
        write_file(fe.settings_path, text);
        load_settings(rotation, fullscreen, scale);
    }
    // A save, and the file it wrote.
    std::string saved() {
        save_settings();
        return read_text(fe.settings_path);
    }
    EnvGuard steam_deck{"SteamDeck"}, steam_deck_upper{"STEAM_DECK"};
};

TEST_F(SettingsTest, FreshSaveWritesEveryKeyInOrder) {
    fe.slot = 0;
    load_settings(-1, -1, 0);  // no file yet
    EXPECT_EQ(fe.settings_doc.count, 0);
    EXPECT_EQ(saved(), FRESH_SETTINGS) << "with the slot brought into range";
}

TEST_F(SettingsTest, EverySettingReadsAndWritesBackByteExact) {
    fe.feature_on[FEATURE_REWIND] = 1;
    load_from(CUSTOM_SETTINGS);
    EXPECT_EQ(saved(), CUSTOM_SETTINGS) << "the document read from the file, updated";
    free_ini(&fe.settings_doc);
    EXPECT_EQ(saved(), CUSTOM_SETTINGS) << "a fresh document: every value comes from the block";
}

TEST_F(SettingsTest, DefaultsFollowTheDescriptorAndTheHandheldSwitch) {
    fe.adapter.rotation = 7;
    set_default_settings();
    EXPECT_EQ(fe.settings.rotation, 3) << "the descriptor copy's rotation AND 3";
    for (const char* name : {"SteamDeck", "STEAM_DECK"}) {
        setenv(name, "", 1);  // set, even empty, counts
        set_default_settings();
        EXPECT_EQ(fe.settings.fullscreen, 1) << name;
        unsetenv(name);
    }

    // A DIP row on a word beyond the block's room is left out; one on the
    // second word reaches it, and both words are saved.
    AdapterDipSwitch dips[2] = {{"far", "Far", 9, 0x0F, 0x00, 0, {}}, {"second", "Second", 1, 0xF0, 0x30, 0, {}}};
    fe.adapter.dips = dips;
    fe.adapter.dip_count = 2;
    fe.adapter.dsw_count = 2;
    set_default_settings();
    EXPECT_NE(saved().find("[gameplay]\ndsw1 = 0xFFFF\ndsw2 = 0xFF3F\n"), std::string::npos);
}

// Each case is read from a file of its own and checked in what a save
// writes back.
TEST_F(SettingsTest, ValuesReadFromTheFileAreLimitedAndParsed) {
    // clang-format off
    struct Case { const char* file; const char* saved; } cases[] = {
        {"[display]\nwindow_scale = 0", "window_scale = 1"}, {"[display]\nwindow_scale = 9", "window_scale = 8"},
        {"[display]\nwindow_scale = 99999999999", "window_scale = 8"},
        {"[display]\nscale_mode = -4", "scale_mode = 0"}, {"[display]\nscanlines = 101", "scanlines = 100"},
        {"[display]\nmask_strength = 500", "mask_strength = 100"}, {"[display]\nborder = 3", "border = 2"},
        {"[display]\nbrightness = 200", "brightness = 150"}, {"[display]\ngamma = 10", "gamma = 50"},
        {"[display]\nrotation = 9", "rotation = 3"}, {"[display]\nmask = not a number", "mask = 0"},
        // Flags are taken as they parse.
        {"[display]\nfullscreen = 7", "fullscreen = 7"}, {"[display]\nvsync = -1", "vsync = -1"},
        {"[audio]\nvolume = -5", "volume = 0"}, {"[audio]\nlatency_ms = 5", "latency_ms = 16"},
        {"[ui]\naccent = 6", "accent = 5"}, {"[ui]\nrewind_mb = 4096", "rewind_mb = 512"},
        {"[ui]\nrewind_mb = 1", "rewind_mb = 16"}, {"[ui]\nrewind = 1", "rewind = 0"},  // the feature is off
        {"[ui]\nslot = 0x0A", "slot = 10"}, {"[ui]\nslot = 0", "slot = 1"}, {"[ui]\nslot = 11", "slot = 1"},
        {"[input]\ndeadzone = 100", "deadzone = 90"}, {"[input]\ndeadzone = 1", "deadzone = 5"},
        {"[input]\nmenu_combo = 4", "menu_combo = 3"},
        // A binding needs all three numbers: blanks and a sign may come before each, not before a comma; a
        // number beyond int saturates, and a fourth one is not read.
        {"[input]\np1_up = 1,2", "p1_up = 82,26,11"}, {"[input]\np1_down = 1, 2, +3", "p1_down = 1,2,3"},
        {"[input]\np1_b1 = 1 ,2,3", "p1_b1 = 29,13,0"},
        {"[input]\ncoin1 = 99999999999,-99999999999,1,2", "coin1 = 2147483647,-2147483648,1"},
        {"[hotkeys]\nmenu = x,y,z", "menu = 41,-1,-1"},
        // DIP words keep their low 16 bits.
        {"[gameplay]\ndsw1 = 0xFFFD", "dsw1 = 0xFFFD"}, {"[gameplay]\ndsw1 = 0x1FFFD", "dsw1 = 0xFFFD"},
        {"[gameplay]\ndsw1 = 99999999999", "dsw1 = 0xFFFF"},
        {"[gadgets]\nfps = 1,3", "fps = 1,3,1,0,0"},  // the numbers that parse, from the first on
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        load_from(std::string(c.file) + "\n");
        EXPECT_NE(saved().find(std::string("\n") + c.saved + "\n"), std::string::npos) << c.saved;
    }
}

TEST_F(SettingsTest, OverridesComeAfterTheLimits) {
    load_settings(-1, 1, 20);  // no file: nothing is clamped
    EXPECT_EQ(fe.settings.window_scale, 20);
    EXPECT_EQ(fe.settings.fullscreen, 1);

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
    load_from(file);
    EXPECT_EQ(fe.settings.rewind, 1) << "kept while the feature is on";
}

TEST_F(SettingsTest, SaveKeepsForeignSectionsAndTheirOrder) {
    load_from(
        "# kept out: comments are not part of the document\n[input]\ndeadzone = 40\ncustom_key = kept\n"
        "[display]\nwindow_scale = 2\n[extra]\nfoo = bar\n");
    std::string text = saved();
    std::vector<std::string> sections;
    for (size_t at = 0; (at = text.find("\n[", at)) != std::string::npos; at++)
        sections.push_back(text.substr(at + 2, text.find("]\n", at) - at - 2));
    EXPECT_EQ(sections, (std::vector<std::string>{"input", "display", "extra", "paths", "audio", "ui", "hotkeys",
                                                  "gameplay", "gadgets"}));
    EXPECT_NE(text.find("[input]\ndeadzone = 40\ncustom_key = kept\nmenu_combo = 0\n"), std::string::npos);
    EXPECT_NE(text.find("[extra]\nfoo = bar\n"), std::string::npos);
    EXPECT_EQ(text.find("kept out"), std::string::npos);
}

TEST_F(SettingsTest, GadgetKeysFollowTheGadgetCount) {
    AdapterGadget gadget{"lap_timer", "Lap Timer", [](char* out, size_t n) { return snprintf(out, n, "0"); }};
    fe.adapter.gadgets = &gadget;
    fe.adapter.gadget_count = 1;
    load_from("[gadgets]\nlap_timer = 1,5\n");
    EXPECT_NE(saved().find("[gadgets]\nlap_timer = 1,5,1,0,0\nfps = 0,1,1,0,0\n"), std::string::npos);

    fe.adapter.gadgets = nullptr;
    fe.adapter.gadget_count = -2;  // hides the input display and the frame time
    load_from("[gadgets]\nframe_time = 1\nfps = 1\n");
    EXPECT_EQ(fe.settings.gadgets[GADGET_FRAME_TIME].enabled, 0) << "a hidden key is not read";
    free_ini(&fe.settings_doc);
    std::string text = saved();
    EXPECT_NE(text.find("\n[gadgets]\nfps = 1,1,1,0,0\n"), std::string::npos);
    EXPECT_EQ(text.find("frame_time"), std::string::npos);
    fe.adapter.gadget_count = -3;
    free_ini(&fe.settings_doc);
    EXPECT_EQ(saved().find("[gadgets]"), std::string::npos);
}

// The three text settings are stored only when the file gives them back
// as they are; otherwise the key keeps the value the document held (or
// stays out of it), and everything else is saved as usual.
TEST_F(SettingsTest, TextsThatWouldNotReadBackKeepTheirStoredValue) {
    const char previous[] = "[paths]\nrom = /roms/old.zip\nbrowse_dir = /roms\n[audio]\ndevice = Old Card\n";
    for (const char* text : {"a\nb", "a\rb", "\n", "\r", "/roms/x.zip\n", " a", "\ta", "a ", "a\t", " "}) {
        SCOPED_TRACE(text);
        load_from(previous);
        for (char* field : {fe.rom, fe.browse_dir, fe.settings.device}) snprintf(field, 64, "%s", text);
        fe.settings.volume = 33;
        std::string saved_text = saved();
        for (const char* line :
             {"\nrom = /roms/old.zip\n", "\nbrowse_dir = /roms\n", "\ndevice = Old Card\n", "\nvolume = 33\n"})
            EXPECT_NE(saved_text.find(line), std::string::npos) << line;
        EXPECT_EQ(malformed_lines(saved_text), std::vector<std::string>{});
        EXPECT_STREQ(fe.rom, text) << "the setting itself is left alone";

        free_ini(&fe.settings_doc);
        saved_text = saved();
        for (const char* key : {"\nrom =", "\nbrowse_dir =", "\ndevice ="})
            EXPECT_EQ(saved_text.find(key), std::string::npos) << "no entry before, none after: " << key;
        EXPECT_EQ(malformed_lines(saved_text), std::vector<std::string>{});
    }
    // Blanks and other control characters inside, and an empty text, read
    // back as they were written.
    for (const char* text : {"a b", "a\tb", "\va\f", "x = y", "#not a comment", ""}) {
        SCOPED_TRACE(text);
        load_from(previous);
        for (char* field : {fe.rom, fe.browse_dir, fe.settings.device}) snprintf(field, 64, "%s", text);
        load_from(saved());
        EXPECT_STREQ(fe.rom, text);
        EXPECT_STREQ(fe.browse_dir, text);
        EXPECT_STREQ(fe.settings.device, text);
    }
}

// A ROM in a folder whose name holds a line break, given on the command
// line or picked in the browser, is played, but the settings file keeps
// the ROM it named before and stays a file of whole lines.
TEST_F(SettingsTest, ARomInAFolderNamedWithALineBreakIsPlayedButNotStored) {
    for (const char* folder_name : {"new\nline", "carriage\rreturn"}) {
        SCOPED_TRACE(folder_name);
        std::string folder = dir + "/" + folder_name, rom = folder + "/talvex.zip";
        std::filesystem::create_directories(folder);
        write_fake_rom(rom, 0xCAFE0002);
        load_from("[paths]\nrom = /roms/old.zip\n[display]\nwindow_scale = 2\n");
        ASSERT_EQ(open_rom(rom.c_str()), 1);
        save_settings();
        std::string text = read_text(fe.settings_path);
        EXPECT_NE(text.find("\n[paths]\nrom = /roms/old.zip\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\n[display]\nwindow_scale = 2\n"), std::string::npos);
        EXPECT_EQ(malformed_lines(text), std::vector<std::string>{});
        EXPECT_EQ(fe.rom_loaded, 1);
        EXPECT_EQ(fake_game.fingerprint, 0xCAFE0002u);
        EXPECT_STREQ(fe.rom, rom.c_str()) << "this run goes on with the ROM it opened";
        open_rom("");
    }
}

// A ROM reached by a relative path is stored absolute, so that a start
// from another folder finds it, while this run goes on with the path as
// given; a relative path that leads to no file from here is stored as it
// stands, and an absolute one always is.
TEST_F(SettingsTest, ARelativeRomPathIsStoredAbsoluteWhenItLeadsToTheRomFromHere) {
    std::filesystem::create_directories(dir + "/roms");
    write_fake_rom(dir + "/roms/talvex.zip", 1);
    const std::string here = std::filesystem::canonical(dir).string();
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    const struct {
        std::string given, stored;
    } cases[] = {
        {"roms/talvex.zip", here + "/roms/talvex.zip"},
        {"./roms/../roms/talvex.zip", here + "/./roms/../roms/talvex.zip"},
        {"roms/missing.zip", "roms/missing.zip"},
        {"roms", "roms"},
        {dir + "/roms/talvex.zip", dir + "/roms/talvex.zip"},
        {"/roms/elsewhere.zip", "/roms/elsewhere.zip"},
    };
    for (const auto& c : cases) {
        load_from("[paths]\nrom = " + c.given + "\n");
        EXPECT_NE(saved().find("[paths]\nrom = " + c.stored + "\n"), std::string::npos) << c.given;
        EXPECT_EQ(fe.rom, c.given);
    }
    std::filesystem::current_path(before);
}

TEST_F(SettingsTest, AFailedSaveIsLoggedAndLeavesTheOldFile) {
    write_file(fe.settings_path, "[display]\nwindow_scale = 2\n");
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s/folder", dir.c_str());
    mkdir(fe.settings_path, 0755);
    save_settings();
    snprintf(fe.settings_path, sizeof fe.settings_path, "%s/none/settings.ini", dir.c_str());
    save_settings();
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"could not write settings to " + dir + "/folder",
                                                        "could not write settings to " + dir + "/none/settings.ini"}));
    EXPECT_EQ(read_text(dir + "/settings.ini"), "[display]\nwindow_scale = 2\n");
}

}  // namespace
