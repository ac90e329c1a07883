// Picking through the depth buffer, the views and turning on a real window.
#include "RenderFixture.h"

#include <opencv2/calib3d.hpp>

#include <cmath>

namespace {

class ViewTest : public RenderFixture {
protected:
    int cx = 0, cy = 0;  // the view centre in window pixels from the top left, as glut counts

    void SetUp() override {
        RenderFixture::SetUp();
        open(640, 480);
        window->resetView(0);
        render();
        cx = (int)window->viewCamera.centerX;
        cy = 480 - 1 - (int)window->viewCamera.centerY;
    }

    // pick reads window row (height - y), so the row below the pixel's picks it.
    BoardPoint pickAt(double bx, double by) {
        const cv::Point p = toPixel(bx, by);
        return window->pick(p.x, p.y + 1);
    }
};

TEST_F(ViewTest, FlatAndObliqueViewsPickEveryCellCentre) {
    for (int in3D : {0, 1}) {
        session.show_3D = in3D;
        open(in3D ? 800 : 640, in3D ? 600 : 480);
        window->resetView(in3D);
        render();
        for (int r = 0; r < 9; r++) {
            for (int c = 0; c < 9; c++) {
                const BoardPoint b = pickAt(c + 0.5, 8.5 - r);
                EXPECT_EQ(8 - (int)std::floor(b.y), r) << in3D << " cell " << r << "," << c;
                EXPECT_EQ((int)std::floor(b.x), c) << in3D << " cell " << r << "," << c;
                EXPECT_NEAR(b.z, 0.0, 0.03);  // board square or digit, at the depth precision
            }
        }
    }
    // The oblique view really is tilted: the board's near and far edges differ in length.
    EXPECT_GT(std::fabs(cv::norm(toPixel(0, 0) - toPixel(9, 0)) - cv::norm(toPixel(0, 9) - toPixel(9, 9))), 5.0);
}

TEST_F(ViewTest, PlacesBesideTheBoardFollowTheTableBounds) {
    session.show_overviews = 1;
    render();
    BoardPoint b = pickAt(10.5, 4.5);  // right of the board: table area
    EXPECT_TRUE(board.inTableArea((int)b.y, (int)b.x));
    b = pickAt(-1.5, 4.5);  // left of it the row pane lies, outside the table area
    EXPECT_LT(b.x, -1.0);
    EXPECT_FALSE(board.inTableArea((int)b.y, (int)b.x));
    b = pickAt(4.5, -5.0);  // below the table nothing is drawn: the far plane
    EXPECT_FALSE(board.inTableArea((int)b.y, (int)b.x));
    EXPECT_LT(b.z, -50);
    session.show_overviews = 0;
    render();
    b = pickAt(-1.5, 4.5);
    EXPECT_TRUE(board.inTableArea((int)b.y, (int)b.x));
    b = pickAt(-1.5, -1.5);
    EXPECT_TRUE(board.inCornerArea((int)b.y, (int)b.x));
}

TEST_F(ViewTest, TurningGuideAndAPressOutsideIt) {
    session.show_3D = 1;
    ASSERT_EQ(window->setMouseMode(kTurningMode), 1);
    render();
    const auto guide = [&](int x, int y) {
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (near(frame.at<cv::Vec3b>(y + dy, x + dx), 51, 128, 178, 3)) return true;
        return false;
    };
    // The cross lines, the circle and the square, and nothing between.
    for (const cv::Point& p : {cv::Point(0, -100), cv::Point(100, 0), cv::Point(127, -127), cv::Point(-127, 127),
                               cv::Point(-216, -50), cv::Point(-100, -216)})
        EXPECT_TRUE(guide(cx + p.x, cy + p.y)) << p;
    EXPECT_FALSE(guide(cx + 100, cy - 100));
    window->turningPress(kLeftButton, kButtonDown, cx + 200, 240);
    window->turningPress(kLeftButton, kButtonUp, cx + 200, 240);
    EXPECT_EQ(window->mouseMode, kTurningMode);
    window->turningPress(kLeftButton, kButtonDown, cx + 217 + 200, 240);
    EXPECT_EQ(window->mouseMode, kPlayMode);
    render();
    EXPECT_FALSE(guide(cx, cy - 100));
}

TEST_F(ViewTest, CameraViewPutsTheGridWhereTheCameraSeesIt) {
    session.arMode = 1;
    const float intrinsic[9] = {500, 0, 170, 0, 520, 110, 0, 0, 1};
    const float translation[3] = {-3.5f, -4, 30}, rotation[3] = {0.3f, -0.2f, 0.1f};
    window->setVideoWidth(320);  // stretched over the 640 x 480 window
    window->setVideoHeight(240);
    window->setCalibration(intrinsic);
    window->setTranslation(translation);
    window->setRotationVector(rotation);
    window->setPoseFlag(1);
    window->setCalibrationFlag(1);
    window->applyProjection();
    window->applyModelView();
    // The pinhole camera: fx X / Z + cx, fy Y / Z + cy of the rotated, shifted point.
    cv::Matx33d R;
    cv::Rodrigues(cv::Vec3d(rotation[0], rotation[1], rotation[2]), R);
    for (const cv::Point2d g : {cv::Point2d(0, 0), cv::Point2d(9, 0), cv::Point2d(0, 9), cv::Point2d(9, 9)}) {
        const cv::Vec3d cam = R * cv::Vec3d(g.x, g.y, 0) + cv::Vec3d(translation[0], translation[1], translation[2]);
        const cv::Point p = toPixel(g.x, g.y);
        EXPECT_NEAR(p.x, 2 * (500 * cam[0] / cam[2] + 170), 1.5) << g;
        EXPECT_NEAR(479 - p.y, 2 * (520 * cam[1] / cam[2] + 110), 1.5) << g;
    }
    // The flipped picture is seen tilted by -10 * viewAngleY degrees about the grid's x axis.
    const cv::Point unflipped = toPixel(2, 0.5, -0.5 * std::sqrt(3.0));
    window->flipMode = 2;
    window->applyModelView();
    EXPECT_LE(cv::norm(toPixel(2, 1, 0) - unflipped), 1);
}

TEST_F(ViewTest, StrokeTextStopsAtItsMaxWidth) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const int shortWidth = strokeText(0, 0, "Empty cells: 51", 15, 640, 1, 1, 1);
    EXPECT_GT(shortWidth, 60);
    EXPECT_LT(shortWidth, 640);
    const int cut = strokeText(0, 0, std::string(100, 'W').c_str(), 15, 200, 1, 1, 1);
    EXPECT_GE(cut, 200);
    EXPECT_LT(cut, 220);
    // In board units the width is cut to whole units and never reaches the max width.
    EXPECT_EQ(strokeText(0, 0, "IIIIIIIIIIIIIIIIIIII", 0.5f, 1.0f, 1, 1, 1), 0);
}

}  // namespace
