#include "ResultLog.h"

#include "Agenda.h"
#include "PuzzleFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

std::string formatResultLine(const GameResult& r, bool withBoardState) {
    char stars[8] = "";
    difficultyStars(r.difficulty, stars, sizeof stars);
    auto sign = [](int on) { return on ? '+' : '-'; };
    char head[128], board[32] = "", tail[256];
    std::snprintf(head, sizeof head, "%4d  %s  %4d  %s  %s %2d  ", r.gridNumber, stars,
                  r.permutation, formatTime(r.gameMilliseconds).c_str(),
                  formatTime(r.turningMilliseconds).c_str(), r.turningCount);
    if (withBoardState) std::snprintf(board, sizeof board, "%5d  %4d  ", r.emptyCells, r.conflicts);
    // The standard 24-character local-time text, built from the date fields
    // so it looks the same whatever the C library's locale.
    char started[32] = "";
    std::tm local{};
    if (localtime_r(&r.clockStarted, &local))
        std::strftime(started, sizeof started, "%a %b %e %H:%M:%S %Y", &local);
    std::snprintf(tail, sizeof tail, "%s  %s  %c %c %c %c %c  %5d  %s  %10s  %s\n",
                  r.colored ? " c" : "bw", r.in3D ? "3d" : "2d", sign(r.overviews),
                  sign(r.repulsive), sign(r.attractive), sign(r.markup), sign(r.automaticMarkup),
                  r.rememberCount, r.arMode ? " +" : " -", r.userName.c_str(), started);
    return std::string(head) + board + tail;
}

namespace {

void appendLine(const std::string& path, const std::string& line, FILE* out) {
    FILE* f = std::fopen(path.c_str(), "a");
    if (!f) {
        std::fprintf(out, "cannot open file %s\n", path.c_str());
        return;
    }
    std::fputs(line.c_str(), f);
    std::fclose(f);
}

}  // namespace

void appendResults(const char* testFolder, const GameResult& result, FILE* out) {
    const std::string folder = testFolder;
    appendLine(folder + "/log.txt", formatResultLine(result, true), out);
    if (result.emptyCells == 0)
        appendLine(folder + "/finishedgames.txt", formatResultLine(result, false), out);
}

int checkResultsFolder(const char* folder, FILE* out) {
    std::string probe = std::string(folder) + "/.tabrelo-probe-XXXXXX";
    const int fd = mkstemp(&probe[0]);
    if (fd >= 0) {
        close(fd);
        unlink(probe.c_str());
        return 1;
    }
    std::fprintf(out, "cannot make files in the folder %s (%s): this session's results may not be kept\n",
                 folder, std::strerror(errno));
    return 0;
}
