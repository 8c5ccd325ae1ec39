// Command-line helpers of eiftool.
#include "tools/eiftool/Arguments.h"

#include <cwchar>

bool TakeNumberOption(Arguments& args, const std::wstring& name, unsigned long low, unsigned long high,
                      unsigned long& value, std::wstring& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) {
            error = name + L" needs a number";
            return false;
        }
        const std::wstring& text = args[i + 1];
        wchar_t* end = nullptr;
        unsigned long number = wcstoul(text.c_str(), &end, 10);
        if (text.empty() || *end != L'\0' || text[0] == L'-' || number < low || number > high) {
            error = name + L" takes a whole number from " + std::to_wstring(low) + L" to " + std::to_wstring(high) +
                    L", not '" + text + L"'";
            return false;
        }
        value = number;
        args.erase(args.begin() + i, args.begin() + i + 2);
        return true;
    }
    return true;
}

bool ExpectPositional(const Arguments& args, size_t count, std::wstring& error) {
    for (const std::wstring& arg : args) {
        if (arg.size() > 2 && arg.compare(0, 2, L"--") == 0) {
            error = L"unknown option " + arg;
            return false;
        }
    }
    if (args.size() != count) {
        error = L"expected " + std::to_wstring(count) + L" arguments, got " + std::to_wstring(args.size());
        return false;
    }
    return true;
}

bool TakeTextOptions(Arguments& args, const std::wstring& name, std::vector<std::wstring>& values,
                     std::wstring& error) {
    for (size_t i = 0; i < args.size();) {
        if (args[i] != name) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = name + L" needs a value";
            return false;
        }
        values.push_back(args[i + 1]);
        args.erase(args.begin() + i, args.begin() + i + 2);
    }
    return true;
}
