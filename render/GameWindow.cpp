#include "GameWindow.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

void GameWindow::setCalibration(const float m[9]) {
    std::copy(m, m + 9, intrinsic);
    fx = m[0];
    fy = m[4];
    cx = m[2];
    cy = m[5];
}

void GameWindow::setDistortion(const float d[4]) { std::copy(d, d + 4, distortion); }
void GameWindow::setTranslation(const float t[3]) { std::copy(t, t + 3, translation); }
void GameWindow::setRotationMatrix(const float m[9]) { std::copy(m, m + 9, rotationMatrix); }

void GameWindow::setRotationVector(const float v[3]) {
    std::copy(v, v + 3, rotationVector);
    rotationAngle = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; i++) rotationAxis[i] = rotationAngle > 0 ? v[i] / rotationAngle : 0;
}

void GameWindow::applyModelView() const {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (session.arMode == 1 && poseFlag == 1) {
        // Camera frame (z forward) to GL frame (z backward).
        glTranslatef(translation[0], translation[1], -translation[2]);
        glRotatef(-(rotationAngle * 57.29578f), rotationAxis[0], rotationAxis[1], -rotationAxis[2]);
        if (flipMode == 2) glRotatef(-10.0f * viewAngleY, 1, 0, 0);
    } else {
        viewCamera.apply();
    }
}

void GameWindow::applyProjection() const {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (session.arMode == 1 && calibrationFlag == 1) {
        // The video is stretched over the whole window, so the frustum follows its size.
        glFrustum(-cx / fx, (videoWidth - cx) / fx, -cy / fy, (videoHeight - cy) / fy, 1.0, 1e6);
        glMatrixMode(GL_MODELVIEW);
    } else {
        gluPerspective(35.0, (double)width / std::max(height, 1), 0.01, 100.0);
        glMatrixMode(GL_MODELVIEW);
    }
}

void GameWindow::recenter() {
    applyModelView();
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble z;
    gluProject(4.5, 4.5, 0, modelView, projection, viewport, &viewCamera.centerX,
               &viewCamera.centerY, &z);
    viewCamera.turningRadius = 180;
    viewCamera.guideHalfSize = 216;
}

void GameWindow::resetView(int with3D) {
    viewCamera.reset();
    applyModelView();
    recenter();
    if (with3D && session.show_3D == 1) init3D();
}

void GameWindow::init3D() {
    const int pressX = (int)(viewCamera.centerX - 53), pressY = (int)(viewCamera.centerY + 95);
    const int dragX = (int)(viewCamera.centerX - 75), dragY = (int)(viewCamera.centerY + 50);
    turningPress(kLeftButton, kButtonDown, pressX, pressY);
    turningDrag(dragX, dragY);
    pick(dragX, dragY);
    viewCamera.turning = 0;
    recenter();
}

void GameWindow::turningPress(int button, int state, int x, int y) {
    ViewCamera& vc = viewCamera;
    pick(x, y);
    const double dx = x - vc.centerX;
    const double dy = (vc.height - y - 1) - vc.centerY;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double half = vc.guideHalfSize;
    if (state == kButtonDown) {
        if (dx < -half || dx > half || dy < -half || dy > half) {
            vc.turning = 0;
            vc.shifting = 0;
            setMouseMode(kPlayMode);
            return;
        }
        if (button == kLeftButton) {
            vc.spherePointAt(x, y, vc.spherePoint);
            vc.turning = 1;
        } else if (button == kRightButton) {
            vc.lastShiftX = x;
            vc.lastShiftY = y;
            vc.depthShift = d > vc.turningRadius;
            vc.shifting = 1;
        }
        recenter();
        return;
    }
    if (button == kLeftButton) vc.turning = 0;
    if (button == kRightButton) vc.shifting = 0;
    recenter();
}

void GameWindow::turningDrag(int x, int y) {
    ViewCamera& vc = viewCamera;
    pick(x, y);
    if (vc.turning) {
        double v[3];
        vc.spherePointAt(x, y, v);
        const double* s = vc.spherePoint;
        const double dot = v[0] * s[0] + v[1] * s[1] + v[2] * s[2];
        const double lengths = std::sqrt((v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) *
                                         (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]));
        const double angle = std::acos(std::max(-1.0, std::min(1.0, dot / lengths)));
        const double axis[3] = {v[1] * s[2] - v[2] * s[1], v[2] * s[0] - v[0] * s[2],
                                v[0] * s[1] - v[1] * s[0]};
        vc.turn(angle * 57.29578 * -1.57079632675, axis);
        for (int i = 0; i < 3; i++) vc.spherePoint[i] = v[i];
    } else if (vc.shifting) {
        const double step = (x - vc.lastShiftX) / 27;
        if (vc.depthShift == 0)
            vc.shift(step, (y - vc.lastShiftY) / -27, 0);
        else
            vc.shift(0, 0, step);
        vc.lastShiftX = x;
        vc.lastShiftY = y;
        recenter();
    }
}

int GameWindow::setMouseMode(MouseMode mode) {
    if (session.show_3D == 0) return 0;
    mouseMode = mode;
    return 1;
}

BoardPoint GameWindow::pick(int x, int y) {
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int row = viewport[3] - y;
    // Outside the buffer nothing is read: the clear depth stands for "nothing drawn".
    GLfloat depth = 1.0f;
    glReadPixels(x, row, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    BoardPoint p;
    gluUnProject(x, row, depth, modelView, projection, viewport, &p.x, &p.y, &p.z);
    p.drawn = depth < 1.0f;
    return p;
}

int GameWindow::isInsideWindow(int x, int y) const {
    return 1 <= x && x <= width - 2 && 1 <= y && y <= height - 2;
}

void GameWindow::reshape(int w, int h) {
    width = w;
    height = h;
    viewCamera.width = w;
    viewCamera.height = h;
    applyProjection();
    applyModelView();
    recenter();
    glutPostRedisplay();
    if (firstReshape) {
        firstReshape = 0;
        resetView(1);
    }
}
