// File utilities and the log: paths, folders, whole-file reads, the atomic
// writer (with failures that are not about permissions, since CI runs as
// root), folder listings and the log lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "tests/frontend/reader_test_util.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public ScratchDirTest {
protected:
    void TearDown() override {
        close_log();
        ScratchDirTest::TearDown();
    }
};

std::vector<std::string> names(const DirEntry* entries, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; i++) out.push_back(std::string(entries[i].name) + (entries[i].is_folder ? "/" : ""));
    return out;
}

TEST(PathParts, JoinDirnameAndBasename) {
    // clang-format off
    struct Case { const char* folder, *name, *joined; } joins[] = {
        {"/home/u/", "x", "/home/u/x"}, {"/home/u", "x", "/home/u/x"}, {"C:\\dir\\", "x", "C:\\dir\\x"},
        {"", "x", "/x"}};
    // clang-format on
    char out[FE_PATH_SIZE];
    for (const Case& c : joins) {
        EXPECT_EQ(join_path(out, sizeof out, c.folder, c.name), 1) << c.folder;
        EXPECT_STREQ(out, c.joined);
    }
    std::string folder(2040, 'a');
    EXPECT_EQ(join_path(out, sizeof out, folder.c_str(), "123456"), 1);  // 2,047 characters fit
    EXPECT_EQ(strlen(out), 2047u);
    EXPECT_EQ(join_path(out, sizeof out, folder.c_str(), "1234567"), 0);  // 2,048 do not
    EXPECT_STREQ(out, "") << "no shortened path is left for a caller to use";

    // clang-format off
    struct Part { const char* path, *dirname, *basename; } parts[] = {
        {"/a/b", "/a", "b"}, {"/a", "/", "a"}, {"name", "", "name"}, {"C:\\x", "C:\\", "x"}, {"/a/b/", "/a/b", ""},
        {"\\x", "\\", "x"}, {"dir\\b.zip", "dir", "b.zip"}};
    // clang-format on
    for (const Part& c : parts) {
        strcpy(out, "junk");
        path_dirname(c.path, out, sizeof out);
        EXPECT_STREQ(out, c.dirname) << c.path;
        EXPECT_STREQ(path_basename(c.path), c.basename) << c.path;
    }
    char small[4] = "xyz";
    path_dirname("/abcd/e", small, sizeof small);
    EXPECT_STREQ(small, "") << "a parent that does not fit is none, not a shortened one";
}

TEST_F(FilesTest, MakeDirsCreatesParentsAndFailsUnderAFile) {
    mode_t mask = umask(022);
    EXPECT_EQ(make_dirs((dir + "/a/b/c/").c_str()), 1);
    umask(mask);
    for (const char* sub : {"/a", "/a/b", "/a/b/c"}) {
        struct stat st;
        ASSERT_EQ(stat((dir + sub).c_str(), &st), 0) << sub;
        EXPECT_TRUE(S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0755) << sub;
    }
    EXPECT_EQ(make_dirs((dir + "/a/b").c_str()), 1) << "an existing folder counts";
    EXPECT_EQ(make_dirs("/"), 1);
    write_file(in("file"), "x");
    EXPECT_EQ(make_dirs(in("file/sub").c_str()), 0);
    EXPECT_EQ(make_dirs(in("file").c_str()), 0);
    EXPECT_EQ(make_dirs((dir + "/" + std::string(FE_PATH_SIZE, 'd')).c_str()), 0) << "too long is refused whole";
    EXPECT_TRUE(is_directory(dir.c_str()) && !is_regular_file(dir.c_str()));
    EXPECT_TRUE(is_regular_file(in("file").c_str()) && !is_directory(in("file").c_str()));
}

TEST_F(FilesTest, ReadWholeFileTakesRegularFilesOnly) {
    for (std::string content : {std::string("ab\0cd", 5), std::string()}) {
        write_file(in("data"), content);
        size_t len = 99;
        uint8_t* data = read_whole_file(in("data").c_str(), &len);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::string((char*)data, len + 1), content + '\0') << "a NUL byte follows the data";
        free(data);
    }
    // A pipe with no writer must be refused at once, not waited on.
    ASSERT_EQ(mkfifo(in("pipe").c_str(), 0644), 0);
    for (const std::string& p : {dir, in("pipe"), in("missing"), std::string("/dev/null")}) {
        size_t len = 99;
        EXPECT_EQ(read_whole_file(p.c_str(), &len), nullptr) << p;
        EXPECT_EQ(len, 0u);
    }
}

TEST_F(FilesTest, WriteFileAtomicReplacesWholeOrNotAtAll) {
    std::string target = in("settings.ini");
    ASSERT_EQ(write_file_atomic(target.c_str(), "first", 5), 1);
    ASSERT_EQ(write_file_atomic(target.c_str(), "second", 6), 1);
    EXPECT_EQ(read_file(target), "second");
    EXPECT_FALSE(fs::exists(target + ".tmp"));
    ASSERT_EQ(write_file_atomic(target.c_str(), nullptr, 0), 1);
    EXPECT_EQ(read_file(target), "");

    // A folder where the file should be: the rename fails, the folder and
    // its content stay, no temporary file is left.
    fs::create_directory(in("folder"));
    write_file(in("folder/inside"), "kept");
    EXPECT_EQ(write_file_atomic(in("folder").c_str(), "x", 1), 0);
    EXPECT_EQ(read_file(in("folder/inside")), "kept");
    EXPECT_FALSE(fs::exists(in("folder.tmp")));

    EXPECT_EQ(write_file_atomic(in("missing/file").c_str(), "x", 1), 0);
    EXPECT_FALSE(fs::exists(in("missing")));

    // A path whose temporary name would not fit.
    EXPECT_EQ(write_file_atomic((dir + "/" + std::string(FE_PATH_SIZE - dir.size() - 4, 'n')).c_str(), "x", 1), 0);

    // The file size limit makes the write itself fail (as a full disk
    // would), whatever the user's rights.
    target = in("nvram.nv");
    write_file(target, "old content");
    struct rlimit old_limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct sigaction ignore = {}, old_action = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old_action);
    struct rlimit small = old_limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<char> big(1 << 20, 'x');
    int result = write_file_atomic(target.c_str(), big.data(), big.size());
    setrlimit(RLIMIT_FSIZE, &old_limit);
    sigaction(SIGXFSZ, &old_action, nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(read_file(target) == "old content") << "the old file stays";
    EXPECT_FALSE(fs::exists(target + ".tmp"));
}

// Beyond its first room of 64 entries too.
TEST_F(FilesTest, ListDirSortsFoldersFirstAndSkipsHiddenAndBroken) {
    std::vector<std::string> expected{"A/", "linkdir/", "a.zip", "b", "B.txt"};
    for (const char* name : {"b", "B.txt", ".x", "a.zip"}) write_file(in(name), "");
    fs::create_directory(in("A"));
    fs::create_symlink(in("nowhere"), in("broken"));
    fs::create_directory_symlink(in("A"), in("linkdir"));  // a link counts as what it points to
    for (int i = 1000; i < 1070; i++) {
        write_file(in("f" + std::to_string(i)), "");
        expected.push_back("f" + std::to_string(i));
    }
    DirEntry* entries = nullptr;
    int n = list_dir(dir.c_str(), &entries);
    EXPECT_EQ(names(entries, n), expected);
    free(entries);

    EXPECT_EQ(list_dir(in("missing").c_str(), &entries), -1);
    EXPECT_EQ(entries, nullptr);
    fs::create_directory(in("A/empty"));
    EXPECT_EQ(list_dir(in("A/empty").c_str(), &entries), 0);
    free(entries);
}

TEST(HomeAndRoots, HomeComesFirstAndIsNeverShortened) {
    EnvGuard guard("HOME");
    char out[64] = "junk";
    setenv("HOME", "", 1);
    EXPECT_EQ(home_dir(out, sizeof out), 1) << "set but empty still counts";
    EXPECT_STREQ(out, "");
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(home_dir(out, sizeof out), 1);
    EXPECT_STREQ(out, "/home/player");
    DirEntry* roots = nullptr;
    int n = list_browse_roots(&roots);
    ASSERT_GE(n, 2);
    EXPECT_STREQ(roots[0].name, "/home/player");
    EXPECT_EQ(roots[0].is_folder, 1) << "HOME is offered without a test";
    EXPECT_STREQ(roots[1].name, "/");
    for (int i = 1; i < n; i++) EXPECT_TRUE(is_directory(roots[i].name)) << roots[i].name;
    free(roots);

    setenv("HOME", ("/" + std::string(600, 'h')).c_str(), 1);
    EXPECT_EQ(home_dir(out, sizeof out), 0);
    ASSERT_GE(list_browse_roots(&roots), 1);
    EXPECT_STREQ(roots[0].name, "/");
    free(roots);
    unsetenv("HOME");
    EXPECT_EQ(home_dir(out, sizeof out), 0);
}

TEST_F(FilesTest, LogLinesGoToStandardErrorAndTheFile) {
    write_file(in("frontend.log"), "old run\n");
    open_log(in("frontend.log").c_str());
    testing::internal::CaptureStderr();
    log_line("first %d", 1);
    log_line("%s", std::string(3000, 'm').c_str());
    std::string err = testing::internal::GetCapturedStderr();
    // Flushed line by line: readable before the log is closed.
    std::string text = read_file(in("frontend.log"));
    EXPECT_EQ(text, err);
    ASSERT_EQ(text.size(), 18u + 1 + 11 + 2047 + 1);
    EXPECT_TRUE(text[0] == '[' && text[3] == ':' && text[6] == ':') << text.substr(0, 18);
    EXPECT_EQ(text.substr(9, 10), "] first 1\n");
    EXPECT_EQ(text.substr(19 + 11), std::string(2047, 'm') + "\n");

    close_log();
    testing::internal::CaptureStderr();
    log_line("after close");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("] after close\n"), std::string::npos);
    EXPECT_EQ(read_file(in("frontend.log")), text);
    open_log(in("missing/frontend.log").c_str());  // no file: lines reach standard error only
    testing::internal::CaptureStderr();
    log_line("no file");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("] no file\n"), std::string::npos);
}

void format_into_entry(char* out, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_for_log(out, size, format, args);
    va_end(args);
}

// The program's own words keep their line breaks and tabs; what a
// conversion prints (a path, a name) never brings a control character in.
TEST_F(FilesTest, OnlyWhatAValuePrintsHasItsControlCharactersWrittenAsQuestionMarks) {
    open_log(in("frontend.log").c_str());
    testing::internal::CaptureStderr();
    log_line("ROM %s loaded", "/roms/a\nb\rc\td\033e\177f/caf\xC3\xA9.zip");
    log_line("own\nbreak %s|%5s|%-3c|%d%%\t%08X", "x\ny", "\t", '\n', -7, 0xBEEFu);
    log_line("%.*s|%zu%s%s", 3, "a\nbcd", (size_t)12, "\n", "");
    char entry[64];
    format_into_entry(entry, sizeof entry, "%s\n\n%s", "the\x01value", std::string(100, '\n').c_str());
    log_entry(entry);
    std::string text = read_file(in("frontend.log"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), text);
    EXPECT_EQ(with_stamps_marked(text),
              "<t>ROM /roms/a?b?c?d?e?f/caf\xC3\xA9.zip loaded\n"
              "<t>own\nbreak x?y|    ?|?  |-7%\t0000BEEF\n"
              "<t>a?b|12?\n"
              "<t>the?value\n\n" + std::string(63 - 11, '?') + "\n");
}

}  // namespace
