// Reads a leg description from a TOML file. Every key is optional and keeps
// the default leg's value when missing; anything the file gets wrong is
// refused with one line that names the file, the line where the reader knows
// it, and what is wrong.
#pragma once

#include <optional>
#include <string>

#include "controller/controller_settings.h"
#include "kinematics/leg_description.h"

// The largest file taken as a leg file: far beyond any real one.
constexpr long kMaxLegFileBytes = 1 << 20;

// Fills leg from the file at path; on failure leaves leg as it was, sets
// error ("legs/x.toml:3: unknown key 'uper'") and returns false.
bool ReadLegFile(const std::string& path, LegDescription& leg, std::string& error);

// The same for text already read, named path in messages.
bool ParseLegText(const std::string& text, const std::string& path, LegDescription& leg, std::string& error);

// A leg and, when the file has a [controller] section, the servo controller
// that drives it.
struct LegSetup {
    LegDescription leg;
    std::optional<ControllerSettings> controller;
};

// The forms above for the leg and its controller together.
bool ReadLegFile(const std::string& path, LegSetup& setup, std::string& error);
bool ParseLegText(const std::string& text, const std::string& path, LegSetup& setup, std::string& error);
