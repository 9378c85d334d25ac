// Numbers as text, read and written the same way by every command, file
// and message: read as the nearest float or double, written in the
// shortest text that reads back to the same value.
#pragma once

#include <string>

enum class NumberText { Number, NotANumber, NotFinite, OutOfRange };

// A decimal number with an optional sign (no hex), read as the nearest
// float or double; one too small for the type is zero of its sign, one too
// large is out of range. inf and nan spelled out are NotFinite.
NumberText ReadFloatText(const char* begin, const char* end, float& value);
NumberText ReadDoubleText(const char* begin, const char* end, double& value);
NumberText ReadFloatText(const std::string& text, float& value);

// Writes the shortest text for a finite value at out, which has room for
// kNumberTextRoom chars, and returns the end.
constexpr size_t kNumberTextRoom = 32;
char* WriteFloatText(char* out, float value);
char* WriteDoubleText(char* out, double value);

// The same as a string; "null" for a value that is not finite, so that a
// JSON line stays valid.
std::string FloatText(float value);
std::string DoubleText(double value);
