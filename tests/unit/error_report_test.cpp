#include <gtest/gtest.h>

#include "shell/error_report.h"

namespace vizo::shell {
namespace {

TEST(ErrorReportText, NamesTheSourceFileAndTheLine) {
  const std::string expected =
      "何らかのエラーが発生したためアプリケーションを終了します\r\nファイル : OptionDialog.cpp\r\n行番号 : 93";
  EXPECT_EQ(ErrorReportText("/work/main/settings/win32/OptionDialog.cpp", 93), expected);
  EXPECT_EQ(ErrorReportText("C:\\src\\OptionDialog.cpp", 93), expected);
  EXPECT_EQ(ErrorReportText("OptionDialog.cpp", 93), expected);
  EXPECT_NE(ErrorReportText("ScreenMain.cpp", -1).find("ScreenMain.cpp\r\n行番号 : -1"), std::string::npos);
}

}  // namespace
}  // namespace vizo::shell
