#include "EventLog.h"

#include "Csv.h"
#include "Shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

const char* const kEventLogHeader =
    "time_ms,player,test,game,grid,permutation,event,row,col,digit,detail\n";

namespace {

int logFile = -1;
long startTick = 0;
int gameNumber = 0;

std::string numberOrEmpty(int value) { return value < 0 ? "" : std::to_string(value); }

// The whole text in one write, then on disk.
void writeWhole(const std::string& text) {
    if (logFile < 0) return;
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(logFile, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        written += (size_t)n;
    }
    fdatasync(logFile);
}

// The highest game number in a log written before.
int lastGame(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    int last = 0;
    for (const std::vector<std::string>& row : parseCsv(text.str()))
        if (row.size() > 3) last = std::max(last, std::atoi(row[3].c_str()));
    return last;
}

}  // namespace

std::string formatEventRow(const EventRow& r) {
    return csvRow({std::to_string(r.timeMs), r.player, r.test, std::to_string(r.game),
                   std::to_string(r.grid), std::to_string(r.permutation), r.event,
                   numberOrEmpty(r.row), numberOrEmpty(r.column), numberOrEmpty(r.digit),
                   r.detail});
}

void startEventLog(FILE* out) {
    const std::string path =
        std::string(session.testFolder) + "/" + agendaFileStem(session.userName) + "-events.csv";
    gameNumber = lastGame(path);
    logFile = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (logFile < 0) {
        // A missing test folder is reported by the result logs when they are written.
        if (errno != ENOENT) std::fprintf(out, "cannot open file %s\n", path.c_str());
        return;
    }
    if (lseek(logFile, 0, SEEK_END) == 0) writeWhole(kEventLogHeader);
    startTick = tickCount();
    char started[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) std::strftime(started, sizeof started, "%Y-%m-%d %H:%M:%S", &local);
    logEvent("session_start", -1, -1, -1, started);
}

void logEvent(const char* event, int row, int column, int digit, const std::string& detail) {
    EventRow r;
    r.timeMs = tickCount() - startTick;
    r.player = session.userName;
    r.test = session.testName;
    r.game = gameNumber;
    r.grid = session.gridNumber;
    r.permutation = session.permutation;
    r.event = event;
    r.row = row;
    r.column = column;
    r.digit = digit;
    r.detail = detail;
    writeWhole(formatEventRow(r));
}

void logDigitEntered(const Sudoku& board, int row, int column, int digit, std::string how) {
    if (board.isConflict(row, column)) how += how.empty() ? "conflict" : " conflict";
    logEvent("digit_entered", row, column, digit, how);
}

void logGameStart() {
    gameNumber++;
    const struct {
        const char* name;
        int value;
    } switches[] = {
        {"show_AR", session.show_AR},
        {"show_colored", session.show_colored},
        {"show_3D", session.show_3D},
        {"show_repulsive", session.show_repulsive},
        {"show_attractive", session.show_attractive},
        {"show_overviews", session.show_overviews},
        {"show_markup", session.show_markup},
        {"show_evaluate", sudoku->getEvaluate()},
        {"show_grid_structure", session.show_grid_structure},
        {"automatic_markup", session.automatic_markup},
        {"semiautomatic_markup", session.semiautomatic_markup},
        {"arMode", session.arMode},
        {"difficulty", sudoku->difficulty},
    };
    std::string detail;
    for (const auto& s : switches)
        detail += (detail.empty() ? "" : " ") + std::string(s.name) + "=" + std::to_string(s.value);
    logEvent("game_start", -1, -1, -1, detail);
}

std::string clockDetail(const RunningGame& game) {
    return "clock_ms=" + std::to_string(game.clock.elapsed(tickCount()));
}

void logGameLeft(const RunningGame& game, const char* event) {
    char detail[160];
    std::snprintf(detail, sizeof detail, "%s turning_ms=%d turns=%d empty=%d conflicts=%d",
                  clockDetail(game).c_str(), game.turning.total, game.turning.count,
                  sudoku->countEmptyCells(), sudoku->countConflicts());
    logEvent(event, -1, -1, -1, detail);
}
