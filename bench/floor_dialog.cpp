// The start-up floor: a minimal Windows program that shows one dialog (floor_dialog.rc) and
// ends when the dialog is closed. The start-up benchmark times the bootstrapper against it.
#include <windows.h>

namespace {

constexpr int kDialog = 100;

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE) {
        EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(kDialog), nullptr, DialogProc, 0);
    return 0;
}
