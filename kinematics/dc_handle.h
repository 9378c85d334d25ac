// The drawing-context handle, the one thing of the Win32 API that the leg
// model holds (it is handed the buffers to draw into; the drawing code lives
// in render/). Declared exactly as <windows.h> declares it with STRICT, so
// that either header may come first.
#pragma once

struct HDC__;
typedef struct HDC__* HDC;
