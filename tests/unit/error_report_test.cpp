#include <gtest/gtest.h>

#include <ios>

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

TEST(ErrorReportText, InEnglishWhereWindowsIsNotJapanese) {
  // User UI languages: Japanese, then English (US, UK), German, Chinese (simplified, traditional)
  // and Korean; 0x0011 is Japanese's neutral id, 0x0C11 no sublanguage Windows knows.
  const struct {
    std::uint16_t uiLanguage;
    Language language;
  } cases[] = {{0x0411, Language::Japanese}, {0x0011, Language::Japanese}, {0x0C11, Language::Japanese},
               {0x0409, Language::English},  {0x0809, Language::English},  {0x0407, Language::English},
               {0x0804, Language::English},  {0x0404, Language::English},  {0x0412, Language::English},
               {0x0000, Language::English}};
  for (const auto& c : cases) EXPECT_EQ(LanguageOf(c.uiLanguage), c.language) << std::hex << c.uiLanguage;
  EXPECT_EQ(ErrorReportText("C:\\src\\renderer\\win32\\ScreenMain.cpp", 23, Language::English),
            "An error occurred and the application will close.\r\nFile : ScreenMain.cpp\r\nLine : 23");
}

}  // namespace
}  // namespace vizo::shell
