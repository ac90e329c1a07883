// The line accumulator on synthetic frames: the gathered-vote fast path
// gives exactly the cells and maxima of the plain passes.
#include "Geometry.h"
#include "Hough.h"
#include "SceneTest.h"

#include <cmath>
#include <vector>

namespace {

struct Images {
    cv::Mat dx, dy, magnitude, angle, distance;
    explicit Images(const cv::Mat& grey) {
        sobelDerivative(grey, 0, 1, 0, dx);
        sobelDerivative(grey, 0, 0, 1, dy);
        computeGradient(dx, dy, 0, magnitude, angle, 20, 1);
        computeDistance(angle, distance);
    }
};

int frameDiagonal(const cv::Mat& grey) {
    return (int)std::sqrt((double)grey.cols * grey.cols + grey.rows * grey.rows);
}

// The plain passes and the gathered votes on the same frames, compared cell
// by cell; the plain masked vote counts afresh what blockMasked only updates.
TEST(FastPath, SameCellsAndMaximaAsThePlainPasses) {
    enterDataFolder();
    for (const auto& pose : {std::make_pair(5.0, 12.0), std::make_pair(-40.0, 30.0)}) {
        SyntheticCamera camera;
        ASSERT_EQ(camera.open(sceneAt(pose.first, pose.second, 13)), 1);
        const cv::Mat grey = greyFrame(camera, 0, nullptr);
        const Images images(grey);
        HoughSpace plain, fast;
        plain.init(2 * frameDiagonal(grey), 360, 0);
        fast.init(2 * frameDiagonal(grey), 360, 0);
        VoteList votes;
        fast.collectVotes(images.angle, images.magnitude, images.distance, votes);
        ASSERT_GT(votes.cells.size(), 10000u);

        plain.vote(images.angle, images.magnitude, images.distance);
        fast.vote(votes);
        ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0);

        cv::Mat mask(grey.size(), CV_8U, cv::Scalar(0));
        for (int k = 0; k < 25; k++) {
            int a1, d1, a2, d2;
            const float v1 = plain.maximum(&a1, &d1);
            const float v2 = fast.maximum(votes, &a2, &d2);
            ASSERT_EQ(v1, v2) << "line " << k;
            ASSERT_EQ(a1, a2) << "line " << k;
            ASSERT_EQ(d1, d2) << "line " << k;
            MarkLineBand(images.angle, images.distance, mask, 255, a1, 60, d1, 400, 5);
            plain.maskedVote(images.angle, images.magnitude, images.distance, mask);
            fast.blockMasked(votes, mask);
            ASSERT_EQ(cv::norm(plain.accumulator, fast.accumulator, cv::NORM_INF), 0)
                << "line " << k;
        }
        // Everything blocked: both find the first zero cell.
        mask.setTo(255);
        plain.maskedVote(images.angle, images.magnitude, images.distance, mask);
        fast.blockMasked(votes, mask);
        int a1, d1, a2, d2;
        EXPECT_EQ(plain.maximum(&a1, &d1), fast.maximum(votes, &a2, &d2));
        EXPECT_EQ(a1, a2);
        EXPECT_EQ(d1, d2);
    }
}

}  // namespace
