#include "Calibration.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One whitespace-delimited word as a number; 0 at the end or on a non-number.
// "inf", "nan" and numbers beyond float count as non-numbers: no camera has them.
int readNumber(FILE* f, float* value) {
    char word[64];
    if (std::fscanf(f, "%63s", word) != 1) return 0;
    char* end = nullptr;
    const float v = std::strtof(word, &end);
    if (end == word || *end != '\0' || !std::isfinite(v)) return 0;
    *value = v;
    return 1;
}

}  // namespace

int readCalibration(const char* path, CameraCalibration& calibration) {
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    bool ok = true;
    for (int i = 0; ok && i < 9; i++) ok = readNumber(f, &calibration.intrinsic[i]);
    for (int i = 0; ok && i < 4; i++) ok = readNumber(f, &calibration.distortion[i]);
    char word[80];
    if (ok && std::fscanf(f, "%79s", word) == 1)
        std::snprintf(calibration.name, sizeof calibration.name, "%s", word);
    std::fclose(f);
    return 1;
}
