#include "Play.h"

#include "CameraGame.h"
#include "EventLog.h"
#include "Shell.h"

#include <cmath>

int placeRow(const MousePlace& p) { return 8 - (int)std::floor(p.by); }
int placeColumn(const MousePlace& p) { return (int)std::floor(p.bx); }

int onBoard(const MousePlace& p) {
    const int X = (int)p.bx, Y = (int)p.by;
    return 0 <= Y && Y <= 8 && 0 <= X && X <= 8;
}

int inTable(const MousePlace& p) { return sudoku->inTableArea((int)p.by, (int)p.bx); }
int inCorner(const MousePlace& p) { return sudoku->inCornerArea((int)p.by, (int)p.bx); }

// While the view is being turned the right button shifts it everywhere.
int menuWanted(const MousePlace& p) {
    return gameWindow->mouseMode == kPlayMode && !onBoard(p) && !inTable(p);
}

static void logNote(int row, int column, int digit) {
    static const char* const kNoteNames[] = {"undecided", "good", "bad"};
    if (sudoku->containsPlace(row, column))
        logEvent("note_set", row, column, digit, kNoteNames[sudoku->noteAt(row, column, digit) % 3]);
}

static PlayRequest cameraKey(RunningGame& game, unsigned char key, long now, FILE* out) {
    switch (key) {
    case 'f':
        if (camera.flipMode != 1) camera.flipMode = 2 - camera.flipMode;
        camera.gridFound = 0;
        keepViewInStep();
        break;
    case 'i':
        if (gridVision && chooseCamera(*gridVision, stdin, out)) handCalibrationToWindow();
        break;
    case 'm':
        camera.useMouse = 1 - camera.useMouse;
        break;
    case 'o':
        camera.recognitionFrozen = 1 - camera.recognitionFrozen;
        camera.rerectifyRequest = 1;
        game.clock.start(now);
        game.resetTurning(now);
        break;
    case 'r':
        camera.gridFound = 0;
        break;
    case 't':
        std::fprintf(out, "teach new sudoku-patterns (digits)\n");
        camera.teachRequest = 1;
        break;
    case 'w':
        game.showCameraTiles = 1 - game.showCameraTiles;
        break;
    case 'x':
        std::fprintf(out, "correct wrongly classified patterns\n");
        camera.correctionRequest = 1;
        break;
    }
    return kNothingMore;
}

PlayRequest playKey(RunningGame& game, unsigned char key, const MousePlace& p, long now,
                    FILE* out) {
    const int row = placeRow(p), column = placeColumn(p);
    GameClock& clock = game.clock;
    int& currentDigit = game.currentDigit;
    switch (key) {
    case 27:
        game.quitFlag = 1;
        break;
    case '+':
        if (game.cameraPresent) {
            session.toggleArMode();
            logEvent("feature_switched", -1, -1, -1, "arMode=" + std::to_string(session.arMode) + " key");
        }
        break;
    case 'g':
        sudoku->setNote(row, column, currentDigit, NoteGood);
        logNote(row, column, currentDigit);
        break;
    case 'b':
        sudoku->setNote(row, column, currentDigit, NoteBad);
        logNote(row, column, currentDigit);
        break;
    case '-':
        sudoku->setNote(row, column, currentDigit, NoteUndecided);
        logNote(row, column, currentDigit);
        break;
    case 's':
        clock.start(now);
        game.resetTurning(now);
        logEvent("clock_started");
        break;
    case 'q':
        clock.stop(now);
        logEvent("clock_stopped", -1, -1, -1, clockDetail(game));
        break;
    case 'c':
        clock.resume(now);
        logEvent("clock_continued", -1, -1, -1, clockDetail(game));
        break;
    case 'h':
        printHelp(out);
        break;
    case 'p':
        std::fprintf(out, "\n...pausing...\n");
        std::fprintf(out, "type p to continue\n");
        std::fprintf(out, "...doesn't work yet under OGL\n");
        break;
    default:
        // A tile only where the table is: one made beside it could not be reached.
        if (key >= '1' && key <= '9' && p.overDrawing && inTable(p)) {
            currentDigit = key - '0';
            sudoku->addTile((float)p.bx, (float)p.by, currentDigit);
            const int on = onBoard(p);
            logEvent("tile_put_down", on ? row : -1, on ? column : -1, currentDigit);
        }
    }
    PlayRequest request = kNothingMore;
    if (session.arMode == 1)
        request = cameraKey(game, key, now, out);
    else if (key == 'f')
        request = kFlatView;
    else if (key == 'i')
        request = kObliqueView;
    holdClockWhileWon(game, now);
    return request;
}

static PlayRequest leftPress(RunningGame& game, const MousePlace& p) {
    Sudoku& board = *sudoku;
    int& currentDigit = game.currentDigit;
    if (!(inTable(p) && gameWindow->isInsideWindow(p.x, p.y))) return kEnterTurning;
    game.play.dragging = 1;
    const int row = placeRow(p), column = placeColumn(p);
    if (onBoard(p) && board.kindAt(row, column) == Entered) {
        logEvent("digit_removed", row, column, board.digitAt(row, column));
        board.clearCell(row, column);
        currentDigit = 0;
        return kNothingMore;
    }
    if (Tile* t = board.pickTile((float)p.bx, (float)p.by)) {
        currentDigit = t->digit;
        logEvent("tile_picked_up", -1, -1, t->digit);
        if (game.mouse.isDoublePress()) {
            if (inCorner(p)) {
                board.dropAllTiles();
                logEvent("tile_removed", -1, -1, -1, "all");
            } else {
                logEvent("tile_removed", -1, -1, currentDigit);
                board.dropCurrentTile();
            }
            currentDigit = 0;
        }
    }
    return kNothingMore;
}

static void rightPress(RunningGame& game, const MousePlace& p) {
    Sudoku& board = *sudoku;
    game.play.rightDown = 1;
    const Tile* t = board.current();
    const int d = t ? t->digit : 0;
    const int row = placeRow(p), column = placeColumn(p);
    if (onBoard(p)) {
        if (board.kindAt(row, column) == Empty) {
            board.setNote(row, column, d, (board.noteAt(row, column, d) + 1) % 3);
            logNote(row, column, d);
        }
    } else if (inTable(p) && session.semiautomatic_markup == 1) {
        if (inCorner(p)) {
            board.markUpAll();
        } else {
            board.markUpBand(row, d);
            board.markUpStack(column, d);
        }
    }
}

static void leftRelease(RunningGame& game, const MousePlace& p) {
    Sudoku& board = *sudoku;
    PlayMouseState& play = game.play;
    int& currentDigit = game.currentDigit;
    if (!play.dragging) return;
    play.dragging = 0;
    if (inTable(p) && gameWindow->isInsideWindow(p.x, p.y)) {
        if (!board.validDigit(currentDigit)) return;
        const int row = placeRow(p), column = placeColumn(p), digit = currentDigit;
        if (!board.setDigit(row, column, digit, Entered)) return;
        logDigitEntered(board, row, column, digit, "");
        if (board.isCurrentTileNear((float)p.bx, (float)p.by)) {
            board.dropCurrentTile();
            currentDigit = 0;
        }
        return;
    }
    if (const Tile* t = board.current()) logEvent("tile_removed", -1, -1, t->digit);
    board.dropCurrentTile();
    currentDigit = 0;
}

PlayRequest playMouse(RunningGame& game, int button, int state, const MousePlace& p) {
    PlayRequest request = kNothingMore;
    if (state == kButtonDown && button == kLeftButton) request = leftPress(game, p);
    if (state == kButtonDown && button == kRightButton) rightPress(game, p);
    if (state == kButtonUp && button == kRightButton) game.play.rightDown = 0;
    if (state == kButtonUp && button == kLeftButton) leftRelease(game, p);
    PlayMouseState& play = game.play;
    play.dragX = play.rightX = p.x;
    play.dragY = play.rightY = gameWindow->height - p.y;
    return request;
}

void playDrag(RunningGame& game, const MousePlace& p, long now) {
    PlayMouseState& play = game.play;
    if (play.dragging && !game.mouse.isHeldPress(now)) {
        sudoku->moveCurrentTile((float)p.bx, (float)p.by);
        play.dragX = p.x;
        play.dragY = gameWindow->height - p.y;
    }
    if (play.rightDown) {
        play.rightX = p.x;
        play.rightY = gameWindow->height - p.y;
    }
}
