#include "Shell.h"

#include "CameraGame.h"
#include "Console.h"
#include "Counterbalance.h"
#include "EventLog.h"
#include "ResultLog.h"
#include "PuzzleFile.h"

#include <cstring>
#include <ctime>
#include <string>

void openTestSeries(RunningGame& game, FILE* out) {
    std::string problem;
    if (!testSettings.read(session.settingsPath, session, *sudoku, problem)) {
        // Without a test name a free game is what the player asked for.
        if (session.testName[0])
            std::fprintf(out, "cannot read test settings %s (%s): playing a free game\n",
                         session.settingsPath, problem.c_str());
        return;
    }
    const char* path = session.userPath();
    if (!path[0]) {
        std::fprintf(out, "no room for an agenda file in %s: playing a free game\n",
                     session.testFolder);
        return;
    }
    if (agenda.read(path, problem) > 0) return;
    if (!problem.empty()) {
        const std::string aside = keepFileAside(path);
        if (aside.empty()) {
            game.agendaFileKept = 1;
            std::fprintf(out,
                         "agenda file %s cannot be read (%s) nor moved aside: it is left as it "
                         "is and this session's progress is not saved\n",
                         path, problem.c_str());
        } else {
            std::fprintf(out, "agenda file %s cannot be read (%s): kept as %s, a new agenda begins\n",
                         path, problem.c_str(), aside.c_str());
        }
    }
    if (buildAgenda(agenda, testSettings, session.testFolder, (unsigned)std::time(nullptr)) == 0)
        std::fprintf(out, "test settings %s give no games (no value for %s): playing a free game\n",
                     session.settingsPath, missingCondition(testSettings));
}

const char* makeTitle(SessionSettings& s, const Sudoku& board) {
    char stars[8] = "";
    char name[16] = "";
    difficultyStars(board.difficulty, stars, sizeof stars);
    board.difficultyName(name, sizeof name);
    std::snprintf(s.productCaption, SessionSettings::kTextSize, "%s",
                  s.arMode == 1 ? "Tabrelo" : "Vitrelo");
    // Longer titles are cut; only a failed formatting leaves no title.
    int written;
    if (s.testName[0])
        written = std::snprintf(s.windowTitle, SessionSettings::kTitleSize,
                      "%s:   %s Puzzle %d %s   Permutation %d   - %s -   *** Testseries %s ***",
                      s.productCaption, name, s.gridNumber, stars, s.permutation, s.userName,
                      s.testName);
    else
        written = std::snprintf(s.windowTitle, SessionSettings::kTitleSize,
                      "%s:   %s Puzzle %d %s   Permutation %d   - %s -   *** It's FUN ***",
                      s.productCaption, name, s.gridNumber, stars, s.permutation, s.userName);
    if (written < 0) s.windowTitle[0] = '\0';
    return s.windowTitle;
}

void printHelp(FILE* out) {
    static const char* const kLines[] = {
        "\navailable commands (in OpenGL window):\n",
        "  always\n",
        "    esc    stop the game\n",
        "    1..9   add a new tile to the game at current mouse position\n",
        "    s,q,c  start/stop/continue clock\n",
        "    g,b,-  note that this is a good/bad/undecided cell for the current tile\n",
        "    +      toggle between AR and VR game (only, if camera is plugged in\n",
        "    a      automatic markup\n",
        "  VR only:\n",
        "    i      3D initialization\n",
        "    f      flat view (2D)\n",
        "    n      new game\n",
        "  AR only:\n",
        "    i      read intrinsic camera parameters\n",
        "    t      teach patterns of digits\n",
        "    x      edit pattern classifications\n",
        "    o      ok - play the game\n",
        "    r      restart basic search for grid\n",
        "    f      flip image\n",
        "    m      toggle between using the mouse and using tiles\n",
        "    w      toggle between showing AR tiles or not\n",
        "    c      calibrate camera\n",
        "\n",
    };
    for (const char* line : kLines) std::fputs(line, out);
}

// Why a puzzle file cannot be played; empty when it was read whole.
static std::string puzzleProblem(Sudoku& board, const char* path) {
    std::string problem;
    if (!readPuzzle(board, path, &problem)) return "cannot be opened";
    return problem;
}

void loadPuzzle(Sudoku& board, SessionSettings& s, FILE* out) {
    // A number outside the table is refused; the title and the logs then show
    // the permutation the board really has.
    if (!board.setPermutationNumber(s.permutation)) {
        std::fprintf(out, "permutation %d is not one of 0..12: playing permutation %d\n",
                     s.permutation, board.permutationNumber);
        s.permutation = board.permutationNumber;
    }
    board.resetCells();
    std::string problem = puzzleProblem(board, s.gridPath());
    if (!problem.empty()) {
        std::fprintf(out, "puzzle file %s %s", s.gridPath(), problem.c_str());
        if (std::strcmp(s.gridPath(), kFallbackPuzzlePath) != 0) {
            std::fprintf(out, ": playing %s instead", kFallbackPuzzlePath);
            s.setGridNumber(0);
            board.resetCells();
            problem = puzzleProblem(board, kFallbackPuzzlePath);
            if (!problem.empty()) std::fprintf(out, ", which %s", problem.c_str());
        }
        std::fputs("\n", out);
    }
    permute(board);
    board.print(out);
}

void newGame(RunningGame& game, FILE* out) {
    loadPuzzle(*sudoku, session, out);
    game.clock.start(tickCount());
    game.resetTurning(tickCount());
    game.wonFlag = 0;
    game.gameLogged = 0;
    makeTitle(session, *sudoku);
    logGameStart();
}

void writeResults(RunningGame& game, FILE* out) {
    GameResult r;
    r.gridNumber = session.gridNumber;
    r.difficulty = sudoku->difficulty;
    r.permutation = session.permutation;
    const long now = tickCount();
    r.gameMilliseconds = (int)game.clock.elapsed(now);
    game.turningUpTo(now, gameWindow->mouseMode, r.turningMilliseconds, r.turningCount);
    r.emptyCells = sudoku->countEmptyCells();
    r.conflicts = sudoku->countConflicts();
    r.colored = session.show_colored;
    r.in3D = session.show_3D;
    r.overviews = session.show_overviews;
    r.repulsive = session.show_repulsive;
    r.attractive = session.show_attractive;
    r.markup = session.show_markup;
    r.automaticMarkup = session.automatic_markup;
    r.rememberCount = game.rememberCount;
    r.arMode = session.arMode;
    r.userName = session.userName;
    r.clockStarted = game.clock.startTime;
    appendResults(session.testFolder, r, out);
    if (!game.agendaFileKept && session.userPath()[0])
        agenda.write(session.userPath(), session.userName);
    game.gameLogged = 1;
}

void holdClockWhileWon(RunningGame& game, long now) {
    if (game.wonFlag) game.clock.stop(now);
}

IdleOutcome idleStep(RunningGame& game, FILE* in, FILE* out) {
    IdleOutcome outcome = kGameGoesOn;
    sudoku->fitTableArea(session.show_overviews);
    // The window gets four idle turns to redraw before the console prompts block.
    if (game.newGameIdleTurns != 0) {
        game.newGameIdleTurns++;
        if (game.newGameIdleTurns == 5) {
            game.newGameIdleTurns = 0;
            askGridNumber(session, in, out);
            askPermutation(session, in, out);
            std::fprintf(out, "%s, permutation %d\n", session.gridPath(), session.permutation);
            newGame(game, out);
            outcome = kNewGameBegun;
        }
    }
    if (sudoku->countEmptyCells() == 0 && sudoku->countConflicts() == 0 && game.wonFlag == 0) {
        const int ms = (int)game.clock.elapsed(tickCount());
        if (agenda.length > 0) agenda.record(ms);
        game.wonFlag = 1;
        logEvent("won", -1, -1, -1, "clock_ms=" + std::to_string(ms));
    }
    if (game.quitFlag) {
        logGameLeft(game, "quit");
        logEvent("session_end");
        // After the last game of a series it is logged already.
        if (!game.gameLogged) writeResults(game, out);
        std::fprintf(out, "\nbye\n");
        std::fflush(out);
        return kGameEnds;
    }
    if (session.automatic_markup == 1 && sudoku->markUpAll() > 0 && outcome == kGameGoesOn)
        outcome = kNotesChanged;
    if (session.arMode == 1) {
        cameraGameStep(game, in, out);
        cameraTilesToBoard(*sudoku, out);
    }
    holdClockWhileWon(game, tickCount());
    return outcome;
}
