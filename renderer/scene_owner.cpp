#include "scene_owner.h"

namespace vizo::renderer {

namespace {

constexpr std::uint32_t PixelShader11 = 0xFFFF0101;
constexpr std::uint32_t VertexShader11 = 0xFFFE0101;
constexpr std::uint32_t MostModesLooked = 4096;  // a driver that never ends its list can't hang the start

// Calls seen(rate) for each mode that adapter 0 lists at this size in the desktop's format, until
// it returns false.
template <typename Seen>
void ForEachListedRate(SceneGraphics& graphics, const DisplayMode& desktop, std::uint32_t width, std::uint32_t height,
                       Seen&& seen) {
  for (std::uint32_t index = 0; index < MostModesLooked; ++index) {
    const auto mode = graphics.ListedMode(0, desktop.format, index);
    if (!mode) return;
    if (mode->width == width && mode->height == height && !seen(mode->refreshRate)) return;
  }
}

bool AdapterOffersSize(SceneGraphics& graphics, const DisplayMode& desktop, std::uint32_t width, std::uint32_t height) {
  bool offered = false;
  ForEachListedRate(graphics, desktop, width, height, [&offered](std::uint32_t) {
    offered = true;
    return false;
  });
  return offered;
}

}  // namespace

std::uint32_t FullScreenRefreshRate(SceneGraphics& graphics, const DisplayMode& desktop, std::uint32_t width,
                                    std::uint32_t height) {
  bool desktopRate = false;
  std::uint32_t fastestBelow = 0;
  std::uint32_t slowest = 0;
  ForEachListedRate(graphics, desktop, width, height, [&](std::uint32_t rate) {
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

std::optional<SceneOwner::DeviceKind> SceneOwner::CreateWithFallbacks(int adapter, const Presentation& p,
                                                                      DeviceKind first) {
  const DeviceKind attempts[] = {
      first, {first.type, VertexProcessing::Software}, {DeviceType::Reference, VertexProcessing::Software}};
  for (const DeviceKind& attempt : attempts) {
    if (graphics.CreateDevice(adapter, adapter, attempt.type, attempt.processing, p)) return attempt;
  }
  return std::nullopt;
}

void SceneOwner::BlankSecondaryMonitors() {
  for (int adapter = 1; adapter <= 3; ++adapter) {
    const auto mode = graphics.CurrentMode(adapter);
    if (!mode) continue;
    // Its own window: the saver window belongs to the main device, which moves it onto monitor 0.
    const Presentation p{.width = mode->width,
                         .height = mode->height,
                         .format = mode->format,
                         .refreshRate = mode->refreshRate,
                         .windowed = false,
                         .deviceWindow = DeviceWindow::Blanking};
    if (!CreateWithFallbacks(adapter, p, {DeviceType::Hal, VertexProcessing::Hardware})) {
      graphics.ReleaseDevice(adapter);  // nor its window
      continue;
    }
    if (!graphics.Clear(adapter)) return;  // stop blanking altogether
    if (!graphics.Present(adapter)) graphics.Reset(adapter, p);
  }
}

bool SceneOwner::InitDevice(std::optional<std::pair<std::int32_t, std::int32_t>> windowSize, SaverWindowKind kind) {
  if (!windowSize) return Fail(reports::ScreenMain::NoWindowSize);
  const auto [width, height] = *windowSize;
  // However large a preview pane is, its child window can't hold a full-screen device.
  const bool fullScreen = kind == SaverWindowKind::TopLevel && width >= 640 && height >= 480;
  // An empty pane: no device presents into no pixels, and there is nothing to show.
  if (!fullScreen && (width <= 0 || height <= 0)) return true;
  if (!graphics.CreateDirect3D()) return Fail(reports::ScreenMain::NoDirect3D);
  const auto desktop = graphics.CurrentMode(0);
  if (!desktop) return Fail(reports::ScreenMain::NoDesktopMode);

  if (fullScreen) {
    BlankSecondaryMonitors();
    const auto displayWidth = static_cast<std::uint32_t>(settings.displayWidth);
    const auto displayHeight = static_cast<std::uint32_t>(settings.displayHeight);
    presentation = {.width = displayWidth,
                    .height = displayHeight,
                    .format = desktop->format,
                    .refreshRate = FullScreenRefreshRate(graphics, *desktop, displayWidth, displayHeight),
                    .windowed = false,
                    .deviceWindow = DeviceWindow::Saver};
  } else {
    presentation = {.width = static_cast<std::uint32_t>(width),
                    .height = static_cast<std::uint32_t>(height),
                    .format = desktop->format,
                    .refreshRate = 0,
                    .windowed = true,
                    .deviceWindow = DeviceWindow::None};
  }
  // No display size from the settings or the desktop: the window's proportions.
  if (!(camera.aspect > 0) && width > 0 && height > 0) camera.SetAspect(width, height);

  const auto made = CreateMainDevice(*desktop);
  if (!made) return Fail(reports::ScreenMain::NoDevice);
  const auto caps = graphics.Capabilities();
  if (!caps) return Fail(reports::ScreenMain::NoCapabilities);

  const DeviceKind wanted{caps->pixel < PixelShader11 ? DeviceType::Reference : made->type,
                          caps->vertex < VertexShader11 ? VertexProcessing::Software : made->processing};
  if (wanted != *made) {
    graphics.ReleaseDevice(0);
    if (!CreateWithFallbacks(0, presentation, wanted)) return Fail(reports::ScreenMain::NoShaderDevice);
  }
  hasDevice = true;
  return true;
}

std::optional<SceneOwner::DeviceKind> SceneOwner::CreateMainDevice(const DisplayMode& desktop) {
  constexpr DeviceKind Best{DeviceType::Hal, VertexProcessing::Hardware};
  if (const auto made = CreateWithFallbacks(0, presentation, Best)) return made;
  // A Display size this monitor doesn't offer (a settings file from another machine, a laptop off
  // its dock) falls back to the desktop's own mode rather than stopping the saver. The file stays
  // as it is: the size may work again on the machine it came from. A size the adapter lists failed
  // for another reason, which the desktop's size would not mend.
  const bool otherSize = presentation.width != desktop.width || presentation.height != desktop.height;
  if (presentation.windowed || !otherSize ||
      AdapterOffersSize(graphics, desktop, presentation.width, presentation.height)) {
    return std::nullopt;
  }
  presentation.width = desktop.width;
  presentation.height = desktop.height;
  presentation.refreshRate = desktop.refreshRate;
  camera.SetAspect(static_cast<std::int32_t>(desktop.width), static_cast<std::int32_t>(desktop.height));
  return CreateWithFallbacks(0, presentation, Best);
}

void SceneOwner::EndBlanking() {
  for (int slot = 1; slot <= 3; ++slot) graphics.ReleaseDevice(slot);
}

bool SceneOwner::Fail(int line) {
  report(line);
  return false;
}

bool SceneOwner::RecoverLostDevice(FrameContent& content) {
  // Wait until the device can be reset; then rebuild what the reset takes away.
  if (graphics.Status() != DeviceStatus::NeedsReset) return false;
  content.ReleaseDeviceResources();
  if (!graphics.Reset(0, presentation)) return false;
  if (!content.RestoreDeviceResources()) return false;
  deviceLost = false;
  return true;
}

void SceneOwner::RenderFrame(FrameContent& content) {
  if (!hasDevice) return;
  if (deviceLost && !RecoverLostDevice(content)) return;
  if (!graphics.Clear(0)) return;
  if (graphics.BeginScene()) {
    content.Draw();
    graphics.EndScene();
  }
  if (!graphics.Present(0)) {
    // A present that fails because the device is lost needs the resources released first; any
    // other failure gets the plain reset.
    if (graphics.Status() == DeviceStatus::Ready) {
      graphics.Reset(0, presentation);
    } else {
      deviceLost = true;
      RecoverLostDevice(content);
    }
  }
}

}  // namespace vizo::renderer
