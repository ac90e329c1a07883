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
    return gameWindow->mouseMode == 1 && !onBoard(p) && !inTable(p);
}

static void logNote(int row, int column, int digit) {
    static const char* const kNoteNames[] = {"undecided", "good", "bad"};
    if (sudoku->containsPlace(row, column))
        logEvent("note_set", row, column, digit, kNoteNames[sudoku->noteAt(row, column, digit) % 3]);
}

// A digit in an entered cell is shown with an error mark when it clashes.
static void logEntered(const Sudoku& board, int row, int column, int digit, std::string how) {
    if (board.isConflict(row, column)) how += how.empty() ? "conflict" : " conflict";
    logEvent("digit_entered", row, column, digit, how);
}

static int cameraKey(unsigned char key, long now, FILE* out) {
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
        gameWindow->clock.start(now);
        gameWindow->resetStatistics();
        break;
    case 'r':
        camera.gridFound = 0;
        break;
    case 't':
        std::fprintf(out, "teach new sudoku-patterns (digits)\n");
        camera.teachRequest = 1;
        break;
    case 'w':
        showCameraTiles = 1 - showCameraTiles;
        break;
    case 'x':
        std::fprintf(out, "correct wrongly classified patterns\n");
        camera.correctionRequest = 1;
        break;
    }
    return kNothingMore;
}

int playKey(unsigned char key, const MousePlace& p, long now, FILE* out) {
    const int row = placeRow(p), column = placeColumn(p);
    GameClock& clock = gameWindow->clock;
    switch (key) {
    case 27:
        quitFlag = 1;
        break;
    case '+':
        if (cameraPresent) {
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
        gameWindow->resetStatistics();
        logEvent("clock_started");
        break;
    case 'q':
        clock.stop(now);
        logEvent("clock_stopped", -1, -1, -1, clockDetail());
        break;
    case 'c':
        clock.resume(now);
        logEvent("clock_continued", -1, -1, -1, clockDetail());
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
    if (session.arMode == 1) return cameraKey(key, now, out);
    if (key == 'f') return kFlatView;
    if (key == 'i') return kObliqueView;
    return kNothingMore;
}

static int leftPress(const MousePlace& p) {
    Sudoku& board = *sudoku;
    if (!(inTable(p) && gameWindow->isInsideWindow(p.x, p.y))) return kEnterTurning;
    gameWindow->play.dragging = 1;
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
        if (gameWindow->mouse.isDoublePress()) {
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

static void rightPress(const MousePlace& p) {
    Sudoku& board = *sudoku;
    gameWindow->play.rightDown = 1;
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

static void leftRelease(const MousePlace& p) {
    Sudoku& board = *sudoku;
    PlayMouseState& play = gameWindow->play;
    if (!play.dragging) return;
    play.dragging = 0;
    if (inTable(p) && gameWindow->isInsideWindow(p.x, p.y)) {
        if (!board.validDigit(currentDigit)) return;
        const int row = placeRow(p), column = placeColumn(p), digit = currentDigit;
        if (!board.setDigit(row, column, digit, Entered)) return;
        logEntered(board, row, column, digit, "");
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

int playMouse(int button, int state, const MousePlace& p) {
    int request = kNothingMore;
    if (state == kButtonDown && button == kLeftButton) request = leftPress(p);
    if (state == kButtonDown && button == kRightButton) rightPress(p);
    if (state == kButtonUp && button == kRightButton) gameWindow->play.rightDown = 0;
    if (state == kButtonUp && button == kLeftButton) leftRelease(p);
    PlayMouseState& play = gameWindow->play;
    play.dragX = play.rightX = p.x;
    play.dragY = play.rightY = gameWindow->height - p.y;
    return request;
}

void playDrag(const MousePlace& p, long now) {
    PlayMouseState& play = gameWindow->play;
    if (play.dragging && !gameWindow->mouse.isHeldPress(now)) {
        sudoku->moveCurrentTile((float)p.bx, (float)p.by);
        play.dragX = p.x;
        play.dragY = gameWindow->height - p.y;
    }
    if (play.rightDown) {
        play.rightX = p.x;
        play.rightY = gameWindow->height - p.y;
    }
}

void cameraTilesToBoard(Sudoku& board, FILE* out) {
    for (size_t i = 0; i < board.tiles.size();) {
        const Tile t = board.tiles[i];
        double whole;
        const double fx = std::modf(t.x, &whole), fy = std::modf(t.y, &whole);
        const bool centred = fx >= 0.35 && fx <= 0.65 && fy >= 0.35 && fy <= 0.65;
        const bool straight = (t.angle >= 0 && t.angle <= 5) || (t.angle >= 355 && t.angle <= 360);
        int dropped = -1;
        if (centred && straight) {
            if (camera.debugLevel >= 2)
                std::fprintf(out, "    tile %d at pos [x=%g, y=%g] with rotangle %d\n", t.digit, t.x,
                             t.y, t.angle);
            const int row = 8 - (int)std::floor(t.y), column = (int)std::floor(t.x);
            const int before = board.digitAt(row, column);
            const bool changed = t.digit == 0
                                     ? board.clearCell(row, column)
                                     : board.setDigit(row, column, t.digit, Entered);
            if (changed && t.digit == 0) logEvent("digit_removed", row, column, before, "camera");
            if (changed && t.digit != 0) logEntered(board, row, column, t.digit, "camera");
            if (changed) {
                dropped = board.currentTile;
                board.dropCurrentTile();
            }
        }
        // Dropping the current tile shifts the tiles after it.
        if (dropped < 0 || dropped > (int)i) i++;
    }
}
