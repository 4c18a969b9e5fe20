// The real saver on two monitors side by side (an X server with two outputs, which Wine shows as
// two monitors and two Direct3D adapters), in each of the tree's layouts: every monitor goes dark,
// or with AllMonitors=1 shows the fireworks at its own size; input on any of them counts; faults on
// the secondary stay there; and every monitor comes back when it ends.
#include <gtest/gtest.h>

#include "device_helpers.h"
#include "harness.h"
#include "monitor_helpers.h"

#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "renderer/reference_frame.h"
#include "renderer/win32/ScreenMain.h"
#include "settings/win32/scene_settings_win32.h"
#include "shell/win32/saver_shell_win32.h"

namespace vizo::winetest {
namespace {

// The centre of a monitor, in screen coordinates.
POINT CentreOf(int monitor) {
  const Area a = MonitorArea(monitor);
  return {GetSystemMetrics(SM_XVIRTUALSCREEN) + a.left + a.width / 2,
          GetSystemMetrics(SM_YVIRTUALSCREEN) + a.top + a.height / 2};
}

bool IsBlack(const Counts& c) { return c.black == c.Total(); }
// Mostly black, with the colours of sprites. (A sprite's core adds up to white, and the first
// frames' trail is broad: the white desktop showing is told by the monitor's last columns.)
bool ShowsFireworks(const Counts& c) { return c.other > 500 && c.black > c.Total() / 2; }

// The primary's kept mode (the one the system goes back to when a full-screen program ends) set to
// another size while the desktop stays as it is; put back when this goes.
class KeptMode {
 public:
  KeptMode(DWORD width, DWORD height) {
    kept_.dmSize = sizeof kept_;
    if (!EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &kept_)) return;
    DEVMODEA other = kept_;
    other.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    other.dmPelsWidth = width;
    other.dmPelsHeight = height;
    changed_ = ChangeDisplaySettingsExA(nullptr, &other, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET, nullptr) ==
               DISP_CHANGE_SUCCESSFUL;
  }
  KeptMode(const KeptMode&) = delete;
  KeptMode& operator=(const KeptMode&) = delete;
  ~KeptMode() {
    if (changed_) ChangeDisplaySettingsExA(nullptr, &kept_, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET, nullptr);
  }
  bool Is(DWORD width, DWORD height) const {
    DEVMODEA now{};
    now.dmSize = sizeof now;
    return changed_ && EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &now) && now.dmPelsWidth == width &&
           now.dmPelsHeight == height;
  }

 private:
  DEVMODEA kept_{};
  bool changed_ = false;
};

// The secondary is 1024 wide in the equal layout, 1280 in the other, whatever the primary is switched to.
std::string LayoutName() { return MonitorArea(1).width == 1024 ? "equal" : "unequal"; }

class TwoMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    RemoveSettings();
    ASSERT_TRUE(standIn_.Installed());
    ASSERT_EQ(desktop_.windows.size(), 2u);
    for (HWND window : desktop_.windows) ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
    ASSERT_TRUE(PlaceCursor(onSecondary_.x, onSecondary_.y));
  }
  void TearDown() override { RemoveSettings(); }

  void Start() {
    saver_.emplace(SaverPath(), "/s", nullptr, true);
    ASSERT_TRUE(saver_->Started());
    window_ = WaitForFullScreenSaver(*saver_);
    ASSERT_NE(window_, nullptr);
  }

  bool StillRunning() { return Drain(window_) && IsWindow(window_) && saver_->Running(); }

  // Where the saver read the cursor as it started, which travel is measured from (X may still have
  // moved the cursor after it was placed).
  POINT Anchor() const { return ReadSaverInput(log_.Messages()).anchor; }
  // Small moves there, each taken before the next, until the saver window has received the ten
  // ignored ones.
  void UseUpTheIgnoredMoves() {
    const POINT at = Anchor();
    for (int move = 0; ReadSaverInput(log_.Messages()).moves.size() < IgnoredMouseMoves; ++move) {
      ASSERT_LT(move, 3 * IgnoredMouseMoves) << "the saver window received " << ReadSaverInput(log_.Messages()).moves.size();
      ASSERT_TRUE(MoveTaken(window_, at.x + (move + 1) % 2, at.y) && StillRunning())
          << "closed at move " << move + 1 << ", exit code " << saver_->WaitForExit(0).value_or(~0u);
    }
  }

  // A move there closes the saver, and it closed on the move the close rules name (travel from where
  // it started, after the ignored ones), whichever window the move reached first.
  void MoveThereCloses(POINT at) {
    MoveCursorTo(at.x, at.y);
    EXPECT_EQ(saver_->WaitForExit(), 0u) << log_.Text();
    const SaverInput input = ReadSaverInput(log_.Messages());
    EXPECT_TRUE(input.ClosedOnTheRulesMove()) << input.Described();
    // A cover hands every move on: the saver counts the moves of all monitors once.
    EXPECT_EQ(input.forwardedMoves, input.coverMoves);
  }

  // Within a few frames of the main device (and of the secondary's, where it draws), the primary
  // shows fireworks and the secondary is black, or shows fireworks too, to its last column; where
  // it draws, it moves: after another frame of its own, a capture differs there.
  bool Shows(bool secondaryDrawn, const std::string& artifact) const {
    const Area area = MonitorArea(1);
    int drawnThere = 0;
    const bool shown = ShownWithinFrames(log_, secondaryDrawn ? 1 : 0, [&](const Screenshot& shot) {
      const Counts secondary = CountPixels(shot, area);
      const Counts lastColumns = CountPixels(shot, {area.left + area.width - 16, area.top, 16, area.height});
      drawnThere = secondary.other;
      return ShowsFireworks(CountPixels(shot, MonitorArea(0))) && lastColumns.white < lastColumns.Total() / 2 &&
             (secondaryDrawn ? ShowsFireworks(secondary) : IsBlack(secondary));
    }, artifact + "-" + LayoutName());
    if (!shown || !secondaryDrawn) return shown;
    return ShownWithinFrames(log_, 1, [&](const Screenshot& shot) { return CountPixels(shot, area).other != drawnThere; });
  }

  WhiteDesktop desktop_;
  POINT onSecondary_ = CentreOf(1);
  D3d9Standin standIn_;
  StandinLog log_;
  std::optional<Process> saver_;
  HWND window_ = nullptr;
};

TEST_F(TwoMonitors, BothGoDarkAndTravelOfFiveOverTheSecondaryCloses) {
  Start();
  EXPECT_TRUE(Shows(false, "two-monitors"));
  UseUpTheIgnoredMoves();
  MoveThereCloses({Anchor().x + 3, Anchor().y + 2});
  EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
}

TEST_F(TwoMonitors, TheIgnoredMovesAreCountedOnceForAllMonitors) {
  Start();
  // Far moves, over the secondary's cover and the primary in turn, each taken before the next, until
  // the saver ends: the ten ignored ones are the whole saver's, whichever window a move reached, so
  // it closes on the first far move after them. (A count of its own per window would close later; a
  // cover's moves not counted, later still.)
  const POINT over[] = {{onSecondary_.x + 200, onSecondary_.y}, CentreOf(0)};
  for (int move = 0; move < 3 * IgnoredMouseMoves && StillRunning(); ++move) {
    MoveTaken(window_, over[move % 2].x, over[move % 2].y);
  }
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  const SaverInput input = ReadSaverInput(log_.Messages());
  EXPECT_TRUE(input.ClosedOnTheRulesMove()) << input.Described();
  EXPECT_GT(input.coverMoves, 0);
  EXPECT_EQ(input.forwardedMoves, input.coverMoves);
}

TEST_F(TwoMonitors, AKeyWithTheCursorOverTheSecondaryCloses) {
  Start();
  ASSERT_TRUE(Shows(false, "two-monitors-key"));
  PressKey(VK_SPACE);
  EXPECT_EQ(saver_->WaitForExit(), 0u);
  EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
}

// The primary's own Display size moves the secondary to the primary's new edge (the desktop keeps
// monitors edge to edge): the saver follows it there, black or drawing, and input over the strip it
// left closes the saver; afterwards the desktop comes back as it was, also where the system would
// take it back to the Display size itself (Wine's kept mode was that size now and then on a busy
// machine). The stand-in d3d9 (forwarding, no fault) logs that the main device goes last, and the
// mode the saver then puts back, if it must, with the fields it names.
TEST_F(TwoMonitors, ADisplaySizeOfItsOwnMovesTheSecondaryAndTheSaverFollows) {
  const Area secondaryBefore = MonitorArea(1);
  const int primaryWidth = MonitorArea(0).width, primaryHeight = MonitorArea(0).height;
  const int narrower = primaryWidth - 800;
  const struct {
    const char* allMonitors;
    bool keptModeIsTheDisplaySize;
  } rows[] = {{"0", false}, {"1", false}, {"1", true}};
  // The cursor starts where the switch leaves the primary: over the secondary, X moves it onto the
  // primary's new edge as the screen shrinks, and Wine hands the saver that move, which counts as
  // travel from where the saver started, as late as it gets to it.
  const POINT stays{400, 300};
  ASSERT_TRUE(PlaceCursor(stays.x, stays.y));
  for (const auto& row : rows) {
    const char* allMonitors = row.allMonitors;
    SCOPED_TRACE(std::string("AllMonitors=") + allMonitors +
                 (row.keptModeIsTheDisplaySize ? ", kept mode 800 x 600" : ""));
    std::optional<KeptMode> kept;
    if (row.keptModeIsTheDisplaySize) {
      kept.emplace(800, 600);
      ASSERT_TRUE(kept->Is(800, 600));
      ASSERT_EQ(MonitorArea(0).width, primaryWidth) << "the desktop changed with the kept mode";
    }
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("10", "800 x 600") + "AllMonitors=" + allMonitors + "\r\n"));
    log_.Clear();
    Start();
    EXPECT_TRUE(PumpUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 800 && GetSystemMetrics(SM_CYSCREEN) == 600; }))
        << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(PumpUntil([&] { return MonitorArea(1).left == secondaryBefore.left - narrower; }));
    EXPECT_EQ(MonitorArea(1).width, secondaryBefore.width);
    EXPECT_TRUE(Shows(*allMonitors == '1', std::string("display-size-all-monitors-") + allMonitors));
    UseUpTheIgnoredMoves();
    const Area moved = MonitorArea(1);
    MoveThereCloses({GetSystemMetrics(SM_XVIRTUALSCREEN) + moved.left + 100,
                     GetSystemMetrics(SM_YVIRTUALSCREEN) + moved.top + moved.height / 2});
    EXPECT_TRUE(PumpUntil([&] { return MonitorArea(1).left == secondaryBefore.left; }))
        << "the secondary is at " << MonitorArea(1).left << " (was at " << secondaryBefore.left << "), the primary "
        << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor());
    const std::string logged = log_.Text();
    // The main device last, then the mode, where the system's own isn't the desktop's by then: with
    // Wine's kept mode at the saver's size, Wine 8 takes the desktop to that size and the saver must
    // put it back (the secondary's return above tells); otherwise Wine 8 has put the desktop's back
    // as the saver's window is deactivated. Wine 10 does either, now and then. Never a mode before.
    const std::size_t mainGone = logged.rfind("adapter 0: released in ");
    const std::string modeBack = "mode set: " + std::to_string(primaryWidth) + " x " + std::to_string(primaryHeight) +
                                 ", fields width height bits frequency\n";
    ASSERT_NE(mainGone, std::string::npos) << logged;
    // Drawing there, the secondary's painter held its device: both went, before the main one.
    if (*allMonitors == '1') {
      EXPECT_LT(logged.find("adapter 1: released in "), mainGone) << logged;
    }
    const std::string after = logged.substr(logged.find('\n', mainGone) + 1);
    EXPECT_TRUE(after == modeBack || after.empty()) << logged;
    EXPECT_EQ(logged.rfind("mode set: ", mainGone), std::string::npos) << logged;
    ASSERT_TRUE(PlaceCursor(stays.x, stays.y));
  }
}

TEST_F(TwoMonitors, TheSecondaryShowsTheFireworksOnlyWithAllMonitorsOne) {
  const struct {
    const char* file;
    bool drawn;
  } cases[] = {{nullptr, false}, {"[main]\r\nAllMonitors=0\r\n", false}, {"[main]\r\nAllMonitors=1\r\n", true}};
  for (const auto& c : cases) {
    const std::string name = c.file ? c.file + 8 : "no file";
    RemoveSettings();
    if (c.file) {
      ASSERT_TRUE(WriteFileBytes(SettingsPath(), c.file));
    }
    Start();
    EXPECT_TRUE(Shows(c.drawn, c.drawn ? "all-monitors" : "main-monitor")) << name;
    PressKey(VK_SPACE);
    EXPECT_EQ(saver_->WaitForExit(), 0u) << name;
    EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor()) << name;
  }
}

// What the stand-in logged with windows-rules: every device that the main one's last creation left
// needing a reset was reset once after it.
bool EachEarlierDeviceResetOnce(const std::string& log) {
  const std::size_t mainMade = log.rfind("adapter 0: create");
  if (mainMade == std::string::npos) return false;
  std::istringstream after(log.substr(mainMade));
  std::multiset<std::string> lost, reset;
  for (std::string line; std::getline(after, line);) {
    if (line.ends_with(" needs a reset")) lost.insert(line.substr(0, line.find(" needs")));
    if (line.ends_with(" reset done")) reset.insert(line.substr(0, line.find(" reset")));
  }
  return lost == reset;
}

// Faults on the secondary monitor alone, through the stand-in d3d9 (standins/d3d9.cpp), which also
// holds the saver to Windows' rules for several full-screen devices: that monitor is black, or
// drawing again after a loss, the primary draws, no report comes, and input over the secondary
// still closes. An adapter that answers the primary's monitor leaves the real secondary covered.
TEST_F(TwoMonitors, ASecondaryMonitorsFaultsStayOnItWithoutAReport) {
  const struct {
    const char* fault;
    bool allMonitors;
    const char* logged;  // what the stand-in must have seen first ("" for nothing)
    bool drawn;          // the secondary shows fireworks in the end
    const char* adapter = "1";  // the adapter the fault hits; nullptr: every one
    bool oneLayout = false;     // shows nothing of the layout's own: run in the equal one only
  } cases[] = {
      // Where the secondary draws, refusing its device or a texture leaves it black; kept black,
      // its device is never presented again, so never lost. (Its device refused while kept black
      // takes the same path as while drawing; so does an adapter answering the primary's monitor.)
      {"device", true, "create ref sw refused\n", false},
      {"texture", true, "texture refused\n", false},
      {"lost", true, "10 presents after the reset\n", true},
      {"lost", false, "", false},
      {"", true, "", true},
      {"adapter-monitor 1 0", true, "", false},
      // Every full-screen device refused, on every adapter: the main monitor draws windowed, and the
      // secondary stays black under its cover, whatever AllMonitors says.
      {"full-screen", false, "adapter 0: create windowed hal hw done\n", false, nullptr, true},
      {"full-screen", true, "adapter 0: create windowed hal hw done\n", false, nullptr, true},
  };
  for (const auto& c : cases) {
    if (c.oneLayout && LayoutName() != "equal") continue;
    const std::string name = std::string(c.fault) + (c.allMonitors ? ", on" : ", off");
    SCOPED_TRACE(name);
    SetEnvironmentVariableA("VIZO_D3D9_ADAPTER", c.adapter);
    log_.Clear();
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", (std::string("windows-rules ") + c.fault).c_str());
    RemoveSettings();
    if (c.allMonitors) {
      ASSERT_TRUE(WriteFileBytes(SettingsPath(), "[main]\r\nAllMonitors=1\r\n"));
    }
    Start();
    EXPECT_TRUE(PumpUntil([&] { return log_.Text().find(c.logged) != std::string::npos; }, 4 * DefaultTimeoutMs))
        << name << ": " << log_.Text();
    EXPECT_TRUE(Shows(c.drawn, std::string("secondary-") + c.fault)) << name;
    EXPECT_TRUE(ProcessWindows(saver_->Id(), "#32770", nullptr).empty()) << name << ": a box came";
    EXPECT_TRUE(EachEarlierDeviceResetOnce(log_.Text())) << name << ": " << log_.Text();
    UseUpTheIgnoredMoves();
    MoveThereCloses({Anchor().x + 3, Anchor().y + 2});
    EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor()) << name;
    ASSERT_TRUE(PlaceCursor(onSecondary_.x, onSecondary_.y));
  }
  for (const char* variable : {"VIZO_D3D9_FAULT", "VIZO_D3D9_ADAPTER"}) SetEnvironmentVariableA(variable, nullptr);
}

// A crash inside Direct3D (the stand-in raises an access violation) while the saver holds the
// screen at a Display size of its own, or while the main device is being made inside the window's
// creation and the images are prepared: the screen is given back before the platform's report, and
// the process ends only after the image thread, never with it half done. With
// Wine's default debugger, that report shows its crash dialog and waits, or ends the process
// quietly; with none (the sessions' own setting), the saver ends itself with -1. Within a few
// seconds the desktop's mode is back and no window of the saver covers a monitor. (Wine 8's debugger
// never gets to attach to a thread that crashed inside a window's creation: that case runs without
// it. Nothing here depends on the layout: it runs in one.)
TEST_F(TwoMonitors, ACrashGivesTheScreenBackBeforeThePlatformsReport) {
  if (LayoutName() != "equal") GTEST_SKIP() << "run in the equal layout";
  const int primaryWidth = MonitorArea(0).width;
  enum class Report { None, Quiet, Dialog };
  const struct {
    const char* fault;
    Report report;
    const char* adapter;  // the one the crash comes on; nullptr: the first device made
  } cases[] = {{"present-fault", Report::Quiet, "0"},
               {"present-fault", Report::Dialog, "0"},
               // The images still being made as it crashes: the end waits for them.
               {"create-fault slow-images", Report::None, nullptr},
               // The image thread's own crash: its end never waits for itself.
               {"image-crash", Report::None, nullptr}};
  for (const auto& c : cases) {
    SetEnvironmentVariableA("VIZO_D3D9_ADAPTER", c.adapter);
    SCOPED_TRACE(std::string(c.fault) + (c.report == Report::None    ? ", no debugger"
                                         : c.report == Report::Quiet ? ", quiet"
                                                                     : ", crash dialog"));
    // Wine's own last-chance handling, in place of the sessions' missing debugger.
    constexpr const char* AeDebug = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
    std::optional<ScopedRegistryValue> debugger, dialog;
    if (c.report != Report::None) {
      debugger.emplace(HKEY_LOCAL_MACHINE, AeDebug, "Debugger", "winedbg --auto %ld %ld");
      dialog.emplace("Software\\Wine\\WineDbg", "ShowCrashDialog", c.report == Report::Dialog ? 1 : 0);
    }
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), AllEightKeys("10", "800 x 600")));
    log_.Clear();
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", c.fault);
    Process saver(SaverPath(), "/s");
    ASSERT_TRUE(PumpUntil([&] { return log_.Text().find("crash in ") != std::string::npos; })) << log_.Text();
    const auto covering = [&] {
      int shown = 0;
      for (const char* windowClass : {"WindowsScreenSaverClass", "vizovizoBlanking"}) {
        for (HWND window : ProcessWindows(saver.Id(), windowClass, nullptr)) shown += IsWindowVisible(window) ? 1 : 0;
      }
      return shown;
    };
    EXPECT_TRUE(PumpUntil([&] { return GetSystemMetrics(SM_CXSCREEN) == primaryWidth && covering() == 0; }, 5000))
        << GetSystemMetrics(SM_CXSCREEN) << " wide, " << covering() << " windows of the saver shown";
    EXPECT_TRUE(WhiteDesktop::ShowsOnEveryMonitor(5000));
    if (c.report == Report::Dialog) {
      // Seen, and answered: the debugger then ends the process.
      HWND crash = nullptr;
      EXPECT_TRUE(PumpUntil([&] { return (crash = FindWindowA(nullptr, "Program Error")) != nullptr; }));
      if (crash) PostMessageA(crash, WM_COMMAND, IDOK, 0);
    }
    const std::optional<DWORD> exitCode = saver.WaitForExit();
    EXPECT_TRUE(exitCode.has_value()) << "still running";
    if (c.report == Report::None) {
      EXPECT_EQ(exitCode, 0xFFFFFFFFu);
      const std::string logged = log_.Text(), process = log_.Text(StandinLog::Source::Display);
      const bool imageThreadCrashed = logged.find("crash in the image thread") != std::string::npos;
      // (The crash is logged first: the image thread waits for it.)
      EXPECT_EQ(process.find("process: image thread ended\n") != std::string::npos, !imageThreadCrashed) << logged;
      EXPECT_EQ(process.find("a thread waits for itself"), std::string::npos) << process;
    }
  }
  for (const char* variable : {"VIZO_D3D9_FAULT", "VIZO_D3D9_ADAPTER"}) SetEnvironmentVariableA(variable, nullptr);
}

// The saver's own code in this program, with a fixed seed: a timer of the test's stops the frames
// inside the saver's message loop and draws the next frame twice, so that the screen shows that
// frame whichever of its two presents has reached it (under Wine a present reaches the screen as
// the next is made); the still screen is compared, monitor by monitor, with the reference
// renderer's frame at that monitor's size and shape.
struct StillFrame {
  HWND saver = nullptr;
  std::int32_t step = 0;  // the frames drawn when they were stopped, the last twice
  Screenshot shot;
  bool taken = false;
  int ticks = 0;
};
StillFrame g_still;

void DrawTheNextFrameTwice() {
  auto& owner = renderer::win32::TheScreenMain();
  const renderer::HanabiAnimation animation = renderer::win32::PainterAnimation();
  const renderer::OrbitCamera camera = owner.scene.camera;
  const std::int32_t step = renderer::OrbitStep();
  owner.RenderFrame();
  renderer::win32::PainterAnimation() = animation;
  owner.scene.camera = camera;
  renderer::OrbitStep() = step;
  owner.RenderFrame();
}

void CALLBACK StopAndCapture(HWND, UINT, UINT_PTR timer, DWORD) {
  const bool givingUp = ++g_still.ticks > 600;
  if (!g_still.saver) {
    HWND saver = FindWindowA("WindowsScreenSaverClass", nullptr);
    if (!givingUp && (!saver || renderer::OrbitStep() < 5)) return;
    g_still.saver = saver;
    if (saver) {
      KillTimer(saver, 1);  // the saver's frame timer: the screen keeps the last frame
      DrawTheNextFrameTwice();
    }
    g_still.step = renderer::OrbitStep();
    return;
  }
  // The frame is on the screen once two captures agree.
  Screenshot shot = CaptureScreen();
  const bool settled = shot.pixels == g_still.shot.pixels;
  g_still.shot = std::move(shot);
  if (!settled && !givingUp) return;
  g_still.taken = settled;
  KillTimer(nullptr, timer);
  PostMessageA(g_still.saver, WM_CLOSE, 0, 0);
}

TEST_F(TwoMonitors, EachMonitorMatchesTheReferenceAtItsOwnSizeAndShape) {
  constexpr std::uint32_t Seed = 20261208;
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), "[main]\r\nAllMonitors=1\r\n"));
  auto& owner = renderer::win32::TheScreenMain();
  const auto desktop = win32::ReadDesktopMode();
  settings::SceneSettings read;
  win32::ReadSceneSettingsFromFile(read, desktop);
  ASSERT_TRUE(read.allMonitors);
  owner.scene.TakeSettings(read, desktop);
  renderer::win32::PainterAnimation().SetSeed(Seed);

  SetTimer(nullptr, 0, 30, StopAndCapture);
  win32::TheShell().state.instance = reinterpret_cast<shell::ModuleHandle>(GetModuleHandleA(nullptr));
  EXPECT_EQ(win32::TheShell().RunMode("/s"), 0);
  ASSERT_NE(g_still.saver, nullptr);
  ASSERT_TRUE(g_still.taken) << "the screen did not settle";

  // The same frame from the reference: the animation and the camera stepped as far.
  const auto textures = ReferenceTextures(GetModuleHandleA(nullptr));
  renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(Seed);
  renderer::OrbitCamera camera;
  camera.SetAspect(read.displayWidth, read.displayHeight);
  for (std::int32_t step = 0; step + 1 < g_still.step; ++step) {
    renderer::OrbitStep() = step;
    camera.Update();
    renderer::DrawReferenceFrame(nullptr, camera, animation, read.spacing, textures);
  }
  renderer::OrbitStep() = g_still.step - 1;
  camera.Update();
  for (int monitor = 0; monitor < 2; ++monitor) {
    const Area area = MonitorArea(monitor);
    gfx::Image shown(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
      for (int x = 0; x < area.width; ++x)
        shown.pixels[static_cast<size_t>(y * area.width + x)] = g_still.shot.At(area.left + x, area.top + y);
    }
    // Each monitor draws the same calls: the animation moves on once, after both.
    renderer::HanabiAnimation sameCalls = animation;
    const renderer::OrbitCamera view =
        monitor == 0 ? camera : camera.WithAspect(static_cast<float>(area.width) / static_cast<float>(area.height));
    gfx::Image reference(area.width, area.height);
    renderer::DrawReferenceFrame(&reference, view, sameCalls, read.spacing, textures);
    const FrameError error = CompareFrames(shown, reference);
    const std::string name = "all-monitors-" + LayoutName() + "-monitor" + std::to_string(monitor);
    std::printf("%s, frame %d: mean error %.3f steps, %.3f%% of pixels off by more than 24\n", name.c_str(),
                g_still.step, error.mean, error.farShare * 100);
    SaveArtifact({area.width, area.height, shown.pixels}, name + "-screen");
    SaveArtifact({area.width, area.height, reference.pixels}, name + "-reference");
    EXPECT_LT(error.mean, 1.5) << name;
    EXPECT_LT(error.farShare, 0.01) << name;
  }
}

}  // namespace
}  // namespace vizo::winetest
