// The last line of defence around a mode: a thrown exception or a processor fault ends the process
// with -1 instead of leaving a frozen full-screen window behind.
#pragma once

namespace vizo::win32 {

inline constexpr int FaultExitCode = -1;

// What the guard does at a fault, in this order: giveScreenBack, at once (the desktop's mode, the
// saver's windows out of the way); then the platform's last-chance report, for a processor fault
// (its dialog, if it shows one, is seen and can be answered; it may also end the process itself, or
// let the fault go on to an attached debugger); then finish (helper threads a while to end); then
// the process ends at once with FaultExitCode, without the libraries' detach, which threads left in
// an unknown state can deadlock.
struct FaultEnd {
  void (*giveScreenBack)() = nullptr;
  void (*finish)() = nullptr;
};

// For catch blocks in Win32 callbacks, which exceptions must not cross: the same end as a fault.
[[noreturn]] void EndAfterFault();

// The guard's process-wide part: from Install, faults end as above; Remove gives the platform's
// handling back.
void InstallFaultGuard(FaultEnd end);
void RemoveFaultGuard();

// Runs body() inside the guard.
template <typename Body>
int RunGuarded(Body body, FaultEnd end) {
  InstallFaultGuard(end);
  try {
    const int result = body();
    RemoveFaultGuard();
    return result;
  } catch (...) {
    EndAfterFault();
  }
}

// A processor fault in a window procedure that the system itself called (creation, destruction,
// any sent message) never reaches the guard at the top: Wine, and Windows for a 32-bit program on a
// 64-bit system, catch it on the way back into the system and let the program run on half done. A
// frame of this kind around a body meets the fault first and ends it as the guard does. (A handler
// frame of the stack's own chain, as a compiler's __try makes on 32-bit x86.)
class FaultFrame {
 public:
  FaultFrame();
  ~FaultFrame();
  FaultFrame(const FaultFrame&) = delete;
  FaultFrame& operator=(const FaultFrame&) = delete;

 private:
  // The system's record of a handler frame: the next one out, and the handler.
  void* next_ = nullptr;
  void* handler_ = nullptr;
};

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
