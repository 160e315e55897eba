// The real `talvex` binary on synthetic ROM sets: headless under SDL's
// dummy drivers, and in a real window under Xvfb driven with xdotool.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "adapter/adapter.h"
#include "tests/support/synthetic_romset.h"
#include "zipio/zip_io.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr u32 PROGRAM_BASE = 0x00001000;
constexpr u32 STACK_TOP = 0x06100000;
const char TITLE_FOLDER[] = "Velmorhaven/Talvex - The Iron Pinions";

std::string program(const char* name) { return std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin"; }

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line)) out.push_back(line);
    return out;
}

// A log line without its "[HH:MM:SS] " time stamp.
std::string message_of(const std::string& line) { return line.size() > 11 ? line.substr(11) : line; }

bool has_line_starting(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines)
        if (message_of(l).rfind(prefix, 0) == 0) return true;
    return false;
}

// One run of the binary with its own HOME and per-user data folder.
class Talvex {
public:
    Talvex() {
        char pattern[] = "/tmp/talvex-e2e-XXXXXX";
        home = mkdtemp(pattern);
        env["HOME"] = home;
        env["XDG_DATA_HOME"] = home + "/share";
        env["SDL_VIDEODRIVER"] = "dummy";
        env["SDL_AUDIODRIVER"] = "dummy";
        // The sanitizer build's leak report would only list SDL's and the
        // video driver's own allocations kept until exit.
        env["ASAN_OPTIONS"] = "detect_leaks=0";
    }
    ~Talvex() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(home, ec);
    }

    std::string data_dir() const { return home + "/share/" + TITLE_FOLDER; }
    std::string log() const { return read_file(data_dir() + "/frontend.log"); }
    std::vector<std::string> log_lines() const { return lines_of(log()); }

    void start(const std::vector<std::string>& args) {
        std::string out = home + "/stdout", err = home + "/stderr";
        pid = fork();
        if (pid == 0) {
            for (auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
            if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
            freopen(out.c_str(), "w", stdout);
            freopen(err.c_str(), "w", stderr);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(TALVEX_BINARY));
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(TALVEX_BINARY, argv.data());
            _exit(127);
        }
    }

    // The exit status, or -1 when the process had to be killed.
    int wait(double seconds) {
        auto until = Clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (Clock::now() < until) {
            pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                pid = -1;
                stdout_text = read_file(home + "/stdout");
                stderr_text = read_file(home + "/stderr");
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
        return -1;
    }

    int run(const std::vector<std::string>& args, double seconds = 60) {
        start(args);
        return wait(seconds);
    }

    // Waits until the log holds a line beginning with `prefix`.
    bool wait_for_log(const std::string& prefix, double seconds = 30) {
        auto until = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < until) {
            if (has_line_starting(log_lines(), prefix)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    void terminate() { kill(pid, SIGTERM); }

    std::string home;
    std::string cwd;  // the folder it starts in, when not this one
    std::map<std::string, std::string> env;
    pid_t pid = -1;
    std::string stdout_text, stderr_text;
};

u32 be32(const std::string& s, size_t at) {
    return (u32)(u8)s[at] << 24 | (u32)(u8)s[at + 1] << 16 | (u32)(u8)s[at + 2] << 8 | (u8)s[at + 3];
}

// An 8-bit RGB PNG as the frontend writes it (one IDAT, filter 0 rows),
// checked chunk by chunk and decoded into XRGB8888 pixels.
bool decode_png(const std::string& png, int* w, int* h, std::vector<u32>* pixels) {
    if (png.size() < 57 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
    std::string idat;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        u32 len = be32(png, at);
        std::string type = png.substr(at + 4, 4);
        if (at + 12 + len > png.size()) return false;
        u32 crc = zipio_crc32(0, png.data() + at + 4, len + 4);
        if (crc != be32(png, at + 8 + len)) return false;
        if (type == "IHDR") {
            *w = (int)be32(png, at + 8);
            *h = (int)be32(png, at + 12);
            if (png[at + 16] != 8 || png[at + 17] != 2) return false;
        } else if (type == "IDAT") {
            idat += png.substr(at + 8, len);
        }
        at += 12 + len;
    }
    size_t row = (size_t)*w * 3 + 1;
    std::vector<u8> raw(row * *h);
    size_t raw_len = raw.size();
    if (!zipio_uncompress(raw.data(), &raw_len, idat.data(), idat.size()) || raw_len != raw.size()) return false;
    pixels->resize((size_t)*w * *h);
    for (int y = 0; y < *h; y++) {
        if (raw[y * row] != 0) return false;
        for (int x = 0; x < *w; x++) {
            const u8* p = &raw[y * row + 1 + x * 3];
            (*pixels)[(size_t)y * *w + x] = (u32)p[0] << 16 | (u32)p[1] << 8 | p[2];
        }
    }
    return true;
}

unsigned long long exit_frames(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) {
        unsigned long long n;
        if (sscanf(message_of(l).c_str(), "exit: %llu frames", &n) == 1) return n;
    }
    return ~0ull;
}

// The same set in this process: the picture and NVRAM after `frames`
// frames from reset with every input clear.
void run_in_process(const std::string& game_zip, unsigned long long frames, std::vector<u32>* picture,
                    std::vector<u8>* nvram, u32* fingerprint) {
    char err[512] = "";
    ASSERT_EQ(adapter_load(game_zip.c_str(), err, sizeof err), 1) << err;
    const u16 dips[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    adapter_set_dip_switches(dips);
    adapter_reset();
    std::vector<s16> audio(ADAPTER_MAX_AUDIO_FRAMES * 2 + 16);
    for (unsigned long long i = 0; i < frames; i++) {
        int n = 0;
        adapter_set_inputs(0);
        ASSERT_EQ(adapter_run_frame(audio.data(), &n, err, sizeof err), 0) << err;
    }
    picture->assign(320 * 240, 0);
    adapter_get_frame_xrgb8888(picture->data());
    nvram->assign(ADAPTER_NVRAM_SIZE, 0);
    adapter_save_nvram(nvram->data(), nvram->size());
    *fingerprint = adapter_rom_fingerprint();
    adapter_shutdown();
}

TEST(EndToEnd, HelpPrintsTheUsageAndTouchesNothing) {
    Talvex t;
    ASSERT_EQ(t.run({"--frames", "5", "--help", "--bogus"}), 0);
    std::vector<std::string> out = lines_of(t.stdout_text);
    ASSERT_EQ(out.size(), 13u);
    EXPECT_EQ(out[0], TALVEX_BINARY);
    EXPECT_EQ(out[1], "  --rom PATH        ROM archive (talvex.zip)");
    EXPECT_EQ(t.stderr_text, "");
    EXPECT_FALSE(fs::exists(t.home + "/share"));
}

TEST(EndToEnd, HeadlessRunWritesTheLastFrameNvramSettingsAndLog) {
    const SynthSetPaths& set = synth_standard_set(program("frame_loop").c_str(), PROGRAM_BASE, STACK_TOP);
    Talvex t;
    std::string shot = t.home + "/out.png";
    ASSERT_EQ(t.run({set.game_zip, "--no-menu", "--frames", "120", "--screenshot", shot}), 0) << t.stderr_text;

    std::vector<std::string> log = t.log_lines();
    unsigned long long frames = exit_frames(log);
    // The loop ends after the pass in which the count reaches 120; a pass
    // runs at most four frames.
    ASSERT_GE(frames, 120u);
    ASSERT_LE(frames, 123u);
    EXPECT_EQ(t.stderr_text, t.log()) << "standard error carries exactly the log's lines";
    EXPECT_TRUE(has_line_starting(log, "ROM loaded: " + set.game_zip));

    std::vector<u32> expected_picture;
    std::vector<u8> expected_nvram;
    u32 fingerprint = 0;
    run_in_process(set.game_zip, frames, &expected_picture, &expected_nvram, &fingerprint);

    int w = 0, h = 0;
    std::vector<u32> picture;
    ASSERT_TRUE(decode_png(read_file(shot), &w, &h, &picture));
    EXPECT_EQ(w, 320);  // unrotated, whatever the display rotation
    EXPECT_EQ(h, 240);
    EXPECT_EQ(picture, expected_picture);

    char name[64];
    snprintf(name, sizeof name, "/nvram/talvex-%08X.nv", fingerprint);
    std::string nv = read_file(t.data_dir() + name);
    ASSERT_EQ(nv.size(), ADAPTER_NVRAM_SIZE);
    EXPECT_TRUE(std::equal(nv.begin(), nv.end(), expected_nvram.begin(),
                           [](char a, u8 b) { return (u8)a == b; }));

    std::string settings = read_file(t.data_dir() + "/settings.ini");
    EXPECT_EQ(settings.rfind("# Settings written by the frontend. Safe to edit while the game is closed.\n", 0), 0u);
    EXPECT_NE(settings.find("rom = " + set.game_zip + "\n"), std::string::npos);
}

TEST(EndToEnd, ARejectedRomIsReportedAndTheMenuWaits) {
    static SyntheticRomset set;
    synth_init(&set);
    std::string dir = synth_temp_dir();
    SynthWriteOptions options{};
    options.wrong_crc_mask = 1u << 2;
    ASSERT_EQ(synth_write(&set, &options, (dir + "/talvex.zip").c_str(), (dir + "/voxa.zip").c_str()), 1);

    Talvex t;
    t.start({dir + "/talvex.zip", "--no-menu"});
    ASSERT_TRUE(t.wait_for_log("ROM " + dir + "/talvex.zip rejected: ")) << t.log();
    t.terminate();
    ASSERT_EQ(t.wait(30), 0);
    std::vector<std::string> log = t.log_lines();
    EXPECT_EQ(exit_frames(log), 0u);
    EXPECT_TRUE(fs::exists(t.data_dir() + "/settings.ini"));
}

TEST(EndToEnd, ACpuStopOpensTheErrorDialog) {
    const SynthSetPaths& set = synth_standard_set(program("stop_after_wait").c_str(), PROGRAM_BASE, STACK_TOP);
    Talvex t;
    t.start({set.game_zip, "--no-menu"});
    ASSERT_TRUE(t.wait_for_log("The game stopped: The SH-2 program stopped at address ")) << t.log();
    t.terminate();
    EXPECT_EQ(t.wait(30), 0);
    // The entry holds the dialog's text as it stands, line breaks and all.
    std::string log = t.log();
    size_t at = log.find("] The game stopped: ");
    ASSERT_NE(at, std::string::npos) << log;
    std::string entry = log.substr(at + 2);
    size_t address = entry.find("address ");
    ASSERT_NE(address, std::string::npos) << entry;
    address += 8;
    ASSERT_LE(address + 8, entry.size());
    EXPECT_EQ(entry.find_first_not_of("0123456789ABCDEF", address), address + 8) << entry;
    entry.replace(address, 8, "A");
    const std::string expected =
        "The game stopped: The SH-2 program stopped at address A (an instruction the runtime cannot execute).\n"
        "\nThe native translation does not interpret instructions, so it stops instead of guessing. Your autosave "
        "and slots are unaffected. The log has details:\n" +
        t.data_dir() + "/frontend.log\n";
    EXPECT_EQ(entry.substr(0, expected.size()), expected);
}

// A ROM opened by a relative path, given or found in the current folder,
// opens again when the program starts from another folder with none; the
// log names it as it was given or found.
TEST(EndToEnd, ARomOpenedByARelativePathIsFoundFromAnyFolder) {
    const SynthSetPaths& set = synth_standard_set(program("frame_loop").c_str(), PROGRAM_BASE, STACK_TOP);
    const std::string place = fs::canonical(synth_temp_dir()).string(), elsewhere = synth_temp_dir();
    ASSERT_TRUE(fs::create_directories(place + "/roms"));
    fs::copy_file(set.game_zip, place + "/roms/talvex.zip");
    fs::copy_file(set.bios_zip, place + "/roms/voxa.zip");
    const struct {
        std::string cwd;
        std::vector<std::string> args;
        std::string found;
    } cases[] = {
        {place, {"roms/talvex.zip"}, "ROM loaded: roms/talvex.zip (fingerprint "},
        {place + "/roms", {}, "found ROM at talvex.zip"},
    };
    for (const auto& c : cases) {
        Talvex t;
        t.cwd = c.cwd;
        std::vector<std::string> args = c.args;
        for (const char* a : {"--no-menu", "--frames", "3"}) args.push_back(a);
        ASSERT_EQ(t.run(args), 0) << t.stderr_text;
        EXPECT_TRUE(has_line_starting(t.log_lines(), c.found)) << t.log();
        EXPECT_NE(read_file(t.data_dir() + "/settings.ini").find("\nrom = " + place + "/roms/talvex.zip\n"),
                  std::string::npos);
        t.cwd = elsewhere;
        ASSERT_EQ(t.run({"--no-menu", "--frames", "3"}), 0) << t.stderr_text;
        EXPECT_TRUE(has_line_starting(t.log_lines(), "ROM loaded: " + place + "/roms/talvex.zip (fingerprint "))
            << t.log();
    }
}

TEST(EndToEnd, SigtermQuitsInOrderWithTheAutosaveAndSettings) {
    const SynthSetPaths& set = synth_standard_set(program("frame_loop").c_str(), PROGRAM_BASE, STACK_TOP);
    Talvex t;
    t.start({set.game_zip, "--no-menu"});
    ASSERT_TRUE(t.wait_for_log("ROM loaded: ")) << t.log();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    t.terminate();
    ASSERT_EQ(t.wait(30), 0);
    std::vector<std::string> log = t.log_lines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(message_of(log.back()).rfind("exit: ", 0), 0u);
    EXPECT_TRUE(has_line_starting(log, "autosaved to " + t.data_dir() + "/states/talvex-"));
    EXPECT_TRUE(fs::exists(t.data_dir() + "/settings.ini"));
}

// Starts a helper with its output thrown away. It gets SIGTERM when this
// process dies, so that a test killed on its time-out leaves no X server.
pid_t spawn(const std::vector<std::string>& args, const std::string& display) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Whether the child has ended; it is reaped and `pid` cleared if so.
bool has_exited(pid_t& pid) {
    if (pid <= 0 || waitpid(pid, nullptr, WNOHANG) != pid) return pid <= 0;
    pid = -1;
    return true;
}

// SIGTERM, a few seconds to go, then SIGKILL; always reaped.
void stop_process(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    auto until = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < until && !has_exited(pid)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

bool quietly(const std::string& command) { return system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string lock_file(int n) { return "/tmp/.X" + std::to_string(n) + "-lock"; }
std::string socket_file(int n) { return "/tmp/.X11-unix/X" + std::to_string(n); }

// The pid an X server wrote into the display's lock file, or -1.
long lock_owner(int n) {
    std::string text = read_file(lock_file(n));
    return text.empty() ? -1 : atol(text.c_str());
}

// The inodes of the listening Unix sockets of display `n`: the socket file
// and its abstract twin, which a server may hold without the file or lock.
std::vector<std::string> display_sockets(int n) {
    std::vector<std::string> inodes;
    std::stringstream in(read_file("/proc/net/unix"));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        std::string slot, refs, protocol, flags, type, state, inode, path;
        if (!(fields >> slot >> refs >> protocol >> flags >> type >> state >> inode >> path)) continue;
        bool listening = flags == "00010000";
        if (listening && (path == socket_file(n) || path == "@" + socket_file(n))) inodes.push_back(inode);
    }
    return inodes;
}

// Whether every socket a client of display `n` could connect to is held
// by process `pid`, so that a client cannot reach some other server.
bool serves_display(pid_t pid, int n) {
    std::vector<std::string> inodes = display_sockets(n);
    if (inodes.empty()) return false;
    std::vector<std::string> held;
    std::error_code ec;
    for (fs::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", ec), end; fd != end; fd.increment(ec))
        held.push_back(fs::read_symlink(fd->path(), ec).string());
    for (const std::string& inode : inodes)
        if (std::find(held.begin(), held.end(), "socket:[" + inode + "]") == held.end()) return false;
    return true;
}

bool display_in_use(int n) {
    std::error_code ec;
    return fs::exists(lock_file(n), ec) || fs::exists(socket_file(n), ec) || !display_sockets(n).empty();
}

// A display number for try `attempt`. Derived from the pid and spread wide,
// so that harnesses running at once start far apart and away from a
// desktop's low numbers; a number another server holds is passed over,
// and Xvfb's own lock settles a race for the same one.
int free_display(int attempt) {
    int n = 1000 + (int)((getpid() * 97L + attempt * 7919L) % 30000);
    while (n < 50000 && display_in_use(n)) n++;
    return n;
}

// A private Xvfb for the window tests, with a window manager when asked
// (desktop fullscreen is a request to one). `display` stays empty when it
// could not be had, and `failure` says why in one line.
class Xvfb {
public:
    explicit Xvfb(bool window_manager) {
        for (int attempt = 0; attempt < 4; attempt++) {
            number = free_display(attempt);
            if (!start_server()) {
                failure = "could not start a private X server";
            } else if (window_manager && !start_window_manager()) {
                failure = "window manager did not start";
            } else {
                display = ":" + std::to_string(number);
                failure.clear();
                return;
            }
            stop();
        }
    }
    ~Xvfb() { stop(); }

    std::string display;
    std::string failure;

private:
    // Up within a few seconds, holding the display's lock and every socket
    // of it, and answering.
    bool start_server() {
        std::string name = ":" + std::to_string(number);
        server = spawn({"Xvfb", name, "-screen", "0", "1920x1200x24", "-nolisten", "tcp"}, "");
        auto until = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < until && !has_exited(server)) {
            if (lock_owner(number) == server && serves_display(server, number) &&
                quietly("xdpyinfo -display " + name))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // The window manager marks the root window with its version once it
    // has taken over; a window mapped before that can be lost to it.
    bool start_window_manager() {
        std::string name = ":" + std::to_string(number);
        wm = spawn({"openbox", "--sm-disable"}, name);
        std::string probe = "xprop -display " + name + " -root _OB_VERSION 2>/dev/null | grep -q =";
        auto until = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < until && !has_exited(wm) && !has_exited(server)) {
            if (system(probe.c_str()) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // A server killed outright leaves its lock and socket file behind.
    void stop() {
        stop_process(wm);
        pid_t was = server;
        stop_process(server);
        if (was > 0 && lock_owner(number) == was) {
            std::error_code ec;
            fs::remove(socket_file(number), ec);
            fs::remove(lock_file(number), ec);
        }
    }

    int number = -1;
    pid_t server = -1;
    pid_t wm = -1;
};

TEST(EndToEnd, AnXServerThatDoesNotComeUpIsRetriedOnOtherDisplaysThenReported) {
    // An Xvfb that notes the display it was asked for and fails.
    std::string dir = synth_temp_dir();
    std::string fake = dir + "/Xvfb";
    std::ofstream(fake) << "#!/bin/sh\necho \"$1\" >> " << dir << "/tries\nexit 1\n";
    fs::permissions(fake, fs::perms::owner_all);
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir + ":" + path).c_str(), 1);
    {
        Xvfb x(true);
        EXPECT_EQ(x.display, "");
        EXPECT_EQ(x.failure, "could not start a private X server");
    }
    setenv("PATH", path.c_str(), 1);
    std::vector<std::string> tries = lines_of(read_file(dir + "/tries"));
    ASSERT_EQ(tries.size(), 4u);
    EXPECT_EQ(std::set<std::string>(tries.begin(), tries.end()).size(), 4u) << "a display tried twice";
}

std::string shell(const std::string& display, const std::string& command) {
    std::string full = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    FILE* p = popen(full.c_str(), "r");
    if (!p) return "";
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// "WxH" of a window, from xdotool.
std::string window_size(const std::string& display, const std::string& id) {
    std::string geometry = shell(display, "xdotool getwindowgeometry " + id);
    size_t at = geometry.find("Geometry: ");
    return at == std::string::npos ? "" : geometry.substr(at + 10);
}

// The window reaching a size; then a moment for the window manager and the
// game to finish the change before the next key.
bool wait_for_size(const std::string& display, const std::string& id, const std::string& size) {
    auto until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until) {
        if (window_size(display, id) == size) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(EndToEnd, TheWindowOpensWithItsTitleAndSizeAndTogglesFullscreen) {
    if (system("(command -v Xvfb && command -v xdotool && command -v openbox && command -v xprop && "
               "command -v xdpyinfo) >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb, openbox, xprop, xdpyinfo and xdotool are installed by scripts/setup.sh";
    Xvfb x(true);
    if (x.display.empty()) GTEST_FAIL() << x.failure;
    const SynthSetPaths& set = synth_standard_set(program("frame_loop").c_str(), PROGRAM_BASE, STACK_TOP);
    Talvex t;
    t.env.erase("SDL_VIDEODRIVER");
    t.env["DISPLAY"] = x.display;
    t.start({set.game_zip, "--no-menu"});
    std::string id =
        shell(x.display, "timeout 30 xdotool search --sync --onlyvisible --name '^Talvex: The Iron Pinions$'");
    ASSERT_FALSE(id.empty()) << t.log();
    id = id.substr(0, id.find('\n'));
    // Scale 3 of the 320 x 240 game turned a quarter: 720 wide, 960 high.
    EXPECT_TRUE(wait_for_size(x.display, id, "720x960")) << window_size(x.display, id);
    ASSERT_TRUE(t.wait_for_log("ROM loaded: "));
    shell(x.display, "xdotool windowactivate --sync " + id);
    // Keys go where the input focus is: wait until the window has it and
    // the game has seen it arrive.
    auto until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until && shell(x.display, "xdotool getwindowfocus") != id)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    shell(x.display, "xdotool key F11");
    EXPECT_TRUE(wait_for_size(x.display, id, "1920x1200"))
        << window_size(x.display, id) << "\n" << t.log() << read_file(t.data_dir() + "/settings.ini").substr(0, 200);
    shell(x.display, "xdotool key F11");
    EXPECT_TRUE(wait_for_size(x.display, id, "720x960")) << window_size(x.display, id);
    shell(x.display, "xdotool key alt+Return");
    EXPECT_TRUE(wait_for_size(x.display, id, "1920x1200")) << window_size(x.display, id);
    shell(x.display, "xdotool key alt+Return");
    EXPECT_TRUE(wait_for_size(x.display, id, "720x960")) << window_size(x.display, id);

    t.terminate();
    EXPECT_EQ(t.wait(30), 0);
}

// Sends keys to the focused window, one at a time, with a pause after each
// so that every key lands in a pass of its own.
void keys(const std::string& display, const std::string& names) {
    shell(display, "xdotool key --delay 250 " + names);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

TEST(EndToEnd, TheMenusDriveTheGameFromStartToExit) {
    if (system("(command -v Xvfb && command -v xdotool && command -v openbox && command -v xprop && "
               "command -v xdpyinfo) >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb, openbox, xprop, xdpyinfo and xdotool are installed by scripts/setup.sh";
    Xvfb x(false);
    if (x.display.empty()) GTEST_FAIL() << x.failure;
    const SynthSetPaths& set = synth_standard_set(program("frame_loop").c_str(), PROGRAM_BASE, STACK_TOP);
    Talvex t;
    t.env.erase("SDL_VIDEODRIVER");
    t.env["DISPLAY"] = x.display;
    t.start({set.game_zip});
    std::string id =
        shell(x.display, "timeout 30 xdotool search --sync --onlyvisible --name '^Talvex: The Iron Pinions$'");
    ASSERT_FALSE(id.empty()) << t.log();
    id = id.substr(0, id.find('\n'));
    ASSERT_TRUE(t.wait_for_log("ROM loaded: "));
    shell(x.display, "xdotool windowfocus --sync " + id);
    auto until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until && shell(x.display, "xdotool getwindowfocus") != id)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string settings = t.data_dir() + "/settings.ini";

    // The main menu with a ROM and no game: Start Game, Continue, Load
    // State, ROM Selection, Display Settings, ... Into Display, Scaling
    // (the third row) to Integer, and Back writes the file.
    keys(x.display, "Down Down Down Down Return");
    keys(x.display, "Down Down Right");
    EXPECT_EQ(read_file(settings).find("scale_mode = 1"), std::string::npos) << "not written on a change";
    keys(x.display, "Escape");
    EXPECT_NE(read_file(settings).find("scale_mode = 1\n"), std::string::npos) << read_file(settings);

    // Back on the main menu at Display Settings: up to Start Game.
    keys(x.display, "Up Up Up Up Return");
    // The pause menu: Resume, Restart Game, Save State, ... Save into slot 1,
    // which resumes the game.
    keys(x.display, "Escape Down Down Return");
    keys(x.display, "Return");
    ASSERT_TRUE(t.wait_for_log("Saved to slot 1", 10)) << t.log();
    // Load State, Slot 1 (below the autosave), Yes.
    keys(x.display, "Escape Down Return");
    keys(x.display, "Down Return");
    keys(x.display, "Left Return");
    ASSERT_TRUE(t.wait_for_log("Loaded slot 1", 10)) << t.log();
    // Exit is the last of the pause menu's rows: up from Load State wraps
    // to it after Resume; Yes quits with the autosave.
    keys(x.display, "Escape Up Up Up Up Return");
    keys(x.display, "Left Return");
    ASSERT_EQ(t.wait(30), 0) << t.log();
    std::vector<std::string> log = t.log_lines();
    EXPECT_TRUE(has_line_starting(log, "autosaved to " + t.data_dir() + "/states/talvex-"));
    EXPECT_EQ(message_of(log.back()).rfind("exit: ", 0), 0u);
}

}  // namespace
