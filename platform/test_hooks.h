// Our own additions to the Win32 subset, for tests and end-to-end checks:
// input that takes the same path as a real device event, a view of what a
// window shows, and a reset between test cases. Not part of Windows, so not
// part of win32.h; only code that exists for testing includes this
// (platform/test_hooks.cpp implements it).
#pragma once

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#include "platform/win32.h"

#ifdef __cplusplus
extern "C" {
#endif

// True when no real display is used: TAVRIN_HEADLESS=1. Without it, a
// program that finds no display it can open ends with a message and status 1.
bool TavrinIsHeadless(void);

// A key goes down or up, as the backends report a real key: the asynchronous
// key state is updated first (bit 15 while down, bit 0 set on the press),
// then WM_KEYDOWN or WM_KEYUP is posted to the focus window, the top-level
// window shown last.
void TavrinInjectKey(int vk, bool down);

// A pointer event at client coordinates of the focus window (or, when no
// window has the focus, of the capture window): WM_MOUSEMOVE, WM_LBUTTONDOWN and
// the other button messages, with the MK_ flags in mkFlags. Without the
// capture, events outside the client area are not delivered.
void TavrinInjectMouse(UINT message, int clientX, int clientY, WPARAM mkFlags);

// The window's close button: WM_CLOSE is posted to it.
void TavrinInjectClose(HWND hWnd);

// What the window's client area shows now, 0x00RRGGBB per pixel, row by row;
// null for a handle that is not a live window. Valid until the next call
// into the platform.
const uint32_t* TavrinWindowPixels(HWND hWnd, int* width, int* height);

// The user drags the window's frame to a new outer size: the client area
// follows, WM_SIZE is sent and the update region grows as on Windows.
BOOL TavrinResizeWindow(HWND hWnd, int outerWidth, int outerHeight);

// Tears down every window and class, the message queue, the capture and the
// key state, so one test binary can create a program's window many times.
// GDI objects are left alone: one a test leaked stays counted. Hands the
// window floor its backend, as the start-up code does, if it has none yet.
void TavrinResetForTests(void);

// How many times the window has been handed to the backend to be shown.
unsigned TavrinPresentations(HWND hWnd);

#ifdef __cplusplus
}
#endif
