#include "GridTracking.h"

#include "Hough.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const float kShortestSegment = 2.0f;
const int kEdgeRowTolerance = 5;
const float kLargestTurn = 10;
const float kLeastScore = 0.2f;
const int kFewestCrossings = 3;
const int kCornerWindow = 11;
const int kCrossingRadius = 11;
// A y derivative above this is a printed edge, not the paper's noise; a
// printed line's edges lie this many rows or fewer from where it is expected.
const int kPrintedEdge = 80;
const int kPrintedLineReach = 4;

// Grey-frame point to colour-frame pixel; far points stay far without overflowing.
cv::Point toColour(double x, double y, const TrackReport& report) {
    const double limit = 1e6;
    if (report.flipY) y = report.colour->rows - 1 - y;
    return cv::Point(truncToInt(std::max(-limit, std::min(limit, x))),
                     truncToInt(std::max(-limit, std::min(limit, y))));
}

// A line (θ, d) drawn across the image.
void drawLineAcross(cv::Mat& image, int theta, int d, const cv::Scalar& colour, int thickness) {
    cv::Point2f p1, p2;
    lineSegment(image.size(), theta, d, &p1, &p2);
    const float limit = 1e6f;
    auto clampPoint = [&](cv::Point2f p) {
        return cv::Point(truncToInt(std::max(-limit, std::min(limit, p.x))),
                         truncToInt(std::max(-limit, std::min(limit, p.y))));
    };
    cv::line(image, clampPoint(p1), clampPoint(p2), colour, thickness);
}

cv::Mat derivativeDisplay(const cv::Mat& derivative) {
    cv::Mat display;
    derivative.convertTo(display, CV_8U, 0.125, 128);
    return display;
}

// A strip of n x kTrackStripHeight pixels whose columns run from the centre
// along `direction` degrees, its middle row through the centre.
cv::Mat sampleStrip(const cv::Mat& grey, cv::Point2f centre, int n, float direction) {
    const int h = kTrackStripHeight;
    const double a = direction * kDegToRad, cosA = std::cos(a), sinA = std::sin(a);
    const double u0 = (n - 1) * 0.5, v0 = (h - 1) * 0.5;
    const cv::Matx23d toFrame(cosA, -sinA, centre.x - cosA * u0 + sinA * v0,  //
                              sinA, cosA, centre.y - sinA * u0 - cosA * v0);
    cv::Mat strip;
    cv::warpAffine(grey, strip, toFrame, cv::Size(n, h), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    return strip;
}

// Edge row of every column: the first row of the largest |dy|, -1 in a
// column without any y derivative; and that largest |dy|. The rows are
// walked one after the other, all columns side by side.
void findEdgeRows(const cv::Mat& dy, std::vector<short>& edgeRow, std::vector<short>& largest) {
    edgeRow.assign(dy.cols, -1);
    largest.assign(dy.cols, 0);
    for (int r = 0; r < dy.rows; r++) {
        const short* d = dy.ptr<short>(r);
        for (int x = 0; x < dy.cols; x++) {
            const short v = (short)std::abs(d[x]);
            const bool larger = v > largest[x];
            largest[x] = larger ? v : largest[x];
            edgeRow[x] = larger ? (short)r : edgeRow[x];
        }
    }
}

}  // namespace

float TrackLine(ImageLine& line, const cv::Mat& grey, const cv::Point2f* end1,
                const cv::Point2f* end2, const GridTunables& t, const TrackReport& report) {
    if (!isLineVisible(line, grey.cols, grey.rows)) return 0;
    cv::Point2f p1, p2;
    if (end1 && end2) {
        p1 = *end1;
        p2 = *end2;
    } else {
        lineSegment(grey.size(), truncToInt(line.angle), truncToInt(line.distance), &p1, &p2);
    }
    const float length = pointDistance(p1.x, p1.y, p2.x, p2.y);
    const int diagonal = (int)std::sqrt((double)grey.cols * grey.cols + (double)grey.rows * grey.rows);
    if (!(length >= kShortestSegment && length <= diagonal)) return 0;
    const cv::Point2f centre = p1 + (p2 - p1) * 0.5f;
    const int n = (int)length;
    const int h = kTrackStripHeight;

    // Strip columns run along the predicted line, its middle row on it.
    const float sampling = line.angle - 90;
    cv::Mat strip = sampleStrip(grey, centre, n, sampling);

    cv::Mat dx, dy, magnitude, angle;
    // Both 3 x 3 Sobel derivatives of the top-down strip in one pass.
    cv::spatialGradient(strip, dx, dy, 3, cv::BORDER_REPLICATE);
    computeGradient(dx, dy, 0, magnitude, angle, t.gradMin, t.reverseNegativeAngles);
    const int reach = (int)std::sqrt((double)n * n + h * h);
    int as = 0, ds = 0;
    const float best = windowMaximum(angle, magnitude, reach, &as, &ds);

    const bool debug = report.debugLevel >= 2;
    if (debug && report.images) {
        // The distance image and the whole accumulator only for its picture.
        cv::Mat distance;
        computeDistance(angle, distance);
        HoughSpace hough;
        hough.init(2 * reach, 360, 0);
        hough.vote(angle, magnitude, distance);
        hough.renderDisplay(best, 0);
        hough.drawDisplayAxes(cv::Scalar::all(255));
        hough.markDisplay(as, ds, cv::Scalar(0, 0, 255));
        report.images->accumulator = hough.displayImage().clone();
    }

    // A column without any y derivative has no edge row and contributes no point.
    std::vector<short> edgeRow, largest;
    findEdgeRows(dy, edgeRow, largest);
    std::vector<cv::Point2f> kept;
    const double cosS = std::cos(as * kDegToRad), sinS = std::sin(as * kDegToRad);
    for (int x = 0; x < n; x++) {
        const int row = edgeRow[x];
        if (row >= 0 && std::abs(ds - truncToInt(x * cosS + row * sinS)) < kEdgeRowTolerance)
            kept.emplace_back((float)x, (float)row);
    }

    if (kept.size() > 1) {
        cv::Vec4f fit;
        cv::fitLine(kept, fit, cv::DIST_L2, 0, 0.01, 0.01);
        const int af = fit[0] == 0 ? 90 : truncToInt(std::atan2((double)fit[1], (double)fit[0]) * kRadToDeg);
        const float newAngle = line.angle + af;
        // The fitted point goes back into the frame the way the strip was sampled.
        const cv::Point2f p = rotateStripPoint(fit[2], fit[3], n, h, truncToInt(sampling),
                                               centre.x, centre.y);
        line.angle = newAngle;
        line.distance = normalDistance(newAngle, p.x, p.y);
        if (debug && report.out) {
            std::fprintf(report.out, "curr angle %g curr distance %g\n", line.angle, line.distance);
            std::fprintf(report.out, "new angle in image %g new distance in image %g\n", line.angle,
                         line.distance);
        }
        if (debug && report.images) {
            for (const cv::Point2f& k : kept)
                cv::circle(dy, cv::Point((int)k.x, (int)k.y), 5, cv::Scalar::all(1016));
            TrackImages& images = *report.images;
            images.strip = strip;
            images.dx = derivativeDisplay(dx);
            cv::cvtColor(derivativeDisplay(dy), images.dy, cv::COLOR_GRAY2BGR);
            const int normal = af - 90;
            const double c = std::cos(normal * kDegToRad), s = std::sin(normal * kDegToRad);
            drawLineAcross(images.dy, normal,
                           truncToInt(truncToInt(fit[2]) * c + truncToInt(fit[3]) * s),
                           cv::Scalar::all(255), 4);
            drawLineAcross(images.dy, as, ds, cv::Scalar(0, 0, 255), 2);
        }
    }
    return (float)kept.size() / length;
}

float printedLineShare(const cv::Mat& grey, cv::Point2f end1, cv::Point2f end2) {
    const float length = pointDistance(end1.x, end1.y, end2.x, end2.y);
    if (!(length >= kShortestSegment && length <= std::hypot(grey.cols, grey.rows))) return 0;
    const int n = (int)length;
    const float direction = (float)(std::atan2(end2.y - end1.y, end2.x - end1.x) * kRadToDeg);
    const cv::Mat strip = sampleStrip(grey, end1 + (end2 - end1) * 0.5f, n, direction);
    cv::Mat dy;
    sobelDerivative(strip, 0, 0, 1, dy);
    std::vector<short> edgeRow, largest;
    findEdgeRows(dy, edgeRow, largest);
    const int middle = kTrackStripHeight / 2;
    int on = 0;
    for (int x = 0; x < n; x++)
        on += largest[x] > kPrintedEdge && std::abs(edgeRow[x] - middle) <= kPrintedLineReach;
    return (float)on / n;
}

int isTrackedLineAccepted(float predictedAngle, float newAngle, float score) {
    return std::fabs(AngleDifference(predictedAngle, newAngle)) < kLargestTurn &&
           score > kLeastScore;
}

void collectCrossings(const ImageLine* horizontal, const int* horizontalAccepted,
                      const ImageLine* vertical, const int* verticalAccepted, int width,
                      int height, GridCrossings& crossings) {
    crossings.count = 0;
    for (int i : kTrackedLines) {
        if (!horizontalAccepted[i]) continue;
        for (int j : kTrackedLines) {
            if (!verticalAccepted[j]) continue;
            float x, y;
            if (!intersectLines(horizontal[i], vertical[j], &x, &y)) continue;
            if (!(x >= 0 && x <= width - 1 && y >= 0 && y <= height - 1)) continue;
            const int k = crossings.count++;
            crossings.image[k][0] = x;
            crossings.image[k][1] = y;
            crossings.model[k][0] = (float)j;
            crossings.model[k][1] = (float)i;
            crossings.model[k][2] = 0;
        }
    }
}

int TrackGrid(const cv::Mat& grey, const GridPrediction& prediction, const GridTunables& t,
              GridCrossings& crossings, const TrackReport& report) {
    ImageLine vertical[10], horizontal[10];
    int verticalAccepted[10] = {}, horizontalAccepted[10] = {};
    auto track = [&](const cv::Point2f (*ends)[2], ImageLine* lines, int* accepted) {
        for (int k = 0; k < 4; k++) {
            const int i = kTrackedLines[k];
            int theta, d;
            lineThroughPoints(ends[k][0].x, ends[k][0].y, ends[k][1].x, ends[k][1].y, &theta, &d);
            lines[i].set(theta, d);
            const float score = TrackLine(lines[i], grey, &ends[k][0], &ends[k][1], t, report);
            accepted[i] = isTrackedLineAccepted((float)theta, lines[i].angle, score);
        }
    };
    track(prediction.vertical, vertical, verticalAccepted);
    track(prediction.horizontal, horizontal, horizontalAccepted);

    if (report.colour) {
        auto feedback = [&](const ImageLine* lines, const int* accepted) {
            for (int i : kTrackedLines) {
                cv::Point2f a, b;
                lineSegment(grey.size(), truncToInt(lines[i].angle), truncToInt(lines[i].distance),
                            &a, &b);
                if (accepted[i])
                    cv::line(*report.colour, toColour(a.x, a.y, report), toColour(b.x, b.y, report),
                             cv::Scalar(128, 0, 128), 1);
                else
                    cv::line(*report.colour, toColour(a.x, a.y, report), toColour(b.x, b.y, report),
                             cv::Scalar(128, 128, 0), 2);
            }
        };
        feedback(vertical, verticalAccepted);
        feedback(horizontal, horizontalAccepted);
    }

    collectCrossings(horizontal, horizontalAccepted, vertical, verticalAccepted, grey.cols,
                     grey.rows, crossings);
    auto mark = [&](const cv::Scalar& colour) {
        if (!report.colour) return;
        for (int k = 0; k < crossings.count; k++)
            cv::circle(*report.colour,
                       toColour(truncToInt(crossings.image[k][0]), truncToInt(crossings.image[k][1]),
                                report),
                       kCrossingRadius, colour, 3);
    };
    mark(cv::Scalar(0, 255, 255));
    if (crossings.count < kFewestCrossings) return 0;
    if (report.debugLevel >= 2 && report.out)
        std::fprintf(report.out, "...TrackGrid: %d gridpoints\n", crossings.count);

    std::vector<cv::Point2f> points;
    for (int k = 0; k < crossings.count; k++)
        points.emplace_back(crossings.image[k][0], crossings.image[k][1]);
    cv::cornerSubPix(grey, points, cv::Size(kCornerWindow, kCornerWindow), cv::Size(-1, -1),
                     cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10, 0.01));
    for (int k = 0; k < crossings.count; k++) {
        crossings.image[k][0] = points[k].x;
        crossings.image[k][1] = points[k].y;
    }
    mark(cv::Scalar::all(255));
    return 1;
}
