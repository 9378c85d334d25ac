#include "tools/binary_output.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void UseBinaryStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }
