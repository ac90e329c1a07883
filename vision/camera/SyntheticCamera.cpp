#include "SyntheticCamera.h"

#include "PuzzleFile.h"
#include "Sheet.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const double kPi = 3.14159265358979323846;
// The frame is rendered at twice its size and averaged down, so that thin
// printed lines come out grey instead of flickering.
const int kSupersample = 2;
// The sheet is filmed from a copy at half its print resolution, set on a
// table margin wide enough for tiles beside the paper.
const int kCanvasMargin = 400;

cv::Point2d canvasPoint(double x, double y) {
    const cv::Point2d s = sheetPoint(x, y);
    return cv::Point2d((s.x - 0.5) / 2 + kCanvasMargin, (s.y - 0.5) / 2 + kCanvasMargin);
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

// Rotation (camera from model) and camera centre in model coordinates.
void cameraFrame(const CameraPose& pose, cv::Matx33d* rotation, cv::Vec3d* centre) {
    const double rho = pose.rotation * kPi / 180, tilt = pose.tilt * kPi / 180;
    cv::Vec3d axes[3] = {{1, 0, 0},
                         {0, -std::cos(tilt), -std::sin(tilt)},
                         {0, std::sin(tilt), -std::cos(tilt)}};
    for (cv::Vec3d& a : axes)
        a = cv::Vec3d(a[0] * std::cos(rho) - a[1] * std::sin(rho),
                      a[0] * std::sin(rho) + a[1] * std::cos(rho), a[2]);
    const cv::Vec3d target(4.5 + pose.shiftX, 4.5 + pose.shiftY, 0);
    *centre = target - pose.distance * axes[2];
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) (*rotation)(r, c) = axes[r][c];
}

int sceneError(const char* path, int line, const std::string& text) {
    std::printf("scene file %s, line %d: %s\n", path, line, text.c_str());
    return 0;
}

bool readPose(std::istringstream& words, CameraPose& pose) {
    if (!(words >> pose.rotation >> pose.tilt >> pose.distance)) return false;
    pose.shiftX = pose.shiftY = 0;
    if (words >> pose.shiftX && !(words >> pose.shiftY)) return false;
    return pose.distance > 0 && std::fabs(pose.tilt) < 89;
}

}  // namespace

int readSceneFile(const char* path, SceneDescription& scene) {
    std::ifstream in(path);
    if (!in) {
        std::printf("cannot open scene file %s\n", path);
        return 0;
    }
    scene = SceneDescription();
    bool moving = false;
    std::string text;
    for (int number = 1; std::getline(in, text); number++) {
        const size_t comment = text.find('#');
        if (comment != std::string::npos) text.erase(comment);
        std::istringstream words(text);
        std::string key;
        if (!(words >> key)) continue;
        bool ok = true;
        if (key == "size") {
            ok = words >> scene.width >> scene.height && scene.width >= 16 &&
                 scene.height >= 16 && scene.width <= 1920 && scene.height <= 1440;
        } else if (key == "calibration") {
            ok = (bool)(words >> scene.calibration);
        } else if (key == "puzzle") {
            ok = words >> scene.gridNumber && scene.gridNumber >= 0;
            if (ok && !(words >> scene.permutation)) scene.permutation = 0;
            ok = ok && scene.permutation >= 0 && scene.permutation < Sudoku::kPermutationCount;
        } else if (key == "frames") {
            ok = words >> scene.frames && scene.frames >= 1 && scene.frames <= 1000000;
        } else if (key == "pose") {
            ok = readPose(words, scene.start);
        } else if (key == "path") {
            ok = readPose(words, scene.end);
            moving = true;
        } else if (key == "light") {
            ok = words >> scene.light && scene.light >= 0 && scene.light <= 1;
        } else if (key == "blur") {
            ok = words >> scene.blur && scene.blur >= 0 && scene.blur <= 20;
        } else if (key == "noise") {
            ok = words >> scene.noise && scene.noise >= 0 && scene.noise <= 100;
        } else if (key == "seed") {
            ok = (bool)(words >> scene.seed);
        } else if (key == "table") {
            ok = words >> scene.table && scene.table >= 0 && scene.table <= 255;
        } else if (key == "tile") {
            SceneTile tile;
            ok = words >> tile.digit >> tile.x >> tile.y >> tile.angle && tile.digit >= 0 &&
                 tile.digit <= 9;
            if (ok && !(words >> tile.endX)) {
                tile.endX = tile.x, tile.endY = tile.y, tile.endAngle = tile.angle;
            } else if (ok) {
                ok = (bool)(words >> tile.endY >> tile.endAngle);
            }
            if (ok) scene.tiles.push_back(tile);
        } else {
            return sceneError(path, number, "unknown setting \"" + key + "\"");
        }
        std::string rest;
        if (!ok || words >> rest) return sceneError(path, number, "bad values for \"" + key + "\"");
    }
    if (!moving) scene.end = scene.start;
    return 1;
}

int SyntheticCamera::open(const SceneDescription& description) {
    scene = description;
    if (!readCalibration(scene.calibration.c_str(), calibration)) {
        std::printf("cannot read calibration file %s\n", scene.calibration.c_str());
        return 0;
    }
    // The calibration files describe 640 x 480 cameras; other frame sizes
    // see the same view through proportionally scaled intrinsics.
    const float sx = scene.width / 640.0f, sy = scene.height / 480.0f;
    calibration.intrinsic[0] *= sx;
    calibration.intrinsic[2] *= sx;
    calibration.intrinsic[4] *= sy;
    calibration.intrinsic[5] *= sy;
    char path[80];
    std::snprintf(path, sizeof path, "sudoku-grids/g%d.txt", scene.gridNumber);
    board = Sudoku();
    if (!readPuzzle(board, path)) {
        std::printf("cannot read puzzle file %s\n", path);
        return 0;
    }
    board.setPermutationNumber(scene.permutation);
    permute(board);

    cv::Mat half;
    cv::resize(drawPuzzleSheet(board, scene.gridNumber), half, cv::Size(), 0.5, 0.5,
               cv::INTER_AREA);
    // The player cuts the grid out: the table shows around the cut.
    const cv::Rect cut = cutRectangle();
    const cv::Rect kept(cut.x / 2, cut.y / 2, cut.width / 2, cut.height / 2);
    cv::Mat onTable(half.size(), CV_8U, cv::Scalar(scene.table));
    half(kept).copyTo(onTable(kept));
    cv::copyMakeBorder(onTable, canvas, kCanvasMargin, kCanvasMargin, kCanvasMargin, kCanvasMargin,
                       cv::BORDER_CONSTANT, cv::Scalar(scene.table));

    // Pixel i of the supersampled frame covers frame x = (i - 0.5) / 2.
    const int w = scene.width * kSupersample, h = scene.height * kSupersample;
    std::vector<cv::Point2f> pixels;
    pixels.reserve((size_t)w * h);
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            pixels.emplace_back((i + 0.5f) / kSupersample - 0.5f,
                                (j + 0.5f) / kSupersample - 0.5f);
    const cv::Matx33f k(calibration.intrinsic);
    const cv::Vec4f d(calibration.distortion);
    cv::undistortPoints(pixels, rays, k, d);
    return 1;
}

double SyntheticCamera::fraction(int frame) const {
    if (scene.frames <= 1) return 0;
    return std::min(std::max(frame, 0), scene.frames - 1) / (double)(scene.frames - 1);
}

void SyntheticCamera::poseAt(int frame, cv::Vec3d* rotationVector, cv::Vec3d* translation) const {
    const double t = fraction(frame);
    const CameraPose& a = scene.start;
    const CameraPose& b = scene.end;
    CameraPose pose;
    pose.rotation = mix(a.rotation, b.rotation, t);
    pose.tilt = mix(a.tilt, b.tilt, t);
    pose.distance = mix(a.distance, b.distance, t);
    pose.shiftX = mix(a.shiftX, b.shiftX, t);
    pose.shiftY = mix(a.shiftY, b.shiftY, t);
    cv::Matx33d r;
    cv::Vec3d centre;
    cameraFrame(pose, &r, &centre);
    cv::Rodrigues(r, *rotationVector);
    *translation = -(r * centre);
}

cv::Point2f SyntheticCamera::project(double x, double y, double z, int frame) const {
    cv::Vec3d rvec, tvec;
    poseAt(frame, &rvec, &tvec);
    std::vector<cv::Point3d> model{{x, y, z}};
    std::vector<cv::Point2d> image;
    cv::projectPoints(model, rvec, tvec, cv::Matx33d(cv::Matx33f(calibration.intrinsic)),
                      cv::Vec4d(cv::Vec4f(calibration.distortion)), image);
    return cv::Point2f((float)image[0].x, (float)image[0].y);
}

void SyntheticCamera::render(int frame, cv::Mat& image, FrameTruth* truth) const {
    const double t = fraction(frame);
    cv::Mat plane = canvas;
    if (!scene.tiles.empty()) plane = canvas.clone();
    const int tileSize = SheetLayout::kTile / 2;
    const double tc = (tileSize - 1) / 2.0;
    for (const SceneTile& tile : scene.tiles) {
        const cv::Point2d c = canvasPoint(mix(tile.x, tile.endX, t), mix(tile.y, tile.endY, t));
        // Tiles far off the table are not drawn (and their pixel positions
        // would not fit an int).
        if (!(c.x > -tileSize && c.x < plane.cols + tileSize && c.y > -tileSize &&
              c.y < plane.rows + tileSize))
            continue;
        const double a = mix(tile.angle, tile.endAngle, t) * kPi / 180;
        const cv::Rect box = cv::Rect((int)c.x - tileSize, (int)c.y - tileSize, 2 * tileSize,
                                      2 * tileSize) &
                             cv::Rect(0, 0, plane.cols, plane.rows);
        if (box.empty()) continue;
        // Counterclockwise on the sheet is clockwise in canvas rows, which run down.
        const double co = std::cos(a), si = std::sin(a);
        const cv::Matx23d toCanvas(co, si, c.x - box.x - co * tc - si * tc, -si, co,
                                   c.y - box.y + si * tc - co * tc);
        cv::Mat ink, cover;
        cv::warpAffine(drawTile(tile.digit, tileSize), ink, toCanvas, box.size(), cv::INTER_LINEAR,
                       cv::BORDER_CONSTANT, cv::Scalar(0));
        cv::warpAffine(cv::Mat(tileSize, tileSize, CV_8U, cv::Scalar(255)), cover, toCanvas,
                       box.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
        cv::Mat region = plane(box);
        for (int y = 0; y < box.height; y++)
            for (int x = 0; x < box.width; x++) {
                const int alpha = cover.at<unsigned char>(y, x);
                unsigned char& p = region.at<unsigned char>(y, x);
                p = (unsigned char)((p * (255 - alpha) + ink.at<unsigned char>(y, x) * alpha + 127) /
                                    255);
            }
    }

    cv::Vec3d rvec, tvec;
    poseAt(frame, &rvec, &tvec);
    cv::Matx33d r;
    cv::Rodrigues(rvec, r);
    const cv::Vec3d centre = -(r.t() * tvec);
    const int w = scene.width * kSupersample, h = scene.height * kSupersample;
    cv::Mat mapX(h, w, CV_32F), mapY(h, w, CV_32F);
    const double scale = SheetLayout::kCell / 2.0;
    const cv::Point2d origin = canvasPoint(0, 9);
    for (int j = 0; j < h; j++) {
        float* mx = mapX.ptr<float>(j);
        float* my = mapY.ptr<float>(j);
        for (int i = 0; i < w; i++) {
            const cv::Point2f& ray = rays[(size_t)j * w + i];
            // The ray in model coordinates: the transposed rotation times (x, y, 1).
            const double dx = r(0, 0) * ray.x + r(1, 0) * ray.y + r(2, 0);
            const double dy = r(0, 1) * ray.x + r(1, 1) * ray.y + r(2, 1);
            const double dz = r(0, 2) * ray.x + r(1, 2) * ray.y + r(2, 2);
            if (dz >= -1e-9) {  // above the horizon: only table
                mx[i] = my[i] = -1e6f;
                continue;
            }
            const double lambda = -centre[2] / dz;
            mx[i] = (float)(origin.x + (centre[0] + lambda * dx) * scale);
            my[i] = (float)(origin.y + (9 - (centre[1] + lambda * dy)) * scale);
        }
    }
    cv::Mat big, grey;
    cv::remap(plane, big, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
              cv::Scalar(scene.table));
    cv::resize(big, grey, cv::Size(scene.width, scene.height), 0, 0, cv::INTER_AREA);

    cv::Mat light;
    grey.convertTo(light, CV_32F);
    if (scene.light > 0) {
        for (int y = 0; y < light.rows; y++) {
            float* p = light.ptr<float>(y);
            for (int x = 0; x < light.cols; x++)
                p[x] *= (float)(1 - scene.light * 0.5 *
                                        ((double)x / (light.cols - 1) + (double)y / (light.rows - 1)));
        }
    }
    if (scene.blur > 0) cv::GaussianBlur(light, light, cv::Size(), scene.blur);
    if (scene.noise > 0) {
        cv::Mat noise(light.size(), CV_32F);
        cv::RNG random((uint64_t)scene.seed * 7919 + (uint64_t)frame);
        random.fill(noise, cv::RNG::NORMAL, 0, scene.noise);
        light += noise;
    }
    light.convertTo(grey, CV_8U);
    cv::cvtColor(grey, image, cv::COLOR_GRAY2BGR);

    if (!truth) return;
    truth->rotationVector = rvec;
    truth->translation = tvec;
    truth->intrinsic = cv::Matx33d(cv::Matx33f(calibration.intrinsic));
    truth->distortion = cv::Vec4d(cv::Vec4f(calibration.distortion));
    std::vector<cv::Point3d> model;
    for (int y = 0; y <= 9; y++)
        for (int x = 0; x <= 9; x++) model.emplace_back(x, y, 0);
    for (const SceneTile& tile : scene.tiles)
        model.emplace_back(mix(tile.x, tile.endX, t), mix(tile.y, tile.endY, t), 0);
    std::vector<cv::Point2d> projected;
    cv::projectPoints(model, rvec, tvec, truth->intrinsic, truth->distortion, projected);
    for (int i = 0; i < 100; i++)
        truth->crossings[i] = cv::Point2f((float)projected[i].x, (float)projected[i].y);
    for (int i = 0; i < 81; i++) truth->digits[i] = board.digitAt(i / 9, i % 9);
    truth->tiles.clear();
    for (size_t k = 0; k < scene.tiles.size(); k++) {
        const SceneTile& tile = scene.tiles[k];
        const cv::Point2d& p = projected[100 + k];
        truth->tiles.push_back({tile.digit, model[100 + k].x, model[100 + k].y,
                                mix(tile.angle, tile.endAngle, t),
                                cv::Point2f((float)p.x, (float)p.y)});
    }
}
