// Host shim for the native fuzz build: the shell's special-folder query.
#pragma once

#include <windows.h>

#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_DESKTOPDIRECTORY 0x0010

BOOL SHGetSpecialFolderPathW(HWND owner, wchar_t* path, int csidl, BOOL create);
