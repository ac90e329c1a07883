#include "Hough.h"

#include "Geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct DegreeTable {
    double cosine[361], sine[361];
    DegreeTable() {
        for (int a = -180; a <= 180; a++) {
            const double t = a * kDegToRad;
            cosine[a + 180] = std::cos(t);
            sine[a + 180] = std::sin(t);
        }
    }
};

const DegreeTable& degreeTable() {
    static const DegreeTable table;
    return table;
}

// The gradient's whole degrees: atan2 in double, scaled into a float, raised
// by 180 when negative and `reverse`, truncated.
short exactDegrees(int gx, int gy, int reverse) {
    float degrees = (float)(std::atan2((double)gy, (double)gx) * kRadToDeg);
    if (reverse && degrees < 0) degrees += 180;
    return (short)degrees;
}

// Whole degrees of atan(r) for r = i / kBins .. (i + 1) / kBins: -1 where a
// bin (widened a little) comes within 1e-3 degrees of a whole degree; and
// kBins / b for every derivative size b, which turns a ratio into its bin.
struct RatioDegrees {
    static const int kBins = 2048, kLargestDerivative = 4 * 255;
    signed char whole[kBins + 1];
    float binScale[kLargestDerivative + 1];
    RatioDegrees() {
        const double margin = 1e-3;
        for (int i = 0; i <= kBins; i++) {
            const double low = std::atan((i - 0.01) / kBins) * kRadToDeg - margin;
            const double high = std::atan((i + 1.01) / kBins) * kRadToDeg + margin;
            whole[i] = low > 0 && std::floor(low) == std::floor(high) ? (signed char)low : -1;
        }
        binScale[0] = 0;
        for (int b = 1; b <= kLargestDerivative; b++) binScale[b] = (float)kBins / b;
    }
};

const RatioDegrees& ratioDegrees() {
    static const RatioDegrees table;
    return table;
}

// exactDegrees() without atan2 where it cannot differ: the angle within its
// octant comes from the table of the derivatives' ratio, and folding the
// octants shifts or mirrors whole degrees onto whole degrees (up to a few
// millionths of a degree, as kRadToDeg is rounded). Angles near a whole
// degree (the axes and 0 / 0 among them) and derivatives beyond any 8-bit
// picture's take atan2.
short gradientDegrees(const RatioDegrees& table, int gx, int gy, int reverse) {
    const int ax = std::abs(gx), ay = std::abs(gy);
    const int larger = std::max(ax, ay), smaller = std::min(ax, ay);
    if (larger > RatioDegrees::kLargestDerivative) return exactDegrees(gx, gy, reverse);
    const int inOctant = table.whole[(int)(smaller * table.binScale[larger])];
    if (inOctant < 0) return exactDegrees(gx, gy, reverse);
    int degrees = ay > ax ? 89 - inOctant : inOctant;  // 0..89, in the upper right quadrant
    if (gx < 0) degrees = 179 - degrees;
    if (gy >= 0) return (short)degrees;
    return (short)(reverse ? 179 - degrees : -degrees);
}

}  // namespace

double cosDegrees(int theta) { return degreeTable().cosine[theta + 180]; }
double sinDegrees(int theta) { return degreeTable().sine[theta + 180]; }

void sobelDerivative(const cv::Mat& grey, int origin, int xOrder, int yOrder, cv::Mat& out) {
    cv::Sobel(grey, out, CV_16S, xOrder, yOrder, 3, 1, 0, cv::BORDER_REPLICATE);
    if (origin == 1 && yOrder % 2 != 0) out *= -1;
}

void computeGradient(const cv::Mat& dx, const cv::Mat& dy, int origin, cv::Mat& magnitude,
                     cv::Mat& angle, int minimum, int reverse) {
    magnitude.create(dx.size(), CV_8U);
    angle.create(dx.size(), CV_16S);
    const int sign = origin == 1 ? -1 : 1;
    const RatioDegrees& table = ratioDegrees();
    for (int y = 0; y < dx.rows; y++) {
        const short* gxRow = dx.ptr<short>(y);
        const short* gyRow = dy.ptr<short>(y);
        unsigned char* m = magnitude.ptr<unsigned char>(y);
        short* a = angle.ptr<short>(y);
        // The magnitudes in a pass of their own, which the compiler vectorises.
        for (int x = 0; x < dx.cols; x++)
            m[x] = (unsigned char)(((std::abs(gxRow[x]) + std::abs(gyRow[x])) & 255) >> 2);
        for (int x = 0; x < dx.cols; x++)
            a[x] = m[x] > minimum ? gradientDegrees(table, gxRow[x], sign * gyRow[x], reverse) : kNoAngle;
    }
}

void computeDistance(const cv::Mat& angle, cv::Mat& distance) {
    distance.create(angle.size(), CV_16S);
    const DegreeTable& table = degreeTable();
    for (int y = 0; y < angle.rows; y++) {
        const short* a = angle.ptr<short>(y);
        short* d = distance.ptr<short>(y);
        for (int x = 0; x < angle.cols; x++) {
            if (a[x] < -180 || a[x] > 180) {
                d[x] = 0;
                continue;
            }
            const int k = a[x] + 180;
            d[x] = cv::saturate_cast<short>(
                truncToInt(x * table.cosine[k] + y * table.sine[k]));
        }
    }
}

float windowMaximum(const cv::Mat& angle, const cv::Mat& magnitude, int reach, int* bestAngle,
                    int* bestDistance) {
    const int columns = 180;
    struct Vote {
        short x, y, angle;
    };
    // The voting pixels in pixel order (every pixel is written, only the
    // voting ones are kept), then sorted by angle, each angle's still in
    // pixel order, so that every cell sums its votes in the order vote() adds them.
    const size_t pixels = (size_t)std::max(angle.rows - 4, 0) * std::max(angle.cols - 4, 0);
    std::unique_ptr<Vote[]> inOrder(new Vote[pixels + 1]);
    int count = 0;
    for (int y = 2; y < angle.rows - 2; y++) {
        const short* a = angle.ptr<short>(y);
        for (int x = 2; x < angle.cols - 2; x++) {
            inOrder[count] = {(short)x, (short)y, a[x]};
            count += (unsigned)a[x] < (unsigned)columns;
        }
    }
    std::vector<int> first(columns + 1, 0);
    for (int k = 0; k < count; k++) first[inOrder[k].angle + 1]++;
    for (int a = 0; a < columns; a++) first[a + 1] += first[a];
    std::vector<Vote> votes(count);
    std::vector<int> next(first.begin(), first.end() - 1);
    for (int k = 0; k < count; k++) votes[next[inOrder[k].angle]++] = inOrder[k];
    // One angle's distances at a time; cell (d - 1)·180 + a, the first in
    // that order winning ties, and cell 0 when nothing beats its 0.
    const DegreeTable& table = degreeTable();
    static const std::vector<float> weights = [] {
        std::vector<float> w(256);
        for (int m = 0; m < 256; m++) w[m] = m / 255.0f;
        return w;
    }();
    std::vector<float> sums(std::max(reach, 1), 0.0f);
    std::vector<int> touched;
    float best = 0;
    int bestCell = 0;
    for (int a = 0; a < columns; a++) {
        const double c = table.cosine[a + 180], s = table.sine[a + 180];
        for (int k = first[a]; k < first[a + 1]; k++) {
            const int d = cv::saturate_cast<short>(truncToInt(votes[k].x * c + votes[k].y * s));
            if (d < 1 || d > reach - 1) continue;
            if (sums[d] == 0) touched.push_back(d);
            sums[d] += weights[magnitude.at<unsigned char>(votes[k].y, votes[k].x)];
        }
        for (int d : touched) {
            const int cell = (d - 1) * columns + a;
            if (sums[d] > best || (sums[d] == best && cell < bestCell)) best = sums[d], bestCell = cell;
            sums[d] = 0;
        }
        touched.clear();
    }
    *bestAngle = bestCell % columns;
    *bestDistance = bestCell / columns + 1;
    return best;
}

void HoughSpace::init(int newRows, int newColumns, int newOrigin) {
    rows = std::max(newRows, 2);
    columns = std::max(newColumns, 1);
    origin = newOrigin;
    displayStep = 2;
    angleOffset = 180;
    distanceOffset = rows / 2;
    accumulator = cv::Mat::zeros(rows, columns, CV_32F);
    display = cv::Mat::zeros(rows / displayStep, columns, CV_8UC3);
}

void HoughSpace::vote(const cv::Mat& angle, const cv::Mat& magnitude, const cv::Mat& distance) {
    maskedVote(angle, magnitude, distance, cv::Mat());
}

void HoughSpace::maskedVote(const cv::Mat& angle, const cv::Mat& magnitude,
                            const cv::Mat& distance, const cv::Mat& mask) {
    accumulator.setTo(0);
    for (int y = 2; y < angle.rows - 2; y++) {
        const short* a = angle.ptr<short>(y);
        const short* d = distance.ptr<short>(y);
        const unsigned char* m = magnitude.ptr<unsigned char>(y);
        const unsigned char* masked = mask.empty() ? nullptr : mask.ptr<unsigned char>(y);
        for (int x = 2; x < angle.cols - 2; x++) {
            if (a[x] == kNoAngle) continue;
            const int row = d[x] + distanceOffset, column = a[x] + angleOffset;
            // Angle 180 and distances beyond the frame diagonal have no cell.
            if (row < 0 || row >= rows || column < 0 || column >= columns) continue;
            float& cell = accumulator.at<float>(row, column);
            if (masked && masked[x]) cell = -1;
            else if (cell != -1) cell += m[x] / 255.0f;
        }
    }
}

void HoughSpace::plainVote(const cv::Mat& binary) {
    accumulator.setTo(0);
    const int limit = rows / (2 * displayStep);
    for (int y = 0; y < binary.rows; y++) {
        const unsigned char* p = binary.ptr<unsigned char>(y);
        for (int x = 0; x < binary.cols; x++) {
            if (!p[x]) continue;
            for (int theta = -180; theta < 180; theta++) {
                const int d = truncToInt(x * cosDegrees(theta) + y * sinDegrees(theta));
                const int column = theta + angleOffset;
                if (d >= -limit && d <= limit && column < columns)
                    accumulator.at<float>(d + distanceOffset, column) += 1;
            }
        }
    }
}

float HoughSpace::maximum(int* angle, int* distance) const {
    if (accumulator.empty()) return -1;
    double best;
    cv::Point at;
    cv::minMaxLoc(accumulator, nullptr, &best, nullptr, &at);
    *angle = at.x - angleOffset;
    *distance = at.y - distanceOffset;
    return (float)best;
}

float HoughSpace::maximumInWindow(int angle0, int angle1, int distance0, int distance1,
                                  int* angle, int* distance) const {
    const int c0 = std::max(angle0 + angleOffset, 0);
    const int c1 = std::min(angle1 + angleOffset, columns - 1);
    const int r0 = std::max(distance0 + distanceOffset, 0);
    const int r1 = std::min(distance1 + distanceOffset, rows - 1);
    // An inverted window holds no cell either.
    if (c0 >= columns || c1 < 0 || r0 >= rows || r1 < 0 || c0 > c1 || r0 > r1) return -1;
    double best;
    cv::Point at;
    cv::minMaxLoc(accumulator(cv::Range(r0, r1 + 1), cv::Range(c0, c1 + 1)), nullptr, &best,
                  nullptr, &at);
    *angle = at.x + c0 - angleOffset;
    *distance = at.y + r0 - distanceOffset;
    return (float)best;
}

void HoughSpace::collectVotes(const cv::Mat& angle, const cv::Mat& magnitude,
                              const cv::Mat& distance, VoteList& list) const {
    list.cells.clear();
    list.weights.clear();
    list.pixels.clear();
    list.touched.clear();
    std::vector<unsigned char> isTouched((size_t)rows * columns, 0);
    for (int y = 2; y < angle.rows - 2; y++) {
        const short* a = angle.ptr<short>(y);
        const short* d = distance.ptr<short>(y);
        const unsigned char* m = magnitude.ptr<unsigned char>(y);
        for (int x = 2; x < angle.cols - 2; x++) {
            if (a[x] == kNoAngle) continue;
            const int row = d[x] + distanceOffset, column = a[x] + angleOffset;
            if (row < 0 || row >= rows || column < 0 || column >= columns) continue;
            const int cell = row * columns + column;
            list.cells.push_back(cell);
            list.weights.push_back(m[x] / 255.0f);
            list.pixels.push_back(y * angle.cols + x);
            isTouched[cell] = 1;
        }
    }
    // Most cells get no vote: they are passed over eight at a time.
    const int total = rows * columns;
    int cell = 0;
    for (; cell + 8 <= total; cell += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, &isTouched[cell], 8);
        if (!eight) continue;
        for (int k = cell; k < cell + 8; k++)
            if (isTouched[k]) list.touched.push_back(k);
    }
    for (; cell < total; cell++)
        if (isTouched[cell]) list.touched.push_back(cell);
}

void HoughSpace::vote(const VoteList& list) {
    accumulator.setTo(0);
    float* cells = accumulator.ptr<float>(0);
    for (size_t i = 0; i < list.cells.size(); i++) cells[list.cells[i]] += list.weights[i];
}

void HoughSpace::blockMasked(const VoteList& list, const cv::Mat& mask) {
    const cv::Mat flat = mask.isContinuous() ? mask : mask.clone();
    const unsigned char* masked = flat.ptr<unsigned char>(0);
    float* cells = accumulator.ptr<float>(0);
    for (size_t i = 0; i < list.cells.size(); i++)
        if (masked[list.pixels[i]]) cells[list.cells[i]] = -1;
}

float HoughSpace::maximum(const VoteList& list, int* angle, int* distance) const {
    if (accumulator.empty()) return -1;
    const float* cells = accumulator.ptr<float>(0);
    float best = 0;
    int bestCell = -1;
    for (int cell : list.touched)
        if (bestCell < 0 || cells[cell] > best) {
            best = cells[cell];
            bestCell = cell;
        }
    const int total = rows * columns;
    if ((int)list.touched.size() < total && (bestCell < 0 || best <= 0)) {
        // Cells nobody voted for hold 0: the first of them may come first or win.
        int firstUntouched = 0;
        for (int cell : list.touched) {
            if (cell != firstUntouched) break;
            firstUntouched++;
        }
        if (bestCell < 0 || best < 0 || firstUntouched < bestCell) {
            best = 0;
            bestCell = firstUntouched;
        }
    }
    *angle = bestCell % columns - angleOffset;
    *distance = bestCell / columns - distanceOffset;
    return best;
}

cv::Vec3b colorRamp(float v, float min, float max, float scale, float offset) {
    cv::Vec3b c(0, 0, 0);
    if (v < min || v > max) return c;
    if (scale != 1) v *= scale;
    if (offset != 0) v += offset;
    if (v >= 128) {
        c[1] = cv::saturate_cast<unsigned char>(truncToInt(255 - 2 * (v - 128)));
        c[2] = cv::saturate_cast<unsigned char>(truncToInt(2 * (v - 128)));
    } else {
        c[0] = cv::saturate_cast<unsigned char>(truncToInt(255 - 2 * v));
        c[1] = cv::saturate_cast<unsigned char>(truncToInt(2 * v));
    }
    return c;
}

void HoughSpace::renderDisplay(float scaleReference, int threshold) {
    display.create(rows / displayStep, columns, CV_8UC3);
    const int k = truncToInt(256 / scaleReference);
    // The ramp's colour of every value it shows, once; beyond 0..255 it is black.
    static const std::vector<cv::Vec3b> ramp = [] {
        std::vector<cv::Vec3b> table(256);
        for (int q = 0; q < 256; q++) table[q] = colorRamp((float)q, 0, 255, 1, 0);
        return table;
    }();
    for (int r = 0; r < display.rows; r++) {
        const float* cells = accumulator.ptr<float>(r * displayStep);
        cv::Vec3b* out = display.ptr<cv::Vec3b>(r);
        for (int c = 0; c < columns; c++) {
            // Most cells got no vote; their 0 scales to 0.
            if (cells[c] == 0 && threshold >= 0) {
                out[c] = cv::Vec3b(0, 0, 0);
                continue;
            }
            const int q = truncToInt(k * cells[c]);
            if (q <= threshold)
                out[c] = cells[c] == -1 ? cv::Vec3b(255, 255, 255) : cv::Vec3b(0, 0, 0);
            else
                out[c] = q >= 0 && q <= 255 ? ramp[q] : cv::Vec3b(0, 0, 0);
        }
    }
}

void HoughSpace::drawDisplayAxes(cv::Scalar color) {
    const int zeroRow = distanceOffset / displayStep;
    cv::line(display, cv::Point(0, zeroRow), cv::Point(columns - 1, zeroRow), color, 1);
    cv::line(display, cv::Point(angleOffset, 0), cv::Point(angleOffset, display.rows - 1),
             color, 1);
}

void HoughSpace::markDisplay(int angle, int distance, cv::Scalar color) {
    const cv::Point centre(angle + angleOffset, (distance + distanceOffset) / displayStep);
    cv::circle(display, centre, 7, cv::Scalar(255, 255, 255), 4);
    cv::circle(display, centre, 5, color, 3);
}

void MarkLineBand(const cv::Mat& angle, const cv::Mat& distance, cv::Mat& mask, int value,
                  int theta, int angleTol, int d, int distanceTol, int halfWidth) {
    const int width = angle.cols, height = angle.rows;
    cv::Point p1, p2;
    lineSegment(angle.size(), theta, d, &p1, &p2);
    const long long w = halfWidth;
    const int y0 = (int)std::max(std::min(p1.y, p2.y) - w, 0LL);
    const int y1 = (int)std::min(std::max(p1.y, p2.y) + w, (long long)height - 1);
    const int x0 = (int)std::max(std::min(p1.x, p2.x) - w, 0LL);
    const int x1 = (int)std::min(std::max(p1.x, p2.x) + w, (long long)width - 1);
    auto test = [&](int y, int from, int to) {
        const short* a = angle.ptr<short>(y);
        const short* dist = distance.ptr<short>(y);
        unsigned char* m = mask.ptr<unsigned char>(y);
        for (int x = from; x < to; x++)
            if (std::abs(a[x] - theta) <= angleTol && std::abs(dist[x] - d) <= distanceTol)
                m[x] = (unsigned char)value;
    };
    // A line at 180 degrees is vertical as well; the strip width below would
    // come from a row far outside any image.
    if (theta == 0 || theta == 90 || theta == 180 || theta == -180) {
        for (int y = y0; y < y1; y++) test(y, x0, x1);
        return;
    }
    const int ym = yOnLine(theta, d, width / 2);
    const long long xs = xOnLine(theta, d - halfWidth, ym);
    const long long h = std::llabs(width / 2 - xs);
    for (int y = y0; y < y1; y++) {
        const long long xl = xOnLine(theta, d, y);
        test(y, (int)std::clamp(xl - h, 0LL, (long long)width),
             (int)std::clamp(xl + h, 0LL, (long long)width));
    }
}

void distanceDisplay(const cv::Mat& distance, cv::Mat& out, int offset, int divisor) {
    out.create(distance.size(), CV_8U);
    if (divisor == 0) divisor = 1;
    for (int y = 0; y < distance.rows; y++) {
        const short* d = distance.ptr<short>(y);
        unsigned char* o = out.ptr<unsigned char>(y);
        for (int x = 0; x < distance.cols; x++) o[x] = (unsigned char)((d[x] + offset) / divisor);
    }
}

void angleDisplay(const cv::Mat& angle, cv::Mat& out) {
    // Every angle's colour once; angles beyond -180..180 are black.
    static const std::vector<cv::Vec3b> colours = [] {
        std::vector<cv::Vec3b> table(361);
        for (int a = -180; a <= 180; a++) table[a + 180] = colorRamp(a, -180, 180, 256.0f / 360, 180);
        return table;
    }();
    out.create(angle.size(), CV_8UC3);
    for (int y = 0; y < angle.rows; y++) {
        const short* a = angle.ptr<short>(y);
        cv::Vec3b* o = out.ptr<cv::Vec3b>(y);
        for (int x = 0; x < angle.cols; x++)
            o[x] = a[x] < -180 || a[x] > 180 ? cv::Vec3b(0, 0, 0) : colours[a[x] + 180];
    }
}

void drawImageLine(cv::Mat& image, int theta, int d) {
    const cv::Scalar white = cv::Scalar::all(255);
    if (theta == 0 || theta == 180 || theta == -180) {
        const int x = theta == 0 ? d : -d;
        cv::line(image, cv::Point(x, 0), cv::Point(x, image.rows), white, 1, cv::LINE_8);
        return;
    }
    // Far-away end points are clipped by the drawing itself.
    const int w = image.cols;
    cv::line(image, cv::Point(0, std::clamp(yOnLine(theta, d, 0), -1000000, 1000000)),
             cv::Point(w - 1, std::clamp(yOnLine(theta, d, w - 1), -1000000, 1000000)), white, 1,
             cv::LINE_8);
}
