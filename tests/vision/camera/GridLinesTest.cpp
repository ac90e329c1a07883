// The line accumulator on synthetic frames: the gathered-vote fast path
// gives exactly the cells and maxima of the plain passes.
#include "Geometry.h"
#include "Hough.h"
#include "SceneTest.h"

#include <cmath>

namespace {

// The plain passes and the gathered votes on the same frames, compared cell
// by cell.
TEST(FastPath, SameCellsAndMaximaAsThePlainPasses) {
    enterDataFolder();
    for (const auto& pose : {std::make_pair(5.0, 12.0), std::make_pair(-40.0, 30.0)}) {
        SyntheticCamera camera;
        ASSERT_EQ(camera.open(sceneAt(pose.first, pose.second, 13)), 1);
        const cv::Mat grey = bottomUpGrey(camera, nullptr);
        const int diagonal = (int)std::sqrt((double)grey.cols * grey.cols + grey.rows * grey.rows);
        cv::Mat dx, dy, magnitude, angle, distance;
        sobelDerivative(grey, 0, 1, 0, dx);
        sobelDerivative(grey, 0, 0, 1, dy);
        computeGradient(dx, dy, 0, magnitude, angle, 20, 1);
        computeDistance(angle, distance);
        HoughSpace plain, fast;
        plain.init(2 * diagonal, 360, 0);
        fast.init(2 * diagonal, 360, 0);
        VoteList votes;
        fast.collectVotes(angle, magnitude, distance, votes);
        ASSERT_GT(votes.cells.size(), 10000u);

        plain.vote(angle, magnitude, distance);
        fast.vote(votes);
        ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0);

        // Lines masked one by one, then everything: the plain masked vote
        // counts afresh what blockMasked only updates.
        cv::Mat mask(grey.size(), CV_8U, cv::Scalar(0));
        for (int k = 0; k <= 25; k++) {
            int a1, d1, a2, d2;
            ASSERT_EQ(plain.maximum(&a1, &d1), fast.maximum(votes, &a2, &d2)) << "line " << k;
            ASSERT_EQ(a1, a2) << "line " << k;
            ASSERT_EQ(d1, d2) << "line " << k;
            if (k < 24)
                MarkLineBand(angle, distance, mask, 255, a1, 60, d1, 400, 5);
            else
                mask.setTo(255);
            plain.maskedVote(angle, magnitude, distance, mask);
            fast.blockMasked(votes, mask);
            ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0) << "line " << k;
        }
    }
}

}  // namespace
