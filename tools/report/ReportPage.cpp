#include "ReportPage.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                "#9467bd", "#8c564b", "#e377c2", "#17becf"};

const char* const kStyle =
    "body{font-family:sans-serif;margin:2em;color:#222}.wide{overflow-x:auto}"
    "h1{font-size:1.6em}h2{font-size:1.2em;margin-top:2em}"
    "table{border-collapse:collapse;font-size:.85em}"
    "td,th{border:1px solid #ccc;padding:.2em .5em;text-align:right}"
    "th{background:#eee}td:first-child{text-align:left}"
    "svg.chart{display:block;background:#fff;border:1px solid #ddd;margin:.5em 0}"
    "svg text{font-size:12px;fill:#333}"
    ".box{fill:#cfe0f3;stroke:#1f4e79;stroke-width:1.5}.median{stroke:#1f4e79;stroke-width:3}"
    ".whisker{stroke:#1f4e79}.axis{stroke:#888}.grid{stroke:#eee}"
    ".point{fill:#d62728;fill-opacity:.75}.bar{fill:#2ca02c}.barback{fill:#e6e6e6}";

const int kWidth = 640, kHeight = 280, kLeft = 60, kRight = 20, kTop = 20, kBottom = 40;

std::string escape(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch;
        }
    }
    return out;
}

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

double seconds(const GameRow& g) { return g.solvingMs / 1000.0; }

// The y axis of solving times in seconds: a round top and its grid lines.
struct Axis {
    double top = 1, step = 1;
    explicit Axis(double highest) {
        const double raw = std::max(highest, 1.0) / 5;
        const double power = std::pow(10, std::floor(std::log10(raw)));
        for (double f : {1.0, 2.0, 5.0, 10.0})
            if (f * power >= raw) {
                step = f * power;
                break;
            }
        top = step * std::ceil(std::max(highest, 1.0) / step);
    }
    double y(double v) const { return kTop + (kHeight - kTop - kBottom) * (1 - v / top); }
    std::string draw() const {
        std::string svg;
        for (double v = 0; v <= top + step / 2; v += step)
            svg += "<line class=\"grid\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" +
                   std::to_string(kWidth - kRight) + "\" y1=\"" + num(y(v)) + "\" y2=\"" + num(y(v)) +
                   "\"/><text x=\"" + std::to_string(kLeft - 6) + "\" y=\"" + num(y(v) + 4) +
                   "\" text-anchor=\"end\">" + num(v) + "</text>";
        svg += "<line class=\"axis\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kLeft) +
               "\" y1=\"" + std::to_string(kTop) + "\" y2=\"" + std::to_string(kHeight - kBottom) + "\"/>";
        svg += "<text x=\"14\" y=\"" + std::to_string(kTop + 100) +
               "\" transform=\"rotate(-90 14 " + std::to_string(kTop + 100) + ")\">seconds</text>";
        return svg;
    }
};

std::string svgOpen(const std::string& title) {
    return "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
           "\" height=\"" + std::to_string(kHeight) + "\" role=\"img\"><title>" + escape(title) + "</title>";
}

// Linear interpolation between the sorted values.
double quantile(const std::vector<double>& sorted, double q) {
    const double at = q * (sorted.size() - 1);
    const size_t below = (size_t)std::floor(at);
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - below);
}

// One box per group (quartiles, median, whiskers to the extremes) with the
// single games as points.
std::string boxPlot(const std::string& title, const std::map<std::string, std::vector<double>>& groups) {
    double highest = 0;
    for (const auto& g : groups)
        for (double v : g.second) highest = std::max(highest, v);
    const Axis axis(highest);
    std::string svg = svgOpen(title) + axis.draw();
    const double slot = (kWidth - kLeft - kRight) / (double)groups.size();
    int index = 0;
    for (const auto& g : groups) {
        std::vector<double> v = g.second;
        std::sort(v.begin(), v.end());
        const double x = kLeft + slot * (index++ + 0.5), half = std::min(40.0, slot / 4);
        const double q1 = axis.y(quantile(v, .25)), q3 = axis.y(quantile(v, .75));
        const double median = axis.y(quantile(v, .5));
        svg += "<line class=\"whisker\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(axis.y(v.back())) +
               "\" y2=\"" + num(axis.y(v.front())) + "\"/>";
        svg += "<rect class=\"box\" x=\"" + num(x - half) + "\" y=\"" + num(q3) + "\" width=\"" + num(2 * half) +
               "\" height=\"" + num(std::max(q1 - q3, 1.0)) + "\"/>";
        svg += "<line class=\"median\" x1=\"" + num(x - half) + "\" x2=\"" + num(x + half) + "\" y1=\"" +
               num(median) + "\" y2=\"" + num(median) + "\"/>";
        for (size_t i = 0; i < g.second.size(); i++)
            svg += "<circle class=\"point\" r=\"4\" cx=\"" + num(x + ((int)(i % 5) - 2) * half / 3) + "\" cy=\"" +
                   num(axis.y(g.second[i])) + "\"/>";
        svg += "<text x=\"" + num(x) + "\" y=\"" + std::to_string(kHeight - kBottom + 18) +
               "\" text-anchor=\"middle\">" + escape(g.first) + " (n=" + std::to_string(v.size()) + ")</text>";
    }
    return svg + "</svg>\n";
}

// Solving time over each participant's games, one coloured line each.
std::string overTheGames(const StudyData& data) {
    double highest = 0;
    int games = 1;
    for (const GameRow& g : data.games) {
        highest = std::max(highest, seconds(g));
        games = std::max(games, g.game);
    }
    const Axis axis(highest);
    std::string svg = svgOpen("Solving time over the games") + axis.draw();
    auto x = [&](int game) {
        return kLeft + 20 + (kWidth - kLeft - kRight - 40) * (games == 1 ? 0.5 : (game - 1) / (double)(games - 1));
    };
    for (int game = 1; game <= games; game++)
        svg += "<text x=\"" + num(x(game)) + "\" y=\"" + std::to_string(kHeight - kBottom + 16) +
               "\" text-anchor=\"middle\">" + std::to_string(game) + "</text>";
    svg += "<text x=\"" + std::to_string(kWidth / 2) + "\" y=\"" + std::to_string(kHeight - 6) +
           "\" text-anchor=\"middle\">game</text>";
    int colour = 0;
    for (const Participant& p : data.participants) {
        std::string points, marks;
        for (const GameRow& g : data.games) {
            if (g.player != p.name) continue;
            points += num(x(g.game)) + "," + num(axis.y(seconds(g))) + " ";
            marks += "<circle r=\"4\" fill=\"" + std::string(kColours[colour % 8]) + "\" cx=\"" + num(x(g.game)) +
                     "\" cy=\"" + num(axis.y(seconds(g))) + "\"/>";
        }
        if (points.empty()) continue;
        const std::string c = kColours[colour % 8];
        svg += "<polyline class=\"line\" fill=\"none\" stroke-width=\"2\" stroke=\"" + c + "\" points=\"" + points +
               "\"/>" + marks;
        svg += "<rect x=\"" + std::to_string(kWidth - 150) + "\" y=\"" + std::to_string(kTop + 16 * colour) +
               "\" width=\"10\" height=\"10\" fill=\"" + c + "\"/><text x=\"" + std::to_string(kWidth - 134) +
               "\" y=\"" + std::to_string(kTop + 16 * colour + 10) + "\">" + escape(p.name) + "</text>";
        colour++;
    }
    return svg + "</svg>\n";
}

std::string participantsTable(const StudyData& data) {
    std::string html =
        "<table><tr><th>participant</th><th>agenda</th><th>progress</th><th>games</th><th>won</th></tr>\n";
    for (const Participant& p : data.participants) {
        int games = 0, won = 0;
        for (const GameRow& g : data.games)
            if (g.player == p.name) {
                games++;
                won += g.won;
            }
        const double share = p.agendaLength > 0 ? (double)p.agendaDone / p.agendaLength : 0;
        html += "<tr><td>" + escape(p.name) + "</td><td>" +
                (p.agendaLength > 0 ? std::to_string(p.agendaDone) + " of " + std::to_string(p.agendaLength)
                                    : std::string("free games")) +
                "</td><td><svg width=\"120\" height=\"12\"><rect class=\"barback\" width=\"120\" height=\"12\"/>"
                "<rect class=\"bar\" width=\"" + num(120 * share) + "\" height=\"12\"/></svg></td><td>" +
                std::to_string(games) + "</td><td>" + std::to_string(won) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string gamesTable(const StudyData& data) {
    std::string html = "<table><tr><th>participant</th><th>game</th><th>grid</th><th>difficulty</th><th>perm.</th>";
    for (const char* name : kSwitchNames) html += "<th>" + std::string(name) + "</th>";
    html += "<th>seconds</th><th>turning s</th><th>turns</th><th>moves</th><th>removals</th><th>errors</th>"
            "<th>won</th></tr>\n";
    auto cell = [](long v) { return "<td>" + (v < 0 ? std::string() : std::to_string(v)) + "</td>"; };
    for (const GameRow& g : data.games) {
        html += "<tr><td>" + escape(g.player) + "</td>" + cell(g.game) + cell(g.grid) + "<td>" +
                difficultyName(g.difficulty) + "</td>" + cell(g.permutation);
        for (int v : g.switches) html += cell(v);
        html += "<td>" + num(seconds(g)) + "</td><td>" + num(g.turningMs / 1000.0) + "</td>" + cell(g.turns) +
                cell(g.moves) + cell(g.removals) + cell(g.errors) + "<td>" + (g.won ? "yes" : "no") + "</td></tr>\n";
    }
    return html + "</table>\n";
}

}  // namespace

std::string reportPage(const StudyData& data) {
    int won = 0;
    for (const GameRow& g : data.games) won += g.won;
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Tabrelo report: " +
                       escape(data.test) + "</title><style>" + kStyle + "</style></head><body>\n";
    html += "<h1>Test series " + escape(data.test) + "</h1>\n<p>" + std::to_string(data.participants.size()) +
            " participants, " + std::to_string(data.games.size()) + " finished games, " + std::to_string(won) +
            " won. Times are the game clock's, in seconds.</p>\n";
    html += "<h2>Participants</h2>\n" + participantsTable(data);
    if (data.games.empty()) return html + "<p>No finished games yet.</p></body></html>\n";
    for (int k = 0; k < 9; k++) {
        std::map<std::string, std::vector<double>> groups;
        for (const GameRow& g : data.games)
            if (g.switches[k] >= 0) groups[std::to_string(g.switches[k])].push_back(seconds(g));
        if (groups.size() < 2) continue;  // not varied by the series
        const std::string title = std::string("Solving time by ") + kSwitchNames[k];
        html += "<h2>" + title + "</h2>\n" + boxPlot(title, groups);
    }
    std::map<std::string, std::vector<double>> byDifficulty;
    for (const GameRow& g : data.games) byDifficulty[difficultyName(g.difficulty)].push_back(seconds(g));
    html += "<h2>Solving time by difficulty</h2>\n" + boxPlot("Solving time by difficulty", byDifficulty);
    html += "<h2>Solving time over the games</h2>\n" + overTheGames(data);
    html += "<h2>Games</h2>\n<div class=\"wide\">" + gamesTable(data) + "</div>\n";
    return html + "</body></html>\n";
}
