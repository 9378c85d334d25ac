// tavrin-ik's commands for the leg's servo controller:
//   tavrin-ik --leg FILE [--port PATH] [--baud RATE] send X Y Z
//   tavrin-ik --leg FILE [--port PATH] [--baud RATE|auto] probe
//   tavrin-ik --leg FILE [--port PATH] [--baud RATE] jog JOINT US
#pragma once

#include "legfile/leg_file.h"

// Whether the arguments after the leg file (args[0] the first of them) are
// one of those commands, options included.
bool IsControllerCommand(int count, char** args);

// Runs it for the leg file's setup: the exit status.
int RunControllerCommand(const LegSetup& setup, int count, char** args);
