// The Win32 USER/GDI subset the program is written against. On Windows this
// is <windows.h> itself; elsewhere it declares the same names with the same
// types and values, implemented by the tavrin_platform library.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdint>

struct HDC__;
typedef HDC__* HDC;
#endif
