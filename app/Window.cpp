#include "Window.h"

#include "BoardDrawing.h"
#include "CameraGame.h"
#include "EventLog.h"
#include "Menu.h"
#include "Play.h"
#include "Shell.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

static_assert(kLeftButton == GLUT_LEFT_BUTTON && kRightButton == GLUT_RIGHT_BUTTON,
              "button numbers");
static_assert(kButtonDown == GLUT_DOWN && kButtonUp == GLUT_UP, "button states");

// The game the callbacks play, owned by the program's entry.
static RunningGame* playedGame = nullptr;

static MousePlace placeAt(int x, int y) {
    MousePlace p;
    p.x = x;
    p.y = y;
    const BoardPoint b = gameWindow->pick(x, y);
    p.bx = b.x;
    p.by = b.y;
    p.overDrawing = b.drawn;
    return p;
}

void applyMenuRule(RunningGame& game, int wanted) {
    if (game.popupMenu == 0) return;
    if (wanted && !game.menuAttached) {
        glutSetMenu(game.popupMenu);
        glutAttachMenu(GLUT_RIGHT_BUTTON);
        game.menuAttached = 1;
    } else if (!wanted && game.menuAttached) {
        glutSetMenu(game.popupMenu);
        glutDetachMenu(GLUT_RIGHT_BUTTON);
        game.menuAttached = 0;
    }
}

// What the frame shows of the game besides the board.
static FrameInputs frameInputs(const RunningGame& game) {
    FrameInputs in;
    in.won = game.wonFlag;
    in.stackDepth = gridStack->count();
    in.showCameraTiles = game.showCameraTiles;
    in.useMouse = camera.useMouse;
    in.recognitionFrozen = camera.recognitionFrozen;
    in.clockElapsed = game.clock.elapsed(tickCount());
    return in;
}

static void display() {
    drawFrame(*gameWindow, *sudoku, frameInputs(*playedGame));
    glutSwapBuffers();
}

// Counts the turnings, whichever handler turned the mouse mode.
static void followMouseMode(MouseMode before) {
    playedGame->mouseModeChanged(before, gameWindow->mouseMode, tickCount());
}

static void reshape(int w, int h) { gameWindow->reshape(w, h); }

static void keyboard(unsigned char key, int x, int y) {
    const MousePlace p = placeAt(x, y);
    const MouseMode modeBefore = gameWindow->mouseMode;
    const PlayRequest request = playKey(*playedGame, key, p, tickCount(), stdout);
    if (request == kFlatView) gameWindow->resetView(0);
    if (request == kObliqueView) gameWindow->resetView(1);
    if (request == kFlatView || request == kObliqueView)
        logEvent("view_changed", -1, -1, -1, request == kFlatView ? "flat" : "oblique");
    followMouseMode(modeBefore);
    std::fflush(stdout);
    glutPostRedisplay();
}

static void mouse(int button, int state, int x, int y) {
    playedGame->mouse.record(button, state, x, y, tickCount());
    const MouseMode modeBefore = gameWindow->mouseMode;
    if (gameWindow->mouseMode == kPlayMode) {
        const MousePlace p = placeAt(x, y);
        if (playMouse(*playedGame, button, state, p) == kEnterTurning &&
            gameWindow->setMouseMode(kTurningMode))
            gameWindow->recenter();
        if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN)
            applyMenuRule(*playedGame, menuWanted(p));
    } else {
        gameWindow->turningPress(button, state, x, y);
    }
    followMouseMode(modeBefore);
    if (gameWindow->mouseMode != modeBefore) {
        // Entering turning mode takes the menu off the right button; leaving it may put it back.
        applyMenuRule(*playedGame, menuWanted(placeAt(x, y)));
        logEvent(gameWindow->mouseMode == kTurningMode ? "turning_started" : "turning_ended", -1,
                 -1, -1, "turning_ms=" + std::to_string(playedGame->turning.total));
    }
    glutPostRedisplay();
}

static void motion(int x, int y) {
    if (gameWindow->mouseMode == kPlayMode) {
        const MousePlace p = placeAt(x, y);
        playDrag(*playedGame, p, tickCount());
        applyMenuRule(*playedGame, menuWanted(p));
    } else {
        gameWindow->turningDrag(x, y);
    }
    glutPostRedisplay();
}

static void passiveMotion(int x, int y) {
    applyMenuRule(*playedGame, menuWanted(placeAt(x, y)));
    glutPostRedisplay();
}

// The input handlers redraw for themselves; an idle turn redraws only for
// what it changed: a new game, the won message, automatic markup, a camera
// frame, the clock's next second, or the redraws a pending new game waits for.
// In the virtual game a turn with nothing to show sleeps instead of spinning.
static void idle() {
    static long shownSecond = -1;
    const int wonBefore = playedGame->wonFlag;
    const IdleOutcome outcome = idleStep(*playedGame, stdin, stdout);
    if (outcome == kGameEnds) {
        glutLeaveMainLoop();
        return;
    }
    if (outcome == kNewGameBegun) glutSetWindowTitle(session.windowTitle);
    std::fflush(stdout);
    const long second = playedGame->clock.elapsed(tickCount()) / 1000;
    const bool changed = outcome == kNewGameBegun || outcome == kNotesChanged ||
                         playedGame->wonFlag != wonBefore || playedGame->newGameIdleTurns != 0 ||
                         session.arMode == 1 || second != shownSecond;
    if (changed) {
        shownSecond = second;
        glutPostRedisplay();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

static void menu(int value) {
    const MouseMode modeBefore = gameWindow->mouseMode;
    const MenuEffects effects = menuCommand(*playedGame, value, stdout);
    sudoku->fitTableArea(session.show_overviews);
    if (effects.resetView) gameWindow->resetView(1);
    followMouseMode(modeBefore);
    if (effects.entryPosition > 0) {
        glutSetMenu(playedGame->popupMenu);
        glutChangeToMenuEntry(effects.entryPosition, effects.entryText.c_str(), value);
    }
    if (effects.moveWindow) glutPositionWindow(500, 50);
    if (effects.newTitle) glutSetWindowTitle(session.windowTitle);
    std::fflush(stdout);
    glutPostRedisplay();
}

// Built once; attached to the right button only away from the board.
static void buildMenu() {
    const std::vector<MenuEntry> entries = currentMenuEntries();
    playedGame->popupMenu = glutCreateMenu(menu);
    for (const MenuEntry& e : entries) glutAddMenuEntry(e.text.c_str(), e.value);
    recordMenuPositions(*playedGame, entries);
}

void openGameWindow(RunningGame& game, const char* title) {
    playedGame = &game;
    glutInitWindowPosition(500, 100);
    glutInitWindowSize(640, 480);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    // The main loop returns, so that the program's entry ends the program.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    gameWindow->windowNumber = glutCreateWindow(title);
    setupGlState();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutPassiveMotionFunc(passiveMotion);
    glutIdleFunc(idle);
    buildMenu();
    glutSetWindow(gameWindow->windowNumber);
}
