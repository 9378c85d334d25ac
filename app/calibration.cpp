#include "app/calibration.h"

#include <algorithm>

#include "controller/commands.h"
#include "legfile/leg_file.h"
#include "legfile/leg_file_edit.h"

namespace {

const int kFineStep = 1;     // Left, Right
const int kCoarseStep = 10;  // Up, Down

const std::optional<ServoSetting>& ServoOf(const AppState& state, Joint joint) {
    return state.leg->description.servos[joint];
}

bool Channelled(const AppState& state, Joint joint) {
    const auto& servo = ServoOf(state, joint);
    return servo && servo->channel;
}

JointRange RangeOf(const AppState& state) {
    const Calibration& c = state.calibration;
    return c.range ? *c.range : state.leg->description.ranges[c.joint];
}

// What the controller takes, and tighter once the stops are marked.
PulseLimits Limits(const AppState& state) {
    PulseLimits limits = PulseLimitsOf(state.controller->protocol);
    const Calibration& c = state.calibration;
    if (c.smallStop && c.largeStop) {
        limits.min = std::max(limits.min, std::min(*c.smallStop, *c.largeStop));
        limits.max = std::min(limits.max, std::max(*c.smallStop, *c.largeStop));
    }
    return limits;
}

// The selected servo alone, paced like every pose.
void SendPulse(AppState& state) {
    Calibration& c = state.calibration;
    const PulseLimits limits = Limits(state);
    c.pulse = std::clamp(c.pulse, limits.min, limits.max);
    if (!state.link) return;
    std::string command = PulsesCommand(*state.controller, {{*ServoOf(state, c.joint)->channel, c.pulse}});
    state.lastCommand = command;
    state.link->Submit(std::move(command));
    state.link->Poll(state.Now());
}

std::string Degrees(int angle) { return std::to_string(angle) + "\xb0"; }

void Prompt(AppState& state) {
    Calibration& c = state.calibration;
    const std::string head = std::string("calibrating ") + JointName(c.joint) + ": " + std::to_string(c.pulse) + " \xb5s";
    if (c.fitted && !c.accepted) {
        c.note = head + ", fitted: Enter accepts, Backspace redoes";
    } else if (c.accepted) {
        c.note = head + ", [ and ] mark the stops, S saves";
    } else {
        c.note = head + ", match the drawing, Enter marks " + Degrees(ReferenceAngle(state));
    }
}

// The pulse the drawn pose gives the joint now, where the jog starts.
int PulseOfDrawnPose(const AppState& state, Joint joint) {
    return ServoFor(*ServoOf(state, joint), JointDegrees(state.leg->solved)[joint]).microseconds;
}

void Select(AppState& state, Joint joint) {
    Calibration& c = state.calibration;
    c.joint = joint;
    c.marks.clear();
    c.fitted.reset();
    c.accepted = false;
    c.smallStop.reset();
    c.largeStop.reset();
    c.range.reset();
    c.pulse = PulseOfDrawnPose(state, joint);
    SendPulse(state);
    Prompt(state);
}

void NextJoint(AppState& state) {
    for (int step = 1; step <= kJointCount; ++step) {
        const Joint next = static_cast<Joint>((state.calibration.joint + step) % kJointCount);
        if (Channelled(state, next)) {
            Select(state, next);
            return;
        }
    }
}

void Mark(AppState& state) {
    Calibration& c = state.calibration;
    if (c.fitted && !c.accepted) {
        // Accepted: the window now sends with the fitted numbers.
        c.accepted = true;
        c.unsaved = true;
        state.leg->description.servos[c.joint] = *c.fitted;
        state.legDescription.servos[c.joint] = *c.fitted;
        Prompt(state);
        return;
    }
    if (c.fitted) return;
    c.marks.push_back({ReferenceAngle(state), c.pulse});
    if (c.marks.size() < 2) {
        Prompt(state);
        return;
    }
    ServoSetting fitted = *ServoOf(state, c.joint);
    const PulseLimits limits = PulseLimitsOf(state.controller->protocol);
    std::string error;
    if (!FitServo(c.marks[0], c.marks[1], RangeOf(state), &limits, fitted, error)) {
        c.marks.clear();
        c.note = std::string("calibrating ") + JointName(c.joint) + ": " + error + "; mark again";
        return;
    }
    c.fitted = fitted;
    // The middle of the range with the new numbers, to see it match.
    const JointRange range = RangeOf(state);
    c.pulse = ServoFor(fitted, (range.min + range.max) / 2).microseconds;
    SendPulse(state);
    Prompt(state);
}

void Redo(AppState& state) {
    Calibration& c = state.calibration;
    if (!c.fitted || c.accepted) return;
    c.fitted.reset();
    c.marks.clear();
    Prompt(state);
}

void MarkStop(AppState& state, bool small) {
    Calibration& c = state.calibration;
    if (!c.accepted) return;
    (small ? c.smallStop : c.largeStop) = c.pulse;
    if (c.smallStop && c.largeStop) {
        JointRange range;
        std::string error;
        if (!RangeInsideStops(*c.fitted, *c.smallStop, *c.largeStop, range, error)) {
            (small ? c.smallStop : c.largeStop).reset();
            c.note = std::string("calibrating ") + JointName(c.joint) + ": " + error;
            return;
        }
        c.range = range;
        c.unsaved = true;
    }
    Prompt(state);
}

void Save(AppState& state) {
    Calibration& c = state.calibration;
    if (!c.accepted || !c.unsaved) return;
    LegSetup saved;
    std::string error;
    if (!ReadLegFile(state.legFile, saved, error)) {
        c.note = "calibration not saved: " + error;
        return;
    }
    const JointRange* range = c.range ? &*c.range : nullptr;
    if (!WriteLegFileChanges(state.legFile, CalibrationChanges(saved.leg, c.joint, *c.fitted, range), error)) {
        // The marks and the fit stay: S tries again.
        c.note = "calibration not saved: " + error;
        return;
    }
    // The window takes the file's new numbers: the cloud follows new limits.
    if (ReadLegFile(state.legFile, saved, error)) {
        state.legDescription = saved.leg;
        state.leg->description = saved.leg;
        c.cloudStale = true;
    }
    c.unsaved = false;
    c.saved = std::string("calibration of the ") + JointName(c.joint) + " saved to " + state.legFile;
    c.note = c.saved;
}

void Leave(AppState& state) {
    Calibration& c = state.calibration;
    if (c.unsaved && !c.leaving) {
        c.leaving = true;
        c.note = "unsaved calibration: S saves, Escape again discards";
        return;
    }
    // What was saved stays in the title; what was not, goes.
    const std::string saved = c.unsaved ? std::string() : c.saved;
    state.calibration = Calibration();
    state.calibration.note = saved;
    // The servos go back to the drawn pose.
    state.lastCommand.clear();
}

}  // namespace

bool CanCalibrate(const AppState& state) {
    if (!state.link || !state.controller || !state.leg) return false;
    for (int j = 0; j < kJointCount; ++j) {
        if (Channelled(state, static_cast<Joint>(j))) return true;
    }
    return false;
}

void StartCalibration(AppState& state) {
    if (!CanCalibrate(state)) return;
    state.calibration = Calibration();
    state.calibration.active = true;
    state.calibration.joint = static_cast<Joint>(kJointCount - 1);
    NextJoint(state);
}

int ReferenceAngle(const AppState& state) {
    const JointRange range = state.leg->description.ranges[state.calibration.joint];
    const int span = range.max - range.min;
    switch (state.calibration.marks.size()) {
    case 0: return range.min + span / 4;
    case 1: return range.min + 3 * span / 4;
    default: return range.min + span / 2;
    }
}

const std::vector<int>& CalibrationKeys() {
    static const std::vector<int> keys = {'C', VK_ESCAPE, VK_TAB, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN,
                                          VK_RETURN, VK_BACK, VK_OEM_4, VK_OEM_6, 'S'};
    return keys;
}

void CalibrationKey(AppState& state, int vk) {
    Calibration& c = state.calibration;
    if (vk != 'C' && vk != VK_ESCAPE) c.leaving = false;
    switch (vk) {
    case 'C': case VK_ESCAPE: Leave(state); return;
    case VK_TAB: NextJoint(state); return;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: {
        const int step = vk == VK_LEFT || vk == VK_RIGHT ? kFineStep : kCoarseStep;
        c.pulse += vk == VK_RIGHT || vk == VK_UP ? step : -step;
        SendPulse(state);
        Prompt(state);
        return;
    }
    case VK_RETURN: Mark(state); return;
    case VK_BACK: Redo(state); return;
    case VK_OEM_4: MarkStop(state, true); return;
    case VK_OEM_6: MarkStop(state, false); return;
    case 'S': Save(state); return;
    default: return;
    }
}
