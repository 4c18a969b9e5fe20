// Runs the saver's fault guard around a chosen failure so that a test can watch it end the process:
//   guard_probe MARKER-FILE ok|throw|fault|throw-in-callback
// The guard writes each step of a fault's end into MARKER-FILE before the process ends.
#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "shell/win32/fault_guard.h"

namespace {

const char* g_marker = nullptr;

// Each step of the fault's end, in the order it came.
void Mark(const char* step) {
  HANDLE file = CreateFileA(g_marker, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, step, static_cast<DWORD>(std::strlen(step)), &written, nullptr);
  CloseHandle(file);
}

// Wrapped as every callback of the saver is.
LRESULT CALLBACK ThrowingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vizo::win32::CallbackBody([&]() -> LRESULT {
    if (message == WM_APP) throw std::runtime_error("from a window procedure");
    return DefWindowProcA(window, message, wParam, lParam);
  });
}

int Body(const char* mode) {
  if (std::strcmp(mode, "throw") == 0) throw std::runtime_error("thrown inside the guard");
  if (std::strcmp(mode, "fault") == 0) {
    volatile int* nowhere = nullptr;
    return *nowhere;
  }
  if (std::strcmp(mode, "throw-in-callback") == 0) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ThrowingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GuardProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "GuardProbe", "", 0, 0, 0, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
    SendMessageA(window, WM_APP, 0, 0);
  }
  return 5;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_marker = argv[1];
  // No error box: the platform's last-chance handling then decides at once to run the handler.
  SetErrorMode(SEM_NOGPFAULTERRORBOX);
  const char* mode = argv[2];
  return vizo::win32::RunGuarded([mode] { return Body(mode); },
                                 {.giveScreenBack = [] { Mark("screen given back\n"); },
                                  .finish = [] { Mark("finished\n"); }});
}
