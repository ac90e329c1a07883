#include "Shell.h"

#include "Console.h"
#include "EventLog.h"
#include "ResultLog.h"
#include "Play.h"
#include "PuzzleFile.h"

#include <cstdlib>

SessionSettings session;
Sudoku* sudoku = nullptr;
GridStack* gridStack = nullptr;
GameWindow* gameWindow = nullptr;
TestSettings testSettings;
Agenda agenda;
int cameraPresent = 0;
int quitFlag = 0;
int wonFlag = 0;
int newGameCountdown = 0;
int currentDigit = 0;
int showCameraTiles = 1;
int popupMenu = 0;
int menuAttached = 0;
int rememberCount = 0;

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

void loadPuzzle(Sudoku& board, SessionSettings& s, FILE* out) {
    // A number outside the table is refused; the title and the logs then show
    // the permutation the board really has.
    if (!board.setPermutationNumber(s.permutation)) s.permutation = board.permutationNumber;
    board.resetCells();
    if (!readPuzzle(board, s.gridPath())) readPuzzle(board, kFallbackPuzzlePath);
    permute(board);
    board.print(out);
}

void newGame(FILE* out) {
    loadPuzzle(*sudoku, session, out);
    gameWindow->clock.start(tickCount());
    gameWindow->resetStatistics();
    wonFlag = 0;
    makeTitle(session, *sudoku);
    logGameStart();
}

void writeResults(FILE* out) {
    GameResult r;
    r.gridNumber = session.gridNumber;
    r.difficulty = sudoku->difficulty;
    r.permutation = session.permutation;
    r.gameMilliseconds = (int)gameWindow->clock.elapsed(tickCount());
    r.turningMilliseconds = gameWindow->viewCamera.turningTotal;
    r.turningCount = gameWindow->viewCamera.turningCount;
    r.emptyCells = sudoku->countEmptyCells();
    r.conflicts = sudoku->countConflicts();
    r.colored = session.show_colored;
    r.in3D = session.show_3D;
    r.overviews = session.show_overviews;
    r.repulsive = session.show_repulsive;
    r.attractive = session.show_attractive;
    r.markup = session.show_markup;
    r.automaticMarkup = session.automatic_markup;
    r.rememberCount = rememberCount;
    r.arMode = session.arMode;
    r.userName = session.userName;
    r.clockStarted = gameWindow->clock.startTime;
    appendResults(session.testFolder, r, out);
    agenda.write(session.userPath(), session.userName);
}

int idleStep(FILE* in, FILE* out) {
    int begun = 0;
    if (newGameCountdown != 0) {
        newGameCountdown++;
        if (newGameCountdown == 5) {
            newGameCountdown = 0;
            askGridNumber(session, in, out);
            askPermutation(session, in, out);
            std::fprintf(out, "%s, permutation %d\n", session.gridPath(), session.permutation);
            newGame(out);
            begun = 1;
        }
    }
    if (sudoku->countEmptyCells() == 0 && sudoku->countConflicts() == 0 && wonFlag == 0) {
        const int ms = (int)gameWindow->clock.elapsed(tickCount());
        if (agenda.length > 0) agenda.record(ms);
        wonFlag = 1;
        logEvent("won", -1, -1, -1, "clock_ms=" + std::to_string(ms));
    }
    if (quitFlag) {
        logGameLeft("quit");
        logEvent("session_end");
        writeResults(out);
        std::fprintf(out, "\nbye\n");
        std::fflush(out);
        std::exit(-1);
    }
    if (session.automatic_markup == 1) sudoku->markUpAll();
    // The camera step of the frame comes first once the camera game has one.
    if (session.arMode == 1) cameraTilesToBoard(*sudoku, out);
    return begun;
}
