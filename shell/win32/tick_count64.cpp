// The static C++ runtime's thread support asks for GetTickCount64, which Windows XP lacks; an
// import of it would keep the saver from starting there at all. Linked into the saver itself, this
// fills the import's slot instead: the system's function where there is one, else GetTickCount
// carried past its 49-day wrap. (Only the runtime's timed waits use it, which one thread never
// makes.)
#include <windows.h>

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCount64FromTickCount() {
  static DWORD last = 0;
  static ULONGLONG wraps = 0;
  const DWORD now = GetTickCount();
  if (now < last) wraps += 0x100000000ULL;
  last = now;
  return wraps + now;
}

ULONGLONG WINAPI TickCount64() {
  static const TickCount64Fn system = reinterpret_cast<TickCount64Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
  return system ? system() : TickCount64FromTickCount();
}

}  // namespace

// The import slot's own name: the runtime calls through it, and with it defined here the linker
// never brings KERNEL32's.
extern "C" TickCount64Fn const tickCount64Slot __asm__("__imp__GetTickCount64@0") = TickCount64;
