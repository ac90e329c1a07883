// The camera stand-in: its ground truth agrees with what it renders, scene
// files and calibration files are read as documented, and image sequences
// and scenes play back through the camera interface.
#include "CameraSource.h"
#include "PuzzleFile.h"
#include "SceneTest.h"
#include "Sheet.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// Per process, so that parallel runs do not share files.
std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "tabrelo" + std::to_string(getpid()) + "_" + name;
}

struct PoseCase {
    double rotation, tilt, distance;
};

void PrintTo(const PoseCase& pose, std::ostream* out) {
    *out << "rotation " << pose.rotation << ", tilt " << pose.tilt << ", distance "
         << pose.distance;
}

class GroundTruth : public ::testing::TestWithParam<PoseCase> {
protected:
    void SetUp() override { enterDataFolder(); }
};

TEST_P(GroundTruth, ProjectedCrossingsLandOnRenderedCrossings) {
    SceneDescription scene = sceneAt(GetParam().rotation, GetParam().tilt, GetParam().distance);
    scene.noise = 0;
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(scene), 1);
    FrameTruth truth;
    const cv::Mat grey = greyFrame(camera, 0, &truth);
    int inside = 0;
    for (int y = 0; y <= 9; y++) {
        for (int x = 0; x <= 9; x++) {
            const cv::Point2f expected = truth.crossings[10 * y + x];
            EXPECT_LT(cv::norm(expected - camera.project(x, y, 0, 0)), 1e-3);
            if (expected.x < 10 || expected.y < 10 || expected.x > grey.cols - 11 ||
                expected.y > grey.rows - 11)
                continue;
            inside++;
            if (x % 3 == 0 && y % 3 == 0) {  // thick lines cross in ink
                EXPECT_LT(grey.at<unsigned char>(cvRound(expected.y), cvRound(expected.x)), 90);
            }
            // The corner finder, started off the crossing, settles on the printed
            // one; only where four arms meet, as an L or T corner pulls it aside.
            if (x == 0 || y == 0 || x == 9 || y == 9) continue;
            std::vector<cv::Point2f> found{expected + cv::Point2f(1.3f, -1.1f)};
            cv::cornerSubPix(grey, found, cv::Size(5, 5), cv::Size(-1, -1),
                             cv::TermCriteria(cv::TermCriteria::EPS | cv::TermCriteria::COUNT,
                                              40, 0.001));
            EXPECT_LT(cv::norm(found[0] - expected), 1.0) << "crossing " << x << ", " << y;
        }
    }
    EXPECT_GE(inside, 64);
}

INSTANTIATE_TEST_SUITE_P(Poses, GroundTruth,
                         ::testing::Values(PoseCase{0, 0, 12.5}, PoseCase{20, 25, 14},
                                           PoseCase{-35, 15, 13}, PoseCase{90, 5, 12}));

TEST(SyntheticCamera, PrintedDigitsAndTilesAreWhereTheTruthSays) {
    enterDataFolder();
    SceneDescription scene = sceneAt(0, 10, 16);
    scene.start.shiftX = scene.end.shiftX = 1;
    scene.frames = 11;
    SceneTile tile;
    tile.digit = 4;
    tile.x = 11, tile.y = 6, tile.angle = 0;
    tile.endX = 11, tile.endY = 2, tile.endAngle = 30;
    scene.tiles.push_back(tile);
    SyntheticCamera camera;
    ASSERT_EQ(camera.open(scene), 1);
    FrameTruth truth;
    const cv::Mat last = greyFrame(camera, 10, &truth);

    // Puzzle 1 as read by the model, row 0 at the top of the printed grid.
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, "sudoku-grids/g1.txt"), 1);
    for (int i = 0; i < 81; i++) EXPECT_EQ(truth.digits[i], board.digitAt(i / 9, i % 9));
    // Cells with a digit carry ink at their centre, empty cells are paper.
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const cv::Point2f centre = camera.project(c + 0.5, 8.5 - r, 0, 10);
            const cv::Rect patch(cvRound(centre.x) - 4, cvRound(centre.y) - 4, 9, 9);
            double darkest;
            cv::minMaxLoc(last(patch), &darkest);
            if (truth.digits[9 * r + c]) EXPECT_LT(darkest, 100) << r << ", " << c;
            else EXPECT_GT(darkest, 150) << r << ", " << c;
        }
    }

    ASSERT_EQ(truth.tiles.size(), 1u);
    EXPECT_EQ(truth.tiles[0].digit, 4);
    EXPECT_DOUBLE_EQ(truth.tiles[0].y, 2);
    EXPECT_DOUBLE_EQ(truth.tiles[0].angle, 30);
    EXPECT_LT(cv::norm(truth.tiles[0].image - camera.project(11, 2, 0, 10)), 1e-3);
    // The tile is white paper on the dark table; just beyond it is table.
    const double a = 30 * CV_PI / 180;
    const cv::Point2f corner = camera.project(11 + 0.3 * (std::cos(a) - std::sin(a)),
                                              2 + 0.3 * (std::sin(a) + std::cos(a)), 0, 10);
    const cv::Point2f beyond = camera.project(11.7, 2, 0, 10);
    EXPECT_GT(last.at<unsigned char>(cvRound(corner.y), cvRound(corner.x)), 180);
    EXPECT_LT(last.at<unsigned char>(cvRound(beyond.y), cvRound(beyond.x)), 130);
    // At the first frame the tile still lay at its start.
    greyFrame(camera, 0, &truth);
    EXPECT_DOUBLE_EQ(truth.tiles[0].y, 6);
}

TEST(SyntheticCamera, TilesFarOffTheTableAreLeftOut) {
    enterDataFolder();
    SceneDescription scene = sceneAt(0, 0, 14);
    scene.width = 160, scene.height = 120;
    SyntheticCamera plain;
    ASSERT_EQ(plain.open(scene), 1);
    SceneTile far;
    far.digit = 5;
    far.x = far.endX = 1e9;
    far.y = far.endY = -1e12;
    scene.tiles.push_back(far);
    SyntheticCamera withTile;
    ASSERT_EQ(withTile.open(scene), 1);
    FrameTruth truth;
    const cv::Mat a = greyFrame(plain, 0, nullptr), b = greyFrame(withTile, 0, &truth);
    EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0);
    ASSERT_EQ(truth.tiles.size(), 1u);
    EXPECT_EQ(truth.tiles[0].x, 1e9);
}

TEST(SyntheticCamera, MissingCalibrationOrPuzzleIsRefusedWithOneLine) {
    enterDataFolder();
    struct Case {
        const char* calibration;
        int gridNumber;
        const char* line;
    } cases[] = {
        {"no-such-calibration.txt", 1, "cannot read calibration file no-such-calibration.txt\n"},
        {"camcalib.txt", 999, "cannot read puzzle file sudoku-grids/g999.txt\n"},
    };
    for (const Case& c : cases) {
        SceneDescription scene;
        scene.calibration = c.calibration;
        scene.gridNumber = c.gridNumber;
        SyntheticCamera camera;
        testing::internal::CaptureStdout();
        EXPECT_EQ(camera.open(scene), 0) << c.line;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
    }
}

TEST(SyntheticCamera, OtherFrameSizesSeeTheSameView) {
    enterDataFolder();
    SceneDescription small = sceneAt(10, 20, 13), large = small;
    large.width = 1280;
    large.height = 960;
    SyntheticCamera a, b;
    ASSERT_EQ(a.open(small), 1);
    ASSERT_EQ(b.open(large), 1);
    for (cv::Point3d p : {cv::Point3d(0, 0, 0), cv::Point3d(9, 9, 0), cv::Point3d(9, 0, 0)}) {
        const cv::Point2f s = a.project(p.x, p.y, p.z, 0), l = b.project(p.x, p.y, p.z, 0);
        EXPECT_NEAR(l.x, 2 * s.x, 1e-2);
        EXPECT_NEAR(l.y, 2 * s.y, 1e-2);
    }
}

TEST(SceneFile, ReadsEverySetting) {
    const std::string path = tempPath("full.scene");
    std::ofstream(path) << "# a moving scene\n"
                           "size 320 240\n"
                           "calibration camcalib-tcm.txt\n"
                           "puzzle 7 3   # seventh puzzle\n"
                           "frames 50\n"
                           "pose 5 10 15 0.5 -0.5\n"
                           "path 15 20 12\n"
                           "light 0.3\nblur 1.2\nnoise 3\nseed 9\ntable 80\n"
                           "\n"
                           "tile 5 10.5 4.5 0 2.5 6.5 90\n"
                           "tile 3 -1 2 15\n";
    SceneDescription scene;
    ASSERT_EQ(readSceneFile(path.c_str(), scene), 1);
    EXPECT_EQ(scene.width, 320);
    EXPECT_EQ(scene.height, 240);
    EXPECT_EQ(scene.calibration, "camcalib-tcm.txt");
    EXPECT_EQ(scene.gridNumber, 7);
    EXPECT_EQ(scene.permutation, 3);
    EXPECT_EQ(scene.frames, 50);
    EXPECT_EQ(scene.start.shiftY, -0.5);
    EXPECT_EQ(scene.end.rotation, 15);
    EXPECT_EQ(scene.end.shiftX, 0);
    EXPECT_EQ(scene.light, 0.3);
    EXPECT_EQ(scene.table, 80);
    ASSERT_EQ(scene.tiles.size(), 2u);
    EXPECT_EQ(scene.tiles[0].endAngle, 90);
    EXPECT_EQ(scene.tiles[1].endX, -1);
    EXPECT_EQ(scene.tiles[1].endAngle, 15);

    // Without a path the camera stands still.
    std::ofstream(path) << "pose 1 2 3\n";
    ASSERT_EQ(readSceneFile(path.c_str(), scene), 1);
    EXPECT_EQ(scene.end.tilt, 2);
    EXPECT_EQ(scene.width, 640);
    std::remove(path.c_str());
}

TEST(SceneFile, BadLinesAreNamed) {
    const std::string path = tempPath("bad.scene");
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
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "scene file " + path + ", " + c[1] + "\n");
    }
    std::remove(path.c_str());
    SceneDescription scene;
    testing::internal::CaptureStdout();
    EXPECT_EQ(readSceneFile(path.c_str(), scene), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cannot open scene file " + path + "\n");
}

TEST(Calibration, ReadsNumbersInOrderAndKeepsWhatIsMissing) {
    CameraCalibration c;
    ASSERT_EQ(readCalibration(TABRELO_DATA "/camcalib.txt", c), 1);
    EXPECT_EQ(c.intrinsic[0], 620.0f);
    EXPECT_EQ(c.intrinsic[2], 319.5f);
    EXPECT_EQ(c.intrinsic[8], 1.0f);
    EXPECT_EQ(c.distortion[0], -0.11f);
    EXPECT_STREQ(c.name, "webcam");
    for (const char* file : {"/camcalib-logitech.txt", "/camcalib-tcm.txt"}) {
        CameraCalibration other;
        EXPECT_EQ(readCalibration((std::string(TABRELO_DATA) + file).c_str(), other), 1);
        EXPECT_GT(other.intrinsic[0], 100);
        EXPECT_EQ(other.intrinsic[8], 1.0f);
        EXPECT_GT(std::strlen(other.name), 0u);
    }

    const std::string path = tempPath("calib.txt");
    std::ofstream(path) << "1 0 2\n0 3 4\n0 0 1\n";
    EXPECT_EQ(readCalibration(path.c_str(), c), 1);
    EXPECT_EQ(c.intrinsic[4], 3.0f);
    EXPECT_EQ(c.distortion[0], -0.11f);
    EXPECT_STREQ(c.name, "webcam");

    std::ofstream(path) << "5 0 2 0 3 4 0 0 1 0.5 oops 0.25 0.125 name\n";
    EXPECT_EQ(readCalibration(path.c_str(), c), 1);
    EXPECT_EQ(c.distortion[0], 0.5f);
    EXPECT_EQ(c.distortion[1], 0.09f);
    EXPECT_STREQ(c.name, "webcam");

    std::ofstream(path) << "5 0 2 0 3 4 0 0 1 0 0 0 0 " << std::string(100, 'n') << "\n";
    EXPECT_EQ(readCalibration(path.c_str(), c), 1);
    EXPECT_EQ(std::strlen(c.name), 79u);
    std::remove(path.c_str());
    EXPECT_EQ(readCalibration(path.c_str(), c), 0);
    EXPECT_EQ(c.intrinsic[0], 5.0f);
}

TEST(CameraSource, ImageSequencePlaysBackAndStartsAgain) {
    const std::string prefix = tempPath("");
    std::vector<cv::Mat> shots;
    for (int i = 0; i < 3; i++) {
        cv::Mat shot(120, 160, CV_8UC3, cv::Scalar(10 + 60 * i, 200 - 50 * i, 30 * i));
        cv::circle(shot, cv::Point(40 + 30 * i, 60), 12, cv::Scalar(255, 255, 255), -1);
        // The last shot is stored grey: it still comes out in colour.
        if (i == 2) cv::cvtColor(shot, shot, cv::COLOR_BGR2GRAY);
        char name[64];
        std::snprintf(name, sizeof name, "sequence_%03d.png", i);
        ASSERT_TRUE(cv::imwrite(prefix + name, shot));
        if (i == 2) cv::cvtColor(shot, shot, cv::COLOR_GRAY2BGR);
        shots.push_back(shot);
    }
    const std::string pattern = prefix + "sequence_%03d.png";
    ASSERT_EQ(setenv("TABRELO_CAMERA", pattern.c_str(), 1), 0);
    CameraSource camera;
    ASSERT_EQ(camera.open(), 1);
    EXPECT_EQ(camera.truth(), nullptr);
    EXPECT_EQ(camera.origin(), 0);
    EXPECT_EQ(camera.get(cv::CAP_PROP_FRAME_WIDTH), 160);
    cv::Mat frame;
    for (int i = 0; i < 5; i++) {
        ASSERT_EQ(camera.read(frame), 1);
        EXPECT_EQ(cv::norm(frame, shots[i % 3], cv::NORM_INF), 0) << "frame " << i;
    }
    unsetenv("TABRELO_CAMERA");
    // Read once through, the sequence ends and the frame stays as it was.
    ASSERT_EQ(camera.open(pattern), 1);
    camera.loop = 0;
    for (int i = 0; i < 3; i++) ASSERT_EQ(camera.read(frame), 1);
    EXPECT_EQ(camera.read(frame), 0);
    EXPECT_EQ(cv::norm(frame, shots[2], cv::NORM_INF), 0);
    for (int i = 0; i < 3; i++) {
        char name[64];
        std::snprintf(name, sizeof name, "sequence_%03d.png", i);
        std::remove((prefix + name).c_str());
    }
}

TEST(CameraSource, ABrokenImageEndsTheSequence) {
    // The second frame's header claims a height far beyond what OpenCV decodes.
    const std::string prefix = tempPath("broken_");
    const cv::Mat shot(8, 8, CV_8UC3, cv::Scalar(20, 140, 240));
    ASSERT_TRUE(cv::imwrite(prefix + "000.bmp", shot));
    ASSERT_TRUE(cv::imwrite(prefix + "001.bmp", shot));
    {
        std::fstream broken(prefix + "001.bmp", std::ios::in | std::ios::out | std::ios::binary);
        const char height[4] = {0, 0, 0x40, 0};  // biHeight, little-endian 2^22
        broken.seekp(22);
        broken.write(height, 4);
    }
    CameraSource camera;
    ASSERT_EQ(camera.open(prefix + "%03d.bmp"), 1);
    cv::Mat frame;
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(camera.read(frame), 1);
        EXPECT_EQ(cv::norm(frame, shot, cv::NORM_INF), 0) << "frame " << i;
    }
    std::remove((prefix + "000.bmp").c_str());
    std::remove((prefix + "001.bmp").c_str());
}

TEST(CameraSource, StoredImagesOfAnyKindBecomeColourFrames) {
    const std::string prefix = tempPath("kinds_");
    const cv::Mat stored[] = {cv::Mat(6, 8, CV_8UC1, cv::Scalar(90)),
                              cv::Mat(6, 8, CV_8UC4, cv::Scalar(10, 20, 30, 0)),
                              cv::Mat(6, 8, CV_16UC1, cv::Scalar(200 * 256))};
    const cv::Vec3b colour[] = {{90, 90, 90}, {10, 20, 30}, {200, 200, 200}};
    for (int i = 0; i < 3; i++)
        ASSERT_TRUE(cv::imwrite(prefix + std::to_string(i) + ".png", stored[i]));
    CameraSource camera;
    ASSERT_EQ(camera.open(prefix + "%d.png"), 1);
    for (int i = 0; i < 3; i++) {
        cv::Mat frame;
        ASSERT_EQ(camera.read(frame), 1);
        ASSERT_EQ(frame.type(), CV_8UC3) << "frame " << i;
        EXPECT_EQ(frame.at<cv::Vec3b>(5, 7), colour[i]) << "frame " << i;
        std::remove((prefix + std::to_string(i) + ".png").c_str());
    }
}

TEST(CameraSource, VideoFilePlaysBackAndStartsAgain) {
    const std::string path = tempPath("clip.avi");
    std::vector<cv::Mat> shots;
    {
        cv::VideoWriter writer(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10,
                               cv::Size(160, 120));
        ASSERT_TRUE(writer.isOpened());
        for (int i = 0; i < 3; i++) {
            cv::Mat shot(120, 160, CV_8UC3, cv::Scalar(40 + 80 * i, 200 - 60 * i, 90));
            writer.write(shot);
            shots.push_back(shot);
        }
    }
    CameraSource camera;
    ASSERT_EQ(camera.open(path), 1);
    cv::Mat frame;
    for (int i = 0; i < 5; i++) {
        ASSERT_EQ(camera.read(frame), 1);
        ASSERT_EQ(frame.size(), cv::Size(160, 120));
        EXPECT_LT(cv::norm(frame, shots[i % 3], cv::NORM_L1) / frame.total(), 12) << "frame " << i;
    }
    std::remove(path.c_str());
}

TEST(CameraSource, SceneFilesAndBadSources) {
    enterDataFolder();
    cv::Mat frame;
    const std::string path = tempPath("moving.scene");
    std::ofstream(path) << "size 200 150\npuzzle 1\nframes 2\npose 0 0 30\npath 10 0 30\n";
    CameraSource camera;
    ASSERT_EQ(camera.open(path), 1);
    EXPECT_EQ(camera.get(cv::CAP_PROP_FRAME_HEIGHT), 150);
    EXPECT_EQ(camera.set(cv::CAP_PROP_FRAME_HEIGHT, 280), 0);
    cv::Mat first, second, third;
    ASSERT_EQ(camera.read(first), 1);
    ASSERT_NE(camera.truth(), nullptr);
    const cv::Point2f start = camera.truth()->crossings[0];
    ASSERT_EQ(camera.read(second), 1);
    EXPECT_GT(cv::norm(camera.truth()->crossings[0] - start), 1);
    ASSERT_EQ(camera.read(third), 1);  // the scene starts again
    EXPECT_EQ(cv::norm(first, third, cv::NORM_INF), 0);
    EXPECT_EQ(first.type(), CV_8UC3);
    EXPECT_EQ(first.size(), cv::Size(200, 150));
    ASSERT_EQ(camera.open(path), 1);
    camera.loop = 0;
    EXPECT_EQ(camera.read(first) + camera.read(second) + camera.read(third), 2);
    std::remove(path.c_str());

    // One picture is one frame: once without looping, for ever with it.
    const std::string picture = tempPath("still.jpg");
    ASSERT_TRUE(cv::imwrite(picture, cv::Mat(90, 120, CV_8UC3, cv::Scalar(20, 140, 200))));
    for (int loop : {0, 1}) {
        ASSERT_EQ(camera.open(picture), 1);
        EXPECT_EQ(camera.get(cv::CAP_PROP_FRAME_WIDTH), 120);
        camera.loop = loop;
        ASSERT_EQ(camera.read(frame = cv::Mat()), 1);
        EXPECT_EQ(frame.size(), cv::Size(120, 90));
        EXPECT_EQ(camera.read(frame), loop);
    }
    std::remove(picture.c_str());

    testing::internal::CaptureStdout();
    EXPECT_EQ(camera.open(path), 0);
    EXPECT_EQ(camera.open(tempPath("nothing_%03d.png")), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("camera source " + path + " cannot be opened\n"), std::string::npos);
    EXPECT_EQ(camera.isOpened(), 0);
    EXPECT_EQ(camera.read(frame), 0);
}

TEST(Sheets, PuzzleSheetAndTilePage) {
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt"), 1);
    const cv::Mat sheet = drawPuzzleSheet(board, 0);
    ASSERT_EQ(sheet.size(), cv::Size(2480, 3508));
    // Box lines are thick, cell lines thin, both centred on their model position.
    const cv::Point2d box = sheetPoint(3, 4.5), cell = sheetPoint(4, 4.5);
    const int y = (int)box.y;
    EXPECT_EQ(cv::countNonZero(sheet.row(y).colRange((int)box.x - 12, (int)box.x + 13) < 128), 15);
    EXPECT_EQ(cv::countNonZero(sheet.row(y).colRange((int)cell.x - 12, (int)cell.x + 13) < 128), 5);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const cv::Point2d centre = sheetPoint(c + 0.5, 8.5 - r);
            const cv::Rect inner((int)centre.x - 60, (int)centre.y - 60, 121, 121);
            const int ink = cv::countNonZero(sheet(inner) < 128);
            if (board.digitAt(r, c)) EXPECT_GT(ink, 800) << r << ", " << c;
            else EXPECT_EQ(ink, 0) << r << ", " << c;
        }
    }
    // The cut keeps a plain paper margin around the grid; the labels and the
    // marks lie outside it, and the paper outside holds ink.
    const cv::Rect cut = cutRectangle();
    const cv::Point2d topLeft = sheetPoint(0, 9), bottomRight = sheetPoint(9, 0);
    cv::Mat margin = sheet(cut).clone();
    margin(cv::Rect((int)topLeft.x - cut.x - 8, (int)topLeft.y - cut.y - 8,
                    (int)(bottomRight.x - topLeft.x) + 17, (int)(bottomRight.y - topLeft.y) + 17))
        .setTo(255);
    EXPECT_EQ(cv::countNonZero(margin < 255), 0);
    EXPECT_GT(cut.x, 0);
    EXPECT_GT(cv::countNonZero(sheet(cv::Rect(0, 0, sheet.cols, cut.y)) < 128), 1000);
    const cv::Mat tiles = drawTileSheet();
    ASSERT_EQ(tiles.size(), cv::Size(2480, 3508));
    // A tile: black frame, white inside it, its digit as large as the sheet's.
    // (6 and 9 are underlined on tiles.)
    const int r = 0, c = std::find_if(board.cells.begin(), board.cells.begin() + 9,
                                      [](const SudokuCell& cell) {
                                          return cell.digit && cell.digit != 6 && cell.digit != 9;
                                      }) -
                         board.cells.begin();
    ASSERT_LT(c, 9);
    const cv::Point2d centre = sheetPoint(c + 0.5, 8.5 - r);
    const cv::Rect printed = cv::boundingRect(
        sheet(cv::Rect((int)centre.x - 80, (int)centre.y - 80, 161, 161)) < 128);
    const cv::Mat one = drawTile(board.digitAt(r, c), SheetLayout::kTile);
    EXPECT_EQ(one.at<unsigned char>(85, 2), 0);
    EXPECT_EQ(one.at<unsigned char>(85, SheetLayout::kTileFrame + 2), 255);
    const int inner = SheetLayout::kTileFrame + 2;
    const cv::Rect onTile = cv::boundingRect(
        one(cv::Rect(inner, inner, one.cols - 2 * inner, one.rows - 2 * inner)) < 128);
    EXPECT_EQ(onTile.size(), printed.size());
}

// The shipped images are the ones make_images draws.
TEST(Sheets, ShippedImagesAreTheDrawnOnes) {
    for (int d = 0; d <= 9; d++) {
        const std::string path = std::string(TABRELO_DATA) + "/imgs/digit/" + std::to_string(d) + ".bmp";
        const cv::Mat shipped = cv::imread(path, cv::IMREAD_COLOR);
        ASSERT_FALSE(shipped.empty()) << path;
        EXPECT_EQ(cv::norm(shipped, drawDigitImage(d), cv::NORM_INF), 0) << path;
    }
    for (const char* name : kGridElementNames) {
        const std::string path = std::string(TABRELO_DATA) + "/imgs/11x11/" + name;
        const cv::Mat shipped = cv::imread(path, cv::IMREAD_COLOR);
        ASSERT_EQ(shipped.size(), cv::Size(11, 11)) << path;
        EXPECT_EQ(cv::norm(shipped, drawGridElement(name), cv::NORM_INF), 0) << path;
    }
    // A corner keeps its two arms: the upper-left corner runs right and down.
    const cv::Mat corner = drawGridElement("corner_ul.bmp");
    EXPECT_EQ(corner.at<cv::Vec3b>(5, 10), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(corner.at<cv::Vec3b>(10, 5), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(corner.at<cv::Vec3b>(5, 0), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(corner.at<cv::Vec3b>(0, 5), cv::Vec3b(255, 255, 255));
    EXPECT_TRUE(drawGridElement("circle.bmp").empty());
}

}  // namespace
