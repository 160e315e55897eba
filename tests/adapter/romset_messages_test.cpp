// Every ROM-set sentence reaches the caller of validate_rom and load
// unchanged, whichever way the BIOS archive was found.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/adapter/adapter_test_util.h"

namespace {

const char MSG_BIOS_MISSING[] =
    "The Voxa Arcade System BIOS (the standard 'voxa' set, file voxau1.u10) was not found. "
    "Put voxa.zip next to talvex.zip or select it.";
const char MSG_BIOS_WRONG[] = "voxau1.u10 in the BIOS archive has the wrong size or CRC.";

struct WrittenSet {
    std::string game, bios;
};

// Writes the game archive into a fresh folder, and the BIOS archive under
// `bios_name` beside it or in a second fresh folder (none when null).
WrittenSet write_set(const SynthWriteOptions& o, const char* bios_name, bool bios_beside) {
    static SyntheticRomset* set = [] {
        SyntheticRomset* s = new SyntheticRomset;
        synth_init(s);
        return s;
    }();
    WrittenSet w;
    std::string dir = synth_temp_dir();
    w.game = dir + "/talvex.zip";
    if (bios_name) w.bios = (bios_beside ? dir : synth_temp_dir()) + "/" + bios_name;
    EXPECT_EQ(synth_write(set, &o, w.game.c_str(), bios_name ? w.bios.c_str() : nullptr), 1);
    return w;
}

// Runs `call` and tells whether it returned without help. Should it still
// run after a few seconds, a watchdog keeps opening `pipe` for writing
// without blocking, which lets a reader waiting in open go on (and counts
// as a failure).
template <class Call>
bool returns_without_a_writer(const std::string& pipe, Call call) {
    std::atomic<bool> done{false}, released{false};
    std::thread watchdog([&] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done) {
            if (std::chrono::steady_clock::now() >= deadline) {
                int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {  // only succeeds while someone has it open to read
                    released = true;
                    close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    call();
    done = true;
    watchdog.join();
    return !released;
}

}  // namespace

class RomsetMessages : public AdapterTest {
protected:
    // Both operations give the same verdict and sentence.
    void expect_refused(const std::string& game, const char* message) {
        char err[512] = "";
        EXPECT_EQ(adapter_validate_rom(game.c_str(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        err[0] = '\0';
        EXPECT_EQ(adapter_load(game.c_str(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        EXPECT_EQ(adapter_board(), nullptr);
        EXPECT_EQ(adapter_rom_fingerprint(), 0u);
    }

    void expect_accepted(const std::string& game) {
        char err[512] = "untouched";
        EXPECT_EQ(adapter_validate_rom(game.c_str(), err, sizeof err), 1) << err;
        EXPECT_STREQ(err, "untouched");
        EXPECT_EQ(adapter_load(game.c_str(), err, sizeof err), 1) << err;
        EXPECT_NE(adapter_rom_fingerprint(), 0u);
    }
};

TEST_F(RomsetMessages, GameArchiveMissing) {
    expect_refused("/nonexistent/folder/talvex.zip",
                   "Cannot open the game archive \"/nonexistent/folder/talvex.zip\".");
    char err[128] = "";
    EXPECT_EQ(adapter_load("", err, sizeof err), 0);
    EXPECT_STREQ(err, "Cannot open the game archive \"\".");
    EXPECT_EQ(adapter_load(nullptr, err, sizeof err), 0);
    EXPECT_STREQ(err, "Cannot open the game archive \"\".");
    char small[8];  // a short buffer gets the sentence cut; none gets nothing
    EXPECT_EQ(adapter_load("/nonexistent/talvex.zip", small, sizeof small), 0);
    EXPECT_STREQ(small, "Cannot ");
    EXPECT_EQ(adapter_load("/nonexistent/talvex.zip", nullptr, 0), 0);
}

TEST_F(RomsetMessages, DamagedSetsAreRefusedWithTheirSentence) {
    // The BIOS archive, when named, lies beside the game archive.
    struct Case {
        const char* name;
        SynthWriteOptions options;
        const char* bios_name;
        const char* message;
    };
    SynthWriteOptions mixed{}, wrong_only{}, japanese{}, no_bios{}, bios_wrong{}, in_game_wrong{};
    mixed.omit_mask = (1u << 2) | (1u << 7);  // files are named in table order
    mixed.wrong_crc_mask = 1u << 4;
    mixed.wrong_size_mask = 1u << 0;
    wrong_only.wrong_crc_mask = 1u << 1;
    japanese.japanese = true;
    no_bios.bios_place = SYNTH_BIOS_NOWHERE;
    bios_wrong.bios_wrong = true;
    in_game_wrong.bios_place = SYNTH_BIOS_IN_GAME;
    in_game_wrong.bios_in_game_wrong = true;
    const Case cases[] = {
        {"missing and wrong", mixed, "voxa.zip",
         "Not the standard 'talvex' set. Missing: tx100-00.u24 tx300-00.u4 Wrong size/CRC: tx-usa.u10 tx200-00.u16"},
        {"wrong only", wrong_only, "voxa.zip", "Not the standard 'talvex' set. Wrong size/CRC: tx-usa.u8"},
        {"Japanese", japanese, "voxa.zip",
         "This is the Japanese set (talvexj). This build is translated from the US set 'talvex' "
         "(tx-usa.u10/u8)."},
        {"no BIOS", no_bios, nullptr, MSG_BIOS_MISSING},
        {"BIOS wrong beside", bios_wrong, "voxa.zip", MSG_BIOS_WRONG},
        {"BIOS wrong inside", in_game_wrong, nullptr, MSG_BIOS_WRONG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_refused(write_set(c.options, c.bios_name, true).game, c.message);
    }
}

TEST_F(RomsetMessages, BiosBesideOrInsideTheGameArchive) {
    expect_accepted(write_set(SynthWriteOptions{}, "VOXA.ZIP", true).game);
    SynthWriteOptions inside{};
    inside.bios_place = SYNTH_BIOS_IN_GAME;
    expect_accepted(write_set(inside, nullptr, false).game);
}

// VOXA_BIOS wins over an archive beside the game's, and "--bios" over both.
TEST_F(RomsetMessages, BiosFromTheEnvironmentAndTheOverride) {
    WrittenSet elsewhere = write_set(SynthWriteOptions{}, "board-bios.zip", false);
    expect_refused(elsewhere.game, MSG_BIOS_MISSING);
    setenv("VOXA_BIOS", elsewhere.bios.c_str(), 1);
    expect_accepted(elsewhere.game);

    SynthWriteOptions bad{};
    bad.bios_wrong = true;
    WrittenSet damaged = write_set(bad, "bad-bios.zip", false);
    WrittenSet good = write_set(SynthWriteOptions{}, "voxa.zip", true);
    setenv("VOXA_BIOS", damaged.bios.c_str(), 1);
    expect_refused(good.game, MSG_BIOS_WRONG);
    adapter_set_bios_override(elsewhere.bios.c_str());
    expect_accepted(good.game);
}

// A named pipe in place of an archive, wherever its path came from, is
// refused at once with the sentence of an archive that cannot be opened.
// A pipe named voxa.zip beside the game archive is still the BIOS archive
// found first, as a folder of that name is, and hides a good VOXA.ZIP.
TEST_F(RomsetMessages, PipesInPlaceOfArchivesAreRefusedWithoutWaiting) {
    // One good set with its BIOS beside it as "VOXA.ZIP", reached from the
    // other folders through links, so only what lies under voxa.zip differs.
    WrittenSet good = write_set(SynthWriteOptions{}, "VOXA.ZIP", true);
    std::string pipe_dir = synth_temp_dir(), folder_dir = synth_temp_dir();
    for (const std::string& d : {pipe_dir, folder_dir}) {
        ASSERT_EQ(symlink(good.game.c_str(), (d + "/talvex.zip").c_str()), 0);
        ASSERT_EQ(symlink(good.bios.c_str(), (d + "/VOXA.ZIP").c_str()), 0);
    }
    ASSERT_EQ(mkfifo((pipe_dir + "/voxa.zip").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder_dir + "/voxa.zip").c_str(), 0700), 0);
    std::string pipe = synth_temp_dir() + "/talvex.zip";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

    struct Case {
        const char* what;
        std::string game, bios_override, environment, pipe, message;
    };
    const Case cases[] = {
        {"game archive", pipe, "", "", pipe, "Cannot open the game archive \"" + pipe + "\"."},
        {"BIOS from --bios", good.game, pipe, "", pipe, MSG_BIOS_MISSING},
        {"BIOS from VOXA_BIOS", good.game, "", pipe, pipe, MSG_BIOS_MISSING},
        {"folder named voxa.zip beside", folder_dir + "/talvex.zip", "", "", "", MSG_BIOS_MISSING},
        {"pipe named voxa.zip beside", pipe_dir + "/talvex.zip", "", "", pipe_dir + "/voxa.zip", MSG_BIOS_MISSING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        adapter_set_bios_override(c.bios_override.c_str());
        if (c.environment.empty())
            unsetenv("VOXA_BIOS");
        else
            setenv("VOXA_BIOS", c.environment.c_str(), 1);
        EXPECT_TRUE(returns_without_a_writer(c.pipe, [&] { expect_refused(c.game, c.message.c_str()); }));
    }
}
