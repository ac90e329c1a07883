// Tracking's measurements on drawn pictures: a grid that has not moved, lines
// turned between frames, short strips, lost grids and crossings outside.
#include "GridTracking.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

const int kPaper = 220, kInk = 30;

int gridX(int i) { return 120 + 40 * i; }
int gridY(int i) { return 60 + 40 * i; }

// The printed grid, every third line thick; `drawn` says which vertical and
// horizontal lines are there.
cv::Mat gridPicture(const bool (*drawn)[10] = nullptr) {
    cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
    for (int i = 0; i <= 9; i++) {
        const int width = i % 3 == 0 ? 3 : 1;
        if (!drawn || drawn[0][i]) cv::line(grey, {gridX(i), gridY(0)}, {gridX(i), gridY(9)}, kInk, width);
        if (!drawn || drawn[1][i]) cv::line(grey, {gridX(0), gridY(i)}, {gridX(9), gridY(i)}, kInk, width);
    }
    cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0.8);
    return grey;
}

float track(ImageLine& line, const cv::Mat& grey, const cv::Point2f* a, const cv::Point2f* b) {
    return TrackLine(line, grey, a, b, GridTunables(), TrackReport());
}

// Predicted where it was: all sixteen crossings found again; with only
// vertical lines 0 and 9 and horizontal line 3 drawn, two crossings lose it.
TEST(Tracking, AGridThatHasNotMovedIsFoundAgainAndTwoCrossingsLoseIt) {
    GridPrediction unmoved;
    for (int k = 0; k < 4; k++) {
        const int at = kTrackedLines[k];
        unmoved.vertical[k][0] = cv::Point2f(gridX(at), gridY(0));
        unmoved.vertical[k][1] = cv::Point2f(gridX(at), gridY(9));
        unmoved.horizontal[k][0] = cv::Point2f(gridX(0), gridY(at));
        unmoved.horizontal[k][1] = cv::Point2f(gridX(9), gridY(at));
    }
    GridCrossings crossings;
    ASSERT_EQ(TrackGrid(gridPicture(), unmoved, GridTunables(), crossings, TrackReport()), 1);
    ASSERT_EQ(crossings.count, 16);
    for (int k = 0; k < 16; k++) {
        EXPECT_NEAR(crossings.image[k][0], gridX((int)crossings.model[k][0]), 1.0);
        EXPECT_NEAR(crossings.image[k][1], gridY((int)crossings.model[k][1]), 1.0);
    }
    bool drawn[2][10] = {};
    drawn[0][0] = drawn[0][9] = drawn[1][3] = true;
    EXPECT_EQ(TrackGrid(gridPicture(drawn), unmoved, GridTunables(), crossings, TrackReport()), 0);
    EXPECT_EQ(crossings.count, 2);
}

// The turns go the way that keeps the strip line's distance positive: the
// strip accumulator has no cells for the other way beyond a few degrees.
TEST(Tracking, ALineTurnedByTwelveDegreesIsRefusedDespiteItsScore) {
    const cv::Point2f a(170, 240), b(470, 240);
    for (const auto& [turn, accepted] : {std::make_pair(0.0, 1), std::make_pair(-8.0, 1), std::make_pair(-12.0, 0)}) {
        cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
        const cv::Point2f along(400 * (float)std::cos(turn * CV_PI / 180), 400 * (float)std::sin(turn * CV_PI / 180));
        cv::line(grey, cv::Point2f(320, 240) - along, cv::Point2f(320, 240) + along, kInk, 3, cv::LINE_AA);
        cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0.8);
        int theta, d;
        lineThroughPoints(a.x, a.y, b.x, b.y, &theta, &d);
        ImageLine line(theta, d, 0);
        const float score = track(line, grey, &a, &b);
        SCOPED_TRACE(turn);
        EXPECT_GT(score, 0.2f);  // enough for the score test
        EXPECT_EQ(isTrackedLineAccepted((float)theta, line.angle, score), accepted) << line.angle;
        // The line now runs along the drawn one through the strip's middle.
        EXPECT_NEAR(normalDistance(line.angle, 320.0f, 240.0f), line.distance, 3.5);
    }
}

TEST(Tracking, StripScoreIsTheShareOfColumnsOnTheLine) {
    // A 200-pixel strip over a drawn stroke of the given length.
    const cv::Point2f a(220, 240), b(420, 240);
    for (int drawn : {0, 30, 50, 120}) {
        cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
        if (drawn) cv::rectangle(grey, {320 - drawn / 2, 239}, {320 + drawn / 2 - 1, 241}, kInk, cv::FILLED);
        ImageLine line(90, 240, 0);
        // The derivative reaches a column beyond each end of the stroke.
        EXPECT_NEAR(track(line, grey, &a, &b) * 200, drawn, drawn ? 3 : 0) << drawn;
        EXPECT_TRUE(drawn || (line.angle == 90 && line.distance == 240)) << "no edge: the prediction stays";
    }
}

// A segment along thin vertical line 1, moved sideways by the offset, sees
// the line near it only; lines out of reach of the picture score nothing.
TEST(Tracking, PrintedLineShareSeesTheLineNearTheSegmentOnlyAndLinesOutOfReachNothing) {
    const cv::Mat grey = gridPicture();
    for (const float offset : {0.0f, 3.0f, -3.0f, 7.0f, -8.0f, 20.0f}) {
        const float x = gridX(1) + offset;
        const float share = printedLineShare(grey, {x, (float)gridY(3)}, {x, (float)gridY(6)});
        EXPECT_EQ(share > 0.9f, std::fabs(offset) < 5) << offset;
        EXPECT_TRUE(share > 0.9f || share < 0.1f) << offset;
    }
    const cv::Point2f near1(300, 100), near2(300.5f, 101), far1(0, 0), far2(2000, 0);
    ImageLine below(90, 900, 0), shorter(63, 300, 0), longer(90, 0, 0);
    EXPECT_EQ(track(below, grey, nullptr, nullptr), 0);
    EXPECT_EQ(track(shorter, grey, &near1, &near2), 0);  // under 2 pixels
    EXPECT_EQ(track(longer, grey, &far1, &far2), 0);     // beyond the diagonal
}

TEST(Tracking, CrossingsOutsideTheFrameAreNotCounted) {
    ImageLine vertical[10], horizontal[10];
    int accepted[10] = {};
    const int across[4] = {100, 300, 500, 700}, down[4] = {100, 200, 300, -20};
    for (int k = 0; k < 4; k++) {
        vertical[kTrackedLines[k]].set(0, across[k]);
        horizontal[kTrackedLines[k]].set(90, down[k]);
        accepted[kTrackedLines[k]] = 1;
    }
    GridCrossings crossings;
    collectCrossings(horizontal, accepted, vertical, accepted, 640, 480, crossings);
    EXPECT_EQ(crossings.count, 9);
    for (int k = 0; k < crossings.count; k++) EXPECT_LT(std::max(crossings.model[k][0], crossings.model[k][1]), 9);
}

}  // namespace
