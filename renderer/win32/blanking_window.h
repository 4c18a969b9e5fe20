// A black window over one monitor, for a full-screen device that only keeps that monitor dark.
// Input on it counts as input on the saver window: it is passed there, so one set of close rules
// (and one count of ignored mouse moves) covers every monitor. So is the choice of cursor.
#pragma once

#include <windows.h>

namespace vizo::renderer::win32 {

// Covers the monitor exactly, top-most, without taking activation from the saver window. Null if
// the window can't be made.
HWND CreateBlankingWindow(HMONITOR monitor, HWND saverWindow);

}  // namespace vizo::renderer::win32
