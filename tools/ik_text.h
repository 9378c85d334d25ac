// Reading and writing numbers for tavrin-ik's commands: arguments read as
// the nearest float, floats written in the shortest text that reads back
// the same, and arguments quoted safely in one-line messages.
#pragma once

#include <string>
#include <vector>

enum class Parsed { Number, NotANumber, OutOfRange };

// A decimal number with an optional sign, read as the nearest float, as
// strtof reads it: a number too small for a float is zero of its sign, one
// too large for it is out of range. Hex, inf and nan are not numbers here.
Parsed ParseFloat(const char* text, float& value);

// The shortest text that reads back as value; null for a value that is not
// finite, so that a JSON line stays valid.
std::string FloatText(float value);

// Quotes an argument for an error message, cut short so that a huge
// argument still gives a one-line message of sensible length.
std::string Quote(const char* text);

// Reads count arguments as floats; false with a one-line error for the first
// that is not a finite float.
bool ParseNumbers(char** args, int count, std::vector<float>& numbers, std::string& error);
