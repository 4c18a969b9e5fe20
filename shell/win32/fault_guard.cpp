#include "fault_guard.h"

#include <windows.h>

#include <exception>

namespace vizo::win32 {

namespace {

void (*g_onFault)() = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// Reached through the platform's unhandled-exception machinery: no frame below took the fault.
LONG WINAPI GuardFilter(EXCEPTION_POINTERS* info) {
  // Ask the platform's own last-chance handling what to do, as a frame handler would, without
  // coming back here.
  SetUnhandledExceptionFilter(g_previousFilter);
  const LONG answer = UnhandledExceptionFilter(info);
  if (answer == EXCEPTION_EXECUTE_HANDLER) EndAfterFault();
  return answer;
}

}  // namespace

void EndAfterFault() {
  if (g_onFault) g_onFault();
  ExitProcess(static_cast<UINT>(FaultExitCode));
}

void InstallFaultGuard(void (*onFault)()) {
  g_onFault = onFault;
  g_previousFilter = SetUnhandledExceptionFilter(GuardFilter);
  std::set_terminate([] { EndAfterFault(); });
}

void RemoveFaultGuard() { SetUnhandledExceptionFilter(g_previousFilter); }

}  // namespace vizo::win32
