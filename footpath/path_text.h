// Numbers in a path file as text: read as the nearest float or double,
// written in the shortest text that reads back to the same value.
#pragma once

#include <string>

enum class NumberText { Number, NotANumber, NotFinite, OutOfRange };

// A decimal number with an optional sign (no hex, no inf or nan), read as
// the nearest float; one too small for a float is zero of its sign, one too
// large is out of range. inf and nan spelled out are NotFinite.
NumberText ReadFloatText(const char* begin, const char* end, float& value);
NumberText ReadDoubleText(const char* begin, const char* end, double& value);

// Writes the shortest text for value at out, which has room for 32 chars,
// and returns the end. Values are finite: a path holds no other.
char* WriteFloatText(char* out, float value);
char* WriteDoubleText(char* out, double value);

// The cell quoted for a one-line message, cut short when long, control
// characters shown as '?'.
std::string QuoteCell(const char* begin, const char* end);
