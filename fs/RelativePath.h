// Tells whether a path taken from a setup description stays inside the folder it is
// relative to: no drive, no root, no ".." step, no device name such as CON or COM1.
#pragma once

#include "framework/String.h"

bool IsContainedRelativePath(const CString& path);
