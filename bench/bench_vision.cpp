// The grid search's per-frame work on a 640 x 480 synthetic frame, each
// figure also as a multiple ("x_contour") of a contour-based Sudoku detector
// (adaptive threshold, contours, polygon, warp to 400 x 400) timed in the
// same run on the same frame. The multiples count the process's CPU time,
// so that other work on a shared machine does not move them.
//   build/bench/bench_vision --benchmark_repetitions=5
#include "GridVision.h"
#include "Hough.h"
#include "SyntheticCamera.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

const int kLines = 25;  // "maxlines"

// CPU seconds of the whole process (OpenCV's worker threads included).
double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

const cv::Mat& frame() {
    static const cv::Mat grey = [] {
        if (chdir(TABRELO_DATA) != 0) std::abort();
        SceneDescription scene;
        scene.gridNumber = 1;
        scene.start.rotation = 8;
        scene.start.tilt = 18;
        scene.start.distance = 13;
        scene.end = scene.start;
        scene.light = 0.25;
        scene.blur = 0.6;
        scene.noise = 2;
        SyntheticCamera camera;
        if (!camera.open(scene)) std::abort();
        cv::Mat colour, g;
        camera.render(0, colour);
        cv::cvtColor(colour, g, cv::COLOR_BGR2GRAY);
        return g;
    }();
    return grey;
}

// The biggest four-cornered outline, warped upright.
void contourDetector(const cv::Mat& grey, cv::Mat& board) {
    cv::Mat binary;
    cv::adaptiveThreshold(grey, binary, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV,
                          11, 2);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(binary, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double bestArea = 0;
    std::vector<cv::Point> best;
    for (const auto& contour : contours) {
        const double area = cv::contourArea(contour);
        if (area <= bestArea) continue;
        std::vector<cv::Point> polygon;
        cv::approxPolyDP(contour, polygon, 0.02 * cv::arcLength(contour, true), true);
        if (polygon.size() == 4) bestArea = area, best = polygon;
    }
    if (best.size() != 4) return;  // some photos have no four-cornered outline
    const cv::Point2f from[4] = {best[0], best[1], best[2], best[3]};
    const cv::Point2f to[4] = {{0, 0}, {0, 399}, {399, 399}, {399, 0}};
    cv::warpPerspective(grey, board, cv::getPerspectiveTransform(from, to), cv::Size(400, 400));
}

double contourSeconds() {
    static const double seconds = [] {
        cv::Mat board;
        std::vector<double> batches;
        for (int b = 0; b < 9; b++) {
            const double start = cpuSeconds();
            for (int i = 0; i < 20; i++) contourDetector(frame(), board);
            batches.push_back((cpuSeconds() - start) / 20);
        }
        std::sort(batches.begin(), batches.end());
        return batches[batches.size() / 2];
    }();
    return seconds;
}

// Runs `step` in the benchmark loop and reports its time against the detector.
template <class Step>
void timed(benchmark::State& state, Step step) {
    const double reference = contourSeconds();
    double total = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        step();
        total += cpuSeconds() - start;
    }
    state.counters["x_contour"] = total / state.iterations() / reference;
}

struct Work {
    cv::Mat dx, dy, magnitude, angle, distance, mask;
    HoughSpace space;
    VoteList votes;
    Work() {
        const cv::Mat& grey = frame();
        const int diagonal = (int)std::sqrt((double)grey.cols * grey.cols + grey.rows * grey.rows);
        space.init(2 * diagonal, 360, 0);
        gradient();
        computeDistance(angle, distance);
        space.collectVotes(angle, magnitude, distance, votes);
        mask = cv::Mat::zeros(grey.size(), CV_8U);
    }
    void gradient() {
        sobelDerivative(frame(), 0, 1, 0, dx);
        sobelDerivative(frame(), 0, 0, 1, dy);
        computeGradient(dx, dy, 0, magnitude, angle, 20, 1);
    }
    // Half the lines marked, as in the middle of a search.
    void markSomeLines() {
        space.vote(votes);
        for (int k = 0; k < kLines / 2; k++) {
            int theta, d;
            space.maximum(votes, &theta, &d);
            MarkLineBand(angle, distance, mask, 255, theta, 60, d, 400, 5);
            space.blockMasked(votes, mask);
        }
    }
};

void ContourDetector(benchmark::State& state) {
    cv::Mat board;
    timed(state, [&] { contourDetector(frame(), board); });
}

void Gradient(benchmark::State& state) {
    Work w;
    timed(state, [&] { w.gradient(); });
}

void DistanceImage(benchmark::State& state) {
    Work w;
    timed(state, [&] { computeDistance(w.angle, w.distance); });
}

void VotePlain(benchmark::State& state) {
    Work w;
    timed(state, [&] { w.space.vote(w.angle, w.magnitude, w.distance); });
}

void VoteGathered(benchmark::State& state) {
    Work w;
    timed(state, [&] { w.space.vote(w.votes); });
}

void GatherVotes(benchmark::State& state) {
    Work w;
    timed(state, [&] { w.space.collectVotes(w.angle, w.magnitude, w.distance, w.votes); });
}

void MaskedVotePlain(benchmark::State& state) {
    Work w;
    w.markSomeLines();
    timed(state, [&] { w.space.maskedVote(w.angle, w.magnitude, w.distance, w.mask); });
}

void BlockMasked(benchmark::State& state) {
    Work w;
    w.markSomeLines();
    timed(state, [&] { w.space.blockMasked(w.votes, w.mask); });
}

void MaximumPlain(benchmark::State& state) {
    Work w;
    w.markSomeLines();
    int theta, d;
    timed(state, [&] { benchmark::DoNotOptimize(w.space.maximum(&theta, &d)); });
}

void MaximumGathered(benchmark::State& state) {
    Work w;
    w.markSomeLines();
    int theta, d;
    timed(state, [&] { benchmark::DoNotOptimize(w.space.maximum(w.votes, &theta, &d)); });
}

// gradient + distance + vote + 25 x (maximum, band, masked vote)
void SearchSequence(benchmark::State& state) {
    Work w;
    timed(state, [&] {
        w.gradient();
        computeDistance(w.angle, w.distance);
        w.space.collectVotes(w.angle, w.magnitude, w.distance, w.votes);
        w.mask.setTo(0);
        w.space.vote(w.votes);
        for (int k = 0; k < kLines; k++) {
            int theta, d;
            w.space.maximum(w.votes, &theta, &d);
            MarkLineBand(w.angle, w.distance, w.mask, 255, theta, 60, d, 400, 5);
            w.space.blockMasked(w.votes, w.mask);
        }
    });
}

// The same sequence with the plain passes, for comparison.
void SearchSequencePlain(benchmark::State& state) {
    Work w;
    timed(state, [&] {
        w.gradient();
        computeDistance(w.angle, w.distance);
        w.mask.setTo(0);
        w.space.vote(w.angle, w.magnitude, w.distance);
        for (int k = 0; k < kLines; k++) {
            int theta, d;
            w.space.maximum(&theta, &d);
            MarkLineBand(w.angle, w.distance, w.mask, 255, theta, 60, d, 400, 5);
            w.space.maskedVote(w.angle, w.magnitude, w.distance, w.mask);
        }
    });
}

// The frames of the whole search: the synthetic frame and a few photos of
// the shared data scaled to 640 wide, all bottom-up as the camera step makes them.
const char* const kPhotos[] = {"image1.jpg", "image10.jpg", "image100.jpg", "image1000.jpg"};

cv::Mat searchFrame(int which) {
    cv::Mat grey;
    if (which == 0) {
        grey = frame().clone();
    } else {
        const std::string path = std::string(TABRELO_DATA) + "/../../shared/data/photos/" +
                                 kPhotos[which - 1];
        const cv::Mat photo = cv::imread(path, cv::IMREAD_GRAYSCALE);
        if (photo.empty()) return photo;
        cv::resize(photo, grey, cv::Size(640, photo.rows * 640 / photo.cols), 0, 0,
                   cv::INTER_AREA);
    }
    cv::flip(grey, grey, 0);
    return grey;
}

// FindGrid and both poses as the camera step runs them, timed turn about
// with the contour detector on the same frame.
void WholeSearch(benchmark::State& state) {
    const cv::Mat grey = searchFrame((int)state.range(0));
    if (grey.empty()) {
        state.SkipWithError("photo not found");
        return;
    }
    GridVision vision;
    vision.out = nullptr;
    if (!vision.readCalibration(TABRELO_DATA "/camcalib.txt")) std::abort();
    cv::Mat board;
    double search = 0, contour = 0;
    int found = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        found = vision.findGrid(grey) && vision.search.horizontal.count == 10 &&
                vision.search.vertical.count == 10;
        const double middle = cpuSeconds();
        contourDetector(grey, board);
        search += middle - start;
        contour += cpuSeconds() - middle;
    }
    state.counters["x_contour"] = search / contour;
    state.counters["found"] = found;
    state.SetLabel(state.range(0) == 0 ? "synthetic" : kPhotos[state.range(0) - 1]);
}

// One tracked frame (TrackGrid and the pose from its crossings) on frames of
// the shipped table scene, timed turn about with the contour detector on the
// same frame; each frame is tracked from the pose of the one before.
void TrackedFrame(benchmark::State& state) {
    if (chdir(TABRELO_DATA) != 0) std::abort();
    SceneDescription scene;
    SyntheticCamera camera;
    if (!readSceneFile("scenes/table.scene", scene) || !camera.open(scene)) std::abort();
    std::vector<cv::Mat> frames;
    for (int f = 0; f < scene.frames; f++) {
        cv::Mat colour, grey;
        camera.render(f, colour);
        cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
        cv::flip(grey, grey, 0);
        frames.push_back(grey);
    }
    GridVision vision;
    vision.out = nullptr;
    if (!vision.readCalibration("camcalib.txt") || !vision.findGrid(frames[0])) std::abort();
    cv::Mat board;
    double track = 0, contour = 0;
    int tracked = 0, count = 0;
    size_t f = 1;
    for (auto _ : state) {
        const cv::Mat& grey = frames[f];
        const double start = cpuSeconds();
        tracked += vision.trackGrid(grey, nullptr, 1);
        const double middle = cpuSeconds();
        contourDetector(grey, board);
        track += middle - start;
        contour += cpuSeconds() - middle;
        count++;
        // Back to the start, from the pose the search finds there.
        if (++f == frames.size()) {
            state.PauseTiming();
            f = 1;
            vision.findGrid(frames[0]);
            state.ResumeTiming();
        }
    }
    state.counters["x_contour"] = track / contour;
    state.counters["tracked_share"] = (double)tracked / count;
}

// The board difference and the tiles around the grid on the first frame of
// the shipped tile scene (three tiles beside the grid, overview panes on).
void TilesFrame(benchmark::State& state) {
    if (chdir(TABRELO_DATA) != 0) std::abort();
    SceneDescription scene;
    SyntheticCamera camera;
    if (!readSceneFile("scenes/tiles.scene", scene) || !camera.open(scene)) std::abort();
    cv::Mat colour, grey;
    camera.render(0, colour);
    cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
    cv::flip(grey, grey, 0);
    GridVision vision;
    vision.out = nullptr;
    if (!vision.readCalibration("camcalib.txt") || !vision.findGrid(grey)) std::abort();
    loadPatterns(vision.digits.patterns, stderr);
    rectifyAndShow(vision, grey);
    for (auto _ : state) {
        boardDifference(vision, grey, 0, nullptr);
        tilesAroundGrid(vision, grey, 1, nullptr);
    }
    state.counters["tiles"] = (double)vision.tiles.list.size();
}

// Reading the 81 cells of the synthetic frame with the nine shipped
// patterns (board warp, threshold, cuts, classification, the board display),
// against the contour detector.
void ReadDigits(benchmark::State& state) {
    cv::Mat grey;
    cv::flip(frame(), grey, 0);
    GridVision vision;
    vision.out = nullptr;
    if (!vision.readCalibration("camcalib.txt") || !vision.findGrid(grey) ||
        loadPatterns(vision.digits.patterns, stderr) != 9)
        std::abort();
    timed(state, [&] { readDigits(vision, grey); });
    int read = 0;
    for (int d : vision.digits.digit) read += d >= 0;
    state.counters["cells_read"] = read;
}

// How well the shipped patterns read the tiles of the shipped tile scene:
// every tile wholly in a strip beside the grid, on every frame, as the
// new-tile check reads it (a tile is taken above 0.9).
void TileScores(benchmark::State& state) {
    if (chdir(TABRELO_DATA) != 0) std::abort();
    SceneDescription scene;
    SyntheticCamera camera;
    if (!readSceneFile("scenes/tiles.scene", scene) || !camera.open(scene)) std::abort();
    GridVision vision;
    vision.out = nullptr;
    if (!vision.readCalibration("camcalib.txt") || loadPatterns(vision.digits.patterns, stderr) != 9)
        std::abort();
    std::vector<float> scores;
    for (auto _ : state) {
        scores.clear();
        for (int f = 0; f < scene.frames; f++) {
            cv::Mat colour, grey, warped, thresholded;
            camera.render(f, colour);
            cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
            cv::flip(grey, grey, 0);
            if (!vision.findGrid(grey)) continue;
            for (const ModelRegion& strip : {ModelRegion{9, -3, 12, 9}, ModelRegion{0, -3, 9, 0}}) {
                warpRegion(vision, grey, strip, 0, warped, thresholded);
                cv::Mat labels = thresholded.clone();
                for (int y = 0, number = 1; y < labels.rows; y++)
                    for (int x = 0; x < labels.cols; x++) {
                        cv::Rect box;
                        if (labels.at<unsigned char>(y, x) != 255) continue;
                        const int area = cv::floodFill(labels, cv::Point(x, y), cv::Scalar(number),
                                                       &box, cv::Scalar(0), cv::Scalar(0), 4);
                        // Tiles the strip cuts off are left out.
                        const bool inside = box.x > 0 && box.y > 0 && box.br().x < labels.cols &&
                                            box.br().y < labels.rows;
                        if (inside && area >= 100 && area <= 1600 &&
                            std::abs(box.width - box.height) < 5)
                            scores.push_back(readComponent(labels, thresholded, number, box, strip, 0,
                                                           vision.digits.patterns.thresholded,
                                                           vision.tiles.outline)
                                                 .score);
                        number = number % 250 + 1;
                    }
            }
        }
    }
    std::sort(scores.begin(), scores.end());
    state.counters["readings"] = (double)scores.size();
    state.counters["lowest"] = scores.empty() ? 0 : scores.front();
    state.counters["median"] = scores.empty() ? 0 : scores[scores.size() / 2];
}

}  // namespace

BENCHMARK(TileScores)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ReadDigits)->Unit(benchmark::kMillisecond);
BENCHMARK(TilesFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(TrackedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeSearch)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(ContourDetector)->Unit(benchmark::kMillisecond);
BENCHMARK(Gradient)->Unit(benchmark::kMillisecond);
BENCHMARK(DistanceImage)->Unit(benchmark::kMillisecond);
BENCHMARK(GatherVotes)->Unit(benchmark::kMillisecond);
BENCHMARK(VotePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(VoteGathered)->Unit(benchmark::kMillisecond);
BENCHMARK(MaskedVotePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BlockMasked)->Unit(benchmark::kMillisecond);
BENCHMARK(MaximumPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(MaximumGathered)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchSequence)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchSequencePlain)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
