// Following the grid on synthetic scenes with slow camera paths: tracking
// holds while the whole grid is seen and keeps the corners on the truth; a
// jump or a crossing on the wrong corner is not passed on as a pose.
#include "SceneTest.h"

#include <algorithm>
#include <cmath>

namespace {

// The largest error of the pose's grid corners against the truth in pixels
// (the pose belongs to the bottom-up grey frame); whether the frame shows the
// whole grid with a margin for the strips and the corner refinement.
float cornerError(const SceneRun& run, const FrameTruth& truth, bool* whole) {
    float error = 0;
    *whole = true;
    for (int k : {0, 9, 90, 99}) {
        const cv::Point2f t = truth.crossings[k];
        const cv::Point2f p = run.vision.projectPoint(k % 10, k / 10, 0);
        error = std::max(error, (float)cv::norm(cv::Point2f(p.x, run.c.height - 1 - p.y) - t));
        *whole = *whole && t.x >= 12 && t.y >= 12 && t.x <= run.c.width - 13 && t.y <= run.c.height - 13;
    }
    return error;
}

SceneDescription pathScene(const CameraPose& from, const CameraPose& to, int frames) {
    SceneDescription scene = sceneAt(0, 0, 14);
    scene.start = from;
    scene.end = to;
    scene.frames = frames;
    return scene;
}

TEST(TrackedPath, HoldsWhileTheGridIsSeenAndStaysOnTheTruth) {
    const CameraPose paths[][2] = {
        {{0, 5, 14}, {25, 5, 14}},      // turning
        {{-5, 10, 17}, {-5, 10, 12}},   // nearer
        {{3, 8, 14}, {3, 8, 14, -6, 0}},  // leaving past the right edge
    };
    enterDataFolder();
    for (const auto& p : paths) {
        SceneDescription scene = pathScene(p[0], p[1], 25);
        scene.noise = 2;
        SceneRun run(scene);
        run.step(0);
        ASSERT_EQ(run.c.gridFound, 1) << "the search does not find the first frame";
        bool whole = true;
        for (int f = 1; f < 25 && run.c.gridFound; f++) {
            const float error = cornerError(run, run.step(f), &whole);
            SCOPED_TRACE(testing::Message() << "path " << &p - paths << " frame " << f);
            if (whole) {
                EXPECT_EQ(run.c.gridFound, 1) << "tracking lost";
            }
            if (run.c.gridFound) {
                EXPECT_LT(error, 1.5f);
            }
        }
    }
}

// Two frames far apart: the second is not handed on as a pose, and the
// search takes the grid up again right after.
TEST(TrackedPath, AJumpIsNoticedAndTheSearchFindsTheGridAgain) {
    const CameraPose jumps[][2] = {
        {{3, 10, 15}, {3, 10, 15, 1, 0}},           // one cell sideways
        {{3, 10, 15}, {20, 10, 15}},                // turned by 17 degrees
        {{6, 10, 15}, {6, 10, 15, 0.5, 0.5}},
        {{3, 10, 15}, {3, 10, 15, -3, 0}},          // thick lines onto thick lines
        {{3, 0, 18, 0, 1.5}, {3, 0, 18, 0, -1.5}},  // three cells up the picture
        {{3, 0, 16}, {3, 0, 12}},                   // much nearer
    };
    enterDataFolder();
    for (const auto& j : jumps) {
        SceneRun run(pathScene(j[0], j[1], 2));
        run.step(0);
        ASSERT_EQ(run.c.gridFound, 1);
        const int poses = run.vision.poseCount;
        run.step(1);
        EXPECT_EQ(run.c.gridFound, 0) << &j - jumps;
        EXPECT_EQ(run.vision.poseCount, poses) << &j - jumps;
        bool whole;
        const float error = cornerError(run, run.step(1), &whole);
        EXPECT_EQ(run.c.gridFound, 1);
        EXPECT_LT(error, 1.5f);
    }
}

// A crossing pulled onto the neighbouring corner is refused with the pose it
// makes; the true crossings give the pose back.
TEST(TrackedPose, ACrossingOnTheWrongCornerIsRefused) {
    enterDataFolder();
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(sceneAt(10, 15, 14)), 1);
    FrameTruth truth;
    bottomUpGrey(camera, &truth);
    GridVision vision;
    vision.out = nullptr;
    ASSERT_EQ(vision.readCalibration("camcalib.txt"), 1);
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

}  // namespace
