// A folder of this test process's own for the files its cases write,
// removed with all it holds when the process ends: a run leaves nothing
// behind, and processes that ctest runs side by side never share a name.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

class ScratchFolder {
public:
    // The folder's path, ending in a separator.
    static const std::string& Path() {
        static ScratchFolder folder;
        return folder.path_;
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    // Making the folder is what claims its name, so a name another process
    // took first is passed over.
    ScratchFolder() {
        const std::filesystem::path base = ::testing::TempDir();
        const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (unsigned n = 0; n < 1000; ++n) {
            std::filesystem::path candidate = base / ("tavrin-test-" + std::to_string(seed + n));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                folder_ = candidate;
                path_ = (candidate / "").string();
                return;
            }
            if (error) break;
        }
        path_ = ::testing::TempDir();  // files then go where they went before
    }

    ~ScratchFolder() {
        std::error_code error;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
    }

    std::filesystem::path folder_;
    std::string path_;
};

inline std::string ScratchPath(const std::string& name) {
    return ScratchFolder::Path() + name;
}
