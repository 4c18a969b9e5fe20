#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "renderer/scene_owner.h"

namespace vizo::renderer {
namespace {

constexpr std::uint32_t X8R8G8B8 = 22;

// Answers from fields, records every call.
class FakeGraphics final : public SceneGraphics {
 public:
  std::vector<std::string> calls;
  bool direct3d = true;
  std::map<int, DisplayMode> modes{{0, {1024, 768, 60, X8R8G8B8}}};
  std::vector<DisplayMode> listed{{640, 480, 60, X8R8G8B8}, {800, 600, 60, X8R8G8B8}, {1024, 768, 60, X8R8G8B8}};
  std::map<int, std::vector<DisplayMode>> otherListed;  // what adapters 1 and up list
  // The desktop's monitors; when empty, one per adapter side by side, each its adapter's.
  std::vector<DesktopMonitor> desktop;
  std::vector<DesktopMonitor> laterDesktop;      // what the desktop says once the main device is made
  std::map<int, MonitorHandle> adapterMonitors;  // by adapter, where it answers other than its own
  std::map<int, MonitorRect> covers;             // where each cover was put last
  // Device creations that succeed, as "slot:type:processing", e.g. "0:hal:sw"; empty means all do.
  std::set<std::string> creatable;
  std::optional<ShaderVersions> caps = ShaderVersions{0xFFFF0300, 0xFFFE0300};
  int adapters = 1;
  bool clearWorks = true;
  std::map<int, std::vector<bool>> presents;          // successive Present answers by slot; true when exhausted
  std::map<int, std::vector<DeviceStatus>> statuses;  // by slot; Ready when exhausted
  bool resetWorks = true;
  std::set<std::uint32_t> refusedWidths;   // back-buffer widths no creation accepts
  std::set<std::uint32_t> refusedHeights;  // and heights
  std::set<int> failingResets;            // slots whose resets fail
  std::set<int> failingClears;            // slots whose clears fail
  bool fullScreenRefused = false;  // every full-screen creation fails, as over Remote Desktop
  bool remote = false;
  bool mainMade = false;
  std::function<void()> onRelease;  // what a device's going brings about (a display change)
  Presentation lastCreated;
  std::vector<Presentation> secondaries;  // what each secondary creation asked for

  static std::string Name(DeviceType t, VertexProcessing p) {
    return std::string(t == DeviceType::Hal ? "hal" : "ref") + (p == VertexProcessing::Hardware ? ":hw" : ":sw");
  }

  template <typename T>
  static T Next(std::vector<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    const T answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }

  bool CreateDirect3D() override { return direct3d; }
  bool RemoteSession() override { return remote; }
  int AdapterCount() override { return adapters; }
  std::vector<DesktopMonitor> DesktopMonitors() override {
    if (mainMade && !laterDesktop.empty()) return laterDesktop;
    if (!desktop.empty()) return desktop;
    std::vector<DesktopMonitor> sideBySide;
    for (int a = 0; a < adapters; ++a) {
      const std::int32_t left = a * 1024;
      sideBySide.push_back({static_cast<MonitorHandle>(100 + a), "DISPLAY" + std::to_string(a + 1),
                            {left, 0, left + 1024, 768}, a == 0});
    }
    return sideBySide;
  }
  MonitorHandle AdapterMonitor(int adapter) override {
    const auto found = adapterMonitors.find(adapter);
    return found == adapterMonitors.end() ? static_cast<MonitorHandle>(100 + adapter) : found->second;
  }
  bool CoverMonitor(int cover, const MonitorRect& where) override {
    calls.push_back("cover " + std::to_string(cover));
    covers[cover] = where;
    return true;
  }
  void UncoverMonitors() override { calls.push_back("uncover"); }
  std::optional<DisplayMode> CurrentMode(int adapter) override {
    const auto found = modes.find(adapter);
    return found == modes.end() ? std::nullopt : std::optional(found->second);
  }
  std::optional<DisplayMode> ListedMode(int adapter, std::uint32_t format, std::uint32_t index) override {
    const auto& offered = adapter == 0 ? listed : otherListed[adapter];
    if (format != X8R8G8B8 || index >= offered.size()) return std::nullopt;
    return offered[index];
  }
  bool CreateDevice(int slot, int adapter, DeviceType t, VertexProcessing p,
                    const Presentation& presentation) override {
    const std::string attempt = std::to_string(slot) + ":" + Name(t, p);
    calls.push_back("create " + attempt + " adapter " + std::to_string(adapter));
    const bool ok = (creatable.empty() || creatable.count(attempt)) && !refusedWidths.count(presentation.width) &&
                    !refusedHeights.count(presentation.height) && !(fullScreenRefused && !presentation.windowed);
    if (ok && slot == 0) lastCreated = presentation;
    mainMade |= ok && slot == 0;
    if (slot != 0) secondaries.push_back(presentation);
    return ok;
  }
  void ReleaseDevice(int slot) override {
    calls.push_back("release " + std::to_string(slot));
    if (onRelease) onRelease();
  }
  void ReleaseDirect3D() override { calls.push_back("release direct3d"); }
  std::optional<ShaderVersions> Capabilities() override { return caps; }
  bool Clear(int slot) override {
    calls.push_back("clear " + std::to_string(slot));
    return clearWorks && !failingClears.count(slot);
  }
  bool Present(int slot) override {
    calls.push_back("present " + std::to_string(slot));
    return Next(presents[slot], true);
  }
  bool Reset(int slot, const Presentation&) override {
    calls.push_back("reset " + std::to_string(slot));
    return resetWorks && !failingResets.count(slot);
  }
  DeviceStatus Status(int slot) override { return Next(statuses[slot], DeviceStatus::Ready); }
  bool BeginScene(int slot) override {
    calls.push_back("begin " + std::to_string(slot));
    return true;
  }
  void EndScene(int slot) override { calls.push_back("end " + std::to_string(slot)); }
};

// Counts its frames; notes what it does among the graphics calls.
class CountingContent final : public FrameContent {
 public:
  explicit CountingContent(std::vector<std::string>& calls) : calls_(calls) {}
  int frames = 0;                  // times the animation moved on
  std::set<int> failingResources;  // slots whose resources can't be made or restored
  std::set<int> failingRestores;   // slots whose resources can't be restored
  void Advance() override {
    ++frames;
    calls_.push_back("advance");
  }
  void Draw(int slot) override { calls_.push_back("draw " + std::to_string(slot)); }
  bool CreateResources(int slot) override {
    calls_.push_back("create resources " + std::to_string(slot));
    return !failingResources.count(slot);
  }
  void ReleaseDeviceResources(int slot) override { calls_.push_back("release resources " + std::to_string(slot)); }
  bool RestoreDeviceResources(int slot) override {
    calls_.push_back("restore resources " + std::to_string(slot));
    return !failingResources.count(slot) && !failingRestores.count(slot);
  }

 private:
  std::vector<std::string>& calls_;
};

std::vector<int> g_reports;
void Record(int line) { g_reports.push_back(line); }

// The settings read at start: a Display size (0 x 0 for none) and AllMonitors.
void TakeSettings(SceneOwner& scene, FakeGraphics& graphics, std::int32_t width, std::int32_t height,
                  bool allMonitors = false) {
  settings::SceneSettings read;
  read.displayWidth = width;
  read.displayHeight = height;
  read.allMonitors = allMonitors;
  scene.TakeSettings(read, graphics.modes[0]);
}

// A frame's calls when these slots draw, the first moving the animation on; the recovered slot's
// device is reset first.
std::vector<std::string> FrameCalls(std::initializer_list<int> slots, int recovered = -1) {
  std::vector<std::string> calls;
  for (const int slot : slots) {
    const std::string n = std::to_string(slot);
    if (slot == recovered)
      calls.insert(calls.end(), {"release resources " + n, "reset " + n, "restore resources " + n});
    calls.insert(calls.end(), {"clear " + n, "begin " + n});
    if (slot == *slots.begin()) calls.push_back("advance");
    calls.insert(calls.end(), {"draw " + n, "end " + n, "present " + n});
  }
  return calls;
}

int CountOf(const std::vector<std::string>& calls, const std::string& call) {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

struct Scene : ::testing::Test {
  FakeGraphics graphics;
  SceneOwner owner{graphics, Record};
  void SetUp() override {
    g_reports.clear();
    TakeSettings(owner, graphics, 800, 600);
  }
  int Count(const std::string& call) const { return CountOf(graphics.calls, call); }
};

TEST_F(Scene, FullScreenUsesTheDisplaySettingWindowedTheWindowSize) {
  const struct {
    std::int32_t width, height;
    bool windowed;
    std::uint32_t bufferWidth, bufferHeight;
    SaverWindowKind kind = SaverWindowKind::TopLevel;
  } cases[] = {{1280, 1024, false, 800, 600},
               {640, 480, false, 800, 600},
               {639, 1200, true, 639, 1200},
               {1280, 479, true, 1280, 479},
               {152, 112, true, 152, 112},
               // A preview pane as large as a screen is still a child window.
               {1280, 1024, true, 1280, 1024, SaverWindowKind::Child}};
  for (const auto& c : cases) {
    graphics.calls.clear();
    ASSERT_TRUE(owner.InitDevice(std::pair{c.width, c.height}, c.kind));
    EXPECT_EQ(graphics.lastCreated.windowed, c.windowed);
    EXPECT_EQ(graphics.lastCreated.width, c.bufferWidth);
    EXPECT_EQ(graphics.lastCreated.height, c.bufferHeight);
    EXPECT_EQ(graphics.lastCreated.refreshRate, c.windowed ? 0u : 60u);
    EXPECT_EQ(graphics.lastCreated.deviceWindow, c.windowed ? DeviceWindow::None : DeviceWindow::Saver);
  }
  EXPECT_TRUE(g_reports.empty());
}

TEST_F(Scene, FullScreenRefreshRateIsOneTheAdapterListsForTheSize) {
  const struct {
    const char* name;
    std::uint32_t desktopRate;
    std::vector<std::uint32_t> listedAt800;  // rates listed at the 800 x 600 of the Display setting
    std::uint32_t used;
    // A Display size of 1280 x 1024 instead, which the adapter neither lists nor takes: the main
    // device falls back to the desktop's size, at the rate the same rule gives there.
    bool unlistedSize = false;
  } cases[] = {
      {"the desktop's", 75, {60, 75, 85}, 75},
      {"the desktop's, however slow", 2, {2, 60}, 2},
      {"the fastest below the desktop's", 144, {60, 75, 160}, 75},
      {"only faster ones: the slowest", 60, {85, 75}, 75},
      {"none at that size: the adapter's default", 144, {}, 0},
      {"the desktop's is the hardware default (0): kept", 0, {60, 75}, 0},
      {"the desktop's is the hardware default (1): kept", 1, {60, 75}, 0},
      {"falling back to the desktop's size, at its default (1): kept", 1, {60, 75}, 0, true},
      {"falling back to the desktop's size, at its rate", 75, {60, 75}, 75, true},
  };
  for (const auto& c : cases) {
    FakeGraphics fresh;
    fresh.modes[0].refreshRate = c.desktopRate;
    fresh.listed = {{800, 500, c.desktopRate, X8R8G8B8}, {1024, 768, c.desktopRate, X8R8G8B8}};
    for (const auto rate : c.listedAt800) fresh.listed.push_back({800, 600, rate, X8R8G8B8});
    // A secondary in a mode of that size lists the same.
    fresh.adapters = 2;
    fresh.modes[1] = {800, 600, c.desktopRate, X8R8G8B8};
    fresh.otherListed[1] = fresh.listed;
    if (c.unlistedSize) fresh.refusedWidths = {1280};
    SceneOwner scene{fresh, Record};
    TakeSettings(scene, fresh, c.unlistedSize ? 1280 : 800, c.unlistedSize ? 1024 : 600);
    ASSERT_TRUE(scene.InitDevice(std::pair{1024, 768})) << c.name;
    EXPECT_EQ(fresh.lastCreated.width, c.unlistedSize ? 1024u : 800u) << c.name;
    EXPECT_EQ(fresh.lastCreated.refreshRate, c.used) << c.name;
    ASSERT_EQ(fresh.secondaries.size(), 1u) << c.name;
    EXPECT_EQ(fresh.secondaries[0].refreshRate, c.used) << c.name;
  }
}

TEST_F(Scene, AnEmptyPreviewPaneGetsNoDeviceNoReportAndNoFrames) {
  for (const auto& size : {std::pair{0, 112}, std::pair{152, 0}, std::pair{0, 0}}) {
    FakeGraphics fresh;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    EXPECT_TRUE(scene.InitDevice(size, SaverWindowKind::Child));
    EXPECT_FALSE(scene.hasDevice);
    CountingContent content(fresh.calls);
    scene.RenderFrame(content);
    EXPECT_EQ(content.frames, 0);
    EXPECT_TRUE(fresh.calls.empty());
    EXPECT_TRUE(g_reports.empty());
  }
}

TEST_F(Scene, DeviceCreationFallsBackAndReportsWhenNothingWorks) {
  const struct {
    std::set<std::string> creatable;
    std::vector<std::string> attempts;
    std::vector<int> reports;
  } cases[] = {
      {{"0:hal:hw"}, {"create 0:hal:hw adapter 0"}, {}},
      {{"0:hal:sw"}, {"create 0:hal:hw adapter 0", "create 0:hal:sw adapter 0"}, {}},
      {{"0:ref:sw"}, {"create 0:hal:hw adapter 0", "create 0:hal:sw adapter 0", "create 0:ref:sw adapter 0"}, {}},
      {{"nothing"}, {"create 0:hal:hw adapter 0", "create 0:hal:sw adapter 0", "create 0:ref:sw adapter 0"}, {106}},
  };
  for (const auto& c : cases) {
    FakeGraphics fresh;
    fresh.creatable = c.creatable;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    EXPECT_EQ(scene.InitDevice(std::pair{152, 112}), c.reports.empty());
    EXPECT_EQ(fresh.calls, c.attempts);
    EXPECT_EQ(g_reports, c.reports);
  }
}

TEST_F(Scene, ADisplaySizeTheAdapterRefusesFallsBackToTheDesktopMode) {
  const struct {
    std::int32_t displayWidth, displayHeight;
    std::pair<std::int32_t, std::int32_t> window;
    std::set<std::uint32_t> refused;
    int attempts;
    std::uint32_t usedWidth;  // 0: no device
    std::set<std::uint32_t> refusedHeights = {};
    bool windowed = false;  // the device that came of it
  } cases[] = {
      {1280, 1024, {1024, 768}, {1280}, 4, 1024},     // the desktop's size, first attempt
      {1280, 768, {1024, 768}, {1280}, 4, 1024},      // one side differs: the same
      {1024, 600, {1024, 768}, {}, 4, 1024, {600}},   // the other side: the same
      {1280, 1024, {1024, 768}, {1280, 1024}, 9, 0},  // neither size, nor windowed at the monitor's: 106
      {1024, 768, {1024, 768}, {1024}, 6, 0},         // already the desktop's size: no second round
      // A listed size failed for another reason: no second round at full screen, windowed instead.
      {800, 600, {1024, 768}, {800}, 4, 1024, {}, true},
      {800, 600, {1024, 768}, {800, 1024}, 6, 0},     // no device at all
      {1280, 1024, {152, 112}, {152}, 3, 0},          // a preview never changes size
  };
  for (const auto& c : cases) {
    FakeGraphics fresh;
    fresh.refusedWidths = c.refused;
    fresh.refusedHeights = c.refusedHeights;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    TakeSettings(scene, fresh, c.displayWidth, c.displayHeight);
    EXPECT_EQ(scene.InitDevice(c.window), c.usedWidth != 0) << c.displayWidth;
    EXPECT_EQ(std::count_if(fresh.calls.begin(), fresh.calls.end(), [](const std::string& call) { return call.starts_with("create"); }),
              c.attempts)
        << c.displayWidth;
    if (c.usedWidth != 0) {
      EXPECT_EQ(fresh.lastCreated.width, c.usedWidth);
      EXPECT_EQ(fresh.lastCreated.height, 768u);
      EXPECT_EQ(fresh.lastCreated.windowed, c.windowed);
      EXPECT_EQ(fresh.lastCreated.refreshRate, c.windowed ? 0u : 60u);  // the desktop's, as its size
      EXPECT_FLOAT_EQ(scene.camera.aspect, 1024.0f / 768.0f);  // follows the size used
      EXPECT_TRUE(g_reports.empty());
    } else {
      EXPECT_EQ(g_reports, std::vector<int>{106});
    }
  }
}

// Where Windows refuses every full-screen device, the main monitor draws windowed at its own size
// onto its part of the saver window, and the others stay black under their covers, whatever
// AllMonitors says; in a Remote Desktop session no full-screen device is even tried.
TEST_F(Scene, WhereTheScreenIsRefusedTheMainMonitorDrawsWindowedAtItsOwnSize) {
  const DesktopMonitor primary{100, "DISPLAY1", {0, 0, 1024, 768}, true};
  const DesktopMonitor secondary{101, "DISPLAY2", {1024, 0, 2304, 1024}, false};
  const DesktopMonitor notPrimary{101, "DISPLAY2", {0, 0, 1280, 1024}, false};
  const std::optional<MonitorRect> onThePrimary = primary.rect, wholeWindow;
  const struct {
    const char* name;
    std::vector<DesktopMonitor> desktop;
    bool allMonitors, remote;
    bool triesFullScreen;
    std::vector<ViewRole> roles;
    std::optional<MonitorRect> mainTarget;
    std::uint32_t mainWidth, mainHeight;
    std::set<int> covers;  // the monitors still covered
  } cases[] = {
      {"one monitor", {primary}, false, false, true, {ViewRole::Draw}, onThePrimary, 1024, 768, {}},
      {"two, the secondary kept black: its cover alone", {primary, secondary}, false, false, true,
       {ViewRole::Draw, ViewRole::None}, onThePrimary, 1024, 768, {1}},
      {"two, the secondary drawing too: refused, kept black", {primary, secondary}, true, false, true,
       {ViewRole::Draw, ViewRole::None}, onThePrimary, 1024, 768, {1}},
      {"remote, two, the secondary kept black", {primary, secondary}, false, true, false,
       {ViewRole::Draw, ViewRole::None}, onThePrimary, 1024, 768, {1}},
      {"remote, two, the secondary drawing too: kept black", {primary, secondary}, true, true, false,
       {ViewRole::Draw, ViewRole::None}, onThePrimary, 1024, 768, {1}},
      {"no main monitor known: the whole saver window at its size (and its monitor covered, as ever)",
       {notPrimary}, false, false, true, {ViewRole::Draw}, wholeWindow, 1280, 1024, {0}},
  };
  for (const auto& c : cases) {
    FakeGraphics fresh;
    fresh.adapters = static_cast<int>(c.desktop.size());
    fresh.modes[1] = {1280, 1024, 60, X8R8G8B8};
    fresh.desktop = c.desktop;
    if (c.desktop[0].handle != 100) fresh.adapterMonitors = {{0, 999}};
    fresh.fullScreenRefused = true;
    fresh.remote = c.remote;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    TakeSettings(scene, fresh, 800, 600, c.allMonitors);
    ASSERT_TRUE(scene.InitDevice(std::pair{1280, 1024})) << c.name;
    EXPECT_TRUE(g_reports.empty()) << c.name;
    // Each full-screen round's first attempt, then the windowed one's.
    EXPECT_EQ(CountOf(fresh.calls, "create 0:hal:hw adapter 0"), c.triesFullScreen ? 2 : 1) << c.name;
    const int secondaryAttempts = c.desktop.size() < 2 ? 0 : (c.triesFullScreen ? 1 : 0);
    EXPECT_EQ(CountOf(fresh.calls, "create 1:hal:hw adapter 1"), secondaryAttempts) << c.name;
    std::set<int> covers;
    for (const auto& [monitor, where] : fresh.covers) covers.insert(monitor);
    EXPECT_EQ(covers, c.covers) << c.name;
    EXPECT_EQ(std::set<int>(scene.covered.begin(), scene.covered.end()), c.covers) << c.name;
    std::vector<ViewRole> roles;
    for (const View& view : scene.views) {
      roles.push_back(view.role);
      if (view.role == ViewRole::None) continue;
      EXPECT_TRUE(view.presentation.windowed) << c.name;
      EXPECT_EQ(view.presentation.refreshRate, 0u) << c.name;
    }
    EXPECT_EQ(roles, c.roles) << c.name;
    const Presentation& main = scene.views[0].presentation;
    EXPECT_EQ(main.deviceWindow, DeviceWindow::None) << c.name;
    EXPECT_EQ(main.target, c.mainTarget) << c.name;
    // The main monitor's own pixels, undistorted, whatever the Display size.
    EXPECT_EQ(main.width, c.mainWidth) << c.name;
    EXPECT_EQ(main.height, c.mainHeight) << c.name;
    EXPECT_FLOAT_EQ(scene.camera.aspect, static_cast<float>(c.mainWidth) / static_cast<float>(c.mainHeight)) << c.name;
  }
  // Refused windowed too: the report, as ever.
  FakeGraphics nothing;
  nothing.fullScreenRefused = true;
  nothing.refusedWidths = {1024};
  SceneOwner refused{nothing, Record};
  g_reports.clear();
  TakeSettings(refused, nothing, 800, 600);
  EXPECT_FALSE(refused.InitDevice(std::pair{1024, 768}));
  EXPECT_EQ(g_reports, std::vector<int>{106});
}

// The main monitor's frames follow it: a new place or size resets the device to it before the next
// frame, the camera taking its shape.
TEST_F(Scene, TheWindowedMainViewFollowsItsMonitor) {
  graphics.fullScreenRefused = true;
  graphics.desktop = {{100, "DISPLAY1", {0, 0, 1024, 768}, true}};
  const MonitorRect larger{0, 0, 1280, 1024};
  graphics.laterDesktop = {{100, "DISPLAY1", larger, true}};
  ASSERT_TRUE(owner.InitDevice(std::pair{1024, 768}));
  EXPECT_EQ(owner.views[0].presentation.target, larger);  // it had changed by the time the device was made
  EXPECT_EQ(owner.views[0].presentation.width, 1280u);
  CountingContent content(graphics.calls);
  graphics.calls.clear();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, FrameCalls({0}, 0));
  EXPECT_FLOAT_EQ(owner.camera.aspect, 1280.0f / 1024.0f);
  EXPECT_FLOAT_EQ(owner.views[0].aspect, 1280.0f / 1024.0f);
  graphics.calls.clear();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, FrameCalls({0}));
  const MonitorRect moved{100, 0, 1380, 1024};
  graphics.laterDesktop = {{100, "DISPLAY1", moved, true}};
  owner.FollowLayout();
  EXPECT_EQ(owner.views[0].presentation.target, moved);
  graphics.calls.clear();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, FrameCalls({0}, 0));
}

TEST_F(Scene, CapabilityCheckRecreatesOnTheReferenceOrWithSoftwareVertices) {
  const struct {
    ShaderVersions caps;
    std::set<std::string> creatable;
    std::vector<std::string> afterFirst;
    bool ok;
  } cases[] = {
      {{0xFFFF0101, 0xFFFE0101}, {}, {}, true},  // 1.1 both: kept
      {{0xFFFF0100, 0xFFFE0300}, {}, {"release 0", "create 0:ref:hw adapter 0"}, true},
      {{0xFFFF0200, 0xFFFE0100}, {}, {"release 0", "create 0:hal:sw adapter 0"}, true},
      {{0xFFFF0000, 0xFFFE0000},
       {"0:hal:hw"},
       {"release 0", "create 0:ref:sw adapter 0", "create 0:ref:sw adapter 0", "create 0:ref:sw adapter 0"},
       false},
  };
  for (const auto& c : cases) {
    FakeGraphics fresh;
    fresh.caps = c.caps;
    fresh.creatable = c.creatable;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    EXPECT_EQ(scene.InitDevice(std::pair{152, 112}), c.ok);
    const std::vector<std::string> after(fresh.calls.begin() + 1, fresh.calls.end());
    EXPECT_EQ(after, c.afterFirst);
    EXPECT_EQ(g_reports, c.ok ? std::vector<int>{} : std::vector<int>{153});
  }
}

TEST_F(Scene, SetUpFailuresReportTheirLines) {
  EXPECT_FALSE(owner.InitDevice(std::nullopt));
  graphics.direct3d = false;
  EXPECT_FALSE(owner.InitDevice(std::pair{800, 600}));
  graphics.direct3d = true;
  graphics.modes.clear();
  EXPECT_FALSE(owner.InitDevice(std::pair{800, 600}));
  graphics.modes[0] = {1024, 768, 60, X8R8G8B8};
  graphics.caps.reset();
  EXPECT_FALSE(owner.InitDevice(std::pair{800, 600}));
  EXPECT_EQ(g_reports, (std::vector<int>{48, 51, 53, 114}));
}

TEST_F(Scene, SecondaryMonitorsAreBlankedOnlyInFullScreen) {
  graphics.adapters = 6;
  graphics.modes[1] = {1280, 1024, 75, X8R8G8B8};
  graphics.modes[3] = {800, 600, 60, X8R8G8B8};
  graphics.modes[4] = {800, 600, 60, X8R8G8B8};
  ASSERT_TRUE(owner.InitDevice(std::pair{152, 112}));
  EXPECT_EQ(Count("cover 1") + Count("clear 1") + Count("clear 3"), 0);
  graphics.calls.clear();
  graphics.presents[3] = {false};
  ASSERT_TRUE(owner.InitDevice(std::pair{1024, 768}));
  // Every other monitor is covered before any device is made; adapter 2 has no mode and gets no
  // device; 1 and 3 are cleared and presented (3, whose present fails, reset); from 4 on, the window
  // alone keeps them black. Once the main device is made, the earlier ones are reset in their order,
  // and made black again.
  EXPECT_EQ(graphics.calls, (std::vector<std::string>{
                                "cover 1", "cover 2", "cover 3", "cover 4", "cover 5",                //
                                "create 1:hal:hw adapter 1", "clear 1", "present 1",                  //
                                "create 3:hal:hw adapter 3", "clear 3", "present 3", "reset 3",       //
                                "create 0:hal:hw adapter 0",                                          //
                                "reset 1", "clear 1", "present 1", "reset 3", "clear 3", "present 3"}));
  // Each on a window of its own, full screen in its monitor's mode.
  for (const Presentation& p : graphics.secondaries) {
    EXPECT_EQ(p.deviceWindow, DeviceWindow::Blanking);
    EXPECT_FALSE(p.windowed);
  }
  EXPECT_EQ(graphics.secondaries.back().width, 800u);
  // Frames draw on the main device alone.
  CountingContent content(graphics.calls);
  graphics.calls.clear();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, FrameCalls({0}));
  // They go when the saver does: every device, the main one last, then the windows, and no frame
  // comes after it.
  graphics.calls.clear();
  owner.End();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, (std::vector<std::string>{"release 1", "release 2", "release 3", "release 4", "release 5",
                                                      "release 0", "release direct3d", "uncover"}));
  // An adapter where no creation works keeps its window, and no report comes.
  graphics.calls.clear();
  graphics.creatable = {"0:hal:hw", "3:hal:hw"};
  ASSERT_TRUE(owner.InitDevice(std::pair{1024, 768}));
  EXPECT_EQ(Count("cover 1"), 1);
  EXPECT_EQ(Count("clear 1"), 0);
  EXPECT_EQ(Count("reset 3"), 1);
  EXPECT_TRUE(g_reports.empty());
  graphics.creatable.clear();
  // A device whose reset after the main's creation fails goes; its cover keeps the monitor black.
  graphics.calls.clear();
  graphics.failingResets = {1};
  ASSERT_TRUE(owner.InitDevice(std::pair{1024, 768}));
  EXPECT_EQ(Count("release 1"), 1);
  EXPECT_EQ(owner.views[1].role, ViewRole::None);
  EXPECT_EQ(owner.views[3].role, ViewRole::Blank);
  EXPECT_TRUE(g_reports.empty());
  graphics.failingResets.clear();
  // A failed clear stops the blanking of later adapters; they are still covered.
  graphics.calls.clear();
  graphics.clearWorks = false;
  owner.InitDevice(std::pair{1024, 768});
  EXPECT_EQ(Count("present 1"), 0);
  EXPECT_EQ(Count("create 3:hal:hw adapter 3"), 0);
  EXPECT_EQ(Count("cover 3"), 1);
}

// Covering goes by the desktop's monitors and devices by adapter, whatever the adapters answer.
TEST_F(Scene, EveryMonitorOfTheDesktopIsCoveredWhateverTheAdaptersSay) {
  const DesktopMonitor a{100, "DISPLAY1", {0, 0, 1024, 768}, true}, b{101, "DISPLAY2", {1024, 0, 2048, 768}, false},
      third{102, "DISPLAY3", {2048, 0, 3072, 768}, false};
  const struct {
    const char* name;
    int adapters;
    std::vector<DesktopMonitor> desktop;
    std::map<int, MonitorHandle> adapterMonitors;
    std::map<int, MonitorRect> covers;
    std::map<int, int> views;  // the slots that get a device, each with the cover it presents into (-1: the main's)
  } cases[] = {
      {"adapter 1 answers the primary's monitor", 2, {a, b}, {{1, 100}}, {{1, b.rect}}, {{0, -1}}},
      {"two adapters show one monitor", 3, {a, b}, {{2, 101}}, {{1, b.rect}}, {{0, -1}, {1, 1}}},
      {"a monitor without an adapter", 2, {a, b, third}, {}, {{1, b.rect}, {2, third.rect}}, {{0, -1}, {1, 1}}},
      {"adapter 0 names none: the primary is the main's", 2, {b, a}, {{0, 0}}, {{0, b.rect}}, {{0, -1}, {1, 0}}},
      {"an adapter answers a monitor the desktop lacks", 2, {a, b}, {{1, 999}}, {{1, b.rect}}, {{0, -1}}},
      {"past a taken monitor, the next adapter still gets its own",
       3, {a, b, third}, {{1, 100}, {2, 102}}, {{1, b.rect}, {2, third.rect}}, {{0, -1}, {2, 2}}},
      {"adapter 0 names a monitor that isn't the primary: the main's is that one",
       2, {b, a}, {{0, 101}, {1, 100}}, {{1, a.rect}}, {{0, -1}, {1, 1}}},
  };
  for (const auto& c : cases) {
    for (const bool allMonitors : {false, true}) {
      FakeGraphics fresh;
      fresh.adapters = c.adapters;
      for (int adapter = 1; adapter < c.adapters; ++adapter) fresh.modes[adapter] = {1024, 768, 60, X8R8G8B8};
      fresh.desktop = c.desktop;
      fresh.adapterMonitors = c.adapterMonitors;
      SceneOwner scene{fresh, Record};
      TakeSettings(scene, fresh, 0, 0, allMonitors);
      ASSERT_TRUE(scene.InitDevice(std::pair{1024, 768})) << c.name;
      EXPECT_EQ(fresh.covers, c.covers) << c.name;
      // A secondary device presents into its own monitor's cover.
      std::map<int, int> views;
      for (std::size_t slot = 0; slot < scene.views.size(); ++slot) {
        if (scene.views[slot].role != ViewRole::None) views[static_cast<int>(slot)] = scene.views[slot].presentation.cover;
      }
      EXPECT_EQ(views, c.views) << c.name << (allMonitors ? ", every monitor" : "");
    }
  }
}

// The main device's mode moves the other monitors (the desktop keeps them edge to edge); so does
// any later change of the layout. A monitor is known by its device name first: its handle's value
// may go to another monitor after a change. No cover ever lands on the main monitor.
TEST_F(Scene, TheCoversFollowTheirMonitorsWhenTheDesktopMovesThem) {
  const DesktopMonitor primary{100, "DISPLAY1", {0, 0, 1024, 768}, true};
  const DesktopMonitor secondary{101, "DISPLAY2", {1024, 0, 2048, 768}, false};
  const DesktopMonitor third{102, "DISPLAY3", {2048, 0, 3072, 768}, false};
  const MonitorRect switched{0, 0, 800, 600};
  const MonitorRect moved{800, 0, 1824, 768};
  const MonitorRect thirdMoved{2048, 100, 3072, 868};
  const DesktopMonitor namelessPrimary{100, "", primary.rect, true}, namelessSecondary{101, "", secondary.rect, false};
  const struct {
    const char* name;
    std::vector<DesktopMonitor> before;
    std::vector<DesktopMonitor> later;
    std::map<int, MonitorRect> covers;  // where each cover is then
  } cases[] = {
      {"moved", {primary, secondary}, {{100, "DISPLAY1", switched, true}, {101, "DISPLAY2", moved, false}}, {{1, moved}}},
      {"a new handle, the same device",
       {primary, secondary},
       {{100, "DISPLAY1", switched, true}, {555, "DISPLAY2", moved, false}},
       {{1, moved}}},
      // A monitor that had a name is never found by its handle, whose value may be another's now.
      {"its name gone, its handle now a nameless monitor's: the cover stays",
       {primary, secondary},
       {{100, "DISPLAY1", switched, true}, {101, "", moved, false}},
       {{1, secondary.rect}}},
      {"its name gone, its handle now another named monitor's: the cover stays",
       {primary, secondary},
       {{100, "DISPLAY1", switched, true}, {101, "DISPLAY3", moved, false}},
       {{1, secondary.rect}}},
      {"listed before the main one", {primary, secondary}, {{101, "DISPLAY2", moved, false}, {100, "DISPLAY1", switched, true}},
       {{1, moved}}},
      {"nameless, listed before the main one: found by its handle",
       {primary, namelessSecondary},
       {{101, "", moved, false}, {100, "DISPLAY1", switched, true}},
       {{1, moved}}},
      // Monitors edge to edge with the main one don't overlap it, on any side.
      {"left of the main one, its right edge on the main's left",
       {primary, {101, "DISPLAY2", {-1024, 0, 0, 768}, false}},
       {{100, "DISPLAY1", switched, true}, {101, "DISPLAY2", {-1024, 100, 0, 868}, false}},
       {{1, {-1024, 100, 0, 868}}}},
      {"below the main one, its top on the main's bottom",
       {primary, {101, "DISPLAY2", {0, 768, 1024, 1536}, false}},
       {{100, "DISPLAY1", switched, true}, {101, "DISPLAY2", {0, 600, 1024, 1368}, false}},
       {{1, {0, 600, 1024, 1368}}}},
      {"above the main one, its bottom on the main's top",
       {primary, {101, "DISPLAY2", {0, -768, 1024, 0}, false}},
       {{100, "DISPLAY1", switched, true}, {101, "DISPLAY2", {100, -768, 1124, 0}, false}},
       {{1, {100, -768, 1124, 0}}}},
      {"its old handle now the main monitor's: found by its name",
       {primary, secondary},
       {{101, "DISPLAY1", switched, true}, {555, "DISPLAY2", moved, false}},
       {{1, moved}}},
      {"gone: the cover stays", {primary, secondary}, {{100, "DISPLAY1", switched, true}}, {{1, secondary.rect}}},
      {"its name gone, listed before the main one: the cover stays",
       {primary, secondary},
       {{101, "", moved, false}, {100, "DISPLAY1", switched, true}},
       {{1, secondary.rect}}},
      {"three monitors, the second stays and the third moves",
       {primary, secondary, third},
       {primary, secondary, {102, "DISPLAY3", thirdMoved, false}},
       {{1, secondary.rect}, {2, thirdMoved}}},
      {"nameless, the main one listed first: found by its handle",
       {namelessPrimary, namelessSecondary},
       {{100, "", switched, true}, {101, "", moved, false}},
       {{1, moved}}},
      {"nameless, its handle now the main monitor's: the cover stays off the main",
       {namelessPrimary, namelessSecondary},
       {{101, "", switched, true}, {555, "", moved, false}},
       {{1, secondary.rect}}},
      {"nameless, three: the second's handle now the main's, the third still follows",
       {namelessPrimary, namelessSecondary, {102, "", third.rect, false}},
       {{101, "", switched, true}, {555, "", moved, false}, {102, "", {1824, 0, 2848, 768}, false}},
       {{1, secondary.rect}, {2, {1824, 0, 2848, 768}}}},
  };
  for (const auto& c : cases) {
    for (const bool allMonitors : {false, true}) {
      FakeGraphics fresh;
      fresh.adapters = static_cast<int>(c.before.size());
      for (int adapter = 1; adapter < fresh.adapters; ++adapter) fresh.modes[adapter] = {1024, 768, 60, X8R8G8B8};
      fresh.desktop = c.before;
      fresh.laterDesktop = c.later;
      SceneOwner scene{fresh, Record};
      TakeSettings(scene, fresh, 800, 600, allMonitors);
      ASSERT_TRUE(scene.InitDevice(std::pair{2048, 768})) << c.name;
      EXPECT_EQ(fresh.covers, c.covers) << c.name;
      // The saver ends, or the desktop changes back: so does the cover.
      fresh.laterDesktop = c.before;
      scene.FollowLayout();
      for (std::size_t monitor = 1; monitor < c.before.size(); ++monitor) {
        EXPECT_EQ(fresh.covers[static_cast<int>(monitor)], c.before[monitor].rect) << c.name;
      }
      // Once the covers are gone, and for a preview after a full-screen start, nothing follows.
      for (const bool preview : {false, true}) {
        if (preview) {
          ASSERT_TRUE(scene.InitDevice(std::pair{2048, 768})) << c.name;
          ASSERT_TRUE(scene.InitDevice(std::pair{152, 112}, SaverWindowKind::Child)) << c.name;
          EXPECT_TRUE(scene.covered.empty()) << c.name;
        } else {
          // The desktop laid out again as the devices go (their mode going back) moves no cover
          // being taken down.
          fresh.laterDesktop = c.later;
          fresh.onRelease = [&scene] { scene.FollowLayout(); };
          fresh.calls.clear();
          scene.End();
          fresh.onRelease = nullptr;
          EXPECT_EQ(std::count_if(fresh.calls.begin(), fresh.calls.end(),
                                  [](const std::string& call) { return call.starts_with("cover"); }),
                    0)
              << c.name;
        }
        fresh.laterDesktop = c.later;
        fresh.calls.clear();
        scene.FollowLayout();
        EXPECT_TRUE(fresh.calls.empty()) << c.name << (preview ? ", preview" : ", ended");
      }
    }
  }
}

// With AllMonitors every adapter draws the same fireworks, at its own mode and shape; what fails on
// a secondary monitor leaves that monitor black and the others drawing, without a report.
TEST_F(Scene, EveryMonitorDrawsWhenAskedAndItsFaultsStayItsOwn) {
  using enum ViewRole;
  const auto lostFor = [](int checks) {
    std::vector<DeviceStatus> lost(static_cast<size_t>(checks), DeviceStatus::Lost);
    lost.push_back(DeviceStatus::NeedsReset);
    return lost;
  };
  struct Case {
    const char* name;
    std::set<std::string> creatable;  // empty: every creation works
    std::set<int> failingResources;   // slots whose painter can't be made (or restored)
    int lostSlot;                     // its first present fails; -1: none
    std::vector<DeviceStatus> statuses;
    std::vector<ViewRole> roles;  // after set-up and three frames
    std::vector<std::string> thirdFrame;
    std::set<int> failingResets = {};
    std::set<int> failingClears = {};
    std::set<int> failingRestores = {};
  };
  // A frame in which adapter 1 only clears, and fails; one in which the main device tries to recover
  // and can't.
  std::vector<std::string> clearFails = FrameCalls({0, 4});
  clearFails.insert(clearFails.begin() + 6, "clear 1");
  std::vector<std::string> mainRetries = {"release resources 0", "reset 0", "restore resources 0"};
  for (const auto& call : FrameCalls({1, 4})) mainRetries.push_back(call);
  const std::vector<DeviceStatus> resettable(10, DeviceStatus::NeedsReset);
  // clang-format off
  const Case cases[] = {
      {"all draw, the animation moving on once a tick",
       {}, {}, -1, {}, {Draw, Draw, None, None, Draw}, FrameCalls({0, 1, 4})},
      {"adapter 1 refuses every device: covered, no device",
       {"0:hal:hw", "4:hal:hw"}, {}, -1, {}, {Draw, None, None, None, Draw}, FrameCalls({0, 4})},
      {"adapter 1's painter can't be made: kept black",
       {}, {1}, -1, {}, {Draw, Blank, None, None, Draw}, FrameCalls({0, 4})},
      {"adapter 1 lost, then reset and restored while the others draw",
       {}, {}, 1, lostFor(3), {Draw, Draw, None, None, Draw}, FrameCalls({0, 1, 4}, 1)},
      {"the main device lost: the others draw, and the animation still moves on once",
       {}, {}, 0, {DeviceStatus::Lost, DeviceStatus::Lost, DeviceStatus::Lost}, {Draw, Draw, None, None, Draw},
       FrameCalls({1, 4})},
      {"adapter 1 can't be reset after the main device is made: it goes, kept black",
       {}, {}, -1, {}, {Draw, None, None, None, Draw}, FrameCalls({0, 4}), {1}},
      {"adapter 1's clears fail: adapter 4 still gets its device, adapter 1 tries every tick",
       {}, {}, -1, {}, {Draw, Draw, None, None, Draw}, clearFails, {}, {1}},
      {"adapter 1 lost, its resources not restored: kept black",
       {}, {}, 1, resettable, {Draw, Blank, None, None, Draw}, FrameCalls({0, 4}), {}, {}, {1}},
      {"the main device lost, its resources not restored: it keeps trying, the others draw",
       {}, {}, 0, resettable, {Draw, Draw, None, None, Draw}, mainRetries, {}, {}, {0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    FakeGraphics fresh;
    fresh.adapters = 5;  // more than the four that are blanked when the user doesn't ask
    fresh.modes[1] = {1280, 1024, 75, X8R8G8B8};
    fresh.modes[4] = {1920, 1080, 60, X8R8G8B8};
    // Adapter 1 lists its size below the desktop's rate only; adapter 4 its desktop's rate too.
    fresh.otherListed[1] = {{1280, 1024, 60, X8R8G8B8}, {1280, 1024, 85, X8R8G8B8}};
    fresh.otherListed[4] = {{1920, 1080, 50, X8R8G8B8}, {1920, 1080, 60, X8R8G8B8}};
    fresh.creatable = c.creatable;
    fresh.failingResets = c.failingResets;
    fresh.failingClears = c.failingClears;
    g_reports.clear();
    SceneOwner scene{fresh, Record};
    TakeSettings(scene, fresh, 800, 600, true);
    ASSERT_TRUE(scene.InitDevice(std::pair{1024, 768})) << c.name;
    // A monitor whose clear failed at set-up isn't presented there.
    for (const int slot : c.failingClears) {
      EXPECT_EQ(CountOf(fresh.calls, "present " + std::to_string(slot)), 0) << c.name;
    }
    // Each at its own mode and shape; the Display setting stays the main monitor's.
    EXPECT_EQ(scene.views[0].presentation.width, 800u);
    EXPECT_FLOAT_EQ(scene.views[0].aspect, 800.0f / 600.0f);
    EXPECT_EQ(scene.views[4].presentation.height, 1080u);
    EXPECT_EQ(scene.views[4].presentation.refreshRate, 60u);
    if (scene.views[1].role != None) {
      EXPECT_EQ(scene.views[1].presentation.refreshRate, 60u) << c.name;
    }
    // Every secondary device is reset once, after the main one is made, in the order they were made.
    const auto afterMain = std::find(fresh.calls.rbegin(), fresh.calls.rend(), "create 0:hal:hw adapter 0").base();
    std::vector<std::string> resets;
    std::copy_if(afterMain, fresh.calls.end(), std::back_inserter(resets),
                 [](const std::string& call) { return call.starts_with("reset"); });
    const bool adapter1Made = c.creatable.empty();
    const std::vector<std::string> expected =
        adapter1Made ? std::vector<std::string>{"reset 1", "reset 4"} : std::vector<std::string>{"reset 4"};
    EXPECT_EQ(resets, expected) << c.name;
    EXPECT_FLOAT_EQ(scene.views[4].aspect, 1920.0f / 1080.0f);
    CountingContent content(fresh.calls);
    content.failingResources = c.failingResources;
    content.failingRestores = c.failingRestores;
    fresh.calls.clear();
    scene.CreateSecondaryResources(content);
    // For the secondary slots only; one whose resources can't be made lets them go and is made black.
    std::vector<std::string> resources;
    if (c.creatable.empty() && !c.failingResets.count(1)) resources.push_back("create resources 1");
    if (c.failingResources.count(1)) resources.insert(resources.end(), {"release resources 1", "clear 1", "present 1"});
    resources.push_back("create resources 4");
    EXPECT_EQ(fresh.calls, resources) << c.name;
    if (c.lostSlot >= 0) {
      fresh.presents[c.lostSlot] = {false};
      fresh.statuses[c.lostSlot] = c.statuses;
    }
    scene.RenderFrame(content);
    scene.RenderFrame(content);
    fresh.calls.clear();
    scene.RenderFrame(content);
    EXPECT_EQ(fresh.calls, c.thirdFrame) << c.name;
    EXPECT_EQ(content.frames, 3) << c.name;
    std::vector<ViewRole> roles;
    for (const View& view : scene.views) roles.push_back(view.role);
    EXPECT_EQ(roles, c.roles) << c.name;
    EXPECT_EQ(scene.DrawingViews(), std::count(roles.begin(), roles.end(), Draw)) << c.name;
    EXPECT_TRUE(g_reports.empty()) << c.name;
    // The end: every device, the main one last, then the covers, and nothing left to draw.
    fresh.calls.clear();
    scene.End();
    ASSERT_GE(fresh.calls.size(), 3u);
    const std::vector<std::string> last(fresh.calls.end() - 3, fresh.calls.end());
    EXPECT_EQ(last, (std::vector<std::string>{"release 0", "release direct3d", "uncover"})) << c.name;
    EXPECT_TRUE(scene.views.empty()) << c.name;
    EXPECT_EQ(scene.DrawingViews(), 0) << c.name;
    EXPECT_FALSE(scene.hasDevice) << c.name;
    // A preview is one view, whatever the setting.
    ASSERT_TRUE(scene.InitDevice(std::pair{152, 112}, SaverWindowKind::Child));
    EXPECT_EQ(scene.views.size(), 1u);
    EXPECT_EQ(scene.DrawingViews(), 1);
  }
}

// A Display size with a side missing ("", "1024 x", "x 768", "0 x 768"): the desktop's whole
// size; without one at start, a preview the window's shape, full screen the desktop's mode later.
TEST_F(Scene, UnusableDisplaySizeNeverGivesTheCameraABadAspect) {
  for (const auto& [width, height] : {std::pair{0, 0}, {1024, 0}, {0, 768}, {-1, 768}}) {
    SceneOwner withDesktop{graphics, Record};
    TakeSettings(withDesktop, graphics, width, height);
    EXPECT_FLOAT_EQ(withDesktop.camera.aspect, 1024.0f / 768.0f) << width << " x " << height;
    ASSERT_TRUE(withDesktop.InitDevice(std::pair{1024, 768}));
    EXPECT_EQ(graphics.lastCreated.width, 1024u) << width << " x " << height;
    EXPECT_EQ(graphics.lastCreated.height, 768u) << width << " x " << height;
    settings::SceneSettings read;
    read.displayWidth = width;
    read.displayHeight = height;
    SceneOwner withoutDesktop{graphics, Record};
    withoutDesktop.TakeSettings(read, std::nullopt);
    ASSERT_TRUE(withoutDesktop.InitDevice(std::pair{152, 112}));
    EXPECT_FLOAT_EQ(withoutDesktop.camera.aspect, 152.0f / 112.0f) << width << " x " << height;
    // Full screen (over two monitors), the desktop's mode as it is by then.
    SceneOwner fullScreen{graphics, Record};
    fullScreen.TakeSettings(read, std::nullopt);
    ASSERT_TRUE(fullScreen.InitDevice(std::pair{2048, 768}));
    EXPECT_EQ(graphics.lastCreated.width, 1024u) << width << " x " << height;
    EXPECT_EQ(graphics.lastCreated.height, 768u) << width << " x " << height;
    EXPECT_FLOAT_EQ(fullScreen.camera.aspect, 1024.0f / 768.0f) << width << " x " << height;
  }
}

TEST_F(Scene, FrameSequenceAndDeviceLoss) {
  ASSERT_TRUE(owner.InitDevice(std::pair{152, 112}));
  CountingContent content(graphics.calls);

  graphics.calls.clear();
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, FrameCalls({0}));
  EXPECT_EQ(content.frames, 1);

  // A failed clear ends the frame: nothing presented, nothing reset.
  graphics.calls.clear();
  graphics.clearWorks = false;
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls, std::vector<std::string>{"clear 0"});
  graphics.clearWorks = true;

  // A failed present of a device that is still fine: a plain reset.
  graphics.calls.clear();
  graphics.presents[0] = {false};
  owner.RenderFrame(content);
  EXPECT_EQ(graphics.calls.back(), "reset 0");

  // A lost device: no frames until it can be reset, then resources released, reset, restored.
  graphics.calls.clear();
  graphics.presents[0] = {false};
  graphics.statuses[0] = {DeviceStatus::Lost, DeviceStatus::Lost, DeviceStatus::Lost, DeviceStatus::NeedsReset};
  owner.RenderFrame(content);  // present fails; still lost
  const int framesBefore = content.frames;
  owner.RenderFrame(content);  // still lost: skipped
  owner.RenderFrame(content);  // can be reset now
  EXPECT_EQ(content.frames, framesBefore + 1);
  EXPECT_EQ(Count("release resources 0"), 1);
  EXPECT_EQ(Count("reset 0"), 1);
  EXPECT_EQ(Count("restore resources 0"), 1);
  EXPECT_FALSE(owner.views[0].lost);

  // No device, no frame.
  SceneOwner noDevice{graphics, Record};
  graphics.calls.clear();
  noDevice.RenderFrame(content);
  EXPECT_TRUE(graphics.calls.empty());
}

}  // namespace
}  // namespace vizo::renderer
