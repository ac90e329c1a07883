// A real GL window on a private X server with the game's GL state, a game
// window object and a board, plus pixel read-back in board coordinates.
#pragma once

#include "BoardDrawing.h"
#include "GameWindow.h"
#include "GlHelpers.h"
#include "PuzzleFile.h"
#include "XvfbDisplay.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <memory>

class RenderFixture : public ::testing::Test {
protected:
    SessionSettings session;
    std::unique_ptr<GameWindow> window;
    Sudoku board;
    cv::Mat frame;  // R, G, B, top row first
    int glutWindow = 0;

    // One suite per test program: the display and glut start once.
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
        int argc = 1;
        char name[] = "render-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
    }

    void open(int w, int h) {
        if (glutWindow) glutDestroyWindow(glutWindow);
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(w, h);
        glutWindow = glutCreateWindow("render test");
        glutDisplayFunc([] {});
        setupGlState();
        window.reset(new GameWindow(session));
        window->reshape(w, h);
    }

    // A flat view of a board with no hints and no panes.
    void SetUp() override {
        ASSERT_TRUE(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt"));
        session.show_3D = 0;
        session.show_overviews = 0;
        session.show_attractive = 0;
        session.show_repulsive = 0;
        open(640, 480);
        window->resetView(0);
    }
    void TearDown() override {
        if (glutWindow) glutDestroyWindow(glutWindow);
    }

    // Draws one frame as the game does and reads it back.
    void render(const FrameInputs& in = FrameInputs()) {
        board.fitTableArea(session.show_overviews);
        drawFrame(*window, board, in);
        readBack();
    }

    void readBack() {
        glFinish();
        cv::Mat up(window->height, window->width, CV_8UC3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, window->width, window->height, GL_RGB, GL_UNSIGNED_BYTE, up.data);
        cv::flip(up, frame, 0);
    }

    // Window pixel (column, row from the top) of a board point in the view in force.
    cv::Point toPixel(double bx, double by, double bz = 0) const {
        GLdouble modelView[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(bx, by, bz, modelView, projection, viewport, &wx, &wy, &wz);
        return cv::Point((int)std::floor(wx), window->height - 1 - (int)std::floor(wy));
    }

    cv::Vec3b at(double bx, double by, double bz = 0) const {
        const cv::Point p = toPixel(bx, by, bz);
        return frame.at<cv::Vec3b>(p.y, p.x);
    }

    // Pixels of the board rectangle (flat view) for which the test holds.
    int count(double x0, double y0, double x1, double y1,
              const std::function<bool(const cv::Vec3b&)>& test) const {
        const cv::Point a = toPixel(x0, y0), b = toPixel(x1, y1);
        int n = 0;
        for (int r = std::min(a.y, b.y); r <= std::max(a.y, b.y); r++)
            for (int c = std::min(a.x, b.x); c <= std::max(a.x, b.x); c++) n += test(frame.at<cv::Vec3b>(r, c));
        return n;
    }

    // Pixels of a cell's inner part (inset 0.2) for which the test holds.
    int inCell(int r, int c, const std::function<bool(const cv::Vec3b&)>& test) const {
        return count(c + 0.3, 8 - r + 0.2, c + 0.7, 9 - r - 0.2, test);
    }

    // Window pixels inside the board rectangle (x0, y0)..(x1, y1) at height z.
    cv::Mat boardMask(double x0, double y0, double x1, double y1, double z = 0) const {
        cv::Mat mask = cv::Mat::zeros(frame.size(), CV_8U);
        const cv::Point corners[4] = {toPixel(x0, y0, z), toPixel(x1, y0, z), toPixel(x1, y1, z),
                                      toPixel(x0, y1, z)};
        cv::fillConvexPoly(mask, corners, 4, cv::Scalar(255));
        return mask;
    }
};

inline bool near(const cv::Vec3b& p, int r, int g, int b, int tolerance = 6) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
           std::abs(p[2] - b) <= tolerance;
}

inline cv::Mat grey(const cv::Mat& rgb) {
    cv::Mat g;
    cv::cvtColor(rgb, g, cv::COLOR_RGB2GRAY);
    return g;
}
