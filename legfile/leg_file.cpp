#include "legfile/leg_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <toml++/toml.h>

#include "text/input_file.h"
#include "text/quote.h"

namespace {

constexpr int kMaxLength = 1000;
constexpr int kMaxPulse = 100000;  // microseconds: five servo periods

// A refusal with the line it concerns (0 when none).
struct Refusal {
    int line = 0;
    std::string what;
};

// The file as it was written, for messages: each line's text, and the
// characters that the parser got as '?' (ToAscii), by line and column.
struct SourceText {
    std::vector<std::string> lines;
    std::map<std::pair<int, int>, std::string> replaced;

    // The text between two positions of one line, as the file has it; empty
    // when they are not on one known line.
    std::string Span(const toml::source_region& region) const {
        const int line = static_cast<int>(region.begin.line);
        if (line < 1 || line > static_cast<int>(lines.size()) || region.end.line != region.begin.line) return {};
        const std::string& text = lines[line - 1];
        // Columns count characters: walk the line's UTF-8 sequences.
        size_t begin = std::string::npos, end = text.size();
        int column = 1;
        for (size_t i = 0; i <= text.size(); ++column) {
            if (column == static_cast<int>(region.begin.column)) begin = i;
            if (column == static_cast<int>(region.end.column)) {
                end = i;
                break;
            }
            if (i == text.size()) break;
            unsigned char c = static_cast<unsigned char>(text[i]);
            i += c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        }
        if (begin == std::string::npos || begin > end) return {};
        return text.substr(begin, end - begin);
    }
};

// The longest key a message quotes.
constexpr size_t kShownKeyLength = 60;

std::string KindOf(const toml::node& node) {
    switch (node.type()) {
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a fraction";
    case toml::node_type::string: return "a string";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::array: return "an array";
    case toml::node_type::table: return "a table";
    default: return "a date or time";
    }
}

int LineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

// A string from the file for a message, in quotes: one line, cut short.
std::string QuotedValue(const std::string& text) {
    return "\"" + Printable(text, 40) + "\"";
}

class Reader {
public:
    Reader(LegSetup& setup, const SourceText& source) : setup_(setup), leg_(setup.leg), source_(source) {}

    std::optional<Refusal> Read(const toml::table& root) {
        for (const auto& [key, node] : root) {
            const std::string name(key.str());
            if (name == "upper") Length(node, name, leg_.upper);
            else if (name == "lower") Length(node, name, leg_.lower);
            else if (Joint j; JointNamed(name, j)) Range(node, name, leg_.ranges[j]);
            else if (name == "servo") Servos(node);
            else if (name == "controller") Controller(node);
            else Refuse(node, "unknown key '" + Shown(key) + "'");
            if (refusal_) return refusal_;
        }
        for (int j = 0; j < kJointCount && !refusal_; ++j) CheckServoSpan(static_cast<Joint>(j));
        if (!refusal_) CheckChannels();
        return refusal_;
    }

private:
    void Refuse(const toml::node& node, const std::string& what) {
        Refuse(LineOf(node), what);
    }

    void Refuse(int line, const std::string& what) {
        if (!refusal_) refusal_ = Refusal{line, what};
    }

    // A whole number within [low, high], or a refusal that says so.
    void WholeNumber(const toml::node& node, const std::string& name, long long low, long long high, int& out) {
        const auto* value = node.as_integer();
        if (!value || value->get() < low || value->get() > high) {
            std::string shown = value ? std::to_string(value->get()) : KindOf(node);
            Refuse(node, name + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                             ", not " + shown);
            return;
        }
        out = static_cast<int>(value->get());
    }

    const toml::table* Table(const toml::node& node, const std::string& name) {
        const toml::table* table = node.as_table();
        if (!table) Refuse(node, name + " must be a table, such as [" + name + "]");
        return table;
    }

    void Length(const toml::node& node, const std::string& name, int& out) {
        WholeNumber(node, name, 1, kMaxLength, out);
    }

    void Range(const toml::node& node, const std::string& name, JointRange& range) {
        const toml::table* table = Table(node, name);
        if (!table) return;
        for (const auto& [key, value] : *table) {
            const std::string field(key.str());
            if (field == "min") WholeNumber(value, name + ".min", 0, 180, range.min);
            else if (field == "max") WholeNumber(value, name + ".max", 0, 180, range.max);
            else Refuse(value, "unknown key '" + name + "." + Shown(key) + "'");
            if (refusal_) return;
        }
        if (range.min > range.max) {
            Refuse(node, name + ".min (" + std::to_string(range.min) + ") is above " + name + ".max (" +
                             std::to_string(range.max) + ")");
        }
    }

    void Servos(const toml::node& node) {
        const toml::table* table = Table(node, "servo");
        if (!table) return;
        for (const auto& [key, value] : *table) {
            const std::string name = "servo." + std::string(key.str());
            Joint j;
            if (!JointNamed(std::string(key.str()), j)) {
                Refuse(value, "unknown key 'servo." + Shown(key) + "'");
                return;
            }
            servoLines_[j] = LineOf(value);
            ServoSetting servo;
            Servo(value, name, servo);
            if (refusal_) return;
            leg_.servos[j] = servo;
        }
    }

    void Servo(const toml::node& node, const std::string& name, ServoSetting& servo) {
        const toml::table* table = Table(node, name);
        if (!table) return;
        for (const auto& [key, value] : *table) {
            const std::string field(key.str());
            const std::string full = name + "." + field;
            if (field == "invert") {
                const auto* flag = value.as_boolean();
                if (flag) servo.invert = flag->get();
                else Refuse(value, full + " must be true or false");
            } else if (field == "offset") {
                WholeNumber(value, full, -180, 180, servo.offset);
            } else if (field == "pulse") {
                Pulse(value, full, servo);
            } else if (field == "channel") {
                // The widest range of any controller; the one named in
                // [controller] narrows it once the whole file is read.
                int channel = 0;
                WholeNumber(value, full, 0, MaxChannel(Protocol::Ssc32), channel);
                servo.channel = channel;
                channelLines_[JointOf(name)] = LineOf(value);
            } else {
                Refuse(value, "unknown key '" + name + "." + Shown(key) + "'");
            }
            if (refusal_) return;
        }
    }

    void Pulse(const toml::node& node, const std::string& name, ServoSetting& servo) {
        const toml::array* pair = node.as_array();
        const std::string what = name + " must be two whole numbers of microseconds from 0 to " +
                                 std::to_string(kMaxPulse) + ", such as [500, 2500]";
        if (!pair || pair->size() != 2 || !(*pair)[0].as_integer() || !(*pair)[1].as_integer()) {
            Refuse(node, what);
            return;
        }
        long long p0 = (*pair)[0].as_integer()->get(), p1 = (*pair)[1].as_integer()->get();
        if (p0 < 0 || p0 > kMaxPulse || p1 < 0 || p1 > kMaxPulse) {
            Refuse(node, what);
            return;
        }
        if (p0 == p1) {
            Refuse(node, name + " [" + std::to_string(p0) + ", " + std::to_string(p1) +
                             "] has no width: every angle would be the same pulse");
            return;
        }
        servo.pulseAtZero = static_cast<int>(p0);
        servo.pulseAtFull = static_cast<int>(p1);
    }

    static Joint JointOf(const std::string& servoName) {
        Joint j = kYawJoint;
        JointNamed(servoName.substr(servoName.find('.') + 1), j);
        return j;
    }

    void Controller(const toml::node& node) {
        const toml::table* table = Table(node, "controller");
        if (!table) return;
        controllerLine_ = LineOf(node);
        ControllerSettings settings;
        const toml::node* protocol = nullptr;
        const toml::node* moveMs = nullptr;
        const toml::node* device = nullptr;
        for (const auto& [key, value] : *table) {
            const std::string field(key.str());
            const std::string full = "controller." + field;
            if (field == "protocol") {
                protocol = &value;
                const auto* name = value.as_string();
                if (!name || !ProtocolNamed(name->get(), settings.protocol)) {
                    Refuse(value, full + " must be \"ssc32\" or \"maestro\", not " +
                                      (name ? QuotedValue(name->get()) : KindOf(value)));
                }
            } else if (field == "port") {
                const auto* port = value.as_string();
                if (port && !port->get().empty()) settings.port = port->get();
                else Refuse(value, full + " must be the port's name in quotes, such as \"/dev/ttyUSB0\" or \"COM3\"");
            } else if (field == "baud") {
                Baud(value, full, settings.baud);
            } else if (field == "move_ms") {
                moveMs = &value;
                WholeNumber(value, full, 0, kMaxMoveMs, settings.moveMs);
            } else if (field == "device") {
                device = &value;
                int number = 0;
                WholeNumber(value, full, 0, kMaxMaestroDevice, number);
                settings.device = number;
            } else {
                Refuse(value, "unknown key 'controller." + Shown(key) + "'");
            }
            if (refusal_) return;
        }
        if (!protocol) return Refuse(node, "controller.protocol is missing: \"ssc32\" or \"maestro\"");
        if (device && settings.protocol != Protocol::Maestro) {
            return Refuse(*device, "controller.device is for maestro only, not ssc32");
        }
        if (moveMs && settings.protocol != Protocol::Ssc32) {
            return Refuse(*moveMs, "controller.move_ms is for ssc32 only, not maestro");
        }
        setup_.controller = settings;
    }

    void Baud(const toml::node& node, const std::string& name, int& baud) {
        const auto* value = node.as_integer();
        if (value && value->get() >= 0 && value->get() <= kBaudRates[std::size(kBaudRates) - 1] &&
            IsBaudRate(static_cast<int>(value->get()))) {
            baud = static_cast<int>(value->get());
            return;
        }
        std::string rates;
        for (int rate : kBaudRates) rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
        Refuse(node, name + " must be one of " + rates + ", not " + (value ? std::to_string(value->get()) : KindOf(node)));
    }

    // A channel the controller has, used once, for a servo whose pulses
    // over the joint's range are ones the controller takes; and a
    // controller with at least one channel to drive.
    void CheckChannels() {
        const std::optional<ControllerSettings>& controller = setup_.controller;
        bool anyChannel = false;
        for (int j = 0; j < kJointCount; ++j) {
            const std::optional<ServoSetting>& servo = leg_.servos[j];
            if (!servo || !servo->channel) continue;
            anyChannel = true;
            const std::string name = JointName(static_cast<Joint>(j));
            const int channel = *servo->channel;
            for (int k = 0; k < j; ++k) {
                if (leg_.servos[k] && leg_.servos[k]->channel == channel) {
                    return Refuse(channelLines_[j], "servo." + name + ".channel " + std::to_string(channel) +
                                                        " is servo." + JointName(static_cast<Joint>(k)) +
                                                        "'s channel already");
                }
            }
            if (!controller) continue;
            const char* protocol = ProtocolName(controller->protocol);
            if (channel > MaxChannel(controller->protocol)) {
                return Refuse(channelLines_[j], "servo." + name + ".channel must be a whole number from 0 to " +
                                                    std::to_string(MaxChannel(controller->protocol)) + " for " +
                                                    protocol + ", not " + std::to_string(channel));
            }
            // ServoFor is monotonic in the angle: the range's ends give
            // the extreme pulses.
            const JointRange& range = leg_.ranges[j];
            int a = ServoFor(*servo, range.min).microseconds;
            int b = ServoFor(*servo, range.max).microseconds;
            const PulseLimits limits = PulseLimitsOf(controller->protocol);
            if (std::min(a, b) < limits.min || std::max(a, b) > limits.max) {
                return Refuse(servoLines_[j], "servo." + name + " pulses " + std::to_string(std::min(a, b)) + ".." +
                                                  std::to_string(std::max(a, b)) + " us over " + name + " angles " +
                                                  std::to_string(range.min) + ".." + std::to_string(range.max) +
                                                  " are beyond " + protocol + "'s " + std::to_string(limits.min) +
                                                  ".." + std::to_string(limits.max));
            }
        }
        if (controller && !anyChannel) {
            Refuse(controllerLine_, "[controller] has nothing to drive: no [servo.JOINT] has a channel");
        }
    }

    // Every angle the joint may take must give the servo 0..180 degrees.
    void CheckServoSpan(Joint j) {
        if (!leg_.servos[j]) return;
        JointRange span = ServoSpan(*leg_.servos[j], leg_.ranges[j]);
        if (span.min >= 0 && span.max <= 180) return;
        const JointRange& range = leg_.ranges[j];
        const std::string name = JointName(j);
        refusal_ = Refusal{servoLines_[j], "servo." + name + " offset " + std::to_string(leg_.servos[j]->offset) +
                                               " takes " + name + " angles " + std::to_string(range.min) + ".." +
                                               std::to_string(range.max) + " to servo degrees " +
                                               std::to_string(span.min) + ".." + std::to_string(span.max) +
                                               ", beyond 0..180"};
    }

    // A key as the file writes it (quotes and all), or the key the parser
    // read where the file does not say.
    std::string Shown(const toml::key& key) const {
        std::string written = source_.Span(key.source());
        return Printable(written.empty() ? std::string_view(key.str()) : std::string_view(written), kShownKeyLength);
    }

    LegSetup& setup_;
    LegDescription& leg_;
    const SourceText& source_;
    std::optional<Refusal> refusal_;
    int servoLines_[kJointCount] = {};
    int channelLines_[kJointCount] = {};
    int controllerLine_ = 0;
};

std::string Located(const std::string& path, int line, const std::string& what) {
    return path + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what;
}

// The parser's description of a syntax error, kept to one printable line:
// it may quote what it found, a line break or a control character included.
// Where it quotes a character that it got as '?', the file's own character
// is shown instead.
std::string OneLine(std::string_view description, const SourceText& source, const toml::source_position& at) {
    std::string text(description);
    auto original = source.replaced.find({static_cast<int>(at.line), static_cast<int>(at.column)});
    size_t quoted = text.find("'?'");
    if (original != source.replaced.end() && quoted != std::string::npos) {
        text.replace(quoted + 1, 1, original->second);
    }
    return Printable(text, 160);
}

// The length of the UTF-8 sequence at text[i], or 0 when it is not one
// (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
size_t Utf8Length(const std::string& text, size_t i) {
    auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    unsigned b0 = byte(i);
    size_t length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
    if (length == 0 || b0 > 0xF4) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    unsigned b1 = byte(i + 1);
    if (b0 == 0xE0 && b1 < 0xA0) return 0;   // overlong
    if (b0 == 0xED && b1 >= 0xA0) return 0;  // a surrogate
    if (b0 == 0xF0 && b1 < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && b1 >= 0x90) return 0;  // beyond U+10FFFF
    return length;
}

// The text as the TOML parser gets it: valid UTF-8 with each non-ASCII
// character turned into '?', and without a leading byte-order mark. A leg
// file has no use for them outside comments, where '?' reads the same, and
// the parser's own test of non-ASCII blanks is unsound for some characters
// (U+FC06..U+FEFE reach a point its code marks unreachable). A misplaced
// character is still refused, as an unexpected '?'.
std::optional<Refusal> ToAscii(const std::string& text, std::string& ascii, SourceText& source) {
    size_t i = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    int line = 1, column = 1;
    ascii.clear();
    ascii.reserve(text.size());
    source.lines.assign(1, std::string());
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ascii += static_cast<char>(c);
            ++i;
            if (c == '\n') {
                ++line;
                column = 1;
                source.lines.emplace_back();
            } else {
                source.lines.back() += static_cast<char>(c);
                ++column;
            }
            continue;
        }
        size_t length = Utf8Length(text, i);
        if (length == 0) return Refusal{line, "not valid UTF-8 text"};
        ascii += '?';
        source.replaced[{line, column}] = text.substr(i, length);
        source.lines.back() += text.substr(i, length);
        ++column;
        i += length;
    }
    return std::nullopt;
}

}  // namespace

bool ParseLegText(const std::string& text, const std::string& path, LegSetup& setup, std::string& error) {
    std::string ascii;
    SourceText source;
    if (std::optional<Refusal> refusal = ToAscii(text, ascii, source)) {
        error = Located(path, refusal->line, refusal->what);
        return false;
    }
    toml::table root;
    try {
        root = toml::parse(ascii, path);
    } catch (const toml::parse_error& e) {
        error = Located(path, static_cast<int>(e.source().begin.line), "not valid TOML: " + OneLine(e.description(), source, e.source().begin));
        return false;
    }
    LegSetup read;
    if (std::optional<Refusal> refusal = Reader(read, source).Read(root)) {
        error = Located(path, refusal->line, refusal->what);
        return false;
    }
    setup = read;
    return true;
}

bool ParseLegText(const std::string& text, const std::string& path, LegDescription& leg, std::string& error) {
    LegSetup setup;
    if (!ParseLegText(text, path, setup, error)) return false;
    leg = setup.leg;
    return true;
}

bool ReadLegFile(const std::string& path, LegDescription& leg, std::string& error) {
    LegSetup setup;
    if (!ReadLegFile(path, setup, error)) return false;
    leg = setup.leg;
    return true;
}

bool ReadLegFile(const std::string& path, LegSetup& setup, std::string& error) {
    if (RefuseSpecialFile(path, "leg file", error)) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        error = path + ": cannot open the leg file: " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, got);
        if (text.size() > static_cast<size_t>(kMaxLegFileBytes)) {
            error = path + ": too large for a leg file (over " + std::to_string(kMaxLegFileBytes) + " bytes)";
            return false;
        }
    }
    if (std::ferror(file.get())) {
        error = path + ": cannot read the leg file: " + std::strerror(errno);
        return false;
    }
    return ParseLegText(text, path, setup, error);
}
