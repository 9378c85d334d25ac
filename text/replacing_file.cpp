#include "text/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

// How many names are tried before giving up: each one taken is a file
// that was there before, never ours to replace.
const int kNamesTried = 1000;

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

void ReplacingFile::Abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
    temporary_.clear();
}

bool ReplacingFile::Open(const std::string& path, std::string& error) {
    Abandon();
    path_ = path;
    for (int n = 1; n <= kNamesTried; ++n) {
        const std::string name = path + ".tavrin-" + std::to_string(n) + ".part";
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            error = "cannot create " + name + ": " + std::strerror(errno);
            return false;
        }
        file_ = fdopen(fd, "wb");
        if (!file_) {
            error = "cannot create " + name + ": " + std::strerror(errno);
            close(fd);
            std::remove(name.c_str());
            return false;
        }
        temporary_ = name;
        return true;
    }
    error = "cannot create a temporary file beside it: " + std::to_string(kNamesTried) + " names are taken";
    return false;
}

bool ReplacingFile::Commit(bool writeFailed, std::string& error) {
    int code = writeFailed ? errno : 0;
    bool written = !writeFailed;
    if (std::fflush(file_) != 0 && written) {
        written = false;
        code = errno;
    }
    if (std::fclose(file_) != 0 && written) {
        written = false;
        code = errno;
    }
    file_ = nullptr;
    if (!written) {
        error = "writing " + temporary_ + ": " + std::strerror(code);
        Abandon();
        return false;
    }
    // filesystem's rename replaces an existing file on Windows as well,
    // where std::rename refuses to.
    std::error_code renamed;
    std::filesystem::rename(temporary_, path_, renamed);
    if (renamed) {
        error = "renaming " + temporary_ + ": " + renamed.message();
        Abandon();
        return false;
    }
    temporary_.clear();
    return true;
}
