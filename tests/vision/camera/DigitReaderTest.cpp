// Reading the printed digits of the stand-in's frames with the shipped
// patterns, the cell classification, the pattern files, and teaching and
// correcting with scripted clicks and keys.
#include "CameraStep.h"
#include "SceneTest.h"

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// One frame of a scene worked on like a camera step; the truth of its digits.
struct SceneFrame {
    CameraState c;
    GridVision vision;
    FrameTruth truth;
    bool found = false;

    explicit SceneFrame(const SceneDescription& scene) {
        SyntheticCamera camera;
        if (!camera.open(scene)) return;
        setUpImages(c, vision, cv::Size(scene.width, scene.height), stdout);
        cv::Mat frame;
        camera.render(0, frame, &truth);
        takeLiveFrame(c, frame);
        workOnFrame(c, vision, stdout);
        found = c.gridFound == 1;
    }
    // The printed digit of grid row g (from the bottom), column k.
    int printed(int g, int k) const { return truth.digits[9 * (8 - g) + k]; }
};

TEST(DigitReader, ShippedPatternsReadEveryPrintedCellAcrossPoses) {
    enterDataFolder();
    const double poses[][3] = {{0, 0, 14}, {-10, 30, 16}, {-35, 15, 17}, {8, 35, 18}};
    for (const auto& p : poses) {
        SceneFrame f(sceneAt(p[0], p[1], p[2]));
        SCOPED_TRACE(testing::Message() << "pose " << p[0] << " " << p[1] << " " << p[2]);
        ASSERT_TRUE(f.found);
        for (int i = 0; i < 81; i++) EXPECT_EQ(f.vision.digits.digit[i], f.printed(i / 9, i % 9)) << i;
        EXPECT_EQ(f.vision.digits.loadPending, 1);
        for (int d = 1; d <= 9; d++) EXPECT_FALSE(f.vision.digits.readClasses[d].empty()) << d;
    }
}

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
    cv::Mat grey = greyFrame(camera, 0, &truth);
    cv::flip(grey, grey, 0);
    GridVision vision;
    ASSERT_TRUE(vision.readCalibration("camcalib.txt"));
    loadPatterns(vision.digits.patterns, stdout);
    float image[100][2], model[100][3];
    for (int k = 0; k < 100; k++) {
        const cv::Point2f p = truth.crossings[k];
        image[k][0] = p.x, image[k][1] = grey.rows - 1 - p.y;
        model[k][0] = (float)(k % 10), model[k][1] = (float)(k / 10), model[k][2] = 0;
    }
    ASSERT_TRUE(vision.Compute3DPose(image, model, 100));
    readDigits(vision, grey);
    const cv::Rect picture(0, 0, grey.cols - 1, grey.rows - 1);
    int unknown = 0;
    for (int i = 0; i < 81; i++) {
        const double x = i % 9, y = i / 9;
        bool whole = true;
        for (const double dx : {0.1, 0.9})
            for (const double dy : {0.1, 0.9})
                whole = whole && picture.contains(camera.project(x + dx, y + dy, 0, 0));
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

class PatternFolder : public ::testing::Test {
protected:
    std::string folder = std::string(TABRELO_BUILD) + "/digit-runs/" +
                         testing::UnitTest::GetInstance()->current_test_info()->name();
    void SetUp() override {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/patterns");
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }
    std::string bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(PatternFolder, SavedPatternsStandUprightInTheFileAndLoadBackAsSaved) {
    cv::Mat pattern(20, 12, CV_8U);
    cv::randu(pattern, 0, 256);
    ASSERT_EQ(savePattern("patterns/p4.bmp", pattern), 1);
    const cv::Mat file = cv::imread("patterns/p4.bmp", cv::IMREAD_UNCHANGED);
    ASSERT_EQ(file.size(), pattern.size());
    EXPECT_EQ(cv::norm(file.row(0), pattern.row(pattern.rows - 1), cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(loadPattern("patterns/p4.bmp", stdout), pattern, cv::NORM_INF), 0);
    EXPECT_FALSE(std::filesystem::exists("patterns/p4.bmp.part"));
    EXPECT_EQ(savePattern("no-folder-file/p4.bmp", cv::Mat()), 0);
}

TEST_F(PatternFolder, UnusablePatternFilesAreSkippedWithOneLineEach) {
    cv::imwrite("patterns/p_th1.bmp", cv::Mat(kPatchSide + 1, 10, CV_8U, cv::Scalar(0)));
    std::vector<uchar> png;
    cv::imencode(".png", cv::Mat(10, 10, CV_16U, cv::Scalar(0)), png);
    std::ofstream("patterns/p_th2.bmp", std::ios::binary).write((const char*)png.data(), png.size());
    std::ofstream("patterns/p_th3.bmp") << "BM not a picture";
    cv::imwrite("patterns/p_th4.bmp", cv::Mat(20, 12, CV_8U, cv::Scalar(0)));
    FILE* out = std::tmpfile();
    DigitPatterns patterns;
    EXPECT_EQ(loadPatterns(patterns, out), 1);
    std::rewind(out);
    int lines = 0;
    for (int ch; (ch = std::fgetc(out)) != EOF;) lines += ch == '\n';
    std::fclose(out);
    EXPECT_EQ(lines, 3);
    for (int d = 1; d <= 9; d++) EXPECT_EQ(patterns.thresholded[d].empty(), d != 4) << d;
}

// Clicks and keys given in advance; the dialogue ends when they run out.
class ScriptedInput : public OperatorInput {
public:
    std::deque<cv::Point> clicks;
    std::deque<int> keys;
    int shown = 0;
    void show(const cv::Mat& display) override { shown += display.size() == cv::Size(400, 400); }
    int waitClick(int* x, int* y) override {
        if (clicks.empty()) return 0;
        *x = clicks.front().x, *y = clicks.front().y;
        clicks.pop_front();
        return 1;
    }
    int waitDigitKey() override {
        if (keys.empty()) return -1;
        const int key = keys.front();
        keys.pop_front();
        return key;
    }
};

// Where the operator clicks on grid row g (from the bottom), column k in "DUMP".
cv::Point clickOn(int g, int k) { return cv::Point(40 + 40 * k, 400 - (40 + 40 * g)); }

TEST_F(PatternFolder, TeachingWritesMissingPatternsOnlyAndLaterFramesReadThem) {
    ASSERT_EQ(symlink(TABRELO_DATA "/sudoku-grids", "sudoku-grids"), 0);
    ASSERT_EQ(symlink(TABRELO_DATA "/camcalib.txt", "camcalib.txt"), 0);
    std::ofstream("patterns/p5.bmp") << "kept";  // never replaced, even unusable
    SceneFrame f(sceneAt(10, 20, 14));
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.vision.digits.digit[0], f.printed(0, 0) ? -1 : 0);  // no patterns: "?"
    ScriptedInput input;
    int cellOf[10] = {};
    for (int i = 80; i >= 0; i--) cellOf[f.printed(i / 9, i % 9)] = i;
    for (int d = 1; d <= 9; d++) input.clicks.push_back(clickOn(cellOf[d] / 9, cellOf[d] % 9));
    teachDigits(f.vision, f.c.grey, input);
    EXPECT_GE(input.shown, 10);
    for (int d = 1; d <= 9; d++) {
        const std::string name = "patterns/p" + std::to_string(d) + ".bmp";
        EXPECT_EQ(std::filesystem::exists("patterns/p_th" + std::to_string(d) + ".bmp"), d != 5);
        EXPECT_EQ(f.vision.digits.digit[cellOf[d]], d);
        EXPECT_EQ(f.vision.digits.flag[cellOf[d]], 1);
        if (d == 5) continue;
        const cv::Mat loaded = loadPattern(name.c_str(), stdout);
        EXPECT_EQ(cv::norm(loaded, f.vision.digits.patterns.grey[d], cv::NORM_INF), 0) << d;
    }
    EXPECT_EQ(bytes("patterns/p5.bmp"), "kept");
    readDigits(f.vision, f.c.grey);
    for (int i = 0; i < 81; i++)
        if (f.printed(i / 9, i % 9) != 5) {
            EXPECT_EQ(f.vision.digits.digit[i], f.printed(i / 9, i % 9)) << i;
        }
}

TEST_F(PatternFolder, DialoguesEndOnAClickOutsideOrWhenTheOperatorLeaves) {
    ASSERT_EQ(symlink(TABRELO_DATA "/sudoku-grids", "sudoku-grids"), 0);
    ASSERT_EQ(symlink(TABRELO_DATA "/camcalib.txt", "camcalib.txt"), 0);
    SceneFrame f(sceneAt(0, 10, 14));
    ASSERT_TRUE(f.found);
    DigitTables& t = f.vision.digits;
    ScriptedInput teach;
    teach.clicks = {cv::Point(380, 200)};  // x = 380 lies outside: digit 1 skipped, then Esc
    teachDigits(f.vision, f.c.grey, teach);
    EXPECT_TRUE(std::filesystem::is_empty("patterns"));

    ScriptedInput correct;
    correct.clicks = {clickOn(4, 4), clickOn(0, 8), cv::Point(200, 20)};  // y = 380: outside
    correct.keys = {'0', '7'};
    correctDigits(f.vision, f.c.grey, correct);
    EXPECT_EQ(t.digit[40], 0);
    EXPECT_EQ(t.flag[40], 1);
    EXPECT_EQ(t.digit[8], 7);
    EXPECT_EQ(t.flag[8], 1);
    EXPECT_FALSE(t.correctedClasses[7].empty());
    EXPECT_EQ(t.mergePending, 1);

    ScriptedInput leaves;  // a click, then Esc instead of the digit
    leaves.clicks = {clickOn(8, 0)};
    correctDigits(f.vision, f.c.grey, leaves);
    EXPECT_EQ(t.flag[72], 0);
    EXPECT_TRUE(leaves.clicks.empty());
}

}  // namespace
