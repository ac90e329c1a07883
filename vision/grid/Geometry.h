// Lines in normal form (x·cos θ + y·sin θ = d, θ in whole degrees), corner
// points, the linked lists that tie them together and the small geometric
// functions of the grid finder. Nothing here touches a camera or a window.
#pragma once

#include <opencv2/core.hpp>

#include <climits>

const double kDegToRad = 0.017453293;
// Computed angles in degrees are kept in floats: the product in double lands
// a hair beyond a multiple of 90 degrees, and the float holds it whole.
const double kRadToDeg = 57.29578;
// Returned by xOnLine / yOnLine when the divisor is exactly 0.
const int kNoCoordinate = 2147483647;

struct ImagePoint;
struct ImageLine;

template <class T>
struct ListNode {
    T* item = nullptr;
    ListNode* next = nullptr;
    ListNode* previous = nullptr;
};
using PointNode = ListNode<ImagePoint>;
using LineNode = ListNode<ImageLine>;

struct PointList {
    PointNode* first = nullptr;
    int count = 0;
    int owns = 0;  // when set, clear() destroys the points
    // Spacing of consecutive points, set by computeSpacing().
    float minSpacing = 0, maxSpacing = 0, meanSpacing = 0, spacingDeviation = 0,
          medianSpacing = 0;

    explicit PointList(int owns = 0) : owns(owns) {}
    ~PointList() { clear(); }
    PointList(const PointList&) = delete;
    PointList& operator=(const PointList&) = delete;

    void append(ImagePoint* point);
    void clear();
    void sortByRows();  // y, then x
    void sortByX();
    void sortByY();
    // Needs at least two points; a shorter list leaves the statistics as they are.
    void computeSpacing();
};

struct LineSet {
    LineNode* first = nullptr;
    int count = 0;
    int owns = 0;  // when set, clear() destroys the lines and append() numbers them
    int binWidth = 10;
    int binCount = 18;
    int histogram[360] = {};
    int lowerBound = -1, upperBound = -1;  // degrees, set by classifyOrientation()

    explicit LineSet(int owns = 0) : owns(owns) {}
    ~LineSet() { clear(); }
    LineSet(const LineSet&) = delete;
    LineSet& operator=(const LineSet&) = delete;

    void append(ImageLine* line);
    void clear();
    LineNode* nodeAt(int k) const;  // nullptr when k is not below count
    LineNode* last() const;
    // Exchanges the node with its successor in the list.
    void swapWithNext(LineNode* node);
    // Joins the node's neighbours; the node is not destroyed and the caller
    // lowers count.
    void unlink(LineNode* node);
    void sortByAngle();
    void sortByDistance();
    void renumber();
    void classifyOrientation();
};

struct ImagePoint {
    int id = -1;
    float x = -1, y = -1;
    int valid = 1;
    LineSet lines;  // lines passing within 3 pixels; not owned

    ImagePoint() = default;
    ImagePoint(float x, float y, int id) : id(id), x(x), y(y) {}
};

enum LineOrientation { Unclassified = 0, Horizontal = 1, Vertical = 2 };

struct ImageLine {
    int id = -1;
    float angle = 0;
    float distance = -1;
    int valid = 1;
    int orientation = Unclassified;
    PointList points;        // corner points near the line; not owned
    PointList crossings;     // corner points where a clearly different line meets it
    LineSet crossingLines;   // the lines met at those points
    int index = -1;
    float strength = 0;

    ImageLine() = default;
    ImageLine(int angle, int distance, int id) : id(id), angle(angle), distance(distance) {}
    ImageLine(float angle, float distance, int id) : id(id), angle(angle), distance(distance) {}
    ImageLine(const ImageLine&) = delete;
    ImageLine& operator=(const ImageLine&) = delete;

    void set(int newAngle, int newDistance) {
        angle = (float)newAngle;
        distance = (float)newDistance;
    }
    // Appends to `near` every point of `from` within `tolerance` pixels of the
    // line and returns the summed distance of the collected points.
    float collectPoints(const PointList& from, float tolerance, PointList& near) const;
    // Refits the line when the list holds more than `minimum` points; 1 if refitted.
    int fit(const PointList& from, int minimum);
};

// Converts a computed coordinate to int toward zero, clamped into the int range.
// Inline: the per-pixel and per-cell loops call it.
inline int truncToInt(double value) {
    if (!(value > INT_MIN)) return value != value ? 0 : INT_MIN;
    if (value >= (double)INT_MAX) return INT_MAX;
    return (int)value;
}

int normalDistance(int theta, int x, int y);
float normalDistance(float theta, float x, float y);
int xOnLine(int theta, int d, int y);
int yOnLine(int theta, int d, int x);
// 1 and the crossing in x, y; 0 for parallel lines, x and y left at -1.
int intersectLines(int theta1, int d1, int theta2, int d2, double* x, double* y);
// Angles and distances truncated first; (0, 0) when there is none.
int intersectLines(const ImageLine& a, const ImageLine& b, float* x, float* y);
void lineThroughPoints(float x1, float y1, float x2, float y2, int* theta, int* d);
float pointDistance(float x1, float y1, float x2, float y2);
float AngleDifference(float a, float b);
cv::Point2f rotatePoint(float x, float y, int theta, float tx, float ty);
// Maps pixel (x, y) of a width x height strip sampled around a line back into the image.
cv::Point2f rotateStripPoint(float x, float y, int width, int height, int theta, float tx,
                             float ty);
void lineSegment(cv::Size image, int theta, int d, cv::Point2f* p1, cv::Point2f* p2);
void lineSegment(cv::Size image, int theta, int d, cv::Point* p1, cv::Point* p2);
cv::Point segmentMidpoint(cv::Point p1, cv::Point p2);
int isLineVisible(const ImageLine& line, int width, int height);
void sortFloats(float* values, int count);

struct NamedColor {
    const char* name;
    int red, green, blue;
};
const int kDrawingColorCount = 21;
extern const NamedColor kDrawingColors[kDrawingColorCount];
// Entry min(index, 20) in blue-green-red order for the drawing functions;
// negative indices (lines without id) take entry 0.
cv::Scalar drawingColor(int index);
const char* drawingColorName(int index);
