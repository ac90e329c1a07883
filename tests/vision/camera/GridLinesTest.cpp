// The line accumulator on synthetic frames of known pose: its strongest
// maxima are the printed grid lines, and the gathered-vote fast path gives
// exactly the cells and maxima of the plain passes.
#include "Geometry.h"
#include "Hough.h"
#include "SceneTest.h"
#include "Sheet.h"

#include <cmath>
#include <vector>

namespace {

// A printed line in the frame: its two edges, as lines through their
// projections (so that lens distortion is included), each with a point near
// the middle of the grid.
struct TrueLine {
    double theta;            // degrees, 0..180
    cv::Point2d edge[2];
};

cv::Vec4f fitProjected(const SyntheticCamera& camera, bool vertical, double at) {
    std::vector<cv::Point2f> points;
    for (double t = 0; t <= 9.001; t += 0.5)
        points.push_back(vertical ? camera.project(at, t, 0, 0) : camera.project(t, at, 0, 0));
    cv::Vec4f fit;
    cv::fitLine(points, fit, cv::DIST_L2, 0, 0.01, 0.01);
    return fit;
}

// The line at model X = at (vertical) or Y = at, printed `half` cells to either side.
TrueLine trueLine(const SyntheticCamera& camera, bool vertical, double at, double half) {
    TrueLine line;
    const cv::Vec4f centre = fitProjected(camera, vertical, at);
    line.theta = std::atan2(centre[1], centre[0]) * 180 / CV_PI + 90;
    while (line.theta < 0) line.theta += 180;
    while (line.theta >= 180) line.theta -= 180;
    for (int side = 0; side < 2; side++) {
        const cv::Vec4f edge = fitProjected(camera, vertical, at + (side ? half : -half));
        line.edge[side] = cv::Point2d(edge[2], edge[3]);
    }
    return line;
}

std::vector<TrueLine> trueGridLines(const SyntheticCamera& camera) {
    std::vector<TrueLine> lines;
    for (int vertical = 0; vertical < 2; vertical++) {
        for (int i = 0; i <= 9; i++) {
            const int width = i % 3 == 0 ? SheetLayout::kThickLine : SheetLayout::kThinLine;
            lines.push_back(trueLine(camera, vertical, i, width / 2.0 / SheetLayout::kCell));
        }
    }
    return lines;
}

// The four edges of the cut-out grid, in model coordinates.
std::vector<TrueLine> paperEdges(const SyntheticCamera& camera) {
    const double margin = (double)SheetLayout::kCutMargin / SheetLayout::kCell;
    return {trueLine(camera, true, -margin, 0), trueLine(camera, true, 9 + margin, 0),
            trueLine(camera, false, 9 + margin, 0), trueLine(camera, false, -margin, 0)};
}

// How far the found line lies outside the printed line's band (0 inside it),
// in pixels near the grid's middle, when their angles agree; -1 otherwise.
// The found angle is truncated: its cell spans theta..theta + 1 degrees, and
// that span must come within a degree of the true angle.
double offsetFrom(const TrueLine& line, int theta, int d) {
    double a = theta, distance = d;
    double diff = line.theta - a;
    while (diff > 90) diff -= 180, a += 180, distance = -distance;
    while (diff <= -90) diff += 180, a -= 180, distance = -distance;
    if (diff < -1 || diff > 2) return -1;
    const double t = a * CV_PI / 180;
    double s[2];
    for (int side = 0; side < 2; side++)
        s[side] = line.edge[side].x * std::cos(t) + line.edge[side].y * std::sin(t) - distance;
    if ((s[0] <= 0) != (s[1] <= 0)) return 0;
    return std::min(std::fabs(s[0]), std::fabs(s[1]));
}

struct Images {
    cv::Mat dx, dy, magnitude, angle, distance;
    explicit Images(const cv::Mat& grey) {
        sobelDerivative(grey, 0, 1, 0, dx);
        sobelDerivative(grey, 0, 0, 1, dy);
        computeGradient(dx, dy, 0, magnitude, angle, 20, 1);
        computeDistance(angle, distance);
    }
};

int frameDiagonal(const cv::Mat& grey) {
    return (int)std::sqrt((double)grey.cols * grey.cols + grey.rows * grey.rows);
}

// Takes the ten strongest lines the way the grid search does (maximum, band,
// masked vote) and expects each within 2 pixels of one of `lines`.
void expectStrongestMaximaOn(const cv::Mat& grey, const std::vector<TrueLine>& lines) {
    const Images images(grey);
    HoughSpace space;
    space.init(2 * frameDiagonal(grey), 360, 0);
    VoteList votes;
    space.collectVotes(images.angle, images.magnitude, images.distance, votes);
    space.vote(votes);
    cv::Mat mask(grey.size(), CV_8U, cv::Scalar(0));
    for (int k = 0; k < 10; k++) {
        int theta, d;
        space.maximum(votes, &theta, &d);
        double best = -1;
        for (const TrueLine& line : lines) {
            const double offset = offsetFrom(line, theta, d);
            if (offset >= 0 && (best < 0 || offset < best)) best = offset;
        }
        EXPECT_GE(best, 0) << "maximum " << k << " at (" << theta << ", " << d << ")";
        EXPECT_LE(best, 2.0) << "maximum " << k << " at (" << theta << ", " << d << ") off " << best;
        MarkLineBand(images.angle, images.distance, mask, 255, theta, 60, d, 400, 5);
        space.blockMasked(votes, mask);
    }
}

class GridLines : public ::testing::TestWithParam<std::pair<double, double>> {
protected:
    void SetUp() override { enterDataFolder(); }
};

TEST_P(GridLines, StrongestMaximaLieOnPrintedLines) {
    SyntheticCamera camera;
    // A light table, so that the paper's own edges do not compete with the grid.
    SceneDescription scene = sceneAt(GetParam().first, GetParam().second, 12.5);
    scene.table = 240;
    ASSERT_EQ(camera.open(scene), 1);
    expectStrongestMaximaOn(greyFrame(camera, 0, nullptr), trueGridLines(camera));
}

INSTANTIATE_TEST_SUITE_P(Poses, GridLines,
                         ::testing::Values(std::make_pair(0.0, 0.0), std::make_pair(8.0, 18.0),
                                           std::make_pair(-25.0, 10.0),
                                           std::make_pair(35.0, 28.0)));

// The plain passes and the gathered votes on the same frames, compared cell
// by cell; the plain masked vote counts afresh what blockMasked only updates.
TEST(FastPath, SameCellsAndMaximaAsThePlainPasses) {
    enterDataFolder();
    for (const auto& pose : {std::make_pair(5.0, 12.0), std::make_pair(-40.0, 30.0)}) {
        SyntheticCamera camera;
        ASSERT_EQ(camera.open(sceneAt(pose.first, pose.second, 13)), 1);
        const cv::Mat grey = greyFrame(camera, 0, nullptr);
        const Images images(grey);
        HoughSpace plain, fast;
        plain.init(2 * frameDiagonal(grey), 360, 0);
        fast.init(2 * frameDiagonal(grey), 360, 0);
        VoteList votes;
        fast.collectVotes(images.angle, images.magnitude, images.distance, votes);
        ASSERT_GT(votes.cells.size(), 10000u);

        plain.vote(images.angle, images.magnitude, images.distance);
        fast.vote(votes);
        ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0);

        cv::Mat mask(grey.size(), CV_8U, cv::Scalar(0));
        for (int k = 0; k < 25; k++) {
            int a1, d1, a2, d2;
            const float v1 = plain.maximum(&a1, &d1);
            const float v2 = fast.maximum(votes, &a2, &d2);
            ASSERT_EQ(v1, v2) << "line " << k;
            ASSERT_EQ(a1, a2) << "line " << k;
            ASSERT_EQ(d1, d2) << "line " << k;
            MarkLineBand(images.angle, images.distance, mask, 255, a1, 60, d1, 400, 5);
            plain.maskedVote(images.angle, images.magnitude, images.distance, mask);
            fast.blockMasked(votes, mask);
            ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0)
                << "line " << k;
        }
        // Everything blocked: both find the first zero cell.
        mask.setTo(255);
        plain.maskedVote(images.angle, images.magnitude, images.distance, mask);
        fast.blockMasked(votes, mask);
        int a1, d1, a2, d2;
        EXPECT_EQ(plain.maximum(&a1, &d1), fast.maximum(votes, &a2, &d2));
        EXPECT_EQ(a1, a2);
        EXPECT_EQ(d1, d2);
    }
}

}  // namespace
