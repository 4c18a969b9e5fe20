// The common error report: a warning box with no owner, then a request to quit with code 1.
#pragma once

#include <windows.h>

#include "shell/language.h"

namespace vizo::win32 {

// The language of the user's Windows, as its UI language says (the same on XP as on 11, unlike
// the resource loader's choice, which XP makes by the thread's regional locale).
shell::Language UserLanguage();

// sourceFile is the reporting module's __FILE__; line the fixed number of the reporting site.
void ReportError(const char* sourceFile, int line);

// Whether a report has asked to quit, from the moment its box opens. Its code, 1, stands even when
// the saver window's own request (0, at its destruction) would come after it: a preview whose pane
// goes right after the reports of a failed start, or a saver closed by input under a report box,
// still ends as a failure.
bool ReportAskedToQuit();
constexpr int ReportQuitCode = 1;

// A preview's reports live only as long as its pane (the display settings destroy the pane when the
// user picks another saver or closes them, and nobody would answer a box left behind): once the
// pane is gone, a report's box closes at once, no later report is shown, and the process ends with
// the code a report asks to quit with, 1, once endScene has ended what the preview's window would
// have ended at its destruction.
void EndReportsWithPane(HWND pane, void (*endScene)());

}  // namespace vizo::win32
