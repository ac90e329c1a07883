// Following the grid on synthetic scenes with slow camera paths: tracking
// holds while the whole grid is seen and keeps the corners on the truth; a
// jump is not passed on as a pose, and the search finds the grid again.
#include "CameraStep.h"
#include "SceneTest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const float kCorners[4][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}};

// Runs the camera step on one frame; the largest corner error of its pose
// against the truth in pixels (the pose belongs to the bottom-up grey frame).
struct StepRunner {
    CameraState c;
    GridVision vision;
    FILE* out = std::tmpfile();

    StepRunner() {
        enterDataFolder();
        setUpImages(c, vision, cv::Size(640, 480), out);
    }
    ~StepRunner() { std::fclose(out); }

    float step(const SyntheticCamera& camera, int frame, int* wholeGridSeen) {
        cv::Mat colour;
        FrameTruth truth;
        camera.render(frame, colour, &truth);
        takeLiveFrame(c, colour);
        workOnFrame(c, vision, out);
        float error = 0;
        *wholeGridSeen = 1;
        for (const auto& k : kCorners) {
            const cv::Point2f t = truth.crossings[10 * (int)k[1] + (int)k[0]];
            const cv::Point2f p = vision.projectPoint(k[0], k[1], 0);
            error = std::max(error, (float)cv::norm(cv::Point2f(p.x, c.height - 1 - p.y) - t));
            // A margin for the strips and the corner refinement around the outer lines.
            if (t.x < 12 || t.y < 12 || t.x > c.width - 13 || t.y > c.height - 13)
                *wholeGridSeen = 0;
        }
        return error;
    }
};

// Tracking holds on every frame where the whole grid is seen, and every
// tracked frame keeps the corners within 1.5 pixels of the truth.
void followPath(const SceneDescription& scene, const char* name) {
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(scene), 1);
    StepRunner runner;
    int whole;
    runner.step(camera, 0, &whole);
    ASSERT_EQ(runner.c.gridFound, 1) << "the search does not find the first frame";
    for (int f = 1; f < scene.frames; f++) {
        const float error = runner.step(camera, f, &whole);
        SCOPED_TRACE(testing::Message() << name << " frame " << f);
        if (whole) {
            EXPECT_EQ(runner.c.gridFound, 1) << "tracking lost";
        }
        if (!runner.c.gridFound) break;
        EXPECT_LT(error, 1.5f);
    }
}

struct PathCase {
    const char* name;
    CameraPose start, end;
};

class TrackedPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(TrackedPath, HoldsWhileTheGridIsSeenAndStaysOnTheTruth) {
    const PathCase& p = GetParam();
    SceneDescription scene = sceneAt(0, 0, 14);
    scene.start = p.start;
    scene.end = p.end;
    scene.frames = 40;
    scene.noise = 2;
    enterDataFolder();
    followPath(scene, p.name);
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, TrackedPath,
    ::testing::Values(PathCase{"turning", {0, 5, 14}, {25, 5, 14}},
                      PathCase{"tilting", {5, 0, 14}, {5, 30, 14}},
                      PathCase{"nearer", {-5, 10, 17}, {-5, 10, 12}},
                      // The sheet slides out past the right edge of the picture.
                      PathCase{"leaving", {3, 8, 14}, {3, 8, 14, -6, 0}}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// A crossing pulled onto the neighbouring corner is refused with the pose it
// makes; the true crossings give the pose back.
TEST(TrackedPose, ACrossingOnTheWrongCornerIsRefused) {
    enterDataFolder();
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(sceneAt(10, 15, 14)), 1);
    FrameTruth truth;
    greyFrame(camera, 0, &truth);
    GridVision vision;
    vision.out = nullptr;
    ASSERT_EQ(vision.readCalibration("camcalib.txt"), 1);
    GridCrossings crossings;
    for (int i : kTrackedLines)
        for (int j : kTrackedLines) {
            const cv::Point2f t = truth.crossings[10 * i + j];
            const int k = crossings.count++;
            crossings.image[k][0] = t.x;
            crossings.image[k][1] = t.y;
            crossings.model[k][0] = (float)j;
            crossings.model[k][1] = (float)i;
        }
    ASSERT_EQ(vision.poseFromTrackedCrossings(crossings), 1);
    const int poses = vision.poseCount;
    const cv::Point2f centre = vision.projectPoint(4.5f, 4.5f, 0);

    const cv::Point2f neighbour = truth.crossings[10 * 3 + 4];
    crossings.image[5][0] = neighbour.x;  // the crossing (3, 3)
    crossings.image[5][1] = neighbour.y;
    EXPECT_EQ(vision.poseFromTrackedCrossings(crossings), 0);
    EXPECT_EQ(vision.poseCount, poses);
    EXPECT_EQ(cv::norm(vision.projectPoint(4.5f, 4.5f, 0) - centre), 0);
}

// Two frames far apart: the second is not reported as tracked with a pose
// off the truth, and the search takes the grid up again right after.
TEST(TrackedPath, AJumpIsNoticedAndTheSearchFindsTheGridAgain) {
    struct Jump {
        CameraPose from, to;
    } jumps[] = {
        {{3, 10, 15}, {3, 10, 15, 1, 0}},   // one cell sideways
        {{3, 10, 15}, {20, 10, 15}},        // turned by 17 degrees
        {{6, 10, 15}, {6, 10, 15, 0.5, 0.5}},
        // The thick lines land on other thick lines or on thin ones.
        {{3, 10, 15}, {3, 10, 15, -3, 0}},     // three cells sideways
        {{3, 0, 18, 0, 1.5}, {3, 0, 18, 0, -1.5}},  // three cells up the picture
        {{3, 0, 16}, {3, 0, 12}},              // much nearer
    };
    for (const Jump& j : jumps) {
        SceneDescription scene = sceneAt(0, 0, 14);
        scene.start = j.from;
        scene.end = j.to;
        scene.frames = 2;
        enterDataFolder();
        SyntheticCamera camera;
        ASSERT_EQ(camera.open(scene), 1);
        StepRunner runner;
        int whole;
        runner.step(camera, 0, &whole);
        ASSERT_EQ(runner.c.gridFound, 1);
        const int poses = runner.vision.poseCount;
        runner.step(camera, 1, &whole);
        EXPECT_EQ(runner.c.gridFound, 0);
        EXPECT_EQ(runner.vision.poseCount, poses) << "a pose was handed on";
        const float error = runner.step(camera, 1, &whole);
        EXPECT_EQ(runner.c.gridFound, 1);
        EXPECT_LT(error, 1.5f);
    }
}

}  // namespace
