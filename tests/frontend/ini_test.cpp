// The settings document: reading hand-made files, updating in place and
// writing back byte for byte.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "frontend/ini.h"
#include "tests/frontend/reader_test_util.h"

namespace {

namespace fs = std::filesystem;

// A hand-made file with everything a person or another program may leave:
// comments, keys before any section, odd spacing, CRLF endings, a section
// line without "]", a section name with blanks, unknown sections and keys,
// a repeated section and a repeated key.
const char HAND_MADE[] =
    "# A comment that is not kept\n; another one\ntop = before any section\n\n"
    "[display]\r\nwindow_scale = 4\r\n\t  scanlines=30   \n   # an indented comment\nbrightness\t=\t120 ; brighter\n"
    "[display\nmask = 2\n"
    "[ spaced ] text after the bracket\nodd key  = v\n= empty key\nno equals sign here\n"
    "[extra.section]\npath = /home/u/roms/a b.zip\nwindow_scale = 5   (another program's)\n"
    "[display]\nwindow_scale = 6\n"
    "[]\nempty = section again\nlast = no line feed at the end";

const char HAND_MADE_SAVED[] =
    "# Settings written by the frontend. Safe to edit while the game is closed.\n"
    "\n[]\ntop = before any section\nempty = section again\nlast = no line feed at the end\n"
    "\n[display]\nwindow_scale = 6\nscanlines = 30\nbrightness = 120 ; brighter\nmask = 2\n"
    "\n[ spaced ]\nodd key = v\n = empty key\n"
    "\n[extra.section]\npath = /home/u/roms/a b.zip\nwindow_scale = 5   (another program's)\n";

std::string format(const IniDocument& doc) {
    size_t len = 0;
    char* text = ini_format_text(&doc, &len);
    EXPECT_NE(text, nullptr);
    std::string out(text ? text : "", len);
    free(text);
    return out;
}

IniDocument parse(const std::string& text) {
    IniDocument doc{};
    std::vector<char> exact = exact_copy(text);
    ini_parse_text(&doc, exact.data(), text.size());
    return doc;
}

using IniFileTest = ScratchDirTest;

TEST_F(IniFileTest, HandMadeFileIsWrittenBackGroupedAndByteExact) {
    IniDocument doc{};
    write_file(in("settings.ini"), HAND_MADE);
    ASSERT_EQ(load_ini(&doc, in("settings.ini").c_str()), 1);
    ASSERT_EQ(save_ini(&doc, in("settings.ini").c_str()), 1);
    EXPECT_EQ(read_file(in("settings.ini")), HAND_MADE_SAVED);
    free_ini(&doc);
    ASSERT_EQ(load_ini(&doc, in("settings.ini").c_str()), 1);
    EXPECT_EQ(format(doc), HAND_MADE_SAVED) << "a second round changes nothing";
    free_ini(&doc);
}

TEST(IniParse, CutsLongTextsAndStopsAtNulOrTheLength) {
    std::string section(60, 's'), key = std::string(60, 'k') + "   zzzzzzz", value(3000, 'v');
    IniDocument doc = parse("[" + section + "]\n" + key + " = " + value + "\n");
    ASSERT_EQ(doc.count, 1);
    EXPECT_EQ(std::string(doc.entries[0].section), section.substr(0, 47));
    EXPECT_EQ(std::string(doc.entries[0].key), std::string(60, 'k')) << "cut to 63, then stripped";
    EXPECT_EQ(std::string(doc.entries[0].value), value.substr(0, 2047));
    free_ini(&doc);

    doc = parse(std::string("a = 1\nb = 2\0\nc = 3\n", 19));
    EXPECT_EQ(doc.count, 2);
    EXPECT_EQ(ini_get(&doc, "", "c"), nullptr);
    free_ini(&doc);
    ini_parse_text(&doc, "a = 12345\nb = 2\n", 7);
    EXPECT_EQ(doc.count, 1);
    EXPECT_STREQ(ini_get(&doc, "", "a"), "123");
    free_ini(&doc);
}

TEST(IniDocumentTest, SetUpdatesInPlaceAndGrows) {
    IniDocument doc{};
    for (int i = 0; i < 100; i++) ASSERT_EQ(ini_set_int(&doc, "s", ("k" + std::to_string(100 + i)).c_str(), i), 1);
    EXPECT_EQ(doc.count, 100);
    EXPECT_EQ(doc.capacity, 128) << "64 at first, then doubled";
    ASSERT_EQ(ini_set(&doc, "s", "k150", "changed"), 1);
    EXPECT_EQ(doc.count, 100);
    EXPECT_STREQ(doc.entries[50].value, "changed") << "an update keeps the entry's place";
    EXPECT_STREQ(ini_get(&doc, "s", "k199"), "99");
    ini_set(&doc, "S", "k150", "other");
    EXPECT_EQ(doc.count, 101) << "sections compare with case";
    // Names compare as they are stored, that is cut.
    std::string long_section(47, 'x');
    ini_set(&doc, (long_section + "A").c_str(), "k", "1");
    ini_set(&doc, (long_section + "B").c_str(), "k", "2");
    EXPECT_EQ(doc.count, 102);
    EXPECT_STREQ(ini_get(&doc, long_section.c_str(), "k"), "2");
    free_ini(&doc);
    EXPECT_TRUE(doc.count == 0 && doc.entries == nullptr);
    EXPECT_EQ(ini_set(&doc, "a", "b", "c"), 1) << "a freed document is usable again";
    free_ini(&doc);
}

TEST(IniDocumentTest, GetIntDetectsTheBaseAndSaturates) {
    IniDocument doc{};
    // clang-format off
    struct Case { const char* value; int expected; } cases[] = {
        {"0x1F", 31}, {"0X10", 16}, {"010", 8}, {"-12abc", -12}, {"+7", 7}, {"0x", 0},
        {"", -5}, {"abc", -5}, {" 5", -5}, {"- 3", -5},
        // Only a sign may come before the first digit: strtol would skip
        // any white space.
        {"\v55", -5}, {"\f1", -5}, {"\r2", -5}, {"\n3", -5}, {"\t4", -5}, {"+\v6", -5}, {"-\r7", -5},
        {"+-8", -5}, {"-0x10", -16}, {"-0", 0},
        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"0xFFFFFFFFFFFFFFFFFF", INT_MAX},
    };
    // clang-format on
    for (const Case& c : cases) {
        ini_set(&doc, "s", "k", c.value);
        EXPECT_EQ(ini_get_int(&doc, "s", "k", -5), c.expected) << '"' << c.value << '"';
    }
    EXPECT_EQ(ini_get_int(&doc, "s", "missing", 42), 42);
    free_ini(&doc);
}

// CI runs as root: the failures are a folder where the file should be and a
// missing parent, not permissions.
TEST_F(IniFileTest, FailedReadsAndWritesLeaveThingsAsTheyWere) {
    IniDocument doc{}, empty{};
    ini_set(&doc, "a", "b", "c");
    EXPECT_EQ(load_ini(&doc, in("missing.ini").c_str()), 0);
    EXPECT_EQ(load_ini(&doc, dir.c_str()), 0) << "a folder is not read";
    EXPECT_EQ(doc.count, 1);

    fs::create_directory(in("settings.ini"));
    EXPECT_EQ(save_ini(&doc, in("settings.ini").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(in("settings.ini")));
    EXPECT_EQ(save_ini(&doc, in("none/settings.ini").c_str()), 0);
    EXPECT_FALSE(fs::exists(in("none")));
    free_ini(&doc);
    ASSERT_EQ(save_ini(&empty, in("empty.ini").c_str()), 1);
    EXPECT_EQ(read_file(in("empty.ini")),
              "# Settings written by the frontend. Safe to edit while the game is closed.\n");
}

// Some 50,000 entries in about 900 sections, with some 20,000 repeated
// lines and names that differ only beyond the stored length: every value
// reads back, the last line of a key wins while its entry keeps its first
// place, and the text written groups the sections exactly as a plain
// reference writer does.
TEST(IniParse, ManyKeysReadBackAndWriteGroupedInFirstSeenOrder) {
    std::mt19937 rng(11);
    std::string text, previous_section = "-";
    using Name = std::pair<std::string, std::string>;  // (section, key) as stored
    std::vector<Name> order;
    std::map<Name, std::string> values;
    for (int line = 0; line < 70000; line++) {
        int s = (int)(rng() % 1000), k = (int)(rng() % 100);
        // Every tenth section and every fiftieth key are named past the
        // stored length, so that several names meet in one stored name.
        std::string section = s % 10 == 0 ? std::string(47, 'S') + std::to_string(s) : "sec" + std::to_string(s);
        std::string key = k % 50 == 0 ? std::string(63, 'K') + std::to_string(k) : "key" + std::to_string(k);
        std::string value = "v" + std::to_string(line);
        if (section != previous_section) text += "[" + section + "]\n";
        previous_section = section;
        text += key + " = " + value + "\n";
        Name name{section.substr(0, 47), key.substr(0, 63)};
        if (!values.count(name)) order.push_back(name);
        values[name] = value;
    }
    ASSERT_GT(order.size(), 45000u);

    IniDocument doc = parse(text);
    ASSERT_EQ(doc.count, (int32_t)order.size());
    for (int32_t i = 0; i < doc.count; i++) {
        const Name& name = order[(size_t)i];
        ASSERT_EQ(Name(doc.entries[i].section, doc.entries[i].key), name) << "entry " << i;
        const char* value = ini_get(&doc, name.first.c_str(), name.second.c_str());
        ASSERT_NE(value, nullptr);
        ASSERT_EQ(value, values[name]);
    }
    Name cut{std::string(47, 'S'), std::string(63, 'K')};
    ASSERT_EQ(values.count(cut), 1u);
    const char* found = ini_get(&doc, (cut.first + "any").c_str(), (cut.second + "thing").c_str());
    EXPECT_EQ(std::string(found ? found : "(none)"), values[cut]) << "names are cut before they are looked up";
    EXPECT_EQ(ini_get(&doc, cut.first.substr(1).c_str(), cut.second.c_str()), nullptr)
        << "a name one character short is another name";

    std::vector<std::string> sections;
    std::map<std::string, std::vector<const Name*>> keys_of;
    for (const Name& name : order) {
        if (keys_of[name.first].empty()) sections.push_back(name.first);
        keys_of[name.first].push_back(&name);
    }
    std::string reference = "# Settings written by the frontend. Safe to edit while the game is closed.\n";
    for (const std::string& section : sections) {
        reference += "\n[" + section + "]\n";
        for (const Name* name : keys_of[section]) reference += name->second + " = " + values[*name] + "\n";
    }
    std::string written = format(doc);
    EXPECT_TRUE(written == reference) << "the written text differs from the reference's";
    IniDocument reread = parse(written);
    EXPECT_TRUE(format(reread) == written) << "a second round changes nothing";
    free_ini(&doc);
    free_ini(&reread);
}

// Damaged files of every shape: the reader stays inside its buffers, keeps
// each (section, key) once, and what it writes reads back to the same text.
TEST(IniParse, MutatedFilesReadAndWriteBackStably) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; round++) {
        std::string text = damaged_copy(HAND_MADE, std::string("[]=#; \t\r\n\0xa", 12), rng, 8);
        IniDocument doc = parse(text);
        for (int i = 0; i < doc.count; i++) {
            const IniEntry& a = doc.entries[i];
            ASSERT_LT(strnlen(a.section, sizeof a.section), sizeof a.section);
            ASSERT_LT(strnlen(a.key, sizeof a.key), sizeof a.key);
            for (int j = i + 1; j < doc.count; j++)
                ASSERT_FALSE(strcmp(a.section, doc.entries[j].section) == 0 && strcmp(a.key, doc.entries[j].key) == 0);
        }
        std::string once = format(doc);
        IniDocument reread = parse(once);
        ASSERT_EQ(format(reread), once) << "input:\n" << text;
        free_ini(&doc);
        free_ini(&reread);
    }
}

}  // namespace
