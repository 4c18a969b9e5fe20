// The saver in the language of the user's Windows, on a normal and on a scaled display (150 %,
// 144 DPI, which it declares itself aware of): the settings dialog speaks Japanese on a Japanese
// Windows and English on any other, grows with the DPI and its texts still fit; an error report
// speaks the same language; OK writes the same file in every language; the full-screen window
// covers the monitor. ctest runs these tests once for each language, by LANG, which Wine takes for
// the user's language; Wine takes the DPI from the registry for each program it starts.
#include <gtest/gtest.h>

#include "harness.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace vizo::winetest {
namespace {

// The dialog's client size, and the labels and buttons whose text is wider than the control,
// measured in the dialog's own font: 9 points of "MS Shell Dlg", as the dialog manager makes it
// for the system's DPI.
struct DialogLayout {
  SIZE client{};
  std::vector<std::wstring> clipped;
};

// The dialog's labels and buttons, in the template's order.
std::vector<HWND> TextControls(HWND dialog) {
  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 || lstrcmpiA(className, "Button") == 0) controls.push_back(child);
  }
  return controls;
}

DialogLayout MeasureDialog(HWND dialog, int dpi) {
  DialogLayout layout;
  RECT client{};
  GetClientRect(dialog, &client);
  layout.client = {client.right, client.bottom};
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
  HGDIOBJ previous = SelectObject(dc, font);
  for (HWND child : TextControls(dialog)) {
    const std::wstring text = WindowText(child);
    if (text.empty()) continue;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT r{};
    GetClientRect(child, &r);
    // A check box's text starts behind its box.
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    const LONG_PTR type = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(className, "Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX))
      r.right -= MulDiv(13 + 4, dpi, 96);
    if (extent.cx > r.right) layout.clipped.push_back(text);
  }
  SelectObject(dc, previous);
  DeleteObject(font);
  DeleteDC(dc);
  return layout;
}

// What the saver shows in a language.
struct Words {
  std::wstring caption;
  std::vector<std::wstring> texts;  // the dialog's labels and buttons, in the template's order
  std::wstring reportOpening, fileLabel, lineLabel;
};

// The language of each LANG the tests run in, chosen by the LANG of this run.
struct LanguageRow {
  const char* lang;  // the start of LANG
  LANGID uiLanguage;
  const Words& words;
};

const LanguageRow& RowOfThisRun() {
  static const Words japanese{
      L"設定",
      {L"OK", L"キャンセル", L"初期設定", L"負荷", L"低", L"高", L"解像度", L"すべてのモニターに表示"},
      L"何らかのエラーが発生したためアプリケーションを終了します",
      L"ファイル : ",
      L"行番号 : "};
  static const Words english{
      L"Settings",
      {L"OK", L"Cancel", L"Defaults", L"Load", L"Low", L"High", L"Resolution", L"Show on every monitor"},
      L"An error occurred and the application will close.",
      L"File : ",
      L"Line : "};
  static const LanguageRow rows[] = {
      {"ja_JP", 0x0411, japanese}, {"en_US", 0x0409, english}, {"de_DE", 0x0407, english}};
  const char* lang = std::getenv("LANG");
  for (const auto& row : rows) {
    if (lang && std::string(lang).rfind(row.lang, 0) == 0) return row;
  }
  ADD_FAILURE() << "no row for LANG " << (lang ? lang : "(unset)");
  return rows[1];
}

std::vector<std::wstring> DialogTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND control : TextControls(dialog)) texts.push_back(WindowText(control));
  return texts;
}

// Each label, button and the resolution box's edit field shows something besides its background.
bool EveryTextShows(HWND dialog) {
  std::vector<HWND> texts = TextControls(dialog);
  texts.push_back(GetWindow(GetDlgItem(dialog, 1013), GW_CHILD));
  return std::all_of(texts.begin(), texts.end(), [](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    const Screenshot shot = CaptureScreen(&r);
    return !shot.pixels.empty() && std::count(shot.pixels.begin(), shot.pixels.end(), shot.pixels.front()) <
                                       static_cast<std::ptrdiff_t>(shot.pixels.size());
  });
}

class InTheUsersLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveSettings();
    // Wine gives an ungenerated locale English: a run meant for another language would pass as one.
    ASSERT_EQ(GetUserDefaultUILanguage(), row_.uiLanguage) << row_.lang;
  }
  void TearDown() override { RemoveSettings(); }

  const LanguageRow& row_ = RowOfThisRun();
};

TEST_F(InTheUsersLanguage, TheDialogGrowsWithTheDpiClipsNoTextAndTheSaverStillCoversTheMonitor) {
  // Wine's stand-in for the Japanese UI font is the monospaced IPA Gothic, wider than the system's
  // own: its proportional sibling is closer to what a Japanese Windows shows.
  ScopedRegistryValue proportional("Software\\Wine\\Fonts\\Replacements", "MS UI Gothic", "IPAPGothic");
  std::vector<DialogLayout> layouts;
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    ScopedRegistryValue logPixels("Control Panel\\Desktop", "LogPixels", static_cast<DWORD>(dpi));
    // Without a window manager, Wine draws the dialog's frame and caption itself when told to.
    std::optional<ScopedRegistryValue> ownFrame(std::in_place, "Software\\Wine\\X11 Driver", "Managed", "N");
    Process settings(SaverPath(), "/c");
    HWND dialog = WaitForDialog(settings);
    ASSERT_TRUE(Drain(dialog));
    EXPECT_EQ(WindowText(dialog), row_.words.caption);
    EXPECT_EQ(DialogTexts(dialog), row_.words.texts);
    if (dpi == 96) {  // the README's pictures of the dialog come from here, once it is all drawn
      // Painting comes last in the dialog's queue: wait until every text shows.
      RECT shown{};
      GetWindowRect(dialog, &shown);
      EXPECT_TRUE(PumpUntil([&] { return EveryTextShows(dialog); }));
      SaveArtifact(CaptureScreen(&shown), std::string("settings-dialog-") + row_.lang);
    }
    ownFrame.reset();
    layouts.push_back(MeasureDialog(dialog, dpi));
    EXPECT_EQ(layouts.back().clipped, std::vector<std::wstring>{});
    // OK writes the same file whatever the language.
    PostMessageA(GetDlgItem(dialog, 1015), BM_CLICK, 0, 0);
    EXPECT_EQ(settings.WaitForExit(), 1015u);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), AllEightKeys("10", "1024 x 768"));
    RemoveSettings();

    Process saver(SaverPath(), "/s");
    HWND window = WaitForFullScreenSaver(saver);
    ASSERT_NE(window, nullptr);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT covered{};
    GetWindowRect(window, &covered);
    EXPECT_TRUE(EqualRect(&covered, &monitor.rcMonitor));
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u);
  }
  // Half as large again, give or take a pixel of rounding per dialog unit.
  EXPECT_GE(layouts[1].client.cx * 2, layouts[0].client.cx * 3 - 4);
  EXPECT_GE(layouts[1].client.cy * 2, layouts[0].client.cy * 3 - 4);
}

TEST_F(InTheUsersLanguage, AnErrorReportSpeaksIt) {
  // Without Direct3D the dialog can't start: two reports, then the quit request ends it.
  ScopedRegistryValue missing("Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", "d3d9", "");
  Process saver(SaverPath(), "/c");
  for (const auto& [file, line] : {std::pair{L"ScreenMain.cpp", 23}, std::pair{L"OptionDialog.cpp", 40}}) {
    EXPECT_EQ(DismissNextReport(saver), row_.words.reportOpening + L"\r\n" + row_.words.fileLabel + file + L"\r\n" +
                                            row_.words.lineLabel + std::to_wstring(line));
  }
  EXPECT_EQ(saver.WaitForExit(), 1u);
}

}  // namespace
}  // namespace vizo::winetest
