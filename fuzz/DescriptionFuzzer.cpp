// Fuzz target: the description reader on any bytes. The input is a plain description file
// (".ini") as a download or a program folder could bring it: decoding (ANSI or UTF-16),
// comments, variables and the End rule in Load, then every lookup the bootstrapper makes:
// the tags it reads, both list walks, and the containment test on every name taken from it.
#include <cstddef>
#include <cstdint>

#include "description/IniParser.h"
#include "framework/MessageBox.h"
#include "fs/Paths.h"
#include "fs/RelativePath.h"
#include "fuzz/shim/MemoryFiles.h"

namespace {

const wchar_t kProgram[] = L"C:\\e2e\\fuzz\\Setup_Fuzz_1.exe";
const wchar_t kName[] = L"SetupInitial.ini";

int AnswerOk(HWND, const wchar_t*, const wchar_t*, UINT) { return IDOK; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetMessageBoxHandler(&AnswerOk);
    SetProgramFolder(kProgram);
    PutMemoryFile((GetProgramFolder() + kName).str(), data, size);
    {
        CIniParser parser;
        parser.Load(kName);
        parser.IsLoaded();
        for (const wchar_t* tag : {L"Download Initial Setup", L"Download Path", L"User Info Filename",
                                   L"Program to run", L"End"}) {
            IsContainedRelativePath(parser.GetValue(tag));
            parser.GetValue(tag, 3);
        }
        CString source, destination, site;
        // Each list ends at its first empty line, so a walk visits at most one entry a line.
        for (bool more = parser.GetFirstFile(source, destination); more; more = parser.GetNextFile(source, destination))
            IsContainedRelativePath(destination);
        for (bool more = parser.GetFirstSite(site); more; more = parser.GetNextSite(site)) {
        }
    }
    ClearMemoryFiles();
    return 0;
}
