#include "Agenda.h"

#include "SessionSettings.h"
#include "Sudoku.h"
#include "TestSettings.h"
#include "XMLDoc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {

const AgendaItem kBlankItem = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// The ten values of an item in the order the series nests them.
int AgendaItem::*const kValues[10] = {
    &AgendaItem::grid,       &AgendaItem::permutation, &AgendaItem::AR,
    &AgendaItem::colored,    &AgendaItem::in3D,        &AgendaItem::repulsive,
    &AgendaItem::attractive, &AgendaItem::overviews,   &AgendaItem::markup,
    &AgendaItem::evaluate};

SettingValues TestSettings::*const kLists[10] = {
    &TestSettings::puzzles,    &TestSettings::permutations, &TestSettings::AR,
    &TestSettings::colored,    &TestSettings::in3D,         &TestSettings::repulsive,
    &TestSettings::attractive, &TestSettings::overviews,    &TestSettings::markup,
    &TestSettings::evaluate};

// Where the settings file gives the values of each list.
const char* const kListSources[10] = {
    "GRID in LOOP",
    "PERMUTATION in LOOP",
    "show_AR in CONFIG or AR in LOOP",
    "show_colored in CONFIG or COLOR in LOOP",
    "show_3D in CONFIG or IN3D in LOOP",
    "show_repulsive in CONFIG or REPULSIVE in LOOP",
    "show_attractive in CONFIG or ATTRACTIVE in LOOP",
    "show_overviews in CONFIG or OVERVIEW in LOOP",
    "show_markup in CONFIG",
    "show_evaluate in CONFIG"};

// Element names of an item in the user file, in writing order.
const char* const kElements[12] = {"GRID",       "PERMUTATION", "AR",        "COLORED",
                                   "IN3D",       "REPULSIVE",   "ATTRACTIVE", "OVERVIEWS",
                                   "MARKUP",     "EVALUATE",    "DONE",      "MILLISECONDS"};

int AgendaItem::*const kFields[12] = {
    &AgendaItem::grid,       &AgendaItem::permutation, &AgendaItem::AR,
    &AgendaItem::colored,    &AgendaItem::in3D,        &AgendaItem::repulsive,
    &AgendaItem::attractive, &AgendaItem::overviews,   &AgendaItem::markup,
    &AgendaItem::evaluate,   &AgendaItem::done,        &AgendaItem::milliseconds};

// Printed conditions: the first text for on, the second for off.
const struct {
    int AgendaItem::*value;
    SettingValues TestSettings::*list;
    const char* on;
    const char* off;
} kConditions[8] = {
    {&AgendaItem::AR, &TestSettings::AR, "   AR", "no-AR"},
    {&AgendaItem::colored, &TestSettings::colored, "   color", "no-color"},
    {&AgendaItem::in3D, &TestSettings::in3D, "   3D", "no-3D"},
    {&AgendaItem::repulsive, &TestSettings::repulsive, "   blocks", "no-blocks"},
    {&AgendaItem::attractive, &TestSettings::attractive, "   funnels", "no-funnels"},
    {&AgendaItem::overviews, &TestSettings::overviews, "   overviews", "no-overviews"},
    {&AgendaItem::markup, &TestSettings::markup, "   markups", "no-markups"},
    {&AgendaItem::evaluate, &TestSettings::evaluate, "   error marks", "no-error marks"},
};

}  // namespace

void AgendaItem::applyTo(SessionSettings& session, Sudoku& board) const {
    session.setShowAR(AR);
    session.setShowColored(colored);
    session.setShow3D(in3D);
    session.setShowRepulsive(repulsive);
    session.setShowAttractive(attractive);
    session.setShowOverviews(overviews);
    session.setShowMarkup(markup);
    session.setGridNumber(grid);
    session.permutation = permutation;
    if (evaluate == 0 || evaluate == 1) board.setEvaluate(evaluate);
}

Agenda::Agenda() {
    for (AgendaItem& item : items) item = kBlankItem;
}

int Agenda::build(const TestSettings& settings, unsigned seed) {
    fill(settings);
    std::srand(seed);
    const int m = length > 2 ? length : 2;
    step = std::rand() % m;
    if (step % 2 == 0) step--;
    if (step < 1) step = 1;
    current = length > 0 ? std::rand() % length : 0;
    std::printf("curr = %d, inc = %d\n", current, step);
    return length;
}

int Agenda::fill(const TestSettings& settings) {
    for (AgendaItem& item : items) item = kBlankItem;
    long total = 1;
    for (auto list : kLists) total *= (settings.*list).count();
    length = (int)std::min<long>(total, kCapacity);
    // Item i written as a number whose digits are the positions in the ten
    // lists, the last list turning fastest.
    for (int i = 0; i < length; i++) {
        int rest = i;
        for (int k = 9; k >= 0; k--) {
            const SettingValues& list = settings.*kLists[k];
            items[i].*kValues[k] = list.values[rest % list.count()];
            rest /= list.count();
        }
        items[i].done = 0;
        items[i].milliseconds = 0;
    }
    if (total > kCapacity)
        std::printf("The test settings give %ld games; the agenda keeps the first %d.\n", total,
                    kCapacity);
    return length;
}

int Agenda::read(const char* path) {
    XMLDoc doc;
    if (!doc.read(path)) return 0;
    return read(doc);
}

int Agenda::read(const char* path, std::string& problem) {
    problem.clear();
    XMLDoc doc;
    struct stat info;
    if (!doc.read(path)) {
        if (::stat(path, &info) == 0) problem = doc.errorText();
        return 0;
    }
    if (!XMLPos(doc).goDown("AGENDA")) {
        problem = "it has no AGENDA element";
        return 0;
    }
    return read(doc);
}

int Agenda::read(XMLDoc& doc) {
    XMLPos pos(doc);
    if (!pos.goDown("AGENDA")) return 0;
    auto number = [&pos](const char* name, int missing) {
        if (!pos.goDown(name)) return missing;
        const int value = leadingInt(pos.content().c_str());
        pos.back();
        return value;
    };
    length = number("AGENDA_LENGTH", 0);
    if (length < 0) length = 0;
    if (length > kCapacity) length = kCapacity;
    current = number("CURR", 0);
    step = number("INC", 1);
    int slot = 0;
    for (int i = 0; i < length; i++) {
        char name[16];
        std::snprintf(name, sizeof name, "ITEM_%d", i);
        if (!pos.goDown(name)) continue;
        slot = number("INDEX", slot);
        if (slot >= 0 && slot < kCapacity) {
            for (int k = 0; k < 12; k++)
                items[slot].*kFields[k] = number(kElements[k], k == 11 ? 0 : -1);
        }
        pos.back();
    }
    // Record writes the current slot: it must be one of the items.
    if (current < 0 || current >= length) current = 0;
    return length;
}

void Agenda::toDoc(XMLDoc& doc, const char* userName) const {
    doc.clear();
    XMLPos pos(doc);
    auto add = [&pos](const char* name, const std::string& text) {
        pos.create(name);
        pos.setContent(text);
        pos.back();
    };
    pos.create("AGENDA");
    add("USER", userName);
    add("AGENDA_LENGTH", std::to_string(length));
    add("CURR", std::to_string(current));
    add("INC", std::to_string(step));
    for (int i = 0; i < length && i < kCapacity; i++) {
        const AgendaItem& item = items[i];
        pos.create("ITEM_" + std::to_string(i));
        add("INDEX", std::to_string(i));
        for (int k = 0; k < 12; k++) add(kElements[k], std::to_string(item.*kFields[k]));
        int hours, minutes, seconds;
        splitTime(item.milliseconds, hours, minutes, seconds);
        add("HOURS", std::to_string(hours));
        add("MINUTES", std::to_string(minutes));
        add("SECONDS", std::to_string(seconds));
        pos.back();
    }
}

int Agenda::write(const char* path, const char* userName) const {
    XMLDoc doc;
    toDoc(doc, userName);
    struct stat info;
    const bool existed = ::stat(path, &info) == 0;
    if (doc.write(path)) return 1;
    std::printf("cannot write agenda file %s%s\n", path,
                existed ? "; the previous file is unchanged" : "");
    return 0;
}

std::string keepFileAside(const char* path) {
    struct stat info;
    for (int n = 1; n < 100; n++) {
        const std::string aside =
            std::string(path) + ".unreadable" + (n > 1 ? std::to_string(n) : "");
        if (::lstat(aside.c_str(), &info) == 0) continue;
        return std::rename(path, aside.c_str()) == 0 ? aside : "";
    }
    return "";
}

const char* missingCondition(const TestSettings& settings) {
    for (int k = 0; k < 10; k++)
        if ((settings.*kLists[k]).count() == 0) return kListSources[k];
    return nullptr;
}

int Agenda::selectFrom(int start) {
    const int n = length;
    start = (start % n + n) % n;
    for (int k = 0; k < n; k++) {
        const int i = (start + k) % n;
        if (!items[i].done) {
            current = i;
            return i;
        }
    }
    return -1;
}

int Agenda::currentItem() {
    if (length <= started) return 0;
    return selectFrom(current);
}

int Agenda::nextItem() {
    if (length <= started) return 0;
    return selectFrom(step % length + current % length);
}

void Agenda::record(int milliseconds) {
    AgendaItem& item = items[current >= 0 && current < kCapacity ? current : 0];
    item.done = 1;
    item.milliseconds = milliseconds;
}

void Agenda::print(const TestSettings& settings, FILE* out) const {
    std::fprintf(out, "Agenda: (%d tests)\n=======\n", length);
    for (int i = 0; i < length && i < kCapacity; i++) {
        const AgendaItem& item = items[i];
        std::fputs(i == current ? " -> " : "    ", out);
        // Odd positions (and values not in the list) shift by one column.
        const int k = settings.puzzles.indexOf(item.grid);
        std::fprintf(out, k >= 0 && k % 2 == 0 ? "grid %d   " : " grid %d  ", item.grid);
        const int p = settings.permutations.indexOf(item.permutation);
        std::fprintf(out, p >= 0 && p % 2 == 0 ? "p%d    " : " p%d   ", item.permutation);
        for (const auto& condition : kConditions) {
            if ((settings.*condition.list).count() > 1)
                std::fprintf(out, "%s   ", item.*condition.value ? condition.on : condition.off);
        }
        if (item.done) std::fputs(formatTime(item.milliseconds).c_str(), out);
        std::fputs("\n", out);
    }
    std::fputs("\n", out);
}

std::string formatTime(int milliseconds) {
    int hours, minutes, seconds;
    splitTime(milliseconds, hours, minutes, seconds);
    char text[32];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%2d:%02d:%02d", hours, minutes, seconds);
    else if (minutes > 0)
        std::snprintf(text, sizeof text, "   %2d:%02d", minutes, seconds);
    else
        std::snprintf(text, sizeof text, "      %2d", seconds);
    return text;
}
