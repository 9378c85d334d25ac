// Files for a test to read and write, in the process's scratch folder and
// named after the running test.
#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

inline std::string TempPath(const std::string& name) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return ScratchPath(std::string(test->test_suite_name()) + "_" + test->name() + "_" + name);
}

inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    std::string path = TempPath(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}
