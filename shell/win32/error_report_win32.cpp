#include "error_report_win32.h"

#include <windows.h>

#include <string>

#include "shell/error_report.h"

namespace vizo::win32 {

namespace {

HHOOK g_raiseHook = nullptr;
bool g_raised = false;

// The report box, on its first activation, joins the top-most windows: the full-screen saver window
// is one of them, and a box below it would be hidden while the saver seems frozen. (MB_TOPMOST asks
// the same of Windows; Wine ignores it.)
LRESULT CALLBACK RaiseReportBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && !g_raised) {
    g_raised = true;
    SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return CallNextHookEx(g_raiseHook, code, wParam, lParam);
}

}  // namespace

shell::Language UserLanguage() { return shell::LanguageOf(GetUserDefaultUILanguage()); }

void ReportError(const char* sourceFile, int line) {
  // Shown through the wide call, the Japanese text reads the same whatever the system's ANSI code
  // page is.
  const std::string utf8 = shell::ErrorReportText(sourceFile, line, UserLanguage());
  std::wstring text(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), static_cast<int>(text.size()));

  // An earlier report's quit request would close this box the moment it opened: hold the request
  // back while the box is up, so that every report is seen. Quitting stays requested.
  MSG pendingQuit{};
  PeekMessageW(&pendingQuit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  // Above the top-most saver, still without an owner.
  g_raised = false;
  g_raiseHook = SetWindowsHookExW(WH_CBT, RaiseReportBox, nullptr, GetCurrentThreadId());
  MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONWARNING | MB_TOPMOST);
  if (g_raiseHook) UnhookWindowsHookEx(g_raiseHook);
  g_raiseHook = nullptr;
  PostQuitMessage(1);
}

}  // namespace vizo::win32
