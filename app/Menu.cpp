#include "Menu.h"

#include "EventLog.h"
#include "ResultLog.h"
#include "Shell.h"

namespace {

// The switch of each menu value 7..15 in the session with its block in the
// test settings; 16, the evaluation flag, is the board's.
struct MenuSwitch {
    int SessionSettings::*on;
    SettingValues TestSettings::*block;
    const char* name;  // its settings key
};
const MenuSwitch kSwitches[kSwitchCount] = {
    {&SessionSettings::show_colored, &TestSettings::colored, "show_colored"},
    {&SessionSettings::show_3D, &TestSettings::in3D, "show_3D"},
    {&SessionSettings::show_repulsive, &TestSettings::repulsive, "show_repulsive"},
    {&SessionSettings::show_attractive, &TestSettings::attractive, "show_attractive"},
    {&SessionSettings::show_markup, &TestSettings::markup, "show_markup"},
    {&SessionSettings::automatic_markup, &TestSettings::automaticMarkup, "automatic_markup"},
    {&SessionSettings::semiautomatic_markup, &TestSettings::semiautomaticMarkup,
     "semiautomatic_markup"},
    {&SessionSettings::show_overviews, &TestSettings::overviews, "show_overviews"},
    {&SessionSettings::show_grid_structure, &TestSettings::gridStructure, "show_grid_structure"},
    {nullptr, &TestSettings::evaluate, "show_evaluate"},
};

int switchState(int value) {
    const MenuSwitch& sw = kSwitches[value - kFirstSwitchValue];
    return sw.on ? session.*sw.on : sudoku->getEvaluate();
}

}  // namespace

std::vector<MenuEntry> currentMenuEntries() {
    int on[kSwitchCount], modifiable[kSwitchCount];
    for (int i = 0; i < kSwitchCount; i++) {
        on[i] = switchState(kFirstSwitchValue + i);
        modifiable[i] = (testSettings.*kSwitches[i].block).isModifiable();
    }
    return buildMenuEntries(on, modifiable);
}

void recordMenuPositions(RunningGame& game, const std::vector<MenuEntry>& entries) {
    for (int& p : game.menuPositions) p = -1;
    for (int i = 0; i < (int)entries.size(); i++)
        if (entries[i].value > 0) game.menuPositions[entries[i].value] = i + 1;
}

MenuEffects nextGame(RunningGame& game, FILE* out) {
    MenuEffects effects;
    logGameLeft(game, "next_game");
    writeResults(game, out);
    if (session.arMode == 0) {
        if (agenda.remaining() < 1) {
            game.newGameIdleTurns = 1;
            effects.moveWindow = 1;
        } else {
            const int item = agenda.nextItem();
            if (item < 0) {
                std::fprintf(out,
                             "\n\n**** YOU ARE DONE ****\n\n"
                             "Please fill out the questionnaire 'Tests/Tabrelo-Evaluation.pdf'.\n"
                             "(Bitte Fragebogen 'Tests/Tabrelo-Evaluation.pdf' ausf\xFC"
                             "llen.)\n");
                game.quitFlag = 1;
                return effects;
            }
            agenda.items[item].applyTo(session, *sudoku);
            effects.resetView = 1;
        }
    }
    std::fprintf(out, "%s, permutation %d\n", session.gridPath(), session.permutation);
    newGame(game, out);
    effects.newTitle = 1;
    return effects;
}

namespace {

MenuEffects toggleSwitch(const RunningGame& game, int value) {
    int SessionSettings::*on = kSwitches[value - kFirstSwitchValue].on;
    if (on)
        session.*on = 1 - session.*on;
    else
        sudoku->setEvaluate(1 - sudoku->getEvaluate());
    const int now = switchState(value);
    logEvent("feature_switched", -1, -1, -1,
             std::string(kSwitches[value - kFirstSwitchValue].name) + "=" + std::to_string(now) +
                 " menu");
    // Notes made by a markup helper go with it.
    if (now == 0 && (value == MenuAutomaticMarkup || value == MenuSemiautomaticMarkup))
        sudoku->clearAllNotes();
    MenuEffects effects;
    const int position = game.menuPositions[value];
    effects.entryPosition = position < 0 ? value : position;
    effects.entryText = toggledSwitchText(value, now);
    return effects;
}

}  // namespace

MenuEffects menuCommand(RunningGame& game, int value, FILE* out) {
    MenuEffects effects;
    switch (value) {
        case MenuNothing:
            break;
        case MenuHelp:
            printHelp(out);
            break;
        case MenuPush:
            if (!gridStack->isFull() && gridStack->push(*sudoku)) {
                game.rememberCount++;
                logEvent("board_remembered", -1, -1, -1, "depth=" + std::to_string(gridStack->count()));
            }
            break;
        case MenuPop:
            if (std::unique_ptr<Sudoku> back = gridStack->pop()) {
                delete sudoku;
                sudoku = back.release();
                logEvent("board_taken_back", -1, -1, -1, "depth=" + std::to_string(gridStack->count()));
            }
            break;
        case MenuNextGame:
            return nextGame(game, out);
        case MenuProgress:
            effects.moveWindow = 1;
            testSettings.print(out);
            agenda.print(testSettings, out);
            break;
        case MenuQuit:
            game.quitFlag = 1;
            break;
        default:
            if (value >= kFirstSwitchValue && value <= kLastSwitchValue)
                return toggleSwitch(game, value);
            std::fprintf(out, "invalid popup value %d\n", value);
    }
    return effects;
}
