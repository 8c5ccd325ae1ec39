// The progress message a download sends to the progress window.
#pragma once

#include <windows.h>

// wParam: bytes of the read just done (0 in the last message of an attempt);
// lParam: the attempt's running total. Sent with SendMessageW from the downloading thread.
constexpr UINT WM_SETUP_PROGRESS = WM_USER + 100;
static_assert(WM_SETUP_PROGRESS == 0x464, "progress message number");
