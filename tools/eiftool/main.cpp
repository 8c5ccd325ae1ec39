// eiftool: the publisher's tool for encrypted setup description containers (.eif).
//   eiftool keygen PRIVATE.hex PUBLIC.hex [--bits N]   a new RSA key pair
//   eiftool pack PUBLIC.hex DESCRIPTION OUT.eif [--piece N]   a description into a container
//   eiftool unpack PRIVATE.hex IN.eif OUT   a container's plaintext back
//   eiftool lint DESCRIPTION|CONTAINER [--key PRIVATE.hex]   the traps of the reader's rules
//   eiftool preflight DESCRIPTION|CONTAINER [--key PRIVATE.hex] [--app NAME] [--host H]...
//                                           what a run will find on the servers
// Each command lives in a file of its own; a new one is a line in the table below.
#include <cstdio>

#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(Arguments args);
    const wchar_t* usage;
};

const Command kCommands[] = {
    {L"keygen", RunKeygen, L"keygen PRIVATE.hex PUBLIC.hex [--bits N]   new RSA key pair (1024 bits unless told)"},
    {L"pack", RunPack, L"pack PUBLIC.hex DESCRIPTION OUT.eif [--piece N]   encrypt a description into a container"},
    {L"unpack", RunUnpack, L"unpack PRIVATE.hex IN.eif OUT   decrypt a container back into its description"},
    {L"lint", RunLint, L"lint DESCRIPTION|CONTAINER [--key PRIVATE.hex]   find the traps of the reader's rules"},
    {L"preflight", RunPreflight,
     L"preflight DESCRIPTION|CONTAINER [--key PRIVATE.hex] [--app NAME] [--host H]...   check the live servers"},
};

int Usage(int code) {
    fwprintf(code == 0 ? stdout : stderr, L"usage: eiftool COMMAND ARGUMENTS\n");
    for (const Command& command : kCommands) fwprintf(code == 0 ? stdout : stderr, L"  eiftool %ls\n", command.usage);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage(kExitUsage);
    std::wstring name = argv[1];
    if (name == L"help" || name == L"--help" || name == L"-h") return Usage(0);
    for (const Command& command : kCommands)
        if (name == command.name) return command.run(Arguments(argv + 2, argv + argc));
    Fail(kExitUsage, L"unknown command '" + name + L"'");
    return Usage(kExitUsage);
}
