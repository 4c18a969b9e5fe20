// The common error report: a warning box with no owner, then a request to quit with code 1.
#pragma once

#include "shell/language.h"

namespace vizo::win32 {

// The language of the user's Windows, as its UI language says (the same on XP as on 11, unlike
// the resource loader's choice, which XP makes by the thread's regional locale).
shell::Language UserLanguage();

// sourceFile is the reporting module's __FILE__; line the fixed number of the reporting site.
void ReportError(const char* sourceFile, int line);

}  // namespace vizo::win32
