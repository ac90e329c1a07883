// tabrelo-vision: its CSV on a scene against the scene's truth, on real
// photos against their outlines, and its exit status.
#include "../TextHelpers.h"
#include "Csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The CSV rows (header first) and the exit status, run in the data folder.
std::vector<std::vector<std::string>> runTool(const std::string& arguments, int* status) {
    const std::string text = runCommand("cd '" TABRELO_DATA "' && '" TABRELO_BUILD "/tools/tabrelo-vision' " +
                                        arguments + " 2>/dev/null; echo \"status=$?\"");
    *status = std::stoi(text.substr(text.rfind("status=") + 7));
    return parseCsv(text.substr(0, text.rfind("status=")));
}

TEST(VisionTool, SceneRowsMatchTheTruthAndAMissingSourceFailsTheRun) {
    int status = -1;
    const auto rows = runTool("--frames 3 scenes/table.scene no-such-video.avi", &status);
    EXPECT_EQ(status, 2);
    ASSERT_EQ(rows.size(), 4u);
    const std::vector<std::string>& header = rows[0];
    auto column = [&](const std::string& name) {
        return (size_t)(std::find(header.begin(), header.end(), name) - header.begin());
    };
    ASSERT_LT(column("true_digits"), header.size());
    const size_t c0x = column("c0x"), true0x = column("true_c0x"), error = column("err_px");
    for (size_t r = 1; r < rows.size(); r++) {
        ASSERT_EQ(rows[r].size(), header.size());
        EXPECT_EQ(rows[r][1], std::to_string(r - 1));
        EXPECT_EQ(rows[r][2], r == 1 ? "found" : "tracked");
        EXPECT_EQ(rows[r][3], "10");
        EXPECT_EQ(rows[r][4], "10");
        double worst = 0;
        for (int k = 0; k < 8; k += 2) {
            const double dx = std::stod(rows[r][c0x + k]) - std::stod(rows[r][true0x + k]);
            const double dy = std::stod(rows[r][c0x + 1 + k]) - std::stod(rows[r][true0x + 1 + k]);
            worst = std::max(worst, std::hypot(dx, dy));
        }
        EXPECT_LT(worst, 1.0);
        EXPECT_NEAR(std::stod(rows[r][error]), worst, 0.02);
        // The printed puzzle as the shipped patterns read it.
        EXPECT_EQ(rows[r][column("true_digits")].size(), 81u);
        EXPECT_EQ(rows[r][column("digits")], rows[r][column("true_digits")]);
    }
}

// The photos stand beside the project's clone.
TEST(VisionTool, PhotosAgainstTheirOutlines) {
    const std::string folder = TABRELO_DATA "/../../shared/data/photos/";
    const std::string outlines = readFile(folder + "outlines.csv");
    if (outlines.empty()) GTEST_SKIP() << "no photos at " << folder;
    const std::vector<std::string> names = {"image169.jpg", "image1000.jpg", "image1086.jpg"};
    std::vector<std::vector<double>> truth(names.size());
    for (const auto& fields : parseCsv(outlines))
        for (size_t i = 0; i < names.size(); i++)
            if (fields.size() == 9 && fields[0] == names[i])
                for (int k = 1; k < 9; k++) truth[i].push_back(std::stod(fields[k]));
    std::string arguments;
    for (const std::string& n : names) arguments += " '" + folder + n + "'";
    int status = -1;
    const auto rows = runTool(arguments, &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(rows.size(), names.size() + 1);
    EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), "true_digits"), 0);  // pictures bring no truth
    // Outlines run top-left, top-right, bottom-right, bottom-left; the grid
    // model's (0,0), (9,0), (9,9), (0,9) are bottom-left, bottom-right,
    // top-right, top-left.
    const int outlineCorner[4] = {3, 2, 1, 0};
    for (size_t i = 0; i < names.size(); i++) {
        const auto& row = rows[i + 1];
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(truth[i].size(), 8u);
        ASSERT_EQ(row.size(), rows[0].size());
        ASSERT_EQ(row[2], "found");
        const double side = std::hypot(truth[i][2] - truth[i][0], truth[i][3] - truth[i][1]);
        for (int k = 0; k < 4; k++) {
            const int t = outlineCorner[k];
            const double d = std::hypot(std::stod(row[5 + 2 * k]) - truth[i][2 * t],
                                        std::stod(row[6 + 2 * k]) - truth[i][2 * t + 1]);
            EXPECT_LT(d, 0.05 * side) << "corner " << k;
        }
    }
}

}  // namespace
