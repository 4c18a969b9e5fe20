#include "scene_owner.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vizo::renderer {

namespace {

bool Empty(const MonitorRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// However large a preview pane is, its child window can't hold a full-screen device.
bool FullScreen(std::pair<std::int32_t, std::int32_t> windowSize, SaverWindowKind kind) {
  return kind == SaverWindowKind::TopLevel && windowSize.first >= 640 && windowSize.second >= 480;
}

constexpr std::uint32_t PixelShader11 = 0xFFFF0101;
constexpr std::uint32_t VertexShader11 = 0xFFFE0101;
constexpr std::uint32_t MostModesLooked = 4096;  // a driver that never ends its list can't hang the start

// Calls seen(rate) for each mode that the adapter lists at this size in its desktop's format, until
// it returns false.
template <typename Seen>
void ForEachListedRate(SceneGraphics& graphics, int adapter, const DisplayMode& desktop, std::uint32_t width,
                       std::uint32_t height, Seen&& seen) {
  for (std::uint32_t index = 0; index < MostModesLooked; ++index) {
    const auto mode = graphics.ListedMode(adapter, desktop.format, index);
    if (!mode) return;
    if (mode->width == width && mode->height == height && !seen(mode->refreshRate)) return;
  }
}

bool AdapterOffersSize(SceneGraphics& graphics, const DisplayMode& desktop, std::uint32_t width, std::uint32_t height) {
  bool offered = false;
  ForEachListedRate(graphics, 0, desktop, width, height, [&offered](std::uint32_t) {
    offered = true;
    return false;
  });
  return offered;
}

}  // namespace

std::uint32_t FullScreenRefreshRate(SceneGraphics& graphics, int adapter, const DisplayMode& desktop,
                                    std::uint32_t width, std::uint32_t height) {
  // 0 and 1 name the hardware's default rate, which no listed mode matches: keep it.
  if (desktop.refreshRate <= 1) return 0;
  bool desktopRate = false;
  std::uint32_t fastestBelow = 0;
  std::uint32_t slowest = 0;
  ForEachListedRate(graphics, adapter, desktop, width, height, [&](std::uint32_t rate) {
    desktopRate = rate == desktop.refreshRate;
    if (rate < desktop.refreshRate && rate > fastestBelow) fastestBelow = rate;
    if (slowest == 0 || rate < slowest) slowest = rate;
    return !desktopRate;
  });
  if (desktopRate) return desktop.refreshRate;
  return fastestBelow != 0 ? fastestBelow : slowest;
}

void SceneOwner::TakeSettings(const settings::SceneSettings& read, const std::optional<DisplayMode>& desktop) {
  settings = read;
  if ((settings.displayWidth <= 0 || settings.displayHeight <= 0) && desktop) {
    settings.displayWidth = static_cast<std::int32_t>(desktop->width);
    settings.displayHeight = static_cast<std::int32_t>(desktop->height);
  }
  // Without any usable size the aspect waits for the window (InitDevice).
  if (settings.displayWidth > 0 && settings.displayHeight > 0) {
    camera.SetAspect(settings.displayWidth, settings.displayHeight);
  }
}

std::optional<SceneOwner::DeviceKind> SceneOwner::CreateWithFallbacks(int adapter, Presentation p, DeviceKind first) {
  const DeviceKind attempts[] = {
      first, {first.type, VertexProcessing::Software}, {DeviceType::Reference, VertexProcessing::Software}};
  for (const DeviceKind& attempt : attempts) {
    if (graphics.CreateDevice(adapter, adapter, attempt.type, attempt.processing, p)) return attempt;
  }
  return std::nullopt;
}

void SceneOwner::SetUpSecondaryMonitors(bool exclusive) {
  const int adapters = static_cast<int>(views.size());
  monitors = graphics.DesktopMonitors();
  std::vector<MonitorHandle> adapterMonitors;
  for (int adapter = 0; adapter < adapters; ++adapter) adapterMonitors.push_back(graphics.AdapterMonitor(adapter));
  const MonitorPlan plan = PlanMonitors(monitors, adapterMonitors);
  covered = plan.covered;
  mainMonitor = plan.mainMonitor;
  // Every other monitor of the desktop goes black first, so that none shows the desktop whatever
  // the adapters say and whatever their devices do.
  for (const int monitor : covered) graphics.CoverMonitor(monitor, monitors[static_cast<std::size_t>(monitor)].rect);
  // Where Windows refuses the screen, the covers alone keep the other monitors black.
  if (!exclusive) return;
  // Kept black, adapters 1 to 3 get a device cleared once; drawing, every adapter gets one; either
  // only for a monitor of its own.
  const bool drawing = settings.allMonitors;
  const int withDevices = drawing ? adapters : std::min(adapters, 4);
  for (int adapter = 1; adapter < withDevices; ++adapter) {
    const int monitor = plan.adapterMonitor[static_cast<std::size_t>(adapter)];
    if (monitor < 0) continue;
    const auto mode = graphics.CurrentMode(adapter);
    if (!mode || mode->width == 0 || mode->height == 0) continue;
    const Presentation p{.width = mode->width,
                         .height = mode->height,
                         .format = mode->format,
                         .refreshRate = FullScreenRefreshRate(graphics, adapter, *mode, mode->width, mode->height),
                         .windowed = false,
                         .deviceWindow = DeviceWindow::Blanking,
                         .cover = monitor};
    if (!CreateWithFallbacks(adapter, p, {DeviceType::Hal, VertexProcessing::Hardware})) continue;
    views[static_cast<std::size_t>(adapter)] = {
        .role = drawing ? ViewRole::Draw : ViewRole::Blank,
        .presentation = p,
        .aspect = static_cast<float>(mode->width) / static_cast<float>(mode->height)};
    if (!graphics.Clear(adapter)) {
      // Kept black, a failed clear ends the blanking; a drawing monitor tries again every tick.
      if (!drawing) return;
      continue;
    }
    if (!graphics.Present(adapter)) graphics.Reset(adapter, p);
  }
}

// Several full-screen devices on one Direct3D object and focus window: making one takes the
// surfaces of those made before, which are reset afterwards in the order they were made. Nothing of
// the painters lives yet, so there are no default-pool resources to let go. A device that can't be
// reset goes; its cover keeps the monitor black.
void SceneOwner::ResetEarlierDevices() {
  for (std::size_t slot = 1; slot < views.size(); ++slot) {
    View& view = views[slot];
    if (view.role == ViewRole::None) continue;
    const int s = static_cast<int>(slot);
    if (!graphics.Reset(s, view.presentation)) {
      graphics.ReleaseDevice(s);
      view = View{};
      continue;
    }
    // What a reset leaves in the buffers is undefined: black again.
    if (view.role == ViewRole::Blank && graphics.Clear(s)) graphics.Present(s);
  }
}

bool NothingToShow(std::pair<std::int32_t, std::int32_t> windowSize) {
  // No device presents into no pixels.
  return windowSize.first <= 0 || windowSize.second <= 0;
}

bool SceneOwner::InitDevice(std::optional<std::pair<std::int32_t, std::int32_t>> windowSize, SaverWindowKind kind) {
  if (!windowSize) return Fail(reports::ScreenMain::NoWindowSize);
  const auto [width, height] = *windowSize;
  const bool fullScreen = FullScreen(*windowSize, kind);
  if (NothingToShow(*windowSize)) return true;
  if (!graphics.CreateDirect3D()) return Fail(reports::ScreenMain::NoDirect3D);
  const auto desktop = graphics.CurrentMode(0);
  if (!desktop) return Fail(reports::ScreenMain::NoDesktopMode);

  views.assign(static_cast<std::size_t>(std::max(fullScreen ? graphics.AdapterCount() : 1, 1)), View{});
  monitors.clear();
  covered.clear();
  mainMonitor = -1;
  View& main = views[0];
  // In a Remote Desktop session no full-screen device is tried: it would fail, and the attempt
  // may switch the remote screen's mode back and forth on its way.
  const bool exclusive = fullScreen && !graphics.RemoteSession();
  if (fullScreen) {
    // No Display size at start, when the desktop's mode could not be read either: the desktop's
    // mode now, rather than a back buffer with a side of 0 or the shape of every monitor together.
    if (settings.displayWidth <= 0 || settings.displayHeight <= 0) TakeSettings(settings, desktop);
    SetUpSecondaryMonitors(exclusive);
    const auto displayWidth = static_cast<std::uint32_t>(settings.displayWidth);
    const auto displayHeight = static_cast<std::uint32_t>(settings.displayHeight);
    main.presentation = {.width = displayWidth,
                         .height = displayHeight,
                         .format = desktop->format,
                         .refreshRate = FullScreenRefreshRate(graphics, 0, *desktop, displayWidth, displayHeight),
                         .windowed = false,
                         .deviceWindow = DeviceWindow::Saver};
  } else {
    main.presentation = {.width = static_cast<std::uint32_t>(width),
                         .height = static_cast<std::uint32_t>(height),
                         .format = desktop->format,
                         .refreshRate = 0,
                         .windowed = true,
                         .deviceWindow = DeviceWindow::None};
  }
  // No display size from the settings or the desktop: the window's proportions.
  if (!(camera.aspect > 0) && width > 0 && height > 0) camera.SetAspect(width, height);

  const auto made = fullScreen ? CreateFullScreenMain(*desktop, exclusive, *windowSize)
                               : CreateWithFallbacks(0, main.presentation, {DeviceType::Hal, VertexProcessing::Hardware});
  if (!made) return Fail(reports::ScreenMain::NoDevice);
  const auto caps = graphics.Capabilities();
  if (!caps) return Fail(reports::ScreenMain::NoCapabilities);

  const DeviceKind wanted{caps->pixel < PixelShader11 ? DeviceType::Reference : made->type,
                          caps->vertex < VertexShader11 ? VertexProcessing::Software : made->processing};
  if (wanted != *made) {
    graphics.ReleaseDevice(0);
    if (!CreateWithFallbacks(0, main.presentation, wanted)) return Fail(reports::ScreenMain::NoShaderDevice);
  }
  hasDevice = true;
  main.role = ViewRole::Draw;
  main.aspect = camera.aspect;
  if (fullScreen) {
    ResetEarlierDevices();
    // The main device's mode may have moved the other monitors.
    FollowLayout();
  }
  return true;
}

std::optional<SceneOwner::DeviceKind> SceneOwner::CreateFullScreenMain(const DisplayMode& desktop, bool exclusive,
                                                                       std::pair<std::int32_t, std::int32_t> windowSize) {
  View& main = views[0];
  constexpr DeviceKind Best{DeviceType::Hal, VertexProcessing::Hardware};
  if (!exclusive) return CreateOverMainMonitor(windowSize);
  if (const auto made = CreateWithFallbacks(0, main.presentation, Best)) return made;
  // A Display size this monitor doesn't offer (a settings file from another machine, a laptop off
  // its dock) falls back to the desktop's own mode rather than stopping the saver. The file stays
  // as it is: the size may work again on the machine it came from. A size the adapter lists failed
  // for another reason, which the desktop's size would not mend.
  const bool otherSize = main.presentation.width != desktop.width || main.presentation.height != desktop.height;
  if (otherSize && !AdapterOffersSize(graphics, desktop, main.presentation.width, main.presentation.height)) {
    main.presentation.width = desktop.width;
    main.presentation.height = desktop.height;
    main.presentation.refreshRate = FullScreenRefreshRate(graphics, 0, desktop, desktop.width, desktop.height);
    camera.SetAspect(static_cast<std::int32_t>(desktop.width), static_cast<std::int32_t>(desktop.height));
    if (const auto made = CreateWithFallbacks(0, main.presentation, Best)) return made;
  }
  // Windows refused the screen (a virtual machine's basic display driver, a screen another program
  // holds): the fireworks in a window over the main monitor rather than a report.
  return CreateOverMainMonitor(windowSize);
}

// Windowed at the main monitor's own size, onto the part of the saver window (which spans every
// monitor) that lies on it: the picture undistorted, no mode changed. Without a monitor of the
// desktop to go by, onto the whole saver window at its size.
std::optional<SceneOwner::DeviceKind> SceneOwner::CreateOverMainMonitor(std::pair<std::int32_t, std::int32_t> windowSize) {
  View& main = views[0];
  if (mainMonitor >= 0 && !Empty(monitors[static_cast<std::size_t>(mainMonitor)].rect)) {
    main.presentation = WindowedOnMainMonitor(main.presentation.format);
  } else {
    main.presentation = {.width = static_cast<std::uint32_t>(windowSize.first),
                         .height = static_cast<std::uint32_t>(windowSize.second),
                         .format = main.presentation.format,
                         .refreshRate = 0,
                         .windowed = true,
                         .deviceWindow = DeviceWindow::None};
  }
  camera.SetAspect(static_cast<std::int32_t>(main.presentation.width), static_cast<std::int32_t>(main.presentation.height));
  return CreateWithFallbacks(0, main.presentation, {DeviceType::Hal, VertexProcessing::Hardware});
}

Presentation SceneOwner::WindowedOnMainMonitor(std::uint32_t format) const {
  const MonitorRect& area = monitors[static_cast<std::size_t>(mainMonitor)].rect;
  return {.width = static_cast<std::uint32_t>(area.right - area.left),
          .height = static_cast<std::uint32_t>(area.bottom - area.top),
          .format = format,
          .refreshRate = 0,
          .windowed = true,
          .deviceWindow = DeviceWindow::None,
          .target = area};
}

void SceneOwner::FollowLayout() {
  const bool mainWindowed = hasDevice && views[0].presentation.target.has_value();
  if (covered.empty() && !mainWindowed) return;
  const std::vector<DesktopMonitor> now = graphics.DesktopMonitors();
  if (mainWindowed) FollowMainMonitor(now);
  // Wherever a monitor seems to have gone, a cover never hides the fireworks.
  const int mainNow = PlanMonitors(now, {graphics.AdapterMonitor(0)}).mainMonitor;
  for (const int monitor : covered) {
    DesktopMonitor& was = monitors[static_cast<std::size_t>(monitor)];
    const auto where = WhereNow(was, now);
    if (!where || *where == was.rect) continue;
    if (mainNow >= 0 && Overlap(*where, now[static_cast<std::size_t>(mainNow)].rect)) continue;
    was.rect = *where;
    graphics.CoverMonitor(monitor, *where);
  }
}

// The windowed main view's frames go where its monitor is now, at the monitor's size: the device is
// reset to it before the next frame, and the camera takes its shape.
void SceneOwner::FollowMainMonitor(const std::vector<DesktopMonitor>& now) {
  View& main = views[0];
  DesktopMonitor& was = monitors[static_cast<std::size_t>(mainMonitor)];
  const auto where = WhereNow(was, now);
  if (!where || *where == was.rect || Empty(*where)) return;
  was.rect = *where;
  main.presentation = WindowedOnMainMonitor(main.presentation.format);
  camera.SetAspect(static_cast<std::int32_t>(main.presentation.width), static_cast<std::int32_t>(main.presentation.height));
  main.aspect = camera.aspect;
  main.resized = !main.lost;  // a lost device still waits until it can be reset
  main.lost = true;
}

void SceneOwner::ReleaseSecondaryDevices() {
  for (std::size_t slot = 1; slot < views.size(); ++slot) {
    graphics.ReleaseDevice(static_cast<int>(slot));
    views[slot] = View{};
  }
}

void SceneOwner::End() {
  // Nothing follows the layout from here: the display changes that the devices' going brings (the
  // desktop's mode coming back) must not move a cover being taken down.
  covered.clear();
  hasDevice = false;
  ReleaseSecondaryDevices();
  graphics.ReleaseDevice(0);
  graphics.ReleaseDirect3D();
  graphics.UncoverMonitors();
  views.clear();
}

bool SceneOwner::Fail(int line) {
  report(line);
  return false;
}

void SceneOwner::CreateSecondaryResources(FrameContent& content) {
  for (std::size_t slot = 1; slot < views.size(); ++slot) {
    if (views[slot].role == ViewRole::Draw && !content.CreateResources(static_cast<int>(slot))) {
      StopDrawing(static_cast<int>(slot), content);
    }
  }
}

// A secondary monitor whose fireworks can't go on is kept black instead, without a report.
void SceneOwner::StopDrawing(int slot, FrameContent& content) {
  content.ReleaseDeviceResources(slot);
  View& view = views[static_cast<std::size_t>(slot)];
  view.role = ViewRole::Blank;
  view.lost = false;
  if (graphics.Clear(slot)) graphics.Present(slot);
}

bool SceneOwner::RecoverLostDevice(int slot, FrameContent& content) {
  View& view = views[static_cast<std::size_t>(slot)];
  // Wait until the device can be reset; then rebuild what the reset takes away.
  if (!view.resized && graphics.Status(slot) != DeviceStatus::NeedsReset) return false;
  content.ReleaseDeviceResources(slot);
  if (!graphics.Reset(slot, view.presentation)) return false;
  if (!content.RestoreDeviceResources(slot)) {
    if (slot != 0) StopDrawing(slot, content);
    return false;
  }
  view.lost = view.resized = false;
  return true;
}

void SceneOwner::RenderView(int slot, FrameContent& content, bool& advanced) {
  View& view = views[static_cast<std::size_t>(slot)];
  if (view.lost && !RecoverLostDevice(slot, content)) return;
  if (!graphics.Clear(slot)) return;
  if (graphics.BeginScene(slot)) {
    if (!advanced) {
      content.Advance();
      advanced = true;
    }
    content.Draw(slot);
    graphics.EndScene(slot);
  }
  if (!graphics.Present(slot)) {
    // A present that fails because the device is lost needs the resources released first; any
    // other failure gets the plain reset.
    if (graphics.Status(slot) == DeviceStatus::Ready) {
      graphics.Reset(slot, view.presentation);
    } else {
      view.lost = true;
      RecoverLostDevice(slot, content);
    }
  }
}

int SceneOwner::DrawingViews() const {
  return static_cast<int>(std::count_if(views.begin(), views.end(), [](const View& v) { return v.role == ViewRole::Draw; }));
}

void SceneOwner::RenderFrame(FrameContent& content) {
  if (!hasDevice) return;
  // The animation moves on with the first view that draws this tick, and only then.
  bool advanced = false;
  for (std::size_t slot = 0; slot < views.size(); ++slot) {
    if (views[slot].role == ViewRole::Draw) RenderView(static_cast<int>(slot), content, advanced);
  }
}

}  // namespace vizo::renderer
