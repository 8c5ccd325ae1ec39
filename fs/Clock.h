// The time seam: everything that pauses or reads the tick counter goes through these two
// pointers, so tests can run waits of seconds in no time. The defaults are the real calls.
#pragma once

#include <windows.h>

struct Clock {
    void (*sleep)(DWORD milliseconds);
    DWORD (*tickCount)();
};

// The clock in force; tests may assign their own functions and must put the old ones back.
extern Clock g_clock;
