// tavrin-ik's exit statuses, the same for every command.
#pragma once

constexpr int kWriteError = 1;   // standard output could not be written
constexpr int kNotDone = 1;      // the controller could not be reached or did not answer
constexpr int kUsageError = 2;   // a bad argument, leg file or path file
constexpr int kOutOfReach = 3;   // done, but a target was out of the leg's reach
