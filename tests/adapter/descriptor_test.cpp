// The game descriptor as the frontend reads it: geometry and timing, the
// about text, and the input and DIP-switch tables.
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "tests/adapter/adapter_test_util.h"

namespace {

const AdapterInput* find_input(const char* key) {
    for (int i = 0; i < talvex_adapter.input_count; i++)
        if (strcmp(talvex_adapter.inputs[i].key, key) == 0) return &talvex_adapter.inputs[i];
    return nullptr;
}

}  // namespace

TEST(Descriptor, GeometryTimingAndAboutText) {
    const GameAdapter& g = talvex_adapter;
    EXPECT_STREQ(g.rom_archive_name, "talvex.zip");
    EXPECT_EQ(g.width, 320u);
    EXPECT_EQ(g.height, 240u);
    EXPECT_EQ(g.rotation, 1u);
    EXPECT_DOUBLE_EQ(g.fps, 59.5971);
    EXPECT_DOUBLE_EQ(g.audio_rate, 86805.55208333333);
    EXPECT_EQ(g.max_audio_frames, 2048u);
    EXPECT_EQ(g.dsw_count, 1u);
    // The frontend's built-in font is drawn from this typeface; its licence
    // asks for this credit. Every line of the text fits the about screen.
    std::string about = g.about_text;
    EXPECT_NE(about.find("Inter (SIL Open Font License 1.1)"), std::string::npos);
    for (size_t start = 0, end; start <= about.size(); start = end + 1) {
        end = about.find('\n', start);
        if (end == std::string::npos) end = about.size();
        EXPECT_LE(end - start, 255u);
    }
    EXPECT_EQ(g.get_frame_rgb555, nullptr) << "frames are offered in 32-bit colour only";
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
        EXPECT_TRUE(in.player <= 1 || (in.player == 2 && in.key2 == -1)) << in.key;
    }
    // Bits 0x40 and 0x4000 belong to no input; nothing above bit 21.
    EXPECT_EQ(seen, 0x3FFFFFu & ~0x40u & ~0x4000u);
    // Both coins on the Back button; coins and service 1 are pulses.
    const AdapterInput *coin1 = find_input("coin1"), *coin2 = find_input("coin2");
    ASSERT_TRUE(coin1 && coin2);
    EXPECT_EQ(coin1->pad, coin2->pad);
    EXPECT_EQ(coin2->player, 2u);
    const std::pair<const char*, int> pulses[] = {{"coin1", 5}, {"coin2", 5}, {"service1", 5}, {"service", 0}};
    for (const auto& [key, frames] : pulses) EXPECT_EQ(find_input(key)->pulse_frames, frames) << key;
}

TEST(Descriptor, DipDefaultsGiveAllOnesOnTheBoard) {
    const GameAdapter& g = talvex_adapter;
    ASSERT_EQ(g.dip_count, 3);
    // What the frontend makes of the table: the word starts at 0xFFFF and
    // each switch sets its masked bits to its default.
    u16 word = 0xFFFF;
    for (int i = 0; i < g.dip_count; i++) {
        const AdapterDipSwitch& d = g.dips[i];
        EXPECT_EQ(d.dsw_index, 0);
        word = (u16)((word & ~d.mask) | (d.default_value & d.mask));
        bool default_listed = false;
        for (int c = 0; c < d.choice_count; c++) {
            EXPECT_EQ(d.choices[c].value & ~(u32)d.mask, 0u) << d.key;
            default_listed |= d.choices[c].value == d.default_value;
        }
        EXPECT_TRUE(default_listed) << d.key;
    }
    EXPECT_EQ(word, 0xFFFF);
    g.set_dip_switches(&word);
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
#define K(name) SDL_SCANCODE_##name
#define P(name) SDL_CONTROLLER_BUTTON_##name
    const Row rows[] = {
        {"p1_up", K(UP), K(W), P(DPAD_UP)},
        {"p1_down", K(DOWN), K(S), P(DPAD_DOWN)},
        {"p1_left", K(LEFT), K(A), P(DPAD_LEFT)},
        {"p1_right", K(RIGHT), K(D), P(DPAD_RIGHT)},
        {"p1_b1", K(Z), K(J), P(A)},
        {"p1_b2", K(X), K(K), P(B)},
        {"p1_start", K(RETURN), K(1), P(START)},
        {"p2_up", K(I), -1, P(DPAD_UP)},
        {"p2_down", K(COMMA), -1, P(DPAD_DOWN)},
        {"p2_left", K(U), -1, P(DPAD_LEFT)},
        {"p2_right", K(O), -1, P(DPAD_RIGHT)},
        {"p2_b1", K(KP_1), -1, P(A)},
        {"p2_b2", K(KP_2), -1, P(B)},
        {"p2_start", K(2), -1, P(START)},
        {"coin1", K(5), -1, P(BACK)},
        {"coin2", K(6), -1, P(BACK)},
        {"service1", K(9), -1, -1},
        {"service", K(0), -1, -1},
        {"tilt", K(T), -1, -1},
        {"test", K(F2), -1, -1},
    };
#undef K
#undef P
    ASSERT_EQ((int)(sizeof rows / sizeof rows[0]), talvex_adapter.input_count);
    for (int i = 0; i < talvex_adapter.input_count; i++) {
        const AdapterInput& in = talvex_adapter.inputs[i];
        EXPECT_STREQ(in.key, rows[i].key) << "row " << i;
        EXPECT_TRUE(in.key1 == rows[i].key1 && in.key2 == rows[i].key2 && in.pad == rows[i].pad) << in.key;
    }
}
#endif
