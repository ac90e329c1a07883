#include "BoardDrawing.h"

#include "DigitBitmaps.h"
#include "DrawingStyle.h"
#include "GlHelpers.h"
#include "HintDrawing.h"
#include "StatusDisplay.h"
#include "VideoBackground.h"

#include <GL/freeglut.h>

#include <cmath>

void setupGlState() {
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
}

void drawFrame(const GameWindow& window, const Sudoku& board, const FrameInputs& in) {
    const SessionSettings& session = window.session;
    if (session.arMode == 1) {
        // Every board layer lies in front of the video.
        glClear(GL_DEPTH_BUFFER_BIT);
        drawVideoBackground(window, stdout);
        glClear(GL_DEPTH_BUFFER_BIT);
    } else {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    window.applyModelView();
    drawBoard(board, session, in.showCameraTiles);
    if (session.show_grid_structure == 1) drawGridLabels(session);
    drawStatusOverlay(window, board, in);
    window.applyProjection();
    window.applyModelView();
}

static void drawGridLines() {
    const DrawingParams& p = kDrawingParams;
    glColor3fv(p.thickLineColor);
    glLineWidth(p.thickLineWidth);
    glBegin(GL_LINES);
    for (int k = 0; k <= 9; k += 3) {
        glVertex3f(0, k, 0);
        glVertex3f(9, k, 0);
        glVertex3f(k, 0, 0);
        glVertex3f(k, 9, 0);
    }
    glEnd();
    glColor3fv(p.thinLineColor);
    glLineWidth(p.thinLineWidth);
    glBegin(GL_LINES);
    for (int k = 0; k <= 9; k++) {
        if (k % 3 == 0) continue;
        glVertex3f(0, k, 0);
        glVertex3f(9, k, 0);
    }
    for (int k = 0; k <= 9; k++) {
        if (k % 3 == 0) continue;
        glVertex3f(k, 0, 0);
        glVertex3f(k, 9, 0);
    }
    glEnd();
}

static void drawTableArea(const Sudoku& board) {
    const DrawingParams& p = kDrawingParams;
    const BoardExtent& e = board.extent;
    const float ds = p.depthStep;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(p.tableColor[0], p.tableColor[1], p.tableColor[2], 0.3f);
    flatRectangle(e.xmin, e.ymin, e.xmax, e.ymax, -3 * ds);
    glDisable(GL_BLEND);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(p.tableColor[0] / 2, p.tableColor[1] / 2, p.tableColor[2] / 2, 0.3f);
    flatRectangle(e.xmin, e.ymin, 0, 0, -ds);
    flatRectangle(board.columns, e.ymin, e.xmax, 0, -ds);
    flatRectangle(board.columns, board.rows, e.xmax, e.ymax, -ds);
    flatRectangle(e.xmin, board.rows, 0, e.ymax, -ds);
    glDisable(GL_BLEND);
}

static void drawTiles(const Sudoku& board, const SessionSettings& session) {
    const float z = 2 * kDrawingParams.depthStep;
    for (int i = 0; i < (int)board.tiles.size(); i++) {
        const Tile& t = board.tiles[i];
        glPushMatrix();
        glTranslatef(t.x, t.y, 0);
        glRotatef((float)t.angle, 0, 0, 1);
        makeDigitTexture(t.digit, cv::Mat(), 1.0f, session.show_colored);
        texturedQuad(-0.4f, 0.4f, -0.4f, 0.4f, z, z);
        const int row = 9 - 1 - (int)std::floor(t.y), column = (int)std::floor(t.x);
        const bool current = i == board.currentTile;
        if (current || board.containsPlace(row, column)) {
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            if (current) {
                glColor3fv(session.show_colored ? kMarkColors.currentTileColored
                                                : kMarkColors.currentTileBlackWhite);
                glLineWidth(4.0f);
            } else {
                glColor3f(0.3f, 0.3f, 0.3f);
                glLineWidth(2.0f);
            }
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            flatRectangle(-0.4f, -0.4f, 0.4f, 0.4f, z);
            glPopAttrib();
        }
        glPopMatrix();
    }
}

void drawBoard(const Sudoku& board, const SessionSettings& session, int showCameraTiles) {
    if (session.arMode == 0) {
        drawGridLines();
        glColor3fv(kDrawingParams.boardColor);
        flatRectangle(0, 0, board.columns, board.rows, -kDrawingParams.depthStep);
    }
    // Under the cells, so that the digits drawn later cover the numerals.
    if (session.show_grid_structure == 1) drawBoxNumerals();
    for (int r = 0; r < board.rows; r++)
        for (int c = 0; c < board.columns; c++) drawCell(board.cell(r, c), board, session);
    drawTableArea(board);
    if (session.show_overviews == 1) drawOverviewPanes(board, session);
    if (session.arMode == 0 || showCameraTiles == 1) drawTiles(board, session);
    if (session.show_repulsive == 1) {
        drawRowStrips(board, session);
        drawColumnStrips(board, session);
        drawBoxSquares(board, session);
    }
}

int tileInBand(const Tile& t, int row, int rows) {
    const int tileRow = (int)((rows - 1) - (t.y - 1));
    return tileRow / 3 == row / 3;
}

int tileInStack(const Tile& t, int column) { return (int)t.x / 3 == column / 3; }

static void drawPlainDigit(const SudokuCell& cell, const Sudoku& board, int conflict,
                           const SessionSettings& session) {
    if (session.arMode == 1 && (cell.kind == Recognized || cell.kind == RecognizedUnflagged))
        return;
    const cv::Mat none;
    const cv::Mat& image = session.arMode == 1 ? board.digitImages[cell.digit] : none;
    makeDigitTexture(cell.digit, image, 1.0f, session.show_colored);
    const float m = cell.inset;
    texturedQuad(cell.x + m, cell.x + 1 - m, cell.y + m, cell.y + 1 - m, cell.lift, cell.lift);
    if (cell.kind != Entered) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (conflict) {
        const float* e = errorColor(session.show_colored);
        glColor4f(e[0], e[1], e[2], 0.3f);
    } else {
        glColor4f(0, 0, 0, 0.3f);
    }
    flatRectangle(cell.x, cell.y, cell.x + 1, cell.y + 1, 0);
    glDisable(GL_BLEND);
    glPopAttrib();
}

void drawCell(const SudokuCell& cell, const Sudoku& board, const SessionSettings& session) {
    if (cell.digit == 0) {
        for (const Tile& t : board.tiles) {
            const int d = t.digit;
            if (session.show_attractive == 1 && cell.candidates[d] && cell.notes[d] != NoteBad &&
                (tileInBand(t, cell.row, board.rows) || tileInStack(t, cell.column)))
                drawFunnel(cell, d, session);
        }
        drawMarkup(cell, session);
        return;
    }
    int level = 1;
    for (const Tile& t : board.tiles) {
        if (t.digit != cell.digit) continue;
        if (tileInBand(t, cell.row, board.rows) || tileInStack(t, cell.column)) {
            if (session.show_repulsive == 1) level = 3;
        } else if (level == 1 && session.show_repulsive == 1) {
            level = 2;
        }
    }
    const int conflict = board.isConflict(cell.row, cell.column);
    if (level == 1)
        drawPlainDigit(cell, board, conflict, session);
    else
        drawBlock(cell, level, conflict, session);
}

// Labels in grey, drawn in passes shifted by a hundredth to make the thin
// stroke font bold. The float offset grows by the double 0.01 and is tested
// against doubles: five passes for letters and numbers, eleven for numerals.
static const float kLabelGrey = 0.5f;

void drawGridLabels(const SessionSettings& session) {
    static const char* const kLetters[9] = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
    static const char* const kNumbers[9] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    const float g = kLabelGrey;
    // With the overview panes on, the letters and numbers stand just beyond
    // the panes' outer edges in the panes' planes: clear of a flat pane's
    // digits and not hidden under a folded one.
    const bool panes = session.show_overviews == 1;
    glPushMatrix();
    if (panes) placeOverviewPane(1, session);
    const float letterX = panes ? -0.6f : -1.2f;
    for (float offset = 0; offset < 0.05; offset += 0.01)
        for (int k = 0; k < 9; k++)
            strokeText(letterX + offset, 8.2f - k, kLetters[k], 0.5f, 1.0f, g, g, g);
    glPopMatrix();
    glPushMatrix();
    if (panes) placeOverviewPane(0, session);
    const float numberY = panes ? 9 * kDrawingParams.overviewCellSize + 0.2f : 9.8f;
    for (float offset = 0; offset < 0.05; offset += 0.01)
        for (int k = 0; k < 9; k++)
            strokeText(0.3f + k + offset, numberY, kNumbers[k], 0.5f, 1.0f, g, g, g);
    glPopMatrix();
}

void drawBoxNumerals() {
    struct Numeral {
        const char* text;
        float x, y, maxWidth;
    };
    static const Numeral kNumerals[9] = {
        {"I", 1.3f, 6.8f, 1.0f},    {"II", 4.1f, 6.8f, 2.0f},  {"III", 7.0f, 6.8f, 3.0f},
        {"IV", 0.8f, 3.8f, 2.0f},   {"V", 3.9f, 3.8f, 2.0f},   {"VI", 6.8f, 3.8f, 3.0f},
        {"VII", 0.7f, 0.8f, 2.0f},  {"VIII", 3.6f, 0.8f, 3.0f}, {"IX", 6.8f, 0.8f, 2.0f},
    };
    const float g = kLabelGrey;
    // Colour only, no depth: every cell drawn afterwards covers them.
    glDepthMask(GL_FALSE);
    for (float offset = 0; offset < 0.1; offset += 0.01)
        for (const Numeral& n : kNumerals)
            strokeText(n.x + offset, n.y, n.text, 1.5f, n.maxWidth, g, g, g);
    glDepthMask(GL_TRUE);
}
