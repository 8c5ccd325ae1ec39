// Files of eiftool over the C runtime's wide-path streams.
#include "tools/eiftool/Files.h"

#include <windows.h>

#include <cstdio>
#include <cwctype>

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    std::string data;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
    bool ok = !ferror(file);
    fclose(file);
    if (ok) bytes.swap(data);
    return ok;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = fclose(file) == 0 && ok;
    return ok;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadKeyFile(const std::wstring& path, std::string& hex, std::wstring& error) {
    std::string text;
    if (!ReadFileBytes(path, text)) {
        error = L"cannot read the key file " + path;
        return false;
    }
    std::string digits;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (isspace(c)) continue;
        if (!isxdigit(c)) {
            error = path + L" is not a key file: it holds characters other than hexadecimal digits";
            return false;
        }
        digits += ch;
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        error = path + L" is not a key file: it needs hexadecimal digits in pairs";
        return false;
    }
    hex.swap(digits);
    return true;
}
