// Frames of prepared boards, checked by their pixels; picking, the views and
// turning on a real window.
#include "DigitBitmaps.h"
#include "HintDrawing.h"
#include "RenderFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <opencv2/calib3d.hpp>

namespace {

using DrawingTest = RenderFixture;

bool reddish(const cv::Vec3b& p) { return p[0] > 200 && p[1] < 120 && p[2] < 120; }
bool notWhite(const cv::Vec3b& p) { return p[0] < 235 || p[1] < 235 || p[2] < 235; }

TEST_F(DrawingTest, DigitsNotesConflictsAndTheTable) {
    ASSERT_TRUE(board.setDigit(0, 2, 4, Entered));
    ASSERT_TRUE(board.setDigit(0, 3, 5, Entered));  // a second 5 in row 0
    board.setNote(0, 5, 1, NoteGood);
    board.setNote(0, 5, 2, NoteBad);
    render();
    EXPECT_EQ(inCell(0, 0, reddish), 0);  // given 5
    EXPECT_GT(inCell(1, 3, reddish), 3);  // given 1
    EXPECT_TRUE(near(at(6.2, 8.5), 255, 255, 255));  // empty cell: white board
    // An entered digit's shade shows in the cell's margin; a conflict is tinted.
    EXPECT_TRUE(near(at(2.05, 8.5), 178, 178, 178));
    EXPECT_GT(inCell(0, 2, [](const cv::Vec3b& p) { return p[2] > 110 && p[0] < 30; }), 3);
    EXPECT_TRUE(near(at(3.05, 8.5), 255, 178, 178));
    // Notes are small digits, darkened when bad.
    float x0, x1, y0, y1;
    candidateSquare(board.cell(0, 5), 1, x0, x1, y0, y1);
    EXPECT_GT(count(x0, y0, x1, y1, reddish), 0);
    candidateSquare(board.cell(0, 5), 2, x0, x1, y0, y1);
    EXPECT_EQ(count(x0 + 0.03, y0 + 0.03, x1 - 0.03, y1 - 0.03, [](const cv::Vec3b& p) { return p[0] >= 165; }), 0);
    // Without overview panes the table frames the board on all four sides.
    for (const cv::Point2d& p : {cv::Point2d(-1.5, 4.5), cv::Point2d(10.5, 4.5), cv::Point2d(4.5, 10.5)})
        EXPECT_TRUE(near(at(p.x, p.y), 46, 46, 23, 4)) << p;
    EXPECT_TRUE(near(at(-1.5, -1.5), 55, 55, 28, 4));  // corner square over the table

    board.setEvaluate(0);
    session.show_markup = 0;
    render();
    EXPECT_TRUE(near(at(3.05, 8.5), 178, 178, 178));
    EXPECT_EQ(inCell(0, 5, notWhite), 0);
}

TEST_F(DrawingTest, DiscsOnlyWhereTheTileDigitMayGo) {
    session.show_attractive = 1;
    board.addTile(-0.5f, 4.5f, 4);
    board.setNote(3, 1, 4, NoteBad);
    render();
    int funnels = 0;
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const SudokuCell& cell = board.cell(r, c);
            if (cell.digit) continue;
            const cv::Vec3b p = at(c + 0.40, 8 - r + 0.5);  // inside the disc, beside the small 4
            // A funnel for the tile's 4 beside row 4: band 1 and stack 0.
            const bool expected = cell.candidates[4] && cell.notes[4] != NoteBad && (r / 3 == 1 || c / 3 == 0);
            funnels += expected;
            EXPECT_TRUE(expected ? near(p, 178, 178, 222, 8) : near(p, 255, 255, 255, 2)) << r << "," << c;
        }
    }
    EXPECT_GT(funnels, 10);
    session.show_colored = 0;
    render();
    EXPECT_TRUE(near(at(2.40, 8.5), 221, 221, 221, 6));  // grey disc
    EXPECT_GT(inCell(0, 0, [](const cv::Vec3b& p) { return near(p, 100, 100, 100, 12); }), 3);
    EXPECT_EQ(count(0.05, 0.05, 8.95, 8.95, [](const cv::Vec3b& p) {
                  return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 40;
              }), 0);
}

TEST_F(DrawingTest, BlocksStripsAndBoxSquares) {
    session.show_repulsive = 1;
    board.addTile(2.5f, 6.5f, 5);  // band 0, stack 0
    render();
    const struct {
        double x, y;
        int r, g, b;
    } kPixels[] = {{5.95, 7.05, 128, 128, 128},  // high block: the 5 of row 1
                   {8.2, 1.5, 214, 189, 163},    // low block under box 8's square
                   {7.5, 8.5, 255, 230, 204},    // row 0 strip
                   {6.5, 6.5, 255, 255, 255},    // row 2 holds no 5
                   {0.5, 2.5, 255, 230, 204},    // column 0 strip
                   {1.5, 1.5, 255, 255, 255},    // column 1 holds no 5
                   {3.5, 8.5, 255, 210, 163}};   // row strip and box square of box 1
    for (const auto& p : kPixels) EXPECT_TRUE(near(at(p.x, p.y), p.r, p.g, p.b)) << p.x << "," << p.y;

    // A conflicting block is covered in the error colour, digit and all.
    ASSERT_TRUE(board.setDigit(0, 3, 5, Entered));
    board.tiles[0] = Tile{10.5f, 1.5f, 5, 0};  // away from band 0 and stack 1: low blocks
    render();
    EXPECT_TRUE(near(at(3.5, 8.15), 255, 26, 0));
    EXPECT_TRUE(near(at(0.5, 8.15), 214, 189, 163));  // the given 5: a plain low block
    board.setEvaluate(0);
    render();
    EXPECT_TRUE(near(at(3.5, 8.15), 214, 189, 163));

    // Two tiles of a digit colour a band once; box squares without strips above the board.
    board.clearCell(0, 3);
    board.setEvaluate(1);
    board.tiles = {Tile{10.5f, 6.5f, 5, 0}, Tile{11.5f, 7.5f, 5, 0}};
    render();
    EXPECT_TRUE(near(at(7.5, 8.5), 255, 230, 204));
    board.tiles = {Tile{10.5f, 10.5f, 3, 0}, Tile{11.5f, 10.5f, 8, 0}};
    render();
    EXPECT_TRUE(near(at(3.5, 5.5), 204, 255, 216));  // box 4 holds 3 and 8: the 3's green
    EXPECT_TRUE(near(at(1.5, 4.5), 204, 230, 230));  // box 3 holds only the 8
}

// The panes show each row's and column's missing digits, and frame a
// duplicate in red while evaluating.
TEST_F(DrawingTest, OverviewPanesAndTheWonMessage) {
    session.show_overviews = 1;
    ASSERT_TRUE(board.setDigit(0, 2, 5, Entered));  // row 0 now holds 5 twice
    const auto red = [](const cv::Vec3b& p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; };
    const double dx = -0.1 - 3.6 + 4 * 0.4 + 0.2;
    render();
    EXPECT_GT(count(dx - 0.25, 8.25, dx + 0.25, 8.75, red), 10);
    board.setEvaluate(0);
    render();
    EXPECT_EQ(count(dx - 0.25, 8.25, dx + 0.25, 8.75, red), 0);
    for (int i = 0; i < 9; i++) {
        for (int d = 1; d <= 9; d++) {
            const double rx = -0.1 - 3.6 + (d - 1) * 0.4 + 0.2, ry = (8 - i) + 0.5;
            const double cx = i + 0.5, cy = 9.1 + (9 - d) * 0.4 + 0.2;
            EXPECT_EQ(count(rx - 0.1, ry - 0.1, rx + 0.1, ry + 0.1, notWhite) > 0, board.rowCounters[i].count[d] == 0)
                << "row " << i << " digit " << d;
            EXPECT_EQ(count(cx - 0.1, cy - 0.1, cx + 0.1, cy + 0.1, notWhite) > 0,
                      board.columnCounters[i].count[d] == 0)
                << "column " << i << " digit " << d;
        }
    }

    // The won message readable over the panes of the frame just checked.
    cv::Mat plainLight;  // plain light pane behind, 2 pixels around
    cv::erode(grey(frame) > 200, plainLight, cv::Mat::ones(5, 5, CV_8U));
    FrameInputs in;
    in.won = 1;
    render(in);
    const cv::Rect message(45, 25, 300, 55);
    ASSERT_GT(cv::countNonZero(plainLight(message)), 1000);
    EXPECT_GT(cv::countNonZero(plainLight(message) & (grey(frame)(message) < 60)), 150);
}

// Grid labels keep clear of the given digits and (in 2D) the panes; a row
// and a column strip in 3D are each one even tint.
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
        cv::Mat changed;
        cv::absdiff(bare, grey(frame), changed);
        changed = changed > 10;
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++) {
                const cv::Mat digit = boardMask(c + 0.2, 8 - r + 0.2, c + 0.8, 9 - r - 0.2, 0.01);
                EXPECT_EQ(board.digitAt(r, c) ? cv::countNonZero(changed & digit) : 0, 0) << in3D << ": " << r << "," << c;
            }
        EXPECT_GT(cv::countNonZero(changed & ~boardMask(-0.1, 0, 9, 9.1)), 400) << in3D;
        const cv::Mat panes = boardMask(-3.7, 0, -0.1, 9) | boardMask(0, 9.1, 9, 12.7);
        EXPECT_EQ(in3D ? 0 : cv::countNonZero(changed & panes), 0);
    }
    session.show_grid_structure = 0;
    session.show_repulsive = 1;
    board.addTile(2.5f, 6.5f, 5);
    render();
    for (const cv::Point2d& p : {cv::Point2d(3.5, 8.5), cv::Point2d(0.5, 2.5)}) {
        double lo, hi;
        cv::minMaxLoc(grey(frame), &lo, &hi, nullptr, nullptr, boardMask(p.x - 0.3, p.y - 0.3, p.x + 0.3, p.y + 0.3, 0.03));
        EXPECT_LE(hi - lo, 4) << p;
    }
}

// A digit texture on a quad of 160 x 160 window pixels (10 per texel) at
// (100, 100) from the top left: the first stored row of a bitmap lands at
// the top edge, images are turned upside down, grey ones too.
TEST_F(DrawingTest, DigitTexturesStandUpright) {
    const auto drawQuad = [&](int digit, const cv::Mat& image) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 0, 480, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ASSERT_EQ(makeDigitTexture(digit, image, 1.0f, 1), 1);
        texturedQuad(100, 260, 480 - 260, 480 - 100, 0, 0);
        readBack();
    };
    const auto texel = [&](int r, int c) { return frame.at<cv::Vec3b>(100 + 10 * r + 5, 100 + 10 * c + 5); };
    drawQuad(7, cv::Mat());
    const unsigned char* bitmap = digitBitmap(7, 1);
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 16; c++) {
            const unsigned char* b = bitmap + (r * 16 + c) * 3;
            EXPECT_TRUE(near(texel(r, c), b[0], b[1], b[2], 32)) << r << "," << c;
        }
    EXPECT_EQ(makeDigitTexture(10, cv::Mat(), 1.0f, 1), 0);

    // Top half red, bottom half blue, with a white first column as a side mark.
    cv::Mat image(16, 16, CV_8UC3, cv::Scalar(0, 0, 255)), dark(16, 16, CV_8UC1, cv::Scalar(40));
    image(cv::Rect(0, 0, 16, 8)).setTo(cv::Scalar(255, 0, 0));
    image.col(0).setTo(cv::Scalar(255, 255, 255));
    dark(cv::Rect(0, 0, 16, 8)).setTo(200);
    drawQuad(3, image);
    for (int r = 0; r < 16; r++) {
        EXPECT_TRUE(near(texel(r, 5), r < 8 ? 0 : 255, 0, r < 8 ? 255 : 0, 32)) << r;
        EXPECT_TRUE(near(texel(r, 0), 255, 255, 255, 32)) << r;
    }
    drawQuad(3, dark);
    for (int r = 0; r < 16; r++) {
        const int v = r < 8 ? 40 : 200;
        EXPECT_TRUE(near(texel(r, 5), v, v, v, 32)) << r;
    }
}

TEST_F(DrawingTest, PickingBesideTheBoardAndOnEveryCellInBothViews) {
    // pick reads window row (height - y), so the row below the pixel's picks it.
    const auto pickAt = [&](double bx, double by) {
        const cv::Point p = toPixel(bx, by);
        return window->pick(p.x, p.y + 1);
    };
    session.show_overviews = 1;
    render();
    BoardPoint side = pickAt(-1.5, 4.5);  // left of the board the row pane lies, outside the table area
    EXPECT_LT(side.x, -1.0);
    EXPECT_FALSE(board.inTableArea((int)side.y, (int)side.x));
    session.show_overviews = 0;
    render();
    side = pickAt(-1.5, 4.5);
    EXPECT_TRUE(board.inTableArea((int)side.y, (int)side.x));
    side = pickAt(-1.5, -1.5);
    EXPECT_TRUE(board.inCornerArea((int)side.y, (int)side.x));

    for (int in3D : {0, 1}) {
        session.show_3D = in3D;
        open(in3D ? 800 : 640, in3D ? 600 : 480);
        window->resetView(in3D);
        render();
        for (int r = 0; r < 9; r++) {
            for (int c = 0; c < 9; c++) {
                const BoardPoint b = pickAt(c + 0.5, 8.5 - r);
                EXPECT_EQ(8 - (int)std::floor(b.y), r) << in3D << " cell " << r << "," << c;
                EXPECT_EQ((int)std::floor(b.x), c) << in3D << " cell " << r << "," << c;
                EXPECT_NEAR(b.z, 0.0, 0.03);  // board square or digit, at the depth precision
            }
        }
    }
    // The oblique view really is tilted: the board's near and far edges differ in length.
    EXPECT_GT(std::fabs(cv::norm(toPixel(0, 0) - toPixel(9, 0)) - cv::norm(toPixel(0, 9) - toPixel(9, 9))), 5.0);
}

TEST_F(DrawingTest, TurningGuideAndTheCameraView) {
    session.show_3D = 1;
    ASSERT_EQ(window->setMouseMode(kTurningMode), 1);
    render();
    const int cx = (int)window->viewCamera.centerX, cy = 479 - (int)window->viewCamera.centerY;
    const auto guide = [&](int x, int y) {
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (near(frame.at<cv::Vec3b>(y + dy, x + dx), 51, 128, 178, 3)) return true;
        return false;
    };
    // The cross lines, the circle and the square, and nothing between.
    for (const cv::Point& p : {cv::Point(0, -100), cv::Point(100, 0), cv::Point(127, -127), cv::Point(-127, 127),
                               cv::Point(-216, -50), cv::Point(-100, -216)})
        EXPECT_TRUE(guide(cx + p.x, cy + p.y)) << p;
    EXPECT_FALSE(guide(cx + 100, cy - 100));
    window->turningPress(kLeftButton, kButtonDown, cx + 200, 240);
    window->turningPress(kLeftButton, kButtonUp, cx + 200, 240);
    EXPECT_EQ(window->mouseMode, kTurningMode);
    window->turningPress(kLeftButton, kButtonDown, cx + 217 + 200, 240);
    EXPECT_EQ(window->mouseMode, kPlayMode);

    session.arMode = 1;
    const float intrinsic[9] = {500, 0, 170, 0, 520, 110, 0, 0, 1};
    const float translation[3] = {-3.5f, -4, 30}, rotation[3] = {0.3f, -0.2f, 0.1f};
    window->setVideoWidth(320);  // stretched over the 640 x 480 window
    window->setVideoHeight(240);
    window->setCalibration(intrinsic);
    window->setTranslation(translation);
    window->setRotationVector(rotation);
    window->setPoseFlag(1);
    window->setCalibrationFlag(1);
    window->applyProjection();
    window->applyModelView();
    // The pinhole camera: fx X / Z + cx, fy Y / Z + cy of the rotated, shifted point.
    cv::Matx33d R;
    cv::Rodrigues(cv::Vec3d(rotation[0], rotation[1], rotation[2]), R);
    for (const cv::Point2d g : {cv::Point2d(0, 0), cv::Point2d(9, 0), cv::Point2d(0, 9), cv::Point2d(9, 9)}) {
        const cv::Vec3d cam = R * cv::Vec3d(g.x, g.y, 0) + cv::Vec3d(translation[0], translation[1], translation[2]);
        const cv::Point p = toPixel(g.x, g.y);
        EXPECT_NEAR(p.x, 2 * (500 * cam[0] / cam[2] + 170), 1.5) << g;
        EXPECT_NEAR(479 - p.y, 2 * (520 * cam[1] / cam[2] + 110), 1.5) << g;
    }
    // The flipped picture is seen tilted by -10 * viewAngleY degrees about the grid's x axis.
    const cv::Point unflipped = toPixel(2, 0.5, -0.5 * std::sqrt(3.0));
    window->flipMode = 2;
    window->applyModelView();
    EXPECT_LE(cv::norm(toPixel(2, 1, 0) - unflipped), 1);
}

}  // namespace
