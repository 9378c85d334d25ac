// Where a calibration in the window stands (app/calibration.h runs it).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "controller/servo_fit.h"

struct Calibration {
    bool active = false;
    Joint joint = kYawJoint;
    int pulse = 0;                          // the selected servo's, microseconds
    std::vector<CalibrationMark> marks;     // at the first, then the second reference angle
    std::optional<ServoSetting> fitted;     // from the two marks, to accept or redo
    bool accepted = false;
    std::optional<int> smallStop, largeStop;
    std::optional<JointRange> range;        // inside the stops
    bool unsaved = false;                   // accepted numbers not yet in the file
    bool leaving = false;                   // asked once whether to leave them
    bool cloudStale = false;                // saved: the cloud follows the file's new limits
    std::string saved;                      // what the last save said, kept after leaving
    std::string note;                       // what the title says
};
