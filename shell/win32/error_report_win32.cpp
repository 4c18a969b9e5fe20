#include "error_report_win32.h"

#include <windows.h>

#include <string>

#include "shell/error_report.h"
#include "shell/win32/timer_resolution.h"

namespace vizo::win32 {

namespace {

HHOOK g_raiseHook = nullptr;
HHOOK g_previewHook = nullptr;
bool g_raised = false;
HWND g_pane = nullptr;  // a preview's pane; null in every other mode
bool g_askedToQuit = false;

constexpr UINT PaneCheckMs = 100;

BOOL CALLBACK FindOwnWindow(HWND child, LPARAM found) {
  if (GetWindowThreadProcessId(child, nullptr) != GetCurrentThreadId()) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

// The pane is gone, or going: destroying it destroys its child, the saver window, first.
bool PaneGone() {
  if (!IsWindow(g_pane)) return true;
  bool holdsOurs = false;
  EnumChildWindows(g_pane, FindOwnWindow, reinterpret_cast<LPARAM>(&holdsOurs));
  return !holdsOurs;
}

// Ends the process as it stands: its windows, the box among them, go with it rather than being taken
// down one by one (hiding a top-level window can wait on the desktop, up to 2 s under Wine).
[[noreturn]] void EndNow() {
  RestoreTimerResolution();
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(ReportQuitCode));
  ExitProcess(static_cast<UINT>(ReportQuitCode));  // not reached
}

void EndIfPaneGone() {
  if (g_pane && PaneGone()) EndNow();
}

// Ticks of the box's own message loop: the pane may also go without a word to its child (its
// process killed).
void CALLBACK CheckPane(HWND, UINT, UINT_PTR, DWORD) { EndIfPaneGone(); }

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

// A preview's window destroyed while a box is up: its pane is going. The process ends there, before
// the window's quit request takes the box down and the next report of the chain comes up.
LRESULT CALLBACK WatchPreviewWindow(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_DESTROY && GetParent(call->hwnd) == g_pane) EndNow();
  return CallNextHookEx(g_previewHook, code, wParam, lParam);
}

}  // namespace

shell::Language UserLanguage() { return shell::LanguageOf(GetUserDefaultUILanguage()); }

void EndReportsWithPane(HWND pane) { g_pane = pane; }

bool ReportAskedToQuit() { return g_askedToQuit; }

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
  // (Peeking has also taken the messages sent to this thread: a pane being destroyed has taken the
  // saver window with it.)
  EndIfPaneGone();
  // Above the top-most saver, still without an owner; a preview's, gone with its pane.
  g_raised = false;
  g_raiseHook = SetWindowsHookExW(WH_CBT, RaiseReportBox, nullptr, GetCurrentThreadId());
  UINT_PTR paneCheck = 0;
  if (g_pane) {
    g_previewHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchPreviewWindow, nullptr, GetCurrentThreadId());
    paneCheck = SetTimer(nullptr, 0, PaneCheckMs, CheckPane);
  }
  MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONWARNING | MB_TOPMOST);
  if (paneCheck) KillTimer(nullptr, paneCheck);
  for (HHOOK* hook : {&g_raiseHook, &g_previewHook}) {
    if (*hook) UnhookWindowsHookEx(*hook);
    *hook = nullptr;
  }
  // The pane's going also destroys the saver window, whose quit request can end the box early.
  EndIfPaneGone();
  g_askedToQuit = true;
  PostQuitMessage(ReportQuitCode);
}

}  // namespace vizo::win32
