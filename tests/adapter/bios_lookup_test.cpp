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

std::string lookup(const char* game) {
    char out[ADAPTER_BIOS_PATH_SIZE];
    const char* found = find_bios_archive(game, out);
    return found ? found : "(none)";
}

}  // namespace

using BiosLookup = AdapterTest;

TEST_F(BiosLookup, OverrideThenEnvironmentThenFolderNamesInOrder) {
    std::string dir = synth_temp_dir();
    std::string game = dir + "/talvex.zip";
    EXPECT_EQ(lookup(game.c_str()), "(none)");
    for (const char* name : {"VOXA.ZIP", "VOXA.zip", "voxa.zip"}) {
        touch(dir + "/" + name);
        EXPECT_EQ(lookup(game.c_str()), dir + "/" + name);
    }
    setenv("VOXA_BIOS", "/somewhere/bios.zip", 1);
    EXPECT_EQ(lookup(game.c_str()), "/somewhere/bios.zip");
    setenv("VOXA_BIOS", "", 1);  // empty counts as unset
    EXPECT_EQ(lookup(game.c_str()), dir + "/voxa.zip");
    setenv("VOXA_BIOS", "/somewhere/bios.zip", 1);
    adapter_set_bios_override("/chosen/voxa.zip");
    EXPECT_EQ(lookup(game.c_str()), "/chosen/voxa.zip");
}

// A backslash is a separator too, kept with the folder; a relative game
// path (or none) looks in the working folder.
TEST_F(BiosLookup, SeparatorsAndRelativePaths) {
    std::string dir = synth_temp_dir();
    touch(dir + "/voxa.zip");
    touch(dir + "/sub\\voxa.zip");
    EXPECT_EQ(lookup((dir + "/sub\\talvex.zip").c_str()), dir + "/sub\\voxa.zip");
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    std::string plain = lookup("talvex.zip"), none = lookup(nullptr), beside = lookup("sub\\talvex.zip");
    ASSERT_EQ(chdir(old), 0);
    EXPECT_EQ(plain, "voxa.zip");
    EXPECT_EQ(none, "voxa.zip");
    EXPECT_EQ(beside, "sub\\voxa.zip");
}

// A path too long to keep whole is refused: nothing is looked for under a
// shortened name, not even beside a game archive whose folder holds a BIOS.
TEST_F(BiosLookup, OverlongPathsAreRefusedNeverCut) {
    std::string dir = synth_temp_dir();
    touch(dir + "/voxa.zip");
    std::string beside = dir + "/voxa.zip";
    EXPECT_EQ(lookup((dir + "/talvex.zip").c_str()), beside);
    std::string deep = dir + "/" + std::string(ADAPTER_PATH_LIMIT, 'a') + "/talvex.zip";
    EXPECT_EQ(lookup(deep.c_str()), "(none)");

    std::string long_bios(3000, 'b');  // fits: kept whole
    adapter_set_bios_override(long_bios.c_str());
    EXPECT_EQ(std::string(adapter_bios_override()), long_bios);
    setenv("VOXA_BIOS", beside.c_str(), 1);
    adapter_set_bios_override(std::string(ADAPTER_PATH_LIMIT, 'b').c_str());
    EXPECT_EQ(std::string(adapter_bios_override()), "");
    EXPECT_EQ(lookup((dir + "/talvex.zip").c_str()), "(none)") << "no other BIOS in its place";
    adapter_set_bios_override("");
    EXPECT_EQ(lookup((dir + "/talvex.zip").c_str()), beside);
}

// "--bios PATH" pairs leave argv (the last path wins); everything else keeps
// its order, and a trailing "--bios" without a path is passed on.
TEST_F(BiosLookup, BiosArgumentLeavesTheCommandLine) {
    struct Case {
        std::vector<std::string> in, out;
        const char* bios;
    };
    const Case cases[] = {
        {{"talvex", "--bios", "/a.zip", "--bios", "/b.zip", "game.zip"}, {"talvex", "game.zip"}, "/b.zip"},
        {{"talvex", "--fullscreen", "--bios"}, {"talvex", "--fullscreen", "--bios"}, ""},
        {{"talvex", "--scale", "3", "--bios", "x.zip", "--bios-extra", "--no-menu"},
         {"talvex", "--scale", "3", "--bios-extra", "--no-menu"},
         "x.zip"},
    };
    for (const Case& c : cases) {
        adapter_set_bios_override("");
        std::vector<std::vector<char>> storage;
        std::vector<char*> argv;
        for (const std::string& a : c.in) storage.emplace_back(a.c_str(), a.c_str() + a.size() + 1);
        for (auto& a : storage) argv.push_back(a.data());
        argv.push_back(nullptr);
        int argc = (int)c.in.size();
        adapter_take_bios_argument(&argc, argv.data());
        std::vector<std::string> got(argv.begin(), argv.begin() + argc);
        EXPECT_EQ(got, c.out) << c.in[1];
        EXPECT_EQ(argv[(size_t)argc], nullptr) << c.in[1];
        EXPECT_STREQ(adapter_bios_override(), c.bios) << c.in[1];
    }
}
