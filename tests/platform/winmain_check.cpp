// WinMain as the start-up helper calls it: exit status 0 only when every
// argument arrived as Windows would pass them.
#include <cstring>

#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
    if (hInstance != GetModuleHandleA(nullptr) || !hInstance) return 1;
    if (hPrevInstance) return 2;
    if (std::strcmp(lpCmdLine, "alpha \"two words\"") != 0) return 3;
    if (nShowCmd != SW_SHOWDEFAULT) return 4;
    return 0;
}
