#pragma once
// Headless host: the host's windows and the few Windows functions that
// add-ons call on them.
//
// The host has three windows: the main frame, the drawing view and the
// command line. Each is a record that keeps every message it is given, in
// order, with whether it was sent or posted; the harness (hostharness.h)
// reads them, can make a window absent and can set what a window answers.
// A window that was made absent is not found: acedGetAcadFrame and its
// siblings answer null, and messages to its old handle answer 0 and are not
// kept. The command line answers WM_CHAR 27 (escape) by cancelling the
// commands that the harness marked active ("CMDNAMES" empties), as the real
// command line does.
//
// GetModuleFileNameW(nullptr, ...) answers the path of the host program: a
// stand-in file name "acad" in the folder that holds the host library
// (libdrovik_host), where the build and the installation put the host's
// support files (acadiso.lin). The harness can set another path.
#include "windef.h"

struct HWND__;
using HWND = HWND__*;

enum : UINT {
    WM_NULL = 0x0000,
    WM_SETFOCUS = 0x0007,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_MOUSEMOVE = 0x0200,
};

// Sends the message and answers the window's reply (0 for no window).
LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message; TRUE when the window exists.
BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Makes the window active; answers the previously active window (null when
// none or when hWnd is not a window).
HWND SetActiveWindow(HWND hWnd);
// Enables or disables input; answers TRUE when the window was disabled.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindow(HWND hWnd);
#define SendMessage SendMessageW
#define PostMessage PostMessageW

// The full path of the module (null: the host program) into buffer, cut to
// size characters with the terminator; answers the length copied (size when
// cut), 0 for an unknown module or a null buffer.
DWORD GetModuleFileNameW(HMODULE hModule, wchar_t* buffer, DWORD size);
#define GetModuleFileName GetModuleFileNameW
