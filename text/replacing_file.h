// Writing a file so that nothing the user made is lost: the bytes go into a
// temporary file of their own beside it, created exclusively (so never a
// file that was there, whatever its name), and are renamed over the file
// only once complete. A failure or a crash leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    // An uncommitted temporary file is removed.
    ~ReplacingFile();

    // Creates the temporary file beside path; false with the reason
    // ("cannot create DIR/NAME.tavrin-1.part: Permission denied").
    bool Open(const std::string& path, std::string& error);
    std::FILE* File() const { return file_; }
    // Flushes, closes and renames over the path; false with the reason.
    // writeFailed says an earlier write already failed (errno kept).
    bool Commit(bool writeFailed, std::string& error);
    const std::string& TemporaryName() const { return temporary_; }

private:
    void Abandon();

    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};
