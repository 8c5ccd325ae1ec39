// Command-line helpers of eiftool: numeric options and argument counts.
#pragma once

#include <string>

#include "tools/eiftool/Commands.h"

// Removes "--name N" from args when it is there. True when absent (value untouched) or
// present with a whole number from low to high; false, with error, otherwise.
bool TakeNumberOption(Arguments& args, const std::wstring& name, unsigned long low, unsigned long high,
                      unsigned long& value, std::wstring& error);

// False, with error, when an argument left in args is an option ("--...") or when args does
// not hold exactly count arguments.
bool ExpectPositional(const Arguments& args, size_t count, std::wstring& error);

// Removes every "--name VALUE" from args and appends the values, in order, to values. False,
// with error, when a "--name" has no value after it.
bool TakeTextOptions(Arguments& args, const std::wstring& name, std::vector<std::wstring>& values,
                     std::wstring& error);
