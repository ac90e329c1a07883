#include "Geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<int> ids(const LineSet& set) {
    std::vector<int> out;
    for (LineNode* n = set.first; n; n = n->next) out.push_back(n->item->id);
    return out;
}

TEST(AngleDifference, FoldsIntoHalfOpenTurn) {
    EXPECT_FLOAT_EQ(AngleDifference(350, 10), 20);
    EXPECT_FLOAT_EQ(AngleDifference(10, 350), -20);
    EXPECT_FLOAT_EQ(AngleDifference(0, 180), 180);
    EXPECT_FLOAT_EQ(AngleDifference(90, 90), 0);
    // Values far beyond a float's resolution end instead of looping for ever.
    EXPECT_LT(AngleDifference(1e12f, 0), -1e11f);
}

TEST(Intersections, ParallelLinesHaveNone) {
    double x = 5, y = 5;
    EXPECT_EQ(intersectLines(30, 10, 30, 50, &x, &y), 0);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(intersectLines(0, 100, 90, 50, &x, &y), 1);
    EXPECT_NEAR(x, 100, 1e-5);
    EXPECT_NEAR(y, 50, 1e-5);

    ImageLine a(45.7f, 20.9f, 0), b(45.2f, 80.0f, 1);
    float fx = 3, fy = 3;
    EXPECT_EQ(intersectLines(a, b, &fx, &fy), 0);  // both truncate to 45 degrees
    EXPECT_EQ(fx, 0);
    EXPECT_EQ(fy, 0);
}

TEST(Visibility, ChecksTheFourBorders) {
    EXPECT_EQ(isLineVisible(ImageLine(90, 100, 0), 640, 480), 1);
    EXPECT_EQ(isLineVisible(ImageLine(90, 478, 0), 640, 480), 1);
    // sin of 90 converted degrees is just below 1: the last row lies a hair outside.
    EXPECT_EQ(isLineVisible(ImageLine(90, 479, 0), 640, 480), 0);
    EXPECT_EQ(isLineVisible(ImageLine(0, 639, 0), 640, 480), 1);
    EXPECT_EQ(isLineVisible(ImageLine(0, 700, 0), 640, 480), 0);
    EXPECT_EQ(isLineVisible(ImageLine(45, -5, 0), 640, 480), 0);
    EXPECT_EQ(isLineVisible(ImageLine(45, 300, 0), 640, 480), 1);
}

class PointLists : public ::testing::Test {
protected:
    PointList owned{1};
    void add(float x, float y) { owned.append(new ImagePoint(x, y, owned.count)); }
    std::vector<int> order() const {
        std::vector<int> out;
        for (PointNode* n = owned.first; n; n = n->next) out.push_back(n->item->id);
        return out;
    }
};

TEST_F(PointLists, SpacingStatisticsOfTenPoints) {
    const float xs[10] = {0, 10, 22, 30, 41, 50, 65, 70, 80, 92};
    for (float x : xs) add(x, 100);
    owned.computeSpacing();
    // Gaps 10 12 8 11 9 15 5 10 12, sorted 5 8 9 10 10 11 12 12 15: the fifth is 10.
    EXPECT_FLOAT_EQ(owned.minSpacing, 5);
    EXPECT_FLOAT_EQ(owned.maxSpacing, 15);
    EXPECT_FLOAT_EQ(owned.meanSpacing, 92.0f / 9);
    EXPECT_FLOAT_EQ(owned.medianSpacing, 10);
    const float mean = 92.0f / 9;
    const float squares = 100 + 144 + 64 + 121 + 81 + 225 + 25 + 100 + 144;
    EXPECT_NEAR(owned.spacingDeviation, std::sqrt(squares / 9 - mean * mean), 1e-4);
    owned.clear();
    EXPECT_EQ(owned.count, 0);
    EXPECT_EQ(owned.medianSpacing, 0);
}

class LineSets : public ::testing::Test {
protected:
    LineSet set{1};
    ImageLine* add(float angle, float distance, int orientation = 0) {
        ImageLine* line = new ImageLine(angle, distance, 0);
        line->orientation = orientation;
        set.append(line);
        return line;
    }
};

TEST_F(LineSets, MixedOrientationsStillEndTheSort) {
    // Absolute against signed distances: each order of the pair is "greater".
    add(90, 3, Horizontal);
    add(0, -5, Vertical);
    add(90, 1, Horizontal);
    set.sortByDistance();
    int forward = 0;
    LineNode* last = nullptr;
    for (LineNode* n = set.first; n; n = n->next, forward++) last = n;
    int backward = 0;
    for (LineNode* n = last; n; n = n->previous) backward++;
    EXPECT_EQ(forward, 3);
    EXPECT_EQ(backward, 3);
}

TEST_F(LineSets, NeighbourSwapSortMatchesStableSort) {
    std::mt19937 random(7);
    struct Key {
        float angle, distance;
        int id;
    };
    std::vector<Key> keys;
    for (int i = 0; i < 40; i++) {
        Key k{(float)(random() % 5 * 45), (float)((int)(random() % 7) - 3), i};
        keys.push_back(k);
        add(k.angle, k.distance);
    }
    LineSet byDistance(1);
    for (const Key& k : keys) byDistance.append(new ImageLine(k.angle, k.distance, 0));

    set.sortByAngle();
    std::vector<Key> expected = keys;
    std::stable_sort(expected.begin(), expected.end(), [](const Key& a, const Key& b) {
        return a.angle != b.angle ? a.angle < b.angle : a.distance < b.distance;
    });
    std::vector<int> expectedIds;
    for (const Key& k : expected) expectedIds.push_back(k.id);
    EXPECT_EQ(ids(set), expectedIds);

    byDistance.sortByDistance();
    expected = keys;
    std::stable_sort(expected.begin(), expected.end(), [](const Key& a, const Key& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.angle < b.angle;
    });
    expectedIds.clear();
    for (const Key& k : expected) expectedIds.push_back(k.id);
    EXPECT_EQ(ids(byDistance), expectedIds);
}

TEST_F(LineSets, ClassifySquareOnGrid) {
    for (float a : {0.0f, 2.0f, 178.0f, 88.0f, 90.0f, 91.0f, 93.0f, 1.0f}) add(a, 0);
    set.classifyOrientation();
    EXPECT_EQ(set.lowerBound, 40);
    EXPECT_EQ(set.upperBound, 130);
    std::vector<int> o;
    for (LineNode* n = set.first; n; n = n->next) o.push_back(n->item->orientation);
    EXPECT_EQ(o, (std::vector<int>{2, 2, 2, 1, 1, 1, 1, 2}));
    set.clear();
    EXPECT_EQ(set.lowerBound, -1);
    EXPECT_EQ(set.count, 0);
}

}  // namespace
