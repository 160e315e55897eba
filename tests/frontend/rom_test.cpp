// ROM opening, choosing an archive, and the NVRAM file kept per game and
// ROM revision.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "tests/frontend/pads_and_probes.h"
#include "tests/frontend/reader_test_util.h"

namespace {

int load_calls = 0, validate_calls = 0;

int counting_load(const char* archive, char* err, size_t errlen) {
    load_calls++;
    return fake_adapter().load(archive, err, errlen);
}

int counting_validate(const char* archive, char* err, size_t errlen) {
    validate_calls++;
    return fake_adapter().validate_rom(archive, err, errlen);
}

int refusing_load(const char*, char* err, size_t errlen) {
    snprintf(err, errlen, "The archive vanished.");
    return 0;
}

const char PATH_TOO_LONG[] = "The file's path is longer than 2047 characters.";

class RomTest : public PadTest {
protected:
    void SetUp() override {
        PadTest::SetUp();
        load_calls = validate_calls = 0;
        fe.adapter.load = counting_load;
        fe.adapter.validate_rom = counting_validate;
        bad = dir + "/bad.zip";
        std::ofstream(bad) << "not a ROM";
    }

    std::string nvram_file(uint32_t fingerprint) {
        char name[64];
        snprintf(name, sizeof name, "/nvram/fakegame-%08X.nv", fingerprint);
        return dir + name;
    }

    // A path of exactly `length` characters inside the data folder, its
    // folders made when asked.
    std::string long_path(size_t length, bool make_folders = false) {
        std::string p = dir + "/";
        while (length - p.size() > 200) p += std::string(150, 'd') + "/";
        if (make_folders) std::filesystem::create_directories(p);
        return p + std::string(length - p.size(), 'r');
    }

    // Whether a ROM is loaded, the game runs and the fake game holds a ROM.
    static std::tuple<int, int, int> game_state() { return {fe.rom_loaded, fe.running, fake_game.loaded}; }

    std::string bad;  // a file that is not a ROM
};

TEST_F(RomTest, AnOpenedRomIsLoadedStoppedRememberedAndLogged) {
    std::string rom = make_fake_rom("a.zip", 0xCAFE0001), missing = dir + "/missing.zip";
    fe.running = 1;
    fe.rom_message[0] = 'x';
    EXPECT_EQ(open_rom(rom.c_str()), 1);
    EXPECT_EQ(game_state(), std::tuple(1, 0, 1));
    EXPECT_STREQ(fe.rom, rom.c_str());
    EXPECT_STREQ(fe.rom_message, "");
    EXPECT_EQ(fe.slot_list_stale, 1);
    EXPECT_EQ(open_rom(fe.rom), 1) << "the remembered path itself";
    EXPECT_STREQ(fe.rom, rom.c_str());
    EXPECT_EQ(open_rom(missing.c_str()), 0);
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"ROM loaded: " + rom + " (fingerprint CAFE0001)",
                                                        "NVRAM restored from " + nvram_file(0xCAFE0001),
                                                        "ROM loaded: " + rom + " (fingerprint CAFE0001)",
                                                        "ROM " + missing + " rejected: cannot open the fake ROM"}));
}

TEST_F(RomTest, ARefusedRomLeavesNoGameLoadedAndTheLastGoodOneRemembered) {
    std::string good = make_fake_rom(), fits = long_path(2047), too_long = long_path(2048);
    ASSERT_EQ(fits.size(), 2047u);
    ASSERT_EQ(too_long.size(), 2048u);
    const struct {
        const char* what;
        const char* path;
        const char* message;
        int loads;
    } cases[] = {
        {"not a ROM", bad.c_str(), "not a fake ROM", 1},
        {"2,047 characters, handed over whole", fits.c_str(), "cannot open the fake ROM", 1},
        {"2,048 characters, refused rather than cut", too_long.c_str(), PATH_TOO_LONG, 0},
        {"empty", "", "No ROM selected.", 0},
        {"null", nullptr, "No ROM selected.", 0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(open_rom(good.c_str()), 1);
        fe.running = 1;
        load_calls = 0;
        SCOPED_TRACE(c.what);
        EXPECT_EQ(open_rom(c.path), 0);
        EXPECT_EQ(game_state(), std::tuple(0, 0, 0));
        EXPECT_STREQ(fe.rom_message, c.message);
        EXPECT_STREQ(fe.rom, good.c_str());
        EXPECT_EQ(load_calls, c.loads);
    }
}

TEST_F(RomTest, AnNvramFileOfTheRightSizeIsRestored) {
    std::string rom = make_fake_rom(), file = nvram_file(0x12345678);
    const struct {
        size_t size;
        int restored;
    } cases[] = {{8191, 0}, {8192, 1}, {8193, 0}};
    for (const auto& c : cases) {
        open_rom("");  // the previous case's game saves its NVRAM and goes
        std::ofstream(file, std::ios::binary) << std::string(c.size, '\x5A');
        ASSERT_EQ(open_rom(rom.c_str()), 1);
        EXPECT_EQ(fake_game.nvram[100], c.restored ? 0x5A : 0xFF) << c.size;
        EXPECT_EQ(read_text(file).size(), c.size) << "an ignored file stays until replaced";
        std::vector<std::string> lines = log_messages();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2],
                  c.restored ? "NVRAM restored from " + file
                             : "NVRAM file " + file + " ignored (unexpected size " + std::to_string(c.size) + ")");
    }
}

TEST_F(RomTest, TheOldGamesNvramIsSavedUnderItsOwnNameBeforeTheSwitch) {
    std::string first = make_fake_rom("first.zip", 0x11111111), second = make_fake_rom("second.zip", 0x22222222);
    ASSERT_EQ(open_rom(first.c_str()), 1);
    fake_game.nvram[0] = 0x42;
    ASSERT_EQ(open_rom(second.c_str()), 1);
    std::string saved = read_text(nvram_file(0x11111111));
    ASSERT_EQ(saved.size(), 8192u);
    EXPECT_EQ((uint8_t)saved[0], 0x42);
    EXPECT_FALSE(is_regular_file(nvram_file(0x22222222).c_str())) << "nothing to restore, nothing made up";
    EXPECT_EQ(fake_game.nvram[0], 0xFF);
    // Back to the first revision: its own NVRAM returns.
    ASSERT_EQ(open_rom(first.c_str()), 1);
    EXPECT_EQ(fake_game.nvram[0], 0x42);
    EXPECT_TRUE(is_regular_file(nvram_file(0x22222222).c_str()));
}

TEST_F(RomTest, MissingNvramOperationsAreLeftAloneAndWithoutTheDirtyTestTheFileIsWrittenOnce) {
    std::string rom = make_fake_rom();
    fe.adapter.unload = nullptr;
    fe.adapter.load_nvram = nullptr;
    fe.adapter.save_nvram = nullptr;
    ASSERT_EQ(open_rom(rom.c_str()), 1);
    EXPECT_EQ(flush_nvram(), 0);
    EXPECT_EQ(open_rom(""), 0);
    EXPECT_EQ(fe.rom_loaded, 0);

    fe.adapter = fake_adapter();
    fe.adapter.nvram_dirty = nullptr;
    fe.adapter.rom_fingerprint = nullptr;
    ASSERT_EQ(open_rom(rom.c_str()), 1);
    EXPECT_EQ(flush_nvram(), 1);
    ASSERT_TRUE(is_regular_file(nvram_file(0).c_str()));
    fake_game.nvram[0] = 1;
    EXPECT_EQ(flush_nvram(), 0);
    EXPECT_EQ((uint8_t)read_text(nvram_file(0))[0], 0xFF);
}

TEST_F(RomTest, AChoiceWhileAGameRunsAsksFirstOrSaysWhyNotAndTheGameGoesOn) {
    load_fake_game_running();
    load_calls = 0;
    std::string too_long = long_path(2048);
    const struct {
        const char* path;
        std::string message;
        int validations;
    } refused[] = {
        {bad.c_str(), "bad.zip\n\nnot a fake ROM\n\nExpected: fake.zip (standard set, unmodified).", 1},
        {too_long.c_str(),
         std::string(path_basename(too_long.c_str())) + "\n\n" + PATH_TOO_LONG +
             "\n\nExpected: fake.zip (standard set, unmodified).",
         0},
    };
    for (const auto& r : refused) {
        validate_calls = 0;
        choose_rom(r.path);
        EXPECT_STREQ(fe.message_title, "ROM not usable");
        EXPECT_EQ(std::string(fe.message_text), r.message);
        EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
        EXPECT_EQ(validate_calls, r.validations);
    }

    std::string other = make_fake_rom("other.zip", 0x0BADF00D);
    choose_rom(other.c_str());
    EXPECT_STREQ(fe.confirm_text, "Switch to other.zip? The current game will end.");
    EXPECT_EQ(fe.confirm_action, CONFIRM_SWITCH_ROM);
    EXPECT_EQ(top_screen(), SCREEN_CONFIRM);
    EXPECT_STREQ(fe.pending_rom_path, other.c_str());
    EXPECT_EQ(std::string(fe.message_text), refused[1].message) << "the path is kept apart from the message";
    EXPECT_EQ(game_state(), std::tuple(1, 1, 1));
    EXPECT_EQ(fake_game.fingerprint, 0x12345678u);
    EXPECT_EQ(load_calls, 0);

    // A path at the buffer's limit is kept whole.
    std::string limit = long_path(2047, true);
    write_fake_rom(limit, 7);
    choose_rom(limit.c_str());
    EXPECT_STREQ(fe.pending_rom_path, limit.c_str());
}

TEST_F(RomTest, AChoiceWithNoGameRunningOpensItAndLeavesTheBrowser) {
    fe.menu_open = 1;
    push_screen(SCREEN_MAIN);
    push_screen(SCREEN_ROM_SELECTION);
    fe.menu.highlight_y = 20.0f;
    std::string rom = make_fake_rom("mine.zip");
    choose_rom(rom.c_str());
    EXPECT_EQ(game_state(), std::tuple(1, 0, 1));
    EXPECT_STREQ(fe.rom, rom.c_str());
    EXPECT_STREQ(fe.toast_text, "ROM ready: mine.zip");
    EXPECT_EQ(fe.screen_depth, 1);
    EXPECT_EQ(fe.menu.highlight_y, -1.0f);

    fe.adapter.load = refusing_load;  // checked fine, then failed to open
    choose_rom(rom.c_str());
    EXPECT_EQ(fe.rom_loaded, 0);
    EXPECT_STREQ(fe.message_title, "ROM not usable");
    EXPECT_STREQ(fe.message_text, "The archive vanished.");
    EXPECT_EQ(fe.screen_depth, 2);
    EXPECT_EQ(top_screen(), SCREEN_MESSAGE);
}

// A path holding a line break stays one entry with a "?" in its place; the
// message box's entry keeps the dialog's own line breaks around the name,
// and the dialog shows the name as it is.
TEST_F(RomTest, APathWithALineBreakIsLoggedAsOneEntryAndDialogsKeepTheirOwnBreaks) {
    std::string folder = dir + "/new\nline";
    std::filesystem::create_directories(folder);
    std::string rom = folder + "/a.zip", refused = folder + "/bad\r.zip", shown = dir + "/new?line";
    write_fake_rom(rom, 0xCAFE0003);
    std::ofstream(refused) << "not a ROM";
    ASSERT_EQ(open_rom(rom.c_str()), 1);
    choose_rom(refused.c_str());
    EXPECT_EQ(std::string(fe.message_text),
              "bad\r.zip\n\nnot a fake ROM\n\nExpected: fake.zip (standard set, unmodified).");
    std::string log = read_text(fe.log_path);
    EXPECT_EQ(with_stamps_marked(log),
              "<t>ROM loaded: " + shown + "/a.zip (fingerprint CAFE0003)\n"
              "<t>ROM not usable: bad?.zip\n\nnot a fake ROM\n\nExpected: fake.zip (standard set, unmodified).\n");
}

// A file refused for its size is the player's: before the game's own NVRAM
// takes its name it is kept under ".bad" (an older one replaced), and while
// that cannot be done nothing overwrites it.
TEST_F(RomTest, ARefusedNvramFileIsKeptAsBadBeforeTheGameWritesItsOwn) {
    std::string rom = make_fake_rom(), file = nvram_file(0x12345678), bad = file + ".bad";
    const std::string refused(8191, '\x5A');
    std::ofstream(file, std::ios::binary) << refused;
    std::ofstream(bad) << "an older refused file";
    ASSERT_EQ(open_rom(rom.c_str()), 1);
    std::filesystem::rename(bad, bad + ".keep");
    ASSERT_TRUE(std::filesystem::create_directories(bad + "/in-the-way"));
    fake_game.nvram[0] = 1;
    EXPECT_EQ(flush_nvram(), 0) << "the refused file cannot move aside";
    EXPECT_EQ(read_text(file), refused);
    std::filesystem::remove_all(bad);
    std::filesystem::rename(bad + ".keep", bad);
    EXPECT_EQ(flush_nvram(), 1);
    EXPECT_EQ(read_text(bad), refused);
    std::string written = read_text(file);
    ASSERT_EQ(written.size(), 8192u);
    EXPECT_EQ(written[0], '\x01');
    fake_game.nvram[0] = 2;
    EXPECT_EQ(flush_nvram(), 1);
    EXPECT_EQ(read_text(bad), refused) << "kept once, never replaced by the game's own";
    std::vector<std::string> lines = log_messages();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"ROM loaded: " + rom + " (fingerprint 12345678)",
                                        "NVRAM save failed: " + file, "NVRAM file " + file + " kept as " + bad}));

    // A file of the right size, or none, is written over as ever.
    std::filesystem::remove(bad);
    ASSERT_EQ(open_rom(rom.c_str()), 1);
    fake_game.nvram[0] = 3;
    EXPECT_EQ(flush_nvram(), 1);
    EXPECT_FALSE(std::filesystem::exists(bad));
}

}  // namespace
