// Times a program's start-up from outside, as its user sees it: from the moment it is
// started to the moment its first window is on the screen and painted (visible, with no
// pending update region of its own). Controls are not waited for: a program that runs no
// message loop paints them only when it forces each one.
//
//   bench_startup_probe.exe OUT_FILE CLOSE PROGRAM
//
// OUT_FILE receives the milliseconds, or "timeout". With CLOSE 1 the window is then sent
// WM_CLOSE (the floor dialog ends so); with 0 the program is left to finish its run. The
// probe waits for the program to end either way.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kGiveUpMs = 30000;
constexpr DWORD kEndWaitMs = 120000;

struct Search {
    DWORD process;
    HWND found;
};

bool Painted(HWND window) { return IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE); }

BOOL CALLBACK FindPainted(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !Painted(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const bool close = argv[2][0] == L'1';
    std::wstring program = argv[3];
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    std::wstring commandLine = L"\"" + program + L"\"";

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return 3;

    Search search = {info.dwProcessId, nullptr};
    double elapsedMs = 0;
    for (;;) {
        EnumWindows(FindPainted, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        elapsedMs = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (search.found || elapsedMs > kGiveUpMs) break;
        if (WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
    }

    FILE* out = _wfopen(argv[1], L"w");
    if (out) {
        if (search.found)
            fprintf(out, "%.3f\n", elapsedMs);
        else
            fprintf(out, "timeout\n");
        fclose(out);
    }
    if (search.found && close) PostMessageW(search.found, WM_CLOSE, 0, 0);
    WaitForSingleObject(info.hProcess, kEndWaitMs);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return search.found ? 0 : 1;
}
