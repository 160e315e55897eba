// Every ROM-set sentence reaches the caller of validate_rom and load
// unchanged, whichever way the BIOS archive was found.
#include <cstdio>
#include <string>

#include "tests/adapter/adapter_test_util.h"

namespace {

const char MSG_BIOS_MISSING[] =
    "The Voxa Arcade System BIOS (the standard 'voxa' set, file voxau1.u10) was not found. "
    "Put voxa.zip next to talvex.zip or select it.";
const char MSG_BIOS_WRONG[] = "voxau1.u10 in the BIOS archive has the wrong size or CRC.";
const char MSG_JAPANESE[] =
    "This is the Japanese set (talvexj). This build is translated from the US set 'talvex' "
    "(tx-usa.u10/u8).";

SyntheticRomset& shared_set() {
    static SyntheticRomset* set = [] {
        SyntheticRomset* s = new SyntheticRomset;
        synth_init(s);
        return s;
    }();
    return *set;
}

// Writes the game archive into a fresh folder, and the BIOS archive under
// `bios_name` in a second fresh folder (or none when bios_name is null).
struct WrittenSet {
    std::string dir;
    std::string game;
    std::string bios;
};

WrittenSet write_set(const SynthWriteOptions& o, const char* bios_name, bool bios_beside) {
    WrittenSet w;
    w.dir = synth_temp_dir();
    w.game = w.dir + "/talvex.zip";
    if (bios_name) w.bios = (bios_beside ? w.dir : synth_temp_dir()) + "/" + bios_name;
    EXPECT_EQ(synth_write(&shared_set(), &o, w.game.c_str(), bios_name ? w.bios.c_str() : nullptr),
              1);
    return w;
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
}

TEST_F(RomsetMessages, MissingAndWrongFilesAreNamedInTableOrder) {
    SynthWriteOptions o{};
    o.omit_mask = (1u << 2) | (1u << 7);
    o.wrong_crc_mask = 1u << 4;
    o.wrong_size_mask = 1u << 0;
    WrittenSet w = write_set(o, "voxa.zip", true);
    expect_refused(w.game,
                   "Not the standard 'talvex' set. Missing: tx100-00.u24 tx300-00.u4 Wrong "
                   "size/CRC: tx-usa.u10 tx200-00.u16");

    SynthWriteOptions wrong_only{};
    wrong_only.wrong_crc_mask = 1u << 1;
    w = write_set(wrong_only, "voxa.zip", true);
    expect_refused(w.game, "Not the standard 'talvex' set. Wrong size/CRC: tx-usa.u8");
}

TEST_F(RomsetMessages, JapaneseSetIsRefused) {
    SynthWriteOptions o{};
    o.japanese = true;
    WrittenSet w = write_set(o, "voxa.zip", true);
    expect_refused(w.game, MSG_JAPANESE);
}

TEST_F(RomsetMessages, BiosMissingEverywhere) {
    SynthWriteOptions o{};
    o.bios_place = SYNTH_BIOS_NOWHERE;
    WrittenSet w = write_set(o, nullptr, false);
    expect_refused(w.game, MSG_BIOS_MISSING);
}

TEST_F(RomsetMessages, BiosWrongInEitherArchive) {
    SynthWriteOptions o{};
    o.bios_wrong = true;
    WrittenSet beside = write_set(o, "voxa.zip", true);
    expect_refused(beside.game, MSG_BIOS_WRONG);

    SynthWriteOptions in_game{};
    in_game.bios_place = SYNTH_BIOS_IN_GAME;
    in_game.bios_in_game_wrong = true;
    WrittenSet w = write_set(in_game, nullptr, false);
    expect_refused(w.game, MSG_BIOS_WRONG);
}

TEST_F(RomsetMessages, BiosBesideTheGameArchive) {
    WrittenSet w = write_set(SynthWriteOptions{}, "voxa.zip", true);
    expect_accepted(w.game);
    WrittenSet upper = write_set(SynthWriteOptions{}, "VOXA.ZIP", true);
    expect_accepted(upper.game);
}

TEST_F(RomsetMessages, BiosInsideTheGameArchive) {
    SynthWriteOptions o{};
    o.bios_place = SYNTH_BIOS_IN_GAME;
    WrittenSet w = write_set(o, nullptr, false);
    expect_accepted(w.game);
}

TEST_F(RomsetMessages, BiosFromTheEnvironment) {
    WrittenSet w = write_set(SynthWriteOptions{}, "board-bios.zip", false);
    expect_refused(w.game, MSG_BIOS_MISSING);
    setenv("VOXA_BIOS", w.bios.c_str(), 1);
    expect_accepted(w.game);

    // The environment's archive is used even when a good one lies beside
    // the game archive.
    SynthWriteOptions bad{};
    bad.bios_wrong = true;
    WrittenSet damaged = write_set(bad, "bad-bios.zip", false);
    WrittenSet good = write_set(SynthWriteOptions{}, "voxa.zip", true);
    setenv("VOXA_BIOS", damaged.bios.c_str(), 1);
    expect_refused(good.game, MSG_BIOS_WRONG);
}

TEST_F(RomsetMessages, BiosFromTheOverride) {
    WrittenSet w = write_set(SynthWriteOptions{}, "chosen.zip", false);
    SynthWriteOptions bad{};
    bad.bios_wrong = true;
    WrittenSet damaged = write_set(bad, "bad-bios.zip", false);
    setenv("VOXA_BIOS", damaged.bios.c_str(), 1);
    adapter_set_bios_override(w.bios.c_str());
    expect_accepted(w.game);
}

TEST_F(RomsetMessages, ShortBufferGetsTheSentenceCut) {
    char err[8];
    EXPECT_EQ(adapter_load("/nonexistent/talvex.zip", err, sizeof err), 0);
    EXPECT_STREQ(err, "Cannot ");
    EXPECT_EQ(adapter_load("/nonexistent/talvex.zip", nullptr, 0), 0);
}
