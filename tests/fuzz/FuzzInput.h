// What every fuzz target shares: a failed check stops the run as a finding,
// and readers that take a path get the input as a file of their own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Scratch files are per process (several fuzzers may run side by side), in
// TMPDIR when it is set.
inline const std::string& scratchPath() {
    static const char* folder = std::getenv("TMPDIR");
    static const std::string path = std::string(folder && *folder ? folder : "/tmp") +
                                    "/tabrelo-fuzz-" + std::to_string(getpid());
    return path;
}

// The input as a file, rewritten for every input.
inline const char* inputFile(const uint8_t* data, size_t size) {
    const std::string& path = scratchPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    check(f != nullptr, "scratch file opens");
    check(std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0, "scratch file written");
    return path.c_str();
}
