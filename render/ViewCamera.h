// The virtual camera of the VR view: a view matrix with accumulated turns
// about the board centre and shifts, turned and shifted with the mouse.
#pragma once

struct ViewCamera {
    int width = 0, height = 0;
    double viewMatrix[16];
    double rotationMatrix[16];
    double translationMatrix[16];
    int turning = 0;
    int shifting = 0;
    double lastShiftX = -1, lastShiftY = -1;
    int depthShift = 0;
    double centerX = -1, centerY = -1;
    double turningRadius = 0;
    double guideHalfSize = 0;
    double spherePoint[3] = {0, 0, 0};
    double turnAxis[3] = {1, 0, 0};  // a drag that gives no axis turns about the last one

    ViewCamera();
    // The flat top view: eye at (4, 5, 27) looking down.
    void reset();
    // Turns the board about its centre (4.5, 4.5, 0) by angle degrees.
    void turn(double angle, const double axis[3]);
    void shift(double dx, double dy, double dz);
    // Loads the view into the current (model-view) matrix.
    void apply() const;
    // Point on the trackball sphere under window position (x, y).
    void spherePointAt(int x, int y, double out[3]) const;
};

// Column-order matrix of translate(-4, -5, -27).
void flatViewMatrix(double m[16]);
