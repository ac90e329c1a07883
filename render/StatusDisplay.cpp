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
    flatRectangle(-half, -half, half, half, 0);
    glPopAttrib();
}

// White text on a dark outline: readable over the white panes and board as
// well as over the black background.
static void statusText(float x, float y, const char* text, float height, float maxWidth) {
    const float strokeWidth = height >= 30 ? 2.0f : 1.0f;
    glLineWidth(strokeWidth + 4);
    strokeText(x, y, text, height, maxWidth, 0, 0, 0);
    glLineWidth(strokeWidth);
    strokeText(x, y, text, height, maxWidth, 1, 1, 1);
}

void drawStatusOverlay(const GameWindow& window, const Sudoku& board, const FrameInputs& in) {
    const int w = window.width, h = window.height;
    const SessionSettings& session = window.session;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glLoadIdentity();
    // Over everything, and leaving the depth of the board for picking.
    glDisable(GL_DEPTH_TEST);

    const int kSize = 80;
    char text[kSize];
    if (in.won == 1) {
        statusText(50, h - 75, "You won !!!", 45, w);
    } else {
        std::snprintf(text, kSize, "Empty cells: %d", board.countEmptyCells());
        statusText(0, h - 15, text, 15, w);
        std::snprintf(text, kSize, "Conflicts: %d", board.countConflicts());
        statusText(0, h - 30, text, 15, w);
        if (in.stackDepth > 0) {
            std::snprintf(text, kSize, "Stack depth: %2d", in.stackDepth);
            statusText(0, h - 60, text, 15, w);
        }
    }

    if (session.arMode == 1 && in.recognitionFrozen == 0) {
        statusText(w - 200, h - 15, "...initializing...", 15, 200);
        statusText(w - 200, h - 30, "type o (OK) to start", 15, 200);
    } else {
        clockText(in.clockElapsed, text, kSize);
        if (text[0]) statusText(w - 100, h - 15, text, 15, 200);
    }

    if (session.arMode == 1) statusText(10, 10, in.useMouse == 1 ? "m +" : "m -", 15, w);
    if (window.mouseMode == kTurningMode && session.arMode == 0)
        drawTurningGuide(window.viewCamera);
    glPopAttrib();
}
