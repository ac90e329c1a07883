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

TEST(Tracking, AGridThatHasNotMovedIsFoundAgainWithSixteenCrossings) {
    const cv::Mat grey = gridPicture();
    const GridPrediction p = unmovedPrediction();
    const GridTunables t;
    for (int k = 0; k < 4; k++)
        for (const cv::Point2f* ends : {p.vertical[k], p.horizontal[k]}) {
            int theta, d;
            lineThroughPoints(ends[0].x, ends[0].y, ends[1].x, ends[1].y, &theta, &d);
            ImageLine line(theta, d, 0);
            const float score = TrackLine(line, grey, &ends[0], &ends[1], t, TrackReport());
            EXPECT_EQ(line.angle, theta);  // af = 0
            // On an edge of the 3-pixel stroke, cut to whole pixels.
            EXPECT_NEAR(line.distance, d, 3.5);
            EXPECT_GT(score, 0.9f);
        }
    GridCrossings crossings;
    ASSERT_EQ(TrackGrid(grey, p, t, crossings, TrackReport()), 1);
    ASSERT_EQ(crossings.count, 16);
    for (int k = 0; k < 16; k++) {
        const int column = (int)crossings.model[k][0], row = (int)crossings.model[k][1];
        EXPECT_NEAR(crossings.image[k][0], gridX(column), 1.0);
        EXPECT_NEAR(crossings.image[k][1], gridY(row), 1.0);
    }
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

TEST(Tracking, StripScoreIsTheShareOfColumnsOnTheLine) {
    // A 200-pixel strip over a drawn stroke of the given length.
    const cv::Point2f a(220, 240), b(420, 240);
    for (int drawn : {0, 30, 50, 120}) {
        cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(kPaper));
        if (drawn)
            cv::rectangle(grey, {320 - drawn / 2, 239}, {320 + drawn / 2 - 1, 241}, cv::Scalar(kInk),
                          cv::FILLED);
        ImageLine line(90, 240, 0);
        const float score = TrackLine(line, grey, &a, &b, GridTunables(), TrackReport());
        SCOPED_TRACE(drawn);
        // The derivative reaches a column beyond each end of the stroke.
        EXPECT_NEAR(score * 200, drawn, drawn ? 3 : 0);
        if (drawn <= 1) {
            EXPECT_EQ(line.angle, 90);  // no edge: the prediction stays
            EXPECT_EQ(line.distance, 240);
        }
    }
    const struct {
        int kept;
        int accepted;
    } shares[] = {{50, 1}, {40, 0}, {41, 1}};
    for (const auto& s : shares)
        EXPECT_EQ(isTrackedLineAccepted(90, 90, s.kept / 200.0f), s.accepted) << s.kept;
}

// A segment along thin vertical line 1, moved sideways by the offset.
TEST(Tracking, PrintedLineShareSeesTheLineNearTheSegmentOnly) {
    const cv::Mat grey = gridPicture();
    const struct {
        float offset;
        int seen;
    } cases[] = {{0, 1}, {3, 1}, {-3, 1}, {7, 0}, {-8, 0}, {20, 0}};
    for (const auto& c : cases) {
        const float x = gridX(1) + c.offset;
        const float share = printedLineShare(grey, {x, (float)gridY(3)}, {x, (float)gridY(6)});
        SCOPED_TRACE(c.offset);
        if (c.seen) {
            EXPECT_GT(share, 0.9f);
        } else {
            EXPECT_LT(share, 0.1f);
        }
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
