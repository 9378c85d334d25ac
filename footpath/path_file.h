// The path file: its rows (a foot target and the time it is due), reading
// them one at a time and writing them, and the default name of a recording.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "kinematics/d3dx_vector3.h"

// One row of a path file: a foot target and the time it is due, and the
// straight line the target follows from one row to the next.
// t_ms is a double: a hand-written path may say 12.5, and a double holds
// every whole millisecond a recording can reach exactly. x, y and z are the
// floats the solver takes.
struct PathRow {
    double tMs = 0;
    float x = 0;
    float y = 0;
    float z = 0;

    D3DXVECTOR3 Target() const { return D3DXVECTOR3(x, y, z); }
};

// The target at time t on the straight line from a to b, for a.tMs <= t <=
// b.tMs: each coordinate is a + (b - a) * f with f = (t - a.tMs) / (b.tMs -
// a.tMs), worked in double and rounded once to float, so both ends give the
// rows' own floats and the sampler and the player agree to the bit. When b
// is due no later than a, or t has reached it, the target is b's.
PathRow PointBetween(const PathRow& a, const PathRow& b, double t);

// Reads a path file one row at a time, so that a path of any length takes
// the same memory: the header line t_ms,x,y,z (more columns after z are
// ignored, so an exported file reads back), then one row a line. Lines that
// start with '#' and blank lines are skipped. Every refusal is one line
// naming the file and the line.
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

// Reads the whole file, for a path played back in the window. A file of
// more than mostRows rows is refused once that many are read, so that a
// huge file is never held in memory.
bool ReadPathFile(const std::string& path, std::vector<PathRow>& rows, std::string& error,
                  size_t mostRows = SIZE_MAX);

// Writes a path file: the header t_ms,x,y,z and one row a line, every
// number in the shortest text that reads back to the same value, so that a
// path read back is the one written, bit for bit.
// The row as a line with its '\n', at out, which has room for 128 chars;
// returns the end.
char* WritePathRowText(char* out, const PathRow& row);

// Writes rows to path through a temporary file in the same directory that
// is renamed over path only once it is complete, so that a failure or a
// crash never leaves half a file, nor spoils one that was there. False with
// a one-line error ("rec.csv: cannot write the path file: No space left on
// device"); the caller's rows are untouched either way.
bool WritePathFile(const std::string& path, const std::vector<PathRow>& rows, std::string& error);

// tavrin-path-YYYYMMDD-HHMMSS.csv for the local time given.
std::string DefaultPathFileName(const std::tm& local);
// The same name, or where a file has it already the first of
// tavrin-path-YYYYMMDD-HHMMSS-2.csv, -3, ... that none has: two recordings
// in one second never share a file.
std::string UnusedPathFileName(const std::tm& local);
