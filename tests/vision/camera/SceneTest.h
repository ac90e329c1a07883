// Synthetic frames for the vision tests: scenes are built in code and the
// shipped data folder is the working folder, as for the program.
#pragma once

#include "SyntheticCamera.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <unistd.h>

inline void enterDataFolder() { ASSERT_EQ(chdir(TABRELO_DATA), 0); }

inline SceneDescription sceneAt(double rotation, double tilt, double distance) {
    SceneDescription scene;
    scene.gridNumber = 1;
    scene.start.rotation = rotation;
    scene.start.tilt = tilt;
    scene.start.distance = distance;
    scene.end = scene.start;
    scene.blur = 0.6;
    scene.noise = 1.5;
    scene.light = 0.2;
    return scene;
}

inline cv::Mat greyFrame(const SyntheticCamera& camera, int frame, FrameTruth* truth) {
    cv::Mat colour, grey;
    camera.render(frame, colour, truth);
    cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
    return grey;
}
