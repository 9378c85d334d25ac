// Arguments of tavrin-ik's commands read as numbers.
#pragma once

#include <string>
#include <vector>

#include "text/number_text.h"
#include "text/quote.h"

// Reads count arguments as floats; false with a one-line error for the first
// that is not a finite float.
bool ParseNumbers(char** args, int count, std::vector<float>& numbers, std::string& error);
