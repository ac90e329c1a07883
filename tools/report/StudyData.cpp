#include "StudyData.h"

#include "Agenda.h"
#include "Csv.h"
#include "SessionSettings.h"
#include "XMLDoc.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

const char* const kSwitchNames[9] = {"show_AR",         "show_colored",   "show_3D",
                                     "show_repulsive",  "show_attractive", "show_overviews",
                                     "show_markup",     "show_evaluate",  "automatic_markup"};

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string stemOf(const std::string& name) { return agendaFileStem(name); }

// "key=value" words of an event's detail.
std::map<std::string, long> detailValues(const std::string& detail) {
    std::map<std::string, long> values;
    std::istringstream words(detail);
    for (std::string word; words >> word;) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos) values[word.substr(0, eq)] = std::atol(word.c_str() + eq + 1);
    }
    return values;
}

// The finished games of one event log, in game order.
std::vector<GameRow> gamesOfEvents(const std::string& text) {
    struct Game {
        GameRow row;
        bool left = false;
    };
    std::map<int, Game> games;
    for (const std::vector<std::string>& r : parseCsv(text)) {
        if (r.size() != 11) continue;
        const int number = std::atoi(r[3].c_str());
        if (number <= 0) continue;
        Game& g = games[number];
        GameRow& row = g.row;
        const std::string& event = r[6];
        const std::map<std::string, long> detail = detailValues(r[10]);
        auto value = [&](const char* key) {
            const auto found = detail.find(key);
            return found == detail.end() ? 0 : found->second;
        };
        if (row.game == 0) {
            row.player = r[1];
            row.game = number;
            row.grid = std::atoi(r[4].c_str());
            row.permutation = std::atoi(r[5].c_str());
            row.moves = row.removals = row.errors = 0;
        }
        if (event == "game_start") {
            for (int k = 0; k < 9; k++)
                if (detail.count(kSwitchNames[k])) row.switches[k] = (int)value(kSwitchNames[k]);
            if (detail.count("difficulty")) row.difficulty = (int)value("difficulty");
        } else if (event == "digit_entered") {
            row.moves++;
            if (r[10].find("conflict") != std::string::npos) row.errors++;
        } else if (event == "digit_removed") {
            row.removals++;
        } else if (event == "won" && !g.left) {
            row.won = 1;
            row.solvingMs = value("clock_ms");
        } else if ((event == "next_game" || event == "quit") && !g.left) {
            // After the last game of a series the quit leaves the same game again.
            g.left = true;
            if (!row.won) row.solvingMs = value("clock_ms");
            row.turningMs = value("turning_ms");
            row.turns = (int)value("turns");
        }
    }
    std::vector<GameRow> rows;
    for (auto& entry : games)
        if (entry.second.left) rows.push_back(entry.second.row);
    return rows;
}

long loggedMs(const std::string& time) {
    int h = 0, m = 0, s = 0;
    if (std::sscanf(time.c_str(), "%d:%d:%d", &h, &m, &s) == 3) return (h * 3600L + m * 60 + s) * 1000;
    if (std::sscanf(time.c_str(), "%d:%d", &m, &s) == 2) return (m * 60L + s) * 1000;
    return std::atol(time.c_str()) * 1000L;
}

int starsLevel(const std::string& stars) { return (int)std::count(stars.begin(), stars.end(), '*'); }

// Games of "log.txt" by player stem, in the order written; a line written
// twice for the same game (the quit after the last game) counts once.
std::map<std::string, std::vector<GameRow>> gamesOfLog(const std::string& text) {
    static const std::regex kLine(
        R"(^ *(-?\d+)  (.{5})  *(-?\d+)  *([\d:]+)  *([\d:]+) *(\d+)  *(\d+)  *(\d+)  ( c|bw)  (3d|2d)  ([+-]) ([+-]) ([+-]) ([+-]) ([+-])  *(\d+)  ( \+| -)  (.*)  ([A-Z][a-z]{2} [A-Z][a-z]{2} [ \d]\d \d\d:\d\d:\d\d \d{4})$)");
    std::map<std::string, std::vector<GameRow>> games;
    std::set<std::string> seen;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, kLine) || !seen.insert(line).second) continue;
        GameRow row;
        row.player = m[18];
        row.player.erase(0, row.player.find_first_not_of(' '));  // the name is right-aligned
        row.grid = std::stoi(m[1]);
        row.difficulty = starsLevel(m[2]);
        row.permutation = std::stoi(m[3]);
        row.solvingMs = loggedMs(m[4]);
        row.turningMs = loggedMs(m[5]);
        row.turns = std::stoi(m[6]);
        row.won = std::stoi(m[7]) == 0 && std::stoi(m[8]) == 0;
        row.switches[1] = m[9] == " c";
        row.switches[2] = m[10] == "3d";
        const int order[5] = {5, 3, 4, 6, 8};  // overviews, blocks, funnels, markup, automatic
        for (int k = 0; k < 5; k++) row.switches[order[k]] = m[11 + k] == "+";
        std::vector<GameRow>& list = games[stemOf(row.player)];
        row.game = (int)list.size() + 1;
        list.push_back(row);
    }
    return games;
}

}  // namespace

const char* difficultyName(int difficulty) {
    static const char* const kNames[] = {"unknown", "easy", "medium", "hard", "evil"};
    return difficulty >= 0 && difficulty <= 4 ? kNames[difficulty] : "";
}

StudyData readStudy(const std::string& folder) {
    StudyData data;
    data.test = fs::path(folder).lexically_normal().filename().string();
    if (data.test.empty()) data.test = fs::path(folder).lexically_normal().parent_path().filename().string();
    std::map<std::string, Participant> participants;
    std::map<std::string, std::vector<GameRow>> games;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::string suffix = "-events.csv";
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            const std::string stem = name.substr(0, name.size() - suffix.size());
            games[stem] = gamesOfEvents(readText(entry.path()));
            for (const GameRow& row : games[stem]) participants[stem].name = row.player;
        } else if (entry.path().extension() == ".xml" && name != "config.xml") {
            XMLDoc doc;
            Agenda agenda;
            if (!doc.read(entry.path().c_str()) || agenda.read(doc) <= 0) continue;
            Participant& p = participants[entry.path().stem().string()];
            XMLPos pos(doc);
            if (p.name.empty() && pos.goDown("AGENDA") && pos.goDown("USER")) p.name = pos.content();
            p.agendaLength = agenda.length;
            for (int i = 0; i < agenda.length; i++) p.agendaDone += agenda.items[i].done != 0;
        }
    }
    for (auto& entry : gamesOfLog(readText(fs::path(folder) / "log.txt"))) {
        if (games.count(entry.first)) continue;  // the event log tells more
        games[entry.first] = entry.second;
        if (participants[entry.first].name.empty()) participants[entry.first].name = entry.second[0].player;
    }
    for (auto& entry : participants) {
        if (entry.second.name.empty()) entry.second.name = entry.first;
        data.participants.push_back(entry.second);
        for (const GameRow& row : games[entry.first]) data.games.push_back(row);
    }
    return data;
}

std::string gamesCsv(const StudyData& data) {
    std::vector<std::string> header = {"player", "game", "grid", "difficulty", "permutation"};
    header.insert(header.end(), kSwitchNames, kSwitchNames + 9);
    for (const char* name : {"solving_ms", "turning_ms", "turns", "moves", "removals", "errors", "won"})
        header.push_back(name);
    std::string text = csvRow(header);
    auto known = [](long v) { return v < 0 ? std::string() : std::to_string(v); };
    for (const GameRow& g : data.games) {
        std::vector<std::string> row = {g.player, std::to_string(g.game), std::to_string(g.grid),
                                        difficultyName(g.difficulty), std::to_string(g.permutation)};
        for (int v : g.switches) row.push_back(known(v));
        for (long v : {g.solvingMs, g.turningMs, (long)g.turns, (long)g.moves, (long)g.removals,
                       (long)g.errors, (long)g.won})
            row.push_back(known(v));
        text += csvRow(row);
    }
    return text;
}
