// Writes a path file: the header t_ms,x,y,z and one row a line, every
// number in the shortest text that reads back to the same value, so that a
// path read back is the one written, bit for bit.
#pragma once

#include <string>
#include <vector>

#include "footpath/path_row.h"

// The row as a line with its '\n', at out, which has room for 128 chars;
// returns the end.
char* WritePathRowText(char* out, const PathRow& row);

// Writes rows to path through a temporary file in the same directory that
// is renamed over path only once it is complete, so that a failure or a
// crash never leaves half a file, nor spoils one that was there. False with
// a one-line error ("rec.csv: cannot write the path file: No space left on
// device"); the caller's rows are untouched either way.
bool WritePathFile(const std::string& path, const std::vector<PathRow>& rows, std::string& error);
