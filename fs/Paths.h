// The program folder, path splitting and the special folders.
// The program folder and SplitPath's folder keep their trailing backslash; the special
// folders come back with exactly one trailing backslash removed (a drive root C:\ gives C:).
// None of these fails loudly: a folder that cannot be found is an empty string.
#pragma once

#include "framework/String.h"

// Records the folder of the file at path, lower-cased (A to Z only), with its backslash.
void SetProgramFolder(CString path);
CString GetProgramFolder();

// Splits path (forward slashes count as backslashes) at its last backslash.
void SplitPath(CString path, CString& folder, CString& name);

CString GetProgramFilesFolder();
CString GetTempFolder();
CString GetDesktopFolder();
CString GetMyDocumentsFolder();
CString GetStartMenuFolder();

// Removes exactly one trailing backslash, if there is one.
CString RemoveTrailingBackslash(CString folder);
