// Arbitrary values for the nine keys of the settings file, through the reading and the
// derivations, the scene's device set-up and a frame's animation, and the settings dialog.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "../unit/fake_profile_store.h"
#include "fuzz_check.h"
#include "renderer/hanabi_animation.h"
#include "renderer/scene_owner.h"
#include "settings/settings_dialog.h"

using namespace vizo;

namespace {

constexpr std::uint32_t X8R8G8B8 = 22;

// A device that can always be made, at any size.
class AnyDevice final : public renderer::SceneGraphics {
 public:
  bool CreateDirect3D() override { return true; }
  bool RemoteSession() override { return false; }
  int AdapterCount() override { return 2; }
  std::vector<renderer::DesktopMonitor> DesktopMonitors() override {
    return {{1, "one", {0, 0, 1024, 768}, true}, {2, "two", {1024, 0, 2304, 1024}, false}};
  }
  renderer::MonitorHandle AdapterMonitor(int adapter) override { return static_cast<renderer::MonitorHandle>(adapter + 1); }
  bool CoverMonitor(int, const renderer::MonitorRect&) override { return true; }
  void UncoverMonitors() override {}
  std::optional<renderer::DisplayMode> CurrentMode(int adapter) override {
    if (adapter > 1) return std::nullopt;
    return renderer::DisplayMode{adapter == 0 ? 1024u : 1280u, adapter == 0 ? 768u : 1024u, 60, X8R8G8B8};
  }
  std::optional<renderer::DisplayMode> ListedMode(int adapter, std::uint32_t, std::uint32_t index) override {
    if (adapter != 0 || index > 0) return std::nullopt;
    return renderer::DisplayMode{1024, 768, 60, X8R8G8B8};
  }
  bool CreateDevice(int, int, renderer::DeviceType, renderer::VertexProcessing,
                    const renderer::Presentation& p) override {
    return p.width > 0 && p.height > 0 && p.width <= 4096 && p.height <= 4096;  // as an adapter would
  }
  void ReleaseDevice(int) override {}
  void ReleaseDirect3D() override {}
  std::optional<renderer::ShaderVersions> Capabilities() override {
    return renderer::ShaderVersions{0xFFFF0300, 0xFFFE0300};
  }
  bool Clear(int) override { return true; }
  bool Present(int) override { return true; }
  bool Reset(int, const renderer::Presentation&) override { return true; }
  renderer::DeviceStatus Status(int) override { return renderer::DeviceStatus::Ready; }
  bool BeginScene(int) override { return true; }
  void EndScene(int) override {}
};

class FakeControls final : public settings::DialogControls {
 public:
  int position = 0;
  std::vector<std::string> entries;
  std::string editText;
  bool allMonitors = false;
  void SetAllMonitors(bool checked) override { allMonitors = checked; }
  bool AllMonitors() override { return allMonitors; }
  void SetSliderPosition(int p) override { position = p; }
  void SetSliderRange(int minimum, int maximum) override { position = std::clamp(position, minimum, maximum); }
  void SetSliderTickFrequency(int) override {}
  int SliderPosition() override { return position; }
  void AddResolution(const std::string& text) override { entries.push_back(text); }
  int FindResolution(const std::string& text) override {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i] == text) return static_cast<int>(i);
    }
    return -1;
  }
  void SelectResolution(int index) override {
    editText = index >= 0 ? entries.at(static_cast<std::size_t>(index)) : std::string();
  }
  std::string ResolutionText() override { return editText.substr(0, settings::ProfileTextSize - 1); }
};

class FakeModes final : public settings::DisplayModeSource {
 public:
  bool Open() override { return true; }
  std::optional<settings::DisplayMode> CurrentMode() override { return settings::DisplayMode{1024, 768, 60, X8R8G8B8}; }
  std::uint32_t ModeCount(std::uint32_t) override { return 3; }
  settings::DisplayMode Mode(std::uint32_t, std::uint32_t index) override {
    const settings::DisplayMode modes[] = {{640, 480, 60, X8R8G8B8}, {800, 600, 60, X8R8G8B8}, {1024, 768, 60, 22}};
    return modes[index % 3];
  }
  void Close() override {}
};

void NoReport(int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input is the nine values one after the other, separated by newlines; a missing value
  // is a missing key.
  static const char* const keys[] = {"Hanabi",  "Particle", "Flash",  "Back",       "Smoke",
                                     "Reflect", "Display",  "Buffer", "AllMonitors"};
  settings::testing::FakeProfileStore store;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (const char* key : keys) {
    if (start > text.size()) break;
    const std::size_t end = std::min(text.find('\n', start), text.size());
    store.keys[key] = text.substr(start, end - start);
    start = end + 1;
  }

  settings::SceneSettings read;
  settings::ReadSceneSettings(store, "1024 x 768", read);
  AnyDevice device;
  renderer::SceneOwner scene{device, NoReport};
  scene.TakeSettings(read, renderer::DisplayMode{1024, 768, 60, X8R8G8B8});
  const bool created = scene.InitDevice(std::pair{1024, 768});
  FUZZ_CHECK(created);  // a size the adapter refuses falls back to the desktop's
  FUZZ_CHECK(scene.camera.aspect > 0 && std::isfinite(scene.camera.aspect));

  renderer::HanabiAnimation animation([] { return 1u; });
  for (int i = 0; i < 1000; ++i) {
    const renderer::SpriteDraw d = animation.Next(scene.settings.spacing, i);
    FUZZ_CHECK(d.textureSlot >= 0 && d.textureSlot < 7);
  }

  FakeControls controls;
  FakeModes modes;
  settings::SettingsDialog dialog{controls, modes, store, NoReport};
  dialog.Load();
  FUZZ_CHECK(controls.position >= 0 && controls.position <= settings::MaxLoad);
  dialog.Save();
  FUZZ_CHECK(store.writes.size() == 9);
  FUZZ_CHECK(store.keys.count("AllMonitors") == (controls.allMonitors ? 1u : 0u));
  return 0;
}
