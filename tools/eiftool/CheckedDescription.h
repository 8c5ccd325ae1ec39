// The start the checking commands (lint, preflight) share: the "--key PRIVATE.hex" option
// and the description or container named on the command line.
#pragma once

#include <string>

#include "tools/eiftool/Commands.h"
#include "tools/eiftool/DescriptionSource.h"

// Takes "--key" out of args (the compiled-in key when it is absent) and reads the file the
// one argument left names. Returns 0, or the exit code after its message: kExitUsage for
// wrong arguments, kExitUnreadable when the key or the file cannot be read.
int ReadCheckedDescription(const wchar_t* command, Arguments& args, std::wstring& path, DescriptionSource& source);

constexpr int kExitUnreadable = 2;
