#include "SplitTime.h"

void splitTime(long milliseconds, int& hours, int& minutes, int& seconds) {
    if (milliseconds < 0) {
        hours = minutes = seconds = 0;
        return;
    }
    const long s = milliseconds / 1000;
    hours = (int)(s / 3600);
    minutes = (int)((s - 3600L * hours) / 60);
    seconds = (int)(s - 3600L * hours - 60L * minutes);
}
