// A file a test writes for the program under test to read, in the
// process's scratch folder.
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
