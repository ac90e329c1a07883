#include "ViewCamera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

static void identity(double m[16]) {
    for (int i = 0; i < 16; i++) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
}

static void translation(double m[16], double x, double y, double z) {
    identity(m);
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

// m = a * m, column order as GL keeps its matrices.
static void multiplyFromLeft(const double a[16], double m[16]) {
    double r[16];
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++) {
            double sum = 0;
            for (int k = 0; k < 4; k++) sum += a[k * 4 + row] * m[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    std::copy(r, r + 16, m);
}

void flatViewMatrix(double m[16]) { translation(m, -4, -5, -27); }

ViewCamera::ViewCamera() { reset(); }

void ViewCamera::reset() {
    flatViewMatrix(viewMatrix);
    identity(rotationMatrix);
    identity(translationMatrix);
}

void ViewCamera::turn(double angle, const double axis[3]) {
    const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (len > 0)
        for (int i = 0; i < 3; i++) turnAxis[i] = axis[i] / len;
    const double x = turnAxis[0], y = turnAxis[1], z = turnAxis[2];
    const double radians = angle * M_PI / 180, c = std::cos(radians), s = std::sin(radians);
    const double rotation[16] = {x * x * (1 - c) + c,     y * x * (1 - c) + z * s, x * z * (1 - c) - y * s, 0,
                                 x * y * (1 - c) - z * s, y * y * (1 - c) + c,     y * z * (1 - c) + x * s, 0,
                                 x * z * (1 - c) + y * s, y * z * (1 - c) - x * s, z * z * (1 - c) + c,     0,
                                 0,                       0,                       0,                       1};
    double step[16];
    translation(step, -4.5, -4.5, 0);
    multiplyFromLeft(step, rotationMatrix);
    multiplyFromLeft(rotation, rotationMatrix);
    translation(step, 4.5, 4.5, 0);
    multiplyFromLeft(step, rotationMatrix);
}

void ViewCamera::shift(double dx, double dy, double dz) {
    double step[16];
    translation(step, dx, dy, dz);
    multiplyFromLeft(step, translationMatrix);
}

void ViewCamera::apply() const {
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
