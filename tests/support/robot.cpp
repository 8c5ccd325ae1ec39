// The user robot: runs beside a program under test in the same Wine session and acts as
// its user. It answers every message box by pressing OK and writes one JSON line per box
// (caption, text, and the progress window as it stood then), plus a line whenever the
// progress window's title or z-order changes. It stops when the stop file appears.
// With SETUP_ROBOT_WATCH_PAINT set in its environment it also watches the painting of the
// bar: every 200 ms it marks the bar as needing paint and, at the next look, writes whether
// the program has painted it meanwhile (a program without a message loop paints only when
// it redraws the bar itself).
//
//   robot.exe LOG STOPFILE
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

FILE* g_log = nullptr;

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[2048] = {};
    GetWindowTextW(window, buffer, 2048);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

// The box's icon: control 0x14 on Windows, 0x440 in Wine's box; hidden when there is none.
bool HasVisibleIcon(HWND box) {
    for (int id : {0x14, 0x440}) {
        HWND icon = GetDlgItem(box, id);
        if (icon && IsWindowVisible(icon)) return true;
    }
    return false;
}

bool IsTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Asks the bar of the progress window; a thread that pumps no messages does not answer.
long Ask(HWND bar, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(bar, message, wParam, 0, SMTO_ABORTIFHUNG, 200, &result)) return -1;
    return static_cast<long>(result);
}

BOOL CALLBACK FindProgressProc(HWND window, LPARAM param) {
    HWND bar = GetDlgItem(window, 1000);
    if (bar && ClassOf(bar) == L"msctls_progress32" && ClassOf(window) == L"#32770") {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProgressWindow() {
    HWND found = nullptr;
    EnumWindows(&FindProgressProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The banner control is shown and has nothing left to paint.
bool BannerPainted(HWND window) {
    HWND banner = GetDlgItem(window, 1026);
    return banner && IsWindowVisible(banner) && !GetUpdateRect(banner, nullptr, FALSE);
}

std::string ProgressState(bool askBar) {
    HWND window = FindProgressWindow();
    if (!window) return "null";
    std::string state = "{\"title\":" + Json(TextOf(window)) + ",\"topmost\":" + (IsTopmost(window) ? "true" : "false") +
                        ",\"visible\":" + (IsWindowVisible(window) ? "true" : "false") +
                        ",\"bannerPainted\":" + (BannerPainted(window) ? "true" : "false");
    if (askBar) {
        HWND bar = GetDlgItem(window, 1000);
        state += ",\"low\":" + std::to_string(Ask(bar, PBM_GETRANGE, TRUE)) +
                 ",\"high\":" + std::to_string(Ask(bar, PBM_GETRANGE, FALSE)) +
                 ",\"pos\":" + std::to_string(Ask(bar, PBM_GETPOS, 0));
    }
    return state + "}";
}

void Write(const std::string& line) {
    fprintf(g_log, "%s\n", line.c_str());
    fflush(g_log);
}

struct FoundBoxes {
    HWND boxes[16];
    int count = 0;
};

BOOL CALLBACK FindBoxesProc(HWND window, LPARAM param) {
    auto* f = reinterpret_cast<FoundBoxes*>(param);
    if (f->count < 16 && ClassOf(window) == L"#32770" && GetDlgItem(window, 0xFFFF) && IsWindowVisible(window))
        f->boxes[f->count++] = window;
    return TRUE;
}

// Message boxes: dialog windows with the static text control 0xFFFF and an OK button.
void AnswerBoxes(std::set<HWND>& answered) {
    FoundBoxes found;
    EnumWindows(&FindBoxesProc, reinterpret_cast<LPARAM>(&found));
    for (int i = 0; i < found.count; ++i) {
        HWND box = found.boxes[i];
        if (answered.count(box)) continue;
        answered.insert(box);
        HWND owner = GetWindow(box, GW_OWNER);
        Write("{\"kind\":\"box\",\"caption\":" + Json(TextOf(box)) + ",\"text\":" +
              Json(TextOf(GetDlgItem(box, 0xFFFF))) + ",\"owned\":" + (owner ? "true" : "false") +
              ",\"icon\":" + (HasVisibleIcon(box) ? "true" : "false") + ",\"progress\":" + ProgressState(true) + "}");
        HWND ok = GetDlgItem(box, IDOK);
        if (ok) {
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        } else {
            PostMessageW(box, WM_CLOSE, 0, 0);
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: robot.exe LOG STOPFILE\n");
        return 2;
    }
    g_log = _wfopen(argv[1], L"w");
    if (!g_log) return 2;
    const wchar_t* stopFile = argv[2];
    std::set<HWND> answered;
    std::string lastProgress;
    const bool watchPaint = GetEnvironmentVariableW(L"SETUP_ROBOT_WATCH_PAINT", nullptr, 0) > 0;
    HWND marked = nullptr;
    DWORD lastMark = GetTickCount();
    Write("{\"kind\":\"start\"}");
    while (GetFileAttributesW(stopFile) == INVALID_FILE_ATTRIBUTES) {
        AnswerBoxes(answered);
        if (watchPaint && GetTickCount() - lastMark >= 200) {
            lastMark = GetTickCount();
            HWND window = FindProgressWindow();
            HWND bar = window ? GetDlgItem(window, 1000) : nullptr;
            if (marked && marked == bar) {
                RECT pending;
                Write(std::string("{\"kind\":\"paint\",\"repainted\":") +
                      (GetUpdateRect(bar, &pending, FALSE) ? "false" : "true") + "}");
            }
            if (bar) InvalidateRect(bar, nullptr, FALSE);
            marked = bar;
        }
        std::string progress = ProgressState(false);
        if (progress != lastProgress) {
            Write("{\"kind\":\"progress\",\"state\":" + progress + "}");
            lastProgress = progress;
        }
        Sleep(10);
    }
    Write("{\"kind\":\"stop\"}");
    fclose(g_log);
    return 0;
}
