// Files of the study tests, in a scratch folder of the build.
#pragma once

#include "../TextHelpers.h"

#include <fstream>
#include <string>
#include <sys/stat.h>

inline std::string scratchPath(const std::string& name) {
    const std::string folder = std::string(TABRELO_BUILD) + "/study-test-files";
    mkdir(folder.c_str(), 0777);
    return folder + "/" + name;
}

inline std::string writeScratch(const std::string& name, const std::string& text) {
    const std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
