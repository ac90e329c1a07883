// The grid search and the grid's pose: on synthetic frames of known pose the
// search numbers the printed lines and the pose reprojects the crossings;
// hand-made line sets show the numbering, gap filling and completion; bad
// correspondences and calibrations leave the pose as it was.
#include "GridVision.h"
#include "SceneTest.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The grey frame as the camera step makes it: rows bottom-up.
cv::Mat bottomUpGrey(const SyntheticCamera& camera, FrameTruth* truth) {
    cv::Mat colour, grey;
    camera.render(0, colour, truth);
    cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
    cv::flip(grey, grey, 0);
    return grey;
}

struct SceneCase {
    double rotation, tilt, distance, light, blur, noise;
};

class FoundGrid : public ::testing::TestWithParam<SceneCase> {
protected:
    void SetUp() override { enterDataFolder(); }
};

TEST_P(FoundGrid, LinesNumberedAndPoseReprojectsTheCrossings) {
    const SceneCase& c = GetParam();
    SceneDescription scene = sceneAt(c.rotation, c.tilt, c.distance);
    scene.light = c.light;
    scene.blur = c.blur;
    scene.noise = c.noise;
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(scene), 1);
    FrameTruth truth;
    const cv::Mat grey = bottomUpGrey(camera, &truth);
    // Truth in grey-frame pixels.
    auto crossing = [&](int x, int y) {
        cv::Point2f p = truth.crossings[10 * y + x];
        return cv::Point2f(p.x, grey.rows - 1 - p.y);
    };

    GridVision vision;
    vision.out = nullptr;
    ASSERT_EQ(vision.readCalibration("camcalib.txt"), 1);
    ASSERT_EQ(vision.findGrid(grey), 1);
    ASSERT_EQ(vision.search.horizontal.count, 10);
    ASSERT_EQ(vision.search.vertical.count, 10);

    // Line i of each set lies nearer to the printed line of model index i
    // than to any other (its whole-degree angle lets it stray a few pixels).
    for (const LineSet* set : {&vision.search.horizontal, &vision.search.vertical}) {
        int expected = 0;
        for (LineNode* n = set->first; n; n = n->next, expected++) {
            const ImageLine& line = *n->item;
            EXPECT_EQ(line.index, expected);
            int nearest = -1;
            double best = 1e9;
            for (int i = 0; i <= 9; i++) {
                double sum = 0;
                for (int k = 0; k <= 9; k++) {
                    const cv::Point2f p = set == &vision.search.vertical ? crossing(i, k)
                                                                         : crossing(k, i);
                    sum += std::fabs(normalDistance(line.angle, p.x, p.y) - line.distance);
                }
                if (sum < best) best = sum, nearest = i;
            }
            EXPECT_EQ(nearest, line.index);
        }
    }

    double sum = 0;
    for (int y = 0; y <= 9; y++)
        for (int x = 0; x <= 9; x++) {
            const double error = cv::norm(vision.projectPoint(x, y, 0) - crossing(x, y));
            sum += error;
            if ((x == 0 || x == 9) && (y == 0 || y == 9)) {
                EXPECT_LT(error, 1.0) << "corner " << x << ", " << y;
            }
        }
    EXPECT_LT(sum / 100, 0.5);
    EXPECT_EQ(vision.poseCount, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, FoundGrid,
    ::testing::Values(SceneCase{0, 0, 12.5, 0.2, 0.6, 1.5}, SceneCase{5, 10, 12, 0.2, 0.6, 1.5},
                      SceneCase{0, 20, 14, 0.2, 0.6, 1.5}, SceneCase{10, 30, 13, 0.2, 0.6, 1.5},
                      SceneCase{-30, 25, 14, 0.2, 0.6, 1.5},
                      SceneCase{35, 20, 12.5, 0.2, 0.6, 1.5},
                      SceneCase{-8, 18, 13, 0.5, 1.2, 4}, SceneCase{-35, 10, 13, 0.2, 0.6, 1.5}));

// Two extracted lines through one shared corner, each with three corners of
// its own, listed in either order.
TEST(Crossings, NearParallelLinesThroughOneCornerLoseTheFirstListed) {
    const float x = 200, y = 200;
    for (float apart : {15.0f, 25.0f})
        for (int swapped = 0; swapped < 2; swapped++) {
            SCOPED_TRACE(testing::Message() << apart << " degrees, swapped " << swapped);
            PointList corners(1);
            LineSet lines(1);
            ImagePoint* shared = new ImagePoint(x, y, 0);
            corners.append(shared);
            ImageLine* made[2];
            for (int k = 0; k < 2; k++) {
                const float a = 90 + (k != swapped ? apart : 0), t = a * (float)kDegToRad;
                made[k] = new ImageLine(a, normalDistance(a, x, y), k);
                lines.append(made[k]);
                for (float along : {-100.0f, -50.0f, 50.0f})
                    corners.append(new ImagePoint(x - along * std::sin(t), y + along * std::cos(t), 0));
            }
            associateCorners(lines, corners);
            ASSERT_EQ(shared->lines.count, 2);
            recordCrossings(corners);
            const ImageLine &first = *made[0], &second = *made[1];
            if (apart < 20) {
                EXPECT_EQ(first.valid, 0);
                EXPECT_EQ(second.valid, 1);
                EXPECT_EQ(first.crossings.count + second.crossings.count, 0);
                continue;
            }
            for (const ImageLine* line : made) {
                EXPECT_EQ(line->valid, 1);
                ASSERT_EQ(line->crossings.count, 1);
                EXPECT_EQ(line->crossings.first->item, shared);
                EXPECT_EQ(line->crossingLines.first->item, line == &first ? &second : &first);
            }
        }
}

// Hand-made sets of parallel lines crossed by one perpendicular line.
struct LineFixture : ::testing::Test {
    GridSearch search;
    cv::Mat grey = cv::Mat(480, 640, CV_8U, cv::Scalar(128));
    HoughSpace hough;
    ImageLine crossing{0, 300, 99};

    LineFixture() {
        search.init(640, 480, 0);
        hough.init(2 * search.diagonal, 360, 0);
    }
    // Horizontal lines at these distances, owned by the all-lines set.
    void horizontals(const std::vector<float>& distances, LineSet& set) {
        for (float d : distances) {
            ImageLine* line = new ImageLine(90.0f, d, 0);
            line->orientation = Horizontal;
            search.all.append(line);
            set.append(line);
        }
    }
    void vote(int theta, int d, float value) {
        hough.accumulator.at<float>(d + hough.distanceOffset, theta + hough.angleOffset) = value;
    }
    static std::vector<float> distances(const LineSet& set) {
        std::vector<float> out;
        for (LineNode* n = set.first; n; n = n->next) out.push_back(n->item->distance);
        return out;
    }
    static std::vector<int> indices(const LineSet& set) {
        std::vector<int> out;
        for (LineNode* n = set.first; n; n = n->next) out.push_back(n->item->index);
        return out;
    }
};

TEST_F(LineFixture, IndicesFollowTheSpacing) {
    struct Case {
        std::vector<float> distances;
        std::vector<int> indices;
        int last;
    };
    const Case cases[] = {
        {{50, 100, 150, 200, 250, 300, 350, 400, 450, 500}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 9},
        // The fourth line missing: a double step.
        {{50, 100, 150, 250, 300, 350, 400, 450, 500}, {0, 1, 2, 4, 5, 6, 7, 8, 9}, 9},
        // A line closer than half a step is dropped.
        {{50, 100, 115, 150, 200}, {0, 1, 2, 3}, 3},
        // No gap near the spacing: numbered in order.
        {{50, 200, 350}, {0, 1, 2}, 2},
    };
    for (const Case& c : cases) {
        LineSet set;
        horizontals(c.distances, set);
        EXPECT_EQ(AssignGridIndices(set, 50, crossing, 1, nullptr), c.last);
        EXPECT_EQ(indices(set), c.indices);
        EXPECT_EQ(set.count, (int)c.indices.size());
        search.all.clear();
    }
    LineSet set;
    horizontals({50, 100, 115, 150}, set);
    AssignGridIndices(set, 50, crossing, 1, nullptr);
    EXPECT_EQ(search.all.nodeAt(2)->item->valid, 0);
}

TEST_F(LineFixture, FillGapsPredictsHalfWayAndRefusesWeakLines) {
    LineSet set;
    horizontals({50, 100, 150, 250, 300, 350, 400, 450, 500}, set);
    AssignGridIndices(set, 50, crossing, 1, nullptr);
    const Completion c{search, grey, hough, 1, nullptr};
    // Nothing voted: the gap stays.
    EXPECT_EQ(FillGaps(c, set, crossing, 50), 9);
    EXPECT_EQ(set.count, 9);
    vote(90, 203, 0.8f);
    EXPECT_EQ(FillGaps(c, set, crossing, 50), 9);
    EXPECT_EQ(distances(set), (std::vector<float>{50, 100, 150, 203, 250, 300, 350, 400, 450, 500}));
    EXPECT_EQ(indices(set), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(search.all.count, 10);
}

TEST_F(LineFixture, PredictionOutsideTheAccumulatorIsRefused) {
    LineSet set;
    horizontals({700, 760}, set);
    AssignGridIndices(set, 60, crossing, 1, nullptr);
    HoughSpace small;
    small.init(200, 360, 0);
    const std::unique_ptr<ImageLine> line = PredictLine(set, set.last(), 90, 60, small);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->strength, -1);
    EXPECT_EQ(line->distance, 820);
}

TEST_F(LineFixture, CompletionAddsTheStrongerSideFirst) {
    horizontals({100, 150, 200, 250, 300, 350, 400, 450}, search.horizontal);
    for (float d : {200.0f, 400.0f}) {
        ImageLine* line = new ImageLine(0.0f, d, 0);
        line->orientation = Vertical;
        search.all.append(line);
        search.vertical.append(line);
    }
    search.verticalSpacing = 50;
    search.horizontalSpacing = 200;
    // The local accumulator is built from the frame's votes.
    search.votes.cells = {(50 + search.diagonal) * 360 + 270, (500 + search.diagonal) * 360 + 270};
    search.votes.weights = {0.8f, 0.5f};
    std::string log;
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    EXPECT_EQ(FindGridLines(search, grey, 2, out), 1);
    std::fclose(out);
    log = text;
    std::free(text);
    EXPECT_EQ(distances(search.horizontal),
              (std::vector<float>{50, 100, 150, 200, 250, 300, 350, 400, 450, 500}));
    EXPECT_EQ(indices(search.horizontal), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_LT(log.find("**adding below"), log.find("**adding above"));
    EXPECT_NE(log.find("**adding above"), std::string::npos);
}

// Pairs from which no pose follows leave the pose as it was.
TEST(Compute3DPose, DegenerateCorrespondencesKeepThePose) {
    GridVision vision;
    vision.out = nullptr;
    ASSERT_EQ(vision.readCalibration(TABRELO_DATA "/camcalib.txt"), 1);
    const float good[4][2] = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    const float square[4][3] = {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}};
    ASSERT_EQ(vision.Compute3DPose(good, square, 4), 1);
    float kept[3];
    std::memcpy(kept, vision.translation, sizeof kept);

    const float nan = std::nanf("");
    struct Case {
        const char* what;
        float image[4][2];
        float model[4][3];
        int count;
    };
    const Case cases[] = {
        {"three pairs", {{100, 100}, {300, 100}, {300, 300}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}}, 3},
        {"collinear model", {{100, 100}, {300, 100}, {300, 300}, {100, 300}},
         {{0, 0, 0}, {3, 0, 0}, {6, 0, 0}, {9, 0, 0}}, 4},
        {"collinear image", {{100, 100}, {200, 100}, {300, 100}, {400, 100}},
         {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
        {"one spot", {{100, 100}, {100, 100}, {100, 100}, {100, 100}},
         {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}}, 4},
        {"not a number", {{100, 100}, {300, nan}, {300, 300}, {100, 300}},
         {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vision.Compute3DPose(c.image, c.model, c.count), 0) << c.what;
        EXPECT_EQ(std::memcmp(kept, vision.translation, sizeof kept), 0) << c.what;
        EXPECT_EQ(vision.poseCount, 1) << c.what;
    }
}

TEST(Calibration, UnusableIntrinsicsAreRefused) {
    const std::string path = ::testing::TempDir() + "tabrelo" + std::to_string(getpid()) + "_cal.txt";
    for (const char* text : {"0 0 320 0 600 240 0 0 1 0 0 0 0 zero",
                             "600 0 320 0 -600 240 0 0 1 0 0 0 0 negative",
                             "600 0 320 0 600 240 0 0 1 nan 0 0 0 nan",
                             "inf 0 320 0 600 240 0 0 1 0 0 0 0 infinite",
                             "600 0 320 0 600 240 0 0 1 1e39 0 0 0 beyond-float"}) {
        std::ofstream(path) << text;
        CameraCalibration calibration;
        ASSERT_EQ(readCalibration(TABRELO_DATA "/camcalib.txt", calibration), 1);
        const CameraCalibration before = calibration;
        char* log = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&log, &size);
        EXPECT_EQ(readCalibration(path.c_str(), calibration, out), 0) << text;
        std::fclose(out);
        const std::string message = log;
        std::free(log);
        EXPECT_EQ(std::memcmp(&before, &calibration, sizeof before), 0) << text;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << text;
        EXPECT_NE(message.find(path), std::string::npos) << text;
    }
    std::remove(path.c_str());
}

}  // namespace
