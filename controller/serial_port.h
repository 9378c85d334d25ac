// A serial port, opened raw at 8 data bits, no parity, one stop bit and no
// flow control, that never waits: writes take what the driver accepts now,
// reads return what has arrived. One implementation per system:
// serial_port_posix.cpp (termios) and serial_port_win32.cpp (the Win32
// communications API). No system header appears here.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The longest port name a message or the title shows; a name is shown
// cleaned, on one line (control characters as '?').
constexpr size_t kShownPortLength = 80;

class SerialPort {
public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens path (a device path such as /dev/ttyUSB0 or a link to one; COMn
    // on Windows) at baud, closing whatever was open. On failure sets error
    // to one line naming the port and the reason and returns false.
    bool Open(const std::string& path, int baud, std::string& error);
    // Closes the port; output the driver still holds may go out.
    void Close();

    // Hands over as much of data as the driver takes without waiting: the
    // count taken (0 when it takes nothing now), or -1 with error set when
    // the port failed or was hung up.
    long Write(const char* data, size_t size, std::string& error);

    // Bytes handed over that have not gone out yet, or -1 when the driver
    // does not say.
    long Queued();

    // Reads what has arrived, up to size bytes: the count, 0 when nothing
    // has, or -1 with error set when the port failed.
    long Read(char* buffer, size_t size, std::string& error);

    // Whether the device has gone (a hang-up, a pulled USB cable), without
    // waiting.
    bool HungUp();

    // Waits until everything handed over has gone out. For command-line use
    // only: the window never waits.
    bool Drain(std::string& error);

    // Drops whatever has arrived and not been read.
    void DiscardInput();

private:
    struct State;
    std::unique_ptr<State> state_;
};
