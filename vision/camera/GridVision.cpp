#include "GridVision.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool finite(float v) { return std::isfinite(v); }

// Twice the largest triangle area over the points, relative to the square
// of their extent: near 0 when all of them lie on one line or one spot.
template <class Point>
double spread(const std::vector<Point>& points) {
    double extent = 0;
    const Point& a = points[0];
    size_t far = 0;
    for (size_t i = 1; i < points.size(); i++) {
        const double e = cv::norm(points[i] - a);
        if (e > extent) extent = e, far = i;
    }
    if (extent == 0) return 0;
    const Point& b = points[far];
    double area = 0;
    for (const Point& c : points) {
        const Point u = b - a, v = c - a;
        area = std::max(area, cv::norm(u.cross(v)));
    }
    return area / (extent * extent);
}

cv::Mat intrinsicMatrix(const CameraCalibration& c) {
    return cv::Mat(3, 3, CV_32F, const_cast<float*>(c.intrinsic)).clone();
}

cv::Mat distortionVector(const CameraCalibration& c) {
    return cv::Mat(1, 4, CV_32F, const_cast<float*>(c.distortion)).clone();
}

const float kLeastSpread = 1e-3f;
// Largest distance of a tracked crossing from its reprojection under the new pose.
const float kMostTrackedError = 2.0f;
// Least share of a thin line's length seen where the new pose puts it.
const float kLeastThinLineShare = 0.3f;

// A pose and its count, kept while a new one is checked.
struct KeptPose {
    float translation[3], rotationVector[3], rotationMatrix[9];
    int count;
};

KeptPose keepPose(const GridVision& v) {
    KeptPose k;
    std::copy(v.translation, v.translation + 3, k.translation);
    std::copy(v.rotationVector, v.rotationVector + 3, k.rotationVector);
    std::copy(v.rotationMatrix, v.rotationMatrix + 9, k.rotationMatrix);
    k.count = v.poseCount;
    return k;
}

void restorePose(GridVision& v, const KeptPose& k) {
    std::copy(k.translation, k.translation + 3, v.translation);
    std::copy(k.rotationVector, k.rotationVector + 3, v.rotationVector);
    std::copy(k.rotationMatrix, k.rotationMatrix + 9, v.rotationMatrix);
    v.poseCount = k.count;
}

}  // namespace

int GridVision::readCalibration(const char* path) {
    return ::readCalibration(path, calibration, out);
}

void GridVision::printCalibration() const {
    if (!out) return;
    std::fprintf(out, "Using camera %s\n\nIntrinsic parameters: \n", calibration.name);
    for (int r = 0; r < 3; r++) {
        std::fprintf(out, "  ");
        for (int c = 0; c < 3; c++) std::fprintf(out, "%g   ", calibration.intrinsic[3 * r + c]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\nDistortion parameters: \n  ");
    for (float v : calibration.distortion) std::fprintf(out, "%g   ", v);
    std::fprintf(out, "\n\n");
}

void GridVision::collectCorrespondences() {
    pointCount = 0;
    for (LineNode* ln = search.horizontal.first; ln; ln = ln->next) {
        const ImageLine& line = *ln->item;
        if (!line.valid) continue;
        for (PointNode* pn = line.crossings.first; pn; pn = pn->next) {
            if (pointCount >= kMaxGridPoints) return;
            const ImagePoint& p = *pn->item;
            // The point's first valid line of each orientation: a duplicate
            // dropped from its set may still carry an old index.
            const ImageLine *across = nullptr, *along = nullptr;
            for (LineNode* n = p.lines.first; n; n = n->next) {
                const ImageLine* l = n->item;
                if (!l->valid) continue;
                if (l->orientation == Vertical) {
                    if (!across) across = l;
                } else if (!along) {
                    along = l;
                }
            }
            if (!across || !along || across->index == -1 || along->index == -1) continue;
            imagePoints[pointCount][0] = p.x;
            imagePoints[pointCount][1] = p.y;
            modelPoints[pointCount][0] = (float)across->index;
            modelPoints[pointCount][1] = (float)along->index;
            modelPoints[pointCount][2] = 0;
            pointCount++;
        }
    }
}

int GridVision::Compute3DPose() { return Compute3DPose(imagePoints, modelPoints, pointCount); }

int GridVision::Compute3DPose(const float (*image)[2], const float (*model)[3], int count) {
    const bool debug = debugLevel >= 2 && out;
    if (debug) {
        std::fprintf(out, "---Compute3DPose---\n");
        for (int i = 0; i < count; i++)
            std::fprintf(out, "    (%d,%d) --> (%d,%d,%d)\n", truncToInt(image[i][0]),
                         truncToInt(image[i][1]), truncToInt(model[i][0]),
                         truncToInt(model[i][1]), truncToInt(model[i][2]));
    }
    if (count < 4) return 0;
    std::vector<cv::Point2f> imagePts;
    std::vector<cv::Point3f> modelPts;
    for (int i = 0; i < count; i++) {
        if (!finite(image[i][0]) || !finite(image[i][1]) || !finite(model[i][0]) ||
            !finite(model[i][1]) || !finite(model[i][2]))
            return 0;
        imagePts.emplace_back(image[i][0], image[i][1]);
        modelPts.emplace_back(model[i][0], model[i][1], model[i][2]);
    }
    // Pairs on one line or one spot fix no pose; the solver would answer anyway.
    std::vector<cv::Point3f> flat;
    for (const cv::Point2f& p : imagePts) flat.emplace_back(p.x, p.y, 0);
    if (spread(modelPts) < kLeastSpread || spread(flat) < kLeastSpread) return 0;
    cv::Mat rvec, tvec;
    try {
        if (!cv::solvePnP(modelPts, imagePts, intrinsicMatrix(calibration),
                          distortionVector(calibration), rvec, tvec))
            return 0;
    } catch (const cv::Exception&) {
        return 0;
    }
    cv::Mat r, t, m;
    rvec.convertTo(r, CV_32F);
    tvec.convertTo(t, CV_32F);
    cv::Rodrigues(r, m);
    for (int i = 0; i < 3; i++)
        if (!finite(r.at<float>(i)) || !finite(t.at<float>(i))) return 0;
    for (int i = 0; i < 3; i++) {
        rotationVector[i] = r.at<float>(i);
        translation[i] = t.at<float>(i);
    }
    for (int i = 0; i < 9; i++) rotationMatrix[i] = m.at<float>(i / 3, i % 3);
    poseCount++;
    if (debug) {
        const float* v = rotationVector;
        const float angle = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        std::fprintf(out, "translation vector: (%g, %g, %g)\n", translation[0], translation[1],
                     translation[2]);
        std::fprintf(out, "rotation vector:    (%g, %g, %g)\n", v[0], v[1], v[2]);
        std::fprintf(out, "normalized:         (%g, %g, %g), angle %g\n", v[0] / angle,
                     v[1] / angle, v[2] / angle, angle * kRadToDeg);
        for (int row = 0; row < 3; row++) {
            std::fprintf(out, "    ");
            for (int c = 0; c < 3; c++) std::fprintf(out, "%g  ", rotationMatrix[3 * row + c]);
            std::fprintf(out, "\n");
        }
        std::fprintf(out, "\n");
    }
    return 1;
}

void GridVision::projectPoints(const float (*model)[3], float (*image)[2], int count) const {
    if (count <= 0) return;
    std::vector<cv::Point3f> modelPts;
    for (int i = 0; i < count; i++) modelPts.emplace_back(model[i][0], model[i][1], model[i][2]);
    std::vector<cv::Point2f> imagePts;
    cv::projectPoints(modelPts, cv::Mat(3, 1, CV_32F, const_cast<float*>(rotationVector)),
                      cv::Mat(3, 1, CV_32F, const_cast<float*>(translation)),
                      intrinsicMatrix(calibration), distortionVector(calibration), imagePts);
    for (int i = 0; i < count; i++) {
        image[i][0] = imagePts[i].x;
        image[i][1] = imagePts[i].y;
    }
}

cv::Point2f GridVision::projectPoint(float X, float Y, float Z) const {
    const float model[1][3] = {{X, Y, Z}};
    float image[1][2];
    projectPoints(model, image, 1);
    return cv::Point2f(image[0][0], image[0][1]);
}

int GridVision::poseFromFoundGrid(const cv::Mat& grey) {
    collectCorrespondences();
    // Without a first pose the projections would come from an old one.
    if (!Compute3DPose()) return 0;
    float inner[64][3];
    float projected[64][2];
    int n = 0;
    for (int x = 1; x <= 8; x++)
        for (int y = 1; y <= 8; y++, n++) {
            inner[n][0] = (float)x;
            inner[n][1] = (float)y;
            inner[n][2] = 0;
        }
    projectPoints(inner, projected, 64);
    std::vector<cv::Point2f> points;
    pointCount = 0;
    for (int i = 0; i < 64; i++) {
        const float u = projected[i][0], v = projected[i][1];
        if (!(u >= 0 && u <= grey.cols - 1 && v >= 0 && v <= grey.rows - 1)) continue;
        points.emplace_back(u, v);
        for (int k = 0; k < 3; k++) modelPoints[pointCount][k] = inner[i][k];
        pointCount++;
    }
    if (debugLevel >= 2 && out) std::fprintf(out, "%43s%d points found\n", "", pointCount);
    if (!points.empty())
        cv::cornerSubPix(grey, points, cv::Size(5, 5), cv::Size(-1, -1),
                         cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10,
                                          0.01));
    for (int i = 0; i < pointCount; i++) {
        imagePoints[i][0] = points[i].x;
        imagePoints[i][1] = points[i].y;
    }
    Compute3DPose();
    return 1;
}

int GridVision::findGrid(const cv::Mat& grey) {
    if (!FindGrid(search, grey, tunables, debugLevel, out)) return 0;
    return poseFromFoundGrid(grey);
}

PoseHandOver GridVision::handOver() const {
    PoseHandOver h;
    std::copy(calibration.intrinsic, calibration.intrinsic + 9, h.intrinsic);
    std::copy(calibration.distortion, calibration.distortion + 4, h.distortion);
    std::copy(translation, translation + 3, h.translation);
    std::copy(rotationVector, rotationVector + 3, h.rotationVector);
    std::copy(rotationMatrix, rotationMatrix + 9, h.rotationMatrix);
    return h;
}

void GridVision::DrawLine3D(cv::Mat& live, double X1, double Y1, double Z1, double X2, double Y2,
                            double Z2, int red, int green, int blue, int thickness,
                            int windowWidth, int windowHeight, int flipY) const {
    const float model[2][3] = {{(float)X1, (float)Y1, (float)Z1}, {(float)X2, (float)Y2, (float)Z2}};
    float image[2][2];
    projectPoints(model, image, 2);
    int x[2], y[2];
    for (int i = 0; i < 2; i++) {
        x[i] = truncToInt(image[i][0]);
        y[i] = truncToInt(flipY ? live.rows - 1 - image[i][1] : image[i][1]);
    }
    if (debugLevel >= 3 && out)
        std::fprintf(out, "        DrawLine3D from (%d,%d) to (%d,%d)\n", x[0], y[0], x[1], y[1]);
    const long long W = windowWidth, H = windowHeight;
    for (int i = 0; i < 2; i++)
        if (x[i] < -2 * W || x[i] > 3 * W || y[i] < -2 * H || y[i] > 3 * H) return;
    cv::line(live, cv::Point(x[0], y[0]), cv::Point(x[1], y[1]), cv::Scalar(blue, green, red),
             thickness, cv::LINE_8, 0);
}

void GridVision::drawGridFrame(cv::Mat& live, int windowWidth, int windowHeight,
                               int flipY) const {
    const double edges[5][6] = {{0, 0, 0, 9, 0, 0}, {9, 0, 0, 9, 9, 0}, {9, 9, 0, 0, 9, 0},
                                {0, 9, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 9}};
    for (const auto& e : edges)
        DrawLine3D(live, e[0], e[1], e[2], e[3], e[4], e[5], 255, 255, 0, 4, windowWidth,
                   windowHeight, flipY);
    DrawLine3D(live, 0, 0, 0, 0, 0, -9, 255, 255, 0, 1, windowWidth, windowHeight, flipY);
}

int GridVision::trackGrid(const cv::Mat& grey, cv::Mat* live, int flipY) {
    GridPrediction prediction;
    float model[16][3], image[16][2];
    for (int k = 0; k < 4; k++) {
        const float i = (float)kTrackedLines[k];
        const float ends[4][3] = {{i, 0, 0}, {i, 9, 0}, {0, i, 0}, {9, i, 0}};
        for (int e = 0; e < 4; e++) std::copy(ends[e], ends[e] + 3, model[4 * k + e]);
    }
    projectPoints(model, image, 16);
    for (int k = 0; k < 4; k++) {
        const float(*p)[2] = image + 4 * k;
        prediction.vertical[k][0] = cv::Point2f(p[0][0], p[0][1]);
        prediction.vertical[k][1] = cv::Point2f(p[1][0], p[1][1]);
        prediction.horizontal[k][0] = cv::Point2f(p[2][0], p[2][1]);
        prediction.horizontal[k][1] = cv::Point2f(p[3][0], p[3][1]);
    }
    TrackReport report;
    report.debugLevel = debugLevel;
    report.out = out;
    report.colour = live;
    report.flipY = flipY;
    report.images = &trackImages;
    GridCrossings crossings;
    if (!TrackGrid(grey, prediction, tunables, crossings, report)) return 0;
    // After a jump of three cells, or to a much nearer camera, the strips may
    // find other thick lines, or thin ones, that agree with a wrong pose; the
    // thin lines one cell inside the border tell such a pose apart.
    const KeptPose kept = keepPose(*this);
    if (!poseFromTrackedCrossings(crossings)) return 0;
    if (thinLinesAgree(grey)) return 1;
    restorePose(*this, kept);
    return 0;
}

int GridVision::thinLinesAgree(const cv::Mat& grey) const {
    // The middle third of lines 1 and 8 of each direction: vertical, then horizontal.
    const float ends[8][3] = {{1, 3, 0}, {1, 6, 0}, {8, 3, 0}, {8, 6, 0},
                              {3, 1, 0}, {6, 1, 0}, {3, 8, 0}, {6, 8, 0}};
    float image[8][2];
    projectPoints(ends, image, 8);
    for (int k = 0; k < 4; k++) {
        const cv::Point2f a(image[2 * k][0], image[2 * k][1]);
        const cv::Point2f b(image[2 * k + 1][0], image[2 * k + 1][1]);
        // A line that leaves the frame is no evidence either way.
        if (!(std::min(a.x, b.x) >= 0 && std::max(a.x, b.x) <= grey.cols - 1 &&
              std::min(a.y, b.y) >= 0 && std::max(a.y, b.y) <= grey.rows - 1))
            continue;
        if (printedLineShare(grey, a, b) >= kLeastThinLineShare) continue;
        if (debugLevel >= 2 && out)
            std::fprintf(out, "tracked pose refused: %s line %d is not where the pose puts it\n",
                         k < 2 ? "vertical" : "horizontal", k % 2 ? 8 : 1);
        return 0;
    }
    return 1;
}

int GridVision::poseFromTrackedCrossings(const GridCrossings& crossings) {
    const KeptPose kept = keepPose(*this);
    // Three crossings fix no pose: tracking goes on from the previous one.
    if (!Compute3DPose(crossings.image, crossings.model, crossings.count)) return 1;
    // A crossing refined onto the wrong corner drags the pose away from the
    // others: every crossing used must lie within kMostTrackedError pixels
    // of where the new pose puts it, else the frame counts as lost.
    float projected[16][2];
    projectPoints(crossings.model, projected, crossings.count);
    float error = 0;
    for (int k = 0; k < crossings.count; k++)
        error = std::max(error, pointDistance(projected[k][0], projected[k][1],
                                              crossings.image[k][0], crossings.image[k][1]));
    if (error <= kMostTrackedError) return 1;
    if (debugLevel >= 2 && out)
        std::fprintf(out, "tracked pose refused: a crossing lies %g pixels off\n", error);
    restorePose(*this, kept);
    return 0;
}
