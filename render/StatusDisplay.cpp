#include "StatusDisplay.h"

#include "GlHelpers.h"

#include <GL/freeglut.h>

#include <cstdio>

void clockText(long elapsed, char* out, int size) {
    out[0] = '\0';
    if (elapsed <= 0) return;
    int hours, minutes, seconds;
    splitTime(elapsed, hours, minutes, seconds);
    std::snprintf(out, size, "%2d:%2d:%2d", hours, minutes, seconds);
}

// Where a left press turns the view (the circle) and outside of which a
// press returns to play (the square).
static void drawTurningGuide(const ViewCamera& viewCamera) {
    const double r = viewCamera.turningRadius, half = viewCamera.guideHalfSize;
    glLoadIdentity();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(0.2f, 0.5f, 0.7f);
    glTranslated(viewCamera.centerX, viewCamera.centerY, 0);
    circlePolygon(r, 1.0);
    glBegin(GL_LINES);
    glVertex2d(0, -r);
    glVertex2d(0, r);
    glVertex2d(-r, 0);
    glVertex2d(r, 0);
    glEnd();
    glBegin(GL_POLYGON);
    glVertex2d(-half, -half);
    glVertex2d(half, -half);
    glVertex2d(half, half);
    glVertex2d(-half, half);
    glEnd();
    glPopAttrib();
}

void drawStatusOverlay(GameWindow& window, Sudoku& board, const FrameInputs& in) {
    const int w = window.width, h = window.height;
    const SessionSettings& session = window.session;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glLoadIdentity();

    const int kSize = 80;
    char text[kSize];
    if (in.won == 1) {
        strokeText(50, h - 75, "You won !!!", 45, w, 1, 1, 1);
    } else {
        std::snprintf(text, kSize, "Empty cells: %d", board.countEmptyCells());
        strokeText(0, h - 15, text, 15, w, 1, 1, 1);
        std::snprintf(text, kSize, "Conflicts: %d", board.countConflicts());
        strokeText(0, h - 30, text, 15, w, 1, 1, 1);
        if (in.stackDepth > 0) {
            std::snprintf(text, kSize, "Stack depth: %2d", in.stackDepth);
            strokeText(0, h - 60, text, 15, w, 1, 1, 1);
        }
    }

    if (session.arMode == 1 && in.recognitionFrozen == 0) {
        strokeText(w - 200, h - 15, "...initializing...", 15, 200, 1, 1, 1);
        strokeText(w - 200, h - 30, "type o (OK) to start", 15, 200, 1, 1, 1);
    } else {
        clockText(in.clockElapsed, text, kSize);
        if (text[0]) strokeText(w - 100, h - 15, text, 15, 200, 1, 1, 1);
    }

    if (session.arMode == 1) strokeText(10, 10, in.useMouse == 1 ? "m +" : "m -", 15, w, 1, 1, 1);
    if (window.mouseMode == kTurningMode && session.arMode == 0)
        drawTurningGuide(window.viewCamera);
    glPopAttrib();
}
