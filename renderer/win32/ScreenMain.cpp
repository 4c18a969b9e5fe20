#include "ScreenMain.h"

#include <algorithm>
#include <utility>
#include "gfxutil/float_precision.h"
#include "gfxutil/win32/display_mode_win32.h"
#include "gfxutil/win32/release_once.h"
#include "renderer/win32/blanking_window.h"

#include "renderer/win32/cameraObject.h"
#include "settings/win32/scene_settings_win32.h"
#include "shell/win32/error_report_win32.h"
#include "shell/win32/system_library.h"

namespace vizo::renderer::win32 {

namespace {

using gfx::win32::ReleaseOnce;

void ReportScreenMain(int line) { vizo::win32::ReportError(__FILE__, line); }

D3DDEVTYPE ToD3D(DeviceType type) { return type == DeviceType::Hal ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF; }
DWORD ToD3D(VertexProcessing processing) {
  return processing == VertexProcessing::Hardware ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                  : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
}

// One tick's drawing: the camera moves on a degree and the animation by its 1000 calls, once; then
// each view draws them with its own painter, through a projection of its own shape. With one view,
// the most common case, each call's sprite is drawn as it comes, as nothing else needs it kept. A
// painter's default-pool objects go and come back around a reset of its device.
class FireworksFrame final : public FrameContent {
 public:
  explicit FireworksFrame(ScreenMain& owner) : owner_(owner) {}
  // The frame's own arithmetic is float's (as Direct3D leaves the x87 unit); the animation, the
  // camera and the effect ask for more where their rules do.
  void Advance() override {
    oneView_ = owner_.scene.DrawingViews() == 1;
    gfx::AtPrecision(gfx::Precision::Single, [this] {
      owner_.scene.camera.Update();
      if (oneView_) return;
      const std::int32_t spacing = owner_.scene.settings.spacing;
      for (int i = 0; i < ScreenMain::DrawsPerFrame; ++i)
        owner_.sprites[static_cast<size_t>(i)] = PainterAnimation().Next(spacing, i);
    });
  }
  void Draw(int slot) override {
    gfx::AtPrecision(gfx::Precision::Single, [this, slot] {
      const OrbitCamera& main = owner_.scene.camera;
      const OrbitCamera camera =
          slot == 0 ? main : main.WithAspect(owner_.scene.views[static_cast<size_t>(slot)].aspect);
      IDirect3DDevice9* device = owner_.graphics.Device(slot);
      HanabiPainter& painter = owner_.PainterFor(slot);
      ApplyCamera(device, camera, slot == 0);
      painter.Begin(camera);
      if (oneView_) {
        const std::int32_t spacing = owner_.scene.settings.spacing;
        for (int i = 0; i < ScreenMain::DrawsPerFrame; ++i) painter.Draw(device, spacing, i);
      } else {
        for (const SpriteDraw& sprite : owner_.sprites) painter.Draw(device, sprite);
      }
      painter.End();
    });
  }
  bool CreateResources(int slot) override {
    auto& painter = owner_.otherPainters[static_cast<size_t>(slot)];
    painter = std::make_unique<HanabiPainter>();
    painter->reportsFailures = false;
    return SUCCEEDED(painter->Init(owner_.graphics.Device(slot)));
  }
  void ReleaseDeviceResources(int slot) override { owner_.PainterFor(slot).ReleaseDeviceObjects(); }
  bool RestoreDeviceResources(int slot) override {
    return SUCCEEDED(owner_.PainterFor(slot).RestoreDeviceObjects(owner_.graphics.Device(slot)));
  }

 private:
  ScreenMain& owner_;
  bool oneView_ = true;  // this tick's sprites are drawn as the animation gives them
};

}  // namespace

D3DPRESENT_PARAMETERS Direct3DGraphics::Parameters(const Presentation& p) const {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = p.width;
  parameters.BackBufferHeight = p.height;
  parameters.BackBufferFormat = static_cast<D3DFORMAT>(p.format);
  parameters.BackBufferCount = 1;
  // Only a copy may go to a part of the window.
  parameters.SwapEffect = p.target ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.Windowed = p.windowed;
  switch (p.deviceWindow) {
    case DeviceWindow::None:
      parameters.hDeviceWindow = nullptr;
      break;
    case DeviceWindow::Saver:
      parameters.hDeviceWindow = window_;
      break;
    case DeviceWindow::Blanking:
      parameters.hDeviceWindow = covers_.at(static_cast<size_t>(p.cover));
      break;
  }
  parameters.FullScreen_RefreshRateInHz = p.refreshRate;
  return parameters;
}

IDirect3DDevice9* Direct3DGraphics::Device(int slot) const {
  return static_cast<size_t>(slot) < devices_.size() ? devices_[static_cast<size_t>(slot)] : nullptr;
}

bool Direct3DGraphics::CreateDirect3D() {
  ReleaseAll();
  direct3d_ = vizo::win32::CreateDirect3D9();
  if (!direct3d_) return false;
  const size_t adapters = std::max<UINT>(direct3d_->GetAdapterCount(), 1);
  devices_.assign(adapters, nullptr);
  targets_.assign(adapters, std::nullopt);
  return true;
}

int Direct3DGraphics::AdapterCount() { return static_cast<int>(devices_.size()); }

std::optional<DisplayMode> Direct3DGraphics::CurrentMode(int adapter) {
  D3DDISPLAYMODE mode{};
  if (!direct3d_ || FAILED(direct3d_->GetAdapterDisplayMode(static_cast<UINT>(adapter), &mode))) return std::nullopt;
  return gfx::win32::FromD3D(mode);
}

std::optional<DisplayMode> Direct3DGraphics::ListedMode(int adapter, std::uint32_t format, std::uint32_t index) {
  const auto d3dAdapter = static_cast<UINT>(adapter);
  const auto d3dFormat = static_cast<D3DFORMAT>(format);
  D3DDISPLAYMODE mode{};
  if (!direct3d_ || index >= direct3d_->GetAdapterModeCount(d3dAdapter, d3dFormat) ||
      FAILED(direct3d_->EnumAdapterModes(d3dAdapter, d3dFormat, index, &mode))) {
    return std::nullopt;
  }
  return gfx::win32::FromD3D(mode);
}

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  reinterpret_cast<std::vector<DesktopMonitor>*>(list)->push_back(
      {reinterpret_cast<MonitorHandle>(monitor), info.szDevice, {r.left, r.top, r.right, r.bottom},
       (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<DesktopMonitor> Direct3DGraphics::DesktopMonitors() {
  std::vector<DesktopMonitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

bool Direct3DGraphics::RemoteSession() { return GetSystemMetrics(SM_REMOTESESSION) != 0; }

MonitorHandle Direct3DGraphics::AdapterMonitor(int adapter) {
  return direct3d_ ? reinterpret_cast<MonitorHandle>(direct3d_->GetAdapterMonitor(static_cast<UINT>(adapter))) : 0;
}

bool Direct3DGraphics::CoverMonitor(int cover, const MonitorRect& where) {
  if (cover < 0) return false;
  if (static_cast<size_t>(cover) >= covers_.size()) covers_.resize(static_cast<size_t>(cover) + 1, nullptr);
  HWND& window = covers_[static_cast<size_t>(cover)];
  const RECT area{where.left, where.top, where.right, where.bottom};
  if (window) {
    MoveBlankingWindow(window, area);
  } else {
    window = CreateBlankingWindow(area, window_);
  }
  return window != nullptr;
}

bool Direct3DGraphics::CreateDevice(int slot, int adapter, DeviceType type, VertexProcessing processing,
                                    const Presentation& presentation) {
  auto& device = devices_.at(static_cast<size_t>(slot));
  ReleaseOnce(device);
  // The scene ended while a creation waited (its window destroyed meanwhile): nothing to make.
  if (!direct3d_) return false;
  // Without a window of its own a secondary device would take the saver window off monitor 0.
  if (presentation.deviceWindow == DeviceWindow::Blanking &&
      (static_cast<size_t>(presentation.cover) >= covers_.size() || !covers_[static_cast<size_t>(presentation.cover)])) {
    return false;
  }
  D3DPRESENT_PARAMETERS parameters = Parameters(presentation);
  TakeTarget(slot, presentation);
  if (!parameters.Windowed && !fullScreenTried_) {
    // The mode before any full-screen device of ours changed it.
    modeBefore_ = DEVMODEA{};
    modeBefore_.dmSize = sizeof modeBefore_;
    fullScreenTried_ = EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &modeBefore_) != FALSE;
  }
  return SUCCEEDED(direct3d_->CreateDevice(static_cast<UINT>(adapter), ToD3D(type), window_, ToD3D(processing),
                                           &parameters, &device));
}

void Direct3DGraphics::ReleaseDevice(int slot) {
  if (static_cast<size_t>(slot) < devices_.size()) ReleaseOnce(devices_[static_cast<size_t>(slot)]);
}

void Direct3DGraphics::ReleaseDirect3D() {
  for (auto& device : devices_) ReleaseOnce(device);
  ReleaseOnce(direct3d_);
}

void Direct3DGraphics::UncoverMonitors() {
  // After their devices, which give the windows back as they found them.
  for (HWND& window : covers_) {
    if (window) DestroyWindow(window);
    window = nullptr;
  }
  covers_.clear();
}

std::optional<ShaderVersions> Direct3DGraphics::Capabilities() {
  D3DCAPS9 caps{};
  IDirect3DDevice9* device = Device(0);
  if (!device || FAILED(device->GetDeviceCaps(&caps))) return std::nullopt;
  return ShaderVersions{caps.PixelShaderVersion, caps.VertexShaderVersion};
}

bool Direct3DGraphics::Clear(int slot) {
  auto* device = Device(slot);
  return device && SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0));
}

void Direct3DGraphics::TakeTarget(int slot, const Presentation& presentation) {
  std::optional<RECT>& target = targets_.at(static_cast<size_t>(slot));
  target.reset();
  if (!presentation.target) return;
  const MonitorRect& on = *presentation.target;
  RECT r{on.left, on.top, on.right, on.bottom};
  MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
  target = r;
}

bool Direct3DGraphics::Present(int slot) {
  auto* device = Device(slot);
  if (!device) return false;
  const std::optional<RECT>& target = targets_[static_cast<size_t>(slot)];
  return SUCCEEDED(device->Present(nullptr, target ? &*target : nullptr, nullptr, nullptr));
}

bool Direct3DGraphics::Reset(int slot, const Presentation& presentation) {
  auto* device = Device(slot);
  if (!device) return false;
  D3DPRESENT_PARAMETERS parameters = Parameters(presentation);
  TakeTarget(slot, presentation);
  return SUCCEEDED(device->Reset(&parameters));
}

DeviceStatus Direct3DGraphics::Status(int slot) {
  auto* device = Device(slot);
  if (!device) return DeviceStatus::Lost;
  switch (device->TestCooperativeLevel()) {
    case D3D_OK:
      return DeviceStatus::Ready;
    case D3DERR_DEVICENOTRESET:
      return DeviceStatus::NeedsReset;
    default:
      return DeviceStatus::Lost;
  }
}

bool Direct3DGraphics::BeginScene(int slot) {
  auto* device = Device(slot);
  return device && SUCCEEDED(device->BeginScene());
}
void Direct3DGraphics::EndScene(int slot) { Device(slot)->EndScene(); }

void Direct3DGraphics::ReleaseAll() {
  ReleaseDirect3D();
  UncoverMonitors();
}

namespace {

// The primary's current mode. Right after the last full-screen device went, while the system puts
// its own mode back, Wine 10 now and then can't tell it for a moment: asked again for up to half a
// second.
bool ReadCurrentMode(DEVMODEA& mode) {
  for (int tries = 0; tries < 50; ++tries) {
    mode = DEVMODEA{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

void Direct3DGraphics::RestoreDesktopMode() {
  if (!fullScreenTried_) return;
  DEVMODEA current{};
  // Unreadable still, the mode is put back anyway: the same mode again changes nothing.
  const bool read = ReadCurrentMode(current);
  if (!read || current.dmPelsWidth != modeBefore_.dmPelsWidth || current.dmPelsHeight != modeBefore_.dmPelsHeight) {
    // The mode itself, not the system's kept one, which under Wine may be the saver's own; named
    // field by field, rather than with whatever else the reading happened to fill.
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = modeBefore_.dmPelsWidth;
    mode.dmPelsHeight = modeBefore_.dmPelsHeight;
    if ((modeBefore_.dmFields & DM_BITSPERPEL) && modeBefore_.dmBitsPerPel != 0) {
      mode.dmFields |= DM_BITSPERPEL;
      mode.dmBitsPerPel = modeBefore_.dmBitsPerPel;
    }
    if ((modeBefore_.dmFields & DM_DISPLAYFREQUENCY) && modeBefore_.dmDisplayFrequency > 1) {  // 0, 1: the default
      mode.dmFields |= DM_DISPLAYFREQUENCY;
      mode.dmDisplayFrequency = modeBefore_.dmDisplayFrequency;
    }
    if (ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL) ChangeDisplaySettingsA(nullptr, 0);
  }
}

void Direct3DGraphics::GiveScreenBack() {
  std::vector<HWND> windows = covers_;
  windows.push_back(window_);
  for (HWND window : windows) {
    if (!window || !IsWindow(window)) continue;
    // Another thread's window (the fault came from a helper thread) is asked without waiting: its
    // thread may be waiting on this one.
    const bool ours = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (ours ? 0 : SWP_ASYNCWINDOWPOS));
  }
  RestoreDesktopMode();
}

ScreenMain::ScreenMain() : scene{graphics, ReportScreenMain} {
  const auto desktop = vizo::win32::ReadDesktopMode();
  if (!desktop) vizo::win32::ReportError(__FILE__, reports::ScreenMain::NoDirect3DForSettings);
  settings::SceneSettings read;
  vizo::win32::ReadSceneSettingsFromFile(read, desktop);
  scene.TakeSettings(read, desktop);
}

ScreenMain::~ScreenMain() {
  graphics.ReleaseAll();
  painter.Release();
  ReleaseOtherPainters();
}

void ScreenMain::ReleaseOtherPainters() {
  for (auto& other : otherPainters) {
    if (other) other->Release();
  }
}

bool ScreenMain::InitDevice(HWND window) {
  graphics.SetWindow(window);
  RECT r{};
  std::optional<std::pair<std::int32_t, std::int32_t>> size;
  if (GetWindowRect(window, &r)) size = std::pair{r.right - r.left, r.bottom - r.top};
  const auto kind = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ? SaverWindowKind::Child : SaverWindowKind::TopLevel;
  // The sprite images are made on the side while Direct3D and the device start; for an empty pane
  // not at all, so that nothing in the window's creation waits for them.
  if (size && !NothingToShow(*size)) painter.PrepareImages();
  return scene.InitDevice(size, kind);
}

bool ScreenMain::InitPainter() {
  if (!scene.hasDevice) {  // an empty preview pane: nothing to draw into
    painter.DiscardImages();
    return true;
  }
  const bool made = SUCCEEDED(painter.Init(graphics.Device()));
  if (!made) vizo::win32::ReportError(__FILE__, reports::ScreenMain::NoPainter);
  // Every monitor that draws has its painter, or is black, whatever became of the main one's.
  otherPainters.resize(scene.views.size());
  FireworksFrame frame(*this);
  scene.CreateSecondaryResources(frame);
  return made;
}

void ScreenMain::RenderFrame() {
  FireworksFrame frame(*this);
  scene.RenderFrame(frame);
}

void ScreenMain::FollowLayout() { scene.FollowLayout(); }

void ScreenMain::End() {
  ReleaseOtherPainters();  // each painter before its device
  painter.Release();
  scene.End();
  graphics.RestoreDesktopMode();
}

HanabiPainter& ScreenMain::PainterFor(int slot) {
  return slot == 0 ? painter : *otherPainters.at(static_cast<size_t>(slot));
}

ScreenMain& TheScreenMain() {
  static ScreenMain owner;
  return owner;
}

// Built at start-up, before the command line is looked at, as in every mode.
[[maybe_unused]] const ScreenMain& g_builtAtStart = TheScreenMain();

}  // namespace vizo::renderer::win32
