#include "footpath/path_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "footpath/path_text.h"

char* WritePathRowText(char* out, const PathRow& row) {
    out = WriteDoubleText(out, row.tMs);
    *out++ = ',';
    out = WriteFloatText(out, row.x);
    *out++ = ',';
    out = WriteFloatText(out, row.y);
    *out++ = ',';
    out = WriteFloatText(out, row.z);
    *out++ = '\n';
    return out;
}

bool WritePathFile(const std::string& path, const std::vector<PathRow>& rows, std::string& error) {
    const std::string temporary = path + ".part";
    auto fail = [&](const std::string& what, int code) {
        error = path + ": cannot write the path file: " + what + (code ? std::string(": ") + std::strerror(code) : "");
        return false;
    };
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return fail("cannot create " + temporary, errno);
    bool written = std::fputs("t_ms,x,y,z\n", file) >= 0;
    char line[128];
    for (size_t i = 0; written && i < rows.size(); ++i) {
        size_t length = static_cast<size_t>(WritePathRowText(line, rows[i]) - line);
        written = std::fwrite(line, 1, length, file) == length;
    }
    int code = written ? 0 : errno;
    if (std::fflush(file) != 0 && written) {
        written = false;
        code = errno;
    }
    if (std::fclose(file) != 0 && written) {
        written = false;
        code = errno;
    }
    std::error_code ignored;
    if (!written) {
        std::filesystem::remove(temporary, ignored);
        return fail("writing " + temporary, code);
    }
    // filesystem's rename replaces an existing file on Windows as well,
    // where std::rename refuses to.
    std::error_code renamed;
    std::filesystem::rename(temporary, path, renamed);
    if (renamed) {
        std::filesystem::remove(temporary, ignored);
        error = path + ": cannot write the path file: renaming " + temporary + ": " + renamed.message();
        return false;
    }
    return true;
}
