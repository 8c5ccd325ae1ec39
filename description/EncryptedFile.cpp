// CIniParser::ReadEncryptedFile: a container file in, its plaintext out.
#include "description/ContainerReader.h"
#include "description/FileContents.h"
#include "description/IniParser.h"

void CIniParser::ReadEncryptedFile(CString path, unsigned char*& data, int& length, const char* key) {
    int fileLength = 0;
    unsigned char* contents = ReadFileContents(path, fileLength, 0);
    if (!contents) return;
    // Every failure is told only by the missing data; the caller reports it.
    DecryptContainer(contents, static_cast<std::size_t>(fileLength), key, data, length);
    delete[] contents;
}
