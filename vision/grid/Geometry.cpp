#include "Geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

const NamedColor kDrawingColors[kDrawingColorCount] = {
    {"red", 255, 0, 0},        {"green", 0, 255, 0},       {"blue", 0, 0, 255},
    {"yellow", 255, 255, 0},   {"magenta", 255, 0, 255},   {"cyan", 0, 255, 255},
    {"orange", 255, 128, 0},   {"palegreen", 0, 255, 128}, {"purple", 128, 0, 255},
    {"grass", 128, 255, 0},    {"azur", 0, 128, 255},      {"pink", 255, 0, 128},
    {"orange-", 128, 128, 0},  {"magenta-", 128, 0, 128},  {"cyan-", 0, 128, 128},
    {"red-", 128, 0, 0},       {"green-", 0, 128, 0},      {"blue-", 0, 0, 128},
    {"white", 255, 255, 255},  {"black", 0, 0, 0},         {"gray", 128, 128, 128},
};

namespace {

int colorIndex(int index) { return std::clamp(index, 0, kDrawingColorCount - 1); }

// Moves the node behind its successor; each node keeps its element.
template <class T>
void swapWithNextNode(ListNode<T>*& first, ListNode<T>* node) {
    ListNode<T>* second = node->next;
    node->next = second->next;
    if (second->next) second->next->previous = node;
    second->previous = node->previous;
    if (node->previous) node->previous->next = second;
    else first = second;
    second->next = node;
    node->previous = second;
}

// Repeated passes over neighbouring pairs, swapping a pair whose first element
// is strictly greater, until a pass swaps nothing: equal elements keep their order.
// A consistent order needs at most one pass per element; the cap ends sorts
// whose pairwise order is cyclic (absolute distances of vertical lines
// against signed ones of other lines).
template <class T, class Greater>
void neighbourSwapSort(ListNode<T>*& first, Greater greater) {
    int passes = 0;
    for (ListNode<T>* node = first; node; node = node->next) passes++;
    bool swapped = true;
    while (swapped && passes-- > 0) {
        swapped = false;
        for (ListNode<T>* node = first; node && node->next;) {
            if (greater(*node->item, *node->next->item)) {
                swapWithNextNode(first, node);
                swapped = true;
            } else {
                node = node->next;
            }
        }
    }
}

template <class T>
void appendNode(ListNode<T>*& first, T* item) {
    ListNode<T>* node = new ListNode<T>;
    node->item = item;
    if (!first) {
        first = node;
        return;
    }
    ListNode<T>* last = first;
    while (last->next) last = last->next;
    last->next = node;
    node->previous = last;
}

template <class T>
void destroyNodes(ListNode<T>*& first, bool destroyItems) {
    while (first) {
        ListNode<T>* next = first->next;
        if (destroyItems) delete first->item;
        delete first;
        first = next;
    }
}

// Distance used by the line sorts: absolute when the first line of the pair is vertical.
float sortDistance(const ImageLine& line, const ImageLine& firstOfPair) {
    return firstOfPair.orientation == Vertical ? std::fabs(line.distance) : line.distance;
}

}  // namespace

// PointList

void PointList::append(ImagePoint* point) {
    appendNode(first, point);
    count++;
}

void PointList::clear() {
    destroyNodes(first, owns != 0);
    count = 0;
    minSpacing = maxSpacing = meanSpacing = spacingDeviation = medianSpacing = 0;
}

void PointList::sortByRows() {
    neighbourSwapSort(first, [](const ImagePoint& a, const ImagePoint& b) {
        return a.y > b.y || (a.y == b.y && a.x > b.x);
    });
}

void PointList::sortByX() {
    neighbourSwapSort(first, [](const ImagePoint& a, const ImagePoint& b) { return a.x > b.x; });
}

void PointList::sortByY() {
    neighbourSwapSort(first, [](const ImagePoint& a, const ImagePoint& b) { return a.y > b.y; });
}

void PointList::computeSpacing() {
    if (count < 2) return;
    const int n = count - 1;
    std::vector<float> gaps(n);
    int k = 0;
    for (PointNode* node = first; node->next; node = node->next, k++)
        gaps[k] = pointDistance(node->item->x, node->item->y, node->next->item->x,
                                node->next->item->y);
    sortFloats(gaps.data(), n);
    float sum = 0, squares = 0;
    for (int i = 0; i < n; i++) {
        sum += gaps[i];
        squares += gaps[i] * gaps[i];
    }
    minSpacing = gaps[0];
    maxSpacing = gaps[n - 1];
    meanSpacing = sum / n;
    // Rounding can push the variance of equal gaps slightly below zero.
    spacingDeviation = std::sqrt(std::max(0.0f, squares / n - meanSpacing * meanSpacing));
    medianSpacing = gaps[count / 2 - 1];
}

// LineSet

void LineSet::append(ImageLine* line) {
    if (owns) line->id = count;
    appendNode(first, line);
    count++;
}

void LineSet::clear() {
    destroyNodes(first, owns != 0);
    count = 0;
    binWidth = 10;
    binCount = 18;
    lowerBound = upperBound = -1;
}

LineNode* LineSet::nodeAt(int k) const {
    if (k < 0 || k >= count) return nullptr;
    LineNode* node = first;
    for (int i = 0; node && i < k; i++) node = node->next;
    return node;
}

LineNode* LineSet::last() const {
    LineNode* node = first;
    while (node && node->next) node = node->next;
    return node;
}

void LineSet::swapWithNext(LineNode* node) {
    if (node && node->next) swapWithNextNode(first, node);
}

void LineSet::unlink(LineNode* node) {
    if (!node) return;
    if (node->previous) node->previous->next = node->next;
    else if (first == node) first = node->next;
    if (node->next) node->next->previous = node->previous;
    node->next = node->previous = nullptr;
}

void LineSet::sortByAngle() {
    neighbourSwapSort(first, [](const ImageLine& a, const ImageLine& b) {
        if (a.angle != b.angle) return a.angle > b.angle;
        return sortDistance(a, a) > sortDistance(b, a);
    });
}

void LineSet::sortByDistance() {
    neighbourSwapSort(first, [](const ImageLine& a, const ImageLine& b) {
        const float da = sortDistance(a, a), db = sortDistance(b, a);
        if (da != db) return da > db;
        return a.angle > b.angle;
    });
}

void LineSet::renumber() {
    int k = 0;
    for (LineNode* node = first; node; node = node->next) node->item->id = k++;
}

void LineSet::classifyOrientation() {
    const int w = binWidth, n = binCount;
    for (int b = 0; b < n; b++) histogram[b] = 0;
    for (LineNode* node = first; node; node = node->next) {
        // Angles outside 0..179 have no bin and are not counted.
        const int bin = truncToInt(node->item->angle / w);
        if (bin >= 0 && bin < n) histogram[bin]++;
    }
    int p1 = -1, best = 0;
    for (int b = 0; b < n; b++)
        if (histogram[b] > best) {
            best = histogram[b];
            p1 = b;
        }
    int p2 = -1;
    best = 0;
    for (int b = 0; b < n; b++)
        if ((b < p1 - 1 || b > p1 + 1) && histogram[b] > best) {
            best = histogram[b];
            p2 = b;
        }
    const int lo = std::min(p1, p2), hi = std::max(p1, p2), s = hi - lo;
    const int m1 = lo + s / 2;
    const int m2 = (hi + (n - s) / 2) % n;
    lowerBound = w * std::min(m1, m2);
    upperBound = w * std::max(m1, m2);
    for (LineNode* node = first; node; node = node->next) {
        ImageLine& line = *node->item;
        line.orientation =
            line.angle >= lowerBound && line.angle <= upperBound ? Horizontal : Vertical;
    }
}

// ImageLine

float ImageLine::collectPoints(const PointList& from, float tolerance, PointList& near) const {
    float sum = 0;
    for (PointNode* node = from.first; node; node = node->next) {
        const float e = std::fabs(distance - normalDistance(angle, node->item->x, node->item->y));
        if (e <= tolerance) {
            near.append(node->item);
            sum += e;
        }
    }
    return sum;
}

int ImageLine::fit(const PointList& from, int minimum) {
    const int kRoom = 998;
    if (from.count <= minimum) return 0;
    std::vector<cv::Point2f> xy;
    for (PointNode* node = from.first; node && (int)xy.size() < kRoom; node = node->next)
        xy.emplace_back(node->item->x, node->item->y);
    cv::Vec4f result;
    cv::fitLine(cv::Mat(1, (int)xy.size(), CV_32FC2, xy.data()), result, cv::DIST_L2, 0, 0.01,
                0.01);
    const float vx = result[0], vy = result[1];
    const int a = vx == 0 ? 90 : truncToInt(std::atan2((double)vy, (double)vx) * kRadToDeg);
    const int theta = a + 90;
    const double t = theta * kDegToRad;
    angle = (float)theta;
    distance = (float)truncToInt(truncToInt(result[2]) * std::cos(t) +
                                 truncToInt(result[3]) * std::sin(t));
    return 1;
}

// Free functions

int normalDistance(int theta, int x, int y) {
    const double t = theta * kDegToRad;
    return truncToInt(x * std::cos(t) + y * std::sin(t));
}

float normalDistance(float theta, float x, float y) {
    const double t = theta * kDegToRad;
    const float c = (float)std::cos(t), s = (float)std::sin(t);
    return x * c + y * s;
}

int xOnLine(int theta, int d, int y) {
    const double t = theta * kDegToRad;
    const double c = std::cos(t);
    if (c == 0) return kNoCoordinate;
    return truncToInt((d - y * std::sin(t)) / c);
}

int yOnLine(int theta, int d, int x) {
    const double t = theta * kDegToRad;
    const double s = std::sin(t);
    if (s == 0) return kNoCoordinate;
    return truncToInt((d - x * std::cos(t)) / s);
}

int intersectLines(int theta1, int d1, int theta2, int d2, double* x, double* y) {
    *x = -1;
    *y = -1;
    const double t1 = theta1 * kDegToRad, t2 = theta2 * kDegToRad;
    const double c1 = std::cos(t1), s1 = std::sin(t1), c2 = std::cos(t2), s2 = std::sin(t2);
    const double det = s2 * c1 - c2 * s1;
    if (det == 0) return 0;
    *x = (s2 * d1 - s1 * d2) / det;
    *y = (c1 * d2 - c2 * d1) / det;
    return 1;
}

int intersectLines(const ImageLine& a, const ImageLine& b, float* x, float* y) {
    double px, py;
    const int found = intersectLines(truncToInt(a.angle), truncToInt(a.distance),
                                     truncToInt(b.angle), truncToInt(b.distance), &px, &py);
    *x = found ? (float)px : 0;
    *y = found ? (float)py : 0;
    return found;
}

void lineThroughPoints(float x1, float y1, float x2, float y2, int* theta, int* d) {
    float a = (float)(std::atan2((double)(y2 - y1), (double)(x2 - x1)) * kRadToDeg - 90);
    while (a < 0) a += 180;
    *theta = truncToInt(a);
    const double t = *theta * kDegToRad;
    *d = truncToInt(std::cos(t) * truncToInt(x1) + std::sin(t) * truncToInt(y1));
}

float pointDistance(float x1, float y1, float x2, float y2) {
    const float dx = x2 - x1, dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

float AngleDifference(float a, float b) {
    while (b < a) {
        const float next = b + 360;
        if (next == b) break;  // too large to turn any further
        b = next;
    }
    const float delta = b - a;
    return delta > 180 ? delta - 360 : delta;
}

cv::Point2f rotatePoint(float x, float y, int theta, float tx, float ty) {
    const double t = theta * kDegToRad;
    const double c = std::cos(t), s = std::sin(t);
    return cv::Point2f((float)truncToInt(x * c - y * s + tx), (float)truncToInt(x * s + y * c + ty));
}

cv::Point2f rotateStripPoint(float x, float y, int width, int height, int theta, float tx,
                             float ty) {
    return rotatePoint(x - (width - 1) * 0.5f, y - (height - 1) * 0.5f, theta, tx, ty);
}

void lineSegment(cv::Size image, int theta, int d, cv::Point* p1, cv::Point* p2) {
    const int w = image.width, h = image.height;
    if (theta == 0 || theta == 180 || theta == -180) {
        // At 180 degrees the normal points left: the line is x = -d.
        const int x = theta == 0 ? d : -d;
        *p1 = cv::Point(x, 0);
        *p2 = cv::Point(x, h - 1);
        return;
    }
    const int columns[2] = {0, w - 1};
    cv::Point* ends[2] = {p1, p2};
    for (int i = 0; i < 2; i++) {
        int x = columns[i];
        int y = yOnLine(theta, d, x);
        if (y < 0 || y > h - 1) {
            y = std::clamp(y, 0, h - 1);
            x = xOnLine(theta, d, y);
        }
        *ends[i] = cv::Point(x, y);
    }
}

void lineSegment(cv::Size image, int theta, int d, cv::Point2f* p1, cv::Point2f* p2) {
    cv::Point a, b;
    lineSegment(image, theta, d, &a, &b);
    *p1 = cv::Point2f((float)a.x, (float)a.y);
    *p2 = cv::Point2f((float)b.x, (float)b.y);
}

cv::Point segmentMidpoint(cv::Point p1, cv::Point p2) {
    return cv::Point((p1.x - p2.x) / 2 + p2.x, (p1.y - p2.y) / 2 + p2.y);
}

int isLineVisible(const ImageLine& line, int width, int height) {
    const int theta = truncToInt(line.angle), d = truncToInt(line.distance);
    const int borders[4][2] = {{0, 0}, {0, width - 1}, {90, 0}, {90, height - 1}};
    for (int i = 0; i < 4; i++) {
        double x, y;
        if (!intersectLines(theta, d, borders[i][0], borders[i][1], &x, &y)) continue;
        if (i < 2 ? (y >= 0 && y <= height - 1) : (x >= 0 && x <= width - 1)) return 1;
    }
    return 0;
}

void sortFloats(float* values, int count) { std::sort(values, values + count); }

cv::Scalar drawingColor(int index) {
    const NamedColor& c = kDrawingColors[colorIndex(std::min(index, 20))];
    return cv::Scalar(c.blue, c.green, c.red);
}

const char* drawingColorName(int index) {
    return kDrawingColors[colorIndex(std::min(index, 20))].name;
}
