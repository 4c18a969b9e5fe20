// Stands in for winmm.dll in the system folder: forwards the multimedia timer's calls that the saver
// makes to the system's own (kept there as winmm_wine.dll) and records the resolution it asks for
// and gives back, one line a call, in VIZO_STANDIN_LOG. VIZO_WINMM_CAPS ("min max") is what
// timeGetDevCaps answers instead of the system's range.
#define _WINMM_  // this library defines the entries, rather than importing them
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "standin_log.h"

namespace {

FARPROC RealEntry(const char* name) {
  static HMODULE real = [] {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return LoadLibraryA((std::string(system) + "\\winmm_wine.dll").c_str());
  }();
  return real ? GetProcAddress(real, name) : nullptr;
}

template <typename Fn>
Fn Real(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(RealEntry(name)));
}

MMRESULT Period(const char* name, UINT period) {
  const auto real = Real<MMRESULT(WINAPI*)(UINT)>(name);
  const MMRESULT result = real ? real(period) : TIMERR_NOCANDO;
  StandinLog("%s %u%s", name, period, result == TIMERR_NOERROR ? "" : " refused");
  return result;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI timeGetTime() {
  const auto real = Real<DWORD(WINAPI*)()>("timeGetTime");
  return real ? real() : GetTickCount();
}

__declspec(dllexport) MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
  char range[64] = {};
  if (GetEnvironmentVariableA("VIZO_WINMM_CAPS", range, sizeof range) && caps && size >= sizeof(TIMECAPS)) {
    unsigned lowest = 0, highest = 0;
    if (std::sscanf(range, "%u %u", &lowest, &highest) != 2) return TIMERR_NOCANDO;
    caps->wPeriodMin = lowest;
    caps->wPeriodMax = highest;
    return TIMERR_NOERROR;
  }
  const auto real = Real<MMRESULT(WINAPI*)(LPTIMECAPS, UINT)>("timeGetDevCaps");
  return real ? real(caps, size) : TIMERR_NOCANDO;
}

__declspec(dllexport) MMRESULT WINAPI timeBeginPeriod(UINT period) { return Period("timeBeginPeriod", period); }
__declspec(dllexport) MMRESULT WINAPI timeEndPeriod(UINT period) { return Period("timeEndPeriod", period); }

}  // extern "C"
