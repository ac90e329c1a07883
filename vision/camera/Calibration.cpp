#include "Calibration.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One whitespace-delimited word as a number: 1 with a finite number, 0 at
// the end or on a word that is no number, -1 on a number no camera has
// ("inf", "nan", beyond float).
int readNumber(FILE* f, float* value) {
    char word[64];
    if (std::fscanf(f, "%63s", word) != 1) return 0;
    char* end = nullptr;
    const float v = std::strtof(word, &end);
    if (end == word || *end != '\0') return 0;
    if (!std::isfinite(v)) return -1;
    *value = v;
    return 1;
}

}  // namespace

int readCalibration(const char* path, CameraCalibration& calibration, FILE* out) {
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    CameraCalibration read = calibration;
    int status = 1;
    for (int i = 0; status == 1 && i < 9; i++) status = readNumber(f, &read.intrinsic[i]);
    for (int i = 0; status == 1 && i < 4; i++) status = readNumber(f, &read.distortion[i]);
    char word[80];
    if (status == 1 && std::fscanf(f, "%79s", word) == 1)
        std::snprintf(read.name, sizeof read.name, "%s", word);
    std::fclose(f);
    if (status < 0 || !(read.intrinsic[0] > 0) || !(read.intrinsic[4] > 0)) {
        if (out)
            std::fprintf(out, "calibration file %s refused: its focal lengths must be positive "
                              "and every value finite\n", path);
        return 0;
    }
    calibration = read;
    return 1;
}
