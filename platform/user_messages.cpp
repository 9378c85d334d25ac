// The thread's message queue, the mouse capture and the asynchronous key
// state, fed by the backends and by the injection API through one path.
#include <chrono>
#include <deque>

#include "platform/user_internal.h"

namespace tavrin {
namespace {

// Posted messages come before device input, as on Windows; WM_QUIT and
// WM_PAINT are not queued at all but made up when PeekMessageA finds nothing
// else: the quit after every posted message, the paint last of all.
std::deque<MSG> posted;

// Device input waits in arrival order. A pointer event keeps the window it
// was reported for and its screen position (hwnd and pt), and is given to a
// window only when it is taken out, as Windows does: a move or a release
// outside the window that came before the press was handled still reaches
// the window that took the capture on that press. Consecutive moves merge
// into the last one, as on Windows, so a storm of pointer input costs one
// message per turn of the loop and the queue stays short.
struct InputEvent {
    MSG msg;
    bool pointer = false;
};
std::deque<InputEvent> input;
bool quitPending = false;
int quitCode = 0;
HWND capture = nullptr;
POINT cursor = {0, 0};

struct KeyState {
    bool down = false;
    bool pressedSinceQuery = false;
};
KeyState keys[256];

DWORD Now() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

// Whether a peek would find anything: a posted message, device input, the
// quit, or a visible window with something to paint.
bool SomethingToTake() {
    if (!posted.empty() || !input.empty() || quitPending) return true;
    for (HWND h : AllWindows()) {
        const Window* w = LookUpWindow(h);
        if (w && w->visible && w->update.right > w->update.left && w->update.bottom > w->update.top) return true;
    }
    return false;
}

MSG Make(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m;
    m.hwnd = h;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = Now();
    m.pt = cursor;
    return m;
}

bool InRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

bool TakeFrom(std::deque<MSG>& queue, LPMSG out, HWND filter, UINT low, UINT high, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if ((filter && it->hwnd != filter) || !InRange(it->message, low, high)) continue;
        *out = *it;
        if (remove) queue.erase(it);
        return true;
    }
    return false;
}

// A coordinate as one signed 16-bit half of lParam; Windows keeps the low 16
// bits of larger values the same way.
WORD CoordinateWord(int64_t v) { return static_cast<WORD>(static_cast<uint64_t>(v) & 0xFFFFu); }

// Gives a pointer event its window now: the capture window, or without the
// capture the window it was reported for if it lies in its client area.
// False when it goes to no window.
bool ResolvePointer(MSG& m) {
    HWND target = CaptureWindow();
    Window* to = target ? LookUpWindow(target) : nullptr;
    bool captured = to != nullptr;
    if (!captured) {
        target = m.hwnd;
        to = LookUpWindow(target);
        if (!to) return false;
    }
    int64_t x = int64_t{m.pt.x} - to->clientOrigin.x, y = int64_t{m.pt.y} - to->clientOrigin.y;
    // Without the capture the pointer talks only to the window it is over.
    if (!captured && (x < 0 || y < 0 || x >= to->client.width || y >= to->client.height)) return false;
    m.hwnd = target;
    m.lParam = MAKELPARAM(CoordinateWord(x), CoordinateWord(y));
    return true;
}

bool TakeInput(LPMSG out, HWND filter, UINT low, UINT high, bool remove) {
    for (auto it = input.begin(); it != input.end();) {
        MSG m = it->msg;
        if (it->pointer && !ResolvePointer(m)) {
            it = input.erase(it);
            continue;
        }
        if ((filter && m.hwnd != filter) || !InRange(m.message, low, high)) {
            ++it;
            continue;
        }
        *out = m;
        if (remove) input.erase(it);
        return true;
    }
    return false;
}

void SetButton(int vk, bool down) {
    if (down && !keys[vk].down) keys[vk].pressedSinceQuery = true;
    keys[vk].down = down;
}

}  // namespace

HWND CaptureWindow() {
    if (capture && !LookUpWindow(capture)) capture = nullptr;
    return capture;
}

void DeliverKey(int vk, bool down) {
    if (vk <= 0 || vk > 255) return;
    bool wasDown = keys[vk].down;
    // Every press, auto-repeats included, counts as "pressed since the last
    // query"; bit 15 follows the key.
    if (down) keys[vk].pressedSinceQuery = true;
    keys[vk].down = down;
    HWND focus = FocusWindow();
    if (!focus) return;
    bool system = vk == VK_MENU || vk == VK_F10;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // lParam: repeat count 1; bit 30 the previous state; bit 31 set on release.
    DWORD flags = 1u;
    if (wasDown) flags |= 1u << 30;
    if (!down) flags |= (1u << 30) | (1u << 31);
    input.push_back({Make(focus, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(flags)), false});
}

void DeliverMouse(HWND source, UINT message, int clientX, int clientY, WPARAM mkFlags) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: SetButton(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: SetButton(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: SetButton(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: SetButton(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: SetButton(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: SetButton(VK_MBUTTON, false); break;
    case WM_MOUSEMOVE: break;
    default: return;
    }
    Window* from = LookUpWindow(source);
    if (!from) return;
    int64_t screenX = int64_t{from->clientOrigin.x} + clientX;
    int64_t screenY = int64_t{from->clientOrigin.y} + clientY;
    cursor = POINT{static_cast<LONG>(screenX), static_cast<LONG>(screenY)};
    if (message == WM_MOUSEMOVE && !input.empty()) {
        MSG& last = input.back().msg;
        if (input.back().pointer && last.message == WM_MOUSEMOVE && last.hwnd == source && last.wParam == mkFlags) {
            last.pt = cursor;
            last.time = Now();
            return;
        }
    }
    input.push_back({Make(source, message, mkFlags, 0), true});
}

void DeliverClose(HWND hWnd) {
    if (LookUpWindow(hWnd)) input.push_back({Make(hWnd, WM_CLOSE, 0, 0), false});
}

void ForgetWindowMessages(HWND hWnd) {
    for (auto it = posted.begin(); it != posted.end();) it = it->hwnd == hWnd ? posted.erase(it) : it + 1;
    for (auto it = input.begin(); it != input.end();) it = it->msg.hwnd == hWnd ? input.erase(it) : it + 1;
    if (capture == hWnd) capture = nullptr;
}

void CaptureLost(HWND hWnd) {
    if (!hWnd || CaptureWindow() != hWnd) return;
    capture = nullptr;
    SendMessageA(hWnd, WM_CAPTURECHANGED, 0, 0);
}

void ResetMessages() {
    posted.clear();
    input.clear();
    quitPending = false;
    quitCode = 0;
    capture = nullptr;
    cursor = POINT{0, 0};
    for (KeyState& k : keys) k = KeyState();
}

}  // namespace tavrin

using namespace tavrin;

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (!lpMsg) return FALSE;
    if (hWnd && !LookUpWindow(hWnd)) return FALSE;
    DisplayBackend().pumpEvents();
    bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    if (TakeFrom(posted, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) return TRUE;
    // A window filter never matches WM_QUIT, which belongs to no window.
    if (quitPending && !hWnd && InRange(WM_QUIT, wMsgFilterMin, wMsgFilterMax)) {
        *lpMsg = Make(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0);
        if (remove) quitPending = false;
        return TRUE;
    }
    if (TakeInput(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) return TRUE;
    if (InRange(WM_PAINT, wMsgFilterMin, wMsgFilterMax)) {
        // WM_PAINT stays due until BeginPaint validates the window.
        for (HWND h : AllWindows()) {
            Window* w = LookUpWindow(h);
            if (!w || !w->visible || (hWnd && h != hWnd)) continue;
            if (w->update.right > w->update.left && w->update.bottom > w->update.top) {
                *lpMsg = Make(h, WM_PAINT, 0, 0);
                return TRUE;
            }
        }
    }
    // The queue is empty: what was drawn and not yet shown is shown now.
    PresentDrawnWindows();
    return FALSE;
}

// Only the form a message loop uses: no objects, any input. It returns at
// once when something is waiting, as Windows does for input that came in
// since the queue was last read; otherwise it sleeps in the backend until
// a device event comes or the time is up.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE*, BOOL, DWORD dwMilliseconds, DWORD dwWakeMask) {
    if (nCount != 0 || (dwWakeMask & QS_ALLINPUT) == 0) return WAIT_FAILED;
    const bool forever = dwMilliseconds == INFINITE;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(forever ? 0 : dwMilliseconds);
    for (;;) {
        DisplayBackend().pumpEvents();
        if (SomethingToTake()) return WAIT_OBJECT_0;
        int left = -1;
        if (!forever) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= end) return WAIT_TIMEOUT;
            // Rounded up, so that the wait never ends before the deadline.
            left = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count());
        }
        DisplayBackend().waitForEvents(left);
    }
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (!lpMsg) return FALSE;
    UINT m = lpMsg->message;
    if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
    if (m != WM_KEYDOWN) return TRUE;
    WPARAM vk = lpMsg->wParam;
    bool shift = keys[VK_SHIFT].down || keys[VK_LSHIFT].down || keys[VK_RSHIFT].down;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z') {
        ch = shift ? static_cast<int>(vk) : static_cast<int>(vk) + ('a' - 'A');
    } else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE ||
               vk == VK_BACK || vk == VK_TAB) {
        ch = static_cast<int>(vk);
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        ch = '0' + static_cast<int>(vk - VK_NUMPAD0);
    } else if (vk == VK_ADD) {
        ch = '+';
    } else if (vk == VK_SUBTRACT) {
        ch = '-';
    } else if (vk == VK_MULTIPLY) {
        ch = '*';
    } else if (vk == VK_DIVIDE) {
        ch = '/';
    }
    // The character is read next, before anything else that is waiting.
    if (ch) posted.push_front(Make(lpMsg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), lpMsg->lParam));
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (!lpMsg) return 0;
    return CallWindowProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    // A null window posts to the thread itself.
    if (hWnd && !LookUpWindow(hWnd)) return FALSE;
    posted.push_back(Make(hWnd, Msg, wParam, lParam));
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcedure(hWnd, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
    quitPending = true;
    quitCode = nExitCode;
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

HWND WINAPI SetCapture(HWND hWnd) {
    HWND previous = CaptureWindow();
    Window* w = LookUpWindow(hWnd);
    if (!w) return nullptr;
    capture = hWnd;
    DisplayBackend().captureChanged(w);
    if (previous && previous != hWnd) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    }
    return previous;
}

BOOL WINAPI ReleaseCapture(void) {
    HWND previous = CaptureWindow();
    if (!previous) return TRUE;
    capture = nullptr;
    DisplayBackend().captureChanged(nullptr);
    SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture(void) { return CaptureWindow(); }

SHORT WINAPI GetAsyncKeyState(int vKey) {
    if (vKey < 0 || vKey > 255) return 0;
    KeyState& k = keys[vKey];
    // Bit 15 (the sign bit) while down; bit 0 once per press, cleared here.
    int value = (k.down ? 0x8000 : 0) | (k.pressedSinceQuery ? 1 : 0);
    k.pressedSinceQuery = false;
    return static_cast<SHORT>(value >= 0x8000 ? value - 0x10000 : value);
}
