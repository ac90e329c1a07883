// tabrelo-vision: its CSV on a scene against the scene's truth, on real
// photos against their outlines, and its exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.push_back("");
    return fields;
}

// The CSV rows (header first) and the exit status, run in the data folder.
std::vector<std::vector<std::string>> runTool(const std::string& arguments, int* status) {
    const std::string command = "cd '" TABRELO_DATA "' && '" TABRELO_BUILD
                                "/tools/tabrelo-vision' " + arguments + " 2>/dev/null";
    std::vector<std::vector<std::string>> rows;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return rows;
    std::string line;
    for (int ch; (ch = std::fgetc(p)) != EOF;) {
        if (ch != '\n') {
            line += (char)ch;
            continue;
        }
        rows.push_back(split(line));
        line.clear();
    }
    const int s = pclose(p);
    *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return rows;
}

TEST(VisionTool, SceneRowsMatchTheTruthAndAMissingSourceFailsTheRun) {
    int status = -1;
    const auto rows = runTool("--frames 3 scenes/table.scene no-such-video.avi", &status);
    EXPECT_EQ(status, 2);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(rows[0].size(), 23u);
    EXPECT_EQ(rows[0][0], "source");
    EXPECT_EQ(rows[0][22], "err_px");
    for (size_t r = 1; r < rows.size(); r++) {
        ASSERT_EQ(rows[r].size(), 23u);
        EXPECT_EQ(rows[r][1], std::to_string(r - 1));
        EXPECT_EQ(rows[r][2], r == 1 ? "found" : "tracked");
        EXPECT_EQ(rows[r][3], "10");
        EXPECT_EQ(rows[r][4], "10");
        double worst = 0;
        for (int k = 0; k < 8; k += 2) {
            const double dx = std::stod(rows[r][5 + k]) - std::stod(rows[r][14 + k]);
            const double dy = std::stod(rows[r][6 + k]) - std::stod(rows[r][15 + k]);
            worst = std::max(worst, std::hypot(dx, dy));
        }
        EXPECT_LT(worst, 1.0);
        EXPECT_NEAR(std::stod(rows[r][22]), worst, 0.02);
    }
}

// The photos stand beside the project's clone.
TEST(VisionTool, PhotosAgainstTheirOutlines) {
    const std::string folder = TABRELO_DATA "/../../shared/data/photos/";
    std::ifstream outlines(folder + "outlines.csv");
    if (!outlines) GTEST_SKIP() << "no photos at " << folder;
    const std::vector<std::string> names = {"image169.jpg", "image1000.jpg", "image1086.jpg"};
    std::vector<std::vector<double>> truth(names.size());
    for (std::string line; std::getline(outlines, line);) {
        const auto fields = split(line);
        for (size_t i = 0; i < names.size(); i++)
            if (fields.size() == 9 && fields[0] == names[i])
                for (int k = 1; k < 9; k++) truth[i].push_back(std::stod(fields[k]));
    }
    std::string arguments;
    for (const std::string& n : names) arguments += " '" + folder + n + "'";
    int status = -1;
    const auto rows = runTool(arguments, &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(rows.size(), names.size() + 1);
    EXPECT_EQ(rows[0].size(), 14u);
    // Outlines run top-left, top-right, bottom-right, bottom-left; the grid
    // model's (0,0), (9,0), (9,9), (0,9) are bottom-left, bottom-right,
    // top-right, top-left.
    const int outlineCorner[4] = {3, 2, 1, 0};
    for (size_t i = 0; i < names.size(); i++) {
        const auto& row = rows[i + 1];
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(truth[i].size(), 8u);
        ASSERT_EQ(row.size(), 14u);
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
