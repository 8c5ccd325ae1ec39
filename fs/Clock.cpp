// Real clock.
#include "fs/Clock.h"

namespace {
void RealSleep(DWORD milliseconds) { ::Sleep(milliseconds); }
DWORD RealTickCount() { return ::GetTickCount(); }
}  // namespace

Clock g_clock = {&RealSleep, &RealTickCount};
