#include "text/output_buffer.h"

#include <charconv>

#include "text/number_text.h"

void OutputBuffer::Write(const char* data, size_t length) {
    if (failed || length == 0) return;
    failed = std::fwrite(data, 1, length, file) != length;
}

bool OutputBuffer::Flush() {
    Write(buffer, size);
    size = 0;
    return !failed;
}

void OutputBuffer::AppendFloat(float value) {
    if (kCapacity - size < kNumberRoom) Flush();
    size = static_cast<size_t>(WriteFloatText(buffer + size, value) - buffer);
}

void OutputBuffer::AppendDouble(double value) {
    if (kCapacity - size < kNumberRoom) Flush();
    size = static_cast<size_t>(WriteDoubleText(buffer + size, value) - buffer);
}

void OutputBuffer::AppendInt(int64_t value) {
    if (kCapacity - size < kNumberRoom) Flush();
    size = static_cast<size_t>(std::to_chars(buffer + size, buffer + kCapacity, value).ptr - buffer);
}
