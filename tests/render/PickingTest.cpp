// Picking through the depth buffer, the views and turning on a real window.
#include "RenderFixture.h"

#include <cmath>

namespace {

struct Size {
    int width, height;
};

class PickingTest : public RenderFixture, public ::testing::WithParamInterface<Size> {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        open(GetParam().width, GetParam().height);
    }

    // pick reads window row (height - y), so the row below the pixel's picks it.
    BoardPoint pickAt(double bx, double by) {
        const cv::Point p = toPixel(bx, by);
        return window->pick(p.x, p.y + 1);
    }

    void expectEveryCellPicksBack() {
        render();
        for (int r = 0; r < 9; r++) {
            for (int c = 0; c < 9; c++) {
                const BoardPoint b = pickAt(c + 0.5, 8.5 - r);
                EXPECT_EQ(8 - (int)std::floor(b.y), r) << "cell " << r << "," << c;
                EXPECT_EQ((int)std::floor(b.x), c) << "cell " << r << "," << c;
                EXPECT_NEAR(b.z, 0.0, 0.03);  // board square or digit, at the depth precision
            }
        }
    }
};

TEST_P(PickingTest, FlatViewPicksEveryCellCentre) {
    window->resetView(0);
    expectEveryCellPicksBack();
}

TEST_P(PickingTest, ObliqueViewPicksEveryCellCentre) {
    session.show_3D = 1;
    window->resetView(1);
    // The oblique view really is tilted: the board's near and far edges differ in length.
    render();
    const double nearEdge = cv::norm(toPixel(0, 0) - toPixel(9, 0));
    const double farEdge = cv::norm(toPixel(0, 9) - toPixel(9, 9));
    EXPECT_GT(std::fabs(nearEdge - farEdge), 5.0);
    expectEveryCellPicksBack();
}

TEST_P(PickingTest, PlacesBesideTheBoardFollowTheTableBounds) {
    window->resetView(0);
    session.show_overviews = 1;
    render();
    // Right of the board: table area.
    BoardPoint b = pickAt(10.5, 4.5);
    EXPECT_TRUE(board.inTableArea((int)b.y, (int)b.x));
    // Left of the board the row pane lies, outside the table area.
    b = pickAt(-1.5, 4.5);
    EXPECT_LT(b.x, -1.0);
    EXPECT_FALSE(board.inTableArea((int)b.y, (int)b.x));
    // Below the table nothing is drawn: the far plane.
    b = pickAt(4.5, -5.0);
    EXPECT_FALSE(board.inTableArea((int)b.y, (int)b.x));
    EXPECT_LT(b.z, -50);

    session.show_overviews = 0;
    render();
    b = pickAt(-1.5, 4.5);
    EXPECT_TRUE(board.inTableArea((int)b.y, (int)b.x));
    EXPECT_TRUE(board.inCornerArea((int)pickAt(-1.5, -1.5).y, (int)pickAt(-1.5, -1.5).x));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PickingTest, ::testing::Values(Size{640, 480}, Size{800, 600}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

class ViewTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        open(640, 480);
        window->resetView(0);
        render();
    }
};

TEST_F(ViewTest, FlatViewLooksStraightDownFromAboveTheBoard) {
    // The eye stands over (4, 5): the board centre lies right of and below the window centre.
    const cv::Point centre = toPixel(4.5, 4.5);
    EXPECT_GT(centre.x, 320);
    EXPECT_GT(centre.y, 240);
    const cv::Point eye = toPixel(4, 5);
    EXPECT_NEAR(eye.x, 320, 1);
    EXPECT_NEAR(eye.y, 240, 1);
    // About board y -3.5 .. 13.5 is visible at 640 x 480.
    EXPECT_NEAR(toPixel(4, 13.5).y, 0, 2);
    EXPECT_NEAR(toPixel(4, -3.5).y, 479, 2);
    EXPECT_NEAR(window->viewCamera.centerX, centre.x, 1);
}

TEST_F(ViewTest, FlatViewSeesThirtyFiveDegreesAtTheWindowsAspect) {
    // 27 * tan(17.5 degrees) = 8.513 cells from the eye's axis to the top edge,
    // 4/3 of that to the side edges; the far plane lies 100 below the eye.
    const double half = 27 * std::tan(17.5 * M_PI / 180);
    EXPECT_NEAR(toPixel(4 + half * 4 / 3, 5).x, 640, 1);
    EXPECT_NEAR(toPixel(4 - half * 4 / 3, 5).x, 0, 1);
    EXPECT_NEAR(toPixel(4, 5 + half).y, 0, 1);
    EXPECT_NEAR(window->pick(5, 5).z, 27 - 100, 0.01);
}

// Where a board point appears in the flat view, whatever view is in force.
cv::Point flatPixel(double x, double y, double z) {
    GLdouble modelView[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(-4, -5, -27);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, modelView, projection, viewport, &wx, &wy, &wz);
    return cv::Point((int)std::floor(wx), viewport[3] - 1 - (int)std::floor(wy));
}

TEST_F(ViewTest, LeftDragTurnsAboutTheBoardCentre) {
    session.show_3D = 1;
    const cv::Point centreBefore = toPixel(4.5, 4.5), cornerBefore = toPixel(0, 0);
    const int cx = (int)window->viewCamera.centerX, cyGlut = 480 - 1 - (int)window->viewCamera.centerY;
    window->turningPress(kLeftButton, kButtonDown, cx + 10, cyGlut);
    window->turningDrag(cx + 90, cyGlut);
    window->turningPress(kLeftButton, kButtonUp, cx + 90, cyGlut);
    render();
    EXPECT_LE(cv::norm(toPixel(4.5, 4.5) - centreBefore), 1.5);
    EXPECT_GT(cv::norm(toPixel(0, 0) - cornerBefore), 10);

    // From 10 to 90 pixels right of the centre the trackball point sinks from
    // acos(10/180) to acos(90/180) below the pole; the board turns by 1.5708 times
    // that about the vertical through its centre, its right side going down.
    const double turn = 1.57079632675 * (std::acos(10.0 / 180) - std::acos(90.0 / 180));
    for (const double x : {0.0, 9.0}) {
        const double ex = 4.5 + (x - 4.5) * std::cos(turn), ez = -(x - 4.5) * std::sin(turn);
        EXPECT_LE(cv::norm(toPixel(x, 0) - flatPixel(ex, 0, ez)), 2.0) << x;
    }
}

TEST_F(ViewTest, RightDragShiftsOneCellPerTwentySevenPixels) {
    session.show_3D = 1;
    const cv::Point target = toPixel(5.5, 3.5);
    const int cx = (int)window->viewCamera.centerX, cyGlut = 480 - 1 - (int)window->viewCamera.centerY;
    window->turningPress(kRightButton, kButtonDown, cx, cyGlut);
    window->turningDrag(cx + 27, cyGlut + 27);
    window->turningPress(kRightButton, kButtonUp, cx + 27, cyGlut + 27);
    render();
    EXPECT_LE(cv::norm(toPixel(4.5, 4.5) - target), 1.5);
}

TEST_F(ViewTest, RightDragFromOutsideTheCircleShiftsInDepth) {
    session.show_3D = 1;
    const double before = cv::norm(toPixel(0, 4.5) - toPixel(9, 4.5));
    const int cx = (int)window->viewCamera.centerX, cyGlut = 480 - 1 - (int)window->viewCamera.centerY;
    window->turningPress(kRightButton, kButtonDown, cx + 200, cyGlut);
    EXPECT_EQ(window->viewCamera.depthShift, 1);
    window->turningDrag(cx + 227, cyGlut + 50);  // vertical motion plays no part
    window->turningPress(kRightButton, kButtonUp, cx + 227, cyGlut + 50);
    render();
    // One cell nearer to the eye: 26 instead of 27 cells away.
    EXPECT_NEAR(cv::norm(toPixel(0, 4.5) - toPixel(9, 4.5)), before * 27 / 26, 1.5);
}

TEST_F(ViewTest, TurningGuideAroundTheBoardCentre) {
    session.show_3D = 1;
    ASSERT_EQ(window->setMouseMode(kTurningMode), 1);
    render();
    save("turning-guide");
    const auto guide = [&](int x, int y) {
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (near(frame.at<cv::Vec3b>(y + dy, x + dx), 51, 128, 178, 3)) return true;
        return false;
    };
    const int cx = (int)window->viewCamera.centerX, cy = 479 - (int)window->viewCamera.centerY;
    EXPECT_TRUE(guide(cx, cy - 100));        // the vertical cross line
    EXPECT_TRUE(guide(cx + 100, cy));        // the horizontal one
    EXPECT_TRUE(guide(cx + 180, cy));        // the circle
    EXPECT_TRUE(guide(cx, cy - 180));
    EXPECT_TRUE(guide(cx - 216, cy - 50));   // the square
    EXPECT_TRUE(guide(cx - 100, cy - 216));
    EXPECT_FALSE(guide(cx + 100, cy - 100));
    ASSERT_EQ(window->setMouseMode(kPlayMode), 1);
    render();
    EXPECT_FALSE(guide(cx, cy - 100));
}

TEST_F(ViewTest, PressOutsideTheGuideSquareEndsTurning) {
    session.show_3D = 1;
    ASSERT_EQ(window->setMouseMode(kTurningMode), 1);
    EXPECT_EQ(window->mouseMode, kTurningMode);
    const int cx = (int)window->viewCamera.centerX;
    window->turningPress(kLeftButton, kButtonDown, cx + 200, 240);
    EXPECT_EQ(window->mouseMode, kTurningMode);
    EXPECT_EQ(window->viewCamera.turning, 1);
    window->turningPress(kLeftButton, kButtonUp, cx + 200, 240);
    window->turningPress(kLeftButton, kButtonDown, cx + 217 + 200, 240);
    EXPECT_EQ(window->mouseMode, kPlayMode);
}

// Window position (y upwards) of a board point with the matrices in force.
cv::Point2d projected(double x, double y, double z) {
    GLdouble modelView[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, modelView, projection, viewport, &wx, &wy, &wz);
    return cv::Point2d(wx, wy);
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

    // The pinhole camera: rotation by Rodrigues' formula, then fx X / Z + cx, fy Y / Z + cy.
    const double angle = std::sqrt(0.09 + 0.04 + 0.01);
    const double a[3] = {rotation[0] / angle, rotation[1] / angle, rotation[2] / angle};
    const double c = std::cos(angle), s = std::sin(angle);
    const double R[3][3] = {
        {c + a[0] * a[0] * (1 - c), a[0] * a[1] * (1 - c) - a[2] * s, a[0] * a[2] * (1 - c) + a[1] * s},
        {a[1] * a[0] * (1 - c) + a[2] * s, c + a[1] * a[1] * (1 - c), a[1] * a[2] * (1 - c) - a[0] * s},
        {a[2] * a[0] * (1 - c) - a[1] * s, a[2] * a[1] * (1 - c) + a[0] * s, c + a[2] * a[2] * (1 - c)}};
    for (const cv::Point2d g : {cv::Point2d(0, 0), cv::Point2d(9, 0), cv::Point2d(0, 9), cv::Point2d(9, 9)}) {
        double cam[3];
        for (int i = 0; i < 3; i++) cam[i] = R[i][0] * g.x + R[i][1] * g.y + translation[i];
        const double u = 500 * cam[0] / cam[2] + 170, v = 520 * cam[1] / cam[2] + 110;
        const cv::Point2d w = projected(g.x, g.y, 0);
        EXPECT_NEAR(w.x, u * 2, 0.01) << g;
        EXPECT_NEAR(w.y, v * 2, 0.01) << g;
    }

    // The flipped picture is seen tilted by -10 * viewAngleY degrees about the grid's x axis.
    const cv::Point2d unflipped = projected(2, 0.5, -0.5 * std::sqrt(3.0));
    window->flipMode = 2;
    window->applyModelView();
    const cv::Point2d tilted = projected(2, 1, 0);
    window->flipMode = 0;
    EXPECT_NEAR(tilted.x, unflipped.x, 0.01);
    EXPECT_NEAR(tilted.y, unflipped.y, 0.01);
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
