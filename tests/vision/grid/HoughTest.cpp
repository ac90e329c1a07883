#include "Geometry.h"
#include "Hough.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

// Every derivative pair a 3 x 3 Sobel gives on 8-bit pictures, against
// atan2 itself: the angle's fast path must not move a single degree.
TEST(Gradient, EveryDerivativePairAsAtan2GivesIt) {
    const int reach = 4 * 255, side = 2 * reach + 1;
    cv::Mat dx(side, side, CV_16S), dy(side, side, CV_16S);
    for (int r = 0; r < side; r++)
        for (int c = 0; c < side; c++) {
            dx.at<short>(r, c) = (short)(c - reach);
            dy.at<short>(r, c) = (short)(r - reach);
        }
    for (int reverse = 0; reverse < 2; reverse++) {
        cv::Mat m, a;
        computeGradient(dx, dy, 0, m, a, -1, reverse);
        for (int r = 0; r < side; r++)
            for (int c = 0; c < side; c++) {
                const int gx = c - reach, gy = r - reach;
                float degrees = (float)(std::atan2((double)gy, (double)gx) * kRadToDeg);
                if (reverse && degrees < 0) degrees += 180;
                ASSERT_EQ(a.at<short>(r, c), (short)degrees) << gx << ", " << gy << ", " << reverse;
            }
    }
}

class Accumulator : public ::testing::Test {
protected:
    HoughSpace space;
    cv::Mat angle = cv::Mat(40, 40, CV_16S, cv::Scalar(kNoAngle));
    cv::Mat magnitude = cv::Mat(40, 40, CV_8U, cv::Scalar(51));
    cv::Mat distance = cv::Mat(40, 40, CV_16S, cv::Scalar(0));
    cv::Mat mask = cv::Mat(40, 40, CV_8U, cv::Scalar(0));
    void SetUp() override { space.init(2 * 56, 360, 0); }
    void set(int x, int y, int a, int d) {
        angle.at<short>(y, x) = (short)a;
        distance.at<short>(y, x) = (short)d;
    }
    float cell(int a, int d) const { return space.accumulator.at<float>(d + 56, a + 180); }
};

TEST_F(Accumulator, VotesOnePerPixelInsideTheBorder) {
    EXPECT_EQ(space.rows, 112);
    EXPECT_EQ(space.distanceOffset, 56);
    EXPECT_EQ(space.display.rows, 56);
    set(5, 5, 30, 10);
    set(6, 9, 30, 10);
    set(1, 5, 30, 10);   // in the two-pixel border: no vote
    set(7, 7, 180, 10);  // no column for 180
    set(8, 8, 20, 300);  // beyond the distance range
    space.vote(angle, magnitude, distance);
    EXPECT_FLOAT_EQ(cell(30, 10), 0.4f);
    EXPECT_FLOAT_EQ(cv::sum(space.accumulator)[0], 0.4f);
    int a = 0, d = 0;
    EXPECT_FLOAT_EQ(space.maximum(&a, &d), 0.4f);
    EXPECT_EQ(a, 30);
    EXPECT_EQ(d, 10);
}

TEST_F(Accumulator, MaskedPixelsBlockTheirCellsWhateverTheOrder) {
    set(5, 5, 30, 10);   // unmasked, votes first
    set(20, 20, 30, 10); // masked, later
    set(10, 10, 40, -3); // masked, earlier
    set(30, 30, 40, -3); // unmasked, later
    set(15, 15, 50, 0);
    mask.at<unsigned char>(20, 20) = 255;
    mask.at<unsigned char>(10, 10) = 1;
    space.maskedVote(angle, magnitude, distance, mask);
    EXPECT_EQ(cell(30, 10), -1);
    EXPECT_EQ(cell(40, -3), -1);
    EXPECT_FLOAT_EQ(cell(50, 0), 0.2f);
    int a, d;
    EXPECT_FLOAT_EQ(space.maximum(&a, &d), 0.2f);
    EXPECT_EQ(a, 50);
}

TEST_F(Accumulator, MaximumTakesFirstCellInRowOrder) {
    set(5, 5, 100, 20);
    set(6, 6, 10, 20);
    set(7, 7, 50, 21);
    space.vote(angle, magnitude, distance);
    int a, d;
    space.maximum(&a, &d);
    EXPECT_EQ(a, 10);
    EXPECT_EQ(d, 20);
}

TEST_F(Accumulator, WindowClampsAndMissesOutside) {
    set(5, 5, 100, 20);
    set(6, 6, 10, -20);
    space.vote(angle, magnitude, distance);
    int a = 7, d = 8;
    EXPECT_FLOAT_EQ(space.maximumInWindow(0, 179, 0, 100, &a, &d), 0.2f);
    EXPECT_EQ(a, 100);
    EXPECT_EQ(d, 20);
    EXPECT_FLOAT_EQ(space.maximumInWindow(-500, 50, -500, 0, &a, &d), 0.2f);
    EXPECT_EQ(a, 10);
    EXPECT_EQ(d, -20);
    a = 7, d = 8;
    EXPECT_EQ(space.maximumInWindow(-400, -181, 0, 10, &a, &d), -1);  // left of the space
    EXPECT_EQ(space.maximumInWindow(180, 300, 0, 10, &a, &d), -1);    // right of it
    EXPECT_EQ(space.maximumInWindow(0, 10, 56, 80, &a, &d), -1);      // below it
    EXPECT_EQ(space.maximumInWindow(0, 10, -90, -57, &a, &d), -1);    // above it
    EXPECT_EQ(a, 7);
    EXPECT_EQ(d, 8);
}

// Strips of noise, a flat one (no votes) and a bright square whose left and
// top edges tie (the top one, at the larger angle, comes first in row
// order): the same cell and sum as a full accumulator's window.
TEST(WindowMaximum, AsTheFullAccumulatorsWindowFindsIt) {
    cv::RNG rng(7);
    for (int k = 0; k < 12; k++) {
        cv::Mat grey(25, 30 + 40 * k, CV_8U, cv::Scalar(90));
        if (k == 1) grey(cv::Rect(10, 6, 8, 8)).setTo(140);
        if (k > 1) {
            rng.fill(grey, cv::RNG::UNIFORM, 0, 256);
            cv::GaussianBlur(grey, grey, cv::Size(7, 7), k % 3 + 0.5);
        }
        cv::Mat dx, dy, m, a, d;
        sobelDerivative(grey, 0, 1, 0, dx);
        sobelDerivative(grey, 0, 0, 1, dy);
        computeGradient(dx, dy, 0, m, a, 20, 1);
        computeDistance(a, d);
        const int reach = (int)std::sqrt(grey.cols * grey.cols + 625.0);
        HoughSpace space;
        space.init(2 * reach, 360, 0);
        space.vote(a, m, d);
        int fullAngle, fullDistance, angle, distance;
        const float full = space.maximumInWindow(0, 179, 1, reach - 1, &fullAngle, &fullDistance);
        SCOPED_TRACE(k);
        EXPECT_EQ(windowMaximum(a, m, reach, &angle, &distance), full);
        EXPECT_EQ(angle, fullAngle);
        EXPECT_EQ(distance, fullDistance);
    }
}

TEST(EmptyAccumulator, HasNoMaximum) {
    HoughSpace space;
    VoteList none;
    int a = 3, d = 4;
    EXPECT_EQ(space.maximum(&a, &d), -1);
    EXPECT_EQ(space.maximum(none, &a, &d), -1);
    EXPECT_EQ(space.maximumInWindow(-180, 179, -10, 10, &a, &d), -1);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(d, 4);
}

TEST(MarkLineBand, ObliqueLineTestsAStripPerRow) {
    const int theta = 45, d = 300;
    cv::Mat angle(480, 640, CV_16S, cv::Scalar(theta));
    cv::Mat distance(480, 640, CV_16S);
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) distance.at<short>(y, x) = (short)normalDistance(theta, x, y);
    cv::Mat mask(480, 640, CV_8U, cv::Scalar(0));
    MarkLineBand(angle, distance, mask, 255, theta, 60, d, 400, 5);
    // h = |320 - x of the parallel at d - 5 on the line's row at x = 320|, about 7 pixels.
    for (int y = 50; y < 300; y += 50) {
        const int xl = xOnLine(theta, d, y);
        EXPECT_EQ(mask.at<unsigned char>(y, xl), 255) << y;
        EXPECT_EQ(mask.at<unsigned char>(y, xl + 6), 255) << y;
        EXPECT_EQ(mask.at<unsigned char>(y, xl + 9), 0) << y;
        EXPECT_EQ(mask.at<unsigned char>(y, xl - 9), 0) << y;
    }
}

}  // namespace
