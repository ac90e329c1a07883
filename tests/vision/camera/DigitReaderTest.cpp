// The cell classification, the pattern files, and teaching and correcting
// with scripted clicks and keys on frames of the stand-in.
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
