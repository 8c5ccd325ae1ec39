// Option and input handling shared by lint and preflight.
#include "tools/eiftool/CheckedDescription.h"

#include "tools/eiftool/Arguments.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"

int ReadCheckedDescription(const wchar_t* command, Arguments& args, std::wstring& path, DescriptionSource& source) {
    std::wstring prefix = std::wstring(command) + L": ";
    std::vector<std::wstring> keys;
    std::wstring error;
    if (!TakeTextOptions(args, L"--key", keys, error) || keys.size() > 1 || !ExpectPositional(args, 1, error))
        return Fail(kExitUsage, prefix + (error.empty() ? L"--key given twice" : error));
    std::string keyHex = CompiledInKeyHex();
    if (!keys.empty() && !ReadKeyFile(keys[0], keyHex, error)) return Fail(kExitUnreadable, prefix + error);
    path = args[0];
    if (!ReadDescriptionSource(path, keyHex, source, error)) return Fail(kExitUnreadable, prefix + error);
    return 0;
}
