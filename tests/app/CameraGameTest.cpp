// The camera game on the stand-in: the program finds the scene's grid and
// draws its frame into the live picture, and the operator console's keys
// work, with the game window still quitting on Esc.
#include "GameProgram.h"
#include "SyntheticCamera.h"

#include <opencv2/calib3d.hpp>

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

const std::string kDigitTable = "grid elements, as identified in the image: \n";

// The cells of the last digit table printed, the top row first, "0" for
// empty and "?" for unknown.
// A one-frame scene of the sheet on the table, lit and posed as `lines` say,
// in the program's run folder, which becomes the working folder; the frame
// and its truth as the stand-in camera renders them for the program.
bool openStillScene(const GameProgram& program, const std::string& lines, cv::Mat& frame,
                    FrameTruth& truth) {
    runCommand("cp -r '" TABRELO_DATA "/camcalib.txt' '" TABRELO_DATA "/sudoku-grids' '" +
               program.folder + "/' && mkdir -p '" + program.folder + "/scenes'");
    std::ofstream(program.folder + "/scenes/still.scene")
        << "size 640 480\ncalibration camcalib.txt\nframes 1\nblur 0.6\ntable 100\n" << lines;
    SceneDescription scene;
    SyntheticCamera camera;
    if (chdir(program.folder.c_str()) != 0 || !readSceneFile("scenes/still.scene", scene) ||
        !camera.open(scene))
        return false;
    camera.render(0, frame, &truth);
    return true;
}

std::string lastDigitTable(const std::string& output) {
    const size_t at = output.rfind(kDigitTable);
    std::istringstream lines(at == std::string::npos ? "" : output.substr(at));
    std::string read;
    for (std::string line; std::getline(lines, line) && read.size() < 81;) {
        if (line.rfind("  r ", 0) != 0) continue;
        std::istringstream cells(line.substr(5));
        for (std::string cell; cells >> cell;)
            if (cell != "|") read += cell == "." ? "0" : cell == "-1" ? "?" : cell;
    }
    return read;
}

bool yellow(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 200 && p[2] < 80; }
bool red(const cv::Vec3b& p) { return p[0] > 200 && p[1] < 80 && p[2] < 80; }

// A key sent while the toolkit's window is still settling can be lost: it is
// sent again until the program answers.
bool sendKeyUntil(GameProgram& program, const std::string& window, const std::string& key,
                  const std::string& answer) {
    for (int i = 0; i < 10; i++) {
        program.xdo("key --window " + window + " " + key);
        if (program.waitForOutput(answer, 1000)) return true;
    }
    return false;
}

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

    bool keyUntil(const std::string& window, const std::string& key, const std::string& answer) {
        return sendKeyUntil(program, window, key, answer);
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
    ASSERT_TRUE(keyUntil(dump, "Escape", kDigitTable));
    const std::string read = lastDigitTable(program.output());
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

// Teaching and correcting with real clicks in "DUMP", starting without
// patterns: the first click, in the margin, skips digit 1 and tells where the
// board image lies in the window; the cells clicked for 2..9 give their
// patterns, which later frames read with; a misread 1 is corrected.
TEST(CameraGameDigits, TaughtAndCorrectedWithClicksInDump) {
    XvfbDisplay display;
    ASSERT_TRUE(display.ok());
    GameProgram program{"camera-teach", "\n\n"};
    runCommand("cp -r '" TABRELO_DATA "/imgs' '" + program.folder + "/' && mkdir -p '" +
               program.folder + "/patterns'");
    FrameTruth truth;
    cv::Mat frame;
    ASSERT_TRUE(openStillScene(program, "puzzle 1 0\npose 0 5 14\nlight 0.2\nnoise 2\n", frame,
                               truth));
    program.camera = "scenes/still.scene";
    ASSERT_TRUE(program.start());
    std::string live;
    ASSERT_TRUE(waitUntil([&] { return !(live = GameProgram::findWindow("Live Image ")).empty(); }));
    ASSERT_TRUE(sendKeyUntil(program, live, "t", "select a field in window DUMP with number 1\n"));
    const std::string dump = GameProgram::findWindow("^DUMP$");
    ASSERT_FALSE(dump.empty());
    int width = 0, height = 0;
    std::istringstream shell(runCommand("xdotool getwindowgeometry --shell " + dump));
    for (std::string line; std::getline(shell, line);) {
        std::sscanf(line.c_str(), "WIDTH=%d", &width);
        std::sscanf(line.c_str(), "HEIGHT=%d", &height);
    }
    // Clicks at a board image point; the window puts the image in its middle.
    cv::Point origin((width - 400) / 2, (height - 400) / 2);
    const auto click = [&](cv::Point p, const std::string& answer) {
        program.xdo("windowraise " + dump + " mousemove --window " + dump + " " +
                    std::to_string(origin.x + p.x) + " " + std::to_string(origin.y + p.y) +
                    " click 1");
        return program.waitForOutput(answer, 5000);
    };
    ASSERT_TRUE(click({10, 200}, "select a field in window DUMP with number 2\n"));
    const std::string out = program.output();
    int x = -1, y = -1;
    std::sscanf(out.c_str() + out.rfind("y = "), "y = %d, x = %d", &y, &x);
    ASSERT_GE(x, 0);
    origin += cv::Point(10 - x, 200 - (400 - y));

    // Grid row g from the bottom, column k: the printed row 8 - g.
    int cellOf[10] = {};
    for (int i = 80; i >= 0; i--) cellOf[truth.digits[i]] = i;
    const auto cellPoint = [](int i) { return cv::Point(40 + 40 * (i % 9), 40 + 40 * (i / 9)); };
    for (int d = 2; d <= 9; d++)
        ASSERT_TRUE(click(cellPoint(cellOf[d]), d < 9 ? "select a field in window DUMP with number " +
                                                            std::to_string(d + 1) + "\n"
                                                      : kDigitTable))
            << d;
    for (int d = 1; d <= 9; d++)
        for (const char* name : {"patterns/p", "patterns/p_th"})
            EXPECT_EQ(access((name + std::to_string(d) + ".bmp").c_str(), F_OK) == 0, d > 1) << d;

    // The frames after teaching read every digit but the untaught 1s; one is corrected.
    ASSERT_TRUE(sendKeyUntil(program, live, "x", "(quit by clicking outside the grid area)\n"));
    ASSERT_TRUE(click(cellPoint(cellOf[1]), "digit: \n"));
    ASSERT_TRUE(sendKeyUntil(program, dump, "1", "digit 1\n"));
    ASSERT_TRUE(click({200, 390}, kDigitTable));
    const std::string read = lastDigitTable(program.output());
    ASSERT_EQ(read.size(), 81u);
    for (int i = 0; i < 81; i++)
        if (truth.digits[i] != 1 || i == cellOf[1]) {
            EXPECT_EQ(read[i] - '0', truth.digits[i]) << i;
        }
    program.xdo("key --window " + program.windowId + " Escape");
    EXPECT_TRUE(program.exited(5000));
}

// The game window over a still scene, predicted from the scene's truth: the
// pose that the true crossings give (as the program's grey frame, bottom row
// first, sees them), the GL view built from it, and the video behind.
struct ArPrediction {
    cv::Mat frame;  // the scene's frame, RGB, top row first
    FrameTruth truth;
    cv::Matx33d R;
    cv::Vec3d t;
    int flipped = 0;          // the picture turned upside down and mirrored
    double tilt = 0;          // degrees about the grid's x axis
    cv::Size size{640, 480};  // of the game window

    void setPose(int upsideDown) {
        flipped = upsideDown;
        std::vector<cv::Point3f> model;
        std::vector<cv::Point2f> image;
        for (int k = 0; k < 100; k++) {
            const cv::Point2f p = truth.crossings[k];
            // The search numbers the lines of the turned picture from its
            // bottom left: the board lies turned on the sheet.
            model.emplace_back((float)(flipped ? 9 - k % 10 : k % 10),
                               (float)(flipped ? 9 - k / 10 : k / 10), 0.0f);
            image.emplace_back(flipped ? frame.cols - 1 - p.x : p.x,
                               flipped ? p.y : frame.rows - 1 - p.y);
        }
        cv::Vec3d r;
        cv::solvePnP(model, image, cv::Mat(truth.intrinsic), cv::Mat(truth.distortion), r, t);
        cv::Rodrigues(r, R);
    }
    // Board point (x, y, z) in the camera, through the GL view's mirrored z and tilt.
    cv::Vec3d camera(double x, double y, double z, double degrees) const {
        const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
        return R * cv::Vec3d(x, y * c - z * s, -(y * s + z * c)) + t;
    }
    // Video pixel (bottom row first) of a camera point.
    cv::Point2d video(const cv::Vec3d& c) const {
        const cv::Matx33d& K = truth.intrinsic;
        return {K(0, 0) * c[0] / c[2] + K(0, 2), K(1, 1) * c[1] / c[2] + K(1, 2)};
    }
    cv::Point2d windowPoint(double x, double y, double z = 0) const {
        const cv::Point2d v = video(camera(x, y, z, tilt));
        return {v.x * size.width / frame.cols, (frame.rows - 1 - v.y) * size.height / frame.rows};
    }
    // The board point under a window pixel; false behind the camera.
    bool board(int px, int py, cv::Point2d& b) const {
        const cv::Matx33d& K = truth.intrinsic;
        const double a = tilt * M_PI / 180;
        const cv::Vec3d c1 = R * cv::Vec3d(1, 0, 0),
                        c2 = R * cv::Vec3d(0, std::cos(a), -std::sin(a));
        const cv::Matx33d H =
            K * cv::Matx33d(c1[0], c2[0], t[0], c1[1], c2[1], t[1], c1[2], c2[2], t[2]);
        const cv::Vec3d u =
            H.inv() * cv::Vec3d(px * (double)frame.cols / size.width,
                                frame.rows - 1 - py * (double)frame.rows / size.height, 1);
        b = {u[0] / u[2], u[1] / u[2]};
        return camera(b.x, b.y, 0, tilt)[2] > 0;
    }
    // What the pixel shows without any board drawing: the picture, or the
    // picture pasted on the grid plane seen through the tilt; black off it.
    bool background(int px, int py, const cv::Point2d& b, cv::Vec3d& colour) const {
        cv::Point2d v(px * (double)frame.cols / size.width,
                      frame.rows - 1 - py * (double)frame.rows / size.height);
        if (tilt != 0) {
            if (std::fabs(b.x) > 100 || std::fabs(b.y) > 100) return colour = {}, true;
            v = video(camera(b.x, b.y, 0, 0));
        }
        const int x = (int)std::lround(flipped ? frame.cols - 1 - v.x : v.x);
        const int y = (int)std::lround(flipped ? v.y : frame.rows - 1 - v.y);
        if (x < 0 || y < 0 || x >= frame.cols || y >= frame.rows) return false;
        colour = frame.at<cv::Vec3b>(y, x);
        return true;
    }
};

// Share of the background pixels that show the prediction: the picture,
// tinted over the table area (the board and three cells right and below)
// and once more over its corner square beside the overview panes. Pixels
// near the area's edges, in the overview panes' corner, on drawn cells or
// under the counters are left out; `edges` counts only those 0.1 to 0.35
// cells from an edge, where a misplaced table area shows.
double backgroundMatch(const cv::Mat& shot, const ArPrediction& p,
                       const std::vector<cv::Rect2d>& drawn, bool edges) {
    const cv::Vec3d table(153, 153, 76);
    int matched = 0, counted = 0;
    for (int y = 40; y < shot.rows; y++)
        for (int x = 0; x < shot.cols; x++) {
            cv::Point2d b;
            cv::Vec3d v;
            if (!p.board(x, y, b) || b.x < 0.1 || b.y > 7.8 || !p.background(x, y, b, v)) continue;
            bool skip = false;
            for (const cv::Rect2d& r : drawn) skip |= r.contains(b);
            double edge = 1e9;
            for (double e : {0.0, 9.0, 12.0}) edge = std::min(edge, std::fabs(b.x - e));
            for (double e : {-3.0, 0.0, 9.0}) edge = std::min(edge, std::fabs(b.y - e));
            if (skip || edge < 0.1 || (edges && edge > 0.35)) continue;
            if (b.x < 12 && b.y > -3) v = 0.7 * v + 0.3 * table;
            if (b.x > 9 && b.x < 12 && b.y > -3 && b.y < 0) v = 0.7 * v + 0.15 * table;
            const cv::Vec3b s = shot.at<cv::Vec3b>(y, x);
            counted++;
            matched += std::fabs(s[0] - v[0]) < 14 && std::fabs(s[1] - v[1]) < 14 &&
                       std::fabs(s[2] - v[2]) < 14;
        }
    return counted ? (double)matched / counted : 0;
}

// Bounding box of the pixels that differ from the plain picture within the
// window region of board rectangle r (grown by `margin` cells).
cv::Rect changedBox(const cv::Mat& shot, const ArPrediction& p, const cv::Rect2d& r,
                    double margin) {
    cv::Rect box;
    for (int y = 40; y < shot.rows; y++)
        for (int x = 0; x < shot.cols; x++) {
            cv::Point2d b;
            cv::Vec3d v;
            if (!p.board(x, y, b) || b.x < r.x - margin || b.x > r.x + r.width + margin ||
                b.y < r.y - margin || b.y > r.y + r.height + margin || !p.background(x, y, b, v))
                continue;
            const cv::Vec3d tinted = 0.7 * v + 0.3 * cv::Vec3d(153, 153, 76);
            const cv::Vec3b s = shot.at<cv::Vec3b>(y, x);
            const double d = std::fabs(s[0] - tinted[0]) + std::fabs(s[1] - tinted[1]) +
                             std::fabs(s[2] - tinted[2]);
            if (d > 60) box |= cv::Rect(x, y, 1, 1);
        }
    return box;
}

// Window box of a board rectangle at height z.
cv::Rect windowBox(const ArPrediction& p, const cv::Rect2d& r, double z = 0) {
    cv::Rect box;
    for (cv::Point2d c :
         {r.tl(), r.br(), cv::Point2d(r.x, r.y + r.height), cv::Point2d(r.x + r.width, r.y)}) {
        const cv::Point2d w = p.windowPoint(c.x, c.y, z);
        box |= cv::Rect((int)std::lround(w.x), (int)std::lround(w.y), 1, 1);
    }
    return box;
}

bool within(const cv::Rect& a, const cv::Rect& b, int pixels) {
    return std::abs(a.x - b.x) <= pixels && std::abs(a.y - b.y) <= pixels &&
           std::abs(a.br().x - b.br().x) <= pixels && std::abs(a.br().y - b.br().y) <= pixels;
}

}  // namespace

// A still scene: the picture behind the board is the scene's frame, and the
// table area, an entered digit, a tile and its funnels lie where the true
// pose puts them, also in a resized window and in the tilted flipped view.
TEST(CameraGameView, BoardLiesOnTheGridOverTheVideo) {
    XvfbDisplay display;
    ASSERT_TRUE(display.ok());
    GameProgram program{"camera-view", "\n\n"};
    ArPrediction p;
    cv::Mat bgr;
    ASSERT_TRUE(openStillScene(program, "puzzle 0 0\npose 3 10 15\nlight 0.25\n", bgr, p.truth));
    cv::cvtColor(bgr, p.frame, cv::COLOR_BGR2RGB);
    p.setPose(0);
    program.camera = "scenes/still.scene";
    ASSERT_TRUE(program.start());
    // The console's window would hide the game window's pixels from the screenshots.
    std::string live;
    for (int i = 0; i < 100 && live.empty(); i++)
        if ((live = GameProgram::findWindow("Live Image ")).empty()) pause(100);
    program.xdo("windowmove " + live + " 0 600 windowmove " + program.windowId + " 0 0");

    // The digits of the puzzle's cells (row 0 on top) and an empty cell to fill.
    std::vector<cv::Rect2d> drawn;
    auto cellRect = [](int r, int c) { return cv::Rect2d(c, 8 - r, 1, 1); };
    int row = 7, column = 1;
    while (p.truth.digits[9 * row + column]) column++;
    for (int k = 0; k < 81; k++)
        if (p.truth.digits[k] || k == 9 * row + column) drawn.push_back(cellRect(k / 9, k % 9));

    // Waits for the view to show what `holds` looks for; the last screenshot.
    cv::Mat shot;
    auto waitFor = [&](auto holds) {
        for (int i = 0; i < 60; i++) {
            // The console's windows come up over the game window as they are first shown.
            program.xdo("windowraise " + program.windowId);
            shot = program.screenshot("view");
            if (!shot.empty() && holds()) return true;
        }
        return false;
    };
    auto moveTo = [&](double x, double y) {
        const cv::Point2d w = p.windowPoint(x, y);
        return "mousemove --window " + program.windowId + " " + std::to_string((int)w.x) + " " +
               std::to_string((int)w.y) + " ";
    };
    auto digitPlaced = [&] {
        return within(changedBox(shot, p, cellRect(row, column), 0),
                      windowBox(p, cellRect(row, column)), 3);
    };
    auto registered = [&] {
        return backgroundMatch(shot, p, drawn, false) > 0.95 &&
               backgroundMatch(shot, p, drawn, true) > 0.9;
    };

    ASSERT_TRUE(waitFor([&] { return backgroundMatch(shot, p, drawn, false) > 0.95; }))
        << "no video behind the board, or the table area is off the grid";
    // Key o starts the game: the camera's reading no longer resets the board.
    // The console's windows take the keyboard as they come up: keys go to the
    // game window only once it has it back.
    const std::string focus = "windowfocus --sync " + program.windowId + " ";
    program.xdo(focus + "key o sleep 0.15 " + moveTo(10.5, 6.5) + "key 5 mousedown 1 sleep 0.2 " +
                moveTo(column + 0.4, 8.4 - row) + "sleep 0.03 " + moveTo(column + 0.5, 8.5 - row) +
                "mouseup 1");
    EXPECT_TRUE(waitFor(digitPlaced)) << "the entered digit is not on its printed cell";
    EXPECT_TRUE(registered());

    // A tile beside band 1: funnels in its rows' empty cells where a 5 may go.
    program.xdo(focus + "sleep 0.15 " + moveTo(10.5, 4.5) + "key 5");
    const cv::Rect2d tile(10.1, 4.1, 0.8, 0.8);
    EXPECT_TRUE(
        waitFor([&] { return within(changedBox(shot, p, tile, 0.2), windowBox(p, tile), 4); }));
    auto holdsFive = [&](int r, int c) {
        for (int k = 0; k < 9; k++) {
            const int br = r / 3 * 3 + k / 3, bc = c / 3 * 3 + k % 3;
            if (p.truth.digits[9 * r + k] == 5 || p.truth.digits[9 * k + c] == 5 ||
                p.truth.digits[9 * br + bc] == 5 || (k == row && c == column) ||
                (r == row && k == column))
                return true;
        }
        return false;
    };
    int funnels = 0;
    for (int r = 3; r <= 5; r++)
        for (int c = 0; c < 9; c++) {
            if (p.truth.digits[9 * r + c] || (r == row && c == column)) continue;
            // The small 5 lies on the cell's middle, the cone over it opens
            // towards the camera to the same width a cell higher.
            const cv::Rect2d middle(c + 0.367, 8.367 - r, 0.267, 0.267);
            const cv::Rect box = changedBox(shot, p, cellRect(r, c), -0.05);
            const cv::Rect cone = windowBox(p, middle, 1.0) | windowBox(p, middle);
            if (!holdsFive(r, c)) {
                funnels++;
                EXPECT_TRUE(within(box, cone, 3)) << "funnel of cell " << r << ", " << c;
            }
        }
    EXPECT_GT(funnels, 0);

    program.xdo("windowsize " + program.windowId + " 800 560");
    p.size = cv::Size(800, 560);
    drawn.push_back(tile);
    drawn.push_back(cv::Rect2d(0, 3, 9, 3));  // the funnels
    for (int k = 0; k < 81; k++)              // the squares over boxes that hold a 5
        if (p.truth.digits[k] == 5 || k == 9 * row + column)
            drawn.push_back(cv::Rect2d(k % 9 / 3 * 3, 6 - k / 27 * 3, 3, 3));
    EXPECT_TRUE(waitFor([&] { return digitPlaced() && registered(); })) << "resized";

    // Flipped: the search takes the upside-down picture, and the plane with
    // the board on it is seen tilted by the view angle.
    program.xdo("key --window " + program.windowId + " f");
    p.setPose(1);
    p.tilt = -60;
    for (int k = 0; k < 81; k++)
        if (p.truth.digits[k]) drawn.push_back(cellRect(8 - k / 9, 8 - k % 9));
    EXPECT_TRUE(waitFor([&] { return digitPlaced() && registered(); })) << "flipped";
    EXPECT_TRUE(program.waitForOutput("changed windowsize 100\n", 5000));
}
