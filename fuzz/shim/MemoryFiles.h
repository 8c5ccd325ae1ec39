// The fuzz build's file system: files held in memory by path, so that the readers under test
// open, read and close real handles without touching the disk.
#pragma once

#include <cstddef>
#include <string>

// Makes path (backslashes, as the code under test writes them) name a file with these bytes.
void PutMemoryFile(const std::wstring& path, const unsigned char* data, std::size_t size);
// Removes every file and fails the process when a handle is still open: no reader may leak one.
void ClearMemoryFiles();
