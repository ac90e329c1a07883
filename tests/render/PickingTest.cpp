// Picking through the depth buffer, turning and the camera view on a real window.
#include "RenderFixture.h"

#include <algorithm>
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
    // Until a pose is found the camera game keeps the board's own view.
    GLdouble withoutPose[16], boardView[16];
    window->applyModelView();
    glGetDoublev(GL_MODELVIEW_MATRIX, withoutPose);
    session.arMode = 0;
    window->applyModelView();
    glGetDoublev(GL_MODELVIEW_MATRIX, boardView);
    session.arMode = 1;
    EXPECT_TRUE(std::equal(withoutPose, withoutPose + 16, boardView));
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

}  // namespace
