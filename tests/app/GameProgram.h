// The real program on a private X server: started in a fresh copy of the
// data folder with its console answers from a file, driven with xdotool and
// looked at with screenshots.
#pragma once

#include "../TextHelpers.h"
#include "../render/XvfbDisplay.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

// Polls until seen() holds, for at most ms; whether it did.
template <class Seen>
bool waitUntil(Seen seen, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!seen()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Pixels of a window rectangle for which the test holds.
template <class Test>
int countPixels(const cv::Mat& rgb, cv::Rect r, Test test) {
    r &= cv::Rect(0, 0, rgb.cols, rgb.rows);
    int n = 0;
    for (int y = r.y; y < r.y + r.height; y++)
        for (int x = r.x; x < r.x + r.width; x++) n += test(rgb.at<cv::Vec3b>(y, x));
    return n;
}

// "Empty cells" and "Conflicts" at the window's top left.
const cv::Rect kCounters(0, 0, 170, 34);

inline bool white(const cv::Vec3b& p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }
// The digit 5 in colour.
inline bool orange(const cv::Vec3b& p) {
    return p[0] > 200 && p[1] > 90 && p[1] < 170 && p[2] < 60;
}

// The program's tests, on a private X server.
class ProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
    }
};

// A test series' config.xml: every switch modifiable and on but show_AR,
// show_3D and show_overviews; loop: the elements of its LOOP.
inline std::string seriesConfig(const std::string& loop) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<PARAMS>\n  <CONFIG>\n";
    for (std::string name : {"show_AR", "show_colored", "show_3D", "show_repulsive",
                             "show_attractive", "show_overviews", "show_markup", "show_evaluate"}) {
        const bool off = name == "show_AR" || name == "show_3D" || name == "show_overviews";
        text += "    <" + name + " val=\"" + (off ? "0" : "1") + "\" modifiable=\"1\"/>\n";
    }
    return text + "  </CONFIG>\n  <LOOP>\n    " + loop + "\n  </LOOP>\n</PARAMS>\n";
}

class GameProgram {
public:
    std::string folder;
    std::string windowId;
    pid_t pid = -1;
    int status = -1;
    // Camera game: TABRELO_CAMERA for the program; its window is then titled "Tabrelo".
    std::string camera;
    // Window position of a board point: the flat view's at 640 x 480 unless set.
    std::function<cv::Point(double, double)> toWindow = flatPosition;

    // A fresh run folder with the puzzles 0 and 1. answers: the console
    // input; none: standard input closed.
    GameProgram(const std::string& name, const std::string& answers) {
        folder = std::string(TABRELO_BUILD) + "/game-runs/" + name;
        runCommand("rm -rf '" + folder + "' && mkdir -p '" + folder + "/sudoku-grids' && cp '" +
                   TABRELO_DATA + "/sudoku-grids/g0.txt' '" + TABRELO_DATA + "/sudoku-grids/g1.txt' '" +
                   folder + "/sudoku-grids/'");
        std::ofstream(folder + "/answers.txt") << answers;
    }
    ~GameProgram() {
        if (pid > 0 && status < 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts the program and waits until its window is shown. A program that
    // has ended may be started again in the same folder.
    bool start() {
        windowId.clear();
        status = -1;
        const bool closedInput = readFile(folder + "/answers.txt").empty();
        pid = fork();
        if (pid == 0) {
            if (chdir(folder.c_str()) != 0) _exit(126);
            if (closedInput)
                close(0);
            else
                dup2(open("answers.txt", O_RDONLY), 0);
            dup2(open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            dup2(open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            if (!camera.empty()) setenv("TABRELO_CAMERA", camera.c_str(), 1);
            execl(TABRELO_BUILD "/app/tabrelo", "tabrelo", (char*)nullptr);
            _exit(127);
        }
        // A loaded machine can take many seconds to bring up the windows.
        const std::string name = camera.empty() ? "Vitrelo" : "Tabrelo";
        if (!waitUntil([&] { return exited(0) || !(windowId = findWindow(name)).empty(); }, 30000) ||
            windowId.empty())
            return false;
        // The first frame shows the counters, and the start-up printouts are out before it.
        return !camera.empty() ||
               waitUntil([&] { return countPixels(screenshot("start"), kCounters, white) > 0; });
    }

    // Waits up to ms for the program's end.
    bool exited(int ms) {
        return status >= 0 || waitUntil([&] {
                   int s;
                   if (waitpid(pid, &s, WNOHANG) != pid) return false;
                   status = WIFEXITED(s) ? WEXITSTATUS(s) : 1000;
                   return true;
               }, ms);
    }

    std::string output() const { return readFile(folder + "/out.txt"); }

    // Waits up to ms for the text in the program's output.
    bool waitForOutput(const std::string& text, int ms) {
        return waitUntil([&] { return output().find(text) != std::string::npos; }, ms);
    }

    // The id of the first shown window whose name matches, else empty.
    static std::string findWindow(const std::string& name) {
        std::istringstream ids(
            runCommand("xdotool search --onlyvisible --name '" + name + "' 2>/dev/null"));
        std::string id;
        ids >> id;
        return id;
    }

    void xdo(const std::string& commands) {
        runCommand("xdotool " + commands + " >/dev/null 2>&1");
    }
    // GLUT window position of a board point in the flat view at 640 x 480.
    static cv::Point flatPosition(double bx, double by) {
        const double f = 1.0 / std::tan(17.5 * M_PI / 180), w = 640, h = 480;
        return {(int)std::lround((1 + f / (w / h) * (bx - 4) / 27) * w / 2),
                (int)std::lround(h - (1 + f * (by - 5) / 27) * h / 2)};
    }
    std::string moveTo(double bx, double by) {
        const cv::Point p = toWindow(bx, by);
        return "mousemove --window " + windowId + " " + std::to_string(p.x) + " " +
               std::to_string(p.y) + " ";
    }
    // Makes a tile with the digit at `from` beside the board and drags it onto
    // cell (r, c). The program times presses from when it handles them, so each
    // step waits to be seen: the tile made, the tile current once pressed, the
    // tile gone from beside the board once moved.
    void dragTile(int digit, int r, int c, cv::Point2d from = {10.5, 4.5}) {
        const cv::Rect spot = cv::Rect(-15, -15, 30, 30) + toWindow(from.x, from.y);
        const auto lookChanged = [&](const cv::Mat& from, bool changed) {
            return [&from, &spot, changed](const cv::Mat& s) {
                return from.empty() || (cv::norm(from(spot), s(spot)) > 0) == changed;
            };
        };
        const cv::Mat bare = screenshot("drag");
        cv::Mat made;
        // A pause first keeps two presses from making a double press: a loaded
        // program takes its events late and in bursts. A key that another window
        // of the program took as it came up is pressed again.
        for (int i = 0; i < 3 && (made.empty() || cv::norm(bare(spot), made(spot)) == 0); i++) {
            xdo("sleep 0.5 windowfocus --sync " + windowId + " " + moveTo(from.x, from.y) + "key " +
                std::to_string(digit));
            made = screenshotWhen("drag", lookChanged(bare, true));
        }
        xdo("mousedown 1");
        screenshotWhen("drag", lookChanged(made, true));
        // The press is held before the moves count.
        xdo("sleep 0.2 " + moveTo(c + 0.4, 8.4 - r) + "sleep 0.03 " + moveTo(c + 0.5, 8.5 - r) +
            "mouseup 1");
        screenshotWhen("drag", lookChanged(bare, false));
    }

    std::string title() const { return runCommand("xdotool getwindowname " + windowId); }

    // Where a window lies on the screen.
    static cv::Rect geometry(const std::string& window) {
        cv::Rect r;
        std::string id;
        std::istringstream(runCommand("xdotool getwindowgeometry --shell " + window + " | cut -d= -f2")) >>
            id >> r.x >> r.y >> r.width >> r.height;
        return r;
    }
    // The popup menu's window while it is shown.
    static std::string shownMenu() { return findWindow("freeglut menu"); }

    // Chooses entry `position` of the popup menu with `entryCount` entries,
    // as a player does: the pointer rests away from the board and its table
    // (the top left corner in the flat view) so the menu gets attached, a
    // right click opens it and a click on the entry chooses it. (Dragging
    // onto the entry and releasing there does not choose it with freeglut
    // 3.4: the menu stays open and waits for the click.) The menu is a window
    // of its own whose entries share its height. False when no menu opened
    // or it stayed open.
    bool chooseMenuEntry(int position, int entryCount = 19) {
        xdo("mousemove --window " + windowId + " 20 60 sleep 0.1 mousemove --window " + windowId +
            " 22 62 sleep 0.2 click 3");
        cv::Rect menu;
        if (!waitUntil([&] { return !shownMenu().empty() && (menu = geometry(shownMenu())).height > 0; }))
            return false;
        const int entryHeight = menu.height / entryCount;
        const int border = (menu.height - entryCount * entryHeight) / 2;
        const int entryX = menu.x + menu.width / 4;
        const int entryY = menu.y + border + entryHeight * (position - 1) + entryHeight / 2;
        xdo("mousemove " + std::to_string(entryX) + " " + std::to_string(entryY - 3) +
            " sleep 0.1 mousemove " + std::to_string(entryX) + " " + std::to_string(entryY) +
            " sleep 0.2 click 1");
        // The menu closes once the click is taken, after the entry's command ran.
        return waitUntil([] { return shownMenu().empty(); });
    }

    // The camera game's other windows come up over the game window as they are first shown.
    cv::Mat screenshot(const std::string& name) {
        if (!camera.empty()) xdo("windowraise " + windowId);
        return screenshot(name, windowId);
    }
    cv::Mat screenshot(const std::string& name, const std::string& window) {
        const std::string file = folder + "/" + name + ".png";
        runCommand("import -window " + window + " '" + file + "'");
        cv::Mat bgr = cv::imread(file), rgb;
        if (!bgr.empty()) cv::cvtColor(bgr, rgb, cv::COLOR_BGR2RGB);
        return rgb;
    }

    // Screenshots until one shows what seen() looks for, for at most ms; the
    // last one, for the test to check as it would any screenshot.
    template <class Seen>
    cv::Mat screenshotWhen(const std::string& name, Seen seen, int ms = 15000) {
        cv::Mat shot;
        waitUntil([&] { shot = screenshot(name); return !shot.empty() && seen(shot); }, ms);
        return shot;
    }
};

// The middle of cell (r, c) in the flat view, where its digit is drawn.
inline cv::Rect cellRect(int r, int c) {
    return cv::Rect(GameProgram::flatPosition(c + 0.25, 9 - r - 0.2),
                    GameProgram::flatPosition(c + 0.75, 8 - r + 0.2));
}

// The flat view is shown: the board's bottom left cell, beside the board in
// the turned view, is white.
inline bool flatView(const cv::Mat& rgb) {
    const cv::Rect cell = cellRect(8, 0);
    return countPixels(rgb, cell, white) > cell.area() / 2;
}

// A puzzle file as the program shows it under a permutation: its printout,
// its solution and its empty cells.
struct ShownPuzzle {
    std::string printout;
    int solution[81];
    std::vector<int> empty;
    // A digit that clashes in cell i: the solution's digit of the next cell in its row.
    int clash(int i) const { return solution[i / 9 * 9 + (i % 9 + 1) % 9]; }
};

inline ShownPuzzle shownPuzzle(const std::string& path, int permutation = 0) {
    Sudoku board;
    readPuzzle(board, path.c_str());
    board.setPermutationNumber(permutation);
    permute(board);
    ShownPuzzle p;
    int grid[81];
    gridOf(board, grid);
    countSolutions(grid, 2, p.solution);
    for (int i = 0; i < 81; i++)
        if (grid[i] == 0) p.empty.push_back(i);
    p.printout = printed([&](FILE* out) { board.print(out); });
    return p;
}

// The shipped first puzzle solved but for the cells given, as a puzzle file,
// so that a game is won with a handful of drags.
inline std::string nearlySolved(const std::vector<int>& blanks) {
    const ShownPuzzle g1 = shownPuzzle(TABRELO_DATA "/sudoku-grids/g1.txt");
    std::string text = "9 9\n";
    for (int i = 0; i < 81; i++) {
        const bool blank = std::find(blanks.begin(), blanks.end(), i) != blanks.end();
        text += std::to_string(blank ? 0 : g1.solution[i]) + (i % 9 == 8 ? "\n" : " ");
    }
    return text + "difficulty : easy\n";
}
