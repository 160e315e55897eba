// Save states: the container's bytes, its nine checks, the slot files and
// their summary table, saving and loading with what they report, and a
// slot write that is killed part-way.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <tuple>

#include "board/board.h"
#include "tests/frontend/game_fixtures.h"

namespace {

using StatesTest = FakeGameTest;
using TalvexStatesTest = TalvexGameTest;

struct GameFrame {
    std::vector<uint32_t> picture;
    std::vector<int16_t> audio;
    bool operator==(const GameFrame&) const = default;
};

GameFrame run_game_frame() {
    GameFrame f;
    f.audio.resize(ADAPTER_MAX_AUDIO_FRAMES * 2);
    int frames = 0;
    char err[300] = "";
    EXPECT_EQ(fe.adapter.run_frame(f.audio.data(), &frames, err, sizeof err), 0) << err;
    f.audio.resize((size_t)frames * 2);
    f.picture.resize(320 * 240);
    fe.adapter.get_frame_xrgb8888(f.picture.data());
    return f;
}

TEST_F(TalvexStatesTest, ASavedSlotReloadsAndTheGameGoesOnExactly) {
    steps(30);
    save_slot(4);
    std::vector<GameFrame> expected;
    for (int i = 0; i < 12; i++) expected.push_back(run_game_frame());
    ASSERT_NE(expected[0].picture, expected[1].picture);
    ASSERT_FALSE(expected[0].audio.empty());
    ASSERT_EQ(load_slot(4), 1);
    for (int i = 0; i < 12; i++) EXPECT_TRUE(run_game_frame() == expected[i]) << "frame " << i;
}

TEST_F(TalvexStatesTest, TheContainerIsPackedFieldByField) {
    // A picture whose every pixel differs; the thumbnail takes it as it is,
    // whatever the rotation and brightness.
    for (int i = 0; i < 320 * 240; i++) fe.raw_frame[i] = (uint32_t)i * 2654435761u & 0xFFFFFF;
    fe.settings.rotation = 1;
    fe.settings.brightness = 50;
    fe.frame_counter = 0x100000007ull;
    int64_t before = time(nullptr);
    std::vector<uint8_t> c = container();
    int64_t after = time(nullptr);

    const size_t thumb = 160 * 120 * 2;
    ASSERT_EQ(c.size(), 88 + thumb + SNAPSHOT_SIZE);
    EXPECT_EQ(std::string(c.begin(), c.begin() + 8), "FESTATE1");
    EXPECT_EQ(get_le32(&c[8]), 1u);
    EXPECT_EQ(std::string(c.begin() + 12, c.begin() + 28), std::string("talvex\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(std::string(c.begin() + 28, c.begin() + 60), std::string("0.1.0") + std::string(27, '\0'));
    EXPECT_EQ(get_le32(&c[60]), adapter_rom_fingerprint());
    EXPECT_GE((int64_t)get_le64(&c[64]), before);
    EXPECT_LE((int64_t)get_le64(&c[64]), after);
    EXPECT_EQ(get_le32(&c[72]), 7u);
    EXPECT_EQ(get_le16(&c[76]), 160);
    EXPECT_EQ(get_le16(&c[78]), 120);
    for (auto [r, col] : {std::pair{0, 0}, {1, 1}, {60, 80}, {119, 159}}) {
        uint32_t p = fe.raw_frame[2 * r * 320 + 2 * col];
        uint16_t rgb565 = (uint16_t)((p >> 19 & 31) << 11 | (p >> 10 & 63) << 5 | (p >> 3 & 31));
        EXPECT_EQ(get_le16(&c[80 + (r * 160 + col) * 2]), rgb565) << r << "," << col;
    }
    EXPECT_EQ(get_le32(&c[80 + thumb]), SNAPSHOT_SIZE);
    char err[200] = "";
    EXPECT_EQ(adapter_check_snapshot(&c[84 + thumb], SNAPSHOT_SIZE, err, sizeof err), 1) << err;
    EXPECT_EQ(get_le32(&c[c.size() - 4]), zipio_crc32(0, c.data(), c.size() - 4));
    EXPECT_EQ(parse_result(c), "ok");
}

TEST_F(TalvexStatesTest, EachCheckRejectsItsOwnDamage) {
    const std::vector<uint8_t> good = container();
    const size_t length_at = 80 + 160 * 120 * 2, snapshot_at = length_at + 4;
    // A header-only file: a valid CRC but too short for its thumbnail.
    auto header_only = [&](std::vector<uint8_t>& c) { c.resize(100); };
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        bool reseal;
        std::string message;
    } cases[] = {
        {"87 bytes", [](auto& c) { c.resize(87); }, false, "file is truncated"},
        {"88 zero bytes", [](auto& c) { c.assign(88, 0); }, false, "not a save state"},
        {"a snapshot byte", [&](auto& c) { c[snapshot_at + 500] ^= 1; }, false, "file is damaged (checksum mismatch)"},
        {"cut short", [](auto& c) { c.pop_back(); }, false, "file is damaged (checksum mismatch)"},
        {"version 2, old CRC", [](auto& c) { c[8] = 2; }, false, "file is damaged (checksum mismatch)"},
        {"version 2", [](auto& c) { c[8] = 2; }, true, "unsupported container version 2"},
        {"other id", [](auto& c) { memcpy(&c[12], "other\0", 6); }, true, "state belongs to another game (other)"},
        {"id without NUL", [](auto& c) { memcpy(&c[12], "abcdefghijklmnopqrst", 20); }, true,
         "state belongs to another game (abcdefghijklmnop)"},
        {"talvex plus one", [](auto& c) { c[18] = 'x'; }, true, "state belongs to another game (talvexx)"},
        {"other fingerprint", [](auto& c) { c[60] ^= 1; }, true, "state was made with a different ROM revision"},
        {"no fingerprint", [](auto& c) { put_le32(&c[60], 0); }, true, "state was made with a different ROM revision"},
        {"0 x 120", [](auto& c) { put_le16(&c[76], 0); }, true, "file is damaged (thumbnail)"},
        {"1025 x 1", [](auto& c) { put_le16(&c[76], 1025), put_le16(&c[78], 1); }, true, "file is damaged (thumbnail)"},
        {"thumbnail past the end", header_only, true, "file is damaged (thumbnail)"},
        {"length + 1", [&](auto& c) { put_le32(&c[length_at], SNAPSHOT_SIZE + 1); }, true,
         "file is damaged (size mismatch)"},
        {"length 2^32 - 1", [&](auto& c) { put_le32(&c[length_at], 0xFFFFFFFF); }, true,
         "file is damaged (size mismatch)"},
        {"snapshot refused", [&](auto& c) { c[snapshot_at + 500] ^= 1; }, true, "state is damaged (checksum mismatch)"},
    };
    for (const Case& k : cases) {
        std::vector<uint8_t> c = good;
        k.damage(c);
        if (k.reseal) reseal(c);
        EXPECT_EQ(parse_result(c), k.message) << k.what;
    }
    uint32_t length = 0;
    char err[8] = "";
    EXPECT_EQ(parse_state_container(good.data(), good.size(), nullptr, &length, err, sizeof err),
              good.data() + snapshot_at);
    EXPECT_EQ(length, SNAPSHOT_SIZE);
}

TEST_F(StatesTest, TheSlotTableFollowsEachFileAsFarAsItsChecksGo) {
    fe.frame_counter = 42;
    fetch_frame();
    save_slot(2);
    fe.slot_list_stale = 1;
    refresh_slot_list();
    EXPECT_EQ(fe.slot_list_stale, 0);
    const StateSlotInfo& s = fe.state_slots[2];
    EXPECT_EQ(s.exists, 1);
    EXPECT_EQ(s.usable, 1);
    EXPECT_STREQ(s.error, "");
    EXPECT_EQ(s.frames, 42u);
    EXPECT_LE(time(nullptr) - s.saved_at, 5);
    EXPECT_EQ(fe.state_slots[1].exists, 0);
    EXPECT_EQ(fe.state_slots[0].exists, 0);

    // The thumbnail texture: the four quadrants of the test card, upright.
    ASSERT_NE(s.thumbnail, nullptr);
    Uint32 format = 0;
    int w = 0, h = 0;
    SDL_QueryTexture(s.thumbnail, &format, nullptr, &w, &h);
    EXPECT_EQ(format, (Uint32)SDL_PIXELFORMAT_RGB565);
    EXPECT_EQ(std::tuple(w, h, s.thumb_w, s.thumb_h), std::tuple(160, 120, 160, 120));
    clear_output();
    SDL_Rect at{0, 0, w, h};
    SDL_RenderCopy(fe.renderer, s.thumbnail, nullptr, &at);
    auto rgb565_bits = [&](int x, int y) { return pixel_at(x, y) & 0xF8FCF8u; };
    EXPECT_EQ(rgb565_bits(10, 10), 0xF80000u);
    EXPECT_EQ(rgb565_bits(150, 10), 0x00FC00u);
    EXPECT_EQ(rgb565_bits(10, 110), 0x0000F8u);
    EXPECT_EQ(rgb565_bits(150, 110), 0xF8FCF8u);

    // Past check 7 the time and frames are taken, the thumbnail only past 8.
    const std::vector<uint8_t> saved = bytes_of(slot_file(2));
    std::vector<uint8_t> c = saved;
    put_le64(&c[64], 12345);
    put_le32(&c[72], 7);
    put_le32(&c[80 + 160 * 120 * 2], 1);
    reseal(c);
    write_bytes(slot_file(2), c);
    SDL_Texture* kept = s.thumbnail;
    refresh_slot_list();
    EXPECT_EQ(s.exists * 10 + s.usable, 10);
    EXPECT_STREQ(s.error, "file is damaged (size mismatch)");
    EXPECT_EQ(s.saved_at, 12345);
    EXPECT_EQ(s.frames, 7u);
    EXPECT_EQ(s.thumbnail, kept);

    c = saved;
    put_le64(&c[64], 999);
    c[60] ^= 1;
    reseal(c);
    write_bytes(slot_file(2), c);
    refresh_slot_list();
    EXPECT_STREQ(s.error, "state was made with a different ROM revision");
    EXPECT_EQ(s.saved_at, 12345);

    std::remove(slot_file(2).c_str());
    refresh_slot_list();
    EXPECT_EQ(s.exists, 0);
    EXPECT_EQ(s.thumbnail, nullptr);
}

int check_calls;
int counting_check(const void*, size_t, char*, size_t) { return ++check_calls, 1; }

TEST_F(StatesTest, WithoutAGameTheSlotListIsOnlyCleared) {
    save_slot(1);
    save_slot(0);
    refresh_slot_list();
    ASSERT_EQ(fe.state_slots[1].usable, 1);
    ASSERT_NE(fe.state_slots[1].thumbnail, nullptr);
    fe.adapter.check_snapshot = counting_check;
    fe.rom_loaded = 0;
    fe.slot_list_stale = 1;
    refresh_slot_list();
    EXPECT_EQ(check_calls, 0);
    EXPECT_EQ(fe.slot_list_stale, 0);
    for (const StateSlotInfo& s : fe.state_slots) {
        EXPECT_EQ(s.exists + s.usable, 0);
        EXPECT_EQ(s.thumbnail, nullptr);
    }
}

TEST_F(StatesTest, SavingReportsEachOutcome) {
    fe.toast_text[0] = '\0';
    save_slot(0);
    EXPECT_STREQ(fe.toast_text, "") << "the autosave is not toasted";
    EXPECT_GE(log_index("autosaved to " + slot_file(0)), 0);

    save_slot(3);
    EXPECT_STREQ(fe.toast_text, "Saved to slot 3");
    const std::vector<uint8_t> old = bytes_of(slot_file(3));

    // A folder in the way of the temporary file: the write fails, the old
    // file stays, and the list must still be re-read.
    ASSERT_EQ(mkdir((slot_file(3) + ".tmp").c_str(), 0755), 0);
    fe.slot_list_stale = 0;
    step_frame();
    save_slot(3);
    EXPECT_EQ(std::string(fe.toast_text), "Save failed: cannot write " + slot_file(3));
    EXPECT_EQ(fe.slot_list_stale, 1);
    EXPECT_EQ(bytes_of(slot_file(3)), old);

    fe.adapter.save_snapshot = [](size_t*) -> void* { return nullptr; };
    save_slot(4);
    EXPECT_STREQ(fe.toast_text, "Save failed: could not serialize the game state");
    EXPECT_FALSE(is_regular_file(slot_file(4).c_str()));
}

TEST_F(StatesTest, AFailedLoadSaysWhyAndLeavesTheGameAlone) {
    EXPECT_EQ(load_slot(3), 0);
    EXPECT_STREQ(fe.toast_text, "Slot 3 is empty");
    EXPECT_EQ(load_slot(0), 0);
    EXPECT_STREQ(fe.toast_text, "No autosave yet");

    save_slot(3);
    save_slot(0);
    std::vector<uint8_t> c = bytes_of(slot_file(3));
    c[100] ^= 1;
    write_bytes(slot_file(3), c);
    steps(3);
    EXPECT_EQ(load_slot(3), 0);
    EXPECT_STREQ(fe.message_title, "Cannot load state");
    EXPECT_STREQ(
        fe.message_text,
        "Slot 3 could not be loaded:\nfile is damaged (checksum mismatch)\n\nThe running game was not changed.");
    fake_game.refuse_snapshots = 1;
    EXPECT_EQ(load_slot(0), 0);
    EXPECT_STREQ(fe.message_text,
                 "The autosave  could not be loaded:\nfake refusal\n\nThe running game was not changed.");
    EXPECT_EQ(fake_game.frames_run, 3u);
}

TEST_F(StatesTest, ALoadResumesTheGameAndKeepsCounterRingAndMovie) {
    steps(10);
    save_slot(5);
    save_slot(0);
    steps(5);
    fe.settings.rewind = 1;
    reset_rewind();
    rewind_capture();
    start_movie_recording();
    ASSERT_NE(fe.movie_file, nullptr);
    fe.running = 0;
    fe.paused = 1;
    fe.frame_counter = 77;
    fe.frame_accumulator_ms = 20.0;
    fe.input_word = 0x10;
    fe.input_held[0] = 0;
    queue_sound();

    ASSERT_EQ(load_slot(5), 1);
    EXPECT_STREQ(fe.toast_text, "Loaded slot 5");
    EXPECT_EQ(fake_game.frames_run, 10u);
    EXPECT_EQ(fe.raw_frame[0], fake_pixel(10, 0, 0));
    EXPECT_EQ(fe.running * 10 + fe.paused, 11);
    EXPECT_EQ(fe.frame_counter, 77u);
    EXPECT_EQ(fe.input_word, 0u);
    EXPECT_EQ(fe.input_held[0], 1);
    EXPECT_EQ(fe.release_latch, 1);
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(fe.frame_accumulator_ms, 0.0);
    EXPECT_EQ(fe.rewind.count, 1);
    EXPECT_NE(fe.movie_file, nullptr);
    ASSERT_EQ(load_slot(0), 1);
    EXPECT_STREQ(fe.toast_text, "Continued from autosave");
}

TEST_F(StatesTest, EachRomRevisionKeepsItsOwnSlotFolder) {
    EXPECT_EQ(slot_file(0), dir + "/states/fakegame-12345678/autosave.fest");
    EXPECT_EQ(slot_file(1), dir + "/states/fakegame-12345678/slot01.fest");
    EXPECT_EQ(slot_file(10), dir + "/states/fakegame-12345678/slot10.fest");
    EXPECT_TRUE(is_directory((dir + "/states/fakegame-12345678").c_str()));
    char out[FE_PATH_SIZE];
    EXPECT_EQ(build_slot_path(11, out), 0);
    EXPECT_EQ(build_slot_path(-1, out), 0);

    save_slot(1);
    fake_game.fingerprint = 0xABCD;
    refresh_slot_list();
    EXPECT_EQ(fe.state_slots[1].exists, 0);
    EXPECT_EQ(slot_file(1), dir + "/states/fakegame-0000ABCD/slot01.fest");
    fake_game.fingerprint = 0x12345678;
    refresh_slot_list();
    EXPECT_EQ(fe.state_slots[1].usable, 1);
}

TEST_F(TalvexStatesTest, AWriterKilledAtAnyPointLeavesAWholeSlotFile) {
    steps(5);
    save_slot(1);
    std::vector<uint8_t> current = bytes_of(slot_file(1));
    for (int delay_us : {0, 100, 300, 600, 1000, 1500, 2000, 3000, 4000, 6000, 8000, 12000, 20000}) {
        step_frame();  // each attempt would write a different state
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            save_slot(1);
            _exit(0);
        }
        usleep((useconds_t)delay_us);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::vector<uint8_t> now = bytes_of(slot_file(1));
        // Either the old file, byte for byte, or a whole new one.
        if (now != current) {
            EXPECT_EQ(parse_result(now), "ok") << "killed after " << delay_us << " us";
            current = now;
        }
    }
}

}  // namespace
