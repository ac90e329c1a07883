// The camera game's picture behind the board: the video, plain or pasted
// onto the grid plane.
#include "../vision/camera/SceneTest.h"
#include "RenderFixture.h"
#include "VideoBackground.h"

namespace {

// Blurred, so that a pixel's neighbourhood counts rather than the pixel.
cv::Mat softGreen(const cv::Mat& image) {
    cv::Mat channels[3], soft;
    cv::split(image, channels);
    cv::GaussianBlur(channels[1], soft, cv::Size(7, 7), 2);
    return soft;
}

class VideoBackground : public RenderFixture {
protected:
    cv::Mat picture;  // the scene frame, BGR, top row first
    SyntheticCamera camera;
    FrameTruth truth;

    // A fresh window of the size with a scene frame as the camera step hands
    // it over, and the pose the camera step finds for it (of the bottom-up grey frame).
    void openWithVideo(cv::Size size, double tilt, cv::Size video = cv::Size(640, 480), double distance = 14) {
        session.arMode = 1;
        open(size.width, size.height);
        enterDataFolder();
        SceneDescription scene = sceneAt(8, tilt, distance);
        scene.width = video.width;
        scene.height = video.height;
        ASSERT_EQ(camera.open(scene), 1);
        camera.render(0, picture, &truth);
        cv::Mat glReady;
        glReadyCopy(picture, 0, glReady);
        window->setVideoImage(glReady);
        window->setVideoWidth(video.width);
        window->setVideoHeight(video.height);
        GridVision vision;
        vision.out = nullptr;
        for (int i = 0; i < 9; i++) vision.calibration.intrinsic[i] = (float)truth.intrinsic.val[i];
        for (int i = 0; i < 4; i++) vision.calibration.distortion[i] = (float)truth.distortion[i];
        ASSERT_EQ(poseFromTruth(vision, truth, video.height), 1);
        const PoseHandOver pose = vision.handOver();
        window->setCalibration(pose.intrinsic);
        window->setDistortion(pose.distortion);
        window->setTranslation(pose.translation);
        window->setRotationVector(pose.rotationVector);
        window->setRotationMatrix(pose.rotationMatrix);
        window->setPoseFlag(1);
        window->setCalibrationFlag(1);
        window->applyProjection();
    }

    void drawBackground() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawVideoBackground(*window, nullptr);
        readBack();
    }
};

// Plain, the picture fills the window at any size; pasted onto the grid
// plane, in window tiles matching the video's or not, it looks the same;
// sizes that are no multiple of eight are covered to the last column and row.
TEST_F(VideoBackground, PictureFillsTheWindowPlainOrPasted) {
    const struct {
        cv::Size window, video;
        int flipMode;
        double tolerance;
    } kCases[] = {{{640, 480}, {640, 480}, 0, 3.0}, {{800, 450}, {640, 480}, 0, 3.0},
                  {{333, 517}, {640, 480}, 0, 3.0}, {{640, 480}, {640, 480}, 1, 3.0},
                  {{800, 600}, {640, 480}, 1, 3.0}, {{333, 250}, {637, 475}, 1, 15.0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.window);
        openWithVideo(c.window, 10, c.video);
        window->flipMode = c.flipMode;
        drawBackground();
        // The softened green channels of the read-back and of the picture stretched over the window.
        cv::Mat stretched, d;
        cv::resize(picture, stretched, frame.size(), 0, 0, cv::INTER_AREA);
        cv::cvtColor(stretched, stretched, cv::COLOR_BGR2RGB);
        cv::absdiff(softGreen(frame), softGreen(stretched), d);
        EXPECT_LT(cv::mean(d)[0], c.tolerance);
        const cv::Mat g = grey(frame);
        EXPECT_GT(cv::mean(g.colRange(g.cols - 5, g.cols))[0], 50);
        EXPECT_GT(cv::mean(g.rowRange(0, 2))[0], 50);
    }
    // Tilted, the flipped view leaves black where nothing was seen.
    window->viewAngleY = 3;
    window->flipMode = 2;
    drawBackground();
    EXPECT_EQ(cv::countNonZero(grey(frame).rowRange(0, 60)), 0);
}

}  // namespace
