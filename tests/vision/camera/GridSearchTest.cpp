// The grid search, its accumulator and the grid's pose: on synthetic frames of
// known pose the pose reprojects the crossings; hand-made line sets show the
// numbering, gap filling and completion; bad correspondences leave the pose as
// it was; a jump while following the grid is not passed on as a pose.
#include "Geometry.h"
#include "GridVision.h"
#include "Hough.h"
#include "SceneTest.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// On frames of known pose: the pose reprojects the crossings; the
// gathered-vote fast path gives exactly the cells and maxima of the plain
// passes; correspondences from which no pose follows, and a tracked crossing
// pulled onto the neighbouring corner, leave the pose as it was.
TEST(FoundGrid, PoseReprojectsTheCrossingsFastPathVotesAsThePlainOneBadPairsKeepThePose) {
    const struct {
        double rotation, tilt, distance, light, blur, noise;
    } scenes[] = {{0, 0, 12.5, 0.2, 0.6, 1.5},
                  {-30, 25, 14, 0.2, 0.6, 1.5},
                  {-8, 18, 13, 0.5, 1.2, 4}};
    const float nan = std::nanf("");
    const struct {
        float image[4][2];
        float model[4][3];
        int count;
    } degenerate[] = {
        {{{100, 100}, {300, 100}, {300, 300}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}}, 3},
        {{{100, 100}, {300, 100}, {300, 300}, {100, 300}}, {{0, 0, 0}, {3, 0, 0}, {6, 0, 0}, {9, 0, 0}}, 4},
        {{{100, 100}, {200, 100}, {300, 100}, {400, 100}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
        {{{100, 100}, {100, 100}, {100, 100}, {100, 100}}, {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}}, 4},
        {{{100, 100}, {300, nan}, {300, 300}, {100, 300}}, {{0, 0, 0}, {9, 0, 0}, {9, 9, 0}, {0, 9, 0}}, 4},
    };
    enterDataFolder();
    for (const auto& p : scenes) {
        SCOPED_TRACE(&p - scenes);
        SceneDescription scene = sceneAt(p.rotation, p.tilt, p.distance);
        scene.light = p.light, scene.blur = p.blur, scene.noise = p.noise;
        SyntheticCamera camera;
        ASSERT_EQ(camera.open(scene), 1);
        FrameTruth truth;
        const cv::Mat grey = bottomUpGrey(camera, &truth);

        const int diagonal = (int)std::sqrt((double)grey.cols * grey.cols + grey.rows * grey.rows);
        cv::Mat dx, dy, magnitude, angle, distance;
        sobelDerivative(grey, 0, 1, 0, dx);
        sobelDerivative(grey, 0, 0, 1, dy);
        computeGradient(dx, dy, 0, magnitude, angle, 20, 1);
        computeDistance(angle, distance);
        HoughSpace plain, fast;
        plain.init(2 * diagonal, 360, 0);
        fast.init(2 * diagonal, 360, 0);
        VoteList votes;
        fast.collectVotes(angle, magnitude, distance, votes);
        ASSERT_GT(votes.cells.size(), 10000u);
        plain.vote(angle, magnitude, distance);
        fast.vote(votes);
        ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0);
        // Lines masked one by one, then everything: the plain masked vote
        // counts afresh what blockMasked only updates.
        cv::Mat mask(grey.size(), CV_8U, cv::Scalar(0));
        for (int k = 0; k <= 25; k++) {
            int a1, d1, a2, d2;
            ASSERT_EQ(plain.maximum(&a1, &d1), fast.maximum(votes, &a2, &d2)) << "line " << k;
            ASSERT_EQ(std::make_pair(a1, d1), std::make_pair(a2, d2)) << "line " << k;
            if (k < 24)
                MarkLineBand(angle, distance, mask, 255, a1, 60, d1, 400, 5);
            else
                mask.setTo(255);
            plain.maskedVote(angle, magnitude, distance, mask);
            fast.blockMasked(votes, mask);
            ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0) << "line " << k;
        }

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
        // Pairs from which no pose follows leave the pose as it was.
        float kept[3];
        std::memcpy(kept, vision.translation, sizeof kept);
        for (const auto& c : degenerate) {
            EXPECT_EQ(vision.Compute3DPose(c.image, c.model, c.count), 0) << &c - degenerate;
            EXPECT_EQ(std::memcmp(kept, vision.translation, sizeof kept), 0) << &c - degenerate;
            EXPECT_EQ(vision.poseCount, 2) << &c - degenerate;
        }

        GridCrossings crossings;
        for (int i : kTrackedLines)
            for (int j : kTrackedLines) {
                const int k = crossings.count++;
                crossings.image[k][0] = truth.crossings[10 * i + j].x;
                crossings.image[k][1] = truth.crossings[10 * i + j].y;
                crossings.model[k][0] = (float)j;
                crossings.model[k][1] = (float)i;
            }
        ASSERT_EQ(vision.poseFromTrackedCrossings(crossings), 1);
        const int poses = vision.poseCount;
        const cv::Point2f centre = vision.projectPoint(4.5f, 4.5f, 0);
        crossings.image[5][0] = truth.crossings[34].x;  // the crossing (3, 3) onto (4, 3)
        crossings.image[5][1] = truth.crossings[34].y;
        EXPECT_EQ(vision.poseFromTrackedCrossings(crossings), 0);
        EXPECT_EQ(vision.poseCount, poses);
        EXPECT_EQ(cv::norm(vision.projectPoint(4.5f, 4.5f, 0) - centre), 0);
    }
}

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

TEST_F(LineFixture, IndicesFollowTheSpacingAndGapsAreFilledFromVotes) {
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
        if (c.distances.size() == 9) {  // the double step's gap filled half way, from votes only
            const Completion completion{search, grey, hough, 1, nullptr};
            EXPECT_EQ(FillGaps(completion, set, crossing, 50), 9);
            EXPECT_EQ(set.count, 9);
            hough.accumulator.at<float>(203 + hough.distanceOffset, 90 + hough.angleOffset) = 0.8f;
            EXPECT_EQ(FillGaps(completion, set, crossing, 50), 9);
            EXPECT_EQ(distances(set), (std::vector<float>{50, 100, 150, 203, 250, 300, 350, 400, 450, 500}));
            EXPECT_EQ(distances(set, true), kTen);
            EXPECT_EQ(search.all.count, 10);
        }
        search.all.clear();
    }
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

// One line missing and votes on both sides: the stronger side's line is added.
TEST_F(LineFixture, CompletionAddsTheStrongerSideFirst) {
    horizontals({100, 150, 200, 250, 300, 350, 400, 450, 500}, search.horizontal);
    for (float d : {200.0f, 400.0f}) {
        ImageLine* line = new ImageLine(0.0f, d, 0);
        line->orientation = Vertical;
        search.all.append(line);
        search.vertical.append(line);
    }
    search.verticalSpacing = 50;
    search.horizontalSpacing = 200;
    // The local accumulator is built from the frame's votes.
    search.votes.cells = {(50 + search.diagonal) * 360 + 270, (550 + search.diagonal) * 360 + 270};
    search.votes.weights = {0.8f, 0.5f};
    EXPECT_EQ(FindGridLines(search, grey, 0, stdout), 1);
    EXPECT_EQ(distances(search.horizontal),
              (std::vector<float>{50, 100, 150, 200, 250, 300, 350, 400, 450, 500}));
    EXPECT_EQ(distances(search.horizontal, true), kTen);
}

// Two frames far apart: the second is not handed on as a pose, and the
// search takes the grid up again right after, on the truth.
TEST(TrackedPath, AJumpIsNoticedAndTheSearchFindsTheGridAgain) {
    const CameraPose jumps[][2] = {
        {{3, 10, 15}, {3, 10, 15, 1, 0}},           // one cell sideways
        {{3, 10, 15}, {20, 10, 15}},                // turned by 17 degrees
        {{6, 10, 15}, {6, 10, 15, 0.5, 0.5}},
        {{3, 10, 15}, {3, 10, 15, -3, 0}},          // thick lines onto thick lines
        {{3, 0, 16}, {3, 0, 12}},                   // much nearer
    };
    enterDataFolder();
    for (const auto& j : jumps) {
        SceneDescription scene = sceneAt(0, 0, 14);
        scene.start = j[0];
        scene.end = j[1];
        scene.frames = 2;
        SceneRun run(scene);
        run.step(0);
        ASSERT_EQ(run.c.gridFound, 1);
        const int poses = run.vision.poseCount;
        run.step(1);
        EXPECT_EQ(run.c.gridFound, 0) << &j - jumps;
        EXPECT_EQ(run.vision.poseCount, poses) << &j - jumps;
        const FrameTruth truth = run.step(1);
        EXPECT_EQ(run.c.gridFound, 1);
        for (int k : {0, 9, 90, 99}) {
            const cv::Point2f p = run.vision.projectPoint(k % 10, k / 10, 0);
            EXPECT_LT(cv::norm(cv::Point2f(p.x, run.c.height - 1 - p.y) - truth.crossings[k]), 1.5);
        }
    }
}

}  // namespace
