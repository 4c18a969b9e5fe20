// A black window over one monitor other than the main one: it keeps the monitor dark, and a
// full-screen device there presents into it.
// Input on it counts as input on the saver window: it is passed there, so one set of close rules
// (and one count of ignored mouse moves) covers every monitor. So is the choice of cursor.
#pragma once

#include <windows.h>

namespace vizo::renderer::win32 {

// Covers the area (a monitor's, in screen coordinates) top-most, without taking activation from
// the saver window. Null if the window can't be made.
HWND CreateBlankingWindow(const RECT& area, HWND saverWindow);
// The desktop moved the monitor: so does its cover.
void MoveBlankingWindow(HWND window, const RECT& area);

}  // namespace vizo::renderer::win32
