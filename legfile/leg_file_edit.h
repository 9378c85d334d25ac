// Writing new numbers into the user's own leg file without breaking it:
// only the values that change are replaced, in place; every comment, blank
// line, key order, quoting and spacing of the rest stays byte for byte.
#pragma once

#include <string>
#include <vector>

#include "kinematics/leg_description.h"

// One key of one table and its new value, as TOML text.
struct LegFileChange {
    std::string table;  // "servo.hip", "hip"
    std::string key;    // "pulse"
    std::string value;  // "[500, 2500]"
};

// The changes that turn what the file says of a joint into fitted: the
// servo's pulse, invert and offset, and, when range is given, the joint's
// min and max; a value that stays the same is left out.
std::vector<LegFileChange> CalibrationChanges(const LegDescription& before, Joint joint, const ServoSetting& fitted,
                                              const JointRange* range);

// The text with each change made: a key's value replaced where it stands
// (the spacing around it and a comment after it kept), a missing key added
// after the last key of its table, a missing table at the end. False with
// one line for a value this editor cannot replace in place (one that spans
// lines) or a layout where the change cannot be placed (the table given as
// dotted keys or inline): the edited text must read back as a leg file with
// the new values.
bool EditLegText(const std::string& text, const std::vector<LegFileChange>& changes, std::string& edited,
                 std::string& error);

// The changes written into the file at path: the previous file kept as
// PATH.bak, the new one written beside it under a temporary name and
// renamed over it. False with one line, the file as it was.
bool WriteLegFileChanges(const std::string& path, const std::vector<LegFileChange>& changes, std::string& error);
