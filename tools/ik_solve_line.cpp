#include "tools/ik_solve_line.h"

#include "tools/ik_text.h"

namespace {

// "servo":{"hip":{"deg":S,"us":P},...} for each joint with a servo section.
std::string ServoFields(const LegDescription& leg, const LegPose& pose) {
    const std::array<int, kJointCount> angles = JointDegrees(pose);
    std::string text;
    for (int j = 0; j < kJointCount; ++j) {
        if (!leg.servos[j]) continue;
        ServoCommand command = ServoFor(*leg.servos[j], angles[j]);
        text += text.empty() ? ",\"servo\":{" : ",";
        text += std::string("\"") + JointName(static_cast<Joint>(j)) + "\":{\"deg\":" +
                std::to_string(command.degrees) + ",\"us\":" + std::to_string(command.microseconds) + "}";
    }
    return text.empty() ? text : text + "}";
}

}  // namespace

std::string SolveLine(const LegDescription& leg, const LegPose& pose, bool outOfRange) {
    std::string line = "{\"target\":[" + FloatText(pose.x) + "," + FloatText(pose.y) + "," + FloatText(pose.z) +
                       "],\"outOfRange\":" + (outOfRange ? "true" : "false") + ",\"reach\":" + FloatText(pose.reach) +
                       ",\"distance\":" + FloatText(pose.distance);
    if (!outOfRange) {
        line += ",\"yawDeg\":" + std::to_string(pose.yawDeg) + ",\"hipDeg\":" + std::to_string(pose.hipDeg) +
                ",\"kneeDeg\":" + std::to_string(pose.kneeDeg) + ",\"knee\":[" + FloatText(pose.kneeX) + "," +
                FloatText(pose.kneeY) + "," + FloatText(pose.kneeZ) + "]" + ServoFields(leg, pose);
    }
    return line + "}";
}
