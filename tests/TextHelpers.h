// Reading back what the code under test wrote: files, printouts and what a
// command prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// A file in the build's scratch folder for the tests, and one written there.
inline std::string scratchPath(const std::string& name) {
    mkdir(TABRELO_BUILD "/test-files", 0777);
    return TABRELO_BUILD "/test-files/" + name;
}

inline std::string writeScratch(const std::string& name, const std::string& text) {
    const std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

inline std::string runCommand(const std::string& command) {
    std::string text;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) text += buffer;
        pclose(p);
    }
    return text;
}

// What print(FILE*) writes.
template <class Print>
std::string printed(Print print) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    print(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}
