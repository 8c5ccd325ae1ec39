// Whole-file reads over CFile.
#include "description/FileContents.h"

#include <climits>

#include "framework/File.h"

unsigned char* ReadFileContents(const CString& path, int& length, std::size_t zeroBytes) {
    length = 0;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareExclusive)) return nullptr;
    const ULONGLONG size = file.GetLength();
    if (size == 0 || size > static_cast<ULONGLONG>(INT_MAX) - zeroBytes) return nullptr;
    unsigned char* block = new unsigned char[static_cast<std::size_t>(size) + zeroBytes]();
    ULONGLONG got = 0;
    while (got < size) {
        UINT n = file.Read(block + got, static_cast<UINT>(size - got));
        if (n == 0) break;  // the file shrank under us: what arrived is what there is
        got += n;
    }
    if (got == 0) {
        delete[] block;
        return nullptr;
    }
    length = static_cast<int>(got);
    return block;
}
