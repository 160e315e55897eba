// The game descriptor as the frontend reads it: identity, geometry and
// timing, the input and DIP-switch tables, and which operations it offers.
#include <cstring>
#include <set>
#include <string>

#include "tests/adapter/adapter_test_util.h"

namespace {

const AdapterInput* find_input(const char* key) {
    for (int i = 0; i < talvex_adapter.input_count; i++)
        if (strcmp(talvex_adapter.inputs[i].key, key) == 0) return &talvex_adapter.inputs[i];
    return nullptr;
}

// What the frontend makes of the DIP table: words start at 0xFFFF and
// each switch sets its masked bits to its default.
u16 default_dip_word(int index) {
    u16 word = 0xFFFF;
    for (int i = 0; i < talvex_adapter.dip_count; i++) {
        const AdapterDipSwitch& d = talvex_adapter.dips[i];
        if (d.dsw_index == index) word = (u16)((word & ~d.mask) | (d.default_value & d.mask));
    }
    return word;
}

}  // namespace

TEST(Descriptor, IdentityGeometryAndTiming) {
    const GameAdapter& g = talvex_adapter;
    EXPECT_STREQ(g.id, "talvex");
    EXPECT_STREQ(g.title, "Talvex: The Iron Pinions");
    EXPECT_STREQ(g.subtitle, "native port");
    EXPECT_STREQ(g.rom_archive_name, "talvex.zip");
    EXPECT_STREQ(g.version, "0.1.0");
    EXPECT_STREQ(g.profile_id, "talvex");
    EXPECT_EQ(g.width, 320u);
    EXPECT_EQ(g.height, 240u);
    EXPECT_DOUBLE_EQ(g.display_aspect, 4.0 / 3.0);
    EXPECT_EQ(g.rotation, 1u);
    EXPECT_DOUBLE_EQ(g.fps, 59.5971);
    EXPECT_DOUBLE_EQ(g.audio_rate, 86805.55208333333);
    EXPECT_EQ(g.max_audio_frames, 2048u);
    EXPECT_EQ(g.dsw_count, 1u);
    EXPECT_EQ(g.players, 2u);
    EXPECT_EQ(g.gadgets, nullptr);
    EXPECT_EQ(g.gadget_count, 0);
}

TEST(Descriptor, AboutTextLinesFitTheScreen) {
    std::string about = talvex_adapter.about_text;
    EXPECT_NE(about.find("1998"), std::string::npos);
    EXPECT_NE(about.find("0.1.0"), std::string::npos);
    // The frontend's built-in font is drawn from this typeface; its licence
    // asks for this credit.
    EXPECT_NE(about.find("Inter (SIL Open Font License 1.1)"), std::string::npos);
    size_t start = 0;
    int lines = 0;
    while (start <= about.size()) {
        size_t end = about.find('\n', start);
        if (end == std::string::npos) end = about.size();
        EXPECT_LE(end - start, 255u);
        lines++;
        start = end + 1;
    }
    EXPECT_GT(lines, 3);
}

TEST(Descriptor, OperationsOfferEverythingButTheSixteenBitFrame) {
    const GameAdapter& g = talvex_adapter;
    EXPECT_EQ(g.get_frame_rgb555, nullptr);
    EXPECT_EQ(g.validate_rom, &adapter_validate_rom);
    EXPECT_EQ(g.load, &adapter_load);
    EXPECT_EQ(g.unload, &adapter_unload);
    EXPECT_EQ(g.reset, &adapter_reset);
    EXPECT_EQ(g.set_dip_switches, &adapter_set_dip_switches);
    EXPECT_EQ(g.set_inputs, &adapter_set_inputs);
    EXPECT_EQ(g.run_frame, &adapter_run_frame);
    EXPECT_EQ(g.get_frame_xrgb8888, &adapter_get_frame_xrgb8888);
    EXPECT_EQ(g.save_snapshot, &adapter_save_snapshot);
    EXPECT_EQ(g.check_snapshot, &adapter_check_snapshot);
    EXPECT_EQ(g.load_snapshot, &adapter_load_snapshot);
    EXPECT_EQ(g.rom_fingerprint, &adapter_rom_fingerprint);
    EXPECT_EQ(g.save_nvram, &adapter_save_nvram);
    EXPECT_EQ(g.load_nvram, &adapter_load_nvram);
    EXPECT_EQ(g.nvram_dirty, &adapter_nvram_dirty);
}

TEST(Descriptor, InputTableCoversTheWordOnce) {
    const GameAdapter& g = talvex_adapter;
    ASSERT_EQ(g.input_count, 20);
    u32 seen = 0;
    std::set<std::string> keys;
    for (int i = 0; i < g.input_count; i++) {
        const AdapterInput& in = g.inputs[i];
        EXPECT_EQ(__builtin_popcount(in.mask), 1) << in.key;
        EXPECT_EQ(seen & in.mask, 0u) << in.key << " shares its bit";
        seen |= in.mask;
        EXPECT_TRUE(keys.insert(in.key).second) << in.key;
        EXPECT_LE(in.player, 2u);
        if (in.player == 2) {
            EXPECT_EQ(in.key2, -1) << in.key << ": player 2 has no second key";
        }
    }
    // Bits 0x40 and 0x4000 belong to no input; nothing above bit 21.
    EXPECT_EQ(seen, 0x3FFFFFu & ~0x40u & ~0x4000u);
}

TEST(Descriptor, CoinsShareAButtonAndPulse) {
    const AdapterInput* coin1 = find_input("coin1");
    const AdapterInput* coin2 = find_input("coin2");
    ASSERT_TRUE(coin1 && coin2);
    EXPECT_EQ(coin1->pad, coin2->pad) << "both coins on the Back button";
    EXPECT_EQ(coin1->player, 1u);
    EXPECT_EQ(coin2->player, 2u);
    EXPECT_EQ(coin1->pulse_frames, 5);
    EXPECT_EQ(coin2->pulse_frames, 5);
    EXPECT_EQ(find_input("service1")->pulse_frames, 5);
    EXPECT_EQ(find_input("service")->pulse_frames, 0);
    EXPECT_STREQ(find_input("test")->label, "Test / Service Mode");
}

TEST(Descriptor, DipDefaultsGiveAllOnes) {
    const GameAdapter& g = talvex_adapter;
    ASSERT_EQ(g.dip_count, 3);
    EXPECT_EQ(default_dip_word(0), 0xFFFF);
    for (int i = 0; i < g.dip_count; i++) {
        const AdapterDipSwitch& d = g.dips[i];
        EXPECT_EQ(d.dsw_index, 0);
        EXPECT_EQ(d.choice_count, 2) << d.key;
        bool default_listed = false;
        for (int c = 0; c < d.choice_count; c++) {
            EXPECT_EQ(d.choices[c].value & ~(u32)d.mask, 0u) << d.key;
            default_listed |= d.choices[c].value == d.default_value;
        }
        EXPECT_TRUE(default_listed) << d.key;
    }
    EXPECT_STREQ(g.dips[0].key, "flip_screen");
    EXPECT_STREQ(g.dips[2].choices[1].label, "On (freezes the game)");
}

TEST(Descriptor, DefaultDipWordReachesTheBoardAsAllOnes) {
    u16 word = default_dip_word(0);
    talvex_adapter.set_dip_switches(&word);
    EXPECT_EQ(adapter_dip_byte(), 0xFF);
}

#if __has_include(<SDL2/SDL_scancode.h>) && __has_include(<SDL2/SDL_gamecontroller.h>)
#include <SDL2/SDL_gamecontroller.h>
#include <SDL2/SDL_scancode.h>

// The adapter names keys and buttons by number so that it needs no SDL;
// the numbers must be the ones the frontend's SDL gives them.
TEST(Descriptor, KeyAndButtonNumbersAreSdlCodes) {
    struct Row {
        const char* key;
        int key1, key2, pad;
    };
    const Row rows[] = {
        {"p1_up", SDL_SCANCODE_UP, SDL_SCANCODE_W, SDL_CONTROLLER_BUTTON_DPAD_UP},
        {"p1_down", SDL_SCANCODE_DOWN, SDL_SCANCODE_S, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
        {"p1_left", SDL_SCANCODE_LEFT, SDL_SCANCODE_A, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
        {"p1_right", SDL_SCANCODE_RIGHT, SDL_SCANCODE_D, SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
        {"p1_b1", SDL_SCANCODE_Z, SDL_SCANCODE_J, SDL_CONTROLLER_BUTTON_A},
        {"p1_b2", SDL_SCANCODE_X, SDL_SCANCODE_K, SDL_CONTROLLER_BUTTON_B},
        {"p1_start", SDL_SCANCODE_RETURN, SDL_SCANCODE_1, SDL_CONTROLLER_BUTTON_START},
        {"p2_up", SDL_SCANCODE_I, -1, SDL_CONTROLLER_BUTTON_DPAD_UP},
        {"p2_down", SDL_SCANCODE_COMMA, -1, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
        {"p2_left", SDL_SCANCODE_U, -1, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
        {"p2_right", SDL_SCANCODE_O, -1, SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
        {"p2_b1", SDL_SCANCODE_KP_1, -1, SDL_CONTROLLER_BUTTON_A},
        {"p2_b2", SDL_SCANCODE_KP_2, -1, SDL_CONTROLLER_BUTTON_B},
        {"p2_start", SDL_SCANCODE_2, -1, SDL_CONTROLLER_BUTTON_START},
        {"coin1", SDL_SCANCODE_5, -1, SDL_CONTROLLER_BUTTON_BACK},
        {"coin2", SDL_SCANCODE_6, -1, SDL_CONTROLLER_BUTTON_BACK},
        {"service1", SDL_SCANCODE_9, -1, -1},
        {"service", SDL_SCANCODE_0, -1, -1},
        {"tilt", SDL_SCANCODE_T, -1, -1},
        {"test", SDL_SCANCODE_F2, -1, -1},
    };
    ASSERT_EQ((int)(sizeof rows / sizeof rows[0]), talvex_adapter.input_count);
    for (int i = 0; i < talvex_adapter.input_count; i++) {
        const AdapterInput& in = talvex_adapter.inputs[i];
        EXPECT_STREQ(in.key, rows[i].key) << "row " << i;
        EXPECT_EQ(in.key1, rows[i].key1) << in.key;
        EXPECT_EQ(in.key2, rows[i].key2) << in.key;
        EXPECT_EQ(in.pad, rows[i].pad) << in.key;
    }
}
#endif
