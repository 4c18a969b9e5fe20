#include "timer_resolution.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>

#include "system_library.h"

namespace vizo::win32 {

namespace {

using TimeGetDevCapsFn = MMRESULT(WINAPI*)(LPTIMECAPS, UINT);
using TimePeriodFn = MMRESULT(WINAPI*)(UINT);

UINT g_raisedPeriod = 0;  // 0: not raised

template <typename Fn>
Fn Entry(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemEntry("winmm.dll", name)));
}

}  // namespace

void RaiseTimerResolution() {
  if (g_raisedPeriod != 0) return;
  const auto begin = Entry<TimePeriodFn>("timeBeginPeriod");
  if (!begin) return;
  UINT period = 1;
  TIMECAPS caps{};
  if (const auto devCaps = Entry<TimeGetDevCapsFn>("timeGetDevCaps"); devCaps && devCaps(&caps, sizeof caps) == 0) {
    // Within what the system offers, as Microsoft's own sample keeps it.
    period = std::min<UINT>(std::max<UINT>(period, caps.wPeriodMin), caps.wPeriodMax);
  }
  if (period != 0 && begin(period) == 0) g_raisedPeriod = period;
}

void RestoreTimerResolution() {
  if (g_raisedPeriod == 0) return;
  if (const auto end = Entry<TimePeriodFn>("timeEndPeriod")) end(g_raisedPeriod);
  g_raisedPeriod = 0;
}

}  // namespace vizo::win32
