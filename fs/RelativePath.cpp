// Containment test for relative paths from a setup description.
#include "fs/RelativePath.h"

namespace {

// CON, PRN, AUX, NUL, COM0 to COM9 and LPT0 to LPT9 name devices in every folder,
// with or without an extension; so do COM and LPT with a superscript 1, 2 or 3.
bool IsDeviceName(CString component) {
    int dot = component.Find(L'.');
    if (dot >= 0) component = component.Left(dot);
    component.TrimRight();
    component.MakeUpper();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (component == device) return true;
    if (component.GetLength() == 4 && (component.Left(3) == L"COM" || component.Left(3) == L"LPT"))
        return (component[3] >= L'0' && component[3] <= L'9') || component[3] == L'\u00B9' ||
               component[3] == L'\u00B2' || component[3] == L'\u00B3';
    return false;
}

}  // namespace

bool IsContainedRelativePath(const CString& path) {
    if (path.IsEmpty()) return false;
    CString p(path);
    p.Replace(L'/', L'\\');
    if (p[0] == L'\\') return false;           // rooted, or a network path
    if (p.Find(L':') >= 0) return false;       // a drive, or a stream of another file
    int start = 0;
    while (start <= p.GetLength()) {
        int end = p.Find(L'\\', start);
        if (end < 0) end = p.GetLength();
        CString component = p.Mid(start, end - start);
        CString trimmed(component);
        trimmed.Trim();
        // Windows drops trailing dots and blanks, so ". ." and "..." lead upwards as well.
        bool onlyDots = !trimmed.IsEmpty();
        for (int i = 0; i < trimmed.GetLength(); ++i)
            if (trimmed[i] != L'.' && trimmed[i] != L' ') onlyDots = false;
        if (onlyDots && trimmed != L".") return false;
        if (IsDeviceName(component)) return false;
        start = end + 1;
    }
    return true;
}
