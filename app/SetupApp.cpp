// The one application object and the bootstrap sequence.
#include "app/SetupApp.h"

CSetupApp theApp;

CSetupApp::CSetupApp() = default;
CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() { return FALSE; }
