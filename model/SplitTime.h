// A time in milliseconds as hours, minutes and seconds: the status display,
// the logs and the agenda all show times this way.
#pragma once

// All three are 0 for a negative time.
void splitTime(long milliseconds, int& hours, int& minutes, int& seconds);
