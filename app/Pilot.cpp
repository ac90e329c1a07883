#include "Pilot.h"

#include "Agenda.h"
#include "Counterbalance.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "TestSettings.h"
#include "XMLDoc.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const kParamsChildren[] = {"CONFIG", "LOOP", "COUNTERBALANCE"};
const char* const kConfigChildren[] = {
    "show_AR",           "show_colored",        "show_3D",       "show_repulsive",
    "show_attractive",   "show_overviews",      "show_markup",   "show_grid_structure",
    "show_evaluate",     "automatic_markup",    "semiautomatic_markup"};
const char* const kLoopChildren[] = {"GRID",      "PERMUTATION", "AR",         "COLOR",
                                     "IN3D",      "REPULSIVE",   "ATTRACTIVE", "OVERVIEW"};

// The conditions every game needs a value for, with the names a
// researcher writes them under.
const struct {
    SettingValues TestSettings::*list;
    const char* config;
    const char* loop;
} kConditions[] = {
    {&TestSettings::AR, "show_AR", "AR"},
    {&TestSettings::colored, "show_colored", "COLOR"},
    {&TestSettings::in3D, "show_3D", "IN3D"},
    {&TestSettings::repulsive, "show_repulsive", "REPULSIVE"},
    {&TestSettings::attractive, "show_attractive", "ATTRACTIVE"},
    {&TestSettings::overviews, "show_overviews", "OVERVIEW"},
    {&TestSettings::markup, "show_markup", nullptr},
    {&TestSettings::evaluate, "show_evaluate", nullptr},
};

int editDistance(const std::string& a, const std::string& b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = (int)j;
    for (size_t i = 1; i <= a.size(); i++) {
        int diagonal = row[0];
        row[0] = (int)i;
        for (size_t j = 1; j <= b.size(); j++) {
            const int above = row[j];
            const bool same = std::tolower(a[i - 1]) == std::tolower(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

template <size_t N>
bool known(const std::string& name, const char* const (&names)[N]) {
    return std::find_if(names, names + N, [&](const char* n) { return name == n; }) != names + N;
}

// "unknown element X in Y", with the nearest known name when it looks misspelt.
template <size_t N>
std::string unknownName(const std::string& name, const char* where, const char* const (&names)[N]) {
    std::string problem = "unknown element " + name + " in " + where + " (ignored)";
    const char* nearest = *std::min_element(names, names + N, [&](const char* a, const char* b) {
        return editDistance(name, a) < editDistance(name, b);
    });
    if (editDistance(name, nearest) <= 3) problem += std::string("; did you mean ") + nearest + "?";
    return problem;
}

bool isSwitchText(const std::string& text) {
    std::string lower = text;
    for (char& ch : lower) ch = (char)std::tolower((unsigned char)ch);
    return lower == "0" || lower == "1" || lower == "true" || lower == "false";
}

// Problems of the file as written: names and values the reader would drop
// or read otherwise than meant.
void checkElements(XMLDoc& doc, std::vector<std::string>& problems) {
    const XMLNode* params = doc.root();
    if (!params || params->name != "PARAMS") {
        problems.push_back("the file has no PARAMS element: the series has no games");
        return;
    }
    for (const XMLNode& child : params->children) {
        if (!known(child.name, kParamsChildren)) {
            problems.push_back(unknownName(child.name, "PARAMS", kParamsChildren));
            continue;
        }
        const bool config = child.name == "CONFIG", loop = child.name == "LOOP";
        for (const XMLNode& element : child.children) {
            if (config && !known(element.name, kConfigChildren)) {
                problems.push_back(unknownName(element.name, "CONFIG", kConfigChildren));
            } else if (config) {
                for (const char* attribute : {"val", "modifiable"}) {
                    const auto found = element.attributes.find(attribute);
                    if (found != element.attributes.end() && !isSwitchText(found->second))
                        problems.push_back(element.name + " " + attribute + "=\"" + found->second +
                                           "\" is neither 0 nor 1 (read as " +
                                           (isTrue(found->second.c_str()) ? "1)" : "0)"));
                }
            } else if (loop && !known(element.name, kLoopChildren)) {
                problems.push_back(unknownName(element.name, "LOOP", kLoopChildren));
            } else if (loop) {
                const auto vals = element.attributes.find("vals");
                const int count = vals == element.attributes.end() ? 0 : leadingInt(vals->second.c_str());
                const bool isSwitch = element.name != "GRID" && element.name != "PERMUTATION";
                for (int i = 0; i < count && i < 100; i++) {
                    const std::string name = "val" + std::to_string(i);
                    const auto value = element.attributes.find(name);
                    if (value == element.attributes.end())
                        problems.push_back("LOOP " + element.name + " has vals=\"" +
                                           std::to_string(count) + "\" but no " + name + " (read as 0)");
                    else if (isSwitch && value->second != "0" && value->second != "1")
                        problems.push_back("LOOP " + element.name + " " + name + "=\"" +
                                           value->second + "\" is neither 0 nor 1");
                }
            }
        }
    }
}

// Problems of the series as read: missing puzzles, bad permutations,
// conditions without a value, too many games.
void checkSeries(const TestSettings& settings, std::vector<std::string>& problems) {
    for (int grid : settings.puzzles.values) {
        const std::string path = "sudoku-grids/g" + std::to_string(grid) + ".txt";
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            problems.push_back("puzzle " + std::to_string(grid) + " has no puzzle file " + path);
    }
    for (int permutation : settings.permutations.values)
        if (permutation < 0 || permutation >= Sudoku::kPermutationCount)
            problems.push_back("permutation " + std::to_string(permutation) + " is outside 0..12");
    if (settings.puzzles.count() == 0) problems.push_back("LOOP has no GRID values: the series has no games");
    if (settings.permutations.count() == 0)
        problems.push_back("LOOP has no PERMUTATION values: the series has no games");
    long games = (long)settings.puzzles.count() * settings.permutations.count();
    for (const auto& condition : kConditions) {
        const int count = (settings.*condition.list).count();
        games *= count;
        if (count == 0)
            problems.push_back(std::string("condition ") + condition.config +
                               (condition.loop ? std::string(" is neither configured in CONFIG nor looped in LOOP as ") +
                                                     condition.loop
                                               : " is not configured in CONFIG") +
                               ": the series has no games");
    }
    if (games > Agenda::kCapacity)
        problems.push_back("the series gives " + std::to_string(games) + " games; an agenda keeps only the first " +
                           std::to_string(Agenda::kCapacity));
}

void printOrder(Agenda agenda, const TestSettings& settings, FILE* out) {
    int position = 1;
    for (int i = agenda.currentItem(); i >= 0; i = agenda.nextItem()) {
        const AgendaItem& item = agenda.items[i];
        std::fprintf(out, "    %2d. grid %d, permutation %d", position++, item.grid, item.permutation);
        const int values[] = {item.AR,         item.colored,  item.in3D,   item.repulsive,
                              item.attractive, item.overviews, item.markup, item.evaluate};
        for (size_t k = 0; k < sizeof values / sizeof *values; k++)
            if ((settings.*kConditions[k].list).count() > 1)
                std::fprintf(out, ", %s %d", kConditions[k].config, values[k]);
        std::fputs("\n", out);
        agenda.record(0);
    }
}

}  // namespace

int runPilot(int argc, char** argv, FILE* out) {
    const int participants = argc > 3 ? std::atoi(argv[3]) : 1;
    if (argc < 3 || argc > 4 || participants < 1 || participants > 1000) {
        std::fprintf(out, "usage: tabrelo --pilot Tests/<test> [participants 1..1000]\n");
        return 2;
    }
    const std::string path = std::string(argv[2]) + "/config.xml";
    XMLDoc doc;
    if (!doc.read(path.c_str())) {
        std::fprintf(out, "cannot read %s: the series would be a free game\n", path.c_str());
        return 2;
    }
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    settings.read(doc, session, board);
    settings.print(out);

    std::vector<std::string> problems;
    checkElements(doc, problems);
    checkSeries(settings, problems);
    std::fflush(out);
    for (int k = 1; k <= participants; k++) {
        Agenda agenda;
        if (settings.counterbalance) {
            agenda.fill(settings);
            balanceAgenda(agenda, k - 1);
            std::fprintf(out, "Participant %d (balanced order, row %d):\n", k, k);
        } else {
            std::fprintf(out, "Participant %d (random order drawn at the first start; for example):\n", k);
            std::fflush(out);
            agenda.build(settings, (unsigned)k);
            std::fflush(stdout);
        }
        if (agenda.length > 0) printOrder(agenda, settings, out);
    }
    if (problems.empty()) {
        std::fprintf(out, "\nNo problems found.\n");
        return 0;
    }
    std::fprintf(out, "\nProblems:\n");
    for (const std::string& problem : problems) std::fprintf(out, "  - %s\n", problem.c_str());
    return 2;
}
