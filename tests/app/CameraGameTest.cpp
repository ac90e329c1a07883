// The camera game on the stand-in: the program finds the scene's grid and
// draws its frame into the live picture, the operator console's keys work,
// digits are read and taught, and the board lies on the printed grid.
#include "GameProgram.h"
#include "SyntheticCamera.h"

#include <opencv2/calib3d.hpp>

namespace {

const std::string kDigitTable = "grid elements, as identified in the image: \n";

bool yellow(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 200 && p[2] < 80; }

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

}  // namespace

using CameraGame = ProgramTest;

// A still scene of the sheet on the table, started without patterns: the grid
// found is framed in the live picture, the console's keys work, digits are
// taught and corrected, the game window shows the scene's frame behind the
// board, tinted where the table area lies on the printed grid, an entered
// digit lands on its printed cell, and Esc ends the program.
TEST_F(CameraGame, TaughtDigitsAndTheBoardOnTheGridOverTheVideo) {
    GameProgram program{"camera", "\n\n"};
    runCommand("cp -r '" TABRELO_DATA "/imgs' '" TABRELO_DATA "/camcalib.txt' '" TABRELO_DATA
               "/sudoku-grids' '" + program.folder + "/' && mkdir -p '" + program.folder +
               "/patterns' '" + program.folder + "/scenes'");
    std::ofstream(program.folder + "/scenes/still.scene")
        << "size 640 480\ncalibration camcalib.txt\nframes 1\nblur 0.6\ntable 100\n"
           "puzzle 0 0\npose 3 10 15\nlight 0.25\n";
    // The frame and its truth as the stand-in camera renders them for the
    // program, in its run folder, which becomes the working folder.
    SceneDescription scene;
    SyntheticCamera camera;
    ASSERT_EQ(chdir(program.folder.c_str()), 0);
    ASSERT_TRUE(readSceneFile("scenes/still.scene", scene) && camera.open(scene));
    FrameTruth truth;
    cv::Mat bgr, frame;
    camera.render(0, bgr, &truth);
    cv::cvtColor(bgr, frame, cv::COLOR_BGR2RGB);
    // The window, as large as the frame, sees the board plane as the camera does.
    std::vector<cv::Point2f> model, image;
    for (int k = 0; k < 100; k++) {
        model.emplace_back((float)(k % 10), (float)(k / 10));
        image.push_back(truth.crossings[k]);
    }
    const cv::Matx33d H = cv::findHomography(model, image);
    auto windowPoint = [&](double x, double y) {
        const cv::Vec3d w = H * cv::Vec3d(x, y, 1);
        return cv::Point((int)std::lround(w[0] / w[2]), (int)std::lround(w[1] / w[2]));
    };
    program.camera = "scenes/still.scene";
    ASSERT_TRUE(program.start());
    // The live picture's window, once the picture is shown in it: keys sent before can be lost.
    std::string live;
    ASSERT_TRUE(waitUntil([&] { return !(live = GameProgram::findWindow("Live Image ")).empty(); }, 10000));
    ASSERT_TRUE(waitUntil([&] {
        const cv::Mat s = program.screenshot("live", live);
        return countPixels(s, cv::Rect(0, 0, s.cols, s.rows), yellow) >= 300;
    })) << "no grid frame in the live picture";
    EXPECT_TRUE(sendKeyUntil(program, live, "h", "m      toggle between using the mouse and using tiles\n"));
    // While paused nothing else runs: the game window's help waits for the second p.
    program.xdo("key --window " + live + " p");
    ASSERT_TRUE(program.waitForOutput("type p to continue\n", 5000));
    program.xdo("key --window " + program.windowId + " h");
    EXPECT_FALSE(program.waitForOutput("available commands (in OpenGL window)", 1000));
    // The key that ends the pause must not be lost: it goes, as typed, to the
    // live window with the keyboard focus.
    program.xdo("windowfocus --sync " + live + " key p");
    EXPECT_TRUE(program.waitForOutput("available commands (in OpenGL window)", 10000));

    // Teaching with real clicks in "DUMP": the first click, in the margin,
    // skips digit 1 and tells where the board image lies in the window; the
    // cells clicked for 2..9 give their patterns, which later frames read
    // with; a misread 1 is corrected.
    ASSERT_TRUE(sendKeyUntil(program, live, "t", "select a field in window DUMP with number 1\n"));
    const std::string dump = GameProgram::findWindow("^DUMP$");
    ASSERT_FALSE(dump.empty());
    // Clicks at a board image point; the window puts the image in its middle.
    const cv::Rect shown = GameProgram::geometry(dump);
    cv::Point origin((shown.width - 400) / 2, (shown.height - 400) / 2);
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
    // Left with Esc, the dialogue does not hold the program: it merges and prints what was read.
    const size_t printed = program.output().size();
    program.xdo("key --window " + dump + " Escape");
    ASSERT_TRUE(waitUntil([&] { return program.output().find(kDigitTable, printed) != std::string::npos; }));
    // The last digit table's cells, the top row first, "0" for empty and "?" for unknown.
    const std::string printout = program.output();
    std::istringstream table(printout.substr(printout.rfind(kDigitTable)));
    std::string read;
    for (std::string line; std::getline(table, line) && read.size() < 81;) {
        if (line.rfind("  r ", 0) != 0) continue;
        std::istringstream cells(line.substr(5));
        for (std::string cell; cells >> cell;)
            if (cell != "|") read += cell == "." ? "0" : cell == "-1" ? "?" : cell;
    }
    ASSERT_EQ(read.size(), 81u);
    for (int i = 0; i < 81; i++)
        if (truth.digits[i] != 1 || i == cellOf[1]) {
            EXPECT_EQ(read[i] - '0', truth.digits[i]) << i;
        }
    // The console's window would hide the game window's pixels from the screenshots.
    program.xdo("windowmove " + live + " 0 600 windowmove " + program.windowId + " 0 0");

    cv::Mat shot;
    auto waitFor = [&](auto holds) {
        for (int i = 0; i < 60; i++) {
            shot = program.screenshot("view");
            if (!shot.empty() && holds()) return true;
        }
        return false;
    };
    // The middles of the empty cells show the frame under the table area's tint.
    auto tinted = [&] {
        int matched = 0, counted = 0;
        for (int k = 0; k < 81; k++) {
            const cv::Point w = windowPoint(k % 9 + 0.5, 8.5 - k / 9);
            if (truth.digits[k] || w.y < 40) continue;
            const cv::Vec3d v = 0.7 * cv::Vec3d(frame.at<cv::Vec3b>(w)) + 0.3 * cv::Vec3d(153, 153, 76);
            const cv::Vec3b s = shot.at<cv::Vec3b>(w);
            counted++;
            matched += std::fabs(s[0] - v[0]) < 14 && std::fabs(s[1] - v[1]) < 14 &&
                       std::fabs(s[2] - v[2]) < 14;
        }
        return counted > 20 && matched > counted * 9 / 10;
    };
    ASSERT_TRUE(waitFor(tinted)) << "no video behind the board, or the table area is off the grid";
    const cv::Mat before = shot.clone();

    // Key o starts the game: the camera's reading no longer resets the board.
    int row = 7, column = 1;
    while (truth.digits[9 * row + column]) column++;
    program.toWindow = windowPoint;
    program.xdo("windowfocus --sync " + program.windowId + " key o");
    program.dragTile(5, row, column, {10.5, 6.5});
    // The pixels that changed around the cell cover just the cell.
    const cv::Rect cell = cv::boundingRect(std::vector<cv::Point>{
                       windowPoint(column, 8 - row), windowPoint(column + 1, 8 - row),
                       windowPoint(column, 9 - row), windowPoint(column + 1, 9 - row)}),
                   around = cv::Rect(cell.x - 8, cell.y - 8, cell.width + 16, cell.height + 16) &
                            cv::Rect(0, 0, before.cols, before.rows);
    cv::Rect changed;
    EXPECT_TRUE(waitFor([&] {
        changed = cv::Rect();
        for (int y = around.y; y < around.br().y; y++)
            for (int x = around.x; x < around.br().x; x++) {
                const cv::Vec3b a = before.at<cv::Vec3b>(y, x), b = shot.at<cv::Vec3b>(y, x);
                if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 60)
                    changed |= cv::Rect(x, y, 1, 1);
            }
        return std::abs(changed.x - cell.x) <= 3 && std::abs(changed.y - cell.y) <= 3 &&
               std::abs(changed.br().x - cell.br().x) <= 3 && std::abs(changed.br().y - cell.br().y) <= 3;
    })) << "the entered digit is not on its printed cell: " << changed << " " << cell;
    program.xdo("key --window " + program.windowId + " Escape");
    ASSERT_TRUE(program.exited(5000));
    EXPECT_EQ(program.status, 255);
}
