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

void applyMenuRule(int wanted) {
    if (popupMenu == 0) return;
    if (wanted && !menuAttached) {
        glutSetMenu(popupMenu);
        glutAttachMenu(GLUT_RIGHT_BUTTON);
        menuAttached = 1;
    } else if (!wanted && menuAttached) {
        glutSetMenu(popupMenu);
        glutDetachMenu(GLUT_RIGHT_BUTTON);
        menuAttached = 0;
    }
}

static void display() {
    FrameInputs in;
    in.won = wonFlag;
    in.stackDepth = gridStack->count();
    in.showCameraTiles = showCameraTiles;
    in.useMouse = camera.useMouse;
    in.recognitionFrozen = camera.recognitionFrozen;
    drawFrame(*gameWindow, *sudoku, in);
    glutSwapBuffers();
}

static void reshape(int w, int h) { gameWindow->reshape(w, h); }

static void keyboard(unsigned char key, int x, int y) {
    const MousePlace p = placeAt(x, y);
    const int request = playKey(key, p, tickCount(), stdout);
    if (request == kFlatView) gameWindow->resetView(0);
    if (request == kObliqueView) gameWindow->resetView(1);
    if (request == kFlatView || request == kObliqueView)
        logEvent("view_changed", -1, -1, -1, request == kFlatView ? "flat" : "oblique");
    std::fflush(stdout);
    glutPostRedisplay();
}

static void mouse(int button, int state, int x, int y) {
    gameWindow->mouse.record(button, state, x, y, tickCount());
    const int modeBefore = gameWindow->mouseMode;
    if (gameWindow->mouseMode == 1) {
        const MousePlace p = placeAt(x, y);
        if (playMouse(button, state, p) == kEnterTurning && gameWindow->setMouseMode(0))
            gameWindow->recenter();
        if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN) applyMenuRule(menuWanted(p));
    } else {
        gameWindow->turningPress(button, state, x, y);
    }
    if (gameWindow->mouseMode != modeBefore) {
        // Entering turning mode takes the menu off the right button; leaving it may put it back.
        applyMenuRule(menuWanted(placeAt(x, y)));
        logEvent(gameWindow->mouseMode == 0 ? "turning_started" : "turning_ended", -1, -1, -1,
                 "turning_ms=" + std::to_string(gameWindow->viewCamera.turningTotal));
    }
    glutPostRedisplay();
}

static void motion(int x, int y) {
    if (gameWindow->mouseMode == 1) {
        const MousePlace p = placeAt(x, y);
        playDrag(p, tickCount());
        applyMenuRule(menuWanted(p));
    } else {
        gameWindow->turningDrag(x, y);
    }
    glutPostRedisplay();
}

static void passiveMotion(int x, int y) {
    applyMenuRule(menuWanted(placeAt(x, y)));
    glutPostRedisplay();
}

static std::vector<int> notesOf(const Sudoku& board) {
    std::vector<int> notes;
    for (const SudokuCell& c : board.cells) notes.insert(notes.end(), c.notes, c.notes + 10);
    return notes;
}

// The input handlers redraw for themselves; an idle turn redraws only for
// what it changed: a new game, the won message, automatic markup, a camera
// frame, the clock's next second, or the redraws a pending new game waits for.
// In the virtual game a turn with nothing to show sleeps instead of spinning.
static void idle() {
    static long shownSecond = -1;
    const int wonBefore = wonFlag;
    const std::vector<int> notesBefore = notesOf(*sudoku);
    const int begun = idleStep(stdin, stdout);
    if (begun) glutSetWindowTitle(session.windowTitle);
    std::fflush(stdout);
    const long second = gameWindow->clock.elapsed(tickCount()) / 1000;
    const bool changed = begun || wonFlag != wonBefore || newGameCountdown != 0 ||
                         session.arMode == 1 || second != shownSecond ||
                         notesOf(*sudoku) != notesBefore;
    if (changed) {
        shownSecond = second;
        glutPostRedisplay();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

static void menu(int value) {
    const MenuEffects effects = menuCommand(value, stdout);
    if (effects.resetView) gameWindow->resetView(1);
    if (effects.entryPosition > 0) {
        glutSetMenu(popupMenu);
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
    popupMenu = glutCreateMenu(menu);
    for (const MenuEntry& e : entries) glutAddMenuEntry(e.text.c_str(), e.value);
    recordMenuPositions(entries);
}

void openGameWindow(const char* title) {
    glutInitWindowPosition(500, 100);
    glutInitWindowSize(640, 480);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
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
