// Files for a test to read and write, in the process's scratch folder and
// named after the running test.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch_file.h"

inline std::string TestFileName(const std::string& name) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "_" + test->name() + "_" + name;
}

inline std::string TempPath(const std::string& name) {
    return ScratchPath(TestFileName(name));
}

inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    return ScratchFile(TestFileName(name), "", text);
}
