// The camera step's camera choice, and its work on frames of the stand-in
// without windows.
#include "CameraStep.h"
#include "SceneTest.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string readAll(FILE* f) {
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += (char)ch;
    return text;
}

TEST(CameraStep, CameraChoiceTakesTheNamedCalibrationOrSaysWhyNot) {
    enterDataFolder();
    struct Case {
        const char* answer;
        const char* folder;
        const char* name;  // camera name afterwards
        int taken;
    } cases[] = {
        {"Logitech\n", TABRELO_DATA, "logitech", 1},
        {"tcm\n", TABRELO_DATA, "tcm", 1},
        {"", TABRELO_DATA, "tcm", 1},  // end of input: the default
        {"logitech\n", "/", "before", 0},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(chdir(k.folder), 0);
        GridVision vision;
        std::snprintf(vision.calibration.name, sizeof vision.calibration.name, "before");
        FILE* in = std::tmpfile();
        std::fputs(k.answer, in);
        std::rewind(in);
        FILE* out = std::tmpfile();
        vision.out = out;
        EXPECT_EQ(chooseCamera(vision, in, out), k.taken) << k.answer;
        const std::string text = readAll(out);
        std::fclose(in);
        std::fclose(out);
        EXPECT_STREQ(vision.calibration.name, k.name) << k.answer;
        // A calibration not taken is not printed as if it were.
        EXPECT_EQ(text.find(k.name) != std::string::npos, (bool)k.taken) << text;
    }
    enterDataFolder();
}

TEST(CameraStep, FramesOfTheStandInFindTheGridAndMissingFramesKeepThePicture) {
    enterDataFolder();
    CameraState c;
    c.source.loop = 0;
    ASSERT_EQ(c.source.open("scenes/table.scene"), 1);
    GridVision vision;
    FILE* out = std::tmpfile();
    ASSERT_EQ(setUpImages(c, vision, cv::Size(640, 480), out), 1);
    ASSERT_EQ(processFrame(c, vision, out), 1);
    EXPECT_EQ(c.gridFound, 1);
    ASSERT_EQ(c.glReady.size(), c.live.size());
    // The GL-ready copy is the live frame upside down, and the grey frame its grey.
    EXPECT_EQ(cv::norm(c.glReady.row(0), c.live.row(c.height - 1), cv::NORM_INF), 0);
    EXPECT_LT(std::abs(c.grey.at<uchar>(0, 320) - c.live.at<cv::Vec3b>(c.height - 1, 320)[1]), 3);

    // A source that ends leaves the last picture and says so once.
    c.source.open("scenes/table.scene");
    c.source.loop = 0;
    for (int i = 0; i < 120; i++) c.source.read(c.live);
    const cv::Mat last = c.live.clone();
    const long before = std::ftell(out);
    EXPECT_EQ(processFrame(c, vision, out), 0);
    EXPECT_EQ(processFrame(c, vision, out), 0);
    std::fseek(out, before, SEEK_SET);
    std::string text;
    for (int ch; (ch = std::fgetc(out)) != EOF;) text += (char)ch;
    std::fclose(out);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(cv::norm(c.live, last, cv::NORM_INF), 0);
}

}  // namespace
