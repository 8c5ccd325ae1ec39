// Puts a description's stored bytes through the bootstrapper's own reader (CIniParser), with
// the reader's message boxes recorded instead of shown, for the checking commands.
#pragma once

#include <string>
#include <vector>

#include "description/IniParser.h"

// While it lives, every message box shown through the framework's seam is recorded (and
// answered with OK) instead of shown; the previous handler comes back at destruction.
class CRecordedMessageBoxes {
public:
    CRecordedMessageBoxes();
    ~CRecordedMessageBoxes();
    CRecordedMessageBoxes(const CRecordedMessageBoxes&) = delete;
    CRecordedMessageBoxes& operator=(const CRecordedMessageBoxes&) = delete;

    // The texts recorded so far, oldest first.
    const std::vector<std::wstring>& Texts() const;
    void Clear();
};

// Loads stored into reader the way a run loads a container's plaintext: written to a
// temporary plain file, read with Load and deleted again. Returns Load's result (the End
// rule); loaded is false, with error, when the temporary file could not be written.
bool LoadStoredDescription(CIniParser& reader, const std::string& stored, bool& loaded, std::wstring& error);
