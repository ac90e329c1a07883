// The game clock, split time, the mouse history and the mouse mode.
#include "GameWindow.h"
#include "StatusDisplay.h"
#include "WindowState.h"

#include <gtest/gtest.h>

namespace {

TEST(GameClock, StartStopContinueAndElapsed) {
    GameClock clock;
    clock.start(1000);
    EXPECT_EQ(clock.running, 1);
    EXPECT_EQ(clock.elapsed(1000), 0);
    EXPECT_EQ(clock.elapsed(3500), 2500);
    clock.stop(4000);
    EXPECT_EQ(clock.running, 0);
    EXPECT_EQ(clock.elapsed(9000), 3000);  // a stopped clock stands still
    clock.resume(10000);
    EXPECT_EQ(clock.elapsed(11000), 4000);  // "q" then "c" keeps the time before "q"
    clock.stop(12000);
    clock.stop(20000);  // stopping twice adds nothing
    EXPECT_EQ(clock.elapsed(30000), 5000);
    clock.start(40000);
    EXPECT_EQ(clock.elapsed(40000), 0);
}

TEST(GameClock, ContinueTwiceLosesTheLapSinceTheFirst) {
    GameClock clock;
    clock.start(0);
    clock.resume(5000);  // the 5 s since the start are lost
    EXPECT_EQ(clock.elapsed(6000), 1000);
    clock.resume(9000);  // and the 4 s of this lap too
    EXPECT_EQ(clock.elapsed(10000), 1000);
}

TEST(SplitTime, HoursMinutesSecondsAndClockText) {
    int h, m, s;
    splitTime((3 * 3600 + 2 * 60 + 5) * 1000L + 999, h, m, s);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(s, 5);
    splitTime(-1, h, m, s);
    EXPECT_EQ(h + m + s, 0);
    splitTime(59999, h, m, s);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(s, 59);
    char text[80];
    clockText((3 * 3600 + 2 * 60 + 5) * 1000L, text, sizeof text);
    EXPECT_STREQ(text, " 3: 2: 5");
    clockText(100L * 3600 * 1000, text, sizeof text);
    EXPECT_STREQ(text, "100: 0: 0");
    clockText(0, text, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST(MouseHistory, DoubleAndHeldPresses) {
    MouseHistory mouse;
    mouse.record(kLeftButton, kButtonDown, 5, 5, 1000);
    EXPECT_FALSE(mouse.isDoublePress());
    EXPECT_TRUE(mouse.isHeldPress(1149));
    EXPECT_FALSE(mouse.isHeldPress(1150));
    mouse.record(kLeftButton, kButtonUp, 5, 5, 1050);
    EXPECT_FALSE(mouse.isHeldPress(1060));  // a release is no press
    mouse.record(kLeftButton, kButtonDown, 5, 5, 1299);
    EXPECT_TRUE(mouse.isDoublePress());
    EXPECT_EQ(mouse.lastPress.tick, 1000);
    EXPECT_EQ(mouse.lastRelease.tick, 1050);
    mouse.record(kLeftButton, kButtonUp, 5, 5, 1400);
    mouse.record(kLeftButton, kButtonDown, 5, 5, 1599);  // 300 ms after the last press
    EXPECT_FALSE(mouse.isDoublePress());
    mouse.record(kLeftButton, kButtonUp, 5, 5, 1600);
    mouse.record(kRightButton, kButtonDown, 5, 5, 1650);  // another button
    EXPECT_FALSE(mouse.isDoublePress());
}

TEST(MouseMode, OnlyWithThe3DView) {
    SessionSettings session;
    GameWindow window(session);
    EXPECT_EQ(window.setMouseMode(kTurningMode), 1);
    EXPECT_EQ(window.mouseMode, kTurningMode);
    window.setMouseMode(kPlayMode);
    session.show_3D = 0;
    EXPECT_EQ(window.setMouseMode(kTurningMode), 0);
    EXPECT_EQ(window.mouseMode, kPlayMode);
}

}  // namespace
