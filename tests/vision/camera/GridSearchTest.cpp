// The grid search and the grid's pose: on synthetic frames of known pose the
// pose reprojects the crossings; hand-made line sets show the numbering, gap
// filling and completion; bad correspondences leave the pose as it was.
#include "GridVision.h"
#include "SceneTest.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

class FoundGrid : public ::testing::TestWithParam<std::vector<double>> {};

// rotation, tilt, distance, light, blur, noise
TEST_P(FoundGrid, PoseReprojectsTheCrossings) {
    const std::vector<double>& p = GetParam();
    SceneDescription scene = sceneAt(p[0], p[1], p[2]);
    scene.light = p[3], scene.blur = p[4], scene.noise = p[5];
    enterDataFolder();
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(scene), 1);
    FrameTruth truth;
    const cv::Mat grey = bottomUpGrey(camera, &truth);
    GridVision vision;
    vision.out = nullptr;
    ASSERT_EQ(vision.readCalibration("camcalib.txt"), 1);
    ASSERT_EQ(vision.findGrid(grey), 1);
    ASSERT_EQ(vision.search.horizontal.count, 10);
    ASSERT_EQ(vision.search.vertical.count, 10);
    double sum = 0;
    for (int k = 0; k < 100; k++) {
        const cv::Point2f t = truth.crossings[k];
        const double error =
            cv::norm(vision.projectPoint(k % 10, k / 10, 0) - cv::Point2f(t.x, grey.rows - 1 - t.y));
        sum += error;
        if (k == 0 || k == 9 || k == 90 || k == 99) {
            EXPECT_LT(error, 1.0) << "corner " << k;
        }
    }
    EXPECT_LT(sum / 100, 0.5);
    EXPECT_EQ(vision.poseCount, 2);
}

INSTANTIATE_TEST_SUITE_P(Scenes, FoundGrid,
                         ::testing::Values(std::vector<double>{0, 0, 12.5, 0.2, 0.6, 1.5},
                                           std::vector<double>{10, 30, 13, 0.2, 0.6, 1.5},
                                           std::vector<double>{-30, 25, 14, 0.2, 0.6, 1.5},
                                           std::vector<double>{-8, 18, 13, 0.5, 1.2, 4}));

// Hand-made horizontal lines crossed by one perpendicular line.
struct LineFixture : ::testing::Test {
    GridSearch search;
    cv::Mat grey = cv::Mat(480, 640, CV_8U, cv::Scalar(128));
    HoughSpace hough;
    ImageLine crossing{0, 300, 99};

    LineFixture() {
        search.init(640, 480, 0);
        hough.init(2 * search.diagonal, 360, 0);
    }
    void horizontals(const std::vector<float>& distances, LineSet& set) {
        for (float d : distances) {
            ImageLine* line = new ImageLine(90.0f, d, 0);
            line->orientation = Horizontal;
            search.all.append(line);
            set.append(line);
        }
    }
    static std::vector<float> distances(const LineSet& set, bool indices = false) {
        std::vector<float> out;
        for (LineNode* n = set.first; n; n = n->next)
            out.push_back(indices ? n->item->index : n->item->distance);
        return out;
    }
};

const std::vector<float> kTen = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST_F(LineFixture, IndicesFollowTheSpacing) {
    const struct {
        std::vector<float> distances, indices;
    } cases[] = {
        {{50, 100, 150, 200, 250, 300, 350, 400, 450, 500}, kTen},
        {{50, 100, 150, 250, 300, 350, 400, 450, 500}, {0, 1, 2, 4, 5, 6, 7, 8, 9}},  // a double step
        {{50, 100, 115, 150, 200}, {0, 1, 2, 3}},  // closer than half a step: dropped
        {{50, 200, 350}, {0, 1, 2}},               // no gap near the spacing: in order
    };
    for (const auto& c : cases) {
        LineSet set;
        horizontals(c.distances, set);
        EXPECT_EQ(AssignGridIndices(set, 50, crossing, 1, nullptr), c.indices.back());
        EXPECT_EQ(distances(set, true), c.indices);
        if (c.distances.size() == 5) {
            EXPECT_EQ(search.all.nodeAt(2)->item->valid, 0);
        }
        search.all.clear();
    }
}

TEST_F(LineFixture, FillGapsPredictsHalfWayAndRefusesWeakLines) {
    LineSet set;
    horizontals({50, 100, 150, 250, 300, 350, 400, 450, 500}, set);
    AssignGridIndices(set, 50, crossing, 1, nullptr);
    const Completion c{search, grey, hough, 1, nullptr};
    EXPECT_EQ(FillGaps(c, set, crossing, 50), 9);  // nothing voted: the gap stays
    EXPECT_EQ(set.count, 9);
    hough.accumulator.at<float>(203 + hough.distanceOffset, 90 + hough.angleOffset) = 0.8f;
    EXPECT_EQ(FillGaps(c, set, crossing, 50), 9);
    EXPECT_EQ(distances(set), (std::vector<float>{50, 100, 150, 203, 250, 300, 350, 400, 450, 500}));
    EXPECT_EQ(distances(set, true), kTen);
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
    testing::internal::CaptureStdout();
    EXPECT_EQ(FindGridLines(search, grey, 2, stdout), 1);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(distances(search.horizontal),
              (std::vector<float>{50, 100, 150, 200, 250, 300, 350, 400, 450, 500}));
    EXPECT_EQ(distances(search.horizontal, true), kTen);
    EXPECT_NE(log.find("**adding above"), std::string::npos);
    EXPECT_LT(log.find("**adding below"), log.find("**adding above"));
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
    const struct {
        float image[4][2];
        float model[4][3];
        int count;
    } cases[] = {
        {{{100, 100}, {300, 100}, {300, 300}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}}, 3},
        {{{100, 100}, {300, 100}, {300, 300}, {100, 300}}, {{0, 0, 0}, {3, 0, 0}, {6, 0, 0}, {9, 0, 0}}, 4},
        {{{100, 100}, {200, 100}, {300, 100}, {400, 100}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
        {{{100, 100}, {100, 100}, {100, 100}, {100, 100}}, {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}}, 4},
        {{{100, 100}, {300, nan}, {300, 300}, {100, 300}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(vision.Compute3DPose(c.image, c.model, c.count), 0);
        EXPECT_EQ(std::memcmp(kept, vision.translation, sizeof kept), 0);
        EXPECT_EQ(vision.poseCount, 1);
    }
}

}  // namespace
