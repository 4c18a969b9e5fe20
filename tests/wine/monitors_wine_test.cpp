// The real saver on two monitors side by side (an X server with two outputs, which Wine shows as
// two monitors and two Direct3D adapters): every monitor goes dark, input on any of them counts,
// and both come back when it ends.
#include <gtest/gtest.h>

#include "harness.h"

namespace vizo::winetest {
namespace {

constexpr COLORREF White = 0xFFFFFF;

// The part of a screenshot on one monitor.
struct Area {
  int left, top, width, height;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(monitor, &info);
  // The primary first, then the others in the order the system gives them.
  auto& rects = *reinterpret_cast<std::vector<RECT>*>(list);
  rects.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? rects.begin() : rects.end(), info.rcMonitor);
  return TRUE;
}

Area MonitorArea(int index) {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  const RECT r = monitors.at(static_cast<size_t>(index));
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {r.left - left, r.top - top, r.right - r.left, r.bottom - r.top};
}

struct Counts {
  int black = 0, white = 0, other = 0;
  int Total() const { return black + white + other; }
};

Counts CountPixels(const Screenshot& shot, const Area& area) {
  Counts counts;
  for (int y = area.top; y < area.top + area.height; ++y) {
    for (int x = area.left; x < area.left + area.width; ++x) {
      const std::uint32_t pixel = shot.At(x, y);
      if (pixel == 0) {
        ++counts.black;
      } else if (pixel == White) {
        ++counts.white;
      } else {
        ++counts.other;
      }
    }
  }
  return counts;
}

// A white window over every monitor, standing in for a desktop that is not black: whatever of it
// shows was not covered.
class WhiteDesktop {
 public:
  WhiteDesktop() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "WhiteDesktop";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "WhiteDesktop", "", WS_POPUP | WS_VISIBLE, GetSystemMetrics(SM_XVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  WhiteDesktop(const WhiteDesktop&) = delete;
  WhiteDesktop& operator=(const WhiteDesktop&) = delete;
  ~WhiteDesktop() { DestroyWindow(window); }

  // Every monitor shows it whole.
  static bool ShowsOnEveryMonitor() {
    return PumpUntil([] {
      const Screenshot shot = CaptureScreen();
      for (int monitor = 0; monitor < GetSystemMetrics(SM_CMONITORS); ++monitor) {
        const Counts counts = CountPixels(shot, MonitorArea(monitor));
        if (counts.white != counts.Total()) return false;
      }
      return true;
    });
  }

  HWND window = nullptr;
};

class TwoMonitors : public ::testing::Test {
 protected:
  static constexpr POINT OnSecondary{1536, 384};

  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2048);
    RemoveSettings();
    ASSERT_NE(desktop_.window, nullptr);
    ASSERT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
    ASSERT_TRUE(PlaceCursor(OnSecondary.x, OnSecondary.y));
  }
  void TearDown() override { RemoveSettings(); }

  void Start() {
    saver_.emplace(SaverPath(), "/s");
    ASSERT_TRUE(saver_->Started());
    window_ = WaitForFullScreenSaver(*saver_);
    ASSERT_NE(window_, nullptr);
  }

  bool StillRunning() { return Drain(window_) && IsWindow(window_) && saver_->Running(); }

  // The secondary monitor entirely black, the primary black but for the fireworks.
  static bool DarkWithFireworksOnThePrimary(const char* artifact) {
    return PumpUntil([&] {
      const Screenshot shot = CaptureScreen();
      const Counts primary = CountPixels(shot, MonitorArea(0));
      const Counts secondary = CountPixels(shot, MonitorArea(1));
      const bool dark = secondary.black == secondary.Total() && primary.white < 100 &&
                        primary.other + primary.white > 500 && primary.black > primary.Total() / 2;
      if (dark) SaveArtifact(shot, artifact);
      return dark;
    });
  }

  WhiteDesktop desktop_;
  std::optional<Process> saver_;
  HWND window_ = nullptr;
};

TEST_F(TwoMonitors, BothGoDarkAndTravelOfFiveOverTheSecondaryCloses) {
  Start();
  EXPECT_TRUE(DarkWithFireworksOnThePrimary("two-monitors"));
  // Small moves over the secondary monitor until the ten ignored ones are used up.
  // Each goes somewhere new (the first away from where the cursor starts), or it would be no move.
  for (int move = 0; move < 12; ++move) {
    MoveCursorTo(OnSecondary.x + (move + 1) % 2, OnSecondary.y);
    ASSERT_TRUE(StillRunning()) << "closed at move " << move + 1;
  }
  MoveCursorTo(OnSecondary.x + 3, OnSecondary.y + 2);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
}

TEST_F(TwoMonitors, TheIgnoredMovesAreCountedOnceForAllMonitors) {
  Start();
  // Small moves over the secondary use up the ten ignored moves of the whole saver: the first far
  // move over the primary then closes it at once. With a count of its own per window, or with the
  // secondary's moves not counted, that move would be swallowed.
  for (int move = 0; move < 12; ++move) {
    MoveCursorTo(OnSecondary.x + (move + 1) % 2, OnSecondary.y);
    ASSERT_TRUE(StillRunning()) << "closed at move " << move + 1;
  }
  MoveCursorTo(500, OnSecondary.y);
  EXPECT_EQ(saver_->WaitForExit(), 0u) << "the far move over the primary did not close it";
}

TEST_F(TwoMonitors, AKeyWithTheCursorOverTheSecondaryCloses) {
  Start();
  ASSERT_TRUE(DarkWithFireworksOnThePrimary("two-monitors-key"));
  PressKey(VK_SPACE);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
}

TEST_F(TwoMonitors, ADisplaySizeOfItsOwnSwitchesOnlyThePrimaryAndComesBack) {
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("10", "800 x 600")));
  Start();
  EXPECT_TRUE(PumpUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 800 && GetSystemMetrics(SM_CYSCREEN) == 600; }))
      << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(MonitorArea(1).width, 1024);
  PressKey(VK_SPACE);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  EXPECT_TRUE(PumpUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768; }))
      << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
  EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
}

}  // namespace
}  // namespace vizo::winetest
