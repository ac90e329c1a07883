// Synthetic frames for the vision tests: scenes are built in code and the
// shipped data folder is the working folder, as for the program.
#pragma once

#include "CameraStep.h"
#include "SyntheticCamera.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <unistd.h>

#include <cstdio>
#include <string>

inline void enterDataFolder() { ASSERT_EQ(chdir(TABRELO_DATA), 0); }

// What was written to the file from the given offset on.
inline std::string textFrom(FILE* f, long offset = 0) {
    std::fseek(f, offset, SEEK_SET);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += (char)ch;
    return text;
}

inline SceneDescription sceneAt(double rotation, double tilt, double distance) {
    SceneDescription scene;
    scene.gridNumber = 1;
    scene.start = {rotation, tilt, distance};
    scene.end = scene.start;
    scene.blur = 0.6;
    scene.noise = 1.5;
    scene.light = 0.2;
    return scene;
}

// The grey frame as the camera step makes it: rows bottom-up.
inline cv::Mat bottomUpGrey(const SyntheticCamera& camera, FrameTruth* truth) {
    cv::Mat colour, grey;
    camera.render(0, colour, truth);
    cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
    cv::flip(grey, grey, 0);
    return grey;
}

// The pose the true crossings give, in the bottom-up rows of a frame of the given height.
inline int poseFromTruth(GridVision& vision, const FrameTruth& truth, int height) {
    float image[100][2], model[100][3];
    for (int k = 0; k < 100; k++) {
        image[k][0] = truth.crossings[k].x, image[k][1] = height - 1 - truth.crossings[k].y;
        model[k][0] = (float)(k % 10), model[k][1] = (float)(k / 10), model[k][2] = 0;
    }
    return vision.Compute3DPose(image, model, 100);
}

// The camera step over the frames of a scene, as the program runs it, in
// the working folder of the caller.
struct SceneRun {
    CameraState c;
    GridVision vision;
    SyntheticCamera camera;
    FILE* out = std::tmpfile();

    explicit SceneRun(const SceneDescription& scene) {
        EXPECT_EQ(camera.open(scene), 1);
        setUpImages(c, vision, cv::Size(scene.width, scene.height), out);
    }
    ~SceneRun() { std::fclose(out); }

    FrameTruth step(int frame) {
        cv::Mat colour;
        FrameTruth truth;
        camera.render(frame, colour, &truth);
        takeLiveFrame(c, colour);
        workOnFrame(c, vision, out);
        return truth;
    }
};
