// Files of eiftool: whole-file reads and writes, and key files of hexadecimal text.
#pragma once

#include <string>

bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// Reads a key file: hexadecimal digits in pairs, white space allowed (and dropped). False,
// with error, when the file does not open or holds anything else.
bool ReadKeyFile(const std::wstring& path, std::string& hex, std::wstring& error);
