#include "footpath/path_export.h"

#include <cstdint>

#include "controller/commands.h"

namespace {

int JointAngle(const LegPose& pose, int joint) {
    return JointDegrees(pose)[joint];
}

// Runs every sample of the path through visit; false for a row that went
// bad since the caller's scan.
// Stops at the first write that fails, with true: the caller reports the
// failed output, and solving on for an output that takes nothing would run
// for as long as the whole path.
template <typename Visit>
bool EachSample(const std::string& pathFile, int stepMs, const LegDescription& leg, const OutputBuffer& out,
                std::string& error, Visit visit) {
    SolvedPath solved;
    if (!solved.Open(pathFile, stepMs, leg, error)) return false;
    SolvedSample sample;
    while (!out.Failed()) {
        switch (solved.Next(sample, error)) {
        case PathReader::Step::Row: visit(sample); break;
        case PathReader::Step::End: return true;
        case PathReader::Step::Error: return false;
        }
    }
    return true;
}

std::string Upper(const char* name) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// A file name inside a C comment: nothing that could end the comment or the
// line.
std::string CommentText(const std::string& text) {
    std::string safe;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
        if (c == '/' && i > 0 && text[i - 1] == '*') c = '?';
        safe += c;
    }
    return safe;
}

}  // namespace

bool ExportPathCsv(const std::string& pathFile, int stepMs, const LegDescription& leg, OutputBuffer& out,
                   const UnreachableSink& unreachable, std::string& error) {
    out.Append("t_ms,x,y,z,reachable,yaw,hip,knee");
    for (int j = 0; j < kJointCount; ++j) {
        if (!leg.servos[j]) continue;
        out.Append(',');
        out.Append(JointName(static_cast<Joint>(j)));
        out.Append("_us");
    }
    out.Append('\n');
    return EachSample(pathFile, stepMs, leg, out, error, [&](const SolvedSample& sample) {
        if (!sample.reachable && unreachable) unreachable(sample);
        out.AppendDouble(sample.target.tMs);
        out.Append(',');
        out.AppendFloat(sample.target.x);
        out.Append(',');
        out.AppendFloat(sample.target.y);
        out.Append(',');
        out.AppendFloat(sample.target.z);
        out.Append(sample.reachable ? ",1" : ",0", 2);
        for (int j = 0; j < kJointCount; ++j) {
            out.Append(',');
            if (sample.posed) out.AppendInt(JointAngle(sample.pose, j));
        }
        for (int j = 0; j < kJointCount; ++j) {
            if (!leg.servos[j]) continue;
            out.Append(',');
            if (sample.posed) out.AppendInt(ServoFor(*leg.servos[j], JointAngle(sample.pose, j)).microseconds);
        }
        out.Append('\n');
    });
}

bool ExportPathHeader(const HeaderSources& sources, int stepMs, const LegDescription& leg, const PathSpan& span,
                      OutputBuffer& out, const UnreachableSink& unreachable, std::string& error) {
    LegPose first;
    bool found = false;
    if (!FirstReachablePose(sources.pathFile, stepMs, leg, first, found, error)) return false;
    // With no reachable sample at all every number is 0: no angle was
    // solved, and a pulse of 0 is no pulse.
    auto angle = [&](const SolvedSample& sample, int joint) {
        return found ? JointAngle(SentPose(sample, first), joint) : 0;
    };
    bool widePulses = false;
    int servoCount = 0;
    for (const auto& servo : leg.servos) {
        if (!servo) continue;
        ++servoCount;
        widePulses = widePulses || servo->pulseAtZero > 0xFFFF || servo->pulseAtFull > 0xFFFF;
    }
    const char* pulseType = widePulses ? "uint32_t" : "uint16_t";

    out.Append("/* A foot path for the robot's own sketch, made by tavrin-ik path --format header\n   from ");
    out.Append(sources.legFile.empty() ? "the default leg" : "the leg file " + CommentText(sources.legFile));
    out.Append(" and the path file ");
    out.Append(CommentText(sources.pathFile));
    out.Append(".\n   One sample every TAVRIN_PATH_STEP_MS milliseconds. A sample out of the leg's\n"
               "   reach holds the pose before it, and before the first reachable sample that\n");
    out.Append(sources.pulsesOnly ? "   sample's pose. The pulse widths alone. */\n"
                                  : "   sample's pose; tavrin_path_reachable tells which were reached. */\n");
    out.Append("#ifndef TAVRIN_PATH_H\n#define TAVRIN_PATH_H\n\n#include <stdint.h>\n\n"
               "/* Where the arrays live: in flash on AVR (an Arduino Uno has 2 KB of RAM and\n"
               "   32 KB of flash), read back with pgm_read_*; in ordinary memory elsewhere.\n"
               "   Read them through the functions at the end, never directly. */\n"
               "#if defined(__AVR__)\n#include <avr/pgmspace.h>\n#define TAVRIN_PATH_STORAGE PROGMEM\n"
               "#define TAVRIN_PATH_READ_8(p) pgm_read_byte(p)\n#define TAVRIN_PATH_READ_16(p) pgm_read_word(p)\n"
               "#define TAVRIN_PATH_READ_32(p) pgm_read_dword(p)\n#else\n#define TAVRIN_PATH_STORAGE\n"
               "#define TAVRIN_PATH_READ_8(p) (*(p))\n#define TAVRIN_PATH_READ_16(p) (*(p))\n"
               "#define TAVRIN_PATH_READ_32(p) (*(p))\n#endif\n\n");
    out.Append("#define TAVRIN_PATH_STEP_MS ");
    out.AppendInt(stepMs);
    out.Append("\n#define TAVRIN_PATH_SAMPLES ");
    out.AppendInt(static_cast<int64_t>(span.samples));
    out.Append("u\n\n");
    if (!sources.pulsesOnly) {
        out.Append("/* The joints of tavrin_path_deg, in order. */\nenum { ");
        for (int j = 0; j < kJointCount; ++j) {
            out.Append("TAVRIN_PATH_" + Upper(JointName(static_cast<Joint>(j))) + " = " + std::to_string(j) + ", ");
        }
        out.Append("TAVRIN_PATH_JOINTS = 3 };\n");
    }
    if (servoCount > 0) {
        out.Append("/* The servos of tavrin_path_us, in order: the joints with a servo. */\nenum { ");
        int column = 0;
        for (int j = 0; j < kJointCount; ++j) {
            if (!leg.servos[j]) continue;
            out.Append("TAVRIN_PATH_US_" + Upper(JointName(static_cast<Joint>(j))) + " = " +
                       std::to_string(column++) + ", ");
        }
        out.Append("TAVRIN_PATH_SERVOS = " + std::to_string(servoCount) + " };\n");

        out.Append(std::string("\n/* Pulse widths in microseconds, one row a sample. */\nstatic const ") + pulseType +
                   " tavrin_path_us[TAVRIN_PATH_SAMPLES][TAVRIN_PATH_SERVOS] TAVRIN_PATH_STORAGE = {\n");
        bool ok = EachSample(sources.pathFile, stepMs, leg, out, error, [&](const SolvedSample& sample) {
            if (!sample.reachable && unreachable) unreachable(sample);
            const char* separator = "    {";
            for (int j = 0; j < kJointCount; ++j) {
                if (!leg.servos[j]) continue;
                out.Append(separator);
                separator = ",";
                out.AppendInt(found ? ServoFor(*leg.servos[j], angle(sample, j)).microseconds : 0);
            }
            out.Append("},\n", 3);
        });
        if (!ok) return false;
        out.Append("};\n");
    }

    if (sources.pulsesOnly) {
        out.Append(std::string("\nstatic inline ") + pulseType +
                   " tavrin_path_pulse(uint32_t sample, unsigned servo) {\n    return TAVRIN_PATH_READ_" +
                   (widePulses ? "32" : "16") + "(&tavrin_path_us[sample][servo]);\n}\n\n#endif\n");
        return true;
    }
    out.Append("\n/* Joint angles in whole degrees, one row a sample. */\n"
               "static const uint16_t tavrin_path_deg[TAVRIN_PATH_SAMPLES][TAVRIN_PATH_JOINTS] TAVRIN_PATH_STORAGE = {\n");
    // The pulse pass above has told of every unreachable sample already.
    UnreachableSink tell = servoCount > 0 ? UnreachableSink() : unreachable;
    bool ok = EachSample(sources.pathFile, stepMs, leg, out, error, [&](const SolvedSample& sample) {
        if (!sample.reachable && tell) tell(sample);
        for (int j = 0; j < kJointCount; ++j) {
            out.Append(j == 0 ? "    {" : ",");
            out.AppendInt(angle(sample, j));
        }
        out.Append("},\n", 3);
    });
    if (!ok) return false;
    out.Append("};\n\n/* 1 where the leg reaches the sample's target, 0 where it holds a pose. */\n"
               "static const uint8_t tavrin_path_reachable[TAVRIN_PATH_SAMPLES] TAVRIN_PATH_STORAGE = {\n");
    ok = EachSample(sources.pathFile, stepMs, leg, out, error, [&](const SolvedSample& sample) {
        out.Append(sample.reachable ? "    1,\n" : "    0,\n", 7);
    });
    if (!ok) return false;
    out.Append("};\n\nstatic inline uint16_t tavrin_path_degrees(uint32_t sample, unsigned joint) {\n"
               "    return TAVRIN_PATH_READ_16(&tavrin_path_deg[sample][joint]);\n}\n");
    if (servoCount > 0) {
        out.Append(std::string("static inline ") + pulseType +
                   " tavrin_path_pulse(uint32_t sample, unsigned servo) {\n    return TAVRIN_PATH_READ_" +
                   (widePulses ? "32" : "16") + "(&tavrin_path_us[sample][servo]);\n}\n");
    }
    out.Append("static inline uint8_t tavrin_path_reaches(uint32_t sample) {\n"
               "    return TAVRIN_PATH_READ_8(&tavrin_path_reachable[sample]);\n}\n\n#endif\n");
    return true;
}

bool HasChannels(const LegDescription& leg) {
    for (const auto& servo : leg.servos) {
        if (servo && servo->channel) return true;
    }
    return false;
}

bool ExportSsc32(const std::string& pathFile, int stepMs, const LegDescription& leg, OutputBuffer& out,
                 const UnreachableSink& unreachable, std::string& error) {
    LegPose first;
    bool found = false;
    if (!FirstReachablePose(pathFile, stepMs, leg, first, found, error)) return false;
    return EachSample(pathFile, stepMs, leg, out, error, [&](const SolvedSample& sample) {
        if (!sample.reachable) unreachable(sample);
        if (found) out.Append(Ssc32GroupMove(ChannelPulses(leg, SentPose(sample, first)), stepMs));
    });
}
