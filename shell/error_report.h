// The text of the program's common error report.
#pragma once

#include <string>

#include "shell/language.h"

namespace vizo::shell {

// The report's text in UTF-8: an error occurred and the application will close, then the
// reporting source file's base name with its extension, and the line number of the reporting site.
// sourcePath may carry directories, with either kind of slash.
std::string ErrorReportText(const char* sourcePath, int line, Language language = Language::Japanese);

}  // namespace vizo::shell
