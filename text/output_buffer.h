// Output gathered in a large buffer and handed to the file in big writes:
// a path of a million samples is a million short lines, which line by line
// through stdio would cost more than solving them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

class OutputBuffer {
public:
    explicit OutputBuffer(std::FILE* file) : file(file) {}
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer() { Flush(); }

    void Append(const char* text, size_t length) {
        if (length > kCapacity - size) {
            Flush();
            if (length > kCapacity) {
                Write(text, length);
                return;
            }
        }
        std::memcpy(buffer + size, text, length);
        size += length;
    }
    void Append(const char* text) { Append(text, std::strlen(text)); }
    void Append(const std::string& text) { Append(text.data(), text.size()); }
    void Append(char c) {
        if (size == kCapacity) Flush();
        buffer[size++] = c;
    }
    void AppendFloat(float value);
    void AppendDouble(double value);
    void AppendInt(int64_t value);

    // Hands what is gathered to the file; false once any write has failed,
    // after which nothing more is written.
    bool Flush();
    bool Failed() const { return failed; }

private:
    static constexpr size_t kCapacity = 1 << 16;
    // Room the number appenders need at hand.
    static constexpr size_t kNumberRoom = 32;

    void Write(const char* data, size_t length);

    std::FILE* file;
    size_t size = 0;
    bool failed = false;
    char buffer[kCapacity];
};
