#include "MenuTexts.h"

namespace {

struct SwitchTexts {
    const char* onLabel;
    const char* offLabel;
    const char* onArrow;   // what choosing the entry does when the switch is on
    const char* offArrow;
    const char* suffix;    // after the arrow or "[FIXED]"
};

// Indexed by value - 7. The built blocks labels carry two blanks.
const SwitchTexts kBuilt[kSwitchCount] = {
    {"- Colored", "- BW", "-> BW", "-> Colored", ""},
    {"- 3D", "- 2D", "-> 2D", "-> 3D", ""},
    {"- Blocks:  ON", "- Blocks:  OFF", "-> OFF", "-> ON", " (repulsive forces)"},
    {"- Funnels: ON", "- Funnels: OFF", "-> OFF", "-> ON", " (attractive forces)"},
    {"- Markup: ON", "- Markup: OFF", "-> OFF", "-> ON", ""},
    {"- Automatic markup: ON", "- Automatic markup: OFF", "-> OFF", "-> ON", ""},
    {"- Semiautomatic markup: ON", "- Semiautomatic markup: OFF", "-> OFF", "-> ON", ""},
    {"- Overview panes: ON", "- Overview panes: OFF", "-> OFF", "-> ON", ""},
    {"- Grid structure: ON", "- Grid structure: OFF", "-> OFF", "-> ON", ""},
    {"- Evaluation: ON", "- Evaluation: OFF", "-> OFF", "-> ON", ""},
};

bool isSwitch(int value) { return value >= kFirstSwitchValue && value <= kLastSwitchValue; }

}  // namespace

std::string builtSwitchText(int value, int on, int modifiable) {
    if (!isSwitch(value)) return "";
    const SwitchTexts& t = kBuilt[value - kFirstSwitchValue];
    const std::string label = on ? t.onLabel : t.offLabel;
    const std::string action = modifiable ? (on ? t.onArrow : t.offArrow) : "[FIXED]";
    return label + "\t" + action + t.suffix;
}

std::string toggledSwitchText(int value, int on) {
    if (value == MenuBlocks)
        return on ? "- Blocks: ON\t-> OFF (repulsive forces)"
                  : "- Blocks: OFF\t-> ON (repulsive forces)";
    if (value == MenuSemiautomaticMarkup && !on) return "- Semiutomatic markup: OFF\t-> ON";
    return builtSwitchText(value, on, 1);
}

std::vector<MenuEntry> buildMenuEntries(const int switchOn[kSwitchCount],
                                        const int modifiable[kSwitchCount]) {
    std::vector<MenuEntry> entries = {
        {"Next game (test sequence)", MenuNextGame},
        {"Show progress (test sequence)", MenuProgress},
        {"Quit", MenuQuit},
        {"Help", MenuHelp},
        {" ", MenuNothing},
        {"Remember current grid\t(push onto stack)", MenuPush},
        {"Go back to previously remembered grid\t(pop from stack)", MenuPop},
        {" ", MenuNothing},
        {"State:", MenuNothing},
    };
    for (int i = 0; i < kSwitchCount; i++) {
        const int value = kFirstSwitchValue + i;
        entries.push_back({builtSwitchText(value, switchOn[i], modifiable[i]),
                           modifiable[i] ? value : MenuNothing});
    }
    return entries;
}
