// The bootstrapper's one application object; the framework's entry point runs it.
#include "app/SetupApp.h"

CSetupApp theApp;
