#include "TileReader.h"

#include "DigitReader.h"
#include "GridVision.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const int kPixelsPerCell = 40;
const int kBoardMarginPixels = 20;
const int kMostComponents = 100;
const int kLeastBlob = 100;
const int kLeastNewTile = 100, kLeastTrackedTile = 50, kMostTile = 1600;
const int kMostSideDifference = 5;  // a tile's box is square within this
const float kLeastNewScore = 0.9f;
const float kSameTile = 1.0f;
const int kLastProbe = 19;

const ModelRegion kBoard{0, 0, 9, 9};
const ModelRegion kRightStrip{9, -3, 12, 9};
const ModelRegion kStripBelow{0, -3, 9, 0};
const ModelRegion kLeftStrip{-3, -3, 0, 9};
const ModelRegion kStripAbove{0, 9, 9, 12};
const ModelRegion kAroundWithPanes{0, -3, 12, 9};
const ModelRegion kAroundWithoutPanes{-3, -3, 12, 12};

bool tileShaped(const cv::Rect& box, int area, int least) {
    return area >= least && area <= kMostTile &&
           std::abs(box.width - box.height) < kMostSideDifference;
}

cv::Point2f componentCentre(const cv::Rect& box) {
    return cv::Point2f((float)(box.x + box.width / 2), (float)(box.y + box.height / 2));
}

cv::Point2f modelPosition(const cv::Rect& box, const ModelRegion& region, int margin) {
    const cv::Point2f c = componentCentre(box);
    return cv::Point2f(region.x0 + (c.x - margin) / kPixelsPerCell,
                       region.y0 + (c.y - margin) / kPixelsPerCell);
}

// The outline votes in its box: distances within twice the box's half
// perimeter, with room for the accumulator's limit of a quarter of its rows.
void prepareOutline(HoughSpace& outline, const cv::Rect& box) {
    const int rows = 4 * (box.width + box.height) + 4;
    if (outline.rows < rows) outline.init(rows, 360, 0);
}

int boardDigit(const Sudoku* board, float x, float y) {
    if (!board) return -1;
    return board->digitAt(8 - (int)std::floor(y), (int)std::floor(x));
}

// A new tile is taken when it is read well, lies apart from the known ones
// and differs from the board's digit where it lies.
void checkNewTile(GridVision& vision, const cv::Mat& labels, const cv::Mat& thresholded,
                  int number, cv::Rect box, int area, const ModelRegion& region, int margin,
                  const Sudoku* board) {
    if (!tileShaped(box, area, kLeastNewTile)) return;
    CameraTiles& tiles = vision.tiles;
    if (vision.debugLevel >= 2 && vision.out)
        std::fprintf(vision.out,
                     "connected component %d: %d pixels LL [%d,%d], width %d, height %d\n",
                     number, area, box.x, box.y, box.width, box.height);
    // A known tile is not read again.
    const cv::Point2f at = modelPosition(box, region, margin);
    for (const Tile& t : tiles.list)
        if (std::hypot(t.x - at.x, t.y - at.y) < kSameTile) return;
    const TileReading r = readComponent(labels, thresholded, number, box, region, margin,
                                        vision.digits.patterns.thresholded, tiles.outline);
    if (r.digit == boardDigit(board, r.x, r.y) || !(r.score > kLeastNewScore)) return;
    Tile tile;
    tile.x = r.x;
    tile.y = r.y;
    tile.digit = r.digit;
    tile.angle = wholeTurn(r.angle - 90);
    tiles.list.push_back(tile);
}

// Every white component that starts inside `rect` goes to the tile check.
void searchTileComponents(GridVision& vision, const cv::Mat& thresholded, cv::Rect rect,
                          const ModelRegion& region, int margin, const Sudoku* board) {
    rect &= cv::Rect(0, 0, thresholded.cols, thresholded.rows);
    cv::Mat labels = thresholded.clone();
    int number = 1;
    for (int y = rect.y; y < rect.y + rect.height; y++)
        for (int x = rect.x; x < rect.x + rect.width; x++) {
            if (labels.at<unsigned char>(y, x) <= 254) continue;
            if (number > kMostComponents) return;
            cv::Rect box;
            const int area = cv::floodFill(labels, cv::Point(x, y), cv::Scalar(number), &box,
                                           cv::Scalar(0), cv::Scalar(0), 4);
            checkNewTile(vision, labels, thresholded, number, box, area, region, margin, board);
            number++;
        }
}

void searchStrip(GridVision& vision, const cv::Mat& grey, const ModelRegion& strip,
                 cv::Mat& shown, const Sudoku* board) {
    cv::Mat warped, thresholded;
    warpRegion(vision, grey, strip, 0, warped, thresholded);
    if (vision.debugLevel >= 2) cv::cvtColor(thresholded, shown, cv::COLOR_GRAY2BGR);
    searchTileComponents(vision, thresholded, cv::Rect(0, 0, thresholded.cols, thresholded.rows),
                         strip, 0, board);
}

// Each known tile looks for its component at growing distances from where it
// was; the component that fits and lies nearest moves it (others may be an
// empty cell beside a tile on the grid, or a loop of its digit), and a tile
// without one is gone.
void trackTiles(GridVision& vision, const cv::Mat& grey, const ModelRegion& region) {
    cv::Mat warped, thresholded;
    warpRegion(vision, grey, region, 0, warped, thresholded);
    cv::Mat labels = thresholded.clone();
    const int right = labels.cols - 1, bottom = labels.rows - 1;
    std::vector<Tile>& list = vision.tiles.list;
    int number = 1;
    for (size_t i = 0; i < list.size();) {
        Tile& tile = list[i];
        const int px = std::clamp((int)((tile.x - region.x0) * kPixelsPerCell), 0, right);
        const int py = std::clamp((int)((tile.y - region.y0) * kPixelsPerCell), 0, bottom);
        float nearest = -1;
        Tile moved = tile;
        for (int r = 1; r <= kLastProbe; r += 2) {
            const cv::Point probes[4] = {{px, py - r}, {px, py + r}, {px - r, py}, {px + r, py}};
            for (cv::Point p : probes) {
                p.x = std::clamp(p.x, 0, right);
                p.y = std::clamp(p.y, 0, bottom);
                if (labels.at<unsigned char>(p) != 255 || number > kMostComponents) continue;
                cv::Rect box;
                const int area = cv::floodFill(labels, p, cv::Scalar(number), &box, cv::Scalar(0),
                                               cv::Scalar(0), 4);
                const int n = number++;
                if (!tileShaped(box, area, kLeastTrackedTile)) continue;
                const TileReading reading =
                    readComponent(labels, thresholded, n, box, region, 0,
                                  vision.digits.patterns.thresholded, vision.tiles.outline);
                const float distance = std::hypot(reading.x - tile.x, reading.y - tile.y);
                if (nearest >= 0 && distance >= nearest) continue;
                nearest = distance;
                moved.x = reading.x;
                moved.y = reading.y;
                moved.angle = wholeTurn((tile.digit != 0 ? reading.angle : reading.phi) - 90);
            }
        }
        const bool found = nearest >= 0;
        if (found) tile = moved;
        if (found)
            i++;
        else
            list.erase(list.begin() + i);
    }
}

// A tile's edge is too short for whole degrees at one pixel a distance step:
// the outline's smallest enclosing rectangle gives the edge direction
// nearest to the strongest line's `theta`, in degrees.
int refinedDirection(const std::vector<cv::Point2f>& points, int theta) {
    if (points.size() < 3) return theta;
    double normal = cv::minAreaRect(points).angle;
    while (normal - theta > 45) normal -= 90;
    while (normal - theta < -45) normal += 90;
    return (int)std::lround(normal);
}

// The box centre is cut to whole pixels and a turned patch samples between
// them, which blurs the ink differently from the pattern's: the patch is cut
// a third of a pixel off diagonally as well, and the best reading counts.
int classifyTurned(const cv::Mat& thresholded, cv::Point2f centre, int degrees,
                   const cv::Mat patterns[10], float* score) {
    const float t = 1.0f / 3;
    const cv::Point2f shifts[5] = {{0, 0}, {-t, -t}, {t, -t}, {-t, t}, {t, t}};
    int best = -1;
    *score = -2;
    for (const cv::Point2f& shift : shifts) {
        float s = -1;
        const int digit = classifyPatch(turnedPatch(thresholded, centre + shift, degrees),
                                        patterns, &s, 0, nullptr);
        if (s > *score) *score = s, best = digit;
    }
    return best;
}

}  // namespace

int wholeTurn(int degrees) { return ((degrees % 360) + 360) % 360; }

void warpRegion(const GridVision& vision, const cv::Mat& grey, const ModelRegion& region,
                int margin, cv::Mat& warped, cv::Mat& thresholded) {
    warped = vision.warpModelRectangle(grey, region.x0, region.y0, region.x1, region.y1,
                                       kPixelsPerCell, 2 * margin);
    thresholdRectified(warped, thresholded);
}

int histogramValley(const cv::Mat& difference) {
    int histogram[256] = {};
    for (int y = 0; y < difference.rows; y++) {
        const unsigned char* p = difference.ptr<unsigned char>(y);
        for (int x = 0; x < difference.cols; x++) histogram[p[x]]++;
    }
    int smooth[256] = {};
    for (int i = 0; i <= 251; i++)
        smooth[i + 2] = (histogram[i] + histogram[i + 1] + histogram[i + 2] + histogram[i + 3] +
                         histogram[i + 4]) / 5;
    smooth[0] = smooth[1] = smooth[254] = smooth[255] = 0;
    const int peak = (int)(std::max_element(smooth, smooth + 256) - smooth);
    int k = peak + 1;
    while (k < 256 && smooth[k] < smooth[k - 1]) k++;
    return k - 1;
}

void cleanDifferenceMask(cv::Mat& mask) {
    const cv::Mat square = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    cv::erode(mask, mask, square, cv::Point(-1, -1), 1);
    cv::dilate(mask, mask, square, cv::Point(-1, -1), 2);
    cv::erode(mask, mask, square, cv::Point(-1, -1), 2);
    cv::dilate(mask, mask, square, cv::Point(-1, -1), 1);
}

cv::Mat turnedPatch(const cv::Mat& thresholded, cv::Point2f centre, double degrees) {
    const double t = degrees * 0.017453293, c = std::cos(t), s = std::sin(t);
    const double half = (kPatchSide - 1) / 2.0;
    // Patch pixel (u, v) samples the region at centre + R(t) (u - half, v - half).
    const cv::Matx23d toRegion(c, -s, centre.x - c * half + s * half, s, c,
                               centre.y - s * half - c * half);
    cv::Mat patch;
    cv::warpAffine(thresholded, patch, toRegion, cv::Size(kPatchSide, kPatchSide),
                   cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    return patch;
}

TileReading readComponent(const cv::Mat& labels, const cv::Mat& thresholded, int number,
                          cv::Rect box, const ModelRegion& region, int margin,
                          const cv::Mat patterns[10], HoughSpace& outline) {
    // The leftmost and rightmost pixel of every row vote for the edges; the
    // votes are taken in the box, which leaves the directions as they are.
    cv::Mat edges = cv::Mat::zeros(box.height, box.width, CV_8U);
    std::vector<cv::Point2f> outlinePoints;
    for (int y = 0; y < box.height; y++) {
        const unsigned char* row = labels.ptr<unsigned char>(box.y + y) + box.x;
        int left = -1, right = -1;
        for (int x = 0; x < box.width; x++)
            if (row[x] == number) {
                if (left < 0) left = x;
                right = x;
            }
        if (left < 0) continue;
        edges.at<unsigned char>(y, left) = 255;
        edges.at<unsigned char>(y, right) = 255;
        outlinePoints.emplace_back((float)left, (float)y);
        outlinePoints.emplace_back((float)right, (float)y);
    }
    prepareOutline(outline, box);
    outline.plainVote(edges);
    TileReading r;
    int distance = 0;
    const int reach = outline.rows / 2;
    // Every edge direction once: a tile turned clockwise has its long
    // outline edges at negative angles.
    outline.maximumInWindow(-90, 89, -reach, reach, &r.phi, &distance);
    r.phi = wholeTurn(refinedDirection(outlinePoints, r.phi)) % 90;

    const cv::Point2f centre = componentCentre(box);
    r.score = -2;
    for (const int a : {r.phi, r.phi + 90}) {
        float score = -1;
        const int digit = classifyTurned(thresholded, centre, a - 90, patterns, &score);
        // On equal scores the second candidate wins.
        if (score >= r.score) {
            r.score = score;
            r.digit = digit;
            r.angle = a;
        }
    }
    const cv::Point2f at = modelPosition(box, region, margin);
    r.x = at.x;
    r.y = at.y;
    return r;
}

void boardDifference(GridVision& vision, const cv::Mat& grey, int flipMode, const Sudoku* board) {
    CameraTiles& tiles = vision.tiles;
    cv::Mat current;
    warpRegion(vision, grey, kBoard, kBoardMarginPixels, current, tiles.boardThresholded);
    const cv::Mat& kept = vision.digits.rectified;
    if (kept.empty() || kept.size() != current.size()) return;

    // Both pictures brought to the same brightness, measured on the paper
    // in the first (flipped: the last) row.
    const int sampleRow = flipMode != 0 ? current.rows - 1 : 0;
    const double reference = cv::mean(kept.row(sampleRow).colRange(0, 10))[0];
    const double now = cv::mean(current.row(sampleRow).colRange(0, 10))[0];
    current.forEach<unsigned char>([&](unsigned char& p, const int*) {
        p = (unsigned char)std::min(255.0, std::fabs(p + reference - now));
    });
    cv::Mat difference, mask;
    cv::absdiff(kept, current, difference);
    cv::compare(difference, histogramValley(difference), mask, cv::CMP_GT);
    cleanDifferenceMask(mask);

    // Blobs large enough for a tile are searched for tiles; smaller ones are
    // erased from the mask.
    cv::Mat blobs = mask.clone();
    int number = 1, searched = 0;
    for (int y = 0; y < blobs.rows && searched < kMostComponents; y++)
        for (int x = 0; x < blobs.cols && searched < kMostComponents; x++) {
            if (blobs.at<unsigned char>(y, x) != 255) continue;
            cv::Rect box;
            const int area = cv::floodFill(blobs, cv::Point(x, y), cv::Scalar(number), &box,
                                           cv::Scalar(0), cv::Scalar(0), 4);
            if (area >= kLeastBlob) {
                searchTileComponents(vision, tiles.boardThresholded, box, kBoard,
                                     kBoardMarginPixels, board);
                number++;
                searched++;
            } else {
                mask(box).setTo(0, blobs(box) == number);
            }
        }
    tiles.differenceMask = mask;
}

void tilesAroundGrid(GridVision& vision, const cv::Mat& grey, int showOverviews,
                     const Sudoku* board) {
    CameraTiles& tiles = vision.tiles;
    trackTiles(vision, grey, showOverviews ? kAroundWithPanes : kAroundWithoutPanes);
    FILE* out = vision.debugLevel >= 2 ? vision.out : nullptr;
    if (out) std::fprintf(out, "\nTiles on the right side of the grid:\n");
    searchStrip(vision, grey, kRightStrip, tiles.rightStrip, board);
    if (out) std::fprintf(out, "\nTiles below the grid:\n");
    searchStrip(vision, grey, kStripBelow, tiles.belowStrip, board);
    if (!showOverviews) {
        if (out) std::fprintf(out, "\nTiles on the left side of the grid:\n");
        searchStrip(vision, grey, kLeftStrip, tiles.rightStrip, board);
        if (out) std::fprintf(out, "\nTiles above the grid:\n");
        searchStrip(vision, grey, kStripAbove, tiles.belowStrip, board);
    }
    tiles.handOverPending = 1;
    if (out) printTileList(tiles.list, out);
}

void printTileList(const std::vector<Tile>& list, FILE* out) {
    std::fprintf(out, "%d tiles :", (int)list.size());
    for (size_t i = 0; i < list.size(); i++) {
        const char* current = i + 1 == list.size() ? "*" : "";
        std::fprintf(out, "%s%d(%g,%g)%s ", current, list[i].digit, list[i].x, list[i].y,
                     current);
    }
    std::fprintf(out, "\n");
}
