#include "ViewCamera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

static void identity(double m[16]) {
    for (int i = 0; i < 16; i++) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
}

void flatViewMatrix(double m[16]) {
    identity(m);
    m[12] = -4;
    m[13] = -5;
    m[14] = -27;
}

ViewCamera::ViewCamera() { reset(); }

void ViewCamera::reset() {
    flatViewMatrix(viewMatrix);
    identity(rotationMatrix);
    identity(translationMatrix);
    pendingAngle = 0;
    pendingShift[0] = pendingShift[1] = pendingShift[2] = 0;
}

void ViewCamera::apply() {
    if (resetRequest) {
        reset();
        resetRequest = 0;
    } else {
        glLoadIdentity();
        glTranslated(pendingShift[0], pendingShift[1], pendingShift[2]);
        glMultMatrixd(translationMatrix);
        glGetDoublev(GL_MODELVIEW_MATRIX, translationMatrix);
        pendingShift[0] = pendingShift[1] = pendingShift[2] = 0;

        glLoadIdentity();
        glTranslated(4.5, 4.5, 0);
        glRotated(pendingAngle, pendingAxis[0], pendingAxis[1], pendingAxis[2]);
        pendingAngle = 0;
        glTranslated(-4.5, -4.5, 0);
        glMultMatrixd(rotationMatrix);
        glGetDoublev(GL_MODELVIEW_MATRIX, rotationMatrix);
    }
    glLoadMatrixd(viewMatrix);
    glMultMatrixd(translationMatrix);
    glMultMatrixd(rotationMatrix);
}

void ViewCamera::spherePointAt(int x, int y, double out[3]) const {
    const double dx = x - centerX;
    const double dy = (height - y - 1) - centerY;
    const double d = std::min(std::sqrt(dx * dx + dy * dy), turningRadius);
    const double azimuth = std::atan2(dy, dx);
    const double elevation = std::acos(d / turningRadius);
    out[0] = std::cos(azimuth) * std::cos(elevation);
    out[1] = std::sin(azimuth) * std::cos(elevation);
    out[2] = std::sin(elevation);
    const double len = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    for (int i = 0; i < 3; i++) out[i] /= len;
}
