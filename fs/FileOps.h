// File and folder operations of the bootstrapper. Each reports success as a boolean,
// shows nothing and never throws; the caller decides what a failure means.
#pragma once

#include "framework/String.h"

// True when a file or folder of that path exists (a relative path is taken against the
// current folder; a pattern with wildcards is true when any entry matches).
bool FileExists(CString path);

// Renames folder\oldName to folder\newName; fails when newName is taken.
bool RenameFileIn(CString folder, CString oldName, CString newName);

// Deletes folder\name; true when the file is gone afterwards or was never there.
bool DeleteFileIn(CString folder, CString name);

// Creates every level of the folder path; true when all of them exist afterwards.
bool CreateFolderPath(CString path);

// Deletes the files of the folder (not its subfolders) and removes it, retrying the
// removal twice a second apart; true when the folder itself was removed.
bool DeleteFolder(CString path);

// Copies the file into the folder under its own name, replacing a file there.
bool CopyFileTo(CString source, CString folder);

// folder + one backslash unless it already ends with one + name.
CString JoinIfMissing(const CString& folder, const CString& name);
