// Frame time of the game window's display callback (drawing and buffer swap)
// for a plain and a busy board, and the time from creating the window to its
// first finished frame. Runs on the X server in DISPLAY or on its own Xvfb.
#include "BoardDrawing.h"
#include "PuzzleFile.h"
#include "../tests/render/XvfbDisplay.h"

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>

namespace {

struct Scene {
    SessionSettings session;
    Sudoku board;
    std::unique_ptr<GameWindow> window;
    int glutWindow = 0;

    explicit Scene(bool busy, int width = 640) {
        const int height = width * 3 / 4;
        readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt");
        if (!busy) {
            session.show_3D = 0;
            session.show_overviews = 0;
        } else {
            session.show_grid_structure = 1;
            for (int d = 1; d <= 9; d++) board.addTile(d % 2 ? -1.5f : 10.5f, d - 0.5f, d);
            board.pickTile(10.5f, 1.5f);
            board.setDigit(0, 2, 5, Entered);  // a conflict
            board.markUpAll();
        }
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
        glutInitWindowSize(width, height);
        glutWindow = glutCreateWindow("bench");
        glutDisplayFunc([] {});
        setupGlState();
        window.reset(new GameWindow(session));
        window->reshape(width, height);
        if (!busy) window->resetView(0);
        board.fitTableArea(session.show_overviews);
    }
    ~Scene() { glutDestroyWindow(glutWindow); }

    void frame() {
        drawFrame(*window, board, FrameInputs());
        glutSwapBuffers();
        glFinish();
    }
};

double secondsPerFrame(Scene& scene, int frames) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) scene.frame();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

// The argument is the window's width (4:3). At 64 x 48 the same calls fill
// a hundredth of the pixels and most small triangles cover no pixel centre:
// what remains is the frame's cost per call.
void BM_FramePlain(benchmark::State& state) {
    Scene scene(false, (int)state.range(0));
    for (auto _ : state) scene.frame();
}
BENCHMARK(BM_FramePlain)->Arg(640)->Arg(64)->Unit(benchmark::kMillisecond);

// All hints in the oblique 3D view with nine tiles, overview panes, markup
// and labels; "vs_plain" is its time over the plain frame's of the same
// size, measured here too.
void BM_FrameBusy(benchmark::State& state) {
    const int width = (int)state.range(0);
    double plain;
    {
        Scene baseline(false, width);
        plain = secondsPerFrame(baseline, 30);
    }
    Scene scene(true, width);
    for (auto _ : state) scene.frame();
    scene.frame();
    state.counters["vs_plain"] = secondsPerFrame(scene, 30) / plain;
}
BENCHMARK(BM_FrameBusy)->Arg(640)->Arg(64)->Unit(benchmark::kMillisecond);

// The camera game's frame with a 640 x 480 video behind the plain board:
// the picture as it is (0) and pasted onto the grid plane (1).
void BM_FrameWithVideo(benchmark::State& state) {
    Scene scene(false);
    GameWindow& w = *scene.window;
    scene.session.arMode = 1;
    cv::Mat video(480, 640, CV_8UC3);
    cv::randu(video, 0, 255);
    w.setVideoImage(video);
    w.setVideoWidth(640);
    w.setVideoHeight(480);
    const float intrinsic[9] = {620, 0, 319.5f, 0, 620, 239.5f, 0, 0, 1};
    const float translation[3] = {-4.5f, -4.5f, 15}, rotation[3] = {0.1f, 0.05f, 0};
    w.setCalibration(intrinsic);
    w.setTranslation(translation);
    w.setRotationVector(rotation);
    w.setPoseFlag(1);
    w.setCalibrationFlag(1);
    w.flipMode = (int)state.range(0);
    w.applyProjection();
    for (auto _ : state) scene.frame();
    state.SetLabel(state.range(0) == 0 ? "plain" : "re-projected");
}
BENCHMARK(BM_FrameWithVideo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TimeToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        Scene scene(false);
        scene.frame();
    }
}
BENCHMARK(BM_TimeToFirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::unique_ptr<XvfbDisplay> display;
    if (!std::getenv("DISPLAY")) display.reset(new XvfbDisplay);
    int glutArgc = 1;
    char name[] = "bench_render";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    glutExit();  // before its X server goes
    return 0;
}
