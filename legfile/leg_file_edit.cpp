#include "legfile/leg_file_edit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "legfile/leg_file.h"
#include "text/replacing_file.h"

namespace {

struct Line {
    size_t begin;    // first character
    size_t end;      // the line ending's first character
    size_t next;     // the next line's first character
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t newline = text.find('\n', at);
        size_t next = newline == std::string::npos ? text.size() : newline + 1;
        size_t end = newline == std::string::npos ? text.size() : newline;
        if (end > at && text[end - 1] == '\r') --end;
        lines.push_back({at, end, next});
        at = next;
    }
    return lines;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

size_t SkipSpaces(const std::string& text, size_t at, size_t end) {
    while (at < end && IsSpace(text[at])) ++at;
    return at;
}

// The table a header line opens ("[ servo . hip ]" is "servo.hip"), or
// false for a line that is no header.
bool TableOf(const std::string& text, const Line& line, std::string& table) {
    size_t at = SkipSpaces(text, line.begin, line.end);
    if (at == line.end || text[at] != '[') return false;
    size_t close = text.find(']', at);
    if (close == std::string::npos || close > line.end) return false;
    table.clear();
    for (size_t i = at + 1; i < close; ++i) {
        if (!IsSpace(text[i]) && text[i] != '[') table += text[i];
    }
    return true;
}

// The bare key a line gives a value, and where its value starts; false for
// a line that gives none.
bool KeyOf(const std::string& text, const Line& line, std::string& key, size_t& valueAt) {
    size_t at = SkipSpaces(text, line.begin, line.end);
    if (at == line.end || text[at] == '#' || text[at] == '[') return false;
    size_t equals = text.find('=', at);
    if (equals == std::string::npos || equals > line.end) return false;
    size_t keyEnd = equals;
    while (keyEnd > at && IsSpace(text[keyEnd - 1])) --keyEnd;
    key = text.substr(at, keyEnd - at);
    valueAt = SkipSpaces(text, equals + 1, line.end);
    return true;
}

// Where the value that starts at `at` ends on its line, or npos when it
// goes on past the line (a multi-line array or string).
size_t ValueEnd(const std::string& text, size_t at, size_t end) {
    if (at == end) return at;
    const char first = text[at];
    if (first == '"' || first == '\'') {
        if (text.compare(at, 3, std::string(3, first)) == 0) return std::string::npos;
        for (size_t i = at + 1; i < end; ++i) {
            if (first == '"' && text[i] == '\\') {
                ++i;
            } else if (text[i] == first) {
                return i + 1;
            }
        }
        return std::string::npos;
    }
    if (first == '[' || first == '{') {
        const char close = first == '[' ? ']' : '}';
        int depth = 0;
        char quote = 0;
        for (size_t i = at; i < end; ++i) {
            const char c = text[i];
            if (quote) {
                if (c == '\\' && quote == '"') ++i;
                else if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '#') {
                return std::string::npos;
            } else if (c == first) {
                ++depth;
            } else if (c == close && --depth == 0) {
                return i + 1;
            }
        }
        return std::string::npos;
    }
    size_t i = at;
    while (i < end && !IsSpace(text[i]) && text[i] != '#') ++i;
    return i;
}

std::string PulseText(const ServoSetting& s) {
    return "[" + std::to_string(s.pulseAtZero) + ", " + std::to_string(s.pulseAtFull) + "]";
}

}  // namespace

std::vector<LegFileChange> CalibrationChanges(const LegDescription& before, Joint joint, const ServoSetting& fitted,
                                              const JointRange* range) {
    const std::string name = JointName(joint);
    const ServoSetting old = before.servos[joint] ? *before.servos[joint] : ServoSetting{};
    const bool hadServo = before.servos[joint].has_value();
    std::vector<LegFileChange> changes;
    if (!hadServo || old.pulseAtZero != fitted.pulseAtZero || old.pulseAtFull != fitted.pulseAtFull) {
        changes.push_back({"servo." + name, "pulse", PulseText(fitted)});
    }
    if (!hadServo || old.invert != fitted.invert) {
        changes.push_back({"servo." + name, "invert", fitted.invert ? "true" : "false"});
    }
    if (!hadServo || old.offset != fitted.offset) {
        changes.push_back({"servo." + name, "offset", std::to_string(fitted.offset)});
    }
    if (range && range->min != before.ranges[joint].min) {
        changes.push_back({name, "min", std::to_string(range->min)});
    }
    if (range && range->max != before.ranges[joint].max) {
        changes.push_back({name, "max", std::to_string(range->max)});
    }
    return changes;
}

bool EditLegText(const std::string& text, const std::vector<LegFileChange>& changes, std::string& edited,
                 std::string& error) {
    const std::vector<Line> lines = SplitLines(text);
    const std::string ending = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    // What goes where: replacements by position, insertions after a line.
    struct Replacement {
        size_t begin, end;
        std::string value;
    };
    std::vector<Replacement> replacements;
    std::vector<std::pair<size_t, std::string>> insertions;  // (offset, text)
    std::string appended;
    std::vector<std::string> appendedTables;
    for (const LegFileChange& change : changes) {
        std::string table;
        bool inTable = change.table.empty(), found = false, tableSeen = inTable;
        size_t lastKeyEnd = std::string::npos, headerNext = 0;
        for (const Line& line : lines) {
            std::string opened;
            if (TableOf(text, line, opened)) {
                inTable = opened == change.table;
                if (inTable) {
                    tableSeen = true;
                    headerNext = line.next;
                }
                continue;
            }
            std::string key;
            size_t valueAt = 0;
            if (!inTable || !KeyOf(text, line, key, valueAt)) continue;
            lastKeyEnd = line.next;
            if (key != change.key) continue;
            const size_t valueEnd = ValueEnd(text, valueAt, line.end);
            if (valueEnd == std::string::npos) {
                error = "cannot replace the value of " + change.table + "." + change.key +
                        " in place: it goes on past its line";
                return false;
            }
            replacements.push_back({valueAt, valueEnd, change.value});
            found = true;
            break;
        }
        if (found) continue;
        const std::string keyLine = change.key + " = " + change.value + ending;
        if (tableSeen) {
            const size_t at = lastKeyEnd != std::string::npos ? lastKeyEnd : headerNext;
            // A file that ends without a line break gets one first.
            const bool unended = at == text.size() && !text.empty() && text.back() != '\n';
            insertions.push_back({at, (unended ? ending : "") + keyLine});
            continue;
        }
        bool known = false;
        for (const std::string& t : appendedTables) known = known || t == change.table;
        if (!known) {
            appendedTables.push_back(change.table);
            appended += ending + "[" + change.table + "]" + ending;
        }
        // Keys of one new table stay together: a later table's header has
        // not been written yet when every change of one table comes in a row.
        appended += keyLine;
    }
    // Apply from the end, so that earlier offsets stay right.
    std::vector<std::pair<size_t, std::pair<size_t, std::string>>> edits;  // (begin, (end, text))
    for (const Replacement& r : replacements) edits.push_back({r.begin, {r.end, r.value}});
    for (const auto& i : insertions) edits.push_back({i.first, {i.first, i.second}});
    std::stable_sort(edits.begin(), edits.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    edited = text;
    for (const auto& e : edits) edited.replace(e.first, e.second.first - e.first, e.second.second);
    if (!appended.empty()) {
        if (!edited.empty() && edited.back() != '\n') edited += ending;
        edited += appended.substr(edited.empty() ? ending.size() : 0);
    }
    // The result must read back, with every change in it.
    LegSetup setup;
    std::string why;
    if (!ParseLegText(edited, "the edited leg file", setup, why)) {
        error = "cannot place the new values in this file's layout (" + why + ")";
        return false;
    }
    return true;
}

bool WriteLegFileChanges(const std::string& path, const std::vector<LegFileChange>& changes, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = path + ": cannot read the leg file: " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    if (readFailed) {
        error = path + ": cannot read the leg file";
        return false;
    }
    std::string edited;
    std::string why;
    if (!EditLegText(text, changes, edited, why)) {
        error = path + ": " + why;
        return false;
    }
    for (const auto& [name, bytes] : {std::make_pair(path + ".bak", &text), std::make_pair(path, &edited)}) {
        ReplacingFile out;
        bool written = out.Open(name, why) && std::fwrite(bytes->data(), 1, bytes->size(), out.File()) == bytes->size();
        if (!out.File() || !out.Commit(!written, why)) {
            error = path + ": cannot write the leg file: " + why;
            return false;
        }
    }
    return true;
}
