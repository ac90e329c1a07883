// libFuzzer target: any bytes as a scene file are read without crash or hang;
// a scene that is accepted keeps its documented ranges and is filmed: the
// camera stand-in opens it (in the data folder, as the program does) and
// renders its first and last frames with their ground truth. Frames are made
// small so that the fuzzer gets through many scenes.
#include "SyntheticCamera.h"

#include "FuzzInput.h"

#include <cmath>

static bool finitePose(const CameraPose& pose) {
    return std::isfinite(pose.rotation) && std::isfinite(pose.tilt) &&
           std::isfinite(pose.distance) && std::isfinite(pose.shiftX) &&
           std::isfinite(pose.shiftY) && pose.distance > 0 && std::fabs(pose.tilt) < 89;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SceneDescription scene;
    if (!readSceneFile(inputFile(data, size), scene)) return 0;
    check(scene.width >= 16 && scene.width <= 1920 && scene.height >= 16 && scene.height <= 1440,
          "frame size in range");
    check(scene.frames >= 1 && scene.gridNumber >= 0, "frames and puzzle in range");
    check(scene.permutation >= 0 && scene.permutation < Sudoku::kPermutationCount,
          "permutation in range");
    check(finitePose(scene.start) && finitePose(scene.end), "poses usable");
    check(scene.light >= 0 && scene.light <= 1 && scene.blur >= 0 && scene.blur <= 20 &&
              scene.noise >= 0 && scene.noise <= 100 && scene.table >= 0 && scene.table <= 255,
          "image settings in range");
    for (const SceneTile& tile : scene.tiles)
        check(tile.digit >= 0 && tile.digit <= 9, "tile digits are 0..9");

    scene.width = 16 + scene.width % 17;
    scene.height = 16 + scene.height % 13;
    SyntheticCamera camera;
    if (!camera.open(scene)) return 0;
    cv::Mat frame;
    FrameTruth truth;
    for (int f : {0, scene.frames - 1}) {
        camera.render(f, frame, &truth);
        check(frame.cols == scene.width && frame.rows == scene.height && frame.type() == CV_8UC3,
              "frame has the scene's size");
        check(truth.tiles.size() == scene.tiles.size(), "every tile has its truth");
    }
    return 0;
}
