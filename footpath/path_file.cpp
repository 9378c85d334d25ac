#include "footpath/path_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "text/input_file.h"
#include "text/number_text.h"
#include "text/quote.h"
#include "text/replacing_file.h"

namespace {

// The characters from begin to end, as a message quotes them.
std::string_view Span(const char* begin, const char* end) {
    return std::string_view(begin, static_cast<size_t>(end - begin));
}

// The double result can land a double rounding beyond the nearer end; held
// between the ends it also stays within the float range.
float Along(float a, float b, double f) {
    double from = a;
    double to = b;
    double point = from + (to - from) * f;
    return static_cast<float>(std::clamp(point, std::min(from, to), std::max(from, to)));
}

}  // namespace

PathRow PointBetween(const PathRow& a, const PathRow& b, double t) {
    if (t >= b.tMs || b.tMs <= a.tMs) {
        PathRow end = b;
        end.tMs = t;
        return end;
    }
    if (t <= a.tMs) {
        PathRow start = a;
        start.tMs = t;
        return start;
    }
    double f = (t - a.tMs) / (b.tMs - a.tMs);
    PathRow point;
    point.tMs = t;
    point.x = Along(a.x, b.x, f);
    point.y = Along(a.y, b.y, f);
    point.z = Along(a.z, b.z, f);
    return point;
}

namespace {

const size_t kBufferBytes = 1 << 16;
const char* const kColumns[] = {"t_ms", "x", "y", "z"};
const int kColumnCount = 4;

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

void Trim(const char*& begin, const char*& end) {
    while (begin != end && IsSpace(*begin)) ++begin;
    while (end != begin && IsSpace(end[-1])) --end;
}

bool IsSkipped(const char* begin, const char* end) {
    Trim(begin, end);
    return begin == end || *begin == '#';
}

// Splits off the first kColumnCount cells, trimmed; false when the line has
// fewer. Whatever follows the fourth comma is left alone.
bool SplitCells(const char* begin, const char* end, const char* cells[][2], int& count) {
    count = 0;
    const char* cell = begin;
    while (count < kColumnCount) {
        const char* comma = static_cast<const char*>(std::memchr(cell, ',', static_cast<size_t>(end - cell)));
        const char* cellEnd = comma ? comma : end;
        cells[count][0] = cell;
        cells[count][1] = cellEnd;
        Trim(cells[count][0], cells[count][1]);
        ++count;
        if (!comma) break;
        cell = comma + 1;
    }
    return count == kColumnCount;
}


}  // namespace

PathReader::~PathReader() {
    if (file) std::fclose(file);
}

bool PathReader::Fail(std::string& error, const std::string& what) const {
    error = name + ":" + std::to_string(lineNumber) + ": " + what;
    return false;
}

PathReader::Line PathReader::NextLine(const char*& begin, const char*& end) {
    for (;;) {
        char* start = buffer.data() + used;
        char* newline = static_cast<char*>(std::memchr(start, '\n', filled - used));
        if (newline || (atEnd && used < filled)) {
            ++lineNumber;
            begin = start;
            end = newline ? newline : buffer.data() + filled;
            used = static_cast<size_t>(end - buffer.data()) + (newline ? 1 : 0);
            if (end != begin && end[-1] == '\r') --end;
            return static_cast<size_t>(end - begin) > kMaxPathLineChars ? Line::TooLong : Line::Text;
        }
        if (atEnd) return Line::End;
        // No line ending yet: one more byte than a line and its '\r' may
        // hold is already too long, whatever follows.
        if (filled - used > kMaxPathLineChars + 1) {
            ++lineNumber;
            return Line::TooLong;
        }
        std::memmove(buffer.data(), start, filled - used);
        filled -= used;
        used = 0;
        size_t got = std::fread(buffer.data() + filled, 1, buffer.size() - filled, file);
        filled += got;
        if (got == 0) {
            if (std::ferror(file)) return Line::ReadFailed;
            atEnd = true;
        }
    }
}

bool PathReader::Open(const std::string& path, std::string& error) {
    name = path;
    // A path is read more than once: only a file that stays will do.
    if (RefuseSpecialFile(path, "path file", error)) return false;
    file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot open the path file: " + std::strerror(errno);
        return false;
    }
    buffer.resize(kBufferBytes);
    const char* begin;
    const char* end;
    for (;;) {
        switch (NextLine(begin, end)) {
        case Line::Text: break;
        case Line::End: error = path + ": no header line t_ms,x,y,z"; return false;
        case Line::TooLong: return Fail(error, "the line is longer than " + std::to_string(kMaxPathLineChars) + " characters");
        case Line::ReadFailed: error = path + ": cannot read the path file: " + std::strerror(errno); return false;
        }
        // A spreadsheet may open the file with a UTF-8 byte order mark.
        if (lineNumber == 1 && end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
        if (!IsSkipped(begin, end)) break;
    }
    const char* cells[kColumnCount][2];
    int count = 0;
    bool complete = SplitCells(begin, end, cells, count);
    for (int i = 0; complete && i < kColumnCount; ++i) {
        complete = static_cast<size_t>(cells[i][1] - cells[i][0]) == std::strlen(kColumns[i]) &&
                   std::memcmp(cells[i][0], kColumns[i], std::strlen(kColumns[i])) == 0;
    }
    if (!complete) return Fail(error, "the header must begin t_ms,x,y,z, not " + Quote(Span(begin, end)));
    return true;
}

PathReader::Step PathReader::Next(PathRow& row, std::string& error) {
    const char* begin;
    const char* end;
    do {
        switch (NextLine(begin, end)) {
        case Line::Text: break;
        case Line::End: return Step::End;
        case Line::TooLong:
            Fail(error, "the line is longer than " + std::to_string(kMaxPathLineChars) + " characters");
            return Step::Error;
        case Line::ReadFailed:
            error = name + ": cannot read the path file: " + std::strerror(errno);
            return Step::Error;
        }
    } while (IsSkipped(begin, end));

    const char* cells[kColumnCount][2];
    int count = 0;
    if (!SplitCells(begin, end, cells, count)) {
        Fail(error, std::to_string(count) + (count == 1 ? " column" : " columns") + ", a row needs 4: t_ms,x,y,z");
        return Step::Error;
    }
    PathRow read;
    float* coordinates[] = {&read.x, &read.y, &read.z};
    for (int i = 0; i < kColumnCount; ++i) {
        NumberText result = i == 0 ? ReadDoubleText(cells[i][0], cells[i][1], read.tMs)
                                   : ReadFloatText(cells[i][0], cells[i][1], *coordinates[i - 1]);
        const char* problem = nullptr;
        switch (result) {
        case NumberText::Number: break;
        case NumberText::NotANumber: problem = " is not a number: "; break;
        case NumberText::NotFinite: problem = " is not a finite number: "; break;
        case NumberText::OutOfRange: problem = " is beyond the float range: "; break;
        }
        if (problem) {
            Fail(error, kColumns[i] + std::string(problem) + Quote(Span(cells[i][0], cells[i][1])));
            return Step::Error;
        }
    }
    if (read.tMs < 0) {
        Fail(error, "t_ms is negative: " + Quote(Span(cells[0][0], cells[0][1])));
        return Step::Error;
    }
    if (read.tMs > kMaxPathMs) {
        Fail(error, "t_ms is beyond 2^53: " + Quote(Span(cells[0][0], cells[0][1])));
        return Step::Error;
    }
    if (haveRow && read.tMs < lastTime) {
        Fail(error, "the time goes back: " + DoubleText(read.tMs) + " after " + DoubleText(lastTime));
        return Step::Error;
    }
    haveRow = true;
    lastTime = read.tMs;
    row = read;
    return Step::Row;
}

bool ReadPathFile(const std::string& path, std::vector<PathRow>& rows, std::string& error, size_t mostRows) {
    PathReader reader;
    if (!reader.Open(path, error)) return false;
    std::vector<PathRow> read;
    PathRow row;
    for (;;) {
        switch (reader.Next(row, error)) {
        case PathReader::Step::Row:
            if (read.size() == mostRows) {
                error = path + ": more than " + std::to_string(mostRows) + " rows";
                return false;
            }
            read.push_back(row);
            break;
        case PathReader::Step::Error: return false;
        case PathReader::Step::End:
            if (read.empty()) {
                error = path + ": no rows after the header t_ms,x,y,z";
                return false;
            }
            rows = std::move(read);
            return true;
        }
    }
}

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
    ReplacingFile out;
    std::string why;
    if (!out.Open(path, why)) {
        error = path + ": cannot write the path file: " + why;
        return false;
    }
    bool written = std::fputs("t_ms,x,y,z\n", out.File()) >= 0;
    char line[128];
    for (size_t i = 0; written && i < rows.size(); ++i) {
        size_t length = static_cast<size_t>(WritePathRowText(line, rows[i]) - line);
        written = std::fwrite(line, 1, length, out.File()) == length;
    }
    if (!out.Commit(!written, why)) {
        error = path + ": cannot write the path file: " + why;
        return false;
    }
    return true;
}

std::string DefaultPathFileName(const std::tm& local) {
    char name[128];
    std::snprintf(name, sizeof name, "tavrin-path-%04d%02d%02d-%02d%02d%02d.csv", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}

std::string UnusedPathFileName(const std::tm& local) {
    const std::string name = DefaultPathFileName(local);
    std::error_code ignored;
    if (!std::filesystem::exists(name, ignored)) return name;
    const std::string stem = name.substr(0, name.size() - 4);
    for (int n = 2;; ++n) {
        const std::string numbered = stem + "-" + std::to_string(n) + ".csv";
        if (!std::filesystem::exists(numbered, ignored)) return numbered;
    }
}
