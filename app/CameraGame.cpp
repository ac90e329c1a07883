#include "CameraGame.h"

#include "EventLog.h"
#include "Globals.h"

#include <cmath>

static int calibrationTaken = 0;
static int handedPoseCount = 0;

int openCameraSource(FILE* out) { return openCamera(camera, out); }

void setUpCameraGame(FILE* out) {
    if (gridVision) return;
    gridVision = new GridVision;
    calibrationTaken = setUpImages(camera, *gridVision, camera.live.size(), out);
    visionConsole.setUp(camera);
    if (gameWindow) handCameraToWindow();
}

void handCalibrationToWindow() {
    gameWindow->setCalibration(gridVision->calibration.intrinsic);
    gameWindow->setDistortion(gridVision->calibration.distortion);
    gameWindow->setCalibrationFlag(1);
    calibrationTaken = 1;
}

void handCameraToWindow() {
    gameWindow->setVideoWidth(camera.width);
    gameWindow->setVideoHeight(camera.height);
    // Without a usable calibration the view stays virtual until one is chosen.
    if (calibrationTaken) handCalibrationToWindow();
}

void keepViewInStep() {
    gameWindow->flipMode = camera.flipMode;
    gameWindow->viewAngleY = camera.viewAngleY;
}

void cameraGameStep(RunningGame& game, FILE* in, FILE* out) {
    setUpCameraGame(out);
    camera.viewWidth = gameWindow->width;
    camera.viewHeight = gameWindow->height;
    camera.board = sudoku;
    camera.showOverviews = session.show_overviews;
    const int effects = cameraStep(camera, *gridVision, visionConsole, in, out);
    if (effects & kToggleAutomaticMarkup) session.toggleAutomaticMarkup();
    if (effects & kStartClock) game.clock.start(tickCount());
    if (effects & kCalibrationChosen) handCalibrationToWindow();
    // The board takes what the camera read, and after a correction what was confirmed.
    DigitTables& digits = gridVision->digits;
    if (digits.loadPending)
        sudoku->loadRecognizedGrid(digits.digit, digits.flag, digits.snapshot, 9, 9,
                                   digits.readClasses);
    if (digits.mergePending)
        sudoku->mergeRecognizedDigits(digits.digit, digits.flag, digits.snapshot, 9, 9,
                                      digits.correctedClasses);
    digits.loadPending = digits.mergePending = 0;
    CameraTiles& tiles = gridVision->tiles;
    if (tiles.handOverPending) sudoku->replaceTiles(tiles.list);
    tiles.handOverPending = 0;
    gameWindow->setVideoImage(camera.glReady);
    if (gridVision->poseCount != handedPoseCount) {
        handedPoseCount = gridVision->poseCount;
        const PoseHandOver pose = gridVision->handOver();
        gameWindow->setCalibration(pose.intrinsic);
        gameWindow->setDistortion(pose.distortion);
        gameWindow->setTranslation(pose.translation);
        gameWindow->setRotationVector(pose.rotationVector);
        gameWindow->setRotationMatrix(pose.rotationMatrix);
        gameWindow->setPoseFlag(1);
        gameWindow->setCalibrationFlag(1);
    }
    keepViewInStep();
}

void cameraTilesToBoard(Sudoku& board, FILE* out) {
    for (size_t i = 0; i < board.tiles.size();) {
        const Tile t = board.tiles[i];
        double whole;
        const double fx = std::modf(t.x, &whole), fy = std::modf(t.y, &whole);
        const bool centred = fx >= 0.35 && fx <= 0.65 && fy >= 0.35 && fy <= 0.65;
        const bool straight = (t.angle >= 0 && t.angle <= 5) || (t.angle >= 355 && t.angle <= 360);
        int dropped = -1;
        if (centred && straight) {
            if (camera.debugLevel >= 2)
                std::fprintf(out, "    tile %d at pos [x=%g, y=%g] with rotangle %d\n", t.digit, t.x,
                             t.y, t.angle);
            const int row = 8 - (int)std::floor(t.y), column = (int)std::floor(t.x);
            const int before = board.digitAt(row, column);
            const bool changed = t.digit == 0
                                     ? board.clearCell(row, column)
                                     : board.setDigit(row, column, t.digit, Entered);
            if (changed && t.digit == 0) logEvent("digit_removed", row, column, before, "camera");
            if (changed && t.digit != 0) logDigitEntered(board, row, column, t.digit, "camera");
            if (changed) {
                dropped = board.currentTile;
                board.dropCurrentTile();
            }
        }
        // Dropping the current tile shifts the tiles after it.
        if (dropped < 0 || dropped > (int)i) i++;
    }
}
