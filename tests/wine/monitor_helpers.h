// What the two-monitor tests and benchmarks share: each monitor's part of a screenshot, and a white
// desktop whose every uncovered pixel shows.
#pragma once

#include <windows.h>

#include <vector>

#include "harness.h"

namespace vizo::winetest {

// The part of a screenshot of the virtual screen on one monitor.
struct Area {
  int left, top, width, height;
};
// Monitor 0 is the primary, the others follow in the order the system gives them.
Area MonitorArea(int index);

struct Counts {
  int black = 0, white = 0, other = 0;
  int Total() const { return black + white + other; }
};
Counts CountPixels(const Screenshot& shot, const Area& area);

// A white window over each monitor, standing in for a desktop that is not black: whatever of it
// shows was not covered. One window a monitor, as a window spanning monitors is not always shown
// whole (Wine 10 gives it the primary's size).
class WhiteDesktop {
 public:
  WhiteDesktop();
  WhiteDesktop(const WhiteDesktop&) = delete;
  WhiteDesktop& operator=(const WhiteDesktop&) = delete;
  ~WhiteDesktop();

  // Every monitor shows it whole (waits until it does).
  static bool ShowsOnEveryMonitor(DWORD timeoutMs = DefaultTimeoutMs);

  std::vector<HWND> windows;
};

}  // namespace vizo::winetest
