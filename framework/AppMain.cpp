// The entry point of a program built on CWinApp: runs the static application object.
// Linked into programs only (test binaries have their own main).
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    return app ? app->Start(instance) : 0;
}
