// The camera game's picture: the video behind the board, plain or pasted
// onto the grid plane, and the board drawn where the pose puts the grid.
#include "CameraStep.h"
#include "RenderFixture.h"
#include "VideoBackground.h"

#include <opencv2/calib3d.hpp>

#include <unistd.h>

#include <cstdio>

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
    FrameTruth truthPicture;

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
        truthPicture = truth;
    }

    // The window pixels where the ground-truth pose puts the board rectangle
    // (without the lens distortion, which the GL views do not model).
    cv::Mat seenArea(double x0, double y0, double x1, double y1) const {
        const double sx = (double)window->width / picture.cols, sy = (double)window->height / picture.rows;
        std::vector<cv::Point> outline;
        const double xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        for (int side = 0; side < 4; side++)
            for (int k = 0; k < 20; k++) {
                const double f = k / 20.0;
                const double x = xs[side] + (xs[(side + 1) % 4] - xs[side]) * f;
                const double y = ys[side] + (ys[(side + 1) % 4] - ys[side]) * f;
                std::vector<cv::Point2f> image;
                cv::projectPoints(std::vector<cv::Point3f>{cv::Point3f((float)x, (float)y, 0)},
                                  truthPicture.rotationVector, truthPicture.translation,
                                  truthPicture.intrinsic, cv::noArray(), image);
                const cv::Point2f p = image[0];
                outline.emplace_back((int)std::lround((p.x + 0.5) * sx - 0.5),
                                     (int)std::lround((p.y + 0.5) * sy - 0.5));
            }
        cv::Mat area = cv::Mat::zeros(window->height, window->width, CV_8U);
        cv::fillPoly(area, std::vector<std::vector<cv::Point>>{outline}, cv::Scalar(255));
        return area;
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

    void drawBackground(FILE* out = nullptr) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawVideoBackground(*window, out);
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

TEST_F(VideoBackground, FlippedViewTiltsThePlaneAndLeavesBlackWhereNothingWasSeen) {
    openWithVideo(cv::Size(640, 480), 10);
    window->flipMode = 2;
    window->viewAngleY = 0;
    drawBackground();
    EXPECT_LT(meanDifference(), 3.0);  // no tilt

    window->viewAngleY = 3;
    drawBackground();
    save("video-tilted");
    // A board point shows the picture where the untilted view puts it (the
    // GL views know no lens distortion), at the place the tilted view puts it.
    const cv::Mat shown = softGreen(frame), seen = softGreen(picture);
    int same = 0, elsewhere = 0, points = 0;
    const double cellWidth = cv::norm(camera.project(9, 4.5, 0, 0) - camera.project(0, 4.5, 0, 0)) / 9;
    for (double y = 0.5; y < 9; y += 0.5)
        for (double x = 0.5; x < 9; x += 0.5, points++) {
            window->flipMode = 1;
            window->applyModelView();
            const cv::Point untilted = toPixel(x, y);
            window->flipMode = 2;
            window->applyModelView();
            const cv::Point tilted = toPixel(x, y);
            const int difference = std::abs(shown.at<uchar>(tilted.y, tilted.x) -
                                            seen.at<uchar>(untilted.y, untilted.x));
            // A cell's width away would show other print.
            const cv::Point other(untilted.x + (int)(cellWidth / 2), untilted.y);
            same += difference < 25;
            elsewhere += std::abs(shown.at<uchar>(tilted.y, tilted.x) - seen.at<uchar>(other.y, other.x)) < 25;
        }
    // The tiles' corners sit on pixel centres, their textures reach pixel
    // edges: the print lands within a pixel or so.
    EXPECT_GT(same, points * 3 / 4);
    EXPECT_LT(elsewhere, points / 2);
    // Above the tilted plane nothing was seen.
    cv::Mat grey;
    cv::cvtColor(frame, grey, cv::COLOR_RGB2GRAY);
    EXPECT_EQ(cv::countNonZero(grey.rowRange(0, 60)), 0);
}

TEST_F(VideoBackground, TileSizesOtherThanTheVideosAreNoted) {
    const struct {
        int width;
        const char* printed;
    } cases[] = {{640, ""}, {800, "changed windowsize 100\n"}, {645, ""}};
    for (const auto& c : cases) {
        openWithVideo(cv::Size(c.width, 480), 10);
        window->flipMode = 1;
        FILE* out = std::tmpfile();
        drawBackground(out);
        std::rewind(out);
        char text[80] = "";
        if (!std::fgets(text, sizeof text, out)) text[0] = '\0';
        std::fclose(out);
        EXPECT_STREQ(text, c.printed);
    }
}

TEST_F(VideoBackground, SizesThatAreNoMultipleOfEightAreCoveredWhole) {
    openWithVideo(cv::Size(333, 250), 10, cv::Size(637, 475));
    window->flipMode = 1;
    drawBackground();
    save("video-odd-sizes");
    // The tiles reach the last column and row of the window.
    cv::Mat grey;
    cv::cvtColor(frame, grey, cv::COLOR_RGB2GRAY);
    EXPECT_GT(cv::mean(grey.colRange(grey.cols - 5, grey.cols))[0], 50);
    EXPECT_GT(cv::mean(grey.rowRange(0, 2))[0], 50);
    // Whole-pixel tiles of 41 x 31 window pixels stand for 79 x 59 video
    // pixels: the picture stays within a few pixels of its place.
    EXPECT_LT(meanDifference(), 15.0);
}

// What the board adds to the video lies where the camera saw the grid: an
// entered digit's cell, a tile's funnels in its band, the table area.
TEST_F(VideoBackground, BoardIsDrawnOnThePrintedGrid) {
    session.show_3D = 0;
    session.show_overviews = 0;
    session.show_repulsive = 0;
    board.resetCells();
    for (cv::Size size : {cv::Size(640, 480), cv::Size(900, 500)}) {
        SCOPED_TRACE(size);
        openWithVideo(size, 10, cv::Size(640, 480), 20);
        drawBackground();
        const cv::Mat video = frame.clone();
        // What a drawing adds: pixels that differ from the frame before it.
        auto added = [&](const cv::Mat& before) {
            cv::Mat d, channels[3];
            cv::absdiff(frame, before, d);
            cv::split(d, channels);
            return cv::Mat(cv::max(channels[0], cv::max(channels[1], channels[2])) > 6);
        };
        // Part of `mask` outside the area grown by 3 pixels, and the share of the
        // area shrunk by 3 pixels that the mask covers. The status texts along
        // the top and bottom edges, with their outlines, are left out.
        auto fit = [&](const cv::Mat& mask, const cv::Mat& area, double* outside, double* covered) {
            cv::Mat grown, shrunk, kernel = cv::Mat::ones(7, 7, CV_8U);
            cv::dilate(area, grown, kernel);
            cv::erode(area, shrunk, kernel);
            const cv::Range rows(38, mask.rows - 30);
            *outside = cv::countNonZero((mask & ~grown)(rows, cv::Range::all()));
            *covered = (double)cv::countNonZero(mask & shrunk) / std::max(1, cv::countNonZero(shrunk));
        };
        double outside, covered;

        render();
        const cv::Mat table = frame.clone();
        fit(added(video), seenArea(-3, -3, 12, 12), &outside, &covered);
        EXPECT_EQ(outside, 0);
        EXPECT_GT(covered, 0.99);

        ASSERT_TRUE(board.setDigit(0, 2, 4, Entered));
        render();
        save("video-digit");
        fit(added(table), seenArea(2, 8, 3, 9), &outside, &covered);
        EXPECT_EQ(outside, 0);
        EXPECT_GT(covered, 0.9);
        board.clearCell(0, 2);

        board.tiles.push_back(Tile{10.5f, 4.5f, 7, 0});
        FrameInputs hidden;
        hidden.showCameraTiles = 0;
        render(hidden);
        save("video-funnels");
        // The tile's band is rows 3..5; with no digit on the board every
        // empty cell there takes a funnel.
        fit(added(table), seenArea(0, 3, 9, 6), &outside, &covered);
        EXPECT_EQ(outside, 0);
        EXPECT_GT(covered, 0.1);
        board.tiles.clear();
    }
}

}  // namespace
