// The camera-side settings that the views, the drawing and the keys read:
// global ints with their start values, shared with the camera step.
#pragma once

extern int debugLevel;         // 0..5
extern int flipMode;           // 0 none, 1 mirrored, 2 mirrored and upside down
extern int viewAngleY;         // 0..18, tilt of the flipped view in steps of 10 degrees
extern int gridFound;          // 0: the grid must be searched
extern int useMouse;           // 1: digits entered with the mouse, 0 with tiles
extern int visionKey;          // last key of the camera windows
extern int recognitionFrozen;  // 1 while the game is played on a confirmed grid
extern int rerectifyRequest;
extern int teachRequest;
extern int correctionRequest;
