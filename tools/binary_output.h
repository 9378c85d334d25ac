// Standard output as a stream of bytes: where the system translates line
// ends on text streams (Windows), that translation is turned off, so that a
// binary file written to standard output arrives byte for byte. One
// implementation per system, chosen by the build.
#pragma once

void UseBinaryStandardOutput();
