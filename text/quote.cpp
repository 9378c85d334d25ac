#include "text/quote.h"

#include <cstdio>

std::string Printable(std::string_view text, size_t limit) {
    std::string shown;
    size_t count = 0, i = 0;
    while (i < text.size()) {
        if (count == limit) return shown + "...";
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            shown += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
            ++i;
        } else {
            size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (i + length > text.size()) length = text.size() - i;
            unsigned code = length == 1 ? c : c & (0x7F >> length);
            bool wellFormed = length > 1;
            for (size_t k = 1; k < length; ++k) {
                unsigned char next = static_cast<unsigned char>(text[i + k]);
                wellFormed = wellFormed && (next & 0xC0) == 0x80;
                code = code << 6 | (next & 0x3F);
            }
            // C1 controls, line and paragraph separators, invisible marks.
            bool invisible = !wellFormed || code < 0xA0 || code == 0xAD || (code >= 0x200B && code <= 0x200F) ||
                             code == 0x2028 || code == 0x2029 || (code >= 0x202A && code <= 0x202E) ||
                             (code >= 0x2060 && code <= 0x206F) || code == 0xFEFF;
            if (invisible) {
                // A byte that starts nothing is shown alone.
                if (!wellFormed) {
                    length = 1;
                    code = c;
                }
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "U+%04X", code);
                shown += buffer;
            } else {
                shown.append(text.substr(i, length));
            }
            i += length;
        }
        ++count;
    }
    return shown;
}

std::string Quote(std::string_view text) {
    return "'" + Printable(text, 40) + "'";
}
