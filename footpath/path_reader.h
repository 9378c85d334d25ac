// Reads a path file one row at a time, so that a path of any length takes
// the same memory: the header line t_ms,x,y,z (more columns after z are
// ignored, so an exported file reads back), then one row a line. Lines that
// start with '#' and blank lines are skipped. Every refusal is one line
// naming the file and the line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "footpath/path_row.h"

// The longest line taken, without its line ending.
constexpr size_t kMaxPathLineChars = 4096;
// The latest time taken, 2^53 ms (285,000 years): up to there a double
// holds every whole millisecond, and a sample time plus a step of 1 ms or
// more is always a later time.
constexpr double kMaxPathMs = 9007199254740992.0;

class PathReader {
public:
    enum class Step { Row, End, Error };

    PathReader() = default;
    PathReader(const PathReader&) = delete;
    PathReader& operator=(const PathReader&) = delete;
    ~PathReader();

    // Opens the file and reads up to its header; false with error set.
    bool Open(const std::string& path, std::string& error);
    // The next row, End after the last, or Error with error set
    // ("paths/x.csv:7: the time goes back: 90 after 120"). The times are
    // checked to be finite, from 0 to kMaxPathMs and non-decreasing.
    Step Next(PathRow& row, std::string& error);

    // The line of the row Next gave last.
    int64_t LineNumber() const { return lineNumber; }

private:
    enum class Line { Text, End, TooLong, ReadFailed };
    Line NextLine(const char*& begin, const char*& end);
    bool Fail(std::string& error, const std::string& what) const;

    std::FILE* file = nullptr;
    std::string name;
    std::vector<char> buffer;
    size_t used = 0;      // bytes already handed out as lines
    size_t filled = 0;    // bytes read into the buffer
    bool atEnd = false;
    int64_t lineNumber = 0;
    bool haveRow = false;
    double lastTime = 0;
};

// Reads the whole file, for a path played back in the window.
bool ReadPathFile(const std::string& path, std::vector<PathRow>& rows, std::string& error);
