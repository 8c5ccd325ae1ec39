// The connection-state test asked before the program goes to the network.
#pragma once

// True when the system reports an Internet connection (InternetGetConnectedState).
bool IsInternetConnected();

// The seam behind IsInternetConnected; tests may point it elsewhere and must put it back.
extern bool (*g_connectedStateProbe)();
