// Message box door.
#include "framework/MessageBox.h"

namespace {
int RealMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}
MessageBoxHandler g_handler = &RealMessageBox;
}  // namespace

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return g_handler(owner, text, caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = g_handler;
    g_handler = handler ? handler : &RealMessageBox;
    return previous;
}
