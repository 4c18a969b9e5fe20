// The scene owner's decisions: how the device is set up for the saver window (full screen or
// windowed, with fallbacks and the capability check; the other monitors blanked, or drawing too
// when the user asks), and one frame on every view with recovery from a lost device. Carried out
// through SceneGraphics.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "gfxutil/display_mode.h"
#include "renderer/monitor_plan.h"
#include "renderer/orbit_camera.h"
#include "settings/settings_file.h"

// The numbers of ScreenMain's error reports (the scene owner raises most of them for it).
namespace vizo::reports::ScreenMain {
inline constexpr int NoDirect3DForSettings = 23, NoWindowSize = 48, NoDirect3D = 51, NoDesktopMode = 53, NoDevice = 106,
                     NoCapabilities = 114, NoShaderDevice = 153, NoPainter = 218;
}  // namespace vizo::reports::ScreenMain

namespace vizo::renderer {

enum class DeviceType { Hal, Reference };
enum class VertexProcessing { Hardware, Software };
enum class DeviceStatus { Ready, Lost, NeedsReset };

using gfx::DisplayMode;

// Which window a device presents into.
enum class DeviceWindow {
  None,      // windowed: the focus window (the saver window) is used, all of it or Presentation::target
  Saver,     // full screen on the saver window
  Blanking,  // full screen on the black window that covers its monitor (Presentation::cover)
};

struct Presentation {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t format = 0;
  std::uint32_t refreshRate = 0;
  bool windowed = true;
  DeviceWindow deviceWindow = DeviceWindow::None;
  int cover = -1;  // for DeviceWindow::Blanking: the covered monitor, by index into the desktop's
  // Windowed on the saver window, which spans every monitor: the part of the screen the frames go
  // to (the back buffer's size), copied there rather than flipped.
  std::optional<MonitorRect> target = std::nullopt;
};

struct ShaderVersions {
  std::uint32_t pixel = 0;   // 0xFFFF0000 | major << 8 | minor
  std::uint32_t vertex = 0;  // 0xFFFE0000 | major << 8 | minor
};

// Device slots, one per adapter: slot 0 is the main monitor's, which draws the fireworks; the
// others keep their monitors black or, when the user asks, draw the fireworks too. Every monitor of
// the desktop but the main one is covered by a black window (CoverMonitor), which stays when no
// device can be made there, so that the monitor is dark and input over it still counts; a
// secondary device presents into its monitor's cover.
class SceneGraphics {
 public:
  virtual ~SceneGraphics() = default;
  virtual bool CreateDirect3D() = 0;
  virtual int AdapterCount() = 0;
  virtual std::optional<DisplayMode> CurrentMode(int adapter) = 0;
  // The modes the adapter lists in a format, by index from 0; nothing past the last.
  virtual std::optional<DisplayMode> ListedMode(int adapter, std::uint32_t format, std::uint32_t index) = 0;
  // The desktop's monitors, and the one an adapter shows (0 when it names none).
  virtual std::vector<DesktopMonitor> DesktopMonitors() = 0;
  // A Remote Desktop session, whose display drivers refuse a full-screen device.
  virtual bool RemoteSession() = 0;
  virtual MonitorHandle AdapterMonitor(int adapter) = 0;
  // Puts the cover of this monitor (by index into the desktop's at set-up) there, making it first.
  virtual bool CoverMonitor(int cover, const MonitorRect& where) = 0;
  virtual bool CreateDevice(int slot, int adapter, DeviceType type, VertexProcessing processing,
                            const Presentation& presentation) = 0;
  virtual void ReleaseDevice(int slot) = 0;
  // The Direct3D object goes too, after its devices.
  virtual void ReleaseDirect3D() = 0;
  // The black windows go (after their devices).
  virtual void UncoverMonitors() = 0;
  virtual std::optional<ShaderVersions> Capabilities() = 0;
  virtual bool Clear(int slot) = 0;
  virtual bool Present(int slot) = 0;
  virtual bool Reset(int slot, const Presentation& presentation) = 0;
  virtual DeviceStatus Status(int slot) = 0;
  virtual bool BeginScene(int slot) = 0;
  virtual void EndScene(int slot) = 0;
};

// What the views draw. The animation moves on once a tick, before the first view draws; each view
// then draws the same fireworks on its own device. What a device's resources keep in the default
// pool must go before a reset of that device and come back after it.
class FrameContent {
 public:
  virtual ~FrameContent() = default;
  virtual void Advance() = 0;
  virtual void Draw(int slot) = 0;
  // A secondary view's own resources, made without a report: false when they can't be.
  virtual bool CreateResources(int slot) = 0;
  virtual void ReleaseDeviceResources(int slot) = 0;
  virtual bool RestoreDeviceResources(int slot) = 0;
};

// What a device slot does each tick.
enum class ViewRole {
  None,   // no device
  Blank,  // made black once, never drawn to again
  Draw,   // draws the fireworks every tick
};

struct View {
  ViewRole role = ViewRole::None;
  Presentation presentation;
  float aspect = 0;  // of the picture: the main view's is the camera's, a secondary's its monitor's
  bool lost = false;     // drawn again only after a reset
  bool resized = false;  // ... which a new place or size needs, whatever the device's state
};

using SceneReport = void (*)(int line);

// A full-screen device needs a top-level focus window; a preview lives in a child window.
enum class SaverWindowKind { TopLevel, Child };

// A saver window of this size shows nothing (an empty preview pane): no device, no images.
bool NothingToShow(std::pair<std::int32_t, std::int32_t> windowSize);

// The refresh rate for a full-screen mode of this size in the adapter's desktop format: the
// desktop's own where the adapter lists it at that size, else the fastest listed below it, else the
// slowest listed; 0 (the adapter's default) when nothing is listed at that size, or when the
// desktop's own rate is the default (0 or 1).
std::uint32_t FullScreenRefreshRate(SceneGraphics& graphics, int adapter, const DisplayMode& desktop,
                                    std::uint32_t width, std::uint32_t height);

struct SceneOwner {
  SceneOwner(SceneGraphics& device, SceneReport reportError) : graphics(device), report(reportError) {}

  SceneGraphics& graphics;
  SceneReport report;  // the common error report for this module
  settings::SceneSettings settings;
  OrbitCamera camera;
  bool hasDevice = false;
  // By slot: views[0] is the main device's; sized once, when the device is set up.
  std::vector<View> views;
  // The desktop's monitors as they were at set-up, which of them are covered, and the main one.
  std::vector<DesktopMonitor> monitors;
  std::vector<int> covered;
  int mainMonitor = -1;

  // Settings read at start; a display size that can't give an aspect falls back to the desktop's.
  void TakeSettings(const settings::SceneSettings& read, const std::optional<DisplayMode>& desktop);
  // For the saver window of this size; nothing when its rectangle could not be read. A windowed
  // saver with nothing to show (an empty preview pane) gets no device and still succeeds. Where
  // Windows refuses every full-screen device (Remote Desktop, a basic display driver, a screen
  // another program holds), the main monitor gets a windowed device at its own size instead, and
  // the others stay black.
  bool InitDevice(std::optional<std::pair<std::int32_t, std::int32_t>> windowSize,
                  SaverWindowKind kind = SaverWindowKind::TopLevel);
  // The secondary views that draw get their resources; one that can't have them is made black.
  void CreateSecondaryResources(FrameContent& content);
  void RenderFrame(FrameContent& content);
  // The views that draw the fireworks each tick (the main one's among them).
  int DrawingViews() const;
  // The desktop laid its monitors out again: every cover, and the view presenting into it, goes to
  // where its monitor is now.
  void FollowLayout();
  // The saver window goes: the other monitors' devices go, then the main device and the Direct3D
  // object, before anyone puts the desktop's mode back (Windows does so itself as the last full-screen device goes; put back
  // under a live device, the mode would leave it lost and switch the monitor twice); the covers go
  // last, with no device left (destroying a window beside a live full-screen device now and then
  // never returned under Wine).
  void End();

 private:
  void SetUpSecondaryMonitors(bool exclusive);
  void ReleaseSecondaryDevices();
  void ResetEarlierDevices();
  void RenderView(int slot, FrameContent& content, bool& advanced);
  void StopDrawing(int slot, FrameContent& content);
  // A device's kind: what was asked first, or what a creation came to.
  struct DeviceKind {
    DeviceType type;
    VertexProcessing processing;
    bool operator==(const DeviceKind&) const = default;
  };
  std::optional<DeviceKind> CreateFullScreenMain(const DisplayMode& desktop, bool exclusive,
                                                 std::pair<std::int32_t, std::int32_t> windowSize);
  std::optional<DeviceKind> CreateOverMainMonitor(std::pair<std::int32_t, std::int32_t> windowSize);
  // Windowed at the main monitor's own size, onto the part of the saver window that lies on it.
  Presentation WindowedOnMainMonitor(std::uint32_t format) const;
  void FollowMainMonitor(const std::vector<DesktopMonitor>& now);
  // On the adapter's own slot: first as asked, then with software vertices, then the reference.
  // (A copy of the presentation: the scene may end while a creation waits, its views with it.)
  std::optional<DeviceKind> CreateWithFallbacks(int adapter, Presentation p, DeviceKind first);
  bool RecoverLostDevice(int slot, FrameContent& content);
  bool Fail(int line);
};

}  // namespace vizo::renderer
