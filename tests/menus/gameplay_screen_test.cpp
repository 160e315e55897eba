// The Gameplay screen: one row per DIP switch over the settings' DIP words,
// choices that wrap both ways, only the switch's own bits written, the
// edge cases of odd tables, Restore Defaults and the restart row.
#include "tests/menus/screen_test_util.h"

namespace {

// A table with the awkward cases: a switch sharing word 0 with the fake
// game's, a choice with bits outside its mask, two choices of one value,
// a switch with no choices, one with more than 20, and switches whose
// word the settings do not keep.
AdapterDipSwitch odd_dips[7];

void make_odd_dips() {
    odd_dips[0] = {"coins", "Coinage", 0, 0x0600, 0x0400, 3, {}};
    odd_dips[0].choices[0] = {"1 coin", 0x0000};
    odd_dips[0].choices[1] = {"2 coins", 0xF4FF};  // only 0x0400 is the switch's
    odd_dips[0].choices[2] = {"Free play", 0x0600};
    odd_dips[1] = {"same", "Same Value", 0, 0x0003, 0x0001, 2, {{"First", 0x0001}, {"Second", 0x0001}}};
    odd_dips[2] = {"none", "No Choices", 0, 0x0030, 0x0010, 0, {}};
    odd_dips[3] = {"many", "Many", 0, 0xF800, 0x0000, 25, {}};
    for (int k = 0; k < ADAPTER_MAX_DIP_CHOICES; k++) odd_dips[3].choices[k] = {"c", (uint32_t)k << 11};
    odd_dips[4] = {"far", "Word Two", 1, 0x0001, 0x0001, 2, {{"Off", 1}, {"On", 0}}};
    odd_dips[5] = {"neg", "Word Minus", -1, 0x0001, 0x0001, 2, {{"Off", 1}, {"On", 0}}};
    odd_dips[6] = {"room", "Word Five", 5, 0x0001, 0x0001, 2, {{"Off", 1}, {"On", 0}}};
}

class GameplayScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        open(SCREEN_GAMEPLAY, draw_gameplay_screen);
    }

    void use_odd_dips() {
        make_odd_dips();
        fe.adapter.dips = odd_dips;
        fe.adapter.dip_count = 7;
        fe.adapter.dsw_count = 1;
        fe.settings.dsw[0] = 0xFFFF;
        pass();
    }
};

TEST_F(GameplayScreenTest, RowsFromTheDipTableAndTheRestartRowOnlyWhileRunning) {
    EXPECT_EQ(labels(), (std::vector<std::string>{"Flip Screen", "Lives", "Restore Defaults"}));
    // Defaults: flip bit set ("Off"), lives 0x20 ("3").
    EXPECT_EQ(row("Flip Screen").value, "Off");
    EXPECT_EQ(row("Lives").value, "3");
    EXPECT_EQ(row("Lives").help, "");
    EXPECT_FALSE(row("Restore Defaults").has_value);

    load_fake_game_running();
    pass();
    EXPECT_EQ(labels().back(), "Restart Now to Apply");
    enter("Restart Now to Apply");
    expect_confirm(CONFIRM_RESTART, 0,
                   "Restart the game with the new switch settings? Unsaved progress will be lost.");
}

TEST_F(GameplayScreenTest, ChoicesWrapBothWaysAndOnlyTheMasksBitsChange) {
    uint16_t others = fe.settings.dsw[0] & ~0x32;
    right("Lives");
    EXPECT_EQ(fe.settings.dsw[0] & 0x30, 0x00);  // from 3 (the last) to 1
    left("Lives");
    EXPECT_EQ(fe.settings.dsw[0] & 0x30, 0x20);
    enter("Lives");
    EXPECT_EQ(fe.settings.dsw[0] & 0x30, 0x00);
    enter("Flip Screen");
    EXPECT_EQ(fe.settings.dsw[0] & 0x02, 0x00);
    pass();
    EXPECT_EQ(row("Flip Screen").value, "On");
    EXPECT_EQ(row("Lives").value, "1");
    EXPECT_EQ(fe.settings.dsw[0] & ~0x32, others);

    // Bits that match no choice show the first; a change counts from it.
    fe.settings.dsw[0] |= 0x30;
    pass();
    EXPECT_EQ(row("Lives").value, "1");
    right("Lives");
    EXPECT_EQ(fe.settings.dsw[0] & 0x30, 0x10);
    fe.settings.dsw[0] |= 0x30;
    left("Lives");
    EXPECT_EQ(fe.settings.dsw[0] & 0x30, 0x20);
}

TEST_F(GameplayScreenTest, OddTablesAreHandledSafely) {
    use_odd_dips();
    // Switches on words the settings do not keep have no row.
    EXPECT_EQ(labels(), (std::vector<std::string>{"Coinage", "Same Value", "No Choices", "Many", "Restore Defaults"}));

    // A choice's bits outside the switch's mask are never written.
    fe.settings.dsw[0] = 0x0000;
    right("Coinage");
    EXPECT_EQ(fe.settings.dsw[0], 0x0400);
    pass();
    EXPECT_EQ(row("Coinage").value, "2 coins");

    // Of two choices with one value the later is shown.
    fe.settings.dsw[0] = 0x0001;
    pass();
    EXPECT_EQ(row("Same Value").value, "Second");

    // A switch without choices reads "?" and is left alone.
    fe.settings.dsw[0] = 0x0020;
    pass();
    EXPECT_EQ(row("No Choices").value, "?");
    enter("No Choices");
    right("No Choices");
    EXPECT_EQ(fe.settings.dsw[0], 0x0020);

    // A count above 20 is capped: Left from the first goes to the 20th.
    fe.settings.dsw[0] = 0x0000;
    left("Many");
    EXPECT_EQ(fe.settings.dsw[0], 19 << 11);
    right("Many");
    EXPECT_EQ(fe.settings.dsw[0], 0x0000);
}

TEST_F(GameplayScreenTest, RestoreDefaultsSetsOnlyTheSwitchesBitsAndBackWritesTheFile) {
    fe.settings.dsw[0] = 0x0000;
    enter("Restore Defaults");
    EXPECT_EQ(fe.settings.dsw[0], 0x0022);
    enter("Flip Screen");
    expect_back_writes({"dsw1 = 0x0020"});

    use_odd_dips();
    fe.settings.dsw[0] = 0x0000;
    fe.screen_depth = 2;
    enter("Restore Defaults");
    EXPECT_EQ(fe.settings.dsw[0], 0x0400 | 0x0001 | 0x0010);
}

}  // namespace
