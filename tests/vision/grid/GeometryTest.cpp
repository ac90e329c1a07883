#include "Geometry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(AngleDifference, FoldsIntoHalfOpenTurn) {
    EXPECT_FLOAT_EQ(AngleDifference(350, 10), 20);
    EXPECT_FLOAT_EQ(AngleDifference(10, 350), -20);
    EXPECT_FLOAT_EQ(AngleDifference(0, 180), 180);
    // Values far beyond a float's resolution end instead of looping for ever.
    EXPECT_LT(AngleDifference(1e12f, 0), -1e11f);
}

TEST(Intersections, ParallelLinesHaveNone) {
    double x = 5, y = 5;
    EXPECT_EQ(intersectLines(30, 10, 30, 50, &x, &y), 0);
    EXPECT_EQ(x + y, -2);
    EXPECT_EQ(intersectLines(0, 100, 90, 50, &x, &y), 1);
    EXPECT_NEAR(x, 100, 1e-5);
    EXPECT_NEAR(y, 50, 1e-5);
    float fx = 3, fy = 3;
    EXPECT_EQ(intersectLines(ImageLine(45.7f, 20.9f, 0), ImageLine(45.2f, 80.0f, 1), &fx, &fy), 0);
    EXPECT_EQ(fx + fy, 0);  // both truncate to 45 degrees
}

TEST(PointLists, MedianSpacingOfTenPoints) {
    PointList owned(1);
    for (float x : {0, 10, 22, 30, 41, 50, 65, 70, 80, 92}) owned.append(new ImagePoint(x, 100, 0));
    owned.computeSpacing();
    // Gaps 10 12 8 11 9 15 5 10 12, sorted 5 8 9 10 10 11 12 12 15: the fifth is 10.
    EXPECT_FLOAT_EQ(owned.medianSpacing, 10);
    owned.clear();
    EXPECT_EQ(owned.count + owned.medianSpacing + owned.maxSpacing, 0);
}

TEST(LineSets, MixedOrientationsStillEndTheSort) {
    // Absolute against signed distances: each order of the pair is "greater".
    LineSet set(1);
    for (const auto& [a, d, o] : {std::make_tuple(90, 3, Horizontal), std::make_tuple(0, -5, Vertical),
                                  std::make_tuple(90, 1, Horizontal)}) {
        set.append(new ImageLine(a, d, 0));
        set.last()->item->orientation = o;
    }
    set.sortByDistance();
    int forward = 0, backward = 0;
    for (LineNode* n = set.first; n; n = n->next) forward++;
    for (LineNode* n = set.nodeAt(2); n; n = n->previous) backward++;
    EXPECT_EQ(forward, 3);
    EXPECT_EQ(backward, 3);
}

}  // namespace
