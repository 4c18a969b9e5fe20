// The real vizovizo.scr driven from outside, as the operating system would: command lines, exit
// codes, its windows, and real input.
#include <gtest/gtest.h>

#include <utility>

#include "harness.h"

namespace vizo::winetest {
namespace {

constexpr char SaverClass[] = "WindowsScreenSaverClass";
constexpr DWORD MinusOne = 0xFFFFFFFF;

TEST(SaverCommandLine, UnusableCommandLinesEndWithMinusOneAndCreateNoWindow) {
  for (const char* arguments : {"/x", "/?", "1", "/p", "/p 0", "/p abc", "/p 4294967295", "/a 1234"}) {
    WindowCreationLog created;
    Process saver(SaverPath(), arguments);
    ASSERT_TRUE(saver.Started());
    EXPECT_EQ(saver.WaitForExit(), MinusOne) << arguments;
    EXPECT_EQ(created.SaverWindowsFor(saver.MainThreadId()), 0) << arguments;
  }
}

class FullScreenSaver : public ::testing::Test {
 protected:
  static constexpr POINT Start{500, 400};

  void SetUp() override {
    ASSERT_TRUE(PlaceCursor(Start.x, Start.y));
    saver_.emplace(SaverPath(), "/s", nullptr, true);
    ASSERT_TRUE(saver_->Started());
    window_ = WaitForFullScreenSaver(*saver_);
    ASSERT_NE(window_, nullptr);
  }

  bool StillRunning() { return Drain(window_) && IsWindow(window_) && saver_->Running(); }
  SaverInput Received() const { return ReadSaverInput(log_.Messages()); }

  D3d9Standin standIn_;
  StandinLog log_;
  std::optional<Process> saver_;
  HWND window_ = nullptr;
};

TEST_F(FullScreenSaver, CoversTheVirtualScreenAndShowsFireworks) {
  // The saver's styles; a full-screen Direct3D device may add its own on top.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)) & 0x96000000u, 0x96000000u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)) & WS_EX_TOPMOST,
            static_cast<DWORD>(WS_EX_TOPMOST));
  EXPECT_EQ(GetClassLongA(window_, GCL_STYLE), 0x2Bu);
  RECT r{};
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(r.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));

  // The title never changes.
  SendMessageTimeoutA(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"), SMTO_NORMAL, 5000, nullptr);
  char title[64] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(title, "Screen Saver");

  // The fireworks appear on the black screen.
  ASSERT_TRUE(DrawingShows(log_, "fullscreen-saver"));

  PressKey(VK_SPACE);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
}

// A release alone is no reason to close (the press before it may have been the one that started the
// saver); a press is.
TEST_F(FullScreenSaver, AReleaseAloneStaysAndAPressCloses) {
  const struct {
    const char* input;
    UINT release, press;
    void (*send)(DWORD flags);
  } cases[] = {
      {"key", WM_KEYUP, WM_KEYDOWN, [](DWORD up) { SendKey(VK_SPACE, up ? KEYEVENTF_KEYUP : 0); }},
      {"button", WM_LBUTTONUP, WM_LBUTTONDOWN,
       [](DWORD up) { SendMouse(up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    if (!saver_) SetUp();
    c.send(1);
    ASSERT_TRUE(log_.WaitForMessage(SaverClass, c.release));
    EXPECT_TRUE(StillRunning());
    c.send(0);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    const SaverInput input = Received();
    EXPECT_EQ(input.closedAfter, c.press);
    saver_.reset();
    log_.Clear();
  }
}

TEST_F(FullScreenSaver, FirstTenMouseMovesNeverClose) {
  // Far moves, each taken before the next, until the saver ends: the system's own move as the window
  // appears under the cursor counts among the ten, and X or Wine may add or merge moves, so which of
  // ours closes it is read from what its window received.
  for (int move = 0; move < 3 * IgnoredMouseMoves && StillRunning(); ++move) {
    MoveTaken(window_, move % 2 ? 100 : 900, 700);
  }
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  const SaverInput input = Received();
  EXPECT_TRUE(input.ClosedOnTheRulesMove()) << input.Described();
}

TEST_F(FullScreenSaver, MouseTravelOfFourStaysAndFiveCloses) {
  // Travel is measured from where the cursor was when the saver started, as it read it then (X may
  // still have moved the cursor after it was placed).
  const POINT start = Received().anchor;
  // Small moves first, until the saver has received the ten ignored ones; they don't move the anchor.
  for (int move = 0; Received().moves.size() < IgnoredMouseMoves; ++move) {
    ASSERT_LT(move, 3 * IgnoredMouseMoves);
    ASSERT_TRUE(MoveTaken(window_, start.x + (move + 1) % 2, start.y) && StillRunning());
  }
  const POINT withinFour[] = {{2, 2}, {4, 0}, {0, -4}, {-2, 2}, {1, 0}};
  for (const POINT d : withinFour) {
    ASSERT_TRUE(MoveTaken(window_, start.x + d.x, start.y + d.y) && StillRunning()) << "closed at " << d.x << "," << d.y;
  }
  MoveCursorTo(start.x + 3, start.y + 2);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  const SaverInput input = Received();
  ASSERT_TRUE(input.ClosedOnTheRulesMove()) << input.Described();
  const POINT closing = input.moves[static_cast<size_t>(input.ClosingMove() - 1)];
  EXPECT_EQ(input.Travel(closing), 5) << closing.x << "," << closing.y;
  // Moves of travel 4 reached the rules and stayed.
  int stayedAtFour = 0;
  for (int i = IgnoredMouseMoves; i + 1 < input.ClosingMove(); ++i)
    stayedAtFour += input.Travel(input.moves[static_cast<size_t>(i)]) == 4 ? 1 : 0;
  EXPECT_GE(stayedAtFour, 1);
}

TEST_F(FullScreenSaver, SecondStartRaisesTheFirstAndCreatesNoWindow) {
  WindowCreationLog created;
  Process second(SaverPath(), "/s");
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_EQ(created.SaverWindowsFor(second.MainThreadId()), 0);
  EXPECT_TRUE(StillRunning());
  PressKey(VK_SPACE);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
}

// A window standing in for the display settings' preview pane. It notes what its preview child
// tells it: a button press reaching the child, and help requests forwarded to it.
class PreviewHost {
 public:
  PreviewHost() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "PreviewHost";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "PreviewHost", "Host", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
  }
  ~PreviewHost() {
    if (IsWindow(window)) DestroyWindow(window);
  }

  HWND window = nullptr;
  static inline int buttonPresses = 0;
  static inline int helpRequests = 0;

 private:
  static LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_LBUTTONDOWN) ++buttonPresses;
    if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == host) ++helpRequests;
    return DefWindowProcA(host, message, wParam, lParam);
  }
};

TEST(PreviewSaver, FillsTheHostIgnoresInputAndEndsWithIt) {
  PreviewHost host;
  ASSERT_NE(host.window, nullptr);
  WindowCreationLog created;
  Process saver(SaverPath(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(host.window)));
  HWND preview = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    preview = FindWindowExA(host.window, nullptr, SaverClass, "Preview");
    return preview != nullptr && IsWindowVisible(preview);  // shown: creation has finished
  }));
  EXPECT_EQ(GetParent(preview), host.window);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)), 0x52000000u);
  RECT r{};
  GetWindowRect(preview, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 152);
  EXPECT_EQ(r.bottom - r.top, 112);
  EXPECT_TRUE(ProcessWindows(saver.Id(), SaverClass, nullptr).empty());  // no top-level window of its own

  // A real click: the preview has handled it once the host hears of it from the preview.
  ASSERT_TRUE(PlaceCursor(150, 150));
  ClickLeftButton();
  ASSERT_TRUE(PumpUntil([] { return PreviewHost::buttonPresses > 0; }));
  PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(preview, WM_ACTIVATEAPP, 0, 0);
  PostMessageA(preview, WM_POWERBROADCAST, 0, 0);
  // Posted messages are handled in order, so once this help request reaches the host, every close
  // the input above could have asked for has been handled too.
  PostMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(150, 150));
  ASSERT_TRUE(PumpUntil([] { return PreviewHost::helpRequests > 0; }));
  EXPECT_TRUE(IsWindow(preview));
  EXPECT_TRUE(saver.Running());

  DestroyWindow(host.window);
  EXPECT_EQ(saver.WaitForExit(), 0u);
  EXPECT_EQ(created.SaverWindowsFor(saver.MainThreadId()), 1);  // the log sees the saver's window
}

TEST(PreviewSaver, AnEmptyPaneGetsNoErrorBoxAndEndsWithIt) {
  HWND pane = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(pane, nullptr);
  Process saver(SaverPath(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(pane)));
  HWND preview = nullptr;
  // Shown once its creation, and with it any report a failed device would raise, is over.
  ASSERT_TRUE(PumpUntil([&] {
    preview = FindWindowExA(pane, nullptr, SaverClass, "Preview");
    return preview != nullptr && IsWindowVisible(preview);
  }));
  EXPECT_TRUE(Drain(preview));  // and its frame ticks go through
  EXPECT_TRUE(ProcessWindows(saver.Id(), "#32770", nullptr).empty()) << "an error box is up";
  DestroyWindow(pane);
  EXPECT_EQ(saver.WaitForExit(), 0u);
}

TEST(SaverWithAForeignDisplaySize, RunsAtTheDesktopSizeAndLeavesTheFileAlone) {
  // A size from another machine that this 1024 x 768 screen can't show.
  const std::string saved = AllEightKeys("10", "1280 x 1024");
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), saved));
  D3d9Standin standIn;
  StandinLog log;
  Process saver(SaverPath(), "/s");
  ASSERT_NE(WaitForFullScreenSaver(saver), nullptr);
  EXPECT_TRUE(DrawingShows(log, "foreign-display-size"));
  EXPECT_TRUE(ProcessWindows(saver.Id(), "#32770", nullptr).empty()) << "an error box is up";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  PressKey(VK_SPACE);
  EXPECT_EQ(saver.WaitForExit(), 0u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), saved);
  RemoveSettings();
}

TEST(BadSettingsFiles, TheSaverAndTheDialogKeepWorkingAndLeaveTheFileAsItWas) {
  const std::string longLine = "[main]\r\nHanabi=" + std::string(70000, '7') + "\r\nDisplay=800 x 600\r\n";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37 + 11) % 256);
  const struct {
    const char* name;
    std::string bytes;  // empty: a folder in the file's place
    bool sizeFromFile;  // the display size comes from the file: the fireworks must show
  } cases[] = {
      {"garbage", "this is not\r\nan ini file ] [ = ==\r\n", false},
      {"binary", binary, false},
      {"a line over 64 KB", longLine, true},
      {"0 x 0", AllEightKeys("10", "0 x 0"), true},
      {"-5 x 3", AllEightKeys("10", "-5 x 3"), true},
      {"99999 x 99999", AllEightKeys("10", "99999 x 99999"), true},
      {"1 x 1410065408", AllEightKeys("10", "1 x 1410065408"), true},
      {"abc", AllEightKeys("10", "abc"), true},
      {"a folder", "", false},
  };
  D3d9Standin standIn;
  StandinLog log;
  for (const auto& c : cases) {
    RemoveSettings();
    if (c.bytes.empty()) {
      ASSERT_TRUE(CreateDirectoryA(SettingsPath().c_str(), nullptr));
    } else {
      ASSERT_TRUE(WriteFileBytes(SettingsPath(), c.bytes));
    }
    {
      Process saver(SaverPath(), "/s");
      ASSERT_NE(WaitForFullScreenSaver(saver), nullptr) << c.name;
      if (c.sizeFromFile) {
        EXPECT_TRUE(DrawingShows(log, "bad-settings")) << c.name;
      }
      EXPECT_TRUE(ProcessWindows(saver.Id(), "#32770", nullptr).empty()) << c.name << ": an error box is up";
      PressKey(VK_SPACE);
      EXPECT_EQ(saver.WaitForExit(), 0u) << c.name;
    }
    {
      Process dialog(SaverPath(), "/c");
      HWND box = WaitForDialog(dialog);
      ASSERT_NE(box, nullptr) << c.name;
      PostMessageA(GetDlgItem(box, 1016), BM_CLICK, 0, 0);  // Cancel
      EXPECT_EQ(dialog.WaitForExit(), 1016u) << c.name;
    }
    if (c.bytes.empty()) {
      EXPECT_NE(GetFileAttributesA(SettingsPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << c.name;
    } else {
      EXPECT_EQ(ReadFileBytes(SettingsPath()), c.bytes) << c.name;
    }
  }
  RemoveSettings();
}

TEST(SaverWithoutDirect3D, ReportsEachFailureAndEndsWithOne) {
  // Wine's Direct3D without a 3-D renderer, for the saver alone: no device can be created, neither
  // at the desktop's size nor after falling back to it from a size the screen can't show.
  ScopedRegistryValue no3d("Software\\Wine\\AppDefaults\\vizovizo.scr\\Direct3D", "renderer", "no3d");
  for (const char* display : {static_cast<const char*>(nullptr), "1280 x 1024"}) {
    RemoveSettings();
    if (display) {
      ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("10", display)));
    }
    Process saver(SaverPath(), "/s");
    const struct {
      const wchar_t* file;
      int line;
    } reports[] = {{L"ScreenMain.cpp", 106}, {L"Quellar.cpp", 73}};
    for (const auto& report : reports) {
      EXPECT_TRUE(ReportNames(DismissNextReport(saver), report.file, report.line)) << report.line;
    }
    EXPECT_EQ(saver.WaitForExit(), 1u);
  }
  RemoveSettings();
}

TEST(SaverWithoutASystemLibrary, GoesDownItsFailurePathsWithNoLoaderBox) {
  const struct {
    const char* library;  // missing for the saver alone
    const char* mode;
    std::vector<std::pair<const wchar_t*, int>> reports;
    DWORD exitCode;
  } cases[] = {
      // No Direct3D at start-up (no default size), nor to list the modes; the reports' quit request
      // then ends the dialog.
      {"d3d9", "/c", {{L"ScreenMain.cpp", 23}, {L"OptionDialog.cpp", 40}}, 1},
      // The random seed comes from the tick count instead.
      {"winmm", "/s", {}, 0},
      // The dialog's slider class is never registered: the dialog can't be made.
      {"comctl32", "/c", {}, MinusOne},
  };
  D3d9Standin standIn;
  StandinLog log;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library);
    // An empty load order: Wine loads the library neither from the system folder nor from beside.
    ScopedRegistryValue missing("Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", c.library, "");
    Process saver(SaverPath(), c.mode);
    for (const auto& [file, line] : c.reports) EXPECT_TRUE(ReportNames(DismissNextReport(saver), file, line)) << line;
    if (std::string(c.mode) == "/s") {
      ASSERT_NE(WaitForFullScreenSaver(saver), nullptr);
      EXPECT_TRUE(DrawingShows(log));
      PressKey(VK_SPACE);
    }
    // A file that imported the library would not have started at all (0xC0000135).
    EXPECT_EQ(saver.WaitForExit(), c.exitCode);
  }
}

TEST(FaultGuard, EndsTheProcessWithMinusOneAfterItsHandler) {
  const struct {
    const char* mode;
    DWORD exitCode;
    bool handlerRan;
  } cases[] = {
      {"ok", 5, false}, {"throw", MinusOne, true}, {"fault", MinusOne, true}, {"throw-in-callback", MinusOne, true}};
  for (const auto& c : cases) {
    const std::string marker = ProgramDir() + "\\guard-" + c.mode + ".marker";
    DeleteFileA(marker.c_str());
    Process probe(ProgramDir() + "\\guard_probe.exe", "\"" + marker + "\" " + c.mode);
    EXPECT_EQ(probe.WaitForExit(), c.exitCode) << c.mode;
    // The screen first, then the rest, once each.
    EXPECT_EQ(ReadFileBytes(marker).value_or(""), c.handlerRan ? "screen given back\nfinished\n" : "") << c.mode;
  }
}

}  // namespace
}  // namespace vizo::winetest
