// The serial port through the Win32 communications API. The handle is
// opened for overlapped I/O so that a write never waits: WriteFile hands the
// bytes over and returns, and the next write waits for nothing either, it
// reports that nothing was taken until the previous one has completed.
#include "controller/serial_port.h"

#include <windows.h>

#include <cstring>

#include "text/quote.h"

struct SerialPort::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED writing{};
    OVERLAPPED reading{};
    // The bytes of a write that has not completed: Windows reads them from
    // here until it does.
    std::string pending;
    bool writePending = false;
};

namespace {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    // One line: without the trailing period and line break.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    for (char& c : message) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return message;
}

// COM10 and above are reachable only through the device namespace, and the
// lower ones through it as well.
std::string DeviceName(const std::string& path) {
    if (path.rfind("\\\\", 0) == 0) return path;
    return "\\\\.\\" + path;
}

// Whether the previous write has completed; false with failed set when it
// ended in an error.
bool WriteCompleted(HANDLE handle, OVERLAPPED& writing, bool& writePending, bool& failed, DWORD& code) {
    failed = false;
    if (!writePending) return true;
    DWORD done = 0;
    if (GetOverlappedResult(handle, &writing, &done, FALSE)) {
        writePending = false;
        return true;
    }
    code = GetLastError();
    if (code == ERROR_IO_INCOMPLETE) return false;
    writePending = false;
    failed = true;
    return true;
}

}  // namespace

SerialPort::SerialPort() : state_(new State) {}

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const std::string& path, int baud, std::string& error) {
    Close();
    State& s = *state_;
    HANDLE handle = CreateFileA(DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        error = "cannot open the port " + Printable(path, kShownPortLength) + ": " + SystemMessage(code);
        if (code == ERROR_ACCESS_DENIED) error += " (is another program using it?)";
        return false;
    }
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    bool ready = GetCommState(handle, &dcb) != 0;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    ready = ready && SetCommState(handle, &dcb);
    // Reads return at once with what has arrived; writes have no timeout.
    COMMTIMEOUTS timeouts;
    std::memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    ready = ready && SetCommTimeouts(handle, &timeouts);
    if (!ready) {
        DWORD code = GetLastError();
        CloseHandle(handle);
        error = "cannot open the port " + Printable(path, kShownPortLength) + ": cannot set it up: " + SystemMessage(code);
        return false;
    }
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    s.writing = OVERLAPPED{};
    s.reading = OVERLAPPED{};
    s.writing.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.reading.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!s.writing.hEvent || !s.reading.hEvent) {
        DWORD code = GetLastError();
        s.handle = handle;
        Close();
        error = "cannot open the port " + Printable(path, kShownPortLength) + ": " + SystemMessage(code);
        return false;
    }
    s.handle = handle;
    s.writePending = false;
    return true;
}

void SerialPort::Close() {
    State& s = *state_;
    if (s.handle != INVALID_HANDLE_VALUE) {
        // A write in flight must end before its buffer and event go.
        if (s.writePending) {
            CancelIo(s.handle);
            DWORD done = 0;
            GetOverlappedResult(s.handle, &s.writing, &done, TRUE);
            s.writePending = false;
        }
        CloseHandle(s.handle);
        s.handle = INVALID_HANDLE_VALUE;
    }
    for (OVERLAPPED* o : {&s.writing, &s.reading}) {
        if (o->hEvent) CloseHandle(o->hEvent);
        o->hEvent = nullptr;
    }
}

long SerialPort::Write(const char* data, size_t size, std::string& error) {
    State& s = *state_;
    bool failed = false;
    DWORD code = 0;
    if (!WriteCompleted(s.handle, s.writing, s.writePending, failed, code)) return 0;
    if (failed) {
        error = "cannot write to the port: " + SystemMessage(code);
        return -1;
    }
    if (size == 0) return 0;
    s.pending.assign(data, size);
    ResetEvent(s.writing.hEvent);
    if (WriteFile(s.handle, s.pending.data(), static_cast<DWORD>(size), nullptr, &s.writing)) {
        return static_cast<long>(size);
    }
    code = GetLastError();
    if (code == ERROR_IO_PENDING) {
        s.writePending = true;
        return static_cast<long>(size);
    }
    error = "cannot write to the port: " + SystemMessage(code);
    return -1;
}

long SerialPort::Queued() {
    State& s = *state_;
    DWORD errors = 0;
    COMSTAT status;
    std::memset(&status, 0, sizeof status);
    if (!ClearCommError(s.handle, &errors, &status)) return -1;
    bool failed = false;
    DWORD code = 0;
    // A write the driver has not finished counts even where it does not
    // show in the output queue.
    if (!WriteCompleted(s.handle, s.writing, s.writePending, failed, code) && status.cbOutQue == 0) return 1;
    return static_cast<long>(status.cbOutQue);
}

long SerialPort::Read(char* buffer, size_t size, std::string& error) {
    State& s = *state_;
    DWORD got = 0;
    ResetEvent(s.reading.hEvent);
    if (!ReadFile(s.handle, buffer, static_cast<DWORD>(size), nullptr, &s.reading)) {
        DWORD code = GetLastError();
        if (code != ERROR_IO_PENDING) {
            error = "cannot read from the port: " + SystemMessage(code);
            return -1;
        }
    }
    // The timeouts make the read complete at once with what has arrived.
    if (!GetOverlappedResult(s.handle, &s.reading, &got, TRUE)) {
        error = "cannot read from the port: " + SystemMessage(GetLastError());
        return -1;
    }
    return static_cast<long>(got);
}

bool SerialPort::HungUp() {
    DWORD errors = 0;
    COMSTAT status;
    return !ClearCommError(state_->handle, &errors, &status);
}

bool SerialPort::Drain(std::string& error) {
    State& s = *state_;
    if (s.writePending) {
        DWORD done = 0;
        bool ok = GetOverlappedResult(s.handle, &s.writing, &done, TRUE) != 0;
        s.writePending = false;
        if (!ok) {
            error = "cannot send everything to the port: " + SystemMessage(GetLastError());
            return false;
        }
    }
    if (!FlushFileBuffers(s.handle)) {
        error = "cannot send everything to the port: " + SystemMessage(GetLastError());
        return false;
    }
    return true;
}

void SerialPort::DiscardInput() {
    PurgeComm(state_->handle, PURGE_RXCLEAR);
}
