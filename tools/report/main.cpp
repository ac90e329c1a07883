// tabrelo-report Tests/<test>: the series' logs, agendas and event logs
// turned into Tests/<test>/report/index.html and games.csv.
#include "ReportPage.h"
#include "StudyData.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

static bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    std::printf("cannot write %s\n", path.c_str());
    return false;
}

int main(int argc, char** argv) {
    struct stat info;
    if (argc != 2 || stat(argv[1], &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::printf("usage: tabrelo-report Tests/<test> (a test folder)\n");
        return 2;
    }
    const StudyData data = readStudy(argv[1]);
    const std::string folder = std::string(argv[1]) + "/report";
    mkdir(folder.c_str(), 0755);
    if (!writeFile(folder + "/games.csv", gamesCsv(data)) ||
        !writeFile(folder + "/index.html", reportPage(data)))
        return 1;
    std::printf("%s/index.html: %zu participants, %zu games\n", folder.c_str(), data.participants.size(),
                data.games.size());
    return 0;
}
