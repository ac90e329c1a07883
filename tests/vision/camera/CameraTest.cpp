// The camera stand-in, scene and calibration files, the camera sources and
// the camera step's choices: what they refuse and what they keep.
#include "../../TextHelpers.h"
#include "CameraSource.h"
#include "SceneTest.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

TEST(SyntheticCamera, MissingCalibrationOrPuzzleIsRefusedWithOneLine) {
    enterDataFolder();
    for (const auto& [calibration, grid] : {std::make_pair("none.txt", 1), std::make_pair("camcalib.txt", 999)}) {
        SceneDescription scene;
        scene.calibration = calibration;
        scene.gridNumber = grid;
        SyntheticCamera camera;
        testing::internal::CaptureStdout();
        EXPECT_EQ(camera.open(scene), 0);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_NE(out.find(grid == 1 ? "none.txt" : "g999.txt"), std::string::npos) << out;
    }
}

TEST(SceneFile, BadLinesAreNamed) {
    const std::string path = scratchPath("bad.scene");
    const char* const bad[][2] = {
        {"size 640 480\nzoom 3\n", "line 2: unknown setting \"zoom\""},
        {"frames 0\n", "line 1: bad values for \"frames\""},
        {"pose 1 2\n", "line 1: bad values for \"pose\""},
        {"pose 0 95 10\n", "line 1: bad values for \"pose\""},
        {"tile 12 1 1 0\n", "line 1: bad values for \"tile\""},
        {"size 640 480 3\n", "line 1: bad values for \"size\""},
        {"size 4000 3000\n", "line 1: bad values for \"size\""},
        {"puzzle 1 99\n", "line 1: bad values for \"puzzle\""},
    };
    for (const auto& c : bad) {
        std::ofstream(path) << c[0];
        SceneDescription scene;
        testing::internal::CaptureStdout();
        EXPECT_EQ(readSceneFile(path.c_str(), scene), 0) << c[0];
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "scene file " + path + ", " + c[1] + "\n");
    }
    std::remove(path.c_str());
    SceneDescription scene;
    testing::internal::CaptureStdout();
    EXPECT_EQ(readSceneFile(path.c_str(), scene), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cannot open scene file " + path + "\n");
}

// Over the shipped calibration: a short file keeps the numbers it lacks, and
// one with unusable intrinsics is refused whole in one line.
TEST(Calibration, ReadsNumbersInOrderAndRefusesUnusableOnesInOneLine) {
    const std::string path = scratchPath("cal.txt");
    const struct {
        const char* text;
        int taken;
        float focal, k1, k2;
    } cases[] = {
        {"1 0 2\n0 3 4\n0 0 1\n", 1, 3, -0.11f, 0.09f},
        {"5 0 2 0 3 4 0 0 1 0.5 oops 0.25 0.125 name\n", 1, 3, 0.5f, 0.09f},  // up to the bad word
        {"600 0 320 0 -600 240 0 0 1 0 0 0 0 negative", 0, 0, 0, 0},
        {"600 0 320 0 600 240 0 0 1 nan 0 0 0 nan", 0, 0, 0, 0},
        {"inf 0 320 0 600 240 0 0 1 0 0 0 0 infinite", 0, 0, 0, 0},
        {"600 0 320 0 600 240 0 0 1 1e39 0 0 0 beyond-float", 0, 0, 0, 0},
    };
    for (const auto& k : cases) {
        std::ofstream(path) << k.text;
        CameraCalibration calibration;
        ASSERT_EQ(readCalibration(TABRELO_DATA "/camcalib.txt", calibration), 1);
        const CameraCalibration before = calibration;
        FILE* out = std::tmpfile();
        EXPECT_EQ(readCalibration(path.c_str(), calibration, out), k.taken) << k.text;
        const std::string message = textFrom(out);
        std::fclose(out);
        EXPECT_STREQ(calibration.name, before.name) << k.text;
        if (k.taken) {
            EXPECT_EQ(calibration.intrinsic[4], k.focal) << k.text;
            EXPECT_EQ(calibration.distortion[0], k.k1) << k.text;
            EXPECT_EQ(calibration.distortion[1], k.k2) << k.text;
            EXPECT_EQ(message, "") << k.text;
        } else {
            EXPECT_EQ(std::memcmp(&before, &calibration, sizeof before), 0) << k.text;
            EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << k.text;
            EXPECT_NE(message.find(path), std::string::npos) << k.text;
        }
    }
    std::remove(path.c_str());
}

TEST(CameraSource, BrokenImagesEndSequencesScenesLoopPicturesAreOneFrameBadSourcesFail) {
    enterDataFolder();
    const std::string path = scratchPath("moving.scene"), picture = scratchPath("still.jpg");
    std::ofstream(path) << "size 200 150\npuzzle 1\nframes 2\npose 0 0 30\npath 10 0 30\n";
    ASSERT_TRUE(cv::imwrite(picture, cv::Mat(90, 120, CV_8UC3, cv::Scalar(20, 140, 200))));
    CameraSource camera;
    cv::Mat first, second, third;
    // A broken image ends a sequence: the second frame's header claims a
    // height far beyond what OpenCV decodes.
    const std::string prefix = scratchPath("broken_");
    const cv::Mat shot(8, 8, CV_8UC3, cv::Scalar(20, 140, 240));
    ASSERT_TRUE(cv::imwrite(prefix + "000.bmp", shot) && cv::imwrite(prefix + "001.bmp", shot));
    {
        std::fstream broken(prefix + "001.bmp", std::ios::in | std::ios::out | std::ios::binary);
        const char height[4] = {0, 0, 0x40, 0};  // biHeight, little-endian 2^22
        broken.seekp(22);
        broken.write(height, 4);
    }
    ASSERT_EQ(camera.open(prefix + "%03d.bmp"), 1);
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(camera.read(first), 1);
        EXPECT_EQ(cv::norm(first, shot, cv::NORM_INF), 0) << "frame " << i;
    }
    std::remove((prefix + "000.bmp").c_str());
    std::remove((prefix + "001.bmp").c_str());
    for (int loop : {1, 0}) {
        ASSERT_EQ(camera.open(path), 1);
        camera.loop = loop;
        EXPECT_EQ(camera.read(first) + camera.read(second) + camera.read(third), 2 + loop);
        EXPECT_EQ(first.size(), cv::Size(200, 150));
        EXPECT_GT(cv::norm(first, second, cv::NORM_INF), 0);
        EXPECT_TRUE(!loop || cv::norm(first, third, cv::NORM_INF) == 0) << "the scene starts again";
        // One picture is one frame: once without looping, for ever with it.
        ASSERT_EQ(camera.open(picture), 1);
        camera.loop = loop;
        ASSERT_EQ(camera.read(first), 1);
        EXPECT_EQ(first.size(), cv::Size(120, 90));
        EXPECT_EQ(camera.read(first), loop);
    }
    // The camera step over a source that ends keeps the last picture and says so once.
    CameraState c;
    GridVision vision;
    FILE* said = std::tmpfile();
    ASSERT_EQ(c.source.open(path), 1);
    c.source.loop = 0;
    ASSERT_EQ(setUpImages(c, vision, cv::Size(200, 150), said), 1);
    ASSERT_EQ(processFrame(c, vision, said) + processFrame(c, vision, said), 2);
    const cv::Mat last = c.live.clone();
    const long before = std::ftell(said);
    EXPECT_EQ(processFrame(c, vision, said), 0);
    EXPECT_EQ(processFrame(c, vision, said), 0);
    const std::string text = textFrom(said, before);
    std::fclose(said);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(cv::norm(c.live, last, cv::NORM_INF), 0);
    std::remove(path.c_str());
    std::remove(picture.c_str());
    testing::internal::CaptureStdout();
    EXPECT_EQ(camera.open(path), 0);
    EXPECT_EQ(camera.open(scratchPath("nothing_%03d.png")), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("camera source " + path + " cannot be opened\n"), std::string::npos);
    EXPECT_EQ(camera.isOpened() + camera.read(first), 0);
}

TEST(CameraStep, CameraChoiceTakesTheNamedCalibrationOrSaysWhyNot) {
    const struct {
        const char *answer, *folder, *name;  // camera name afterwards
        int taken;
    } cases[] = {
        {"Logitech\n", TABRELO_DATA, "logitech", 1},
        {"", TABRELO_DATA, "tcm", 1},  // end of input: the default
        {"logitech\n", "/", "before", 0},
    };
    for (const auto& k : cases) {
        ASSERT_EQ(chdir(k.folder), 0);
        GridVision vision;
        std::snprintf(vision.calibration.name, sizeof vision.calibration.name, "before");
        FILE* in = std::tmpfile();
        std::fputs(k.answer, in);
        std::rewind(in);
        FILE* out = vision.out = std::tmpfile();
        EXPECT_EQ(chooseCamera(vision, in, out), k.taken) << k.answer;
        const std::string text = textFrom(out);
        std::fclose(in);
        std::fclose(out);
        EXPECT_STREQ(vision.calibration.name, k.name) << k.answer;
        // A calibration not taken is not printed as if it were.
        EXPECT_EQ(text.find(k.name) != std::string::npos, (bool)k.taken) << text;
    }
}

}  // namespace
