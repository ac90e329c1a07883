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

int readCalibration(const char* path, CameraCalibration& calibration, FILE* out) {
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    CameraCalibration read = calibration;
    bool ok = true;
    for (int i = 0; ok && i < 9; i++) ok = readNumber(f, &read.intrinsic[i]);
    for (int i = 0; ok && i < 4; i++) ok = readNumber(f, &read.distortion[i]);
    char word[80];
    if (ok && std::fscanf(f, "%79s", word) == 1)
        std::snprintf(read.name, sizeof read.name, "%s", word);
    std::fclose(f);
    bool finite = true;
    for (float v : read.intrinsic) finite = finite && std::isfinite(v);
    for (float v : read.distortion) finite = finite && std::isfinite(v);
    if (!finite || !(read.intrinsic[0] > 0) || !(read.intrinsic[4] > 0)) {
        if (out)
            std::fprintf(out, "calibration file %s refused: its focal lengths must be positive "
                              "and every value finite\n", path);
        return 0;
    }
    calibration = read;
    return 1;
}
