// Connection-state test over InternetGetConnectedState.
#include "transfer/Connection.h"

#include <windows.h>
#include <wininet.h>

namespace {
bool RealConnectedState() {
    DWORD flags = 0;  // required by the call, never read
    return InternetGetConnectedState(&flags, 0) != FALSE;
}
}  // namespace

bool (*g_connectedStateProbe)() = &RealConnectedState;

bool IsInternetConnected() { return g_connectedStateProbe(); }
