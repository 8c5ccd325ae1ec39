// The user info file: facts about this run and the user's folders, left in the working
// folder for the final setup, in the system's ANSI code page with LF line ends.
#include "app/SetupApp.h"

#include "app/Messages.h"
#include "framework/File.h"
#include "fs/Paths.h"
#include "fs/RelativePath.h"

using namespace setup_text;

std::string WideToAnsi(CString text) { return text.ToAnsi(); }

bool CSetupApp::WriteUserInfoFile(CString folder, CString programPath, CString workingFolder, CString downloadSite,
                                  CString applicationName, CString installationTime) {
    struct Block {
        const wchar_t* tag;
        CString value;
    };
    const Block blocks[] = {
        {L"[Initial Setup Pathname]\n", programPath},
        {L"[Setup Temp Folder]\n", workingFolder},
        {L"[Download Site]\n", downloadSite},
        {L"[Start Menu Folder]\n", GetStartMenuFolder()},
        {L"[Desktop Folder]\n", GetDesktopFolder()},
        {L"[My Documents Folder]\n", GetMyDocumentsFolder()},
        {L"[Application Name]\n", applicationName},
        {L"[Installed on GM Time]\n", installationTime},
    };
    CString text(L"// User specific info.\n\n");
    for (const Block& block : blocks) text += block.tag + block.value + L"\n\n";
    text += L"[End]\nEnd\n";

    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\') folder += L'\\';
    CString name = m_iniParser.GetValue(kTagUserInfoFilename);
    // The file belongs inside the folder; a name that leads elsewhere is not written.
    if (!IsContainedRelativePath(name)) return false;

    CFile file;
    if (!file.Open(folder + name, CFile::modeCreate | CFile::modeWrite)) return false;
    std::string bytes = WideToAnsi(text);
    bool written = file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.Close();
    return written;
}
