// tavrin-ik's calibration without the window, for scripts and for users who
// jog with the controller's own utility:
//   tavrin-ik --leg FILE calibrate JOINT A1=U1 A2=U2 [--stops U_SMALL,U_LARGE] [--write]
// The marks fit the joint's servo; the stops, the pulses at which the joint
// stops at its smallest and its largest angle, give its range. Prints the
// fitted [servo.JOINT] (and [JOINT]) as TOML lines; --write writes the
// changed values into the leg file itself, the old one kept as FILE.bak.
#pragma once

#include "legfile/leg_file.h"

// The exit status: 0 done, 1 the file could not be written, 2 bad marks or
// arguments.
int RunCalibrate(const LegSetup& setup, const char* legFile, int count, char** args);
