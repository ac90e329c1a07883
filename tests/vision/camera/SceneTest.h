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
