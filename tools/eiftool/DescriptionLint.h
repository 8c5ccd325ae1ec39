// eiftool lint's checks: the traps of the description reader's rules that a description
// falls into, each with the line it is on, found by reading the description with the
// bootstrapper's own reader and comparing what it gets with what the lines suggest.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct LintFinding {
    int line;              // 1-based line of the description; 0 for the description as a whole
    std::wstring message;  // what is wrong and what the run makes of it
};

struct LintSubject {
    std::string stored;             // the description's stored form (a container's plaintext)
    bool isContainer = false;       // stored came out of a container of containerSize bytes
    std::size_t containerSize = 0;  // the container's size, or the size packing stored would give
};

// Every finding, in line order (whole-description findings first).
std::vector<LintFinding> LintDescription(const LintSubject& subject);
