// The kernel calls the program makes: the process, the module, and where
// its error messages go.
#include <chrono>
#include <cstdint>

#include "platform/win32.h"

HANDLE WINAPI GetCurrentProcess(void) {
    // Windows' pseudo handle for the calling process.
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    // Only the program itself is a module here; 0x400000 is where Windows
    // loads an executable by default.
    if (lpModuleName) return nullptr;
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
}

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) {
    // A program here always has its standard streams; the handle stands for
    // the stream's descriptor, and nothing reads it back.
    switch (nStdHandle) {
    case static_cast<DWORD>(-10): return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x10));
    case STD_OUTPUT_HANDLE: return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x11));
    case STD_ERROR_HANDLE: return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x12));
    default: return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));  // INVALID_HANDLE_VALUE
    }
}

DWORD WINAPI GetTickCount(void) {
    // Milliseconds since the process started, wrapping at 2^32 as Windows'
    // count since boot does.
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return static_cast<DWORD>(elapsed.count());
}
