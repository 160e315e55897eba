// The settings document: reading hand-made files, updating in place and
// writing back byte for byte.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "frontend/ini.h"
#include "tests/frontend/reader_test_util.h"

namespace {

namespace fs = std::filesystem;

const char HEADER[] = "# Settings written by the frontend. Safe to edit while the game is closed.\n";

// A hand-made file with everything a person or another program may leave:
// comments, keys before any section, odd spacing, CRLF endings, a section
// line without "]", a section name with blanks, unknown sections and keys,
// a repeated section and a repeated key.
const char HAND_MADE[] =
    "# A comment that is not kept\n"
    "; another one\n"
    "top = before any section\n"
    "\n"
    "[display]\r\n"
    "window_scale = 4\r\n"
    "\t  scanlines=30   \n"
    "   # an indented comment\n"
    "brightness\t=\t120 ; brighter\n"
    "[display\n"
    "mask = 2\n"
    "[ spaced ] text after the bracket\n"
    "odd key  = v\n"
    "= empty key\n"
    "no equals sign here\n"
    "[extra.section]\n"
    "path = /home/u/roms/a b.zip\n"
    "window_scale = 5   (another program's)\n"
    "[display]\n"
    "window_scale = 6\n"
    "[]\n"
    "empty = section again\n"
    "last = no line feed at the end";

const char HAND_MADE_SAVED[] =
    "# Settings written by the frontend. Safe to edit while the game is closed.\n"
    "\n[]\n"
    "top = before any section\n"
    "empty = section again\n"
    "last = no line feed at the end\n"
    "\n[display]\n"
    "window_scale = 6\n"
    "scanlines = 30\n"
    "brightness = 120 ; brighter\n"
    "mask = 2\n"
    "\n[ spaced ]\n"
    "odd key = v\n"
    " = empty key\n"
    "\n[extra.section]\n"
    "path = /home/u/roms/a b.zip\n"
    "window_scale = 5   (another program's)\n";

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
    ini_parse_text(&doc, text.data(), text.size());
    return doc;
}

class IniFileTest : public ScratchDirTest {
protected:
    void TearDown() override {
        free_ini(&doc);
        ScratchDirTest::TearDown();
    }
    IniDocument doc{};
};

TEST_F(IniFileTest, HandMadeFileIsWrittenBackGroupedAndByteExact) {
    std::string path = dir + "/settings.ini";
    write_file(path, HAND_MADE);
    ASSERT_EQ(load_ini(&doc, path.c_str()), 1);
    EXPECT_STREQ(ini_get(&doc, "", "top"), "before any section");
    EXPECT_STREQ(ini_get(&doc, "display", "mask"), "2") << "a section line without ']' is ignored";
    EXPECT_STREQ(ini_get(&doc, " spaced ", ""), "empty key");
    EXPECT_EQ(ini_get(&doc, "spaced", "odd key"), nullptr) << "section names are not trimmed";
    ASSERT_EQ(save_ini(&doc, path.c_str()), 1);
    EXPECT_EQ(read_file(path), HAND_MADE_SAVED);

    // Reading the written file and writing it again changes nothing.
    IniDocument again{};
    ASSERT_EQ(load_ini(&again, path.c_str()), 1);
    EXPECT_EQ(format(again), HAND_MADE_SAVED);
    free_ini(&again);
}

TEST(IniParse, CutsLongTextsAndStopsAtNul) {
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

    IniDocument part{};
    ini_parse_text(&part, "a = 12345\nb = 2\n", 7);
    ASSERT_EQ(part.count, 1);
    EXPECT_STREQ(ini_get(&part, "", "a"), "123");
    free_ini(&part);
}

TEST(IniDocumentTest, SetUpdatesInPlaceAndGrows) {
    IniDocument doc{};
    EXPECT_EQ(ini_get(&doc, "a", "b"), nullptr);
    for (int i = 0; i < 100; i++) {
        char key[16];
        snprintf(key, sizeof key, "k%03d", i);
        ASSERT_EQ(ini_set_int(&doc, "s", key, i), 1);
    }
    EXPECT_EQ(doc.count, 100);
    EXPECT_EQ(doc.capacity, 128) << "64 at first, then doubled";
    ASSERT_EQ(ini_set(&doc, "s", "k050", "changed"), 1);
    EXPECT_EQ(doc.count, 100);
    EXPECT_STREQ(doc.entries[50].value, "changed") << "an update keeps the entry's place";
    EXPECT_STREQ(ini_get(&doc, "s", "k099"), "99");
    ASSERT_EQ(ini_set(&doc, "S", "k050", "other"), 1);
    EXPECT_EQ(doc.count, 101) << "sections compare with case";
    // Names compare as they are stored, that is cut.
    std::string long_section(47, 'x');
    ini_set(&doc, (long_section + "A").c_str(), "k", "1");
    ini_set(&doc, (long_section + "B").c_str(), "k", "2");
    EXPECT_EQ(doc.count, 102);
    EXPECT_STREQ(ini_get(&doc, long_section.c_str(), "k"), "2");
    free_ini(&doc);
    EXPECT_EQ(doc.count, 0);
    EXPECT_EQ(doc.entries, nullptr);
    EXPECT_EQ(ini_set(&doc, "a", "b", "c"), 1);
    free_ini(&doc);
}

TEST(IniDocumentTest, GetIntDetectsTheBaseAndSaturates) {
    IniDocument doc{};
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"0x1F", 31}, {"0X10", 16}, {"010", 8}, {"-12abc", -12}, {"+7", 7}, {"0x", 0},
        {"", -5}, {"abc", -5}, {" 5", -5}, {"- 3", -5},
        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"0xFFFFFFFFFFFFFFFFFF", INT_MAX},
    };
    for (const Case& c : cases) {
        ini_set(&doc, "s", "k", c.value);
        EXPECT_EQ(ini_get_int(&doc, "s", "k", -5), c.expected) << '"' << c.value << '"';
    }
    EXPECT_EQ(ini_get_int(&doc, "s", "missing", 42), 42);
    free_ini(&doc);
}

TEST_F(IniFileTest, FailedReadsAndWritesLeaveThingsAsTheyWere) {
    ini_set(&doc, "a", "b", "c");
    EXPECT_EQ(load_ini(&doc, (dir + "/missing.ini").c_str()), 0);
    EXPECT_EQ(load_ini(&doc, dir.c_str()), 0) << "a folder is not read";
    EXPECT_EQ(doc.count, 1);

    // A folder where the file should be, and a missing parent folder.
    fs::create_directory(dir + "/settings.ini");
    EXPECT_EQ(save_ini(&doc, (dir + "/settings.ini").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(dir + "/settings.ini"));
    EXPECT_EQ(save_ini(&doc, (dir + "/none/settings.ini").c_str()), 0);
    EXPECT_FALSE(fs::exists(dir + "/none"));

    IniDocument empty{};
    ASSERT_EQ(save_ini(&empty, (dir + "/empty.ini").c_str()), 1);
    EXPECT_EQ(read_file(dir + "/empty.ini"), HEADER);
}

// Damaged files of every shape: the reader stays inside its buffers, keeps
// each (section, key) once, and what it writes reads back to the same text.
TEST(IniParse, MutatedFilesReadAndWriteBackStably) {
    const std::string seed = HAND_MADE;
    const std::string alphabet("[]=#; \t\r\n\0xa", 12);
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; round++) {
        std::string text = damaged_copy(seed, alphabet, rng, 8);
        IniDocument doc = parse(text);
        for (int i = 0; i < doc.count; i++) {
            const IniEntry& a = doc.entries[i];
            ASSERT_LT(strnlen(a.section, sizeof a.section), sizeof a.section);
            ASSERT_LT(strnlen(a.key, sizeof a.key), sizeof a.key);
            for (int j = i + 1; j < doc.count; j++)
                ASSERT_FALSE(strcmp(a.section, doc.entries[j].section) == 0 &&
                             strcmp(a.key, doc.entries[j].key) == 0);
        }
        std::string once = format(doc);
        IniDocument reread = parse(once);
        ASSERT_EQ(format(reread), once) << "input:\n" << text;
        free_ini(&doc);
        free_ini(&reread);
    }
}

}  // namespace
