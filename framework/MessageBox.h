// The one door through which the program shows message boxes. Tests put a recorder in
// its place; the default shows the real box with MessageBoxW.
#pragma once

#include <windows.h>

using MessageBoxHandler = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Shows a message box through the current handler and returns the button pressed.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces the handler (nullptr restores MessageBoxW) and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
