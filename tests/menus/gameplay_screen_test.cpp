// The Gameplay screen: one row per DIP switch over the settings' DIP words,
// choices that wrap both ways with only the switch's own bits written, odd
// tables, Restore Defaults and the restart row.
#include "tests/menus/menu_fixture.h"

namespace {

// A table with the awkward cases: a choice with bits outside its mask, two
// choices of one value, a switch with no choices, one with more than 20,
// and switches whose word the settings do not keep.
AdapterDipSwitch odd_dips[7];

void use_odd_dips() {
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
    fe.adapter.dips = odd_dips;
    fe.adapter.dip_count = 7;
    fe.adapter.dsw_count = 1;
}

class GameplayScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        show(SCREEN_GAMEPLAY);
    }
    // The first DIP word put at `from`, one key on the labelled row; the
    // whole word is then `to`.
    void expect_word(const char* label, uint16_t from, int32_t MenuInput::*key, uint16_t to) {
        fe.settings.dsw[0] = from;
        press(label, key);
        EXPECT_EQ(fe.settings.dsw[0], to) << label << " from " << from;
    }
};

TEST_F(GameplayScreenTest, RowsFromTheDipTableAndTheRestartRowOnlyWhileRunning) {
    // Defaults: flip bit set ("Off"), lives 0x20 ("3").
    expect_rows({{"Flip Screen", "Off", ""}, {"Lives", "3", ""}, {"Restore Defaults", "", ""}});
    fe.settings.dsw[0] = 0xFFCD;
    pass();
    EXPECT_EQ(row("Flip Screen").value, "On");
    EXPECT_EQ(row("Lives").value, "1");
    fe.settings.dsw[0] = 0xFFFF;
    pass();
    EXPECT_EQ(row("Lives").value, "1") << "bits that match no choice show the first";

    load_fake_game_running();
    pass();
    EXPECT_EQ(labels().back(), "Restart Now to Apply");
    enter("Restart Now to Apply");
    expect_confirm(CONFIRM_RESTART, 0, "Restart the game with the new switch settings? Unsaved progress will be lost.");
}

TEST_F(GameplayScreenTest, ChoicesWrapBothWaysAndOnlyTheMasksBitsChange) {
    expect_word("Lives", 0xFFEF, RIGHT, 0xFFCF);  // from 3, the last, to 1
    expect_word("Lives", 0xFFCF, LEFT, 0xFFEF);
    expect_word("Lives", 0xFFEF, SELECT, 0xFFCF);
    expect_word("Flip Screen", 0xFFCF, SELECT, 0xFFCD);
    expect_word("Lives", 0xFFFF, RIGHT, 0xFFDF);  // no choice matches: a change counts from the first
    expect_word("Lives", 0xFFFF, LEFT, 0xFFEF);
}

TEST_F(GameplayScreenTest, OddTablesAreHandledSafely) {
    use_odd_dips();
    fe.settings.dsw[0] = 0x0001;
    pass();
    // Switches on words the settings do not keep have no row.
    EXPECT_EQ(labels(), (std::vector<std::string>{"Coinage", "Same Value", "No Choices", "Many", "Restore Defaults"}));
    EXPECT_EQ(row("Same Value").value, "Second") << "of two choices with one value the later";
    EXPECT_EQ(row("No Choices").value, "?");
    expect_word("Coinage", 0x0000, RIGHT, 0x0400);  // a choice's bits outside the mask are never written
    pass();
    EXPECT_EQ(row("Coinage").value, "2 coins");
    expect_word("No Choices", 0x0020, SELECT, 0x0020);  // left alone
    expect_word("No Choices", 0x0020, RIGHT, 0x0020);
    expect_word("Many", 0x0000, LEFT, 19 << 11);  // capped at 20: Left from the first goes to the 20th
    expect_word("Many", 19 << 11, RIGHT, 0x0000);
}

TEST_F(GameplayScreenTest, RestoreDefaultsSetsOnlyTheSwitchesBitsAndBackWritesTheFile) {
    expect_word("Restore Defaults", 0x0000, SELECT, 0x0022);
    expect_word("Flip Screen", 0x0022, SELECT, 0x0020);
    expect_back_writes({"dsw1 = 0x0020"});
    use_odd_dips();
    fe.screen_depth = 2;
    expect_word("Restore Defaults", 0x0000, SELECT, 0x0400 | 0x0001 | 0x0010);
}

}  // namespace
