// The game profile: the reader's messages with their line numbers, the
// values it stores, the search for the file, what the profile changes in
// the descriptor copy and the feature set with its log lines.
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "frontend/profile.h"
#include "tests/frontend/reader_test_util.h"
#include "tests/frontend/support/frontend_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Parsed {
    int ok;
    GameProfile p;
};

Parsed parse(const std::string& text) {
    Parsed r{};
    r.ok = parse_profile_json(&r.p, text.c_str(), text.size());
    return r;
}

std::string nested_arrays(int depth, const char* innermost) {
    return std::string((size_t)depth, '[') + innermost + std::string((size_t)depth, ']');
}

TEST(ProfileReader, EveryMessageWithItsLine) {
    struct Case {
        std::string text;
        const char* error;  // empty: accepted
    } cases[] = {
        {"", "line 1: expected an object"},
        {"  \n\n", "line 3: expected an object"},
        {"{}\nx", "line 2: trailing data after the profile object"},
        {"{} \n", ""},
        {"{\"players\": 9}", "players must be 1-8"},
        {"{\n\"players\": -3}", "players must be 1-8"},
        {"{\"players\": 0}", ""},
        {"{\n\"display\": {\n\"aspect\": \"16x9\"}}", "line 3: display.aspect must look like \"4:3\""},
        {"{\"display\": {\"aspect\": 5}}", "display.aspect is out of range"},
        {"{\"display\": {\"aspect\": -0.5}}", "display.aspect is out of range"},
        {"{\"features\": {\"rewind\": 1}}", "line 1: expected true or false"},
        {"{\"x\": " + nested_arrays(33, "") + "}", ""},
        {"{\"x\": " + nested_arrays(33, "1") + "}", "line 1: nesting too deep"},
        {"{\"x\": " + nested_arrays(34, "") + "}", "line 1: nesting too deep"},
        {"{\"display\": {\"x\": " + nested_arrays(32, "") + "}}", ""},
        {"{\"display\": {\"x\": " + nested_arrays(33, "") + "}}", "line 1: nesting too deep"},
        {"{\"a\": 1,}", "line 1: expected a string"},
        {"{\n\"display\": 5}", "line 2: expected an object"},
        {"{\"title\" \"x\"}", "line 1: expected ':'"},
        {"{\"title\": \"x\"\n \"y\": 1}", "line 2: expected ',' or '}'"},
        {"{\"title\": \"x\"", "line 1: expected ',' or '}'"},
        {"{\"title\": \"abc", "line 1: unterminated string"},
        {"{\"title\": \"abc\\", "line 1: unterminated string"},
        {"{\n  \"title\": \"x\",\n  \"players\": true\n}", "line 3: expected a number"},
        {"{\"x\": ", "line 1: unexpected end"},
        {"{\"x\": [1 2]}", "line 1: expected ',' or a closing bracket"},
        {"{\"x\": {\"a\" 1}}", "line 1: expected ':'"},
        {"{\"x\": {\"a\": 1, \"b\": [true, false, null, \"s\", -2.5e3, {}], \"c\" : {\n}}, \"title\": \"T\"}", ""},
        {"{\"x\": tru}", "line 1: expected a number"},
        {"{\"display\": {\"integer_scale\": nul}}", "line 1: expected true or false"},
        {"{\"players\": 1e300}", "players must be 1-8"},
        {"{\"players\": -inf}", "players must be 1-8"},
        {"{\"players\": nan}", ""},
        {"{\"display\": {\"aspect\": \"inf:1\"}}", "display.aspect is out of range"},
        {"{\"display\": {\"aspect\": \"nan:1\"}}", "line 1: display.aspect must look like \"4:3\""},
        {"{\"display\": {\"aspect\": \"4:0\"}}", "line 1: display.aspect must look like \"4:3\""},
        {"{\"display\": {\"aspect\": \"4:\"}}", "line 1: display.aspect must look like \"4:3\""},
    };
    for (const Case& c : cases) {
        Parsed r = parse(c.text);
        EXPECT_EQ(r.ok, c.error[0] ? 0 : 1) << c.text;
        EXPECT_STREQ(r.p.error, c.error) << c.text;
        EXPECT_EQ(r.p.loaded, r.ok);
    }
}

TEST(ProfileReader, StoresTheValuesItReads) {
    Parsed r = parse("{\"id\": \"talvex\", \"title\": \"First\", \"subtitle\": \"\\u0041\\u00e9\","
                     " \"manufacturer\": \"M\", \"year\": 1998.9, \"rom_hint\": \"t.zip\", \"players\": 0x2,"
                     " \"display\": {\"aspect\": \"16:9\", \"rotation\": 270, \"integer_scale\": true},"
                     " \"features\": {\"rewind\": false, \"widescreen\": true, \"nvram\": null, \"other\": 1},"
                     " \"title\": \"A\\\"b\\\\c\\/d\\ne\\tf\\x\"}");
    ASSERT_EQ(r.ok, 1) << r.p.error;
    EXPECT_STREQ(r.p.id, "talvex");
    EXPECT_STREQ(r.p.title, "A\"b\\c/d\ne\tfx");
    EXPECT_STREQ(r.p.subtitle, "A?");
    EXPECT_STREQ(r.p.manufacturer, "M");
    EXPECT_STREQ(r.p.year, "1998") << "a number year is written with %d";
    EXPECT_STREQ(r.p.rom_hint, "t.zip");
    EXPECT_EQ(r.p.players, 2);
    EXPECT_DOUBLE_EQ(r.p.aspect, 16.0 / 9.0);
    EXPECT_EQ(r.p.rotation, 270);
    EXPECT_EQ(r.p.integer_scale, 1);
    EXPECT_EQ((std::vector<int>(r.p.features, r.p.features + FE_FEATURE_COUNT)),
              (std::vector<int>{-1, 0, -1, -1, -1, -1, -1, 1}));

    // What is not given keeps its "not given" value.
    r = parse("{}");
    ASSERT_EQ(r.ok, 1);
    EXPECT_EQ(r.p.rotation, -1);
    EXPECT_EQ(r.p.integer_scale, -1);
    EXPECT_EQ(r.p.players, 0);
    EXPECT_EQ(r.p.aspect, 0.0);

    // Long strings are cut to their field; huge numbers saturate.
    r = parse("{\"title\": \"" + std::string(200, 't') + "\", \"year\": \"19981999199819991998\","
              " \"display\": {\"rotation\": 1e300, \"aspect\": nan}}");
    ASSERT_EQ(r.ok, 1) << r.p.error;
    EXPECT_EQ(std::string(r.p.title), std::string(95, 't'));
    EXPECT_STREQ(r.p.year, "199819991998199");
    EXPECT_EQ(r.p.rotation, INT_MAX);
    EXPECT_TRUE(std::isnan(r.p.aspect));
    r = parse("{\"year\": -1e99, \"display\": {\"rotation\": -inf}}");
    EXPECT_STREQ(r.p.year, "-2147483648");
    EXPECT_EQ(r.p.rotation, INT_MIN);
    EXPECT_EQ(profile_number_to_int(-2.9), -2);
    EXPECT_EQ(profile_number_to_int(NAN), 0);
}

TEST(ProfileReader, CursorOperationsStopAtTheEnd) {
    std::string text = "\"ab\\u";
    JsonCursor c = json_cursor(text.c_str(), text.size());
    char buf[8] = "junk";
    json_parse_string(&c, buf, sizeof buf);
    EXPECT_EQ(c.failed, 1);
    EXPECT_STREQ(c.message, "unterminated string");
    EXPECT_EQ(memcmp(buf, "ab\0", 3), 0) << "a \\u at the very end stores a zero byte";
    EXPECT_EQ(c.cur, c.end);
    json_parse_string(&c, buf, sizeof buf);  // nothing more once failed
    EXPECT_STREQ(c.message, "unterminated string");

    text = "tru";
    c = json_cursor(text.c_str(), text.size());
    EXPECT_EQ(json_match_literal(&c, "true"), 0) << "the word must fit in what is left";
    EXPECT_EQ(json_parse_tristate(&c), -1);
    EXPECT_STREQ(c.message, "expected true or false");

    text = "\"0123456789\"";
    c = json_cursor(text.c_str(), text.size());
    char small[4];
    json_parse_string(&c, small, sizeof small);
    EXPECT_STREQ(small, "012");
    EXPECT_EQ(c.failed, 0);

    for (int i = -1; i <= FE_FEATURE_COUNT; i++) EXPECT_STRNE(feature_name(i), "") << i;
    EXPECT_STREQ(feature_name(-1), "?");
    EXPECT_STREQ(feature_name(FE_FEATURE_COUNT), "?");
    EXPECT_STREQ(feature_name(FEATURE_INPUT_MOVIES), "input_movies");
}

// Damaged profiles: the reader stays inside the text and its fields, and
// whatever it accepts has been validated.
TEST(ProfileReader, MutatedProfilesNeverEscapeTheirBuffers) {
    const std::string seed =
        "{\n  \"id\": \"talvex\",\n  \"title\": \"T\\u0041\\n\",\n  \"year\": 1998,\n  \"players\": 2,\n"
        "  \"display\": {\"aspect\": \"4:3\", \"rotation\": 90, \"integer_scale\": null},\n"
        "  \"features\": {\"rewind\": false, \"x\": [1, {\"y\": [true]}]},\n  \"other\": [[[\"\\\\\"]]]\n}\n";
    const std::string alphabet = "{}[]\":,\\ u0e9-.tfn\n";
    std::mt19937 rng(11);
    int accepted = 0;
    for (int round = 0; round < 5000; round++) {
        std::string text = damaged_copy(seed, alphabet, rng, 6);
        // An exact-size copy, so that any read past the text is caught.
        std::vector<char> exact(text.begin(), text.end());
        exact.push_back('\0');
        GameProfile p;
        int ok = parse_profile_json(&p, exact.data(), text.size());
        if (ok) {
            accepted++;
            ASSERT_EQ(p.loaded, 1);
            ASSERT_TRUE(p.players >= 0 && p.players <= 8);
            ASSERT_TRUE(std::isnan(p.aspect) || (p.aspect >= 0 && p.aspect <= 4));
            ASSERT_LT(strnlen(p.title, sizeof p.title), sizeof p.title);
            ASSERT_LT(strnlen(p.year, sizeof p.year), sizeof p.year);
        } else {
            std::string error = p.error;
            if (error.rfind("line ", 0) == 0) {
                long line = strtol(error.c_str() + 5, nullptr, 10);
                ASSERT_GE(line, 1);
                ASSERT_LE(line, 1 + std::count(text.begin(), text.end(), '\n')) << text;
            } else {
                ASSERT_TRUE(error == "players must be 1-8" || error == "display.aspect is out of range") << error;
            }
        }
    }
    EXPECT_GT(accepted, 0);
}

class ProfileStepTest : public FrontendTest {
protected:
    std::string profile_file(const std::string& name, const std::string& json) {
        fs::create_directories(dir + "/profiles");
        std::string path = dir + "/profiles/" + name;
        write_file(path, json);
        return path;
    }
    std::vector<std::string> feature_lines() {
        std::vector<std::string> lines;
        for (const std::string& l : log_messages())
            if (l.rfind("feature ", 0) == 0) lines.push_back(l);
        return lines;
    }
    std::vector<std::string> other_lines() {
        std::vector<std::string> lines;
        for (const std::string& l : log_messages())
            if (l.rfind("feature ", 0) != 0) lines.push_back(l);
        return lines;
    }
};

TEST_F(ProfileStepTest, WithoutAProfileEverySupportedFeatureIsOn) {
    run_profile_step(nullptr);
    EXPECT_EQ(other_lines(), (std::vector<std::string>{"profile: none found for 'fakegame' (using adapter defaults)"}));
    EXPECT_EQ(feature_lines(), (std::vector<std::string>{
                                   "feature save_states    requested=- supported=yes -> on",
                                   "feature rewind         requested=- supported=yes -> on",
                                   "feature nvram          requested=- supported=yes -> on",
                                   "feature input_movies   requested=- supported=yes -> on",
                                   "feature gadgets        requested=- supported=yes -> on",
                                   "feature input_display  requested=- supported=yes -> on",
                                   "feature screenshots    requested=- supported=yes -> on",
                                   "feature widescreen     requested=- supported=no -> n/a",
                               }));
    EXPECT_STREQ(fe.feature_summary,
                 "save_states: on,  rewind: on,  nvram: on,  input_movies: on,  gadgets: on,  input_display: on,  "
                 "screenshots: on,  widescreen: n/a");
    EXPECT_EQ((std::vector<int>(fe.feature_on, fe.feature_on + FE_FEATURE_COUNT)),
              (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(fe.profile.loaded, 0);
}

TEST_F(ProfileStepTest, AProfileAdjustsTheDescriptorCopy) {
    std::string path = profile_file("fakegame.json",
                                    "{\"id\": \"fakegame\", \"title\": \"Profile Title\", \"subtitle\": \"Sub\","
                                    " \"rom_hint\": \"other.zip\", \"players\": 4,"
                                    " \"display\": {\"aspect\": \"16:9\", \"rotation\": 270},"
                                    " \"features\": {\"rewind\": false, \"widescreen\": true}}");
    run_profile_step(nullptr);
    EXPECT_EQ(other_lines(), (std::vector<std::string>{
                                 "profile: " + path,
                                 "profile asks for 4 players; the adapter defines 2 (adapter wins)",
                             }));
    std::vector<std::string> features = feature_lines();
    ASSERT_EQ(features.size(), 8u);
    EXPECT_EQ(features[1], "feature rewind         requested=no supported=yes -> off");
    EXPECT_EQ(features[7], "feature widescreen     requested=yes supported=no -> unsupported");
    EXPECT_EQ(fe.feature_on[FEATURE_REWIND], 0);
    EXPECT_EQ(fe.feature_on[FEATURE_SAVE_STATES], 1);
    EXPECT_NE(strstr(fe.feature_summary, "rewind: off,  nvram: on"), nullptr);
    EXPECT_NE(strstr(fe.feature_summary, "widescreen: unsupported"), nullptr);
    EXPECT_EQ(fe.adapter.title, fe.profile.title) << "the copy points into the profile";
    EXPECT_STREQ(fe.adapter.title, "Profile Title");
    EXPECT_STREQ(fe.adapter.subtitle, "Sub");
    EXPECT_STREQ(fe.adapter.rom_archive_name, "other.zip");
    EXPECT_DOUBLE_EQ(fe.adapter.display_aspect, 16.0 / 9.0);
    EXPECT_EQ(fe.adapter.rotation, 3u);
    EXPECT_EQ(fe.adapter.players, 2u);
    EXPECT_STREQ(fe.profile.path, path.c_str());
}

TEST_F(ProfileStepTest, RotationMustBeAMultipleOfNinety) {
    struct Case {
        const char* rotation;
        uint32_t expected;
        const char* line;  // null: no line of its own
    } cases[] = {
        {"45", 1, "profile rotation 45 is not a multiple of 90; ignored"},
        {"-90", 1, nullptr},
        {"450", 1, nullptr},
        {"180", 2, nullptr},
        {"0", 0, nullptr},
        {"1e300", 1, "profile rotation 2147483647 is not a multiple of 90; ignored"},
    };
    for (const Case& c : cases) {
        std::string json = std::string("{\"display\": {\"rotation\": ") + c.rotation + "}}";
        std::string path = profile_file("fakegame.json", json);
        open_log(fe.log_path);
        fe.adapter = fake_adapter();
        fe.adapter.rotation = 1;
        run_profile_step(nullptr);
        EXPECT_EQ(fe.adapter.rotation, c.expected) << c.rotation;
        std::vector<std::string> expected{"profile: " + path};
        if (c.line) expected.push_back(c.line);
        EXPECT_EQ(other_lines(), expected) << c.rotation;
    }
}

TEST_F(ProfileStepTest, RejectedAndForeignProfilesAreIgnoredWhole) {
    std::string path = profile_file("fakegame.json", "{\"title\": \"Broken\",\n");
    run_profile_step(nullptr);
    std::string rejected = "profile " + path + " rejected: line 2: expected a string (using adapter defaults)";
    EXPECT_EQ(other_lines(), std::vector<std::string>{rejected});
    EXPECT_STREQ(fe.adapter.title, "Fake Game: Test Card");
    EXPECT_EQ(fe.profile.loaded, 0);
    EXPECT_STREQ(fe.profile.title, "") << "the rejected profile is zeroed";

    profile_file("fakegame.json", "{\"id\": \"othergame\", \"title\": \"Other\", \"features\": {\"rewind\": false}}");
    open_log(fe.log_path);
    run_profile_step(nullptr);
    EXPECT_EQ(other_lines(), (std::vector<std::string>{
                                 "profile: " + path,
                                 "profile id 'othergame' does not match game 'fakegame'; ignoring it",
                             }));
    EXPECT_STREQ(fe.adapter.title, "Fake Game: Test Card");
    EXPECT_EQ(fe.feature_on[FEATURE_REWIND], 1) << "the foreign profile's features do not count";

    GameProfile p;
    memset(&p, 0x55, sizeof p);
    EXPECT_EQ(load_profile_file(&p, (dir + "/missing.json").c_str()), 0);
    EXPECT_EQ(std::string(p.error), "cannot read " + dir + "/missing.json");
    EXPECT_EQ(p.loaded, 0);
    EXPECT_EQ(p.title[0], '\0');
}

TEST_F(ProfileStepTest, TheGivenFileComesFirstWhenItIsAFile) {
    std::string in_data = profile_file("fakegame.json", "{\"title\": \"From Data\"}");
    std::string given = dir + "/given.json";
    std::ofstream(given) << "{\"title\": \"Given\"}";
    run_profile_step(given.c_str());
    EXPECT_STREQ(fe.adapter.title, "Given");
    EXPECT_EQ(other_lines()[0], "profile: " + given);

    for (std::string missing : {dir + "/nothing.json", dir}) {  // not there, or a folder
        open_log(fe.log_path);
        fe.adapter = fake_adapter();
        run_profile_step(missing.c_str());
        EXPECT_STREQ(fe.adapter.title, "From Data");
        EXPECT_EQ(other_lines(), (std::vector<std::string>{"profile: " + in_data})) << "no line for the missing file";
    }
}

TEST_F(ProfileStepTest, TheProfileIdNamesTheFile) {
    profile_file("fakegame.json", "{\"title\": \"By Id\"}");
    fe.adapter.profile_id = nullptr;
    run_profile_step(nullptr);
    EXPECT_STREQ(fe.adapter.title, "By Id");

    open_log(fe.log_path);
    fe.adapter = fake_adapter();
    fe.adapter.profile_id = "special";
    run_profile_step(nullptr);
    EXPECT_EQ(other_lines(), (std::vector<std::string>{"profile: none found for 'special' (using adapter defaults)"}));
}

TEST_F(ProfileStepTest, FeaturesTheDescriptorLacksStayOff) {
    fe.adapter.save_snapshot = nullptr;
    fe.adapter.load_nvram = nullptr;
    profile_file("fakegame.json", "{\"features\": {\"save_states\": true, \"nvram\": false, \"gadgets\": false}}");
    run_profile_step(nullptr);
    std::vector<std::string> f = feature_lines();
    ASSERT_EQ(f.size(), 8u);
    EXPECT_EQ(f[0], "feature save_states    requested=yes supported=no -> unsupported");
    EXPECT_EQ(f[1], "feature rewind         requested=- supported=no -> n/a");
    EXPECT_EQ(f[2], "feature nvram          requested=no supported=no -> n/a");
    EXPECT_EQ(f[3], "feature input_movies   requested=- supported=no -> n/a");
    EXPECT_EQ(f[4], "feature gadgets        requested=no supported=yes -> off");
    EXPECT_EQ((std::vector<int>(fe.feature_on, fe.feature_on + FE_FEATURE_COUNT)),
              (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 0}));
}

// The executable's folder: its "profiles" folder, then the shared folder
// beside it. A game id of its own keeps other tests from seeing the files.
TEST_F(ProfileStepTest, TheExecutableFolderIsSearchedAfterTheDataFolder) {
    char* sdl_base = SDL_GetBasePath();
    ASSERT_NE(sdl_base, nullptr);
    std::string base = sdl_base;
    SDL_free(sdl_base);
    const std::string id = "exe-folder-profile-test";
    fe.adapter.id = id.c_str();
    fe.adapter.profile_id = nullptr;

    std::string profiles = base + "profiles";
    bool had_profiles = fs::exists(profiles);
    fs::create_directories(profiles);
    std::string beside = profiles + "/" + id + ".json";
    std::ofstream(beside) << "{\"title\": \"Beside\"}";
    run_profile_step(nullptr);
    std::string title_beside = fe.adapter.title;
    fs::remove(beside);
    if (!had_profiles) fs::remove(profiles);

    std::string share_game = base + "../share/" + id;
    fs::create_directories(share_game + "/profiles");
    std::string shared = base + "../share/" + id + "/profiles/" + id + ".json";
    std::ofstream(shared) << "{\"title\": \"Shared\"}";
    open_log(fe.log_path);
    fe.adapter.title = "Fake Game: Test Card";
    run_profile_step(nullptr);
    std::string title_shared = fe.adapter.title;
    std::vector<std::string> lines = other_lines();
    fs::remove_all(share_game);
    std::error_code ec;
    fs::remove(base + "../share", ec);  // only when it is now empty

    EXPECT_EQ(title_beside, "Beside");
    EXPECT_EQ(title_shared, "Shared");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "profile: " + shared);
}

}  // namespace
