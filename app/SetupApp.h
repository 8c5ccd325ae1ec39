// CSetupApp: the application object. InitInstance runs one whole bootstrap.
#pragma once

#include "framework/WinApp.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;

    BOOL InitInstance() override;
};
