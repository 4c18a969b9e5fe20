#include "fault_guard.h"

#include <windows.h>

#include <exception>

namespace vizo::win32 {

namespace {

FaultEnd g_end;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
LONG g_ending = 0;    // a fault's end has begun: a fault meanwhile ends the process at once
LONG g_reported = 0;  // ... and the platform's report let the fault go on (a debugger)

[[noreturn]] void Terminate() {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(FaultExitCode));
  ExitProcess(static_cast<UINT>(FaultExitCode));  // not reached
}

void GiveScreenBack() {
  if (InterlockedExchange(&g_ending, 1) != 0) Terminate();
  if (g_end.giveScreenBack) g_end.giveScreenBack();
}

[[noreturn]] void Finish() {
  if (g_end.finish) g_end.finish();
  Terminate();
}

// Reached through the platform's unhandled-exception machinery (no frame below took the fault), or
// from a fault frame.
LONG WINAPI GuardFilter(EXCEPTION_POINTERS* info) {
  // The fault that the report let go on, met again on its way to the debugger.
  if (g_reported != 0) return EXCEPTION_CONTINUE_SEARCH;
  GiveScreenBack();
  // Ask the platform's own last-chance handling what to do, as a frame handler would, without
  // coming back here.
  SetUnhandledExceptionFilter(g_previousFilter);
  const LONG answer = UnhandledExceptionFilter(info);
  if (answer == EXCEPTION_EXECUTE_HANDLER) Finish();
  InterlockedExchange(&g_reported, 1);
  return answer;
}

// Only faults: not a debugger's notices or messages, and not the unwinding that follows a handler.
bool IsFault(const EXCEPTION_RECORD& record) {
  constexpr DWORD Severity = 0xC0000000;
  return (record.ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0 &&
         (record.ExceptionCode & Severity) == Severity;
}

#if defined(__i386__)
extern "C" EXCEPTION_DISPOSITION __cdecl FaultFrameHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
  if (!IsFault(*record)) return ExceptionContinueSearch;
  EXCEPTION_POINTERS info{record, context};
  return GuardFilter(&info) == EXCEPTION_CONTINUE_EXECUTION ? ExceptionContinueExecution : ExceptionContinueSearch;
}
#endif

}  // namespace

#if defined(__i386__)
// The frame goes at the head of the thread's chain (fs:0) and comes off as the body ends; nothing
// thrown leaves the body, so it always does.
FaultFrame::FaultFrame() : handler_(reinterpret_cast<void*>(FaultFrameHandler)) {
  void* head = nullptr;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  next_ = head;
  void* self = this;
  asm volatile("movl %0, %%fs:0" : : "r"(self) : "memory");
}

FaultFrame::~FaultFrame() {
  void* next = next_;
  asm volatile("movl %0, %%fs:0" : : "r"(next) : "memory");
}
#else
// Elsewhere frames are described by tables, not chained: the platform's own handling stands.
FaultFrame::FaultFrame() = default;
FaultFrame::~FaultFrame() = default;
#endif

void EndAfterFault() {
  GiveScreenBack();
  Finish();
}

void InstallFaultGuard(FaultEnd end) {
  g_end = end;
  g_previousFilter = SetUnhandledExceptionFilter(GuardFilter);
  std::set_terminate([] { EndAfterFault(); });
}

void RemoveFaultGuard() { SetUnhandledExceptionFilter(g_previousFilter); }

}  // namespace vizo::win32
