// The camera step's console keys and camera choice, and its work on a frame
// of the stand-in without windows.
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

struct KeyCase {
    int key;
    int flipBefore;
    int flipMode, gridFound, useMouse, frozen, rerectify, teach, correction;
    int effects;
    int printedLines;
};

TEST(CameraStep, ConsoleKeys) {
    const KeyCase cases[] = {
        {'a', 0, 0, 1, 1, 0, 0, 0, 0, kToggleAutomaticMarkup, 0},
        {'f', 0, 2, 0, 1, 0, 0, 0, 0, 0, 0},
        {'f', 2, 0, 0, 1, 0, 0, 0, 0, 0, 0},
        {'f', 1, 1, 0, 1, 0, 0, 0, 0, 0, 0},  // mirrored stays, search restarts
        {'h', 0, 0, 1, 1, 0, 0, 0, 0, 0, 12},
        {'m', 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
        {'o', 0, 0, 1, 1, 1, 1, 0, 0, kStartClock, 0},
        {'p', 0, 0, 1, 1, 0, 0, 0, 0, kPause, 3},
        {'r', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0},
        {'t', 0, 0, 1, 1, 0, 0, 1, 0, 0, 1},
        {'x', 0, 0, 1, 1, 0, 0, 0, 1, 0, 1},
        {'q', 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},
        {-1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},   // no key pressed
        {27, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},
        {'h' | 0x100, 0, 0, 1, 1, 0, 0, 0, 0, 0, 12},  // read as a signed char
    };
    GridVision vision;
    for (const KeyCase& k : cases) {
        CameraState c;
        c.flipMode = k.flipBefore;
        c.gridFound = 1;
        c.visionKey = k.key;
        FILE* out = std::tmpfile();
        const int effects = serveVisionKey(c, vision, k.key, stdin, out);
        const std::string text = readAll(out);
        std::fclose(out);
        SCOPED_TRACE(testing::Message() << "key " << k.key);
        EXPECT_EQ(effects, k.effects);
        EXPECT_EQ(c.flipMode, k.flipMode);
        EXPECT_EQ(c.gridFound, k.gridFound);
        EXPECT_EQ(c.useMouse, k.useMouse);
        EXPECT_EQ(c.recognitionFrozen, k.frozen);
        EXPECT_EQ(c.rerectifyRequest, k.rerectify);
        EXPECT_EQ(c.teachRequest, k.teach);
        EXPECT_EQ(c.correctionRequest, k.correction);
        EXPECT_EQ((int)std::count(text.begin(), text.end(), '\n'), k.printedLines) << text;
        // The pause starts from a blank key, so an old p cannot end it.
        if (k.effects & kPause) {
            EXPECT_EQ(c.visionKey, ' ');
        }
    }
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
