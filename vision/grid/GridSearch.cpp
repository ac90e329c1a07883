#include "GridSearch.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const int kCornerCount = 250;
const double kCornerQuality = 0.3, kCornerMinDistance = 10;
const int kCornerBlock = 3;
const float kPointTolerance = 3.0f;
const int kFewestPoints = 4;
const float kSameLineAngle = 20;
const float kLeastStrength = 0.3f;
const int kGridLines = 10, kLastIndex = 9;
const int kAttempts = 10;
const float kWindowShare = 0.15f;
const int kMostLines = 50;  // the "maxlines" trackbar's range
const int kStripHeight = 50;

const cv::TermCriteria& cornerCriteria() {
    static const cv::TermCriteria criteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10,
                                           0.01);
    return criteria;
}

void refineCorners(const cv::Mat& grey, std::vector<cv::Point2f>& points) {
    if (points.empty()) return;
    cv::cornerSubPix(grey, points, cv::Size(5, 5), cv::Size(-1, -1), cornerCriteria());
}

bool debugging(const Completion& c) { return c.debugLevel >= 2 && c.out; }

// Near-vertical lines come as (a, d) and as (a +- 180, -d). Their absolute
// distances lose the order where the lines pass on both sides of the image
// origin; the distance of the form whose normal points right keeps it.
float distanceAcross(const ImageLine& line) {
    return line.angle >= 90 || line.angle < -90 ? -line.distance : line.distance;
}

// Horizontal sets by distance; vertical ones left to right by distanceAcross.
void sortLines(LineSet& set, int orientation) {
    if (orientation != Vertical) {
        set.sortByDistance();
        return;
    }
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (LineNode* node = set.first; node && node->next;) {
            const ImageLine &a = *node->item, &b = *node->next->item;
            const float da = distanceAcross(a), db = distanceAcross(b);
            if (da > db || (da == db && a.angle > b.angle)) {
                set.swapWithNext(node);
                swapped = true;
            } else {
                node = node->next;
            }
        }
    }
}

// Adds a predicted line to the search and to `set`, keeping the set sorted.
void addLine(GridSearch& s, LineSet& set, std::unique_ptr<ImageLine> line, int orientation) {
    line->orientation = orientation;
    ImageLine* added = line.release();
    s.all.append(added);
    set.append(added);
    sortLines(set, orientation);
}

void fitToNearCorners(ImageLine& line, const PointList& corners, int fewest) {
    PointList near;
    line.collectPoints(corners, kPointTolerance, near);
    if (near.count >= fewest) line.fit(near, 3);
}

// Completes one direction: `set` numbered along `crossing`, then gaps filled
// and lines added before the first and after the last.
void completeDirection(const Completion& c, LineSet& set, const ImageLine& crossing,
                       float spacing, int orientation, const char* before, const char* after) {
    int n = AssignGridIndices(set, spacing, crossing, c.debugLevel, c.out);
    if (set.count < 2) return;
    if (set.count < kGridLines || n < kLastIndex) n = FillGaps(c, set, crossing, spacing);
    for (int attempt = 0; set.count < kGridLines && n < kLastIndex;) {
        if (!set.first) break;
        std::unique_ptr<ImageLine> low =
            hypothesizeLine(c, set, nullptr, set.first->item->angle, spacing, before);
        LineNode* last = set.last();
        std::unique_ptr<ImageLine> high =
            hypothesizeLine(c, set, last, last->item->angle, spacing, after);
        if (low && high) {
            if (debugging(c)) {
                std::fprintf(c.out, "  comparison:\n");
                std::fprintf(c.out, "  - hypothesized line %s at (angle = %g, dist = %g) strength %g\n",
                             before, low->angle, low->distance, low->strength);
                std::fprintf(c.out, "  - hypothesized line %s at (angle = %g, dist = %g) strength %g\n",
                             after, high->angle, high->distance, high->strength);
            }
            if (high->strength < low->strength && low->strength >= kLeastStrength) {
                if (debugging(c)) std::fprintf(c.out, "  **adding %s\n", before);
                addLine(c.search, set, std::move(low), orientation);
            } else if (high->strength < kLeastStrength) {
                break;
            } else {
                if (debugging(c)) std::fprintf(c.out, "  **adding %s\n", after);
                addLine(c.search, set, std::move(high), orientation);
            }
            n = AssignGridIndices(set, spacing, crossing, c.debugLevel, c.out);
        }
        if (++attempt >= kAttempts) break;
    }
    if (debugging(c)) std::fprintf(c.out, "\n");
}

void printLineSet(const LineSet& set, FILE* out) {
    std::fprintf(out, "%d lines: \n", set.count);
    for (LineNode* node = set.first; node; node = node->next) {
        const ImageLine& l = *node->item;
        std::fprintf(out, "   %d: [%g,%g] ", l.id, l.angle, l.distance);
        if (l.valid) {
            const char* kind = l.orientation == Horizontal ? "- hor, "
                               : l.orientation == Vertical ? "| ver, "
                                                           : "  xxx, ";
            std::fprintf(out, "%sm %d, ", kind, truncToInt(l.points.medianSpacing));
        } else {
            std::fprintf(out, "  ---        ");
        }
        std::fprintf(out, "%d pnts, %d isecs, g [%d,%d], h %g, %s\n", l.points.count,
                     l.crossings.count, l.orientation == Vertical ? l.index : -1,
                     l.orientation == Horizontal ? l.index : -1, l.strength,
                     drawingColorName(l.id));
    }
}

cv::Point flipped(float x, float y, int height, int flipY) {
    return cv::Point(truncToInt(x), truncToInt(flipY ? height - 1 - y : y));
}

}  // namespace

void GridSearch::init(int newWidth, int newHeight, int newOrigin) {
    width = newWidth;
    height = newHeight;
    origin = newOrigin;
    diagonal = truncToInt(std::sqrt((double)width * width + (double)height * height));
    const cv::Size size(width, height);
    mask = cv::Mat::zeros(size, CV_8U);
    dx.create(size, CV_16S);
    dxDisplay.create(size, CV_8U);
    dy.create(size, CV_16S);
    dyDisplay.create(size, CV_8U);
    magnitude.create(size, CV_8U);
    angle.create(size, CV_16S);
    distance = cv::Mat::zeros(size, CV_16S);
    distanceDisplay = cv::Mat::zeros(size, CV_8U);
    angleDisplay.create(size, CV_8UC3);
    cornerWork1.create(size, CV_32F);
    cornerWork2.create(size, CV_32F);
    hough.init(2 * diagonal, 360, origin);
    completion.init(2 * diagonal, 360, origin);
}

int FindGrid(GridSearch& s, const cv::Mat& grey, const GridTunables& t, int debugLevel,
             FILE* out) {
    // Lines before points: the lines' lists refer to the points.
    s.horizontal.clear();
    s.vertical.clear();
    s.all.clear();
    s.corners.clear();
    s.horizontalSpacing = s.verticalSpacing = -1;
    if (grey.empty() || grey.type() != CV_8UC1) {
        if (out) std::fprintf(out, "grid search needs an 8-bit grey frame\n");
        return 0;
    }
    if (grey.cols != s.width || grey.rows != s.height || s.hough.accumulator.empty())
        s.init(grey.cols, grey.rows, s.origin);
    const int R = s.diagonal;

    sobelDerivative(grey, s.origin, 1, 0, s.dx);
    sobelDerivative(grey, s.origin, 0, 1, s.dy);
    s.dx.convertTo(s.dxDisplay, CV_8U, 0.125, 128);
    s.dy.convertTo(s.dyDisplay, CV_8U, 0.125, 128);
    computeGradient(s.dx, s.dy, s.origin, s.magnitude, s.angle, t.gradMin,
                    t.reverseNegativeAngles);
    computeDistance(s.angle, s.distance);
    distanceDisplay(s.distance, s.distanceDisplay, R, 2 * R / 255);
    angleDisplay(s.angle, s.angleDisplay);

    std::vector<cv::Point2f> found;
    cv::goodFeaturesToTrack(grey, found, kCornerCount, kCornerQuality, kCornerMinDistance,
                            cv::noArray(), kCornerBlock, false, 0.04);
    refineCorners(grey, found);
    for (size_t i = 0; i < found.size(); i++)
        s.corners.append(new ImagePoint(found[i].x, found[i].y, (int)i));
    s.corners.sortByRows();
    if (debugLevel >= 2 && out) std::fprintf(out, "\n");

    s.mask.setTo(0);
    s.hough.collectVotes(s.angle, s.magnitude, s.distance, s.votes);
    s.hough.vote(s.votes);

    const int lines = std::clamp(t.maxLines, 1, kMostLines);
    float strength = 0;
    for (int k = 0; s.all.count < lines; k++) {
        int theta = 0, d = 0;
        strength = s.hough.maximum(s.votes, &theta, &d);
        ImageLine* line = new ImageLine(theta, d, k);
        line->strength = strength;
        MarkLineBand(s.angle, s.distance, s.mask, 255, theta, t.angleVariance, d,
                     t.distanceVariance, t.lineWidth);
        fitToNearCorners(*line, s.corners, 0);
        const int a = truncToInt(line->angle), fittedD = truncToInt(line->distance);
        drawImageLine(s.angleDisplay, a, fittedD);
        drawImageLine(s.angleDisplay, a, fittedD - t.lineWidth);
        drawImageLine(s.angleDisplay, a, fittedD + t.lineWidth);
        MarkLineBand(s.angle, s.distance, s.mask, 255, a, t.angleVariance, fittedD,
                     t.distanceVariance, t.lineWidth);
        s.hough.blockMasked(s.votes, s.mask);
        s.all.append(line);
    }
    s.all.sortByAngle();
    s.all.renumber();
    s.hough.renderDisplay(strength, t.thresh);

    associateCorners(s.all, s.corners);
    recordCrossings(s.corners);

    s.all.classifyOrientation();
    for (LineNode* ln = s.all.first; ln; ln = ln->next) {
        ImageLine& line = *ln->item;
        if (line.orientation == Vertical) line.points.sortByY();
        else line.points.sortByX();
    }
    for (LineNode* ln = s.all.first; ln; ln = ln->next) {
        ImageLine& line = *ln->item;
        if (!line.valid) continue;
        (line.orientation == Vertical ? s.vertical : s.horizontal).append(&line);
        line.points.computeSpacing();
    }
    sortLines(s.horizontal, Horizontal);
    sortLines(s.vertical, Vertical);
    gridSpacingMedians(s);
    return FindGridLines(s, grey, debugLevel, out);
}

void associateCorners(LineSet& lines, PointList& corners) {
    for (LineNode* ln = lines.first; ln; ln = ln->next) {
        ImageLine& line = *ln->item;
        for (PointNode* pn = corners.first; pn; pn = pn->next) {
            ImagePoint& p = *pn->item;
            if (std::fabs(line.distance - normalDistance(line.angle, p.x, p.y)) <= kPointTolerance) {
                p.lines.append(&line);
                line.points.append(&p);
            }
        }
        if (line.points.count < kFewestPoints) line.valid = 0;
    }
}

void recordCrossings(PointList& corners) {
    for (PointNode* pn = corners.first; pn; pn = pn->next) {
        ImagePoint& p = *pn->item;
        if (p.lines.count < 2) continue;
        for (LineNode* n1 = p.lines.first; n1; n1 = n1->next) {
            ImageLine& l1 = *n1->item;
            if (!l1.valid) continue;
            for (LineNode* n2 = p.lines.first; n2; n2 = n2->next) {
                ImageLine& l2 = *n2->item;
                if (&l1 == &l2 || !l2.valid) continue;
                float delta = std::fabs(l1.angle - l2.angle);
                if (delta > 90) delta = 180 - delta;
                if (delta > kSameLineAngle) {
                    l1.crossings.append(&p);
                    l1.crossingLines.append(&l2);
                } else {
                    l1.valid = 0;
                }
            }
        }
    }
}

void gridSpacingMedians(GridSearch& s) {
    LineSet* sets[2] = {&s.horizontal, &s.vertical};
    float* spacings[2] = {&s.horizontalSpacing, &s.verticalSpacing};
    for (int i = 0; i < 2; i++) {
        if (!sets[i]->count) continue;
        std::vector<float> medians;
        for (LineNode* ln = sets[i]->first; ln; ln = ln->next)
            medians.push_back(ln->item->points.medianSpacing);
        sortFloats(medians.data(), (int)medians.size());
        *spacings[i] = medians[medians.size() / 2];
    }
}

int FindGridLines(GridSearch& s, const cv::Mat& grey, int debugLevel, FILE* out) {
    // Kept from frame to frame only to spare its allocation.
    if (s.completion.rows != 2 * s.diagonal) s.completion.init(2 * s.diagonal, 360, s.origin);
    s.completion.vote(s.votes);
    if (!s.horizontal.count || !s.vertical.count) return 0;
    const Completion c{s, grey, s.completion, debugLevel, out};

    if (debugging(c)) std::fprintf(out, "Find horizontal lines\n");
    completeDirection(c, s.horizontal, *s.vertical.nodeAt(s.vertical.count / 2)->item,
                      s.verticalSpacing, Horizontal, "below", "above");
    if (debugging(c)) std::fprintf(out, "Find vertical lines\n");
    completeDirection(c, s.vertical, *s.horizontal.nodeAt(s.horizontal.count / 2)->item,
                      s.horizontalSpacing, Vertical, "left", "right");
    return 1;
}

int FillGaps(const Completion& c, LineSet& set, const ImageLine& crossing, float spacing) {
    const int orientation = set.first ? set.first->item->orientation : Unclassified;
    LineNode* from = set.first;
    // Every fill adds a line; the cap ends a set that keeps growing.
    for (int filled = 0; filled < kMostLines;) {
        LineNode* gap = findGap(set, from, c.debugLevel, c.out);
        if (!gap) break;
        const ImageLine* gapLine = gap->item;
        std::unique_ptr<ImageLine> line =
            PredictLine(set, gap, gap->item->angle, spacing, c.hough);
        if (line) {
            fitToNearCorners(*line, c.search.corners, 0);
            const float edge = EdgeStrength(*line, c.grey);
            if (debugging(c)) {
                std::fprintf(c.out, "  . edge strength in image: %g\n", edge);
                std::fprintf(c.out, "    hypothesized line at (angle = %g, dist = %g) strength %g\n",
                             line->angle, line->distance, line->strength);
            }
            if (line->strength >= kLeastStrength) {
                addLine(c.search, set, std::move(line), orientation);
                filled++;
                if (debugging(c)) std::fprintf(c.out, "- filled gap... ");
                AssignGridIndices(set, spacing, crossing, c.debugLevel, c.out);
            }
        }
        // A gap line dropped by the numbering has left the set with its node.
        if (!gapLine->valid || !gap->next) break;
        from = gap->next;
    }
    return AssignGridIndices(set, spacing, crossing, c.debugLevel, c.out);
}

std::unique_ptr<ImageLine> hypothesizeLine(const Completion& c, const LineSet& set,
                                           LineNode* neighbour, float angleStep, float spacing,
                                           const char* label) {
    std::unique_ptr<ImageLine> line = PredictLine(set, neighbour, angleStep, spacing, c.hough);
    if (!line) return line;
    fitToNearCorners(*line, c.search.corners, 2);
    const float edge = EdgeStrength(*line, c.grey);
    if (debugging(c)) std::fprintf(c.out, "  . edge strength in image (%s): %g\n", label, edge);
    return line;
}

std::unique_ptr<ImageLine> PredictLine(const LineSet& set, LineNode* node, float angleStep,
                                       float distanceStep, const HoughSpace& hough) {
    LineNode* n = node ? node : set.first;
    if (!n) return nullptr;
    const ImageLine& line = *n->item;
    const float a1 = line.angle, d1 = line.distance;
    const int i1 = line.index;
    // The neighbour whose step is taken; before the first line it is taken backwards.
    const ImageLine* other = nullptr;
    if (!node) other = n->next ? n->next->item : nullptr;
    else other = n->next ? n->next->item : n->previous ? n->previous->item : nullptr;
    float da = angleStep, dd = distanceStep;
    if (other) {
        if (other->index == i1) return nullptr;
        // Near-vertical lines come as (a, d) and (a +- 180, -d): the step is
        // taken between the forms that lie within a quarter turn.
        float a2 = other->angle, d2 = other->distance;
        if (a2 - a1 > 90) a2 -= 180, d2 = -d2;
        else if (a2 - a1 < -90) a2 += 180, d2 = -d2;
        const float steps = (float)(other->index - i1) * (node ? 1 : -1);
        da = (a2 - a1) / steps;
        dd = (d2 - d1) / steps;
    }
    std::unique_ptr<ImageLine> predicted(new ImageLine(a1 + da, d1 + dd, -1));
    const float centre = d1 + dd, w = std::fabs(kWindowShare * dd);
    const int a0 = truncToInt(a1 - std::fabs(da)), aEnd = truncToInt(a1 + std::fabs(da));
    int theta = truncToInt(a1 + da), d = truncToInt(centre);
    float strength =
        hough.maximumInWindow(a0, aEnd, truncToInt(centre - w), truncToInt(centre + w), &theta, &d);
    // The same window half a turn round, where the line's other form votes.
    const int turn = a1 < 90 ? 180 : -180;
    int otherTheta = 0, otherD = 0;
    const float otherStrength = hough.maximumInWindow(
        a0 + turn, aEnd + turn, truncToInt(-centre - w), truncToInt(-centre + w), &otherTheta, &otherD);
    if (otherStrength > strength && otherStrength > 0) {
        strength = otherStrength;
        theta = otherTheta;
        d = otherD;
    }
    predicted->strength = strength;
    predicted->set(theta, d);
    return predicted;
}

LineNode* findGap(const LineSet& set, LineNode* start, int debugLevel, FILE* out) {
    const bool debug = debugLevel >= 2 && out;
    if (debug) std::fprintf(out, "    find gap: ");
    for (LineNode* node = start ? start : set.first; node; node = node->next) {
        if (debug) std::fprintf(out, "%d ", node->item->index);
        if (!node->next) break;
        const int next = node->next->item->index;
        if (next != node->item->index + 1) {
            if (debug) std::fprintf(out, "GAP %d\n", next);
            return node;
        }
    }
    if (debug) std::fprintf(out, "\n");
    return nullptr;
}

int AssignGridIndices(LineSet& set, float spacing, const ImageLine& crossing, int debugLevel,
                      FILE* out) {
    const int n = set.count;
    std::vector<cv::Point2f> at(n);
    int k = 0;
    for (LineNode* ln = set.first; ln && k < n; ln = ln->next, k++)
        intersectLines(*ln->item, crossing, &at[k].x, &at[k].y);
    std::vector<float> gaps(std::max(n - 1, 0));
    for (k = 0; k + 1 < n; k++) gaps[k] = pointDistance(at[k].x, at[k].y, at[k + 1].x, at[k + 1].y);
    int reference = -1;
    float best = spacing;
    for (k = 0; k + 1 < n; k++)
        if (std::fabs(gaps[k] - spacing) < best) {
            best = std::fabs(gaps[k] - spacing);
            reference = k;
        }
    std::vector<int> steps(gaps.size(), 1);
    if (reference >= 0) {
        auto step = [&](int k, float& e) {
            steps[k] = truncToInt(gaps[k] / e + 0.5);
            if (steps[k] != 0) e = (e + gaps[k] / steps[k]) * 0.5f;
        };
        float e = spacing;
        for (k = reference; k + 1 < n; k++) step(k, e);
        e = spacing;
        for (k = reference; k >= 0; k--) step(k, e);
    }
    if (debugLevel >= 2 && out) {
        std::fprintf(out, "  median %g, perp line: %d\n  lines:", spacing, crossing.id);
        for (LineNode* ln = set.first; ln; ln = ln->next) std::fprintf(out, "%d ", ln->item->id);
        std::fprintf(out, "\n  dists:  ");
        for (float g : gaps) std::fprintf(out, "%d ", truncToInt(g));
        std::fprintf(out, "\nmedian at %d \n  incs:   ", reference);
        for (int s : steps) std::fprintf(out, "%d ", s);
        std::fprintf(out, "\n");
    }
    if (!set.first) return 0;
    int index = 0;
    set.first->item->index = 0;
    k = 0;
    for (LineNode* ln = set.first->next; ln; k++) {
        LineNode* next = ln->next;
        if (steps[k] == 0) {
            // The line stays in the all-lines set, which owns it; only this
            // set's node goes.
            ln->item->valid = 0;
            set.unlink(ln);
            delete ln;
            set.count--;
        } else {
            index += steps[k];
            ln->item->index = index;
        }
        ln = next;
    }
    return index;
}

float EdgeStrength(const ImageLine& line, const cv::Mat& grey, const cv::Point2f* ends) {
    if (!isLineVisible(line, grey.cols, grey.rows)) return 0;
    cv::Point2f p1, p2;
    if (ends) {
        p1 = ends[0];
        p2 = ends[1];
    } else {
        lineSegment(grey.size(), truncToInt(line.angle), truncToInt(line.distance), &p1, &p2);
    }
    const float length = pointDistance(p1.x, p1.y, p2.x, p2.y);
    if (!(length >= 2)) return 0;
    const int w = truncToInt(length), h = kStripHeight;
    const double t = (line.angle - 90) * kDegToRad, c = std::cos(t), s = std::sin(t);
    const double cx = (p1.x + p2.x) * 0.5, cy = (p1.y + p2.y) * 0.5;
    // Strip pixel (x, y) samples the image at the rotated offset from the
    // strip's centre, the image's border pixels repeated beyond it.
    const double hx = (w - 1) * 0.5, hy = (h - 1) * 0.5;
    const cv::Matx23d map(c, -s, cx - c * hx + s * hy, s, c, cy - s * hx - c * hy);
    cv::Mat strip, derivative;
    cv::warpAffine(grey, strip, map, cv::Size(w, h), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    strip.convertTo(strip, CV_32F);
    cv::Sobel(strip, derivative, CV_32F, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
    const float* middle = derivative.ptr<float>(h / 2);
    double sum = 0;
    for (int x = 0; x < w; x++) sum += std::fabs(middle[x]);
    return (float)(sum / length);
}

void printGridLines(const GridSearch& s, int debugLevel, FILE* out) {
    if (!out) return;
    if (debugLevel >= 3) {
        std::fprintf(out, "all lines: \n");
        printLineSet(s.all, out);
    }
    std::fprintf(out, "horizontal lines: \n");
    printLineSet(s.horizontal, out);
    std::fprintf(out, "   horizontal dist median %g\n", s.horizontalSpacing);
    std::fprintf(out, "vertical lines: \n");
    printLineSet(s.vertical, out);
    std::fprintf(out, "   vertical dist median %g\n", s.verticalSpacing);
}

void drawGridDebug(const GridSearch& s, cv::Mat& image, int flipY) {
    const int h = image.rows;
    const cv::Scalar white = cv::Scalar::all(255);
    const float reach = 2.0f * (image.cols + image.rows);
    auto drawAcross = [&](const ImageLine& line, cv::Scalar colour, int thickness) {
        const double t = line.angle * kDegToRad, c = std::cos(t), sn = std::sin(t);
        const float x0 = (float)(line.distance * c), y0 = (float)(line.distance * sn);
        cv::line(image, flipped(x0 - reach * (float)sn, y0 + reach * (float)c, h, flipY),
                 flipped(x0 + reach * (float)sn, y0 - reach * (float)c, h, flipY), colour,
                 thickness);
    };
    for (PointNode* pn = s.corners.first; pn; pn = pn->next)
        cv::circle(image, flipped(pn->item->x, pn->item->y, h, flipY), 6, white, 1);
    for (LineNode* ln = s.all.first; ln; ln = ln->next) drawAcross(*ln->item, white, 1);
    for (LineNode* ln = s.all.first; ln; ln = ln->next) {
        const ImageLine& line = *ln->item;
        if (!line.valid) continue;
        const cv::Scalar colour = drawingColor(line.id);
        drawAcross(line, colour, 2);
        for (PointNode* pn = line.points.first; pn; pn = pn->next)
            cv::circle(image, flipped(pn->item->x, pn->item->y, h, flipY), 6, colour, 2);
        for (PointNode* pn = line.crossings.first; pn; pn = pn->next)
            cv::circle(image, flipped(pn->item->x, pn->item->y, h, flipY), 6, white, 8);
    }
}
