// Shared by the tests of the file utilities, the two readers and the
// settings: a scratch folder per test, whole-file reads and writes, an
// environment variable kept for the test, and damaged copies of a text for
// the readers' robustness tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void write_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A log's text with the "[HH:MM:SS] " that begins each entry written as
// "<t>", so that entries spanning lines can be compared whole.
inline std::string with_stamps_marked(const std::string& log) {
    auto digits = [&](size_t at) { return isdigit((unsigned char)log[at]) && isdigit((unsigned char)log[at + 1]); };
    std::string out;
    for (size_t at = 0; at < log.size();) {
        bool stamp = (at == 0 || log[at - 1] == '\n') && at + 11 <= log.size() && log[at] == '[' && digits(at + 1) &&
                     log[at + 3] == ':' && digits(at + 4) && log[at + 6] == ':' && digits(at + 7) &&
                     log.compare(at + 9, 2, "] ") == 0;
        out += stamp ? "<t>" : log.substr(at, 1);
        at += stamp ? 11 : 1;
    }
    return out;
}

// The text and its NUL in a buffer of exactly that size, so that a reader
// that runs past the end is caught by the address sanitizer.
inline std::vector<char> exact_copy(const std::string& text) {
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

// Keeps an environment variable's value for the test and restores it.
struct EnvGuard {
    explicit EnvGuard(const char* n) : name(n), had(getenv(n) != nullptr), value(had ? getenv(n) : "") {}
    ~EnvGuard() { had ? setenv(name, value.c_str(), 1) : unsetenv(name); }
    const char* name;
    bool had;
    std::string value;
};

// A fresh folder in the temporary directory, removed afterwards.
class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/fe-scratch-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string in(const std::string& name) const { return dir + "/" + name; }
    std::string dir;
};

// The text with 1 to max_edits bytes replaced by, or inserted as, bytes of
// the alphabet, or removed.
inline std::string damaged_copy(const std::string& text, const std::string& alphabet, std::mt19937& rng,
                                int max_edits) {
    std::string out = text;
    int edits = 1 + (int)(rng() % (unsigned)max_edits);
    for (int e = 0; e < edits; e++) {
        size_t at = rng() % (out.size() + 1);
        char ch = alphabet[rng() % alphabet.size()];
        switch (rng() % 3) {
        case 0:
            if (at < out.size()) out[at] = ch;
            break;
        case 1: out.insert(out.begin() + (long)at, ch); break;
        default:
            if (at < out.size()) out.erase(at, 1);
            break;
        }
    }
    return out;
}
