#include "TestSettings.h"

#include "SessionSettings.h"
#include "Sudoku.h"
#include "XMLDoc.h"

#include <cctype>
#include <climits>

int SettingValues::at(int index) const {
    return index >= 0 && index < count() ? values[index] : -1;
}

int SettingValues::indexOf(int value) const {
    for (int i = 0; i < count(); i++)
        if (values[i] == value) return i;
    return -1;
}

int SettingValues::add(int value) {
    if (count() >= capacity) return 0;
    values.push_back(value);
    return 1;
}

int leadingInt(const char* text) {
    while (std::isspace((unsigned char)*text)) text++;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    long long value = 0;
    for (; std::isdigit((unsigned char)*text); text++)
        if (value <= INT_MAX) value = value * 10 + (*text - '0');
    if (negative) value = -value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
}

bool isTrue(const char* text) { return text[0] == 'T' || text[0] == 't' || text[0] == '1'; }

namespace {

struct SwitchElement {
    const char* name;
    SettingValues TestSettings::*block;
    void (SessionSettings::*set)(int);  // null: not a session switch
};

// Reading order of the CONFIG block.
const SwitchElement kSwitches[] = {
    {"show_AR", &TestSettings::AR, &SessionSettings::setShowAR},
    {"show_colored", &TestSettings::colored, &SessionSettings::setShowColored},
    {"show_3D", &TestSettings::in3D, &SessionSettings::setShow3D},
    {"show_repulsive", &TestSettings::repulsive, &SessionSettings::setShowRepulsive},
    {"show_attractive", &TestSettings::attractive, &SessionSettings::setShowAttractive},
    {"show_overviews", &TestSettings::overviews, &SessionSettings::setShowOverviews},
    {"show_markup", &TestSettings::markup, &SessionSettings::setShowMarkup},
    {"show_grid_structure", &TestSettings::gridStructure, &SessionSettings::setShowGridStructure},
    {"show_evaluate", &TestSettings::evaluate, nullptr},
    // Kept in their blocks only: these two switches start off whatever the file says.
    {"automatic_markup", &TestSettings::automaticMarkup, nullptr},
    {"semiautomatic_markup", &TestSettings::semiautomaticMarkup, nullptr},
};

struct LoopElement {
    const char* name;
    SettingValues TestSettings::*list;
    bool isSwitch;
};

const LoopElement kLoops[] = {
    {"GRID", &TestSettings::puzzles, false},      {"PERMUTATION", &TestSettings::permutations, false},
    {"AR", &TestSettings::AR, true},              {"COLOR", &TestSettings::colored, true},
    {"IN3D", &TestSettings::in3D, true},          {"REPULSIVE", &TestSettings::repulsive, true},
    {"ATTRACTIVE", &TestSettings::attractive, true}, {"OVERVIEW", &TestSettings::overviews, true},
};

}  // namespace

int TestSettings::read(const char* path, SessionSettings& session, Sudoku& board) {
    std::string problem;
    return read(path, session, board, problem);
}

int TestSettings::read(const char* path, SessionSettings& session, Sudoku& board,
                       std::string& problem) {
    XMLDoc doc;
    if (!doc.read(path)) {
        problem = doc.errorText();
        return 0;
    }
    problem.clear();
    return read(doc, session, board);
}

int TestSettings::read(XMLDoc& doc, SessionSettings& session, Sudoku& board) {
    XMLPos pos(doc);
    if (!pos.goDown("PARAMS")) return 1;
    if (pos.goDown("COUNTERBALANCE")) {
        counterbalance = isTrue(pos.attribute("val").c_str());
        pos.back();
    }
    if (pos.goDown("CONFIG")) {
        for (const SwitchElement& element : kSwitches) {
            if (!pos.goDown(element.name)) continue;
            const int on = isTrue(pos.attribute("val").c_str());
            const int modifiable = isTrue(pos.attribute("modifiable").c_str());
            pos.back();
            if (element.set) (session.*element.set)(on);
            if (element.block == &TestSettings::evaluate) board.setEvaluate(on);
            SettingValues& block = this->*element.block;
            block.clear();
            block.modifiable = modifiable;
            block.add(on);
        }
        pos.back();
    }
    if (pos.goDown("LOOP")) {
        for (const LoopElement& element : kLoops) {
            if (!pos.goDown(element.name)) continue;
            SettingValues& list = this->*element.list;
            list.clear();
            // A switch that the series varies is not the player's to change.
            if (element.isSwitch) list.modifiable = 0;
            const int vals = leadingInt(pos.attribute("vals").c_str());
            // Values beyond the capacity would be dropped: stop reading there.
            for (int i = 0; i < vals && list.count() < list.capacity; i++) {
                char name[16];
                std::snprintf(name, sizeof name, "val%d", i);
                list.add(leadingInt(pos.attribute(name).c_str()));
            }
            pos.back();
        }
    }
    return 1;
}

static void printList(FILE* out, const char* label, const SettingValues& list) {
    std::fprintf(out, "    %s = { ", label);
    for (int value : list.values) std::fprintf(out, "%d ", value);
    std::fputs("}\n", out);
}

static void printBlock(FILE* out, const char* label, const SettingValues& block) {
    std::fprintf(out, "    %s", label);
    if (block.count() == 0) {
        std::fputs(" =   default ", out);
    } else if (block.count() == 1) {
        std::fprintf(out, " =   %s     ", block.values[0] ? "yes" : "no ");
    } else {
        std::fputs(" = { ", out);
        for (int value : block.values) std::fprintf(out, "%d ", value);
        std::fputs("}", out);
    }
    if (block.isModifiable())
        std::fputs("  ...modifiable...", out);
    else if (block.count() == 1)
        std::fputs("  ...fixed...", out);
    std::fputs("\n", out);
}

void TestSettings::print(FILE* out) const {
    std::fputs("\nTestSettings:\n=============\n", out);
    printList(out, "puzzles         ", puzzles);
    printList(out, "permutations    ", permutations);
    printBlock(out, "AR                  ", AR);
    printBlock(out, "show colored        ", colored);
    printBlock(out, "show 3D             ", in3D);
    printBlock(out, "show repulsive      ", repulsive);
    printBlock(out, "show attractive     ", attractive);
    printBlock(out, "show overview       ", overviews);
    printBlock(out, "show markup         ", markup);
    printBlock(out, "show evaluate       ", evaluate);
    printBlock(out, "automatic markup    ", automaticMarkup);
    printBlock(out, "semiautomatic markup", semiautomaticMarkup);
    std::fputs("\n", out);
}
