#include "WindowState.h"

#include <chrono>

long tickCount() {
    using namespace std::chrono;
    return (long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void GameClock::start(long now) {
    running = 1;
    startTick = now;
    total = 0;
    startTime = std::time(nullptr);
}

long GameClock::elapsed(long now) const {
    if (!running) return total;
    return total + now - startTick;
}

void GameClock::stop(long now) {
    if (running) {
        total += now - startTick;
        running = 0;
    }
    startTick = now;
}

void GameClock::resume(long now) {
    running = 1;
    startTick = now;
}

void MouseHistory::record(int button, int state, int x, int y, long tick) {
    previous = current;
    if (previous.state == kButtonDown)
        lastPress = previous;
    else
        lastRelease = previous;
    current.button = button;
    current.state = state;
    current.x = x;
    current.y = y;
    current.tick = tick;
}

int MouseHistory::isDoublePress() const {
    return current.state == kButtonDown && lastPress.state == kButtonDown &&
           current.button == lastPress.button && current.tick - lastPress.tick < 300;
}

int MouseHistory::isHeldPress(long now) const {
    return current.state == kButtonDown && now - current.tick < 150;
}

