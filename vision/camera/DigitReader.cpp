#include "DigitReader.h"

#include "GridVision.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kFont = cv::FONT_HERSHEY_SIMPLEX;
const cv::Scalar kMarkGrey(128, 128, 128), kGreen(0, 255, 0), kRed(0, 0, 255), kDarkRed(0, 0, 128);
const int kSmallestComponent = 10;  // pixels; smaller specks are noise
const int kBorder = 2;              // patch rim left to the neighbouring lines

bool fileExists(const char* path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Where a point of the bottom-up board image appears in the upright display.
cv::Point shown(double x, double y) { return cv::Point((int)x, (int)(kBoardSide - y)); }

cv::Point2f textPosition(int row, int column) {
    return cv::Point2f(kBoardMargin + kBoardCell * (column + 0.6f),
                       kBoardMargin + kBoardCell * (row + 0.2f));
}

void putDigit(cv::Mat& display, int row, int column, const char* text, cv::Scalar colour) {
    const cv::Point2f p = textPosition(row, column);
    cv::putText(display, text, shown(p.x, p.y), kFont, 0.5, colour, 2, cv::LINE_8);
}

void markCell(cv::Mat& display, int row, int column) {
    const cv::Point2f c = cellCentre(row, column);
    const int half = kBoardCell / 2;
    cv::rectangle(display, shown(c.x - half, c.y - half), shown(c.x + half, c.y + half), kDarkRed,
                  4);
}

void putLabel(cv::Mat& display, int number, double x, double y) {
    char text[12];
    std::snprintf(text, sizeof text, "%d", number);
    cv::putText(display, text, shown(x, y), kFont, 0.5, kMarkGrey, 1, cv::LINE_8);
}

void printTableRule(FILE* out) {
    std::fprintf(out, "     ");
    for (int c = 0; c < 9; c++) std::fprintf(out, "%s--", c % 3 == 0 ? "+-" : "");
    std::fprintf(out, "+\n");
}

// The ink of a pattern as '.', its paper as '*', top row first.
void printPattern(const cv::Mat& pattern, int components, FILE* out) {
    for (int y = pattern.rows - 1; y >= 0; y--) {
        for (int x = 0; x < pattern.cols; x++)
            std::fputc(pattern.at<uchar>(y, x) < components + 1 ? '.' : '*', out);
        std::fputc('\n', out);
    }
}

// A taught pattern for a digit without one, kept and saved; files already
// there (even ones skipped at loading) are never replaced.
void addPattern(DigitPatterns& patterns, int digit, const cv::Mat& grey, const cv::Mat& thresholded,
                FILE* out) {
    char greyPath[80], thresholdedPath[80];
    std::snprintf(greyPath, sizeof greyPath, "patterns/p%d.bmp", digit);
    std::snprintf(thresholdedPath, sizeof thresholdedPath, "patterns/p_th%d.bmp", digit);
    if (!patterns.thresholded[digit].empty() || fileExists(greyPath) || fileExists(thresholdedPath))
        return;
    patterns.grey[digit] = grey;
    patterns.thresholded[digit] = thresholded;
    cv::cvtColor(grey, patterns.colour[digit], cv::COLOR_GRAY2BGR);
    if (!savePattern(greyPath, grey) || !savePattern(thresholdedPath, thresholded))
        std::fprintf(out, "cannot write the patterns of %d: they hold for this run only\n", digit);
}

// Which cells the picture shows, from the middle out to a tenth of a cell
// from their lines (the patch and a little more): the warp fills what the
// frame does not show with black, whose edge would read as ink.
void cellsInFrame(const GridVision& vision, cv::Size frame, bool inFrame[81]) {
    float model[324][3], image[324][2];
    for (int k = 0; k < 324; k++) {
        model[k][0] = k % 18 / 2 + (k % 2 ? 0.9f : 0.1f);
        model[k][1] = k / 36 + (k / 18 % 2 ? 0.9f : 0.1f);
        model[k][2] = 0;
    }
    vision.projectPoints(model, image, 324);
    std::fill(inFrame, inFrame + 81, true);
    for (int k = 0; k < 324; k++) {
        const float x = image[k][0], y = image[k][1];
        if (!(x >= 0 && x <= frame.width - 1 && y >= 0 && y <= frame.height - 1))
            inFrame[9 * (k / 36) + k % 18 / 2] = false;
    }
}

cv::Mat thresholdBoard(const cv::Mat& rectified) {
    cv::Mat thresholded;
    thresholdRectified(rectified, thresholded);
    return thresholded;
}

}  // namespace

DigitTables::DigitTables() {
    std::fill(digit, digit + 81, -1);
    std::fill(flag, flag + 81, 0);
}

cv::Mat loadPattern(const char* path, FILE* out) {
    if (!fileExists(path)) return cv::Mat();
    cv::Mat image;
    try {
        image = cv::imread(path, cv::IMREAD_GRAYSCALE | cv::IMREAD_ANYDEPTH);
    } catch (const cv::Exception&) {
        image.release();
    }
    const char* problem = image.empty()               ? "cannot be read"
                          : image.depth() != CV_8U    ? "is not 8-bit"
                          : image.rows > kPatchSide || image.cols > kPatchSide
                              ? "is larger than a 28 x 28 cell patch"
                              : nullptr;
    if (problem) {
        std::fprintf(out, "pattern %s %s: skipped\n", path, problem);
        return cv::Mat();
    }
    cv::flip(image, image, 0);
    return image;
}

int loadPatterns(DigitPatterns& patterns, FILE* out) {
    int usable = 0;
    for (int d = 0; d <= 9; d++) {
        char path[80];
        std::snprintf(path, sizeof path, "patterns/p%d.bmp", d);
        patterns.grey[d] = loadPattern(path, out);
        std::snprintf(path, sizeof path, "patterns/p_th%d.bmp", d);
        patterns.thresholded[d] = loadPattern(path, out);
        patterns.colour[d].release();
        if (!patterns.grey[d].empty())
            cv::cvtColor(patterns.grey[d], patterns.colour[d], cv::COLOR_GRAY2BGR);
        if (d > 0 && !patterns.thresholded[d].empty()) usable++;
    }
    return usable;
}

int savePattern(const char* path, const cv::Mat& pattern) {
    if (pattern.empty()) return 0;
    cv::Mat upright;
    cv::flip(pattern, upright, 0);
    std::vector<uchar> bytes;
    if (!cv::imencode(".bmp", upright, bytes)) return 0;
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    // A crash while writing leaves only the temporary file behind.
    const std::string temporary = std::string(path) + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}

cv::Mat GridVision::warpModelRectangle(const cv::Mat& grey, float X0, float Y0, float X1,
                                       float Y1, int sx, int sy) const {
    const int W0 = (int)((X1 - X0) * sx), H0 = (int)((Y1 - Y0) * sx), m = sy / 2;
    cv::Mat warped = cv::Mat::zeros(std::max(1, H0 + sy), std::max(1, W0 + sy), CV_8UC1);
    if (poseCount == 0 || grey.empty() || W0 <= 0 || H0 <= 0) return warped;
    // One perspective transform through the four corners would leave out the
    // lens's distortion, which moves inner cells by pixels: every eighth
    // pixel's place in the frame is projected, those between interpolated.
    const int step = 8;
    const int nx = (warped.cols - 1) / step + 2, ny = (warped.rows - 1) / step + 2;
    std::vector<float> model(3 * nx * ny);
    for (int j = 0; j < ny; j++)
        for (int i = 0; i < nx; i++) {
            float* p = &model[3 * (j * nx + i)];
            p[0] = X0 + (float)(i * step - m) * (X1 - X0) / W0;
            p[1] = Y0 + (float)(j * step - m) * (Y1 - Y0) / H0;
            p[2] = 0;
        }
    cv::Mat nodes(ny, nx, CV_32FC2);
    projectPoints(reinterpret_cast<const float(*)[3]>(model.data()),
                  reinterpret_cast<float(*)[2]>(nodes.data), nx * ny);
    // A place the projection cannot give lies outside the frame.
    for (cv::Vec2f& p : cv::Mat_<cv::Vec2f>(nodes))
        if (!std::isfinite(p[0]) || !std::isfinite(p[1])) p = cv::Vec2f(-1e6f, -1e6f);
    cv::Mat map;
    cv::warpAffine(nodes, map, cv::Matx23d(1.0 / step, 0, 0, 0, 1.0 / step, 0), warped.size(),
                   cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    cv::remap(grey, warped, map, cv::noArray(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return warped;
}

cv::Mat rectifyBoard(const GridVision& vision, const cv::Mat& grey) {
    return vision.warpModelRectangle(grey, 0, 0, 9, 9, kBoardCell, kBoardCell);
}

void thresholdRectified(const cv::Mat& rectified, cv::Mat& thresholded) {
    cv::adaptiveThreshold(rectified, thresholded, 255, cv::ADAPTIVE_THRESH_GAUSSIAN_C,
                          cv::THRESH_BINARY, 41, 5.0);
}

cv::Point2f cellCentre(int row, int column) {
    const float half = kBoardCell / 2.0f;
    return cv::Point2f(kBoardMargin + kBoardCell * column + half,
                       kBoardMargin + kBoardCell * row + half);
}

Components analyseComponents(cv::Mat& patch, int debugLevel, FILE* out) {
    Components result;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = kBorder; y <= patch.rows - 1 - kBorder; y++) {
        for (int x = kBorder; x <= patch.cols - 1 - kBorder; x++) {
            if (patch.at<uchar>(y, x) != 0) continue;
            result.count++;
            // Labels stay below the paper's 255 however speckled the patch.
            const int label = std::min(result.count, 254);
            cv::Rect r;
            const int area = cv::floodFill(patch, cv::Point(x, y), cv::Scalar(label), &r,
                                           cv::Scalar(0), cv::Scalar(0), 4);
            if (debugLevel >= 3 && out)
                std::fprintf(out, "connected component %d: %d pixels UL [%d,%d], width %d, height %d\n",
                             result.count, area, r.x, r.y, r.width, r.height);
            if (area <= kSmallestComponent) continue;
            left = std::min(left, r.x);
            top = std::min(top, r.y);
            right = std::max(right, r.x + r.width);
            bottom = std::max(bottom, r.y + r.height);
        }
    }
    if (right >= 0) result.box = cv::Rect(left, top, right - left, bottom - top);
    return result;
}

double bestCorrelation(const cv::Mat& patch, const cv::Mat& pattern) {
    const int w = pattern.cols, h = pattern.rows, n = w * h;
    double sum = 0, squares = 0;
    for (int v = 0; v < h; v++)
        for (int u = 0; u < w; u++) {
            const double t = pattern.at<uchar>(v, u);
            sum += t;
            squares += t * t;
        }
    const double mean = sum / n, norm = std::sqrt(std::max(squares - sum * mean, 0.0));
    // A flat pattern fits everywhere.
    if (norm < DBL_EPSILON) return 1.0;
    // The patch's sums and sums of squares from the top left, one row and
    // column larger.
    const int stride = patch.cols + 1;
    std::vector<int> sums(stride * (patch.rows + 1), 0), squareSums(sums.size(), 0);
    for (int y = 0; y < patch.rows; y++) {
        const uchar* p = patch.ptr<uchar>(y);
        int rowSum = 0, rowSquares = 0;
        for (int x = 0; x < patch.cols; x++) {
            rowSum += p[x];
            rowSquares += p[x] * p[x];
            sums[(y + 1) * stride + x + 1] = sums[y * stride + x + 1] + rowSum;
            squareSums[(y + 1) * stride + x + 1] = squareSums[y * stride + x + 1] + rowSquares;
        }
    }
    const auto window = [&](const std::vector<int>& s, int x, int y) {
        return (double)(s[(y + h) * stride + x + w] - s[y * stride + x + w] - s[(y + h) * stride + x] +
                        s[y * stride + x]);
    };
    double best = -DBL_MAX;
    for (int y = 0; y + h <= patch.rows; y++)
        for (int x = 0; x + w <= patch.cols; x++) {
            int cross = 0;
            for (int v = 0; v < h; v++) {
                const uchar* p = patch.ptr<uchar>(y + v) + x;
                const uchar* t = pattern.ptr<uchar>(v);
                for (int u = 0; u < w; u++) cross += p[u] * t[u];
            }
            const double windowSum = window(sums, x, y);
            const double spread =
                std::sqrt(std::max(window(squareSums, x, y) - windowSum * windowSum / n, 0.0)) * norm;
            const double covariance = cross - windowSum * mean;
            // As OpenCV clips rounding past +-1, and a flat window scores 0.
            double r = 0;
            if (std::fabs(covariance) < spread)
                r = covariance / spread;
            else if (std::fabs(covariance) < spread * 1.125)
                r = covariance > 0 ? 1 : -1;
            best = std::max(best, r);
        }
    return best;
}

int classifyPatch(const cv::Mat& thresholdedPatch, const cv::Mat thresholdedPatterns[10],
                  float* score, int debugLevel, FILE* out) {
    // A speck of noise is no digit: only components that count for the box make a cell inked.
    cv::Mat patch = thresholdedPatch.clone();
    if (analyseComponents(patch, debugLevel, out).box.empty()) {
        *score = 1.0f;
        return 0;
    }
    int best = -1;
    double bestScore = -1.0;
    for (int d = 1; d <= 9; d++) {
        const cv::Mat& pattern = thresholdedPatterns[d];
        if (pattern.empty() || pattern.rows > patch.rows || pattern.cols > patch.cols) continue;
        // Scores compare as the single floats a correlation image would hold.
        const double most = (float)bestCorrelation(patch, pattern);
        if (!std::isfinite(most)) continue;
        if (best < 0 || most > bestScore) best = d, bestScore = most;
    }
    *score = (float)bestScore;
    return best;
}

cv::Mat annotatedBoard(const cv::Mat& thresholded, const DigitTables& tables, int lineLabels) {
    cv::Mat upright, display;
    cv::flip(thresholded, upright, 0);
    cv::cvtColor(upright, display, cv::COLOR_GRAY2BGR);
    for (int r = 0; r <= 9; r++)
        for (int c = 0; c <= 9; c++)
            cv::circle(display, shown(kBoardMargin + kBoardCell * c, kBoardMargin + kBoardCell * r),
                       4, kMarkGrey, 2);
    const int third = kBoardCell / 3;
    for (int k = 0; k < 9; k++) {
        putLabel(display, k, 4, kBoardMargin + kBoardCell * k + third);
        putLabel(display, k, kBoardMargin + kBoardCell * k + third, 4);
    }
    if (lineLabels) {
        const int last = kBoardMargin + 9 * kBoardCell + kBoardCell / 6;
        putLabel(display, 9, 4, last);
        putLabel(display, 9, last, 4);
    }
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int i = 9 * r + c;
            char text[12] = "?";
            if (tables.digit[i] != -1) std::snprintf(text, sizeof text, "%d", tables.digit[i]);
            putDigit(display, r, c, text, tables.flag[i] ? kGreen : kRed);
        }
    return display;
}

void printDigitTable(const int digit[81], FILE* out) {
    std::fprintf(out, "grid elements, as identified in the image: \n");
    std::fprintf(out, "  \\ c");
    for (int c = 0; c < 9; c++) std::fprintf(out, "%s%d ", c % 3 == 0 ? "  " : "", c);
    std::fprintf(out, "\n");
    printTableRule(out);
    for (int r = 8; r >= 0; r--) {
        std::fprintf(out, "  r %d", r);
        for (int c = 0; c < 9; c++) {
            const int d = digit[9 * r + c];
            if (c % 3 == 0) std::fprintf(out, "| ");
            if (d == 0)
                std::fprintf(out, ". ");
            else
                std::fprintf(out, "%d ", d);
        }
        std::fprintf(out, "|\n");
        if (r % 3 == 0) printTableRule(out);
    }
}

int clickedCell(int clickX, int clickY, int* row, int* column, FILE* out) {
    const int x = clickX, y = kBoardSide - clickY;
    *column = (int)((x - kBoardMargin) / (double)kBoardCell);
    *row = (int)((y - kBoardMargin) / (double)kBoardCell);
    std::fprintf(out, "y = %d, x = %d      row = %d, col = %d\n", y, x, *row, *column);
    const int end = kBoardMargin + 9 * kBoardCell;
    return kBoardMargin <= x && x < end && kBoardMargin <= y && y < end;
}

void flagReadDigits(DigitTables& tables) {
    for (int i = 0; i < 81; i++)
        if (tables.digit[i] != 0) tables.flag[i] = 1;
}

void rectifyAndShow(GridVision& vision, const cv::Mat& grey) {
    DigitTables& t = vision.digits;
    t.rectified = rectifyBoard(vision, grey);
    t.thresholded = thresholdBoard(t.rectified);
    t.display = annotatedBoard(t.thresholded, t, 1);
}

void readDigits(GridVision& vision, const cv::Mat& grey) {
    DigitTables& t = vision.digits;
    const cv::Mat rectified = rectifyBoard(vision, grey);
    const cv::Mat thresholded = thresholdBoard(rectified);
    float best[10] = {};
    bool inFrame[81];
    cellsInFrame(vision, grey.size(), inFrame);
    for (cv::Mat& image : t.readClasses) image.release();
    const cv::Size patch(kPatchSide, kPatchSide);
    cv::Mat thresholdedPatch, greyPatch;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int i = 9 * r + c;
            if (t.flag[i]) continue;
            cv::getRectSubPix(thresholded, patch, cellCentre(r, c), thresholdedPatch);
            cv::getRectSubPix(rectified, patch, cellCentre(r, c), greyPatch);
            cv::Mat snapshot;
            cv::cvtColor(greyPatch, snapshot, cv::COLOR_GRAY2BGR);
            t.snapshot[i] = snapshot;
            float score = 0;
            const int k = inFrame[i] ? classifyPatch(thresholdedPatch, t.patterns.thresholded,
                                                     &score, vision.debugLevel, vision.out)
                                     : -1;
            t.digit[i] = k;
            if (k >= 0 && score > best[k]) {
                t.readClasses[k] = snapshot.clone();
                best[k] = score;
            }
        }
    t.loadPending = 1;
    if (vision.debugLevel >= 2 && vision.out) {
        std::fprintf(vision.out, "\n");
        printDigitTable(t.digit, vision.out);
        std::fprintf(vision.out, "\n\n");
    }
    t.display = annotatedBoard(thresholded, t, 0);
}

int cutPattern(const cv::Mat& rectified, const cv::Mat& thresholded, int row, int column,
               cv::Mat& greyPattern, cv::Mat& thresholdedPattern, int debugLevel, FILE* out) {
    const cv::Size size(kTeachWidth, kPatchSide);
    cv::Mat thresholdedPatch, greyPatch;
    cv::getRectSubPix(thresholded, size, cellCentre(row, column), thresholdedPatch);
    cv::getRectSubPix(rectified, size, cellCentre(row, column), greyPatch);
    const Components components = analyseComponents(thresholdedPatch, debugLevel, out);
    if (components.box.empty()) return 0;
    const cv::Rect b = components.box;
    const cv::Rect grown = cv::Rect(b.x - 1, b.y - 1, b.width + 2, b.height + 2) &
                           cv::Rect(0, 0, thresholdedPatch.cols, thresholdedPatch.rows);
    greyPattern = greyPatch(grown).clone();
    thresholdedPattern = thresholdedPatch(grown).clone();
    return components.count;
}

// Both dialogues end alike: the table of what the cells now hold, and the
// board shown again with it.
static void endDialogue(DigitTables& t, const cv::Mat& thresholded, OperatorInput& input,
                        FILE* out) {
    std::fprintf(out, "\n");
    printDigitTable(t.digit, out);
    std::fprintf(out, "\n\n");
    std::fflush(out);
    t.display = annotatedBoard(thresholded, t, 0);
    input.show(t.display);
}

void teachDigits(GridVision& vision, const cv::Mat& grey, OperatorInput& input) {
    DigitTables& t = vision.digits;
    FILE* out = vision.out;
    const cv::Mat rectified = rectifyBoard(vision, grey);
    const cv::Mat thresholded = thresholdBoard(rectified);
    cv::Mat display = annotatedBoard(thresholded, t, 0);
    input.show(display);
    for (int d = 1; d <= 9; d++) {
        std::fprintf(out, "select a field in window DUMP with number %d\n", d);
        std::fflush(out);
        int x = 0, y = 0, row = 0, column = 0;
        if (!input.waitClick(&x, &y)) break;
        if (!clickedCell(x, y, &row, &column, out)) continue;
        const int i = 9 * row + column;
        cv::Mat greyPattern, thresholdedPattern;
        const int components = cutPattern(rectified, thresholded, row, column, greyPattern,
                                          thresholdedPattern, vision.debugLevel, out);
        if (!components) {
            t.digit[i] = 0;
            continue;
        }
        t.digit[i] = d;
        t.flag[i] = 1;
        if (t.patterns.grey[d].empty())
            addPattern(t.patterns, d, greyPattern, thresholdedPattern, out);
        printPattern(thresholdedPattern, components, out);
        markCell(display, row, column);
        const std::string text = std::to_string(d);
        putDigit(display, row, column, text.c_str(), kGreen);
        input.show(display);
    }
    endDialogue(t, thresholded, input, out);
}

void correctDigits(GridVision& vision, const cv::Mat& grey, OperatorInput& input) {
    DigitTables& t = vision.digits;
    FILE* out = vision.out;
    const cv::Mat rectified = rectifyBoard(vision, grey);
    const cv::Mat thresholded = thresholdBoard(rectified);
    cv::Mat display = annotatedBoard(thresholded, t, 1);
    input.show(display);
    for (cv::Mat& image : t.correctedClasses) image.release();
    for (;;) {
        std::fprintf(out, "select a field field that has been misclassified\n");
        std::fprintf(out, "(quit by clicking outside the grid area)\n");
        std::fflush(out);
        int x = 0, y = 0, row = 0, column = 0;
        if (!input.waitClick(&x, &y) || !clickedCell(x, y, &row, &column, out)) break;
        markCell(display, row, column);
        input.show(display);
        std::fprintf(out, "digit: \n");
        std::fflush(out);
        const int key = input.waitDigitKey();
        if (key < '0' || key > '9') break;
        const int d = key - '0', i = 9 * row + column;
        std::fprintf(out, "digit %d\n", d);
        t.digit[i] = d;
        t.flag[i] = 1;
        t.correctedClasses[d] = t.snapshot[i].clone();
        const std::string text = std::to_string(d);
        putDigit(display, row, column, text.c_str(), kGreen);
        input.show(display);
    }
    t.mergePending = 1;
    endDialogue(t, thresholded, input, out);
}
