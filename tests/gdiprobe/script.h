// The probe's script format, read the same way by gdiprobe (which draws with
// the system's GDI) and by replay (which draws with our raster functions):
// one command a line, a word and its arguments, '#' starting a comment.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace script {

inline void SkipBlanks(const char*& p) {
    while (*p == ' ' || *p == '\t') ++p;
}

// A number in C notation (decimal, 0x hex); 0 when there is none.
inline long Number(const char*& p) {
    SkipBlanks(p);
    char* end = nullptr;
    long v = std::strtol(p, &end, 0);
    p = end;
    return v;
}

// True, and p past it, when a number follows.
inline bool OptionalNumber(const char*& p, long* value) {
    const char* q = p;
    *value = Number(q);
    bool found = q != p;
    p = q;
    return found;
}

inline std::string Word(const char*& p) {
    SkipBlanks(p);
    std::string w;
    while (*p && *p != ' ' && *p != '\t') w += *p++;
    return w;
}

inline std::string Rest(const char*& p) {
    SkipBlanks(p);
    return std::string(p);
}

// Reads commands until the file ends: the command's word goes to command,
// its arguments stay in args for Number, Word and Rest. Blank lines and
// comments are skipped.
class Reader {
public:
    explicit Reader(FILE* in) : in_(in) {}
    bool Next(std::string& command, const char*& args) {
        while (std::fgets(line_, sizeof line_, in_)) {
            line_[std::strcspn(line_, "\r\n")] = 0;
            args = line_;
            command = Word(args);
            if (!command.empty() && command[0] != '#') return true;
        }
        return false;
    }

private:
    FILE* in_;
    char line_[1024];
};

}  // namespace script
