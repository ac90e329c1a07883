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
                float degrees = (float)(std::atan2((double)(r - reach), (double)(c - reach)) * kRadToDeg);
                if (reverse && degrees < 0) degrees += 180;
                ASSERT_EQ(a.at<short>(r, c), (short)degrees) << c - reach << ", " << r - reach << ", " << reverse;
            }
    }
}

// Pixels of a 40 x 40 picture, each voting for the line (angle, distance).
class Accumulator : public ::testing::Test {
protected:
    HoughSpace space;
    cv::Mat angle = cv::Mat(40, 40, CV_16S, cv::Scalar(kNoAngle));
    cv::Mat magnitude = cv::Mat(40, 40, CV_8U, cv::Scalar(51));
    cv::Mat distance = cv::Mat(40, 40, CV_16S, cv::Scalar(0));
    int a = 7, d = 8;
    void SetUp() override { space.init(2 * 56, 360, 0); }
    void set(int x, int y, int theta, int r) {
        angle.at<short>(y, x) = (short)theta;
        distance.at<short>(y, x) = (short)r;
    }
    float cell(int theta, int r) const { return space.accumulator.at<float>(r + 56, theta + 180); }
};

TEST_F(Accumulator, VotesOnePerPixelInsideTheBorderTheFirstMaximumWinsWindowsClamp) {
    set(5, 5, 30, 10);
    set(6, 9, 30, 10);
    set(1, 5, 30, 10);    // in the two-pixel border: no vote
    set(7, 7, 180, 10);   // no column for 180
    set(8, 8, 20, 300);   // beyond the distance range
    set(9, 9, 100, 20);   // ties with the next, later in row order
    set(10, 10, 10, 20);
    space.vote(angle, magnitude, distance);
    EXPECT_FLOAT_EQ(cell(30, 10), 0.4f);
    EXPECT_FLOAT_EQ(cv::sum(space.accumulator)[0], 0.8f);
    EXPECT_FLOAT_EQ(space.maximum(&a, &d), 0.4f);
    EXPECT_EQ(a * 1000 + d, 30010);
    space.accumulator.at<float>(10 + 56, 30 + 180) = 0;  // the strongest line gone
    space.maximum(&a, &d);
    EXPECT_EQ(a * 1000 + d, 10020);
    // Windows reaching beyond the space are clamped on either side; those
    // wholly outside it, and an empty space, find nothing and leave a and d.
    EXPECT_FLOAT_EQ(space.maximumInWindow(50, 500, 15, 500, &a, &d), 0.2f);
    EXPECT_EQ(a * 1000 + d, 100020);
    EXPECT_FLOAT_EQ(space.maximumInWindow(-500, 50, -500, 20, &a, &d), 0.2f);
    EXPECT_EQ(a * 1000 + d, 10020);
    a = 7, d = 8;
    // Left of, right of, below and above the space.
    const int outside[][4] = {{-400, -181, 0, 10}, {180, 300, 0, 10}, {0, 10, 56, 80}, {0, 10, -90, -57}};
    for (const auto& w : outside) EXPECT_EQ(space.maximumInWindow(w[0], w[1], w[2], w[3], &a, &d), -1);
    EXPECT_EQ(a * 1000 + d, 7008);
    HoughSpace empty;
    VoteList none;
    EXPECT_EQ(empty.maximum(&a, &d), -1);
    EXPECT_EQ(empty.maximum(none, &a, &d), -1);
    EXPECT_EQ(empty.maximumInWindow(-180, 179, -10, 10, &a, &d), -1);
    EXPECT_EQ(a * 1000 + d, 7008);
}

TEST_F(Accumulator, MaskedPixelsBlockTheirCellsWhateverTheOrder) {
    cv::Mat mask(40, 40, CV_8U, cv::Scalar(0));
    set(5, 5, 30, 10);    // unmasked, votes first
    set(20, 20, 30, 10);  // masked, later
    set(10, 10, 40, -3);  // masked, earlier
    set(30, 30, 40, -3);  // unmasked, later
    set(15, 15, 50, 0);
    mask.at<unsigned char>(20, 20) = 255;
    mask.at<unsigned char>(10, 10) = 1;
    space.maskedVote(angle, magnitude, distance, mask);
    EXPECT_EQ(cell(30, 10), -1);
    EXPECT_EQ(cell(40, -3), -1);
    EXPECT_FLOAT_EQ(space.maximum(&a, &d), 0.2f);
    EXPECT_EQ(a * 1000 + d, 50000);
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

}  // namespace
