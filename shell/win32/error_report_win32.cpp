#include "error_report_win32.h"

#include <windows.h>

#include <string>

#include "shell/error_report.h"

namespace vizo::win32 {

void ReportError(const char* sourceFile, int line) {
  // The text is Japanese; shown through the wide call it reads the same whatever the system's
  // ANSI code page is.
  const std::string utf8 = shell::ErrorReportText(sourceFile, line);
  std::wstring text(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), static_cast<int>(text.size()));

  // An earlier report's quit request would close this box the moment it opened: hold the request
  // back while the box is up, so that every report is seen. Quitting stays requested.
  MSG pendingQuit{};
  PeekMessageW(&pendingQuit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONWARNING);
  PostQuitMessage(1);
}

}  // namespace vizo::win32
