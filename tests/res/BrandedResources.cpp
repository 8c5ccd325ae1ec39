// A program that only carries resources: the resource script of Setup.exe built with another
// banner, icon and manifest identity, so that a test can read them back from a built file.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
