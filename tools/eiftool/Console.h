// Messages of eiftool: progress to standard output, failures to standard error.
#pragma once

#include <string>

// The text of a narrow (ANSI) string, for library messages.
std::wstring Widen(const std::string& text);

void Say(const std::wstring& message);
// Prints "eiftool: " and the message to standard error and returns code.
int Fail(int code, const std::wstring& message);
