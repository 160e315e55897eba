// The ROM browser: what a folder lists under each filter, entering folders
// and going up to the starting locations, picking an archive, the folder's
// own ROM, the start folder's fallbacks, an unreadable folder reported
// once, and the listing freed on every way out of the screen.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "tests/menus/menu_fixture.h"

namespace {

class RomBrowserTest : public MenuTest {
protected:
    std::string roms;  // a folder of archives, folders and other files
    std::optional<std::string> saved_home;

    void SetUp() override {
        MenuTest::SetUp();
        if (const char* h = getenv("HOME")) saved_home = h;
        roms = dir + "/roms";
        for (const char* sub : {"", "/sub", "/empty", "/other"}) std::filesystem::create_directories(roms + sub);
        write_fake_rom(roms + "/fake.zip", 0x11111111);
        write_fake_rom(roms + "/sub/inner.zip", 0x22222222);
        write_fake_rom(roms + "/other/FAKE.zip", 0x33333333);
        for (const char* name : {"a.zip", "B.ZIP", "c.Zip", "notes.txt", "abc", ".hidden.zip"})
            std::ofstream(roms + "/" + name) << "junk";
        browse(roms);
    }
    void TearDown() override {
        saved_home ? setenv("HOME", saved_home->c_str(), 1) : unsetenv("HOME");
        MenuTest::TearDown();
    }

    static void browse(const std::string& folder) {
        snprintf(fe.browse_dir, sizeof fe.browse_dir, "%s", folder.c_str());
    }
    void open_browser() { show(SCREEN_ROM_SELECTION); }
    void expect_listing_freed() {
        EXPECT_EQ(std::tuple((void*)fe.browse_entries, fe.browse_count, fe.browse_locations),
                  std::tuple(nullptr, 0, 0));
    }
    int cursor() const { return fe.menu.cursor[SCREEN_ROM_SELECTION]; }
};

TEST(IsZipName, FourCharactersEndingInZipInAnyCase) {
    for (const char* yes : {"a.zip", "B.ZIP", ".Zip"}) EXPECT_TRUE(is_zip_name(yes)) << yes;
    for (const char* no : {"zip", "zip.zi", "a.zipx", ""}) EXPECT_FALSE(is_zip_name(no)) << no;
}

TEST_F(RomBrowserTest, AFolderListsFoldersThenArchivesOrEveryFile) {
    open_browser();
    expect_rows({
        {".. (parent folder)", "", "Go up one level."},
        {"Use this folder's ROM", "fake.zip", roms + "/fake.zip"},
        {"Show", "ZIP archives", "Toggle between ZIP archives only and every file."},
        {"empty/", "folder", ""},
        {"other/", "folder", ""},
        {"sub/", "folder", ""},
        {"a.zip", "zip", ""},
        {"B.ZIP", "zip", ""},
        {"c.Zip", "zip", ""},
        {"fake.zip", "expected name", ""},
    });

    enter("Show");
    EXPECT_EQ(fe.browse_filter, 1);
    pass();
    EXPECT_EQ(row("Show").value, "All files");
    EXPECT_EQ(labels(),
              (std::vector<std::string>{".. (parent folder)", "Use this folder's ROM", "Show", "empty/", "other/",
                                        "sub/", "a.zip", "abc", "B.ZIP", "c.Zip", "fake.zip", "notes.txt"}));
    EXPECT_TRUE(row("abc").has_value);
    EXPECT_EQ(row("abc").value, "");
    right("Show");
    left("Show");
    EXPECT_EQ(fe.browse_filter, 1) << "Left and Right do not touch the filter";

    // The expected name is case-sensitive, and only it offers the folder's ROM.
    press_back();
    browse(roms + "/other");
    open_browser();
    EXPECT_EQ(labels(), (std::vector<std::string>{".. (parent folder)", "Show", "FAKE.zip"}));
    EXPECT_EQ(row("FAKE.zip").value, "zip");
}

TEST_F(RomBrowserTest, EnteringAndLeavingFoldersRestartsTheCursor) {
    open_browser();
    enter("sub/");
    EXPECT_EQ(std::string(fe.browse_dir), roms + "/sub");
    EXPECT_EQ(cursor(), 0);
    pass();
    EXPECT_EQ(labels(), (std::vector<std::string>{".. (parent folder)", "Show", "inner.zip"}));

    fe.menu.cursor[SCREEN_ROM_SELECTION] = 2;
    enter(".. (parent folder)");
    EXPECT_EQ(rows.size(), 1u) << "the pass ends with the parent row";
    EXPECT_EQ(std::string(fe.browse_dir), roms);
    EXPECT_EQ(cursor(), 0);
    EXPECT_FALSE(settings_written());
}

TEST_F(RomBrowserTest, UpFromTheRootShowsTheLocationsWhichOpenAsFolders) {
    setenv("HOME", roms.c_str(), 1);
    browse("/");
    open_browser();
    enter(".. (parent folder)");
    EXPECT_EQ(fe.browse_locations, 1);
    EXPECT_EQ(cursor(), 0);
    pass();
    ASSERT_GE(rows.size(), 3u);
    std::vector<std::string> first = labels();
    first.resize(3);
    EXPECT_EQ(first, (std::vector<std::string>{"(locations)", "Show", roms + "/"}));
    EXPECT_EQ(rows[2].value, "folder");
    EXPECT_NE(index_of("/"), -1) << "the root is a location, its slash shown once";
    EXPECT_EQ(index_of("//"), -1);
    EXPECT_EQ(index_of("Use this folder's ROM"), -1);

    enter("(locations)");
    EXPECT_EQ(fe.browse_locations, 1);
    EXPECT_STREQ(fe.browse_dir, "/");

    enter(roms + "/");
    EXPECT_EQ(fe.browse_locations, 0);
    EXPECT_EQ(std::string(fe.browse_dir), roms);
    pass();
    EXPECT_EQ(rows[1].label, "Use this folder's ROM");
}

TEST_F(RomBrowserTest, PickingAnArchiveWithoutAGameOpensItAndLeaves) {
    for (const char* row : {"fake.zip", "Use this folder's ROM"}) {
        SCOPED_TRACE(row);
        fe.rom[0] = fe.toast_text[0] = '\0';
        remove(fe.settings_path);
        open_browser();
        enter("a.zip");
        EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
        EXPECT_STREQ(fe.message_title, "ROM not usable");
        EXPECT_NE(fe.browse_entries, nullptr) << "the browser is still open under the message";

        fe.screen_depth = 2;
        enter(row);
        EXPECT_EQ(fe.rom_loaded, 1);
        EXPECT_EQ(std::string(fe.rom), roms + "/fake.zip");
        EXPECT_EQ(toast(), "ROM ready: fake.zip");
        EXPECT_EQ(fe.screen_depth, 1);
        expect_listing_freed();
        EXPECT_TRUE(settings_have("browse_dir = " + roms));
    }
}

TEST_F(RomBrowserTest, PickingDuringAGameAsksAndKeepsTheListingMeanwhile) {
    load_fake_game_running();
    open_browser();
    enter("fake.zip");
    expect_confirm(CONFIRM_SWITCH_ROM, 0, "Switch to fake.zip? The current game will end.");
    EXPECT_EQ(std::string(fe.pending_rom_path), roms + "/fake.zip");
    EXPECT_NE(fe.browse_entries, nullptr);

    // The confirmed switch returns the menus to the main menu alone; the
    // main loop's pass then lets the listing go.
    fe.screen_depth = 1;
    main_loop_pass();
    expect_listing_freed();
}

TEST_F(RomBrowserTest, TheListingIsFreedOnEveryWayOut) {
    open_browser();
    enter("sub/");
    expect_back_writes({"browse_dir = " + roms + "/sub"});
    expect_listing_freed();
    open_browser();
    EXPECT_EQ(labels().back(), "inner.zip") << "the next visit starts again from the folder left";

    browse("/");
    open_browser();
    enter(".. (parent folder)");
    EXPECT_EQ(fe.browse_locations, 1);
    press_back();
    expect_listing_freed();

    // Not under an overlay; when the menu closes.
    open_browser();
    fe.screen_stack[2] = SCREEN_MESSAGE;
    fe.screen_depth = 3;
    main_loop_pass();
    EXPECT_NE(fe.browse_entries, nullptr);
    close_menu_and_resume();
    main_loop_pass();
    expect_listing_freed();
}

TEST_F(RomBrowserTest, StartFolderFallsBackToTheRomsFolderThenHome) {
    browse(roms + "/gone");
    snprintf(fe.rom, sizeof fe.rom, "%s/sub/inner.zip", roms.c_str());
    open_browser();
    EXPECT_EQ(std::string(fe.browse_dir), roms + "/sub");
    press_back();

    browse(roms + "/gone");
    snprintf(fe.rom, sizeof fe.rom, "%s/gone/x.zip", roms.c_str());
    setenv("HOME", (roms + "/other").c_str(), 1);
    open_browser();
    EXPECT_EQ(std::string(fe.browse_dir), roms + "/other");
    press_back();

    fe.browse_dir[0] = '\0';
    fe.rom[0] = '\0';
    open_browser();
    EXPECT_EQ(std::string(fe.browse_dir), roms + "/other");
}

TEST_F(RomBrowserTest, AFolderThatCannotBeListedIsReportedOnce) {
    std::string missing = dir + "/missing";
    setenv("HOME", missing.c_str(), 1);
    fe.browse_dir[0] = '\0';
    open_browser();
    EXPECT_EQ(toast(), "Cannot open " + missing);
    EXPECT_EQ(labels(), (std::vector<std::string>{".. (parent folder)", "Show"}));

    // Each pass tries again without a new report, and the cursor can move.
    fe.toast_text[0] = '\0';
    fe.menu_input.down = 1;
    pass();
    pass();
    pass();
    EXPECT_EQ(toast(), "");
    EXPECT_EQ(cursor(), 1);
    std::vector<std::string> log = log_messages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Cannot open " + missing), 1);

    std::filesystem::create_directories(missing + "/inside");
    pass();
    EXPECT_EQ(labels().back(), "inside/") << "once it can be listed, it is shown";

    press_back();
    std::filesystem::remove_all(missing);
    fe.browse_dir[0] = '\0';
    open_browser();
    EXPECT_EQ(toast(), "Cannot open " + missing) << "a new visit reports a failing folder again";
}

}  // namespace
