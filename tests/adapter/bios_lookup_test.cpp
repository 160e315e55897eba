// Where the BIOS archive comes from ("--bios", VOXA_BIOS, the game
// archive's folder) and how the "--bios" option leaves the command line.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/adapter/adapter_test_util.h"

namespace {

void touch(const std::string& path) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fclose(f);
}

}  // namespace

using BiosLookup = AdapterTest;

TEST_F(BiosLookup, OverrideThenEnvironmentThenFolder) {
    std::string dir = synth_temp_dir();
    touch(dir + "/voxa.zip");
    std::string game = dir + "/talvex.zip";
    char out[ADAPTER_BIOS_PATH_SIZE];

    const char* found = find_bios_archive(game.c_str(), out);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), dir + "/voxa.zip");

    setenv("VOXA_BIOS", "/somewhere/bios.zip", 1);
    EXPECT_STREQ(find_bios_archive(game.c_str(), out), "/somewhere/bios.zip");
    setenv("VOXA_BIOS", "", 1);  // empty counts as unset
    EXPECT_EQ(std::string(find_bios_archive(game.c_str(), out)), dir + "/voxa.zip");

    setenv("VOXA_BIOS", "/somewhere/bios.zip", 1);
    adapter_set_bios_override("/chosen/voxa.zip");
    EXPECT_STREQ(find_bios_archive(game.c_str(), out), "/chosen/voxa.zip");
}

TEST_F(BiosLookup, FolderNamesAreTriedInOrder) {
    std::string dir = synth_temp_dir();
    std::string game = dir + "/talvex.zip";
    char out[ADAPTER_BIOS_PATH_SIZE];
    EXPECT_EQ(find_bios_archive(game.c_str(), out), nullptr);
    touch(dir + "/VOXA.ZIP");
    EXPECT_EQ(std::string(find_bios_archive(game.c_str(), out)), dir + "/VOXA.ZIP");
    touch(dir + "/VOXA.zip");
    EXPECT_EQ(std::string(find_bios_archive(game.c_str(), out)), dir + "/VOXA.zip");
    touch(dir + "/voxa.zip");
    EXPECT_EQ(std::string(find_bios_archive(game.c_str(), out)), dir + "/voxa.zip");
}

TEST_F(BiosLookup, LaterSeparatorDecidesTheFolder) {
    // A backslash after the last slash ends the folder, separator included.
    std::string dir = synth_temp_dir();
    touch(dir + "/sub\\voxa.zip");
    char out[ADAPTER_BIOS_PATH_SIZE];
    std::string game = dir + "/sub\\talvex.zip";
    EXPECT_EQ(std::string(find_bios_archive(game.c_str(), out)), dir + "/sub\\voxa.zip");
}

TEST_F(BiosLookup, RelativePathsLookBesideTheGameArchive) {
    std::string dir = synth_temp_dir();
    touch(dir + "/voxa.zip");
    touch(dir + "/roms\\voxa.zip");
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    char out[ADAPTER_BIOS_PATH_SIZE];
    const char* found = find_bios_archive("talvex.zip", out);
    std::string got = found ? found : "(none)";
    const char* none = find_bios_archive(nullptr, out);
    std::string got_null = none ? none : "(none)";
    // A backslash is a separator too, kept with the folder.
    const char* beside = find_bios_archive("roms\\talvex.zip", out);
    std::string got_beside = beside ? beside : "(none)";
    ASSERT_EQ(chdir(old), 0);
    EXPECT_EQ(got, "voxa.zip");
    EXPECT_EQ(got_null, "voxa.zip");
    EXPECT_EQ(got_beside, "roms\\voxa.zip");
}

TEST_F(BiosLookup, OverlongPathsAreCutNotOverrun) {
    std::string game(3000, 'a');
    char out[ADAPTER_BIOS_PATH_SIZE];
    EXPECT_EQ(find_bios_archive(game.c_str(), out), nullptr);
    std::string bios(2000, 'b');
    adapter_set_bios_override(bios.c_str());
    EXPECT_EQ(std::string(adapter_bios_override()), std::string(1023, 'b'));
}

TEST(BiosArgument, PairsAreRemovedAndTheLastPathWins) {
    adapter_set_bios_override("");
    char a0[] = "talvex", a1[] = "--bios", a2[] = "/a.zip", a3[] = "--bios", a4[] = "/b.zip",
         a5[] = "game.zip";
    char* argv[] = {a0, a1, a2, a3, a4, a5, nullptr};
    int argc = 6;
    adapter_take_bios_argument(&argc, argv);
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[0], "talvex");
    EXPECT_STREQ(argv[1], "game.zip");
    EXPECT_EQ(argv[2], nullptr);
    EXPECT_STREQ(adapter_bios_override(), "/b.zip");
    adapter_set_bios_override("");
}

TEST(BiosArgument, TrailingOptionIsPassedOn) {
    adapter_set_bios_override("");
    char a0[] = "talvex", a1[] = "--fullscreen", a2[] = "--bios";
    char* argv[] = {a0, a1, a2, nullptr};
    int argc = 3;
    adapter_take_bios_argument(&argc, argv);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(argv[1], "--fullscreen");
    EXPECT_STREQ(argv[2], "--bios");
    EXPECT_STREQ(adapter_bios_override(), "");
}

TEST(BiosArgument, OtherArgumentsKeepTheirOrder) {
    adapter_set_bios_override("");
    char a0[] = "talvex", a1[] = "--scale", a2[] = "3", a3[] = "--bios", a4[] = "x.zip",
         a5[] = "--bios-extra", a6[] = "--no-menu";
    char* argv[] = {a0, a1, a2, a3, a4, a5, a6, nullptr};
    int argc = 7;
    adapter_take_bios_argument(&argc, argv);
    ASSERT_EQ(argc, 5);
    EXPECT_STREQ(argv[1], "--scale");
    EXPECT_STREQ(argv[2], "3");
    EXPECT_STREQ(argv[3], "--bios-extra");
    EXPECT_STREQ(argv[4], "--no-menu");
    EXPECT_EQ(argv[5], nullptr);
    EXPECT_STREQ(adapter_bios_override(), "x.zip");
    adapter_set_bios_override("");
}
