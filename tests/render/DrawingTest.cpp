// Frames of prepared boards, checked by their pixels in the flat view; the
// frames are saved under render-shots/ in the build folder.
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

    // Pixels of a cell's inner part (inset 0.2) for which the test holds.
    int inCell(int r, int c, const std::function<bool(const cv::Vec3b&)>& test) const {
        return count(c + 0.3, 8 - r + 0.2, c + 0.7, 9 - r - 0.2, test);
    }
};

bool reddish(const cv::Vec3b& p) { return p[0] > 200 && p[1] < 120 && p[2] < 120; }
bool orangeish(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 90 && p[1] < 170 && p[2] < 60; }
bool notWhite(const cv::Vec3b& p) { return p[0] < 235 || p[1] < 235 || p[2] < 235; }

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
    window->clock.start(tickCount() - 5000);
    render(in);
    save("won");
    EXPECT_GT(whiteIn(50, 30, 330, 75), 300);  // "You won !!!"
    EXPECT_EQ(whiteIn(0, 0, 49, 30), 0);       // no counters
    EXPECT_EQ(window->clock.running, 0);       // the clock is held
    EXPECT_GE(window->clock.total, 5000);
    EXPECT_GT(whiteIn(540, 0, 640, 16), 10);   // the held time

    session.show_grid_structure = 1;
    render();
    save("grid-structure");
    EXPECT_GT(count(-1.25, 8.2, -0.6, 8.7, [](const cv::Vec3b& p) { return near(p, 128, 128, 128, 20); }),
              3);
}


}  // namespace
