// The camera game's picture: the video behind the board, plain or pasted
// onto the grid plane.
#include "CameraStep.h"
#include "RenderFixture.h"
#include "VideoBackground.h"


#include <unistd.h>

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

    // A scene frame as the camera step hands it over, with the pose the
    // camera step finds for it (of the bottom-up grey frame).
    void handOver(double tilt, int videoWidth = 640, int videoHeight = 480, double distance = 14) {
        ASSERT_EQ(chdir(TABRELO_DATA), 0);
        SceneDescription scene;
        scene.gridNumber = 1;
        scene.start.rotation = 8;
        scene.start.tilt = tilt;
        scene.start.distance = distance;
        scene.end = scene.start;
        scene.width = videoWidth;
        scene.height = videoHeight;
        ASSERT_EQ(camera.open(scene), 1);
        FrameTruth truth;
        camera.render(0, picture, &truth);
        cv::Mat glReady;
        glReadyCopy(picture, 0, glReady);
        window->setVideoImage(glReady);
        window->setVideoWidth(videoWidth);
        window->setVideoHeight(videoHeight);

        GridVision vision;
        vision.out = nullptr;
        for (int i = 0; i < 9; i++) vision.calibration.intrinsic[i] = (float)truth.intrinsic.val[i];
        for (int i = 0; i < 4; i++) vision.calibration.distortion[i] = (float)truth.distortion[i];
        float image[100][2], model[100][3];
        for (int k = 0; k < 100; k++) {
            image[k][0] = truth.crossings[k].x;
            image[k][1] = videoHeight - 1 - truth.crossings[k].y;
            model[k][0] = (float)(k % 10);
            model[k][1] = (float)(k / 10);
            model[k][2] = 0;
        }
        ASSERT_EQ(vision.Compute3DPose(image, model, 100), 1);
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

    // A fresh window of the size with the scene frame and its pose.
    void openWithVideo(cv::Size size, double tilt, cv::Size video = cv::Size(640, 480),
                       double distance = 14) {
        if (glutWindow) glutDestroyWindow(glutWindow);
        glutWindow = 0;
        session.arMode = 1;
        open(size.width, size.height);
        handOver(tilt, video.width, video.height, distance);
    }

    void drawBackground() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawVideoBackground(*window, nullptr);
        readBack();
    }

    // Mean difference of the softened green channels of the read-back and
    // the scene picture stretched over the window, where `where` is set.
    double meanDifference(const cv::Mat& where = cv::Mat()) const {
        cv::Mat stretched, d;
        cv::resize(picture, stretched, frame.size(), 0, 0, cv::INTER_AREA);
        cv::cvtColor(stretched, stretched, cv::COLOR_BGR2RGB);
        cv::absdiff(softGreen(frame), softGreen(stretched), d);
        return cv::mean(d, where)[0];
    }
};

TEST_F(VideoBackground, PlainPictureFillsTheWindowAtAnySize) {
    for (cv::Size size : {cv::Size(640, 480), cv::Size(800, 450), cv::Size(333, 517)}) {
        openWithVideo(size, 10);
        drawBackground();
        EXPECT_LT(meanDifference(), 3.0) << size;
    }
    save("video-plain");
}

TEST_F(VideoBackground, PastedOntoTheGridPlaneLooksLikeThePicture) {
    // Window tiles of 100 x 75 pixels match the video's 80 x 60.
    for (cv::Size size : {cv::Size(640, 480), cv::Size(800, 600)}) {
        openWithVideo(size, 10);
        window->flipMode = 1;
        drawBackground();
        EXPECT_LT(meanDifference(), 3.0) << size;
    }
    save("video-reprojected");
}

}  // namespace
