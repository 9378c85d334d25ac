// The serial port through the Win32 communications API. The handle is
// opened for overlapped I/O so that a write never waits: WriteFile hands the
// bytes over and returns, and the next write waits for nothing either, it
// reports that nothing was taken until the previous one has completed.
#include "controller/serial_port.h"

#include <windows.h>

#include <cstring>

#include "text/quote.h"

namespace {

// A write that has taken nothing for this long after its bytes' own time on
// the wire has stalled: the device is gone (a pulled cable, a hung-up
// line), whatever the driver still says.
const ULONGLONG kStallMs = 1000;

// How long count bytes take on the wire: ten bits a byte.
ULONGLONG WireMs(size_t count, int baud) {
    return baud > 0 ? (static_cast<ULONGLONG>(count) * 10000 + static_cast<ULONGLONG>(baud) - 1) / baud : 0;
}

// Ends an overlapped operation that is still in flight: cancelled, and
// waited for, which a cancelled operation makes short. How many bytes it
// moved before it ended.
DWORD EndInFlight(HANDLE handle, OVERLAPPED& operation) {
    DWORD done = 0;
    if (GetOverlappedResult(handle, &operation, &done, FALSE)) return done;
    if (GetLastError() != ERROR_IO_INCOMPLETE) return 0;
    CancelIoEx(handle, &operation);
    GetOverlappedResult(handle, &operation, &done, TRUE);
    return done;
}

}  // namespace

struct SerialPort::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED writing{};
    OVERLAPPED reading{};
    // The bytes of a write that has not completed: Windows reads them from
    // here until it does.
    std::string pending;
    bool writePending = false;
    int baud = 9600;
    ULONGLONG writeStartMs = 0;   // when the pending write was handed over

    // Whether the previous write has completed; false with failed set when
    // it ended in an error or stalled (then it is cancelled).
    bool WriteCompleted(bool& failed, DWORD& code) {
        failed = false;
        if (!writePending) return true;
        DWORD done = 0;
        if (GetOverlappedResult(handle, &writing, &done, FALSE)) {
            writePending = false;
            return true;
        }
        code = GetLastError();
        if (code == ERROR_IO_INCOMPLETE) {
            if (GetTickCount64() < writeStartMs + WireMs(pending.size(), baud) + kStallMs) return false;
            EndInFlight(handle, writing);
            code = ERROR_TIMEOUT;
        }
        writePending = false;
        failed = true;
        return true;
    }
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
    s.baud = baud;
    return true;
}

void SerialPort::Close() {
    State& s = *state_;
    if (s.handle != INVALID_HANDLE_VALUE) {
        // A write in flight must end before its buffer, its event and the
        // port go, in that order.
        if (s.writePending) EndInFlight(s.handle, s.writing);
        s.writePending = false;
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
    if (!s.WriteCompleted(failed, code)) return 0;
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
        s.writeStartMs = GetTickCount64();
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
    if (!s.WriteCompleted(failed, code) && status.cbOutQue == 0) return 1;
    // A stalled write is the port's failure: the next write says so.
    if (failed) return -1;
    return static_cast<long>(status.cbOutQue);
}

long SerialPort::Read(char* buffer, size_t size, std::string& error) {
    State& s = *state_;
    DWORD got = 0;
    ResetEvent(s.reading.hEvent);
    if (ReadFile(s.handle, buffer, static_cast<DWORD>(size), &got, &s.reading)) return static_cast<long>(got);
    DWORD code = GetLastError();
    if (code != ERROR_IO_PENDING) {
        error = "cannot read from the port: " + SystemMessage(code);
        return -1;
    }
    // The timeouts ask the driver to complete the read at once with what
    // has arrived; one that does not (Wine's, on some devices) is ended
    // here, so that a read never waits.
    return static_cast<long>(EndInFlight(s.handle, s.reading));
}

bool SerialPort::HungUp() {
    State& s = *state_;
    DWORD errors = 0;
    COMSTAT status;
    if (!ClearCommError(s.handle, &errors, &status)) return true;
    bool failed = false;
    DWORD code = 0;
    return s.WriteCompleted(failed, code) && failed;
}

bool SerialPort::Drain(std::string& error) {
    State& s = *state_;
    // Every wait has its deadline: the bytes' time on the wire and a second.
    const ULONGLONG end = GetTickCount64() + WireMs(s.pending.size(), s.baud) + kStallMs;
    for (;;) {
        const long queued = Queued();
        if (queued == 0) return true;
        if (queued < 0 || GetTickCount64() >= end) {
            if (s.writePending) EndInFlight(s.handle, s.writing);
            s.writePending = false;
            error = "cannot send everything to the port: " +
                    (queued < 0 ? SystemMessage(GetLastError()) : std::string("it takes nothing"));
            return false;
        }
        Sleep(1);
    }
}

void SerialPort::DiscardInput() {
    PurgeComm(state_->handle, PURGE_RXCLEAR);
}
