// The common error report: a warning box with no owner, then a request to quit with code 1.
#pragma once

namespace vizo::win32 {

// sourceFile is the reporting module's __FILE__; line the fixed number of the reporting site.
void ReportError(const char* sourceFile, int line);

}  // namespace vizo::win32
