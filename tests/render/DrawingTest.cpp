// Hints drawn on prepared boards, checked by their pixels in the flat view.
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
};

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
    EXPECT_TRUE(near(at(3.5, 5.5), 204, 255, 216));  // box 4 holds 3 and 8: the 3's green
    EXPECT_TRUE(near(at(1.5, 4.5), 204, 230, 230));  // box 3 holds only the 8
}

}  // namespace
