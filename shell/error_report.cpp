#include "error_report.h"

#include <cstdio>
#include <string_view>

namespace vizo::shell {

std::string ErrorReportText(const char* sourcePath, int line, Language language) {
  std::string_view file(sourcePath);
  const auto slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  char number[16];
  std::snprintf(number, sizeof number, "%d", line);
  if (language == Language::English)
    return std::string("An error occurred and the application will close.\r\nFile : ") + std::string(file) +
           "\r\nLine : " + number;
  return std::string("何らかのエラーが発生したためアプリケーションを終了します\r\nファイル : ") + std::string(file) +
         "\r\n行番号 : " + number;
}

}  // namespace vizo::shell
