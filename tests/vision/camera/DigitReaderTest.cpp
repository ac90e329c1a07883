// Reading digits: cells off the picture, the cell classification and its
// correlation, the pattern files, and teaching with scripted clicks.
#include "SceneTest.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A grid running off the picture, with the scene's true pose: the cells
// whose middle the frame shows read what is printed, the others "?", not the
// warp's black edge taken for ink.
TEST(DigitReader, CellsNotWhollyInThePictureAreUnknown) {
    enterDataFolder();
    SceneDescription scene = sceneAt(0, 0, 12);
    scene.start.shiftX = scene.end.shiftX = 3.0;
    scene.start.shiftY = scene.end.shiftY = -2.5;
    SyntheticCamera camera;
    ASSERT_TRUE(camera.open(scene));
    FrameTruth truth;
    const cv::Mat grey = bottomUpGrey(camera, &truth);
    GridVision vision;
    ASSERT_TRUE(vision.readCalibration("camcalib.txt"));
    loadPatterns(vision.digits.patterns, stdout);
    ASSERT_TRUE(poseFromTruth(vision, truth, grey.rows));
    readDigits(vision, grey);
    const cv::Rect picture(0, 0, grey.cols - 1, grey.rows - 1);
    int unknown = 0;
    for (int i = 0; i < 81; i++) {
        bool whole = true;
        for (const double dx : {0.1, 0.9})
            for (const double dy : {0.1, 0.9})
                whole = whole && picture.contains(camera.project(i % 9 + dx, i / 9 + dy, 0, 0));
        EXPECT_EQ(vision.digits.digit[i], whole ? truth.digits[9 * (8 - i / 9) + i % 9] : -1) << i;
        unknown += !whole;
    }
    EXPECT_GT(unknown, 9);
    EXPECT_LT(unknown, 72);
}

TEST(DigitReader, EmptyCellsSpecksTiesAndMissingPatterns) {
    cv::Mat empty(kPatchSide, kPatchSide, CV_8U, cv::Scalar(255)), speck = empty.clone(),
        inked = empty.clone(), border = empty.clone();
    speck(cv::Rect(12, 12, 3, 3)).setTo(0);  // 9 pixels: no digit
    cv::rectangle(inked, cv::Rect(9, 6, 10, 16), cv::Scalar(0), 2);
    border(cv::Rect(0, 0, kPatchSide, 2)).setTo(0);  // the neighbouring line
    cv::Mat none[10], twins[10];
    twins[7] = inked(cv::Rect(8, 5, 12, 18)).clone();
    twins[3] = twins[7].clone();
    twins[5] = cv::Mat(kPatchSide + 1, 10, CV_8U, cv::Scalar(0));  // larger: never matched
    const struct {
        const cv::Mat* patch;
        const cv::Mat* patterns;
        int digit;
        float score;
    } cases[] = {{&empty, twins, 0, 1.0f}, {&speck, twins, 0, 1.0f}, {&border, twins, 0, 1.0f},
                 {&inked, none, -1, -1.0f}, {&inked, twins, 3, 1.0f}};
    for (const auto& k : cases) {
        const cv::Mat before = k.patch->clone();
        float score = 0;
        EXPECT_EQ(classifyPatch(*k.patch, k.patterns, &score, 0, stdout), k.digit);
        EXPECT_NEAR(score, k.score, 1e-4);
        EXPECT_EQ(cv::norm(before, *k.patch, cv::NORM_INF), 0);
    }
}

// The classification's own correlation against OpenCV's, on noise, on
// binary patches with flat windows, and with a flat pattern.
TEST(DigitReader, BestCorrelationIsTheMaximumOfOpenCVsNormedCorrelation) {
    cv::RNG rng(12);
    for (int k = 0; k < 300; k++) {
        cv::Mat patch(kPatchSide, kPatchSide, CV_8U), pattern(rng.uniform(1, 29), rng.uniform(1, 29), CV_8U);
        rng.fill(patch, cv::RNG::UNIFORM, 0, 256);
        rng.fill(pattern, cv::RNG::UNIFORM, 0, 256);
        if (k % 3 == 1) {  // a spot of ink on paper: flat windows around it
            patch.setTo(255);
            patch(cv::Rect(rng.uniform(0, 20), rng.uniform(0, 20), 4, 6)).setTo(0);
        }
        if (k % 10 == 2) pattern.setTo(cv::Scalar(k));
        cv::Mat result;
        double most = 0;
        cv::matchTemplate(patch, pattern, result, cv::TM_CCOEFF_NORMED);
        cv::minMaxLoc(result, nullptr, &most);
        EXPECT_NEAR(bestCorrelation(patch, pattern), most, 1e-5) << k;
    }
}

// Clicks given in advance; the dialogue ends when they run out.
struct ScriptedClicks : OperatorInput {
    std::deque<cv::Point> clicks;
    void show(const cv::Mat&) override {}
    int waitClick(int* x, int* y) override {
        if (clicks.empty()) return 0;
        *x = clicks.front().x, *y = clicks.front().y;
        clicks.pop_front();
        return 1;
    }
    int waitDigitKey() override { return -1; }
};

// Pattern files in a folder of the build: saving leaves no part file and
// fails without its folder; unusable files are skipped with one line each;
// teaching from a folder that holds one file writes the others, never
// replacing that one (the program tests teach an empty folder).
TEST(PatternFiles, SavingSkippingUnusableOnesAndTeachingMissingOnesOnly) {
    const std::string folder = std::string(TABRELO_BUILD) + "/digit-runs";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/patterns");
    ASSERT_EQ(chdir(folder.c_str()), 0);
    ASSERT_EQ(savePattern("patterns/p_th4.bmp", cv::Mat(20, 12, CV_8U, cv::Scalar(0))), 1);
    EXPECT_FALSE(std::filesystem::exists("patterns/p_th4.bmp.part"));
    EXPECT_EQ(savePattern("no-folder-file/p4.bmp", cv::Mat()), 0);
    cv::imwrite("patterns/p_th1.bmp", cv::Mat(kPatchSide + 1, 10, CV_8U, cv::Scalar(0)));
    std::vector<uchar> png;
    cv::imencode(".png", cv::Mat(10, 10, CV_16U, cv::Scalar(0)), png);
    std::ofstream("patterns/p_th2.bmp", std::ios::binary).write((const char*)png.data(), png.size());
    std::ofstream("patterns/p_th3.bmp") << "BM not a picture";
    FILE* out = std::tmpfile();
    DigitPatterns patterns;
    EXPECT_EQ(loadPatterns(patterns, out), 1);
    const std::string said = textFrom(out);
    std::fclose(out);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
    for (int d = 1; d <= 9; d++) EXPECT_EQ(patterns.thresholded[d].empty(), d != 4) << d;

    std::filesystem::remove_all("patterns");
    std::filesystem::create_directory("patterns");
    ASSERT_EQ(symlink(TABRELO_DATA "/sudoku-grids", "sudoku-grids"), 0);
    ASSERT_EQ(symlink(TABRELO_DATA "/camcalib.txt", "camcalib.txt"), 0);
    std::ofstream("patterns/p5.bmp") << "kept";  // never replaced, even unusable
    SceneRun run(sceneAt(10, 20, 14));
    const FrameTruth truth = run.step(0);
    ASSERT_EQ(run.c.gridFound, 1);
    int cellOf[10] = {};
    for (int i = 80; i >= 0; i--) cellOf[truth.digits[9 * (8 - i / 9) + i % 9]] = i;
    ScriptedClicks teach;
    for (int d = 1; d <= 9; d++)  // cell i (row i / 9 from the bottom) in "DUMP"
        teach.clicks.emplace_back(40 + 40 * (cellOf[d] % 9), 360 - 40 * (cellOf[d] / 9));
    teachDigits(run.vision, run.c.grey, teach);
    for (int d = 1; d <= 9; d++) {
        EXPECT_EQ(std::filesystem::exists("patterns/p_th" + std::to_string(d) + ".bmp"), d != 5);
        EXPECT_EQ(run.vision.digits.digit[cellOf[d]], d);
    }
    std::ifstream kept("patterns/p5.bmp");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
}

}  // namespace
