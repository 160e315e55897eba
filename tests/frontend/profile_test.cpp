// The game profile: the reader's messages with their line numbers, the
// values it stores, the search for the file, what the profile changes in
// the descriptor copy and the feature set with its log lines.
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "frontend/profile.h"
#include "tests/frontend/reader_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

int parse(GameProfile* p, const std::string& text) {
    std::vector<char> exact = exact_copy(text);
    return parse_profile_json(p, exact.data(), text.size());
}

std::string nested_arrays(int depth, const char* innermost) {
    return std::string((size_t)depth, '[') + innermost + std::string((size_t)depth, ']');
}

// players, aspect, rotation and integer_scale.
std::vector<double> numbers(const GameProfile& p) {
    return {(double)p.players, p.aspect, (double)p.rotation, (double)p.integer_scale};
}

TEST(ProfileReader, EveryMessageWithItsLine) {
    const std::string NOT_4_3 = "display.aspect must look like \"4:3\"";
    // clang-format off
    struct Case { std::string text, error; /* empty: accepted */ } cases[] = {
        {"", "line 1: expected an object"}, {"  \n\n", "line 3: expected an object"},
        {"{}\nx", "line 2: trailing data after the profile object"}, {"{} \n", ""},
        {"{\"players\": 9}", "players must be 1-8"}, {"{\n\"players\": -3}", "players must be 1-8"},
        // 0 is "not given"; numbers are truncated toward zero, and NaN is 0.
        {"{\"players\": 0}", ""}, {"{\"players\": -0.9}", ""}, {"{\"players\": nan}", ""},
        {"{\n\"display\": {\n\"aspect\": \"16x9\"}}", "line 3: " + NOT_4_3},
        {"{\"display\": {\"aspect\": \"nan:1\"}}", "line 1: " + NOT_4_3},
        {"{\"display\": {\"aspect\": \"4:0\"}}", "line 1: " + NOT_4_3},
        {"{\"display\": {\"aspect\": 5}}", "display.aspect is out of range"},
        {"{\"display\": {\"aspect\": -0.5}}", "display.aspect is out of range"},
        {"{\"display\": {\"aspect\": nan}}", ""},
        {"{\"features\": {\"rewind\": 1}}", "line 1: expected true or false"},
        {"{\"display\": {\"integer_scale\": nul}}", "line 1: expected true or false"},
        {"{\"x\": " + nested_arrays(33, "") + "}", ""},
        {"{\"x\": " + nested_arrays(33, "1") + "}", "line 1: nesting too deep"},
        {"{\"x\": " + nested_arrays(34, "") + "}", "line 1: nesting too deep"},
        {"{\"display\": {\"x\": " + nested_arrays(32, "") + "}}", ""},
        {"{\"display\": {\"x\": " + nested_arrays(33, "") + "}}", "line 1: nesting too deep"},
        {"{\"a\": 1,}", "line 1: expected a string"}, {"{\n\"display\": 5}", "line 2: expected an object"},
        {"{\"title\" \"x\"}", "line 1: expected ':'"}, {"{\"x\": {\"a\" 1}}", "line 1: expected ':'"},
        {"{\"title\": \"x\"\n \"y\": 1}", "line 2: expected ',' or '}'"},
        {"{\"title\": \"abc", "line 1: unterminated string"}, {"{\"title\": \"abc\\u", "line 1: unterminated string"},
        {"{\n  \"title\": \"x\",\n  \"players\": true\n}", "line 3: expected a number"},
        {"{\"x\": tru}", "line 1: expected a number"}, {"{\"x\": ", "line 1: unexpected end"},
        {"{\"x\": [1 2]}", "line 1: expected ',' or a closing bracket"},
        {"{\"x\": {\"a\": 1, \"b\": [true, false, null, \"s\", -2.5e3, {}], \"c\" : {\n}}, \"title\": \"T\"}", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        GameProfile p;
        int ok = parse(&p, c.text);
        EXPECT_EQ(ok, c.error.empty() ? 1 : 0);
        EXPECT_EQ(p.error, c.error);
        EXPECT_EQ(p.loaded, ok);
    }
}

TEST(ProfileReader, StoresTheValuesItReads) {
    GameProfile p;
    const char* text =
        "{\"id\": \"talvex\", \"title\": \"First\", \"subtitle\": \"\\u0041\\u00e9\", \"manufacturer\": \"M\","
        " \"year\": 1998.9, \"rom_hint\": \"t.zip\", \"players\": 0x2, \"display\": {\"aspect\": \"16:9\","
        " \"rotation\": 270, \"integer_scale\": true}, \"features\": {\"rewind\": false, \"widescreen\": true,"
        " \"nvram\": null, \"other\": 1}, \"title\": \"A\\\"b\\\\c\\/d\\ne\\tf\\x\"}";
    ASSERT_EQ(parse(&p, text), 1) << p.error;
    EXPECT_EQ(Lines({p.id, p.title, p.subtitle, p.manufacturer, p.year, p.rom_hint}),
              Lines({"talvex", "A\"b\\c/d\ne\tfx", "A?", "M", "1998", "t.zip"}));
    EXPECT_EQ(numbers(p), (std::vector<double>{2, 16.0 / 9.0, 270, 1}));
    EXPECT_EQ((std::vector<int>(p.features, p.features + FE_FEATURE_COUNT)),
              (std::vector<int>{-1, 0, -1, -1, -1, -1, -1, 1}));

    ASSERT_EQ(parse(&p, "{}"), 1);
    EXPECT_EQ(numbers(p), (std::vector<double>{0, 0, -1, -1})) << "what is not given";

    // Long strings are cut to their field; huge numbers saturate.
    std::string long_text = "{\"title\": \"" + std::string(200, 't') +
                            "\", \"year\": \"19981999199819991998\", \"display\": {\"rotation\": 1e300}}";
    ASSERT_EQ(parse(&p, long_text), 1);
    EXPECT_EQ(std::string(p.title), std::string(95, 't'));
    EXPECT_STREQ(p.year, "199819991998199");
    EXPECT_EQ(p.rotation, INT_MAX);
    ASSERT_EQ(parse(&p, "{\"year\": -1e99, \"display\": {\"rotation\": -inf}}"), 1);
    EXPECT_STREQ(p.year, "-2147483648");
    EXPECT_EQ(p.rotation, INT_MIN);
}

// Damaged profiles: the reader stays inside the text and its fields, and
// whatever it accepts has been validated.
TEST(ProfileReader, MutatedProfilesNeverEscapeTheirBuffers) {
    const std::string seed =
        "{\n  \"id\": \"talvex\",\n  \"title\": \"T\\u0041\\n\",\n  \"year\": 1998,\n  \"players\": 2,\n"
        "  \"display\": {\"aspect\": \"4:3\", \"rotation\": 90, \"integer_scale\": null},\n"
        "  \"features\": {\"rewind\": false, \"x\": [1, {\"y\": [true]}]},\n  \"other\": [[[\"\\\\\"]]]\n}\n";
    std::mt19937 rng(11);
    int accepted = 0;
    for (int round = 0; round < 5000; round++) {
        std::string text = damaged_copy(seed, "{}[]\":,\\ u0e9-.tfn\n", rng, 6);
        GameProfile p;
        if (parse(&p, text)) {
            accepted++;
            ASSERT_TRUE(p.loaded && p.players >= 0 && p.players <= 8) << text;
            ASSERT_TRUE(std::isnan(p.aspect) || (p.aspect >= 0 && p.aspect <= 4)) << text;
            ASSERT_LT(strnlen(p.title, sizeof p.title), sizeof p.title);
            ASSERT_LT(strnlen(p.year, sizeof p.year), sizeof p.year);
        } else if (strncmp(p.error, "line ", 5) == 0) {
            long line = strtol(p.error + 5, nullptr, 10);
            ASSERT_TRUE(line >= 1 && line <= 1 + std::count(text.begin(), text.end(), '\n')) << p.error << text;
        } else {
            ASSERT_TRUE(strcmp(p.error, "players must be 1-8") == 0 ||
                        strcmp(p.error, "display.aspect is out of range") == 0)
                << p.error;
        }
    }
    EXPECT_GT(accepted, 0);
}

class ProfileStepTest : public FrontendTest {
protected:
    std::string profile_file(const std::string& json, const std::string& name = "fakegame.json") {
        fs::create_directories(dir + "/profiles");
        write_file(dir + "/profiles/" + name, json);
        return dir + "/profiles/" + name;
    }
    // Runs the step over a fresh log: its feature lines go to `features`,
    // the other lines are returned.
    Lines run(const char* given = nullptr) {
        open_log(fe.log_path);
        run_profile_step(given);
        Lines others;
        features.clear();
        for (const std::string& l : log_messages()) (l.rfind("feature ", 0) == 0 ? features : others).push_back(l);
        return others;
    }
    std::vector<int> feature_on() { return std::vector<int>(fe.feature_on, fe.feature_on + FE_FEATURE_COUNT); }
    Lines features;
};

TEST_F(ProfileStepTest, AFeatureIsOnWhenSupportedAndNotRequestedOff) {
    EXPECT_EQ(run(), Lines{"profile: none found for 'fakegame' (using adapter defaults)"});
    // One line per feature in table order; the summary holds every name and outcome.
    ASSERT_EQ(features.size(), 8u);
    EXPECT_EQ(features[0], "feature save_states    requested=- supported=yes -> on");
    EXPECT_EQ(features[7], "feature widescreen     requested=- supported=no -> n/a");
    EXPECT_STREQ(fe.feature_summary,
                 "save_states: on,  rewind: on,  nvram: on,  input_movies: on,  gadgets: on,  input_display: on,  "
                 "screenshots: on,  widescreen: n/a");
    EXPECT_EQ(feature_on(), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(fe.profile.loaded, 0);
    EXPECT_EQ(std::string(feature_name(-1)) + feature_name(FE_FEATURE_COUNT), "??") << "no name outside the table";

    // Without a snapshot operation the three snapshot features are
    // unsupported, without an NVRAM operation the NVRAM.
    fe.adapter.check_snapshot = nullptr;
    fe.adapter.load_nvram = nullptr;
    profile_file("{\"features\": {\"save_states\": true, \"nvram\": false, \"gadgets\": false, \"widescreen\": true}}");
    run();
    ASSERT_EQ(features.size(), 8u);
    EXPECT_EQ(features[0], "feature save_states    requested=yes supported=no -> unsupported");
    EXPECT_EQ(features[2], "feature nvram          requested=no supported=no -> n/a");
    EXPECT_EQ(features[4], "feature gadgets        requested=no supported=yes -> off");
    EXPECT_STREQ(fe.feature_summary,
                 "save_states: unsupported,  rewind: n/a,  nvram: n/a,  input_movies: n/a,  gadgets: off,  "
                 "input_display: on,  screenshots: on,  widescreen: unsupported");
    EXPECT_EQ(feature_on(), (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 0}));
}

TEST_F(ProfileStepTest, AProfileAdjustsTheDescriptorCopy) {
    std::string path = profile_file(
        "{\"id\": \"fakegame\", \"title\": \"Profile Title\", \"subtitle\": \"Sub\","
        " \"rom_hint\": \"other.zip\", \"players\": 4, \"display\": {\"aspect\": \"16:9\"}}");
    EXPECT_EQ(run(), (Lines{"profile: " + path, "profile asks for 4 players; the adapter defines 2 (adapter wins)"}));
    EXPECT_EQ(Lines({fe.adapter.title, fe.adapter.subtitle, fe.adapter.rom_archive_name, fe.profile.path}),
              Lines({"Profile Title", "Sub", "other.zip", path}));
    EXPECT_DOUBLE_EQ(fe.adapter.display_aspect, 16.0 / 9.0);
    EXPECT_EQ(fe.adapter.players, 2u);
}

TEST_F(ProfileStepTest, RotationMustBeAMultipleOfNinety) {
    // Quarter turns; the descriptor's own is 2. A line of its own, or none.
    // clang-format off
    struct Case { const char* rotation; uint32_t expected; const char* line; } cases[] = {
        {"270", 3, nullptr}, {"450", 1, nullptr}, {"0", 0, nullptr}, {"-90", 2, nullptr},
        {"45", 2, "profile rotation 45 is not a multiple of 90; ignored"},
        {"1e300", 2, "profile rotation 2147483647 is not a multiple of 90; ignored"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        std::string path = profile_file(std::string("{\"display\": {\"rotation\": ") + c.rotation + "}}");
        fe.adapter.rotation = 2;
        Lines expected{"profile: " + path};
        if (c.line) expected.push_back(c.line);
        EXPECT_EQ(run(), expected);
        EXPECT_EQ(fe.adapter.rotation, c.expected);
    }
}

TEST_F(ProfileStepTest, RejectedAndForeignProfilesAreIgnoredWhole) {
    std::string path = profile_file("{\"title\": \"Broken\",\n");
    EXPECT_EQ(run(), Lines{"profile " + path + " rejected: line 2: expected a string (using adapter defaults)"});
    EXPECT_STREQ(fe.adapter.title, "Fake Game: Test Card");
    EXPECT_TRUE(fe.profile.loaded == 0 && fe.profile.title[0] == '\0') << "the rejected profile is zeroed";

    profile_file("{\"id\": \"othergame\", \"title\": \"Other\", \"features\": {\"rewind\": false}}");
    EXPECT_EQ(run(), (Lines{"profile: " + path, "profile id 'othergame' does not match game 'fakegame'; ignoring it"}));
    EXPECT_STREQ(fe.adapter.title, "Fake Game: Test Card");
    EXPECT_EQ(fe.feature_on[FEATURE_REWIND], 1) << "the foreign profile's features do not count";

    GameProfile p;
    memset(&p, 0x55, sizeof p);
    EXPECT_EQ(load_profile_file(&p, (dir + "/missing.json").c_str()), 0);
    EXPECT_EQ(std::string(p.error), "cannot read " + dir + "/missing.json");
    EXPECT_TRUE(p.loaded == 0 && p.title[0] == '\0');
}

TEST_F(ProfileStepTest, TheGivenFileThenTheDataFolderUnderTheProfileId) {
    std::string in_data = profile_file("{\"title\": \"From Data\"}");
    std::string given = dir + "/given.json";
    write_file(given, "{\"title\": \"Given\"}");
    EXPECT_EQ(run(given.c_str()), Lines{"profile: " + given});
    EXPECT_STREQ(fe.adapter.title, "Given");
    for (std::string missing : {dir + "/nothing.json", dir}) {  // not there, or a folder: no line of its own
        fe.adapter = fake_adapter();
        EXPECT_EQ(run(missing.c_str()), Lines{"profile: " + in_data});
        EXPECT_STREQ(fe.adapter.title, "From Data");
    }
    fe.adapter = fake_adapter();
    fe.adapter.profile_id = nullptr;  // the game id names the file
    run();
    EXPECT_STREQ(fe.adapter.title, "From Data");

    fe.adapter = fake_adapter();
    fe.adapter.profile_id = "special";
    EXPECT_EQ(run(), Lines{"profile: none found for 'special' (using adapter defaults)"});
    // The id inside is still checked against the game's own.
    std::string special = profile_file("{\"id\": \"fakegame\", \"title\": \"Special\"}", "special.json");
    EXPECT_EQ(run(), Lines{"profile: " + special});
    EXPECT_STREQ(fe.adapter.title, "Special");
}

// The executable's "profiles" folder, and the shared folder beside it. A
// game id of its own keeps other tests from seeing the files; the folders
// made here are removed again.
TEST_F(ProfileStepTest, TheExecutableFolderAndTheSharedFolderBesideIt) {
    char* sdl_base = SDL_GetBasePath();
    ASSERT_NE(sdl_base, nullptr);
    std::string base = sdl_base, id = "exe-folder-profile-test";
    SDL_free(sdl_base);
    fe.adapter.id = id.c_str();
    fe.adapter.profile_id = nullptr;
    for (std::string folder : {base + "profiles", base + "../share/" + id + "/profiles"}) {
        fs::path made;
        for (fs::path p = folder; !fs::exists(p); p = p.parent_path()) made = p;
        fs::create_directories(folder);
        std::string path = folder + "/" + id + ".json";
        write_file(path, "{\"title\": \"Found\"}");
        Lines lines = run();
        fs::remove(path);
        if (!made.empty()) fs::remove_all(made);
        EXPECT_EQ(lines, Lines{"profile: " + path});
        EXPECT_STREQ(fe.adapter.title, "Found");
    }
}

}  // namespace
