// The two kernel calls the program makes: the process and the module.
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
