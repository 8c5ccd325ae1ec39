// Helpers shared by the unit test programs: scratch folders on the real file system,
// whole-file reads and writes, and a recorder for the message boxes the code shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"

namespace testing_support {

// A fresh, empty folder under %TEMP%, removed with everything in it at destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The folder, without a trailing backslash.
    const CString& Path() const { return m_path; }
    CString operator/(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Removes a folder tree, clearing read-only attributes on the way.
void RemoveTree(const CString& path);

bool WriteBytes(const CString& path, const std::string& bytes);
std::string ReadBytes(const CString& path);
bool IsFolder(const CString& path);
DWORD Attributes(const CString& path);

// The UTF-8 form of a wide string, for readable assertion messages.
std::string Narrow(const CString& text);

// Records the message boxes shown through the framework's message box door while it lives,
// answering each with IDOK.
struct RecordedBox {
    CString text;
    CString caption;
    UINT type;
    HWND owner;
};
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    const std::vector<RecordedBox>& Boxes() const;
    void Clear();
};

// Directory of the test data files (the SETUP_TEST_DATA environment variable).
CString TestDataFolder();

}  // namespace testing_support
