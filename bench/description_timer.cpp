// Times the description reader on one container: Load (file, decryption, decoding, comments,
// variables, the End rule) and then one walk of "Files to download"; and, to show where the
// time of Load goes, the decryption of the same container on its own.
//
//   bench_description.exe CONTAINER REPEATS OUT_FILE
//
// OUT_FILE receives one line per repeat: load_ms walk_ms decrypt_ms entries.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include <PrivateKey.h>

#include "description/ContainerReader.h"
#include "description/FileContents.h"
#include "description/IniParser.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const int repeats = _wtoi(argv[2]);
    FILE* out = _wfopen(argv[3], L"w");
    if (!out) return 2;
    int status = 0;
    for (int r = 0; r < repeats; ++r) {
        LARGE_INTEGER t0, t1, t2, t3, t4;
        CIniParser parser;
        QueryPerformanceCounter(&t0);
        bool loaded = parser.Load(argv[1]);
        QueryPerformanceCounter(&t1);
        int entries = 0;
        CString source, destination;
        for (bool more = parser.GetFirstFile(source, destination); more; more = parser.GetNextFile(source, destination))
            ++entries;
        QueryPerformanceCounter(&t2);

        int fileLength = 0;
        unsigned char* contents = ReadFileContents(argv[1], fileLength, 0);
        unsigned char* plaintext = nullptr;
        int length = 0;
        QueryPerformanceCounter(&t3);
        if (contents) DecryptContainer(contents, static_cast<std::size_t>(fileLength), kSetupPrivateKeyHex, plaintext, length);
        QueryPerformanceCounter(&t4);
        delete[] plaintext;
        delete[] contents;

        if (!loaded) status = 1;
        fprintf(out, "%.3f %.3f %.3f %d\n", Milliseconds(t0, t1), Milliseconds(t1, t2), Milliseconds(t3, t4), entries);
    }
    fclose(out);
    return status;
}
