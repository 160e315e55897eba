// Texts within a width: what fits is left alone, what does not is cut
// with "..." at its end, its start or its middle, never inside a UTF-8
// sequence and never wider than the width; lines broken like the message
// box's.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frontend/font.h"
#include "frontend/frontend.h"
#include "frontend/text_fit.h"

namespace {

constexpr int SIZE = 22;

std::string fit(const std::string& text, int max_w, int cut) {
    char out[512];
    return fit_text(text.c_str(), SIZE, max_w, cut, out, sizeof out);
}

int width(const std::string& text) { return measure_text_width(text.c_str(), SIZE); }

bool starts_with(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }
bool ends_with(const std::string& s, const std::string& p) {
    return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

}  // namespace

TEST(TextFit, AFittingTextIsLeftAsItIsAndALongOneIsCutToTheWidestThatFits) {
    const std::string name = "Talvex - The Iron Pinions (every revision, with its long name)";
    const char* text = name.c_str();
    char out[512];
    EXPECT_EQ(fit_text(text, SIZE, width(name), CUT_KEEPS_START, out, sizeof out), text) << "exactly as wide";
    EXPECT_EQ(fit_text(text, SIZE, 5000, CUT_KEEPS_END, out, sizeof out), text);

    const std::string path = "/home/player/.local/share/Velmorhaven/Talvex - The Iron Pinions/";
    const struct {
        std::string text;
        int cut;
        std::string starts, ends;
    } cases[] = {
        {name, CUT_KEEPS_START, "Talvex - The", "..."},
        {path, CUT_KEEPS_END, "...", "Pinions/"},
        {"Cannot open " + path + "roms/talvex.zip", CUT_KEEPS_BOTH, "Cannot open", "talvex.zip"},
    };
    for (const auto& c : cases) {
        for (int max_w : {120, 200, 333}) {
            SCOPED_TRACE(c.text + " in " + std::to_string(max_w));
            std::string got = fit(c.text, max_w, c.cut);
            EXPECT_LE(width(got), max_w);
            EXPECT_TRUE(starts_with(got, c.cut == CUT_KEEPS_END ? "..." : c.starts.substr(0, 3))) << got;
            EXPECT_TRUE(ends_with(got, c.cut == CUT_KEEPS_START ? "..." : c.ends.substr(c.ends.size() - 3))) << got;
            // The widest that fits: one more character of the text (with
            // the blanks before it, which the cut leaves out) would not.
            size_t dots = got.find("...");
            ASSERT_NE(dots, std::string::npos) << got;
            if (c.cut == CUT_KEEPS_START) {
                size_t next = dots;
                while (c.text[next] == ' ') next++;
                EXPECT_GT(width(c.text.substr(0, next + 1) + "..."), max_w);
            } else if (c.cut == CUT_KEEPS_END) {
                size_t start = c.text.size() - (got.size() - 3) - 1;
                while (c.text[start] == ' ') start--;
                EXPECT_GT(width("..." + c.text.substr(start)), max_w);
            }
        }
    }
    EXPECT_EQ(fit(path, width("..") , CUT_KEEPS_END), "") << "not even the dots fit";
}

// A cut is written only where there is room for it: a zero-size buffer is
// never touched, and one too small for the dots holds an empty text.
TEST(TextFit, ACutStaysWithinItsBuffer) {
    const std::string name = "Talvex - The Iron Pinions (every revision, with its long name)";
    const int max_w = width("Talvex - The Iron");
    for (int cut : {CUT_KEEPS_START, CUT_KEEPS_END, CUT_KEEPS_BOTH}) {
        for (size_t out_size = 0; out_size <= 4; out_size++) {
            SCOPED_TRACE("cut " + std::to_string(cut) + ", " + std::to_string(out_size) + " bytes");
            char buf[8];
            memset(buf, '#', sizeof buf);
            std::string got = fit_text(name.c_str(), SIZE, max_w, cut, buf, out_size);
            EXPECT_EQ(got, out_size == 4 ? "..." : "");
            EXPECT_EQ(std::string(buf + out_size, sizeof buf - out_size), std::string(sizeof buf - out_size, '#'))
                << "written past the buffer";
            if (out_size > 0) {
                EXPECT_EQ(std::string(buf), got) << "the cut is the buffer's";
            }
        }
    }
    char guard = '#';
    EXPECT_EQ(fit_text("fits", SIZE, 500, CUT_KEEPS_START, &guard, 0), std::string("fits"));
    EXPECT_EQ(guard, '#');
}

TEST(TextFit, CutsFallBetweenCodePoints) {
    std::string accented;
    for (int i = 0; i < 40; i++) accented += "\xC3\xA9";  // U+00E9, two bytes each
    for (int cut : {CUT_KEEPS_START, CUT_KEEPS_END, CUT_KEEPS_BOTH}) {
        for (int max_w = 30; max_w < 200; max_w += 7) {
            std::string got = fit(accented, max_w, cut);
            std::string kept;
            for (char c : got)
                if (c != '.') kept += c;
            ASSERT_EQ(kept.size() % 2, 0u) << "cut " << cut << " at " << max_w;
            for (size_t i = 0; i < kept.size(); i += 2)
                ASSERT_EQ(kept.substr(i, 2), "\xC3\xA9") << "cut " << cut << " at " << max_w;
        }
    }
}

TEST(TextFit, PathsKeepTheirEndNamesBothEndsOtherTextsTheirStart) {
    for (const char* path : {"/home/a", "~/roms", "./talvex.zip", "../roms/x", "C:\\roms", "d:/games", "/"})
        EXPECT_EQ(cut_for(path), CUT_KEEPS_END) << path;
    for (const char* name : {"talvex.zip", "REC movie.femv", "Game (rev A).7z", "Old Roms/", "slot01.fest"})
        EXPECT_EQ(cut_for(name), CUT_KEEPS_BOTH) << name;
    for (const char* text : {"Data Folder", "not/a/path", "", ".hidden", "SDL 2.26.5", "Quit to the desktop.",
                             "x.toolong", "1.5 s, 2.0 MB"})
        EXPECT_EQ(cut_for(text), CUT_KEEPS_START) << text;
}

// Names that differ only near their end stay apart when cut, extension and
// all; a name that fits is left as it is.
TEST(TextFit, CutNamesKeepWhatTellsThemApart) {
    const std::string a = "Talvex - The Iron Pinions, the complete set with every revision (rev A).zip";
    const std::string b = a.substr(0, a.size() - 6) + "B).zip";
    for (int max_w : {width("Talvex...(rev A).zip") + 1, width(a) / 2, width(a) - 1}) {
        std::string ca = fit(a, max_w, cut_for(a.c_str()));
        EXPECT_NE(ca, fit(b, max_w, cut_for(b.c_str()))) << max_w;
        EXPECT_TRUE(starts_with(ca, "Talvex") && ends_with(ca, "A).zip") && width(ca) <= max_w) << ca;
    }
    EXPECT_EQ(fit(a, width(a), CUT_KEEPS_BOTH), a);
}

TEST(TextFit, TheLengthBoundNeverCallsAWideTextNarrow) {
    for (const char* text : {"WWWWWWWWWW", "iiiiiiiiii", "Mixed text, with ÆØÅ and WWW", "\xE2\x82\xAC\xE2\x82\xAC"}) {
        int w = measure_text_width(text, SIZE);
        EXPECT_LE(w, text_width_bound(text, SIZE)) << text;
        EXPECT_TRUE(text_may_exceed(text, SIZE, w - 1)) << text;
    }
}

TEST(TextFit, LinesBreakAtTheLastSpaceOrSlashThatFitsAndLongWordsAreBroken) {
    char line[256];
    const char* text = "Put voxa.zip next to talvex.zip or select it.";
    int limit = width("Put voxa.zip next to") + 2;
    int k = wrap_text_line(text, SIZE, limit, 255, line);
    EXPECT_EQ(std::string(line), "Put voxa.zip next to");
    EXPECT_EQ(std::string(next_line_start(text, k)), "talvex.zip or select it.");

    const char* path = "/home/player/roms/talvex.zip";
    k = wrap_text_line(path, SIZE, width("/home/player/roms") + 1, 255, line);
    EXPECT_EQ(std::string(line), "/home/player/roms");
    EXPECT_EQ(std::string(next_line_start(path, k)), "/talvex.zip") << "a slash starts the next line";

    k = wrap_text_line("abcdefghijklmnop", SIZE, width("abcde"), 255, line);
    EXPECT_EQ(std::string(line), "abcde") << "a word wider than the line is broken";
    EXPECT_EQ(wrap_text_line("x", SIZE, 1, 255, line), 1) << "never below one byte";
    EXPECT_EQ(wrap_text_line("first\nsecond", SIZE, 1000, 255, line), 5);
    EXPECT_EQ(wrap_text_line("\nsecond", SIZE, 1000, 255, line), 0);
}

// A byte limit below the first character leaves no line at all (-1, and
// an empty one in the buffer), which callers cannot mistake for an empty
// line to step past; a limit that holds the character gives it whole.
TEST(TextFit, ALimitBelowTheFirstCharacterGivesNoLine) {
    const std::string euro = "\u20AC", grin = "\xF0\x9F\x98\x80";  // three and four bytes
    for (const std::string& first : {std::string("x"), euro, grin}) {
        const std::string text = first + "abc def";
        const int n = (int)first.size();
        for (int max_w : {1, 1000}) {
            for (int max_bytes = 0; max_bytes <= n; max_bytes++) {
                SCOPED_TRACE(std::to_string(n) + "-byte character, " + std::to_string(max_bytes) + " bytes, width " +
                             std::to_string(max_w));
                char line[16];
                memset(line, '#', sizeof line);
                int k = wrap_text_line(text.c_str(), SIZE, max_w, max_bytes, line);
                EXPECT_EQ(k, max_bytes < n ? -1 : n);
                EXPECT_EQ(std::string(line), max_bytes < n ? "" : first);
            }
        }
    }
    for (const char* text : {"", "\nsecond", "\n"}) {
        for (int max_bytes : {0, 1, 255}) {
            char line[256];
            memset(line, '#', sizeof line);
            EXPECT_EQ(wrap_text_line(text, SIZE, 1000, max_bytes, line), 0) << max_bytes << " bytes";
            EXPECT_EQ(std::string(line), "");
        }
    }
}

// A word with nowhere to break is broken between whole characters: at every
// width and byte limit, no line holds a broken sequence and the lines give
// back the text.
TEST(TextFit, WrappingNeverSplitsACharacter) {
    for (const std::string text : {"\xC3\xA9\xC3\xA0\xC3\xBC\xC3\xB1\xC3\x98\xC3\x85\xC3\xA9\xC3\xA0.zip",
                                   "ab\u20AC"
                                   "cd\xC3\xA9\u20AC\u20AC"
                                   "e\xC3\xA9"}) {
        for (int max_bytes : {255, 7, 4})
            for (int max_w = 1; max_w <= width(text) + 2; max_w++) {
                std::string rebuilt;
                char line[256];
                uint32_t cp;
                for (const char* t = text.c_str(); *t;) {
                    int k = wrap_text_line(t, SIZE, max_w, max_bytes, line);
                    ASSERT_GT(k, 0) << "at " << max_w;
                    for (const char* p = line; int n = utf8_decode(p, &cp); p += n)
                        ASSERT_NE(cp, REPLACEMENT_CHAR) << line << " at " << max_w;
                    rebuilt += line;
                    t = next_line_start(t, k);
                }
                EXPECT_EQ(rebuilt, text) << max_w << ", " << max_bytes << " bytes";
            }
    }
}
