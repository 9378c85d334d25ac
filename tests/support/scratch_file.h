// A file a test writes for the program under test to read, in the test's
// scratch folder, named for this process (ctest runs cases side by side).
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

// Writes text to NAME_PID.EXTENSION and returns the path.
inline std::string ScratchFile(const std::string& name, const std::string& extension, const std::string& text) {
    std::string path = ::testing::TempDir() + name + "_" + std::to_string(getpid()) + extension;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

inline std::string WriteLegFile(const std::string& name, const std::string& text) {
    return ScratchFile(name, ".toml", text);
}
