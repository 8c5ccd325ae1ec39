// Whole-file reads for the description reader.
#pragma once

#include <cstddef>

#include "framework/String.h"

// Opens the file for reading without sharing and reads all of it into a newly allocated
// block (released by the caller with delete[]), followed by zeroBytes zero bytes. Returns
// nullptr when the file does not open, is empty, or is too large for a 32-bit length.
unsigned char* ReadFileContents(const CString& path, int& length, std::size_t zeroBytes);
