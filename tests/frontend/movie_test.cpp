// Input movies: a recording played back frame for frame, the file it
// leaves, the movie chosen for playback, damaged and truncated movies,
// recordings that cannot be written, and what ends a movie and what not.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "frontend/movie.h"
#include "tests/frontend/game_fixtures.h"

namespace {

using MovieTest = FakeGameTest;
using TalvexMovieTest = TalvexGameTest;

TEST_F(TalvexMovieTest, APlayedMovieRepeatsTheRecordingFrameForFrame) {
    open_pads(1);
    steps(6);
    start_movie_recording();
    ASSERT_NE(fe.movie_file, nullptr);
    std::string name = std::string(fe.movie_status).substr(4);
    EXPECT_EQ(std::string(fe.movie_status), "REC " + name);
    EXPECT_EQ(std::string(fe.toast_text), "Recording inputs to " + name);

    struct Frame {
        uint32_t word, port;
        std::vector<uint32_t> picture;
    };
    std::vector<Frame> recorded;
    for (int i = 0; i < 24; i++) {
        set_pad_button(0, SDL_CONTROLLER_BUTTON_A, i % 3 == 0);
        set_pad_button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, i % 5 < 2);
        set_pad_button(0, SDL_CONTROLLER_BUTTON_BACK, i == 6);
        step_frame();
        recorded.push_back({fe.input_word, work_word(4), picture()});
    }
    ASSERT_EQ(recorded[6].word, 0x10011u) << "up, shot and the coin's pulse";
    stop_movie_recording();
    EXPECT_STREQ(fe.toast_text, "Recording saved");
    EXPECT_STREQ(fe.movie_status, "");

    std::vector<uint8_t> file = bytes_of(dir + "/movies/" + name);
    ASSERT_GE(file.size(), 12u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "FEMOVIE1");
    uint32_t n = get_le32(&file[8]);
    ASSERT_EQ(file.size(), 12 + n + 24 * 4);
    EXPECT_EQ(parse_result(std::vector<uint8_t>(file.begin() + 12, file.begin() + 12 + n)), "ok");
    for (int i = 0; i < 24; i++) EXPECT_EQ(get_le32(&file[12 + n + 4 * i]), recorded[i].word) << i;

    steps(10);
    for (int b : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_BACK})
        set_pad_button(0, b, 0);
    set_pad_button(0, SDL_CONTROLLER_BUTTON_B, 1);  // live input plays no part
    ASSERT_EQ(play_latest_movie(), 1);
    EXPECT_EQ(std::string(fe.movie_status), "PLAY " + name);
    for (int i = 0; i < 24; i++) {
        step_frame();
        EXPECT_EQ(fe.input_word, recorded[i].word) << "frame " << i;
        EXPECT_EQ(work_word(4), recorded[i].port) << "frame " << i;
        EXPECT_TRUE(picture() == recorded[i].picture) << "frame " << i;
    }
    steps(2);  // the first runs past the end with no input
    EXPECT_EQ(fe.input_word, 0x20u) << "live input again";
}

// A movie file: the header, a starting state, words and stray bytes; the
// declared state length when it is not 0.
std::vector<uint8_t> movie_bytes(const std::vector<uint8_t>& start, std::vector<uint32_t> words, size_t stray = 0,
                                 uint32_t declared = 0) {
    std::vector<uint8_t> file(MOVIE_MAGIC, MOVIE_MAGIC + 8);
    file.resize(12);
    put_le32(&file[8], declared ? declared : (uint32_t)start.size());
    file.insert(file.end(), start.begin(), start.end());
    for (uint32_t w : words) {
        file.resize(file.size() + 4);
        put_le32(&file[file.size() - 4], w);
    }
    file.resize(file.size() + stray, 0xEE);
    return file;
}

TEST_F(MovieTest, PlaybackTakesTheNewestMovieByNameAndEachWordAsRecorded) {
    fake_game.frames_run = 50;
    const std::vector<uint8_t> start = container();
    fake_game.frames_run = 3;
    std::string movies = dir + "/movies/";
    EXPECT_EQ(play_latest_movie(), 0);
    EXPECT_STREQ(fe.toast_text, "No recorded movies yet");
    write_bytes(movies + "a.FEMV", movie_bytes(start, {1}));
    write_bytes(movies + "b.femv.bak", movie_bytes(start, {1}));
    ASSERT_EQ(mkdir((movies + "c.femv").c_str(), 0755), 0);
    fe.toast_text[0] = '\0';
    EXPECT_EQ(play_latest_movie(), 0);
    EXPECT_STREQ(fe.toast_text, "No recorded movies yet");

    write_bytes(movies + "movie-20240102-000000.femv", movie_bytes(start, {5, 6}, 3));
    write_bytes(movies + "movie-20240101-000000.femv", movie_bytes(start, {7}));  // written last
    fe.toast_text[0] = '\0';
    fe.running = 0;
    fe.input_word = 9;
    queue_sound();
    ASSERT_EQ(play_latest_movie(), 1);
    EXPECT_STREQ(fe.toast_text, "") << "playback starts without a toast";
    EXPECT_STREQ(fe.movie_status, "PLAY movie-20240102-000000.femv");
    EXPECT_EQ(fe.running, 1);
    EXPECT_EQ(fake_game.frames_run, 50u);
    EXPECT_EQ(fe.input_word, 0u);
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(fe.movie_pos, 12 + start.size());
    steps(3);
    EXPECT_EQ(std::vector<uint32_t>(fake_game.input_log.end() - 3, fake_game.input_log.end()),
              (std::vector<uint32_t>{5, 6, 0}));
    EXPECT_EQ(fake_game.frames_run, 53u);
    EXPECT_STREQ(fe.toast_text, "Playback finished");
    EXPECT_STREQ(fe.movie_status, "");

    EXPECT_EQ(fe.movie_data, nullptr);
}

TEST_F(MovieTest, DamagedAndTruncatedMoviesAreRefused) {
    const std::vector<uint8_t> start = container();
    std::vector<uint8_t> short_file = movie_bytes(start, {}), other_magic = movie_bytes(start, {1});
    short_file.resize(11);
    other_magic[7] = '2';
    std::vector<uint8_t> damaged = start;
    damaged[200] ^= 1;
    const struct {
        std::vector<uint8_t> file;
        std::string toast, message;
    } cases[] = {
        {short_file, "Movie file is not valid", ""},
        {other_magic, "Movie file is not valid", ""},
        {movie_bytes(start, {1, 2}, 0, (uint32_t)start.size() + 9), "Movie file is truncated", ""},
        {movie_bytes(start, {}, 0, 0xFFFFFFFF), "Movie file is truncated", ""},
        {movie_bytes(damaged, {1}), "", "file is damaged (checksum mismatch)"},
    };
    int k = 0;
    for (const auto& c : cases) {
        std::string folder = dir + "/movies/" + std::to_string(k++);
        ASSERT_EQ(make_dirs(folder.c_str()), 1);
        snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s", folder.c_str());
        write_bytes(folder + "/movie.femv", c.file);
        fe.toast_text[0] = fe.message_text[0] = '\0';
        fe.running = 0;
        EXPECT_EQ(play_latest_movie(), 0) << k;
        EXPECT_EQ(fe.toast_text, c.toast) << k;
        EXPECT_EQ(fe.message_text, c.message) << k;
        if (!c.message.empty()) {
            EXPECT_STREQ(fe.message_title, "Cannot play movie");
        }
        EXPECT_EQ(fe.running, 0);
        EXPECT_EQ(fe.movie_data, nullptr);
    }
}

// Whatever second the recording's name takes, `make` puts something in
// the way of that name in `folder`.
void block_movie_names(const std::string& folder, int (*make)(const std::string& path)) {
    time_t t0 = time(nullptr);
    for (int d = 0; d < 3; d++) {
        char name[MOVIE_NAME_SIZE];
        movie_file_name(t0 + d, name, sizeof name);
        ASSERT_EQ(make(folder + "/" + name), 0);
    }
}

TEST_F(MovieTest, ARecordingThatCannotBeWrittenLeavesNoFileAndIsNotAnnounced) {
    // A folder where the file should be: it cannot be opened.
    block_movie_names(fe.movies_dir, [](const std::string& p) { return mkdir(p.c_str(), 0755); });
    start_movie_recording();
    EXPECT_EQ(std::string(fe.toast_text).rfind("Cannot write " + dir + "/movies/movie-", 0), 0u) << fe.toast_text;
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_STREQ(fe.movie_status, "");
    DirEntry* list = nullptr;
    int count = list_dir(fe.movies_dir, &list);
    for (int i = 0; i < count; i++) EXPECT_EQ(list[i].is_folder, 1) << list[i].name;
    free(list);

    fe.adapter.save_snapshot = [](size_t*) -> void* { return nullptr; };
    start_movie_recording();
    EXPECT_STREQ(fe.toast_text, "Cannot start recording");
    for (const std::string& line : log_messages()) EXPECT_EQ(line.rfind("Recording inputs to", 0), std::string::npos);

    // A full device: opened, but the start cannot be written; the file goes.
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "needs /dev/full";
    fe.adapter = fake_adapter();
    std::string full = dir + "/full";
    ASSERT_EQ(make_dirs(full.c_str()), 1);
    snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s", full.c_str());
    block_movie_names(full, [](const std::string& p) { return symlink("/dev/full", p.c_str()); });
    start_movie_recording();
    std::string toast = fe.toast_text;
    ASSERT_EQ(toast.rfind("Cannot write " + full + "/movie-", 0), 0u) << toast;
    struct stat st;
    EXPECT_NE(lstat(toast.substr(13).c_str(), &st), 0) << "the file is gone";
    EXPECT_EQ(fe.movie_file, nullptr);
    EXPECT_STREQ(fe.movie_status, "");
}

// Every write past `bytes` into any file fails while this lives, as on a
// full disk; what fits before still lands.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        handler = signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, handler);
    }

private:
    rlimit saved{};
    sighandler_t handler;
};

// A word that cannot be written ends the recording at once, and so does a
// close that cannot write what was buffered; neither is called saved, and
// the file still plays every whole word that reached it.
TEST_F(MovieTest, ARecordingWhoseWritesFailEndsAtOnceAndIsNeverCalledSaved) {
    const struct {
        int frames;
        size_t room;  // bytes the words may take before writes fail
        bool fails, ends_early;
    } cases[] = {
        {20000, 1001, true, true},  // a word's write fails once the buffer goes out
        {100, 202, true, false},    // every word stays in the buffer: only the close fails
        {100, 1 << 20, false, false},
    };
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(k);
        std::string folder = dir + "/movies/" + std::to_string(k++);
        ASSERT_EQ(make_dirs(folder.c_str()), 1);
        snprintf(fe.movies_dir, sizeof fe.movies_dir, "%s", folder.c_str());
        start_movie_recording();
        ASSERT_NE(fe.movie_file, nullptr);
        std::string name = std::string(fe.movie_status).substr(4);
        long start = ftell(fe.movie_file);
        int recorded = 0;
        {
            FileSizeLimit limit((rlim_t)start + c.room);
            for (; recorded < c.frames && fe.movie_file; recorded++) step_frame();
            if (fe.movie_file) stop_movie_recording();
        }
        EXPECT_EQ(recorded < c.frames, c.ends_early) << "ended at the first word not written";
        EXPECT_EQ(fe.toast_text, c.fails ? "Recording failed: cannot write " + name : "Recording saved");
        EXPECT_STREQ(fe.movie_status, "");
        size_t words = (c.fails ? c.room : (size_t)c.frames * 4) / 4;
        EXPECT_EQ(bytes_of(folder + "/" + name).size(), (size_t)start + (c.fails ? c.room : words * 4));
        ASSERT_EQ(play_latest_movie(), 1);
        EXPECT_EQ((fe.movie_size - fe.movie_pos) / 4, words) << "every whole word plays";
        end_movie();
    }
}

TEST_F(MovieTest, MoviesOutliveLoadsAndRewindsAndStopEndsThemAfterTheAutosave) {
    save_slot(2);
    start_movie_recording();
    ASSERT_NE(fe.movie_file, nullptr);
    ASSERT_EQ(load_slot(2), 1);
    fe.settings.rewind = 1;
    reset_rewind();
    steps(8);
    rewind_step();
    EXPECT_NE(fe.movie_file, nullptr);
    stop_game(1);
    EXPECT_EQ(fe.movie_file, nullptr);
    int autosaved = log_index("autosaved to " + slot_file(0)), saved = log_index("Recording saved");
    EXPECT_GE(autosaved, 0);
    EXPECT_GT(saved, autosaved);

    ASSERT_EQ(play_latest_movie(), 1);
    start_movie_recording();
    ASSERT_NE(fe.movie_file, nullptr);
    EXPECT_EQ(fe.movie_data, nullptr);
    std::string name = std::string(fe.movie_status).substr(4);
    EXPECT_GT(log_index("Recording inputs to " + name), log_index("Playback finished"));
    EXPECT_GE(log_index("Playback finished"), 0);
}

}  // namespace
