#include "CameraSettings.h"

int debugLevel = 1;
int flipMode = 0;
int viewAngleY = 6;
int gridFound = 0;
int useMouse = 1;
int visionKey = 32;
int recognitionFrozen = 0;
int rerectifyRequest = 0;
int teachRequest = 0;
int correctionRequest = 0;
