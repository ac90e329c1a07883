// Frames of prepared boards, checked by their pixels in the flat view; the
// frames are saved under render-shots/ in the build folder.
#include "DigitBitmaps.h"
#include "HintDrawing.h"
#include "RenderFixture.h"

namespace {

class DrawingTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        session.show_3D = 0;
        session.show_overviews = 0;
        session.show_attractive = 0;
        session.show_repulsive = 0;
        open(640, 480);
        window->resetView(0);
    }

    // Window pixels inside the board rectangle (x0, y0)..(x1, y1) at height z.
    cv::Mat boardMask(double x0, double y0, double x1, double y1, double z = 0) const {
        cv::Mat mask = cv::Mat::zeros(frame.size(), CV_8U);
        const cv::Point corners[4] = {toPixel(x0, y0, z), toPixel(x1, y0, z), toPixel(x1, y1, z),
                                      toPixel(x0, y1, z)};
        cv::fillConvexPoly(mask, corners, 4, cv::Scalar(255));
        return mask;
    }

    // Pixels of a cell's inner part (inset 0.2) for which the test holds.
    int inCell(int r, int c, const std::function<bool(const cv::Vec3b&)>& test) const {
        return count(c + 0.3, 8 - r + 0.2, c + 0.7, 9 - r - 0.2, test);
    }
};

bool reddish(const cv::Vec3b& p) { return p[0] > 200 && p[1] < 120 && p[2] < 120; }
bool orangeish(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 90 && p[1] < 170 && p[2] < 60; }
bool coloured(const cv::Vec3b& p) {
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 40;
}
bool notWhite(const cv::Vec3b& p) { return p[0] < 235 || p[1] < 235 || p[2] < 235; }

TEST_F(DrawingTest, PlainBoardGivenDigitsAndTableArea) {
    render();
    save("plain");
    EXPECT_TRUE(near(at(2.2, 8.5), 255, 255, 255));        // empty cell (0, 2): white board
    EXPECT_GT(inCell(0, 0, orangeish), 3);                  // given 5
    EXPECT_EQ(inCell(0, 0, reddish), 0);
    EXPECT_GT(inCell(1, 3, reddish), 3);                    // given 1
    EXPECT_EQ(inCell(0, 2, notWhite), 0);
    // Without overview panes the table frames the board on all four sides.
    EXPECT_TRUE(near(at(-1.5, 4.5), 46, 46, 23, 4));
    EXPECT_TRUE(near(at(10.5, 4.5), 46, 46, 23, 4));
    EXPECT_TRUE(near(at(4.5, 10.5), 46, 46, 23, 4));
    EXPECT_TRUE(near(at(-1.5, -1.5), 55, 55, 28, 4));       // corner square over the table
    EXPECT_TRUE(near(at(4.5, -3.3), 0, 0, 0, 0));           // beyond the table
    EXPECT_EQ(board.extent.xmin, -3);
    EXPECT_EQ(board.extent.ymax, 12);
}

TEST_F(DrawingTest, EnteredDigitsAreShadedAndConflictsTinted) {
    ASSERT_TRUE(board.setDigit(0, 2, 4, Entered));
    ASSERT_TRUE(board.setDigit(0, 3, 5, Entered));  // a second 5 in row 0
    render();
    save("entered-conflict");
    // The shade lies under the digit's quad and shows in the cell's margin.
    EXPECT_TRUE(near(at(2.05, 8.5), 178, 178, 178));
    EXPECT_TRUE(near(at(2.2, 8.5), 255, 255, 255));
    EXPECT_GT(inCell(0, 2, [](const cv::Vec3b& p) { return p[2] > 110 && p[0] < 30; }), 3);
    EXPECT_TRUE(near(at(3.05, 8.5), 255, 178, 178));
    EXPECT_EQ(board.countConflicts(), 1);

    board.setEvaluate(0);
    render();
    EXPECT_TRUE(near(at(3.05, 8.5), 178, 178, 178));
}

TEST_F(DrawingTest, NotesShowAsSmallDigitsDarkenedWhenBad) {
    board.setNote(0, 2, 1, NoteGood);
    board.setNote(0, 2, 2, NoteBad);
    render();
    save("notes");
    float x0, x1, y0, y1;
    candidateSquare(board.cell(0, 2), 1, x0, x1, y0, y1);
    EXPECT_GT(count(x0, y0, x1, y1, reddish), 0);
    candidateSquare(board.cell(0, 2), 2, x0, x1, y0, y1);
    const int darkened = count(x0 + 0.03, y0 + 0.03, x1 - 0.03, y1 - 0.03,
                               [](const cv::Vec3b& p) { return p[0] < 165; });
    const int all = count(x0 + 0.03, y0 + 0.03, x1 - 0.03, y1 - 0.03,
                          [](const cv::Vec3b&) { return true; });
    EXPECT_EQ(darkened, all);

    session.show_markup = 0;
    render();
    EXPECT_EQ(inCell(0, 2, notWhite), 0);
}

// Cells that get a funnel for a tile with digit 4 at x = -0.5 beside row 4.
bool funnelExpected(const Sudoku& board, int r, int c) {
    const SudokuCell& cell = board.cell(r, c);
    return cell.digit == 0 && cell.candidates[4] && cell.notes[4] != NoteBad &&
           (r / 3 == 1 || c / 3 == 0);
}

TEST_F(DrawingTest, DiscsOnlyWhereTheTileDigitMayGo) {
    session.show_attractive = 1;
    board.addTile(-0.5f, 4.5f, 4);
    board.setNote(3, 1, 4, NoteBad);
    render();
    save("funnels-2d");
    int funnels = 0;
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            if (board.cell(r, c).digit) continue;
            // Inside the disc but beside the small 4.
            const cv::Vec3b p = at(c + 0.40, 8 - r + 0.5);
            if (funnelExpected(board, r, c)) {
                funnels++;
                EXPECT_TRUE(near(p, 178, 178, 222, 8)) << r << "," << c;
            } else {
                EXPECT_TRUE(near(p, 255, 255, 255, 2)) << r << "," << c;
            }
        }
    }
    EXPECT_GT(funnels, 10);
    EXPECT_FALSE(funnelExpected(board, 3, 1));
    EXPECT_FALSE(funnelExpected(board, 0, 3));  // outside band and stack

    session.show_attractive = 0;
    render();
    EXPECT_TRUE(near(at(2 + 0.40, 8 - 4 + 0.5), 255, 255, 255, 2));
}

TEST_F(DrawingTest, ConesIn3D) {
    session.show_3D = 1;
    session.show_attractive = 1;
    board.addTile(-0.5f, 4.5f, 4);
    render();
    save("funnels-3d");
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            if (board.cell(r, c).digit) continue;
            float x0, x1, y0, y1;
            candidateSquare(board.cell(r, c), 4, x0, x1, y0, y1);
            const cv::Vec3b p = at((x0 + x1) / 2, (y0 + y1) / 2, 0.5);
            const bool blue = p[2] > 100 && p[0] < 40 && p[1] < 40;
            EXPECT_EQ(blue, funnelExpected(board, r, c)) << r << "," << c;
        }
    }
}

TEST_F(DrawingTest, BlocksStripsAndBoxSquares) {
    session.show_repulsive = 1;
    board.addTile(2.5f, 6.5f, 5);  // band 0, stack 0
    render();
    save("blocks-strips-2d");
    EXPECT_TRUE(near(at(5.95, 7.05), 128, 128, 128));   // high block: the 5 of row 1
    EXPECT_TRUE(near(at(8.2, 1.5), 214, 189, 163));     // low block under box 8's square
    EXPECT_TRUE(near(at(7.5, 8.5), 255, 230, 204));     // row 0 strip
    EXPECT_TRUE(near(at(6.5, 6.5), 255, 255, 255));     // row 2 holds no 5
    EXPECT_TRUE(near(at(0.5, 2.5), 255, 230, 204));     // column 0 strip
    EXPECT_TRUE(near(at(1.5, 1.5), 255, 255, 255));     // column 1 holds no 5
    EXPECT_TRUE(near(at(3.5, 8.5), 255, 210, 163));     // row strip and box square of box 1

    session.show_repulsive = 0;
    render();
    EXPECT_TRUE(near(at(5.95, 7.05), 255, 255, 255));
    EXPECT_TRUE(near(at(7.5, 8.5), 255, 255, 255));
}

TEST_F(DrawingTest, ConflictingBlocksAreCoveredInTheErrorColour) {
    session.show_repulsive = 1;
    ASSERT_TRUE(board.setDigit(0, 3, 5, Entered));  // a second 5 in row 0
    board.addTile(10.5f, 1.5f, 5);  // away from band 0 and stack 1: low blocks
    render();
    save("conflicting-block-2d");
    // Opaque over the whole cell, digit and all; box 1's square lies over it.
    EXPECT_TRUE(near(at(3.5, 8.5), 255, 26, 0));
    EXPECT_TRUE(near(at(3.5, 8.15), 255, 26, 0));
    EXPECT_TRUE(near(at(0.5, 8.15), 214, 189, 163));  // the given 5: a plain low block
    session.show_colored = 0;
    render();
    EXPECT_TRUE(near(at(3.5, 8.5), 76, 76, 76));  // black under the grey square
    board.setEvaluate(0);
    session.show_colored = 1;
    render();
    EXPECT_TRUE(near(at(3.5, 8.15), 214, 189, 163));
}

TEST_F(DrawingTest, BandsAndBoxesAreColouredOncePerFrame) {
    session.show_repulsive = 1;
    board.addTile(10.5f, 6.5f, 5);  // two 5s beside band 0
    board.addTile(11.5f, 7.5f, 5);
    render();
    EXPECT_TRUE(near(at(7.5, 8.5), 255, 230, 204));  // the row 0 strip as for one tile

    board.dropAllTiles();
    board.addTile(10.5f, 10.5f, 3);  // above the board: no strips, only box squares
    board.addTile(11.5f, 10.5f, 8);
    render();
    save("box-squares-first-tile");
    EXPECT_TRUE(near(at(3.5, 5.5), 204, 255, 216));  // box 4 holds 3 and 8: the 3's green
    EXPECT_TRUE(near(at(1.5, 4.5), 204, 230, 230));  // box 3 holds only the 8
}

TEST_F(DrawingTest, BlocksStandHighAndLowIn3D) {
    session.show_3D = 1;
    session.show_repulsive = 1;
    board.addTile(2.5f, 6.5f, 5);
    render();
    save("blocks-3d");
    cv::Point p = toPixel(5.5, 7.5, 1.51);
    EXPECT_NEAR(window->pick(p.x, p.y + 1).z, 1.51, 0.02);
    p = toPixel(8.5, 1.5, 0.26);
    EXPECT_NEAR(window->pick(p.x, p.y + 1).z, 0.26, 0.02);
    p = toPixel(6.5, 6.5, 0.0);  // an empty cell stays flat
    EXPECT_NEAR(window->pick(p.x, p.y + 1).z, 0.0, 0.015);
}

TEST_F(DrawingTest, TilesAndTheCurrentTileFrame) {
    board.addTile(10.5f, 4.5f, 5);
    render();
    save("tile");
    const auto green = [](const cv::Vec3b& p) { return p[1] > 200 && p[0] < 60 && p[2] < 60; };
    EXPECT_GT(count(10.1, 4.1, 10.9, 4.9, orangeish), 3);
    EXPECT_EQ(count(10.0, 4.0, 11.0, 5.0, green), 0);
    ASSERT_NE(board.pickTile(10.5f, 4.5f), nullptr);
    render();
    save("tile-current");
    EXPECT_GT(count(10.0, 4.0, 11.0, 5.0, green), 20);
}

TEST_F(DrawingTest, OverviewPanesShowMissingDigits) {
    session.show_overviews = 1;
    board.setEvaluate(0);
    render();
    save("overviews");
    EXPECT_EQ(board.extent.xmin, 0);
    EXPECT_EQ(board.extent.ymax, 9);
    EXPECT_TRUE(near(at(10.5, 4.5), 46, 46, 23, 4));
    for (int r = 0; r < 9; r++) {
        for (int d = 1; d <= 9; d++) {
            const double x = -0.1 - 3.6 + (d - 1) * 0.4 + 0.2, y = (8 - r) + 0.5;
            const bool missing = board.rowCounters[r].count[d] == 0;
            EXPECT_EQ(count(x - 0.1, y - 0.1, x + 0.1, y + 0.1, notWhite) > 0, missing)
                << "row " << r << " digit " << d;
        }
    }
    for (int c = 0; c < 9; c++) {
        for (int d = 1; d <= 9; d++) {
            const double x = c + 0.5, y = 9.1 + (9 - d) * 0.4 + 0.2;
            const bool missing = board.columnCounters[c].count[d] == 0;
            EXPECT_EQ(count(x - 0.1, y - 0.1, x + 0.1, y + 0.1, notWhite) > 0, missing)
                << "column " << c << " digit " << d;
        }
    }
}

TEST_F(DrawingTest, PanesFrameDuplicatesWhenEvaluating) {
    session.show_overviews = 1;
    ASSERT_TRUE(board.setDigit(0, 2, 5, Entered));  // row 0 now holds 5 twice
    const double x = -0.1 - 3.6 + 4 * 0.4 + 0.2, y = 8.5;
    const auto red = [](const cv::Vec3b& p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; };
    render();
    save("overviews-duplicate");
    EXPECT_GT(count(x - 0.25, y - 0.25, x + 0.25, y + 0.25, red), 10);
    board.setEvaluate(0);
    render();
    EXPECT_EQ(count(x - 0.25, y - 0.25, x + 0.25, y + 0.25, red), 0);
    EXPECT_EQ(count(x - 0.1, y - 0.1, x + 0.1, y + 0.1, notWhite), 0);
}

TEST_F(DrawingTest, BlackAndWhite) {
    session.show_colored = 0;
    session.show_attractive = 1;
    ASSERT_TRUE(board.setDigit(0, 3, 5, Entered));
    board.addTile(-0.5f, 4.5f, 4);
    render();
    save("black-white");
    const auto grey = [](const cv::Vec3b& p) { return near(p, 100, 100, 100, 12); };
    EXPECT_GT(inCell(0, 0, grey), 3);
    int colouredPixels = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) colouredPixels += inCell(r, c, coloured);
    EXPECT_EQ(colouredPixels, 0);
    EXPECT_TRUE(near(at(3.05, 8.5), 178, 178, 178));  // the conflict tint is black
    EXPECT_TRUE(near(at(2.40, 8.5), 221, 221, 221, 6));  // grey disc
}

TEST_F(DrawingTest, StatusTextsWonMessageAndLabels) {
    const auto white = [](const cv::Vec3b& p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    const auto whiteIn = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) n += white(frame.at<cv::Vec3b>(y, x));
        return n;
    };
    FrameInputs in;
    render(in);
    save("status");
    EXPECT_GT(whiteIn(0, 0, 150, 30), 30);     // counters
    EXPECT_EQ(whiteIn(0, 45, 150, 62), 0);     // no stack line
    in.stackDepth = 1;
    render(in);
    EXPECT_GT(whiteIn(0, 45, 150, 62), 20);
    in.won = 1;
    in.clockElapsed = 5000;
    render(in);
    save("won");
    EXPECT_GT(whiteIn(50, 30, 330, 75), 300);  // "You won !!!"
    EXPECT_EQ(whiteIn(0, 0, 49, 30), 0);       // no counters
    EXPECT_GT(whiteIn(540, 0, 640, 16), 10);   // the held time

    session.show_grid_structure = 1;
    render();
    save("grid-structure");
    EXPECT_GT(count(-1.25, 8.2, -0.6, 8.7, [](const cv::Vec3b& p) { return near(p, 128, 128, 128, 20); }),
              3);
}


TEST_F(DrawingTest, CameraGameStartPromptAndInputMode) {
    const auto whiteIn = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) n += near(frame.at<cv::Vec3b>(y, x), 255, 255, 255, 30);
        return n;
    };
    session.arMode = 1;
    FrameInputs in;
    in.clockElapsed = 5000;
    const auto draw = [&] {
        glClear(GL_COLOR_BUFFER_BIT);  // the camera game clears only the depth
        render(in);
    };
    draw();
    save("camera-start");
    EXPECT_GT(whiteIn(440, 0, 540, 16), 20);   // "...initializing..."
    EXPECT_GT(whiteIn(440, 16, 540, 31), 20);  // "type o (OK) to start"
    EXPECT_GT(whiteIn(10, 455, 60, 470), 10);  // "m +"
    const cv::Mat plus = frame(cv::Rect(10, 455, 50, 15)).clone();
    in.useMouse = 0;
    draw();
    EXPECT_GT(cv::norm(plus, frame(cv::Rect(10, 455, 50, 15))), 0);  // "m -"
    in.useMouse = 1;

    in.recognitionFrozen = 1;  // key o: the game runs and the clock shows
    draw();
    EXPECT_EQ(whiteIn(440, 0, 540, 31), 0);
    EXPECT_GT(whiteIn(540, 0, 640, 16), 10);
    session.arMode = 0;
    draw();
    EXPECT_EQ(whiteIn(0, 440, 60, 480), 0);
}

cv::Mat grey(const cv::Mat& rgb) {
    cv::Mat g;
    cv::cvtColor(rgb, g, cv::COLOR_RGB2GRAY);
    return g;
}

TEST_F(DrawingTest, WonMessageReadableOverThePanes) {
    session.show_overviews = 1;
    FrameInputs in;
    render(in);
    cv::Mat plainLight;  // plain light pane behind, 2 pixels around
    cv::erode(grey(frame) > 200, plainLight, cv::Mat::ones(5, 5, CV_8U));
    in.won = 1;
    render(in);
    save("won-over-panes");
    const cv::Rect message(45, 25, 300, 55);
    ASSERT_GT(cv::countNonZero(plainLight(message)), 1000);
    EXPECT_GT(cv::countNonZero(plainLight(message) & (grey(frame)(message) < 60)), 150);
}

TEST_F(DrawingTest, LabelsKeepClearOfPanesAndDigitsAndStripsTintEvenly) {
    session.show_overviews = 1;
    for (int in3D : {0, 1}) {
        session.show_3D = in3D;
        window->resetView(1);
        session.show_grid_structure = 0;
        render();
        const cv::Mat bare = grey(frame);
        session.show_grid_structure = 1;
        render();
        save(in3D ? "labels-3d" : "labels-2d");
        cv::Mat changed;
        cv::absdiff(bare, grey(frame), changed);
        changed = changed > 10;
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++)
                if (board.digitAt(r, c)) {
                    EXPECT_EQ(cv::countNonZero(changed & boardMask(c + 0.2, 8 - r + 0.2, c + 0.8,
                                                                   9 - r - 0.2, 0.01)), 0)
                        << in3D << ": " << r << "," << c;
                }
        // Letters and numbers show beside the board; in 2D off the panes' digits too.
        EXPECT_GT(cv::countNonZero(changed & ~boardMask(-0.1, 0, 9, 9.1)), 400) << in3D;
        if (!in3D) {
            EXPECT_EQ(cv::countNonZero(changed & (boardMask(-3.7, 0, -0.1, 9) |
                                                  boardMask(0, 9.1, 9, 12.7))), 0);
        }
    }
    // A row strip under box 1's square, and a column strip, each one even tint.
    session.show_grid_structure = 0;
    session.show_repulsive = 1;
    board.addTile(2.5f, 6.5f, 5);
    render();
    save("strips-3d");
    for (const cv::Point2d& at : {cv::Point2d(3.5, 8.5), cv::Point2d(0.5, 2.5)}) {
        double lo, hi;
        cv::minMaxLoc(grey(frame), &lo, &hi, nullptr, nullptr,
                      boardMask(at.x - 0.3, at.y - 0.3, at.x + 0.3, at.y + 0.3, 0.03));
        EXPECT_LE(hi - lo, 4) << at;
    }
}

// A digit texture on a quad of 160 x 160 window pixels (10 per texel) at
// (100, 100) from the top left; the texel of row r (from the top of the quad)
// and column c as it came out, mixed a little with its neighbours (and the
// border at the edges) by the linear filter.
class TextureTest : public DrawingTest {
protected:
    void drawQuad(int digit, const cv::Mat& image) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 0, 480, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ASSERT_EQ(makeDigitTexture(digit, image, 1.0f, 1), 1);
        texturedQuad(100, 260, 480 - 260, 480 - 100, 0, 0);
        readBack();
    }
    cv::Vec3b texel(int r, int c) const { return frame.at<cv::Vec3b>(100 + 10 * r + 5, 100 + 10 * c + 5); }
};

TEST_F(TextureTest, FirstStoredRowLandsAtTheTopEdge) {
    drawQuad(7, cv::Mat());
    save("texture-bitmap");
    const unsigned char* bitmap = digitBitmap(7, 1);
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 16; c++) {
            const unsigned char* b = bitmap + (r * 16 + c) * 3;
            EXPECT_TRUE(near(texel(r, c), b[0], b[1], b[2], 32)) << r << "," << c << " " << texel(r, c);
        }
    EXPECT_EQ(makeDigitTexture(10, cv::Mat(), 1.0f, 1), 0);
}

TEST_F(TextureTest, ImagesAreTurnedUpsideDownAndMayBeGrey) {
    // Top half red, bottom half blue, with a white first column as a side mark.
    cv::Mat image(16, 16, CV_8UC3, cv::Scalar(0, 0, 255));
    image(cv::Rect(0, 0, 16, 8)).setTo(cv::Scalar(255, 0, 0));
    image.col(0).setTo(cv::Scalar(255, 255, 255));
    drawQuad(3, image);
    for (int r = 0; r < 16; r++) {
        const cv::Vec3b& p = image.at<cv::Vec3b>(15 - r, 5);
        EXPECT_TRUE(near(texel(r, 5), p[0], p[1], p[2], 32)) << r;
        EXPECT_TRUE(near(texel(r, 0), 255, 255, 255, 32)) << r;
    }

    cv::Mat grey(16, 16, CV_8UC1, cv::Scalar(40));
    grey(cv::Rect(0, 0, 16, 8)).setTo(200);
    drawQuad(3, grey);
    for (int r = 0; r < 16; r++) {
        const int v = r < 8 ? 40 : 200;
        for (int c = 0; c < 16; c++) EXPECT_TRUE(near(texel(r, c), v, v, v, 32)) << r << "," << c;
    }
}

}  // namespace
