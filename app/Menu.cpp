#include "Menu.h"

#include "ResultLog.h"
#include "Shell.h"

std::vector<MenuEntry> currentMenuEntries() {
    const SessionSettings& s = session;
    // In menu order: colored, 3D, blocks, funnels, markup, automatic and
    // semiautomatic markup, overview panes, grid structure, evaluation.
    const int on[kSwitchCount] = {
        s.show_colored,         s.show_3D,        s.show_repulsive,      s.show_attractive,
        s.show_markup,          s.automatic_markup, s.semiautomatic_markup, s.show_overviews,
        s.show_grid_structure,  sudoku->getEvaluate()};
    const TestSettings& t = testSettings;
    const SettingValues* blocks[kSwitchCount] = {
        &t.colored, &t.in3D,      &t.repulsive, &t.attractive,    &t.markup,
        &t.automaticMarkup, &t.semiautomaticMarkup, &t.overviews, &t.gridStructure, &t.evaluate};
    int modifiable[kSwitchCount];
    for (int i = 0; i < kSwitchCount; i++) modifiable[i] = blocks[i]->isModifiable();
    return buildMenuEntries(on, modifiable);
}

void recordMenuPositions(const std::vector<MenuEntry>& entries) {
    for (int& p : gameWindow->menuPositions) p = -1;
    for (int i = 0; i < (int)entries.size(); i++)
        if (entries[i].value > 0) gameWindow->menuPositions[entries[i].value] = i + 1;
}

MenuEffects nextGame(FILE* out) {
    MenuEffects effects;
    writeResults(out);
    if (session.arMode == 0) {
        if (agenda.remaining() < 1) {
            newGameCountdown = 1;
            effects.moveWindow = 1;
        } else {
            const int item = agenda.nextItem();
            if (item < 0) {
                std::fprintf(out,
                             "\n\n**** YOU ARE DONE ****\n\n"
                             "Please fill out the questionnaire 'Tests/Tabrelo-Evaluation.pdf'.\n"
                             "(Bitte Fragebogen 'Tests/Tabrelo-Evaluation.pdf' ausf\xFC"
                             "llen.)\n");
                quitFlag = 1;
                return effects;
            }
            agenda.items[item].applyTo(session, *sudoku);
            effects.resetView = 1;
        }
    }
    std::fprintf(out, "%s, permutation %d\n", session.gridPath(), session.permutation);
    newGame(out);
    effects.newTitle = 1;
    return effects;
}

namespace {

// Switches 7..15 of the session; 16 is the board's evaluation flag.
int* sessionSwitch(int value) {
    switch (value) {
        case MenuColored: return &session.show_colored;
        case Menu3D: return &session.show_3D;
        case MenuBlocks: return &session.show_repulsive;
        case MenuFunnels: return &session.show_attractive;
        case MenuMarkup: return &session.show_markup;
        case MenuAutomaticMarkup: return &session.automatic_markup;
        case MenuSemiautomaticMarkup: return &session.semiautomatic_markup;
        case MenuOverviews: return &session.show_overviews;
        case MenuGridStructure: return &session.show_grid_structure;
        default: return nullptr;
    }
}

MenuEffects toggleSwitch(int value) {
    int now;
    if (value == MenuEvaluation) {
        sudoku->setEvaluate(1 - sudoku->getEvaluate());
        now = sudoku->getEvaluate();
    } else {
        int* on = sessionSwitch(value);
        *on = 1 - *on;
        now = *on;
        // Notes made by a markup helper go with it.
        if (now == 0 && (value == MenuAutomaticMarkup || value == MenuSemiautomaticMarkup))
            sudoku->clearAllNotes();
    }
    MenuEffects effects;
    const int position = gameWindow->menuPositions[value];
    effects.entryPosition = position < 0 ? value : position;
    effects.entryText = toggledSwitchText(value, now);
    return effects;
}

}  // namespace

MenuEffects menuCommand(int value, FILE* out) {
    MenuEffects effects;
    switch (value) {
        case MenuNothing:
            break;
        case MenuHelp:
            printHelp(out);
            break;
        case MenuPush:
            if (!gridStack->isFull() && gridStack->push(*sudoku)) rememberCount++;
            break;
        case MenuPop:
            if (std::unique_ptr<Sudoku> back = gridStack->pop()) {
                delete sudoku;
                sudoku = back.release();
            }
            break;
        case MenuNextGame:
            return nextGame(out);
        case MenuProgress:
            effects.moveWindow = 1;
            testSettings.print(out);
            agenda.print(testSettings, out);
            break;
        case MenuQuit:
            quitFlag = 1;
            break;
        default:
            if (value >= kFirstSwitchValue && value <= kLastSwitchValue) return toggleSwitch(value);
            std::fprintf(out, "invalid popup value %d\n", value);
    }
    return effects;
}
