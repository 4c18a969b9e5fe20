#include "error_report.h"

#include <cstdio>
#include <string_view>

namespace vizo::shell {

std::string ErrorReportText(const char* sourcePath, int line) {
  std::string_view file(sourcePath);
  const auto slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  char number[16];
  std::snprintf(number, sizeof number, "%d", line);
  return std::string("何らかのエラーが発生したためアプリケーションを終了します\r\nファイル : ") + std::string(file) +
         "\r\n行番号 : " + number;
}

}  // namespace vizo::shell
