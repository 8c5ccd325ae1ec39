// The commands of eiftool. Each takes the arguments after its name and returns the exit
// code: 0 on success, 1 when the work failed, 2 when the arguments were wrong.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::wstring>;

int RunKeygen(Arguments args);
int RunPack(Arguments args);
int RunUnpack(Arguments args);
int RunLint(Arguments args);
int RunPreflight(Arguments args);

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
