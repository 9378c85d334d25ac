// Files a test writes for the program under test to read, in the process's
// scratch folder, and whole files read back.
#pragma once

#include <cstdio>
#include <string>

#include "tests/support/scratch_folder.h"

// Writes text to NAME.EXTENSION and returns the path.
inline std::string ScratchFile(const std::string& name, const std::string& extension, const std::string& text) {
    std::string path = ScratchPath(name + extension);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

inline std::string WriteLegFile(const std::string& name, const std::string& text) {
    return ScratchFile(name, ".toml", text);
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}
