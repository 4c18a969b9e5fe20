// The last line of defence around a mode: a thrown exception or a processor fault ends the process
// with -1 instead of leaving a frozen full-screen window behind.
#pragma once

namespace vizo::win32 {

inline constexpr int FaultExitCode = -1;

// For catch blocks in Win32 callbacks, which exceptions must not cross: the same end as a fault.
[[noreturn]] void EndAfterFault();

// The guard's process-wide part: from Install, faults end in onFault and FaultExitCode; Remove
// gives the platform's handling back.
void InstallFaultGuard(void (*onFault)());
void RemoveFaultGuard();

// Runs body() inside the guard. On a fault, onFault runs and the process ends with FaultExitCode;
// a processor fault first gets the platform's last-chance report, which may also decide to let the
// fault go on (a debugger is attached, for one).
template <typename Body>
int RunGuarded(Body body, void (*onFault)()) {
  InstallFaultGuard(onFault);
  try {
    const int result = body();
    RemoveFaultGuard();
    return result;
  } catch (...) {
    EndAfterFault();
  }
}

// Runs a callback's body so that no exception leaves it.
template <typename Body>
auto CallbackBody(Body body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    EndAfterFault();
  }
}

}  // namespace vizo::win32
