#include "HintDrawing.h"

#include "BoardDrawing.h"
#include "DigitBitmaps.h"
#include "DrawingStyle.h"
#include "GlHelpers.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>

static void blendOn() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

const float* errorColor(int colored) {
    return colored ? kMarkColors.errorColored : kMarkColors.errorBlackWhite;
}

void candidateSquare(const SudokuCell& cell, int d, float& x0, float& x1, float& y0, float& y1) {
    const float m = cell.inset;
    const float s = (1 - 2 * m) / 3;
    const int c = (d - 1) % 3, r = (d - 1) / 3;
    x0 = cell.x + m + c * s;
    x1 = cell.x + m + (c + 1) * s;
    y0 = cell.y + m + r * s;
    y1 = cell.y + m + (r + 1) * s;
}

void drawFunnel(const SudokuCell& cell, int d, const SessionSettings& session) {
    float x0, x1, y0, y1;
    candidateSquare(cell, d, x0, x1, y0, y1);
    const float s = x1 - x0;
    makeDigitTexture(d, cv::Mat(), 1.0f, session.show_colored);
    texturedQuad(x0, x1, y0, y1, cell.lift, cell.lift);

    glPushMatrix();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glTranslatef(x0, y0, 0);
    const float* c = digitColor(d, session.show_colored);
    float r = c[0] * 0.75f, g = c[1] * 0.75f, b = c[2] * 0.75f;
    if (session.show_3D == 1) {
        glPushMatrix();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        blendOn();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor3f(r, g, b);
        glTranslatef(s / 2, s / 2, 1.0f);
        glRotatef(180, 1, 0, 0);
        glutSolidCone(s / 2, 1.0, 16, 3);
        glColor3f(r * 0.9f, g * 0.9f, b * 0.9f);
        glutWireCone(s / 2, 1.0, 16, 3);
        glDisable(GL_BLEND);
        glPopAttrib();
        glPopMatrix();
    } else {
        glPushMatrix();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        blendOn();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor4f(r, g, b, 0.3f);
        glTranslatef(s / 2, s / 2, 0.01f);
        circlePolygon(0.2, 0.04);
        glDisable(GL_BLEND);
        glPopAttrib();
        glPopMatrix();
    }
    glPopAttrib();
    glPopMatrix();
}

// Faces x = 0, x = a, y = 0, y = b, z = 0, z = c.
static void box(float a, float b, float c) {
    const float xs[2] = {0, a}, ys[2] = {0, b}, zs[2] = {0, c};
    for (float x : xs) {
        glBegin(GL_POLYGON);
        glVertex3f(x, 0, 0);
        glVertex3f(x, b, 0);
        glVertex3f(x, b, c);
        glVertex3f(x, 0, c);
        glEnd();
    }
    for (float y : ys) {
        glBegin(GL_POLYGON);
        glVertex3f(0, y, 0);
        glVertex3f(a, y, 0);
        glVertex3f(a, y, c);
        glVertex3f(0, y, c);
        glEnd();
    }
    for (float z : zs) flatRectangle(0, 0, a, b, z);
}

void drawBlock(const SudokuCell& cell, int level, int conflict, const SessionSettings& session) {
    const float m = cell.inset, lift = cell.lift;
    const float* error = errorColor(session.show_colored);
    if (session.show_3D == 0) {
        makeDigitTexture(cell.digit, cv::Mat(), 1.0f, session.show_colored);
        texturedQuad(cell.x + m, cell.x + 1 - m, cell.y + m, cell.y + 1 - m, lift, lift);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        blendOn();
        if (conflict)
            glColor4f(error[0], error[1], error[2], 1.0f);
        else
            glColor4f(0, 0, 0, level == 2 ? 0.2f : 0.5f);
        flatRectangle(cell.x, cell.y, cell.x + 1, cell.y + 1, 2 * lift);
        glDisable(GL_BLEND);
        glPopAttrib();
        return;
    }
    const float height = level == 2 ? 0.25f : 1.5f;
    glPushMatrix();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glTranslatef(cell.x + 0.1f, cell.y + 0.1f, 0);
    const float* c = digitColor(cell.digit, session.show_colored);
    const float shade = cell.kind == Entered ? 0.6f : 0.8f;
    glColor3f(c[0] * shade, c[1] * shade, c[2] * shade);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    box(0.8f, 0.8f, height);
    glColor3f(0.2f, 0.2f, 0.2f);
    if (conflict) {
        glColor3fv(error);
        glLineWidth(4.0f);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    box(0.8f, 0.8f, height);
    glPopAttrib();
    glPopMatrix();

    makeDigitTexture(cell.digit, cv::Mat(), 1.0f, session.show_colored);
    texturedQuad(cell.x + m, cell.x + 1 - m, cell.y + m, cell.y + 1 - m, height + lift,
                 height + lift);
    if (cell.kind != Entered) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    blendOn();
    if (conflict)
        glColor4f(error[0], error[1], error[2], 1.0f);
    else
        glColor4f(0, 0, 0, 0.3f);
    flatRectangle(cell.x, cell.y, cell.x + 1, cell.y + 1, lift);
    glDisable(GL_BLEND);
    glPopAttrib();
}

void drawMarkup(const SudokuCell& cell, const SessionSettings& session) {
    if (session.show_markup != 1) return;
    for (int k = 1; k <= 9; k++) {
        const int note = cell.notes[k];
        if (note != NoteGood && note != NoteBad) continue;
        float x0, x1, y0, y1;
        candidateSquare(cell, k, x0, x1, y0, y1);
        makeDigitTexture(k, cv::Mat(), 1.0f, session.show_colored);
        texturedQuad(x0, x1, y0, y1, cell.lift, cell.lift);
        if (note != NoteBad) continue;
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        blendOn();
        glColor4f(0, 0, 0, 0.4f);
        flatRectangle(x0, y0, x1, y1, cell.lift);
        glDisable(GL_BLEND);
        glPopAttrib();
    }
}

void placeOverviewPane(int which, const SessionSettings& session) {
    const float g = kDrawingParams.overviewGap, k = kDrawingParams.overviewCellSize;
    if (which == 1) {
        glTranslatef(-g, 0, 0);
        if (session.show_3D == 1) glRotatef(45, 0, 1, 0);
        glTranslatef(-9 * k, 0, 0);
    } else {
        glTranslatef(0, 9 + g, 0);
        if (session.show_3D == 1) glRotatef(45, 1, 0, 0);
    }
}

void drawOverviewPanes(const Sudoku& board, const SessionSettings& session) {
    for (int which : {1, 0}) {
        glPushMatrix();
        placeOverviewPane(which, session);
        drawOverviewPane(board, which, session);
        glPopMatrix();
    }
}

void drawOverviewPane(const Sudoku& board, int which, const SessionSettings& session) {
    const DrawingParams& p = kDrawingParams;
    const float k = p.overviewCellSize, ds = p.depthStep;
    const float sx = which == 1 ? k : 1.0f, sy = which == 1 ? 1.0f : k;
    const float W = 9 * sx, H = 9 * sy;

    glColor3fv(p.thickLineColor);
    glLineWidth(p.thickLineWidth);
    glBegin(GL_LINES);
    for (int i = 0; i <= 9; i += 3) {
        if (which == 1) {
            glVertex3f(0, i * sy, 0);
            glVertex3f(W, i * sy, 0);
        } else {
            glVertex3f(i * sx, 0, 0);
            glVertex3f(i * sx, H, 0);
        }
    }
    glEnd();
    glColor3fv(p.thinLineColor);
    glLineWidth(p.thinLineWidth);
    glBegin(GL_LINES);
    for (int i = 0; i <= 9; i++) {
        glVertex3f(0, i * sy, 0);
        glVertex3f(W, i * sy, 0);
    }
    for (int j = 0; j <= 9; j++) {
        glVertex3f(j * sx, 0, 0);
        glVertex3f(j * sx, H, 0);
    }
    glEnd();

    glColor3fv(p.paneColor);
    flatRectangle(0, 0, W, H, -ds);

    for (int q = 0; q < 9; q++) {
        for (int s = 0; s < 9; s++) {
            const int d = which == 1 ? s + 1 : 9 - q;
            const int n = which == 1 ? board.rowCounters[8 - q].count[d]
                                     : board.columnCounters[s].count[d];
            if (n >= 1 && board.evaluate == 0) continue;
            if (n == 1) continue;
            const float x0 = s * sx + 0.1f * sx * sy + (1 - sy) / 2;
            const float x1 = s * sx + 0.9f * sx * sy + (1 - sy) / 2;
            const float y0 = q * sy + 0.1f * sx * sy + (1 - sx) / 2;
            const float y1 = q * sy + 0.9f * sx * sy + (1 - sx) / 2;
            makeDigitTexture(d, cv::Mat(), 1.0f, session.show_colored);
            texturedQuad(x0, x1, y0, y1, ds, ds);
            if (n >= 2 && board.evaluate == 1) {
                glPushAttrib(GL_ALL_ATTRIB_BITS);
                glColor3fv(errorColor(session.show_colored));
                glLineWidth(4.0f);
                glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                flatRectangle(x0 - 0.05f, y0 - 0.05f, x1 + 0.05f, y1 + 0.05f, 2 * ds);
                glPopAttrib();
            }
        }
    }
}

// Strips along the rows of each tile's band (alongRows 1) or the columns of
// its stack (0) that hold the tile's digit; each band or stack once per digit.
// Strips and box squares lie in one plane and only tint what is below them:
// they write no depth, so that none of them hides another in stripes.
static void drawStrips(const Sudoku& board, const SessionSettings& session, int alongRows) {
    int done[3][10] = {};
    glDepthMask(GL_FALSE);
    const float z = 3 * kDrawingParams.depthStep;
    for (const Tile& t : board.tiles) {
        const int d = t.digit;
        const int line = alongRows ? 9 - (int)std::floor(t.y) - 1 : (int)std::floor(t.x);
        glColor4fv(digitColor(d, session.show_colored));
        blendOn();
        if (line >= 0 && line <= 8 && !done[line / 3][d]) {
            done[line / 3][d] = 1;
            for (int k = 3 * (line / 3); k < 3 * (line / 3) + 3; k++) {
                if (alongRows && board.rowCounters[k].count[d] > 0)
                    flatRectangle(0, 8 - k + 0.12f, 9.0f, 9 - k - 0.12f, z);
                if (!alongRows && board.columnCounters[k].count[d] > 0)
                    flatRectangle(k + 0.12f, 0, k + 1 - 0.12f, 9.0f, z);
            }
        }
        glDisable(GL_BLEND);
    }
    glDepthMask(GL_TRUE);
}

void drawRowStrips(const Sudoku& board, const SessionSettings& session) {
    drawStrips(board, session, 1);
}

void drawColumnStrips(const Sudoku& board, const SessionSettings& session) {
    drawStrips(board, session, 0);
}

void drawBoxSquares(const Sudoku& board, const SessionSettings& session) {
    int done[9] = {};
    glDepthMask(GL_FALSE);
    const float z = 3 * kDrawingParams.depthStep;
    for (const Tile& t : board.tiles) {
        const int d = t.digit;
        glColor4fv(digitColor(d, session.show_colored));
        blendOn();
        for (int b = 0; b < 9; b++) {
            if (done[b] || board.boxCounters[b].count[d] == 0) continue;
            done[b] = 1;
            const int r0 = 3 * (b / 3), c0 = 3 * (b % 3);
            flatRectangle(c0 + 0.12f, 9 - r0 - 3 + 0.12f, c0 + 3 - 0.12f, 9 - r0 - 0.12f, z);
        }
        glDisable(GL_BLEND);
    }
    glDepthMask(GL_TRUE);
}
