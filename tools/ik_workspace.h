// tavrin-ik's workspace command: the leg's whole 3-D workspace, counted or
// written out as a point cloud.
#pragma once

#include <string>

#include "kinematics/leg_description.h"

// Runs `workspace` with the arguments after the command's name. Returns the
// exit status; for bad arguments 2 with a one-line `error`, the caller
// printing it.
int Workspace(const LegDescription& leg, int argc, char** argv, std::string& error);
