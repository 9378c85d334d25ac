#include "tools/binary_output.h"

// POSIX streams are bytes already.
void UseBinaryStandardOutput() {}
