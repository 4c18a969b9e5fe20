#include "ScreenMain.h"
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

// One frame's drawing: the camera moves on a degree, the painter makes its 1000 calls. The painter's
// default-pool objects go and come back around a reset.
class FireworksFrame final : public FrameContent {
 public:
  explicit FireworksFrame(ScreenMain& owner) : owner_(owner) {}
  void Draw() override {
    // The frame's own arithmetic is float's (as Direct3D leaves the x87 unit); the animation, the
    // camera and the effect ask for more where their rules do.
    gfx::AtPrecision(gfx::Precision::Single, [this] {
      IDirect3DDevice9* device = owner_.graphics.Device();
      OrbitCamera& camera = owner_.scene.camera;
      camera.Update();
      ApplyCamera(device, camera);
      owner_.painter.Begin(camera);
      for (int i = 0; i < 1000; ++i) owner_.painter.Draw(device, owner_.scene.settings.spacing, i);
      owner_.painter.End();
    });
  }
  void ReleaseDeviceResources() override { owner_.painter.ReleaseDeviceObjects(); }
  bool RestoreDeviceResources() override {
    return SUCCEEDED(owner_.painter.RestoreDeviceObjects(owner_.graphics.Device()));
  }

 private:
  ScreenMain& owner_;
};

}  // namespace

D3DPRESENT_PARAMETERS Direct3DGraphics::Parameters(int slot, const Presentation& p) const {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = p.width;
  parameters.BackBufferHeight = p.height;
  parameters.BackBufferFormat = static_cast<D3DFORMAT>(p.format);
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
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
      parameters.hDeviceWindow = blankingWindows_[static_cast<size_t>(slot)];
      break;
  }
  parameters.FullScreen_RefreshRateInHz = p.refreshRate;
  return parameters;
}

bool Direct3DGraphics::CreateDirect3D() {
  ReleaseOnce(direct3d_);
  direct3d_ = vizo::win32::CreateDirect3D9();
  return direct3d_ != nullptr;
}

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

bool Direct3DGraphics::EnsureBlankingWindow(int slot, int adapter) {
  HWND& window = blankingWindows_[static_cast<size_t>(slot)];
  if (!window) window = CreateBlankingWindow(direct3d_->GetAdapterMonitor(static_cast<UINT>(adapter)), window_);
  return window != nullptr;
}

bool Direct3DGraphics::CreateDevice(int slot, int adapter, DeviceType type, VertexProcessing processing,
                                    const Presentation& presentation) {
  auto& device = devices_[static_cast<size_t>(slot)];
  ReleaseOnce(device);
  // Without a window of its own a blanking device would take the saver window off monitor 0.
  if (presentation.deviceWindow == DeviceWindow::Blanking && !EnsureBlankingWindow(slot, adapter)) return false;
  D3DPRESENT_PARAMETERS parameters = Parameters(slot, presentation);
  return SUCCEEDED(direct3d_->CreateDevice(static_cast<UINT>(adapter), ToD3D(type), window_, ToD3D(processing),
                                           &parameters, &device));
}

void Direct3DGraphics::ReleaseDevice(int slot) {
  ReleaseOnce(devices_[static_cast<size_t>(slot)]);
  // The device first: it gives the window back as it found it, then the window goes.
  HWND& window = blankingWindows_[static_cast<size_t>(slot)];
  if (window) {
    DestroyWindow(window);
    window = nullptr;
  }
}

std::optional<ShaderVersions> Direct3DGraphics::Capabilities() {
  D3DCAPS9 caps{};
  if (!devices_[0] || FAILED(devices_[0]->GetDeviceCaps(&caps))) return std::nullopt;
  return ShaderVersions{caps.PixelShaderVersion, caps.VertexShaderVersion};
}

bool Direct3DGraphics::Clear(int slot) {
  auto* device = devices_[static_cast<size_t>(slot)];
  return device && SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0));
}

bool Direct3DGraphics::Present(int slot) {
  auto* device = devices_[static_cast<size_t>(slot)];
  return device && SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
}

bool Direct3DGraphics::Reset(int slot, const Presentation& presentation) {
  auto* device = devices_[static_cast<size_t>(slot)];
  D3DPRESENT_PARAMETERS parameters = Parameters(slot, presentation);
  return device && SUCCEEDED(device->Reset(&parameters));
}

DeviceStatus Direct3DGraphics::Status() {
  if (!devices_[0]) return DeviceStatus::Lost;
  switch (devices_[0]->TestCooperativeLevel()) {
    case D3D_OK:
      return DeviceStatus::Ready;
    case D3DERR_DEVICENOTRESET:
      return DeviceStatus::NeedsReset;
    default:
      return DeviceStatus::Lost;
  }
}

bool Direct3DGraphics::BeginScene() { return devices_[0] && SUCCEEDED(devices_[0]->BeginScene()); }
void Direct3DGraphics::EndScene() { devices_[0]->EndScene(); }

void Direct3DGraphics::ReleaseAll() {
  ReleaseOnce(devices_[0]);
  ReleaseOnce(direct3d_);
  for (int slot = 1; slot < static_cast<int>(devices_.size()); ++slot) ReleaseDevice(slot);
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
}

bool ScreenMain::InitDevice(HWND window) {
  graphics.SetWindow(window);
  RECT r{};
  std::optional<std::pair<std::int32_t, std::int32_t>> size;
  if (GetWindowRect(window, &r)) size = std::pair{r.right - r.left, r.bottom - r.top};
  const bool child = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
  return scene.InitDevice(size, child ? SaverWindowKind::Child : SaverWindowKind::TopLevel);
}

bool ScreenMain::InitPainter() {
  if (!scene.hasDevice) return true;  // an empty preview pane: nothing to draw into
  if (FAILED(painter.Init(graphics.Device()))) {
    vizo::win32::ReportError(__FILE__, reports::ScreenMain::NoPainter);
    return false;
  }
  return true;
}

void ScreenMain::RenderFrame() {
  FireworksFrame frame(*this);
  scene.RenderFrame(frame);
}

ScreenMain& TheScreenMain() {
  static ScreenMain owner;
  return owner;
}

// Built at start-up, before the command line is looked at, as in every mode.
[[maybe_unused]] const ScreenMain& g_builtAtStart = TheScreenMain();

}  // namespace vizo::renderer::win32
