// Following the grid on synthetic scenes: a jump or a crossing on the wrong
// corner is not passed on as a pose (the camera game tests follow slow paths).
#include "SceneTest.h"

namespace {

// Two frames far apart: the second is not handed on as a pose, and the
// search takes the grid up again right after, on the truth.
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
