// The camera game on the stand-in: the program finds the scene's grid and
// draws its frame into the live picture, and the operator console's keys
// work, with the game window still quitting on Esc.
#include "GameProgram.h"
#include "SyntheticCamera.h"

#include <algorithm>
#include <vector>

namespace {

// Distance from p to the segment a-b.
double segmentDistance(cv::Point2f p, cv::Point2f a, cv::Point2f b) {
    const cv::Point2f d = b - a;
    const double t = std::clamp((double)(p - a).dot(d) / std::max((double)d.dot(d), 1e-9), 0.0, 1.0);
    return cv::norm(p - (a + d * (float)t));
}

// The grid's yellow frame of every scene frame: its four sides and the axis,
// and the circles of radius 11 that tracking draws around the crossings of
// the thick lines (as segments of no length: the circle lies 11 pixels off).
std::vector<std::vector<std::pair<cv::Point2f, cv::Point2f>>> truthFrames() {
    SceneDescription scene;
    SyntheticCamera camera;
    std::vector<std::vector<std::pair<cv::Point2f, cv::Point2f>>> frames;
    if (chdir(TABRELO_DATA) != 0 || !readSceneFile("scenes/table.scene", scene) ||
        !camera.open(scene))
        return frames;
    for (int f = 0; f < scene.frames; f++) {
        const cv::Point2f c[5] = {camera.project(0, 0, 0, f), camera.project(9, 0, 0, f),
                                  camera.project(9, 9, 0, f), camera.project(0, 9, 0, f),
                                  camera.project(0, 0, 9, f)};
        frames.push_back({{c[0], c[1]}, {c[1], c[2]}, {c[2], c[3]}, {c[3], c[0]}, {c[0], c[4]}});
        for (int y = 0; y <= 9; y += 3)
            for (int x = 0; x <= 9; x += 3) {
                const cv::Point2f p = camera.project(x, y, 0, f);
                frames.back().push_back({p, p});
            }
    }
    return frames;
}

bool yellow(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 200 && p[2] < 80; }
bool red(const cv::Vec3b& p) { return p[0] > 200 && p[1] < 80 && p[2] < 80; }

class CameraGame : public ::testing::Test {
protected:
    XvfbDisplay display;
    // One folder per test: ctest runs them side by side.
    GameProgram program{std::string("camera-") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                        "\n\n"};

    void SetUp() override {
        ASSERT_TRUE(display.ok());
        runCommand("cp -r '" TABRELO_DATA "/scenes' '" TABRELO_DATA "/imgs' '" TABRELO_DATA
                   "/patterns' '" TABRELO_DATA "/camcalib.txt' '" TABRELO_DATA
                   "/sudoku-grids' '" + program.folder + "/'");
        program.camera = "scenes/table.scene";
        ASSERT_TRUE(program.start());
    }

    // The live picture's window once the picture is shown in it: keys sent
    // to it before can be lost.
    std::string liveWindow() {
        std::string id;
        waitUntil([&] { return !(id = GameProgram::findWindow("Live Image ")).empty(); }, 10000);
        if (!id.empty())
            waitUntil([&] {
                return countPixels(program.screenshot("live", id), cv::Rect(0, 0, 2000, 2000), red) > 0;
            });
        return id;
    }

    // A key sent while the toolkit's window is still settling can be lost:
    // it is sent again until the program answers.
    bool keyUntil(const std::string& window, const std::string& key, const std::string& answer) {
        for (int i = 0; i < 10; i++) {
            program.xdo("key --window " + window + " " + key);
            if (program.waitForOutput(answer, 1000)) return true;
        }
        return false;
    }
};

TEST_F(CameraGame, FindsTheSceneGridAndDrawsItsFrame) {
    EXPECT_TRUE(program.waitForOutput("Image size: 640 x 480 = 307200 pixels\n", 5000));
    EXPECT_NE(program.output().find("Image origin top left corner\n"), std::string::npos);
    const std::string live = liveWindow();
    ASSERT_FALSE(live.empty());
    const auto frames = truthFrames();
    ASSERT_FALSE(frames.empty());

    // The picture sits somewhere in the toolkit's window: the caption, whose
    // bottom left lies at (490, 460) of the picture, tells where.
    int near = 0, drawn = 0;
    for (int shot = 0; shot < 50 && drawn < 300; shot++) {
        const cv::Mat rgb = program.screenshot("live", live);
        ASSERT_FALSE(rgb.empty());
        int left = rgb.cols, bottom = -1;
        std::vector<cv::Point2f> marks;
        for (int y = 0; y < rgb.rows; y++)
            for (int x = 0; x < rgb.cols; x++) {
                const cv::Vec3b& p = rgb.at<cv::Vec3b>(y, x);
                if (red(p)) left = std::min(left, x), bottom = std::max(bottom, y);
                if (yellow(p)) marks.emplace_back((float)x, (float)y);
            }
        if (bottom < 0 || marks.size() < 300) continue;
        const cv::Point2f offset((float)(left - 490), (float)(bottom - 460));
        // The frame shown is one of the scene's: the best fitting one.
        near = 0;
        for (const auto& sides : frames) {
            int n = 0;
            for (const cv::Point2f& m : marks) {
                double d = 1e9;
                for (const auto& s : sides) {
                    const double e = segmentDistance(m - offset, s.first, s.second);
                    d = std::min(d, s.first == s.second ? std::fabs(e - 11) : e);
                }
                n += d < 6;
            }
            near = std::max(near, n);
        }
        drawn = (int)marks.size();
    }
    ASSERT_GE(drawn, 300) << "no grid frame in the live picture";
    EXPECT_GT(near, drawn * 9 / 10);
    program.screenshot("game");
}

TEST_F(CameraGame, ConsoleKeysHelpPauseAndTheGameWindowsEsc) {
    const std::string live = liveWindow();
    ASSERT_FALSE(live.empty());
    EXPECT_TRUE(keyUntil(live, "h", "m      toggle between using the mouse and using tiles\n"));

    // While paused nothing else runs: the game window's help waits for the second p.
    program.xdo("key --window " + live + " p");
    ASSERT_TRUE(program.waitForOutput("type p to continue\n", 5000));
    program.xdo("key --window " + program.windowId + " h");
    EXPECT_FALSE(program.waitForOutput("available commands (in OpenGL window)", 1000));
    // The key that ends the pause must not be lost: it goes, as typed, to the
    // live window with the keyboard focus.
    program.xdo("windowfocus --sync " + live + " key p");
    EXPECT_TRUE(program.waitForOutput("available commands (in OpenGL window)", 10000));

    program.xdo("key --window " + program.windowId + " Escape");
    ASSERT_TRUE(program.exited(5000));
    EXPECT_EQ(program.status, 255);
}

// The printed puzzle reaches the board: a correction left with Esc in "DUMP"
// (the dialogue must not hold the program) merges and prints what was read.
TEST_F(CameraGame, PrintedDigitsAreReadWithTheShippedPatterns) {
    const std::string live = liveWindow();
    ASSERT_FALSE(live.empty());
    ASSERT_TRUE(keyUntil(live, "x", "(quit by clicking outside the grid area)\n"));
    const std::string dump = GameProgram::findWindow("^DUMP$");
    ASSERT_FALSE(dump.empty());
    const std::string table = "grid elements, as identified in the image: \n";
    ASSERT_TRUE(keyUntil(dump, "Escape", table));
    std::istringstream lines(program.output().substr(program.output().rfind(table)));
    std::string read;
    for (std::string line; std::getline(lines, line) && read.size() < 81;) {
        if (line.rfind("  r ", 0) != 0) continue;
        std::istringstream cells(line.substr(5));
        for (std::string cell; cells >> cell;)
            if (cell != "|") read += cell == "." ? "0" : cell;
    }
    SceneDescription scene;
    SyntheticCamera camera;
    ASSERT_TRUE(chdir(TABRELO_DATA) == 0 && readSceneFile("scenes/table.scene", scene) &&
                camera.open(scene));
    FrameTruth truth;
    cv::Mat frame;
    camera.render(0, frame, &truth);
    std::string printed;
    for (int d : truth.digits) printed += std::to_string(d);
    EXPECT_EQ(read, printed);
    // The game goes on: the game window still quits on Esc.
    program.xdo("key --window " + program.windowId + " Escape");
    EXPECT_TRUE(program.exited(5000));
}

}  // namespace
