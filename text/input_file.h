// Files the user names to be read.
#pragma once

#include <string>

// A FIFO with no writer would block the open for ever and a device would
// never end: anything but a regular file or a folder (whose reading then
// fails and says so) is refused at once, with "PATH: cannot read the
// WHAT: not a regular file". True when refused.
bool RefuseSpecialFile(const std::string& path, const std::string& what, std::string& error);
