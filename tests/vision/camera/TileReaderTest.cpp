// The paper tiles on synthetic scenes: new tiles beside the grid are found
// with their digit, place and turn, followed while they move and dropped
// when they leave; a tile laid onto the grid is found by the board
// difference; and the histogram valley that cuts the difference.
#include "CameraStep.h"
#include "PuzzleFile.h"
#include "SceneTest.h"

#include <cmath>
#include <cstdio>

namespace {

// The camera step in tiles mode over the frames of a scene.
struct TileRun {
    CameraState c;
    GridVision vision;
    SyntheticCamera camera;
    FILE* out = std::tmpfile();

    TileRun(const SceneDescription& scene, int showOverviews, const Sudoku* board = nullptr) {
        enterDataFolder();
        setUpImages(c, vision, cv::Size(scene.width, scene.height), out);
        c.useMouse = 0;
        c.showOverviews = showOverviews;
        c.board = board;
        EXPECT_EQ(camera.open(scene), 1);
    }
    ~TileRun() { std::fclose(out); }

    FrameTruth step(int frame) {
        cv::Mat colour;
        FrameTruth truth;
        camera.render(frame, colour, &truth);
        takeLiveFrame(c, colour);
        workOnFrame(c, vision, out);
        return truth;
    }
};

int turnDifference(int a, double b) {
    const int d = std::abs(wholeTurn(a - (int)std::lround(b)));
    return std::min(d, 360 - d);
}

// The camera tile next to a true one: same digit, within 0.1 cell and 3 degrees.
::testing::AssertionResult seenAsTrue(const std::vector<Tile>& list, const TileTruth& t) {
    for (const Tile& tile : list)
        if (std::hypot(tile.x - t.x, tile.y - t.y) < 0.5) {
            if (tile.digit == t.digit && std::hypot(tile.x - t.x, tile.y - t.y) <= 0.1 &&
                turnDifference(tile.angle, t.angle) <= 3)
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure()
                   << "tile " << t.digit << " at (" << t.x << ", " << t.y << ", " << t.angle
                   << ") seen as " << tile.digit << " at (" << tile.x << ", " << tile.y << ", "
                   << tile.angle << ")";
        }
    return ::testing::AssertionFailure() << "tile " << t.digit << " at (" << t.x << ", " << t.y
                                         << ") not seen";
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

struct StillTile {
    int digit;
    double x, y, angle;
    int showOverviews;
    bool seen;
};

class StillTiles : public ::testing::TestWithParam<StillTile> {};

// A few frames give the reading, which needs a score above 0.9, its chance.
TEST_P(StillTiles, FoundWithDigitPlaceAndTurnWhereTheStripsAreSearched) {
    const StillTile& p = GetParam();
    TileRun run(sceneWithTile(p.digit, p.x, p.y, p.angle), p.showOverviews);
    FrameTruth truth;
    for (int frame = 0; frame < 6; frame++) truth = run.step(frame);
    ASSERT_EQ(run.c.gridFound, 1);
    if (p.seen) {
        EXPECT_TRUE(seenAsTrue(run.vision.tiles.list, truth.tiles[0]));
        EXPECT_EQ(run.vision.tiles.list.size(), 1u);
    } else {
        EXPECT_TRUE(run.vision.tiles.list.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strips, StillTiles,
    ::testing::Values(StillTile{7, 10.5, 6.5, 0, 1, true}, StillTile{4, 11.0, 1.5, 30, 1, true},
                      StillTile{9, 10.5, 4.5, 0, 1, true}, StillTile{2, 3.5, -1.5, -25, 1, true},
                      StillTile{7, -1.5, 6.5, -5, 0, true}, StillTile{2, -1.2, 2.5, 20, 0, true},
                      StillTile{4, 4.5, 10.3, -8, 0, true},
                      // With the overview panes the table left of and above the grid is theirs.
                      StillTile{7, -1.5, 6.5, -5, 1, false}, StillTile{4, 4.5, 10.3, -8, 1, false}));

TEST(MovingTiles, FollowedWhileTheyMoveAndDroppedWhenTheyLeave) {
    SceneDescription scene = sceneWithTile(3, 10.5, 1.5, 0);
    scene.frames = 40;
    scene.tiles[0].endY = 6.5;
    scene.tiles[0].endAngle = 25;
    scene.tiles.push_back({8, 4.5, -1.5, 0, 4.5, -8, 0});  // slides off the table
    TileRun run(scene, 1);
    int followed = 0, lastSeenEight = -1;
    for (int frame = 0; frame < scene.frames; frame++) {
        const FrameTruth truth = run.step(frame);
        ASSERT_EQ(run.c.gridFound, 1) << frame;
        if (frame < 3) continue;
        EXPECT_TRUE(seenAsTrue(run.vision.tiles.list, truth.tiles[0])) << frame;
        followed++;
        for (const Tile& t : run.vision.tiles.list)
            if (t.digit == 8) lastSeenEight = frame;
    }
    EXPECT_EQ(followed, scene.frames - 3);
    EXPECT_GT(lastSeenEight, 3);
    EXPECT_LT(lastSeenEight, scene.frames - 5);
}

// A tile laid onto an empty cell after the grid was accepted: the board
// difference finds it; one on a cell whose digit the board already holds is
// not taken.
TEST(LaidOnTheGrid, TheBoardDifferenceFindsANewTile) {
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g1.txt"), 1);
    permute(board);
    ASSERT_EQ(board.digitAt(3, 8), 0);
    // Cell (3, 8) is empty; the board holds its own digit in cell (3, 7).
    for (const int column : {8, 7}) {
        const int digit = column == 8 ? 5 : board.digitAt(3, column);
        const SceneDescription laid = sceneWithTile(digit, column + 0.5, 5.5, 0);
        SceneDescription empty = laid;
        empty.tiles.clear();
        TileRun run(empty, 1, &board);
        run.c.useMouse = 1;  // nothing but the board difference looks for tiles
        run.step(0);
        ASSERT_EQ(run.c.gridFound, 1);
        ASSERT_FALSE(run.vision.digits.rectified.empty());
        // The same view with the tile laid upright in the middle of the cell.
        ASSERT_EQ(run.camera.open(laid), 1);
        const FrameTruth truth = run.step(0);
        if (column == 8)
            EXPECT_TRUE(seenAsTrue(run.vision.tiles.list, truth.tiles[0]));
        else
            EXPECT_TRUE(run.vision.tiles.list.empty()) << digit;
    }
}

TEST(HistogramValley, CutsWhereTheFallAfterThePeakEnds) {
    struct Case {
        std::vector<std::pair<int, int>> counts;  // value, pixels
        int threshold;
    };
    const Case cases[] = {
        // Smoothed, a peak at 2 falling to nothing at 9, then the objects at 200.
        {{{0, 500}, {1, 500}, {2, 500}, {3, 500}, {4, 500}, {5, 200}, {6, 100}, {200, 300}}, 9},
        // Nothing differs: the fall from the peak ends at once.
        {{{0, 1000}}, 3},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> pixels;
        for (const auto& [value, count] : c.counts) pixels.insert(pixels.end(), count, value);
        const cv::Mat image(1, (int)pixels.size(), CV_8U, pixels.data());
        EXPECT_EQ(histogramValley(image), c.threshold);
    }
}

}  // namespace
