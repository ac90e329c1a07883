// The one game window: its size, what the camera side hands over (video
// size, calibration, pose), the views (AR from the pose, VR from the virtual
// camera), the mouse mode, turning with the mouse and picking through the
// depth buffer.
#pragma once

#include "SessionSettings.h"
#include "ViewCamera.h"
#include "WindowState.h"

#include <opencv2/core.hpp>

struct BoardPoint {
    double x = 0, y = 0, z = 0;
    int drawn = 0;  // 0 where nothing was drawn: the point then lies on the far plane
};

struct GameWindow {
    SessionSettings& session;
    int windowNumber = 0;
    int width = 640, height = 480;
    int videoWidth = 0, videoHeight = 0;
    cv::Mat videoImage;
    int poseFlag = 0;
    int calibrationFlag = 0;
    float intrinsic[9] = {};
    float fx = 0, fy = 0, cx = 0, cy = 0;
    float distortion[4] = {};
    float translation[3] = {};
    float rotationMatrix[9] = {};
    float rotationVector[3] = {};
    float rotationAxis[3] = {};
    float rotationAngle = 0;
    // The camera console's picture flip and the tilt of the flipped view,
    // kept in step by the shell.
    int flipMode = 0;
    int viewAngleY = 6;
    MouseMode mouseMode = kPlayMode;
    ViewCamera viewCamera;
    int firstReshape = 1;

    explicit GameWindow(SessionSettings& session) : session(session) {}

    void setVideoWidth(int w) { videoWidth = w; }
    // Keeps its own copy of the GL-ready frame.
    void setVideoImage(const cv::Mat& image) { image.copyTo(videoImage); }
    void setVideoHeight(int h) { videoHeight = h; }
    void setCalibration(const float m[9]);
    void setDistortion(const float d[4]);
    void setTranslation(const float t[3]);
    void setRotationMatrix(const float m[9]);
    void setRotationVector(const float v[3]);
    void setPoseFlag(int on) { poseFlag = on; }
    void setCalibrationFlag(int on) { calibrationFlag = on; }

    void applyProjection() const;
    void applyModelView() const;
    void recenter();
    // The flat top view; with init3D and show_3D on, tilted to the oblique view.
    void resetView(int init3D);
    void init3D();
    void turningPress(int button, int state, int x, int y);
    void turningDrag(int x, int y);
    // 0 and no change when show_3D is off.
    int setMouseMode(MouseMode mode);
    // Board coordinates under window position (x, y), y downwards.
    BoardPoint pick(int x, int y);
    int isInsideWindow(int x, int y) const;
    void reshape(int w, int h);
};
