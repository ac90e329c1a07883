// Tracking's measurements on drawn pictures: lines turned between frames,
// lines out of reach, lost grids and crossings outside.
#include "GridTracking.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

const int kPaper = 220, kInk = 30;

int gridX(int i) { return 120 + 40 * i; }
int gridY(int i) { return 60 + 40 * i; }

// The printed grid: every third line thick; `drawn` says which lines are there.
cv::Mat gridPicture(const bool (*drawn)[10] = nullptr) {
    cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
    for (int i = 0; i <= 9; i++) {
        const int width = i % 3 == 0 ? 3 : 1;
        if (!drawn || drawn[0][i])
            cv::line(grey, {gridX(i), gridY(0)}, {gridX(i), gridY(9)}, cv::Scalar(kInk), width);
        if (!drawn || drawn[1][i])
            cv::line(grey, {gridX(0), gridY(i)}, {gridX(9), gridY(i)}, cv::Scalar(kInk), width);
    }
    cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0.8);
    return grey;
}

GridPrediction unmovedPrediction() {
    GridPrediction p;
    for (int k = 0; k < 4; k++) {
        const int i = kTrackedLines[k];
        p.vertical[k][0] = cv::Point2f((float)gridX(i), (float)gridY(0));
        p.vertical[k][1] = cv::Point2f((float)gridX(i), (float)gridY(9));
        p.horizontal[k][0] = cv::Point2f((float)gridX(0), (float)gridY(i));
        p.horizontal[k][1] = cv::Point2f((float)gridX(9), (float)gridY(i));
    }
    return p;
}

// The turns go the way that keeps the strip line's distance positive: the
// strip accumulator has no cells for the other way beyond a few degrees.
TEST(Tracking, ALineTurnedByTwelveDegreesIsRefusedDespiteItsScore) {
    const struct {
        double turn;
        int accepted;
    } cases[] = {{0, 1}, {-8, 1}, {-12, 0}};
    const cv::Point2f a(170, 240), b(470, 240);
    for (const auto& c : cases) {
        cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
        const double r = c.turn * CV_PI / 180;
        const cv::Point2f along(400 * (float)std::cos(r), 400 * (float)std::sin(r));
        cv::line(grey, cv::Point2f(320, 240) - along, cv::Point2f(320, 240) + along,
                 cv::Scalar(kInk), 3, cv::LINE_AA);
        cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0.8);
        int theta, d;
        lineThroughPoints(a.x, a.y, b.x, b.y, &theta, &d);
        ImageLine line(theta, d, 0);
        const float score = TrackLine(line, grey, &a, &b, GridTunables(), TrackReport());
        SCOPED_TRACE(c.turn);
        EXPECT_GT(score, 0.2f);  // enough for the score test
        EXPECT_EQ(isTrackedLineAccepted((float)theta, line.angle, score), c.accepted)
            << "new angle " << line.angle;
        // The line now runs along the drawn one through the strip's middle.
        EXPECT_NEAR(normalDistance(line.angle, 320.0f, 240.0f), line.distance, 3.5);
    }
}

TEST(Tracking, LinesOutOfReachScoreNothing) {
    const cv::Mat grey = gridPicture();
    const cv::Point2f near1(300, 100), near2(300.5f, 101), far1(0, 0), far2(2000, 0);
    struct {
        ImageLine line;
        const cv::Point2f *end1, *end2;
    } cases[] = {
        {ImageLine(90, 900, 0), nullptr, nullptr},  // below the picture
        {ImageLine(63, 300, 0), &near1, &near2},    // shorter than 2 pixels
        {ImageLine(90, 0, 0), &far1, &far2},        // longer than the diagonal
    };
    for (auto& c : cases) EXPECT_EQ(TrackLine(c.line, grey, c.end1, c.end2, GridTunables(), TrackReport()), 0);
}

TEST(Tracking, TwoCrossingsLoseTheGrid) {
    // Only vertical lines 0 and 9 and horizontal line 3 are there to be found.
    bool drawn[2][10] = {};
    drawn[0][0] = drawn[0][9] = drawn[1][3] = true;
    GridCrossings crossings;
    EXPECT_EQ(TrackGrid(gridPicture(drawn), unmovedPrediction(), GridTunables(), crossings,
                        TrackReport()),
              0);
    EXPECT_EQ(crossings.count, 2);
}

TEST(Tracking, CrossingsOutsideTheFrameAreNotCounted) {
    ImageLine vertical[10], horizontal[10];
    int accepted[10] = {};
    const int across[4] = {100, 300, 500, 700}, down[4] = {100, 200, 300, -20};
    for (int k = 0; k < 4; k++) {
        const int i = kTrackedLines[k];
        vertical[i].set(0, across[k]);
        horizontal[i].set(90, down[k]);
        accepted[i] = 1;
    }
    GridCrossings crossings;
    collectCrossings(horizontal, accepted, vertical, accepted, 640, 480, crossings);
    EXPECT_EQ(crossings.count, 9);
    for (int k = 0; k < crossings.count; k++) {
        EXPECT_LT(crossings.model[k][0], 9);
        EXPECT_LT(crossings.model[k][1], 9);
    }
}

}  // namespace
