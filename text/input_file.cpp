#include "text/input_file.h"

#include <sys/stat.h>

bool RefuseSpecialFile(const std::string& path, const std::string& what, std::string& error) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) return false;
    error = path + ": cannot read the " + what + ": not a regular file";
    return true;
}
