// The paper tiles on synthetic scenes: tiles beside the grid are found with
// their digit, place and turn where the strips are searched; a tile laid onto
// the grid is found by the board difference; and the histogram valley that
// cuts the difference.
#include "PuzzleFile.h"
#include "SceneTest.h"

#include <cmath>

namespace {

// The camera tile next to a true one: same digit, within 0.1 cell and 3 degrees.
::testing::AssertionResult seenAsTrue(const std::vector<Tile>& list, const TileTruth& t) {
    for (const Tile& tile : list) {
        const int turn = std::abs(wholeTurn(tile.angle - (int)std::lround(t.angle)));
        if (tile.digit == t.digit && std::hypot(tile.x - t.x, tile.y - t.y) <= 0.1 &&
            std::min(turn, 360 - turn) <= 3)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "tile " << t.digit << " at (" << t.x << ", " << t.y
                                         << ", " << t.angle << ") not seen";
}

// The camera straight above the grid, a little towards the tile.
SceneDescription sceneWithTile(int digit, double x, double y, double angle) {
    SceneDescription scene = sceneAt(0, 0, 16);
    scene.start.shiftX = scene.end.shiftX = 0.2 * (x - 4.5);
    scene.start.shiftY = scene.end.shiftY = 0.2 * (y - 4.5);
    scene.table = 90;
    scene.tiles.push_back({digit, x, y, angle, x, y, angle});
    return scene;
}

// A few frames give the reading, which needs a score above 0.9, its chance.
// With the overview panes the table left of and above the grid is theirs.
TEST(StillTiles, FoundWithDigitPlaceAndTurnWhereTheStripsAreSearched) {
    const struct {
        int digit;
        double x, y, angle;
        int showOverviews;
        bool seen;
    } cases[] = {{4, 11.0, 1.5, 30, 1, true},  {2, 3.5, -1.5, -25, 1, true},
                 {7, -1.5, 6.5, -5, 0, true},  {4, 4.5, 10.3, -8, 0, true},
                 {7, -1.5, 6.5, -5, 1, false}, {4, 4.5, 10.3, -8, 1, false}};
    enterDataFolder();
    for (const auto& p : cases) {
        SceneRun run(sceneWithTile(p.digit, p.x, p.y, p.angle));
        run.c.useMouse = 0;
        run.c.showOverviews = p.showOverviews;
        FrameTruth truth;
        for (int frame = 0; frame < 6; frame++) truth = run.step(frame);
        ASSERT_EQ(run.c.gridFound, 1);
        SCOPED_TRACE(&p - cases);
        if (p.seen) {
            EXPECT_TRUE(seenAsTrue(run.vision.tiles.list, truth.tiles[0]));
        }
        EXPECT_EQ(run.vision.tiles.list.size(), p.seen ? 1u : 0u);
    }
}

// A tile laid onto an empty cell after the grid was accepted: the board
// difference finds it; one on a cell whose digit the board already holds is
// not taken.
TEST(LaidOnTheGrid, TheBoardDifferenceFindsANewTile) {
    enterDataFolder();
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, "sudoku-grids/g1.txt"), 1);
    permute(board);
    ASSERT_EQ(board.digitAt(3, 8), 0);
    // Cell (3, 8) is empty; the board holds its own digit in cell (3, 7).
    for (const int column : {8, 7}) {
        const int digit = column == 8 ? 5 : board.digitAt(3, column);
        const SceneDescription laid = sceneWithTile(digit, column + 0.5, 5.5, 0);
        SceneDescription empty = laid;
        empty.tiles.clear();
        SceneRun run(empty);
        run.c.board = &board;  // in mouse mode only the board difference looks for tiles
        run.step(0);
        ASSERT_EQ(run.c.gridFound, 1);
        ASSERT_FALSE(run.vision.digits.rectified.empty());
        ASSERT_EQ(run.camera.open(laid), 1);
        const FrameTruth truth = run.step(0);
        if (column == 8) {
            EXPECT_TRUE(seenAsTrue(run.vision.tiles.list, truth.tiles[0]));
        }
        EXPECT_EQ(run.vision.tiles.list.size(), column == 8 ? 1u : 0u) << digit;
    }
}

TEST(HistogramValley, CutsWhereTheFallAfterThePeakEnds) {
    const struct {
        std::vector<std::pair<int, int>> counts;  // value, pixels
        int threshold;
    } cases[] = {
        // Smoothed, a peak at 2 falling to nothing at 9, then the objects at 200.
        {{{0, 500}, {1, 500}, {2, 500}, {3, 500}, {4, 500}, {5, 200}, {6, 100}, {200, 300}}, 9},
        // Nothing differs: the fall from the peak ends at once.
        {{{0, 1000}}, 3},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> pixels;
        for (const auto& [value, count] : c.counts) pixels.insert(pixels.end(), count, value);
        EXPECT_EQ(histogramValley(cv::Mat(1, (int)pixels.size(), CV_8U, pixels.data())), c.threshold);
    }
}

}  // namespace
