#include "footpath/path_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "footpath/path_text.h"

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

std::string TimeText(double t) {
    char text[32];
    return std::string(text, WriteDoubleText(text, t));
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
    // A FIFO with no writer would block the open for ever, a device would
    // never end, and a path is read more than once. (A folder opens and then
    // fails to read, which says so.)
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        error = path + ": cannot read the path file: not a regular file";
        return false;
    }
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
    if (!complete) return Fail(error, "the header must begin t_ms,x,y,z, not " + QuoteCell(begin, end));
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
            Fail(error, kColumns[i] + std::string(problem) + QuoteCell(cells[i][0], cells[i][1]));
            return Step::Error;
        }
    }
    if (read.tMs < 0) {
        Fail(error, "t_ms is negative: " + QuoteCell(cells[0][0], cells[0][1]));
        return Step::Error;
    }
    if (read.tMs > kMaxPathMs) {
        Fail(error, "t_ms is beyond 2^53: " + QuoteCell(cells[0][0], cells[0][1]));
        return Step::Error;
    }
    if (haveRow && read.tMs < lastTime) {
        Fail(error, "the time goes back: " + TimeText(read.tMs) + " after " + TimeText(lastTime));
        return Step::Error;
    }
    haveRow = true;
    lastTime = read.tMs;
    row = read;
    return Step::Row;
}

bool ReadPathFile(const std::string& path, std::vector<PathRow>& rows, std::string& error) {
    PathReader reader;
    if (!reader.Open(path, error)) return false;
    std::vector<PathRow> read;
    PathRow row;
    for (;;) {
        switch (reader.Next(row, error)) {
        case PathReader::Step::Row: read.push_back(row); break;
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
