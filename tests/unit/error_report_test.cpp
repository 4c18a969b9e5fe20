#include <gtest/gtest.h>

#include "shell/error_report.h"

namespace vizo::shell {
namespace {

TEST(ErrorReportText, NamesTheSourceFileAndTheLine) {
  const std::string expected =
      "何らかのエラーが発生したためアプリケーションを終了します\r\nファイル : OptionDialog.cpp\r\n行番号 : 93";
  // Whatever path the compiler puts in __FILE__, only the file name shows.
  for (const char* path : {"project/settings/win32/OptionDialog.cpp", "C:\\src\\settings\\win32\\OptionDialog.cpp",
                           "..\\settings/win32\\OptionDialog.cpp", "OptionDialog.cpp"}) {
    EXPECT_EQ(ErrorReportText(path, 93), expected) << path;
  }
  EXPECT_NE(ErrorReportText("ScreenMain.cpp", -1).find("ScreenMain.cpp\r\n行番号 : -1"), std::string::npos);
}

}  // namespace
}  // namespace vizo::shell
