// eiftool lint: the traps a description falls into under the reader's rules, one a line as
// "FILE:LINE: message" ("FILE: message" for the description as a whole).
#include "tools/eiftool/CheckedDescription.h"
#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/DescriptionLint.h"

int RunLint(Arguments args) {
    std::wstring path;
    DescriptionSource source;
    if (int code = ReadCheckedDescription(L"lint", args, path, source)) return code;

    LintSubject subject;
    subject.stored = source.stored;
    subject.isContainer = source.isContainer;
    subject.containerSize = source.isContainer
                                ? source.fileSize
                                : PackedContainerSize(source.stored.size(), source.blockLength, source.maxPieceLength);
    std::vector<LintFinding> findings = LintDescription(subject);
    for (const LintFinding& finding : findings)
        Say(path + (finding.line > 0 ? L":" + std::to_wstring(finding.line) : L"") + L": " + finding.message);
    return findings.empty() ? 0 : kExitFailed;
}
