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

TEST_F(ViewTest, PressOutsideTheGuideSquareEndsTurningAndCountsIt) {
    session.show_3D = 1;
    ASSERT_EQ(window->setMouseMode(0), 1);
    EXPECT_EQ(window->mouseMode, 0);
    const int cx = (int)window->viewCamera.centerX;
    window->turningPress(kLeftButton, kButtonDown, cx + 200, 240);
    EXPECT_EQ(window->mouseMode, 0);
    EXPECT_EQ(window->viewCamera.turning, 1);
    window->turningPress(kLeftButton, kButtonUp, cx + 200, 240);
    window->turningPress(kLeftButton, kButtonDown, cx + 217 + 200, 240);
    EXPECT_EQ(window->mouseMode, 1);
    EXPECT_EQ(window->viewCamera.turningCount, 1);
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
