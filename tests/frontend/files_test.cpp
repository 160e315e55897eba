// File utilities and the log: paths, folders, whole-file reads, the atomic
// writer (with failures that are not about permissions, since CI runs as
// root), folder listings and the log lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
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

TEST(JoinPath, JoinsWithOneSeparatorAndRefusesWhatDoesNotFit) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"/home/u/", "x", "/home/u/x"}, {"/home/u", "x", "/home/u/x"},
        {"C:\\dir\\", "x", "C:\\dir\\x"}, {"", "x", "/x"},
    };
    for (const Case& c : cases) {
        char out[FE_PATH_SIZE];
        EXPECT_EQ(join_path(out, sizeof out, c.folder, c.name), 1) << c.folder;
        EXPECT_STREQ(out, c.joined);
    }
    char out[FE_PATH_SIZE];
    std::string folder(2040, 'a');
    EXPECT_EQ(join_path(out, sizeof out, folder.c_str(), "123456"), 1);  // 2,047 characters fit
    EXPECT_EQ(strlen(out), 2047u);
    EXPECT_EQ(join_path(out, sizeof out, folder.c_str(), "1234567"), 0);  // 2,048 do not
    EXPECT_STREQ(out, "") << "no shortened path is left for a caller to use";
}

TEST(PathParts, DirnameAndBasename) {
    struct Case {
        const char* path;
        const char* dirname;
    } dirs[] = {{"/a/b", "/a"}, {"/a", "/"}, {"name", ""}, {"C:\\x", "C:\\"}, {"/a/b/", "/a/b"}, {"\\x", "\\"}};
    for (const Case& c : dirs) {
        char out[FE_PATH_SIZE] = "junk";
        path_dirname(c.path, out, sizeof out);
        EXPECT_STREQ(out, c.dirname) << c.path;
    }
    char small[4] = "xyz";
    path_dirname("/abcd/e", small, sizeof small);
    EXPECT_STREQ(small, "") << "a parent that does not fit is none, not a shortened one";

    EXPECT_STREQ(path_basename("/a/b.zip"), "b.zip");
    EXPECT_STREQ(path_basename("dir\\b.zip"), "b.zip");
    EXPECT_STREQ(path_basename("b.zip"), "b.zip");
    EXPECT_STREQ(path_basename("/a/"), "");
}

TEST_F(FilesTest, MakeDirsCreatesParentsAndFailsUnderAFile) {
    mode_t mask = umask(022);
    EXPECT_EQ(make_dirs((dir + "/a/b/c/").c_str()), 1);
    umask(mask);
    for (const char* sub : {"/a", "/a/b", "/a/b/c"}) {
        struct stat st;
        ASSERT_EQ(stat((dir + sub).c_str(), &st), 0) << sub;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0755u) << sub;
    }
    EXPECT_EQ(make_dirs((dir + "/a/b").c_str()), 1) << "an existing folder counts";
    write_file(in("file"), "x");
    EXPECT_EQ(make_dirs((dir + "/file/sub").c_str()), 0);
    EXPECT_EQ(make_dirs(in("file").c_str()), 0);
    EXPECT_EQ(make_dirs("/"), 1);
    EXPECT_EQ(make_dirs((dir + "/" + std::string(FE_PATH_SIZE, 'd')).c_str()), 0) << "too long is refused whole";
    EXPECT_TRUE(is_directory(dir.c_str()));
    EXPECT_FALSE(is_regular_file(dir.c_str()));
    EXPECT_TRUE(is_regular_file(in("file").c_str()));
    EXPECT_FALSE(is_directory(in("missing").c_str()));
}

TEST_F(FilesTest, ReadWholeFileTakesRegularFilesOnly) {
    write_file(in("data"), std::string("ab\0cd", 5));
    size_t len = 99;
    uint8_t* data = read_whole_file(in("data").c_str(), &len);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(len, 5u);
    EXPECT_EQ(memcmp(data, "ab\0cd\0", 6), 0) << "a NUL byte follows the data";
    free(data);

    write_file(in("empty"), "");
    data = read_whole_file(in("empty").c_str(), &len);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(data[0], 0);
    free(data);

    ASSERT_EQ(mkfifo(in("pipe").c_str(), 0644), 0);
    // A pipe with no writer must be refused at once, not waited on.
    for (const std::string& p : {dir, in("pipe"), in("missing"), std::string("/dev/null")}) {
        len = 99;
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

    // A missing parent folder.
    EXPECT_EQ(write_file_atomic(in("missing/file").c_str(), "x", 1), 0);
    EXPECT_FALSE(fs::exists(in("missing")));

    // The temporary name taken by a folder: the old file stays.
    write_file(in("old"), "old content");
    fs::create_directory(in("old.tmp"));
    EXPECT_EQ(write_file_atomic(in("old").c_str(), "new", 3), 0);
    EXPECT_EQ(read_file(in("old")), "old content");

    // A path whose temporary name would not fit.
    std::string long_path = dir + "/" + std::string(FE_PATH_SIZE - dir.size() - 4, 'n');
    EXPECT_EQ(write_file_atomic(long_path.c_str(), "x", 1), 0);
}

TEST_F(FilesTest, WriteFileAtomicFailsWhenTheDataCannotBeWritten) {
    // The file size limit makes the write itself fail (as a full disk
    // would), whatever the user's rights.
    std::string target = in("nvram.nv");
    write_file(target, "old content");
    struct rlimit old_limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct sigaction ignore {}, old_action {};
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

TEST_F(FilesTest, ListDirSortsFoldersFirstAndSkipsHiddenAndBroken) {
    write_file(in("b"), "");
    write_file(in("B.txt"), "");
    write_file(in(".x"), "");
    fs::create_directory(in("A"));
    write_file(in("a.zip"), "");
    fs::create_symlink(in("nowhere"), in("broken"));
    fs::create_directory_symlink(in("A"), in("linkdir"));
    DirEntry* entries = nullptr;
    int n = list_dir(dir.c_str(), &entries);
    ASSERT_EQ(n, 5);
    EXPECT_STREQ(entries[0].name, "A");
    EXPECT_STREQ(entries[1].name, "linkdir") << "a link counts as what it points to";
    EXPECT_STREQ(entries[2].name, "a.zip");
    EXPECT_STREQ(entries[3].name, "b");
    EXPECT_STREQ(entries[4].name, "B.txt") << "names compare without regard to case";
    EXPECT_EQ(entries[0].is_folder, 1);
    EXPECT_EQ(entries[1].is_folder, 1);
    EXPECT_EQ(entries[2].is_folder, 0);
    free(entries);

    EXPECT_EQ(list_dir(in("missing").c_str(), &entries), -1);
    EXPECT_EQ(entries, nullptr);
    fs::create_directory(in("empty"));
    EXPECT_EQ(list_dir(in("empty").c_str(), &entries), 0);
    free(entries);
}

TEST_F(FilesTest, ListDirGrowsPastItsFirstRoom) {
    auto name = [](int i) {
        char text[16];
        snprintf(text, sizeof text, "f%d", 1000 + i);
        return std::string(text);
    };
    for (int i = 0; i < 150; i++) write_file(in(name(i)), "");
    DirEntry* entries = nullptr;
    ASSERT_EQ(list_dir(dir.c_str(), &entries), 150);
    for (int i = 0; i < 150; i++) EXPECT_EQ(entries[i].name, name(i));
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

    std::string long_home = "/" + std::string(600, 'h');
    setenv("HOME", long_home.c_str(), 1);
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
    std::istringstream lines(text);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    ASSERT_EQ(line.size(), 11u + 7u);
    EXPECT_EQ(line[0], '[');
    EXPECT_EQ(line[3], ':');
    EXPECT_EQ(line[6], ':');
    EXPECT_EQ(line.substr(9), "] first 1");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.substr(11), std::string(2047, 'm'));
    EXPECT_FALSE(std::getline(lines, line));

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

}  // namespace
