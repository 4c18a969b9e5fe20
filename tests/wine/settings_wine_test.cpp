// The real settings dialog, opened by the real saver as the display settings would, and operated
// from outside through its controls and real input. The tests run on a Wine virtual desktop, whose
// adapter offers several display modes.
#include <gtest/gtest.h>

#include "harness.h"
#include "settings/win32/scene_settings_win32.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vizo::winetest {
namespace {

constexpr int OkButton = 1015;
constexpr int CancelButton = 1016;
constexpr int DefaultsButton = 1017;
constexpr int LoadSlider = 1001;
constexpr int ResolutionBox = 1013;
constexpr int AllMonitorsBox = 1018;

// The settings dialog of a saver started with the given command line.
class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override { RemoveSettings(); }
  void TearDown() override { RemoveSettings(); }

  void Open(const std::string& arguments = "/c") {
    saver_.emplace(SaverPath(), arguments, nullptr, true);
    ASSERT_TRUE(saver_->Started());
    dialog_ = WaitForDialog(*saver_);
    ASSERT_TRUE(Drain(dialog_));
  }

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  int SliderPosition() const { return static_cast<int>(SendMessageA(Control(LoadSlider), TBM_GETPOS, 0, 0)); }
  bool AllMonitorsChecked() const { return SendMessageA(Control(AllMonitorsBox), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Texts are read with the wide calls: Wine passes the ANSI ones between processes garbled.
  std::string BoxText() const { return Narrow(WindowText(Control(ResolutionBox))); }
  std::vector<std::string> BoxEntries() const {
    std::vector<std::string> entries;
    const auto count = SendMessageW(Control(ResolutionBox), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[64] = {};
      SendMessageW(Control(ResolutionBox), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(Narrow(text));
    }
    return entries;
  }
  static std::string Narrow(const std::wstring& text) {
    std::string ascii;
    for (const wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    return ascii;
  }
  // A press of the button, as the dialog manager reports a click.
  void Press(int button) const { PostMessageA(Control(button), BM_CLICK, 0, 0); }
  // The keyboard focus moved to the control the way the dialog's own tab handling does, and the
  // dialog active: keys pressed now go there.
  bool Focus(HWND control) const {
    PostMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return PumpUntil([&] {
      GUITHREADINFO thread{};
      thread.cbSize = sizeof thread;
      return GetGUIThreadInfo(saver_->MainThreadId(), &thread) && thread.hwndFocus == control &&
             GetForegroundWindow() == dialog_;
    });
  }
  // The key-downs that reached the window, in order.
  std::vector<WPARAM> KeysReceivedBy(HWND window) const {
    char handle[32] = {};
    std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(window));
    std::vector<WPARAM> keys;
    for (const ReceivedMessage& m : log_.Messages()) {
      if (m.message == WM_KEYDOWN && m.window == handle) keys.push_back(m.wParam);
    }
    return keys;
  }

  StandinLog log_;
  std::optional<Process> saver_;
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialog, WithoutAFileShowsHighLoadAndTheDesktopSizeAmongTheOfferedSizes) {
  Open();
  EXPECT_EQ(WindowText(dialog_), L"設定");
  EXPECT_EQ(WindowText(GetDlgItem(dialog_, CancelButton)), L"キャンセル");
  EXPECT_EQ(SliderPosition(), 10);
  EXPECT_EQ(BoxText(), "1024 x 768");
  // The virtual desktop offers nine sizes from 320 x 200 up; those below 640 x 480 are left out
  // and the rest are sorted as text.
  EXPECT_EQ(BoxEntries(), (std::vector<std::string>{"1024 x 768", "640 x 480", "768 x 576", "800 x 600"}));
  // The every-monitor box: unchecked, after the resolution box in the tab order and before the
  // buttons (which start the template, so the order comes round to them).
  EXPECT_EQ(WindowText(Control(AllMonitorsBox)), L"すべてのモニターに表示");
  EXPECT_FALSE(AllMonitorsChecked());
  EXPECT_EQ(GetNextDlgTabItem(dialog_, Control(ResolutionBox), FALSE), Control(AllMonitorsBox));
  EXPECT_EQ(GetNextDlgTabItem(dialog_, Control(AllMonitorsBox), FALSE), Control(OkButton));

  Press(CancelButton);
  EXPECT_EQ(saver_->WaitForExit(), 1016u);
  EXPECT_FALSE(ReadFileBytes(SettingsPath()));  // Cancel wrote nothing
}

TEST_F(SettingsDialog, OkWritesExactlyTheEightKeysInOrderAndAllMonitorsOnlyWhenChecked) {
  // A key already in the file keeps its place when written.
  const std::string keptInPlace =
      "[main]\r\nHanabi=10\r\nAllMonitors=1\r\nParticle=0\r\nFlash=0\r\nBack=0\r\nSmoke=0\r\nReflect=0\r\n"
      "Display=1024 x 768\r\nBuffer=\r\n";
  const struct {
    const char* stored;  // besides Hanabi=25
    bool shownChecked;
    bool clicked;  // the check box, once
    std::string written;
  } cases[] = {
      {"", false, false, AllEightKeys("10", "1024 x 768")},
      {"", false, true, AllEightKeys("10", "1024 x 768") + "AllMonitors=1\r\n"},
      {"AllMonitors=1\r\n", true, true, AllEightKeys("10", "1024 x 768")},  // the key goes
      {"AllMonitors=yes\r\n", false, true, keptInPlace},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), std::string("[main]\r\nHanabi=25\r\n") + c.stored));
    Open();
    EXPECT_EQ(SliderPosition(), 10);  // the stored 25 shown within the slider's range
    EXPECT_EQ(AllMonitorsChecked(), c.shownChecked) << c.stored;
    if (c.clicked) {
      Press(AllMonitorsBox);
      ASSERT_TRUE(PumpUntil([&] { return AllMonitorsChecked() != c.shownChecked; })) << c.stored;
    }
    Press(OkButton);
    EXPECT_EQ(saver_->WaitForExit(), 1015u);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), c.written) << c.stored;
  }
}

TEST_F(SettingsDialog, DefaultsMovesTheSliderClearsAllMonitorsAndCancelLeavesTheFileAsItWas) {
  const std::string stored = "; kept as it is\r\n[main]\r\nHanabi=3\r\nDisplay=800 x 600\r\nAllMonitors=1\r\n";
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), stored));
  Open();
  EXPECT_EQ(SliderPosition(), 3);
  EXPECT_EQ(BoxText(), "800 x 600");
  EXPECT_TRUE(AllMonitorsChecked());
  Press(DefaultsButton);
  ASSERT_TRUE(PumpUntil([this] { return SliderPosition() == 10; }));
  EXPECT_FALSE(AllMonitorsChecked());
  EXPECT_EQ(BoxText(), "800 x 600");
  Press(CancelButton);
  EXPECT_EQ(saver_->WaitForExit(), 1016u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), stored);
}

TEST_F(SettingsDialog, TypedTextIsStoredAsTyped) {
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), "[main]\r\nHanabi=4\r\nDisplay=1024x768\r\n"));
  Open();
  EXPECT_EQ(BoxText(), "");  // no entry equals the stored text
  // Typed keys go where the keyboard focus is: move it to the box (whose edit field takes it) the
  // way the dialog's own tab handling does; a click now and then came while the new dialog was still
  // being made active and was lost.
  ASSERT_TRUE(Focus(GetWindow(Control(ResolutionBox), GW_CHILD)));
  // Each key shown in the box before the next is pressed.
  std::string typed;
  for (const char key : std::string("1280X960")) {
    PressKey(static_cast<WORD>(key));  // virtual keys of digits and letters
    typed += key == 'X' ? 'x' : key;
    ASSERT_TRUE(PumpUntil([&] { return BoxText() == typed; })) << BoxText();
  }
  Press(OkButton);
  EXPECT_EQ(saver_->WaitForExit(), 1015u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()),
            "[main]\r\nHanabi=4\r\nDisplay=1280x960\r\nParticle=0\r\nFlash=0\r\n"
            "Back=0\r\nSmoke=0\r\nReflect=0\r\nBuffer=\r\n");
}

TEST_F(SettingsDialog, EnterAndEscapeLeaveTheDialogOpen) {
  Open();
  // Keyboard focus on the slider: the arrow key that follows shows when the keys were handled, and
  // the log that the dialog received all three.
  ASSERT_TRUE(Focus(Control(LoadSlider)));
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  PressKey(VK_LEFT);
  ASSERT_TRUE(PumpUntil([this] { return SliderPosition() == 9; }));
  EXPECT_EQ(KeysReceivedBy(Control(LoadSlider)), (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE, VK_LEFT}));
  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_TRUE(saver_->Running());
  Press(CancelButton);
  EXPECT_EQ(saver_->WaitForExit(), 1016u);
}

TEST_F(SettingsDialog, OwnerComesFromTheCommandLine) {
  HWND named = CreateWindowExA(0, "STATIC", "Named", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HWND window = CreateWindowExA(0, "STATIC", "Display Properties", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(named, nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  ASSERT_TRUE(PumpUntil([window] { return GetForegroundWindow() == window; }));
  const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(named));
  const struct {
    std::string arguments;
    HWND owner;
  } cases[] = {
      {"/c:" + handle, named},
      {"/c " + handle, window},  // a blank instead of the colon: the foreground window
      {"/c:999999", window},     // not a window: the foreground window
      {"", nullptr},             // no arguments: no owner
  };
  for (const auto& c : cases) {
    Open(c.arguments);
    EXPECT_EQ(GetWindow(dialog_, GW_OWNER), c.owner) << c.arguments;
    Press(CancelButton);
    EXPECT_EQ(saver_->WaitForExit(), 1016u) << c.arguments;
    SetForegroundWindow(window);
    ASSERT_TRUE(PumpUntil([window] { return GetForegroundWindow() == window; }));
  }
  DestroyWindow(window);
  DestroyWindow(named);
}

TEST_F(SettingsDialog, EveryFailedWriteIsReportedAndTheDialogStillEndsWithOk) {
  // A folder where the file should be: nothing can be written to it.
  ASSERT_TRUE(CreateDirectoryA(SettingsPath().c_str(), nullptr));
  Open();
  Press(OkButton);
  for (const int line : {93, 95, 98, 100, 102, 104, 107, 109}) {
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
      const auto boxes = ProcessWindows(saver_->Id(), "#32770", "Error");
      box = boxes.empty() ? nullptr : boxes.front();
      return box && IsWindowVisible(box);
    })) << "no report for line "
        << line;
    const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(text.find(L"何らかのエラーが発生したためアプリケーションを終了します"), std::wstring::npos);
    EXPECT_NE(text.find(L"ファイル : OptionDialog.cpp"), std::wstring::npos);
    EXPECT_NE(text.find(L"行番号 : " + std::to_wstring(line)), std::wstring::npos) << line;
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([box] { return !IsWindow(box); }));
  }
  EXPECT_EQ(saver_->WaitForExit(), 1015u);
}

// The saver switches to its Display size, and whichever way it ends, closed or after the reports of
// a failed start, the desktop gets its own size back: the stand-in d3d9 logs the main device going,
// and the mode put back, where the system hasn't, only after it.
// (Whether fireworks show is checked on the plain X screen: inside a virtual desktop, screen captures
// from the Windows side see the desktop window, not what Direct3D draws over it.)
TEST(FullScreenOnAVirtualDesktop, SwitchesToTheDisplaySettingAndEveryEndGivesTheDesktopItsModeBack) {
  const struct {
    const char* fault;
    std::vector<std::pair<const wchar_t*, int>> reports;  // answered in turn; none: a key closes it
    DWORD exitCode;
  } cases[] = {{"", {}, 0},
               {"texture", {{L"hanabiPainter.cpp", 70}, {L"ScreenMain.cpp", 218}, {L"Quellar.cpp", 74}}, 1}};
  D3d9Standin standIn;
  ASSERT_TRUE(standIn.Installed());
  StandinLog log;
  RemoveSettings();
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("10", "800 x 600")));
  const auto screenIs = [](int width, int height) {
    return PumpUntil([=] { return GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height; });
  };
  ASSERT_TRUE(screenIs(1024, 768));
  for (const auto& c : cases) {
    SCOPED_TRACE(*c.fault ? c.fault : "closed by a key");
    log.Clear();
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", c.fault);
    Process saver(SaverPath(), "/s");
    if (c.reports.empty()) {
      ASSERT_NE(WaitForFullScreenSaver(saver), nullptr);
      EXPECT_TRUE(screenIs(800, 600)) << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
      PressKey(VK_SPACE);
    }
    for (const auto& [file, line] : c.reports) EXPECT_TRUE(ReportNames(DismissNextReport(saver), file, line)) << line;
    EXPECT_EQ(saver.WaitForExit(), c.exitCode);
    EXPECT_TRUE(screenIs(1024, 768)) << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
    const std::string logged = log.Text();
    // (In which mode depends on Wine: Wine 8 gives the desktop its mode back as the saver window
    // loses the activation to a box or to the desktop.)
    const std::size_t mainGone = logged.find("adapter 0: released in ");
    EXPECT_NE(mainGone, std::string::npos) << logged;
    const std::size_t modeSet = logged.find("mode set: ");
    EXPECT_TRUE(modeSet == std::string::npos || modeSet > mainGone) << logged;
  }
  SetEnvironmentVariableA("VIZO_D3D9_FAULT", nullptr);
  RemoveSettings();
}

TEST(SceneSettingsFile, DefaultsToTheDesktopModeAndReadsWhatTheDialogWrote) {
  RemoveSettings();
  settings::SceneSettings fresh;
  win32::ReadSceneSettingsFromFile(fresh, win32::ReadDesktopMode());
  EXPECT_EQ(fresh.spacing, 1);
  EXPECT_EQ(fresh.particleCount, 60);
  EXPECT_TRUE(fresh.flash && fresh.back && fresh.smoke && fresh.reflect);
  EXPECT_EQ(fresh.displayWidth, 1024);  // the test desktop's size
  EXPECT_EQ(fresh.displayHeight, 768);
  EXPECT_EQ(fresh.bufferWidth, 512);
  EXPECT_EQ(fresh.bufferHeight, 512);

  ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("3", "800 x 600")));
  settings::SceneSettings saved;
  win32::ReadSceneSettingsFromFile(saved, win32::ReadDesktopMode());
  RemoveSettings();
  EXPECT_EQ(saved.spacing, 7);
  EXPECT_EQ(saved.particleCount, 0);
  EXPECT_FALSE(saved.flash || saved.back || saved.smoke || saved.reflect);
  EXPECT_EQ(saved.displayWidth, 800);
  EXPECT_EQ(saved.displayHeight, 600);
  EXPECT_EQ(saved.bufferWidth, 0);
  EXPECT_EQ(saved.bufferHeight, 0);
}

}  // namespace
}  // namespace vizo::winetest
