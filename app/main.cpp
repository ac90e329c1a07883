// Tabrelo: start-up in the console, then the game window's event loop.
#include "CameraGame.h"
#include "Console.h"
#include "ResultLog.h"
#include "EventLog.h"
#include "Pilot.h"
#include "Shell.h"
#include "Window.h"

#include <GL/freeglut.h>

#include <fcntl.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--pilot") == 0) return runPilot(argc, argv, stdout);
    // A closed console input reads as its end; its descriptor must not go to
    // the next file or the window system's connection.
    if (fcntl(0, F_GETFD) == -1) open("/dev/null", O_RDONLY);
    RunningGame game;
    std::printf("Welcome to Tabrelo\n");
    askUserName(session, stdin, stdout);
    sudoku = new Sudoku(9, 9, 9, 9, 3, 3);
    gridStack = new GridStack(50);
    askTestName(session, stdin, stdout);

    // Without test settings there is no agenda: a free game.
    openTestSeries(game, stdout);

    game.cameraPresent = openCameraSource(stdout);
    session.setArMode(session.show_AR == 1 && game.cameraPresent ? 1 : 0);
    if (session.arMode == 1) setUpCameraGame(stdout);

    if (session.arMode == 0) {
        if (agenda.length > 0) {
            const int item = agenda.currentItem();
            if (item < 0) {
                std::printf("\n\n**** YOU ARE DONE ****\n");
                return 0;
            }
            agenda.items[item].applyTo(session, *sudoku);
        } else {
            session.setTestName("");
            askGridNumber(session, stdin, stdout);
            askPermutation(session, stdin, stdout);
        }
    }
    checkResultsFolder(session.testFolder, stdout);
    startEventLog(stdout);
    loadPuzzle(*sudoku, session, stdout);

    glutInit(&argc, argv);
    gameWindow = new GameWindow(session);
    openGameWindow(game, makeTitle(session, *sudoku));
    if (gridVision) handCameraToWindow();
    std::printf("Starting Live Viewer. Type ESC to quit\n");
    testSettings.print(stdout);
    agenda.print(testSettings, stdout);
    std::fflush(stdout);
    game.clock.start(tickCount());
    sudoku->fitTableArea(session.show_overviews);
    logGameStart();
    glutMainLoop();
    // Esc, "Quit" and the end of a series end with -1 (status 255); closing the window with 0.
    return game.quitFlag ? -1 : 0;
}
