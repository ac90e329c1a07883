#include "MenuTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuTexts, EverySwitchInEveryBuiltState) {
    struct Case {
        int value;
        const char* onModifiable;
        const char* onFixed;
        const char* offModifiable;
        const char* offFixed;
    };
    const Case cases[] = {
        {MenuColored, "- Colored\t-> BW", "- Colored\t[FIXED]", "- BW\t-> Colored", "- BW\t[FIXED]"},
        {Menu3D, "- 3D\t-> 2D", "- 3D\t[FIXED]", "- 2D\t-> 3D", "- 2D\t[FIXED]"},
        {MenuBlocks, "- Blocks:  ON\t-> OFF (repulsive forces)",
         "- Blocks:  ON\t[FIXED] (repulsive forces)", "- Blocks:  OFF\t-> ON (repulsive forces)",
         "- Blocks:  OFF\t[FIXED] (repulsive forces)"},
        {MenuFunnels, "- Funnels: ON\t-> OFF (attractive forces)",
         "- Funnels: ON\t[FIXED] (attractive forces)", "- Funnels: OFF\t-> ON (attractive forces)",
         "- Funnels: OFF\t[FIXED] (attractive forces)"},
        {MenuMarkup, "- Markup: ON\t-> OFF", "- Markup: ON\t[FIXED]", "- Markup: OFF\t-> ON",
         "- Markup: OFF\t[FIXED]"},
        {MenuAutomaticMarkup, "- Automatic markup: ON\t-> OFF", "- Automatic markup: ON\t[FIXED]",
         "- Automatic markup: OFF\t-> ON", "- Automatic markup: OFF\t[FIXED]"},
        {MenuSemiautomaticMarkup, "- Semiautomatic markup: ON\t-> OFF",
         "- Semiautomatic markup: ON\t[FIXED]", "- Semiautomatic markup: OFF\t-> ON",
         "- Semiautomatic markup: OFF\t[FIXED]"},
        {MenuOverviews, "- Overview panes: ON\t-> OFF", "- Overview panes: ON\t[FIXED]",
         "- Overview panes: OFF\t-> ON", "- Overview panes: OFF\t[FIXED]"},
        {MenuGridStructure, "- Grid structure: ON\t-> OFF", "- Grid structure: ON\t[FIXED]",
         "- Grid structure: OFF\t-> ON", "- Grid structure: OFF\t[FIXED]"},
        {MenuEvaluation, "- Evaluation: ON\t-> OFF", "- Evaluation: ON\t[FIXED]",
         "- Evaluation: OFF\t-> ON", "- Evaluation: OFF\t[FIXED]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(builtSwitchText(c.value, 1, 1), c.onModifiable);
        EXPECT_EQ(builtSwitchText(c.value, 1, 0), c.onFixed);
        EXPECT_EQ(builtSwitchText(c.value, 0, 1), c.offModifiable);
        EXPECT_EQ(builtSwitchText(c.value, 0, 0), c.offFixed);
    }
}

TEST(MenuTexts, TogglesDifferFromTheBuiltTextsInTwoPlaces) {
    EXPECT_EQ(toggledSwitchText(MenuBlocks, 1), "- Blocks: ON\t-> OFF (repulsive forces)");
    EXPECT_EQ(toggledSwitchText(MenuBlocks, 0), "- Blocks: OFF\t-> ON (repulsive forces)");
    EXPECT_EQ(toggledSwitchText(MenuSemiautomaticMarkup, 0), "- Semiutomatic markup: OFF\t-> ON");
    EXPECT_EQ(toggledSwitchText(MenuSemiautomaticMarkup, 1), "- Semiautomatic markup: ON\t-> OFF");
    EXPECT_EQ(toggledSwitchText(MenuColored, 0), "- BW\t-> Colored");
    EXPECT_EQ(toggledSwitchText(MenuEvaluation, 0), "- Evaluation: OFF\t-> ON");
}

TEST(MenuTexts, BuiltMenuOrderAndValues) {
    int on[kSwitchCount] = {1, 0, 1, 1, 1, 0, 0, 1, 0, 1};
    int modifiable[kSwitchCount] = {1, 0, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<MenuEntry> entries = buildMenuEntries(on, modifiable);
    ASSERT_EQ(entries.size(), 19u);
    const int values[19] = {4, 5, 6, 1, 0, 2, 3, 0, 0, 7, 0, 9, 10, 11, 12, 13, 14, 15, 16};
    for (int i = 0; i < 19; i++) EXPECT_EQ(entries[i].value, values[i]) << "position " << i + 1;
    EXPECT_EQ(entries[0].text, "Next game (test sequence)");
    EXPECT_EQ(entries[4].text, " ");
    EXPECT_EQ(entries[5].text, "Remember current grid\t(push onto stack)");
    EXPECT_EQ(entries[6].text, "Go back to previously remembered grid\t(pop from stack)");
    EXPECT_EQ(entries[8].text, "State:");
    EXPECT_EQ(entries[10].text, "- 2D\t[FIXED]");  // fixed switches do nothing
    EXPECT_EQ(entries[11].text, "- Blocks:  ON\t-> OFF (repulsive forces)");
}

}  // namespace
