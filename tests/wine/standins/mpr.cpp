// Stands in for MPR.DLL's password change entry and records how it was called.
#include "standin_log.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD reserved, DWORD flags) {
  StandinLog("PwdChangePasswordA %s %lu %lu %lu", provider ? provider : "(null)",
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(parent)), static_cast<unsigned long>(reserved),
             static_cast<unsigned long>(flags));
  return 0;
}
