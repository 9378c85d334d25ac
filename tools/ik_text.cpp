#include "tools/ik_text.h"

#include <cstring>

bool ParseNumbers(char** args, int count, std::vector<float>& numbers, std::string& error) {
    for (int i = 0; i < count; ++i) {
        float value = 0;
        switch (ReadFloatText(args[i], args[i] + std::strlen(args[i]), value)) {
        case NumberText::Number: break;
        case NumberText::OutOfRange: error = "beyond the float range: " + Quote(args[i]); return false;
        case NumberText::NotANumber:
        case NumberText::NotFinite: error = "not a finite number: " + Quote(args[i]); return false;
        }
        numbers.push_back(value);
    }
    return true;
}
