// Loading stored bytes through CIniParser, and the message-box recorder.
#include "tools/eiftool/ReaderLoad.h"

#include <windows.h>

#include "framework/MessageBox.h"
#include "tools/eiftool/Files.h"

namespace {

std::vector<std::wstring> g_recordedTexts;
int g_recorders = 0;
MessageBoxHandler g_previousHandler = nullptr;

int RecordBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
    g_recordedTexts.push_back(text ? text : L"");
    return IDOK;
}

const wchar_t kTemporaryPrefix[] = L"eif";
const wchar_t kPlainSuffix[] = L".ini";  // the reader takes such a name as a plain file

}  // namespace

CRecordedMessageBoxes::CRecordedMessageBoxes() {
    if (g_recorders++ == 0) g_previousHandler = SetMessageBoxHandler(RecordBox);
}

CRecordedMessageBoxes::~CRecordedMessageBoxes() {
    if (--g_recorders == 0) {
        SetMessageBoxHandler(g_previousHandler);
        g_recordedTexts.clear();
    }
}

const std::vector<std::wstring>& CRecordedMessageBoxes::Texts() const { return g_recordedTexts; }

void CRecordedMessageBoxes::Clear() { g_recordedTexts.clear(); }

bool LoadStoredDescription(CIniParser& reader, const std::string& stored, bool& loaded, std::wstring& error) {
    loaded = false;
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, kTemporaryPrefix, 0, name)) {
        error = L"cannot make a temporary file";
        return false;
    }
    // GetTempFileName created the file; the plain copy goes beside it under a ".ini" name.
    std::wstring plain = std::wstring(name) + kPlainSuffix;
    bool written = WriteFileBytes(plain, stored);
    DeleteFileW(name);
    if (!written) {
        DeleteFileW(plain.c_str());
        error = L"cannot write the temporary file " + plain;
        return false;
    }
    loaded = true;
    // The temporary path is a full path (its second character is ':'), as the reader wants.
    bool complete = reader.Load(plain.c_str());
    DeleteFileW(plain.c_str());
    return complete;
}
