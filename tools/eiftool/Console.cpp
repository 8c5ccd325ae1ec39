// Console output of eiftool.
#include "tools/eiftool/Console.h"

#include <windows.h>

#include <cstdio>

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(units > 0 ? units : 0, L'\0');
    if (units > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

void Say(const std::wstring& message) { fwprintf(stdout, L"%ls\n", message.c_str()); }

int Fail(int code, const std::wstring& message) {
    fwprintf(stderr, L"eiftool: %ls\n", message.c_str());
    return code;
}
