// The pilot check of a test series, `tabrelo --pilot Tests/<test> [N]`:
// the settings as the program shows them, the order of games participants
// 1..N would get, and the problems of the settings file. Writes no file.
#pragma once

#include <cstdio>

// The exit status: 0 when the series has no problem, 2 otherwise (also for
// a wrong call).
int runPilot(int argc, char** argv, FILE* out);
