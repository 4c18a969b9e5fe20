// Faults injected into the real saver: a stand-in d3d9.dll in the system folder forwards to Wine's
// Direct3D and fails on command (see standins/d3d9.cpp). Each case: exit code, reports, whether
// frames come back, and no hang; and, through a stand-in winmm.dll, that the 1 ms timer resolution
// was asked for once and given back once, whichever way the saver ended.
#include <gtest/gtest.h>

#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vizo::winetest {
namespace {

class SaverFault : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\faults\\winmm.dll", "winmm.dll", "winmm_wine.dll"));
  }
  void SetUp() override { ASSERT_TRUE(standIn_.Installed()); }
  void TearDown() override {
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", nullptr);
    SetEnvironmentVariableA("VIZO_D3D9_ADAPTER", nullptr);
  }

  // The saver's next start meets this fault.
  void Inject(const char* fault, const char* adapter = nullptr) {
    log_.Clear();
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", fault);
    SetEnvironmentVariableA("VIZO_D3D9_ADAPTER", adapter);
  }
  // What the d3d9 stand-in logged, or (timer) the winmm one.
  std::string Log(bool timer = false) const {
    return log_.Text(timer ? StandinLog::Source::Timer : StandinLog::Source::Direct3D);
  }
  std::string Notices() const { return log_.Text(StandinLog::Source::Display); }
  // Where the saver stands, for a failure's message: its window, and whether it runs.
  static std::string Described(const Process& saver) {
    const auto windows = ProcessWindows(saver.Id(), "WindowsScreenSaverClass", nullptr);
    char foreground[64] = {};
    GetClassNameA(GetForegroundWindow(), foreground, sizeof foreground);
    return std::string(saver.Running() ? "running" : "ended") + ", " + std::to_string(windows.size()) +
           " saver windows" + (windows.empty() ? "" : IsWindowVisible(windows.front()) ? ", shown" : ", hidden") +
           ", the foreground a " + foreground;
  }
  bool TimerRaisedOnceAndGivenBack() const { return Log(true) == "timeBeginPeriod 1\ntimeEndPeriod 1\n"; }

  // For the saver alone: the stand-in in the system folder first, Wine's own behind it.
  D3d9Standin standIn_;
  ScopedRegistryValue winmm_{"Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", "winmm", "native,builtin"};
  StandinLog log_;
};

TEST_F(SaverFault, TheFullScreenSaverGetsPastDeviceFaultsAndDrawsAgain) {
  const struct {
    const char* fault;
    const char* log;  // what the stand-in saw, whole, once frames come again
  } cases[] = {
      // The next creation in the Part's order.
      {"hal-hw", "create hal hw refused\ncreate hal sw done\n"},
      // Not before the device said it could be reset (after 9 status checks of being lost), and once.
      {"lost", "create hal hw done\ndevice lost\nreset done after 10 status checks\n10 presents after the reset\n"},
      // One attempt per tick, each after a status check of its own (the first tick asks twice: once
      // about the failed present, once before resetting).
      {"reset-fails",
       "create hal hw done\ndevice lost\nreset refused after 2 status checks\nreset refused after 3 status "
       "checks\nreset refused after 4 status checks\nreset done after 5 status checks\n10 presents after the "
       "reset\n"},
      // Every full-screen device refused: windowed over the monitor, without a report.
      {"full-screen", "create hal hw refused\ncreate hal sw refused\ncreate ref sw refused\ncreate windowed hal hw done\n"},
      // In a Remote Desktop session, no full-screen attempt at all.
      {"remote-session", "create windowed hal hw done\n"},
  };
  for (const auto& c : cases) {
    Inject(c.fault);
    Process saver(SaverPath(), "/s");
    ASSERT_NE(WaitForFullScreenSaver(saver), nullptr) << c.fault << ": " << Log() << Described(saver);
    // Frames come again once the log has grown to its whole expected length.
    const std::size_t expected = std::string(c.log).size();
    ASSERT_TRUE(PumpUntil([&] { return Log().size() >= expected; }, 4 * DefaultTimeoutMs)) << c.fault << ": " << Log();
    EXPECT_EQ(Log(), c.log) << c.fault;
    EXPECT_TRUE(DrawingShows(log_, c.fault)) << c.fault;
    EXPECT_TRUE(ProcessWindows(saver.Id(), "#32770", nullptr).empty()) << c.fault << ": a box came";
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u) << c.fault;
    EXPECT_TRUE(TimerRaisedOnceAndGivenBack()) << c.fault << ": " << Log(true);
    EXPECT_EQ(Log().find("mode set"), std::string::npos) << c.fault << ": " << Log();  // the desktop's mode untouched
  }
}

// Windows' display notices, sent inside the saver's process by the d3d9 stand-in (Wine sends none):
// the full-screen saver registers for the setting its Windows has and is told at once that the
// display is on, which closes nothing; while the display is off nothing is presented and the
// system's tick is given back; on or dimmed, the frames go on. The registration goes with the saver.
TEST_F(SaverFault, NothingIsDrawnWhileTheDisplayIsDark) {
  // Ten of the saver's ticks: what the display's being dark is watched for.
  constexpr DWORD DarkWatchMs = 10 * 33;
  const struct {
    const char* windows;
    const char* setting;
  } cases[] = {{"win10", "console display state"}, {"win7", "monitor power on"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.windows);
    ScopedRegistryValue version("Software\\Wine\\AppDefaults\\vizovizo.scr", "Version", c.windows);
    Inject("");
    Process saver(SaverPath(), "/s", nullptr, true);
    ASSERT_NE(WaitForFullScreenSaver(saver), nullptr);
    const std::string registered = std::string("display notices registered for ") + c.setting + "\n";
    ASSERT_TRUE(PumpUntil([&] {
      const std::string notices = Notices();
      const std::size_t at = notices.find(registered);
      return at != std::string::npos && notices.find("display on sent\n", at) != std::string::npos;
    })) << Notices();
    ASSERT_TRUE(log_.WaitForMorePresents(0, 2));
    // Each notice in turn, once the saver's window has handled it; then whether frames come.
    const struct {
      const char* state;
      bool draws;
    } steps[] = {{"Dimmed", true}, {"Off", false}, {"On", true}, {"Off", false}, {"Dimmed", true}};
    for (const auto& step : steps) {
      SCOPED_TRACE(step.state);
      const std::size_t sent = Notices().size();
      HANDLE request = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string("VizoDisplay") + step.state).c_str());
      ASSERT_NE(request, nullptr);
      SetEvent(request);
      CloseHandle(request);
      ASSERT_TRUE(PumpUntil([&] { return Notices().find(" sent\n", sent) != std::string::npos; })) << Notices();
      const int presents = log_.Presents(0);
      if (step.draws) {
        EXPECT_TRUE(log_.WaitForMorePresents(0, 2));
      } else {
        EXPECT_FALSE(PumpUntil([&] { return log_.Presents(0) > presents; }, DarkWatchMs)) << "a frame while dark";
      }
    }
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u);
    const std::string logged = Notices();
    EXPECT_NE(logged.find("display notices unregistered\n", logged.rfind(" sent\n")), std::string::npos) << logged;
    // The tick raised while the display was lit, given back each time it went dark, and at the end.
    std::string ticks;
    for (int lit = 0; lit < 3; ++lit) ticks += "timeBeginPeriod 1\ntimeEndPeriod 1\n";
    EXPECT_EQ(Log(true), ticks);
    // Closed by the key alone.
    int closes = 0;
    for (const ReceivedMessage& m : log_.Messages()) {
      closes += m.message == WM_CLOSE && m.windowClass == "WindowsScreenSaverClass" ? 1 : 0;
    }
    EXPECT_EQ(closes, 1);
  }
}

// What Wine's d3d9 trace (WINEDEBUG=+d3d9,+pid) says of one process's objects: where each stood at
// the last line that counted its references ("... increasing refcount to N.", "... decreasing
// refcount to N."), and how many Direct3D objects it made. The trace goes where this program's own
// standard error goes, the file wine-run names.
struct Direct3DTrace {
  std::map<std::string, int> lastCount;  // by object
  int made = 0;

  static std::string OutputPath() {
    char unixPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("VIZO_RUN_OUTPUT", unixPath, MAX_PATH)) return "";
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }

  Direct3DTrace(const std::string& text, DWORD processId) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(processId));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with(prefix) || line.find(":trace:d3d9:") == std::string::npos) continue;
      made += line.find("Created d3d9 object") != std::string::npos ? 1 : 0;
      for (const char* counted : {" increasing refcount to ", " decreasing refcount to "}) {
        const std::size_t at = line.find(counted);
        if (at == std::string::npos) continue;
        const std::size_t object = line.rfind(' ', at - 1) + 1;
        lastCount[line.substr(object, at - object)] = std::atoi(line.c_str() + at + std::strlen(counted));
      }
    }
  }

  // The objects still held, with their counts.
  std::string Held() const {
    std::string held;
    for (const auto& [object, count] : lastCount) {
      if (count != 0) held += object + " at " + std::to_string(count) + "; ";
    }
    return held;
  }
};

// Every Direct3D object the saver made stands at 0 once it has ended, whichever way it went.
TEST_F(SaverFault, EveryDirect3DObjectIsLetGoOnEveryWayOut) {
  const std::string output = Direct3DTrace::OutputPath();
  ASSERT_FALSE(output.empty()) << "run it with wine-run, which names the file Wine's trace goes to";
  enum class WayOut { Key, Report, PaneGone, KeyAfterALoss };
  const struct {
    const char* name;
    const char* fault;
    WayOut way;
    DWORD exitCode;
  } cases[] = {{"a key", "", WayOut::Key, 0},
               {"a report while the device holds the screen", "texture", WayOut::Report, 1},
               {"the preview's pane gone", "", WayOut::PaneGone, 0},
               {"a key after a lost device came back", "lost", WayOut::KeyAfterALoss, 0}};
  char wineDebug[256] = {};
  const bool hadWineDebug = GetEnvironmentVariableA("WINEDEBUG", wineDebug, sizeof wineDebug) != 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Inject(c.fault);
    HWND pane = c.way == WayOut::PaneGone ? CreatePreviewPane("TracePreviewHost", 100, 100) : nullptr;
    SetEnvironmentVariableA("WINEDEBUG", "+d3d9,+pid");
    Process saver(SaverPath(), pane ? "/p " + std::to_string(reinterpret_cast<UINT_PTR>(pane)) : "/s");
    SetEnvironmentVariableA("WINEDEBUG", hadWineDebug ? wineDebug : nullptr);
    switch (c.way) {
      case WayOut::Key:
        ASSERT_TRUE(log_.WaitForMorePresents(0, 2));
        PressKey(VK_SPACE);
        break;
      case WayOut::KeyAfterALoss:
        ASSERT_TRUE(PumpUntil([&] { return Log().ends_with("10 presents after the reset\n"); }, 4 * DefaultTimeoutMs));
        PressKey(VK_SPACE);
        break;
      case WayOut::Report:
        for (int report = 0; report < 3; ++report) EXPECT_FALSE(DismissNextReport(saver).empty());
        break;
      case WayOut::PaneGone:
        ASSERT_TRUE(log_.WaitForMorePresents(0, 2));
        ShowWindow(pane, SW_HIDE);
        DestroyWindow(pane);
        break;
    }
    EXPECT_EQ(saver.WaitForExit(), c.exitCode);
    const Direct3DTrace trace(ReadFileBytes(output).value_or(""), saver.Id());
    EXPECT_GE(trace.made, 2);  // the desktop's size at start, then the scene's
    EXPECT_FALSE(trace.lastCount.empty());
    EXPECT_EQ(trace.Held(), "");
  }
}

// A start that fails ends with 1, whatever arrives while its reports are up.
TEST_F(SaverFault, FailedResourcesAreReportedInOrderAndEndWithOne) {
  const struct {
    const char* fault;
    const char* adapter;  // the only adapter the fault hits; nullptr: every one
    std::vector<std::pair<const wchar_t*, int>> reports;
    bool keyWhileTheBoxIsUp;
  } cases[] = {
      {"texture", nullptr, {{L"hanabiPainter.cpp", 70}, {L"ScreenMain.cpp", 218}, {L"Quellar.cpp", 74}}, false},
      {"vertex-buffer", nullptr, {{L"hanabiPainter.cpp", 46}, {L"ScreenMain.cpp", 218}, {L"Quellar.cpp", 74}}, false},
      // A driver without a full-screen device on the main adapter.
      {"device", "0", {{L"ScreenMain.cpp", 106}, {L"Quellar.cpp", 73}}, false},
      {"device", "0", {{L"ScreenMain.cpp", 106}, {L"Quellar.cpp", 73}}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + (c.keyWhileTheBoxIsUp ? ", a key while the box is up" : ""));
    Inject(c.fault, c.adapter);
    Process saver(SaverPath(), "/s");
    // Raised over the top-most full-screen saver, the report must show above it.
    EXPECT_TRUE(SeenOnScreen(WaitForDialog(saver, "Error"), (std::string("report-over-saver-") + c.fault).c_str()));
    if (c.keyWhileTheBoxIsUp) PressKey('A');  // no key of the box's
    for (const auto& [file, line] : c.reports) EXPECT_TRUE(ReportNames(DismissNextReport(saver), file, line)) << line;
    EXPECT_EQ(saver.WaitForExit(), 1u);
    EXPECT_TRUE(TimerRaisedOnceAndGivenBack()) << Log(true);
  }
}

// A preview lives as long as its pane, whatever it shows: it recovers while the pane lives, reports
// while the pane lives, and ends with the pane, box or no box, leaving no box behind.
TEST_F(SaverFault, APreviewRecoversOrReportsWhileItsPaneLivesAndEndsWithIt) {
  enum class PaneGoes { AfterRecovery, Never, AtTheFirstBox, BeforeAnyBox };
  using Reports = std::vector<std::pair<const wchar_t*, int>>;
  const struct {
    const char* fault;
    PaneGoes paneGoes;
    const char* logged;  // what the stand-in must have seen, once it is time for the pane to go
    DWORD exitCode;
    Reports reports = {};  // each answered, where the pane outlives them
    bool deviceMade = false;  // and let go as the preview ends
  } cases[] = {
      {"lost", PaneGoes::AfterRecovery, "reset done after 10 status checks\n10 presents after the reset\n", 0, {}, true},
      // Both reports of the failure chain, each answered.
      {"windowed", PaneGoes::Never, "create windowed ref sw refused\n", 1,
       {{L"ScreenMain.cpp", 106}, {L"Quellar.cpp", 73}}},
      {"windowed", PaneGoes::AtTheFirstBox, "create windowed ref sw refused\n", 1},
      // The device is refused only once the pane is gone: the report finds no pane.
      {"windowed-after-pane", PaneGoes::BeforeAnyBox, "waiting for the pane to go\n", 1},
      // With a device: the reports' end destroys the window left behind, and the device goes with
      // it; the pane gone under the first box ends the scene before the process.
      {"texture", PaneGoes::Never, "texture refused\n", 1,
       {{L"hanabiPainter.cpp", 70}, {L"ScreenMain.cpp", 218}, {L"Quellar.cpp", 74}}, true},
      {"texture", PaneGoes::AtTheFirstBox, "texture refused\n", 1, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    HWND pane = CreatePreviewPane("FaultPreviewHost", 100, 100);
    ASSERT_NE(pane, nullptr);
    Inject(c.fault);
    Process saver(SaverPath(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(pane)));
    HWND box = nullptr;
    if (c.paneGoes == PaneGoes::Never) {
      for (const auto& [file, line] : c.reports) EXPECT_TRUE(ReportNames(DismissNextReport(saver), file, line)) << line;
    } else if (c.paneGoes == PaneGoes::AtTheFirstBox) {
      box = WaitForDialog(saver, "Error");
      ASSERT_NE(box, nullptr);
    }
    const std::string logged = c.logged;
    EXPECT_TRUE(PumpUntil([&] { return Log().find(logged) != std::string::npos; }, 4 * DefaultTimeoutMs)) << Log();
    // Hidden first: Wine, with no window manager to answer, waits 2 s to hide a top-level window,
    // and DestroyWindow would do that before it destroys the saver's window inside.
    ShowWindow(pane, SW_HIDE);
    FILETIME destroying{};
    GetSystemTimeAsFileTime(&destroying);
    DestroyWindow(pane);
    // Until the process is gone, no box but the one that was up.
    bool laterBox = false;
    EXPECT_TRUE(PumpUntil([&] {
      for (HWND window : ProcessWindows(saver.Id(), "#32770", nullptr)) laterBox |= window != box;
      return !saver.Running();
    }));
    const ULONGLONG start = ULARGE_INTEGER{{destroying.dwLowDateTime, destroying.dwHighDateTime}}.QuadPart;
    if (c.paneGoes != PaneGoes::Never) {  // for the record: how long the saver outlived its pane
      std::printf("%s: ended %lld ms after its pane's destruction began\n", c.fault,
                  (static_cast<long long>(saver.ExitTime().value_or(start)) - static_cast<long long>(start)) / 10000);
    }
    EXPECT_FALSE(laterBox);
    EXPECT_EQ(saver.WaitForExit(), c.exitCode);
    EXPECT_EQ(Log(true), "");  // the system's tick left alone
    EXPECT_EQ(Log().find("adapter 0: released in ") != std::string::npos, c.deviceMade) << Log();
  }
}

// The pane's process killed while the preview's report is up, no window destroyed from this side:
// the saver finds its pane gone and ends at once, without the box being answered.
TEST_F(SaverFault, APreviewsReportEndsWithThePanesProcess) {
  Inject("windowed");
  Process host(ProgramDir() + "\\preview_host.exe", "\"" + SaverPath() + "\"");
  ASSERT_TRUE(host.Started());
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = FindWindowA("#32770", "Error")) != nullptr && IsWindowVisible(box); }));
  DWORD saverId = 0;
  GetWindowThreadProcessId(box, &saverId);
  HANDLE saver = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, saverId);
  ASSERT_NE(saver, nullptr);
  HANDLE hosting = OpenProcess(PROCESS_TERMINATE, FALSE, host.Id());
  ASSERT_TRUE(hosting && TerminateProcess(hosting, 0xDEAD));
  CloseHandle(hosting);
  EXPECT_EQ(WaitForSingleObject(saver, DefaultTimeoutMs), WAIT_OBJECT_0) << "the saver still waits on its box";
  DWORD exitCode = 0;
  GetExitCodeProcess(saver, &exitCode);
  EXPECT_EQ(exitCode, 1u);
  TerminateProcess(saver, 0xDEAD);  // whatever became of it, not left running
  CloseHandle(saver);
}

// The full-screen saver asks for 1 ms, or the nearest the system offers.
TEST_F(SaverFault, TheFullScreenSaverRaisesTheTimerResolutionWithinTheSystemsRange) {
  const struct {
    const char* range;  // what timeGetDevCaps answers (the system's own range gives 1 ms: the tests above)
    const char* log;
  } cases[] = {{"5 1000000", "timeBeginPeriod 5\ntimeEndPeriod 5\n"},
               {"16 10", "timeBeginPeriod 10\ntimeEndPeriod 10\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    Inject("");
    SetEnvironmentVariableA("VIZO_WINMM_CAPS", c.range);
    Process saver(SaverPath(), "/s");
    ASSERT_NE(WaitForFullScreenSaver(saver), nullptr);
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u);
    EXPECT_EQ(Log(true), c.log);
  }
  SetEnvironmentVariableA("VIZO_WINMM_CAPS", nullptr);
}

// No saver window, no change of the timer's resolution.
TEST_F(SaverFault, TheSettingsDialogLeavesTheTimerResolutionAlone) {
  Inject("");
  Process dialog(SaverPath(), "/c");
  HWND box = WaitForDialog(dialog);
  ASSERT_NE(box, nullptr);
  PostMessageA(GetDlgItem(box, 1016), BM_CLICK, 0, 0);  // Cancel
  EXPECT_EQ(dialog.WaitForExit(), 1016u);
  EXPECT_EQ(Log(true), "");
}

}  // namespace
}  // namespace vizo::winetest
