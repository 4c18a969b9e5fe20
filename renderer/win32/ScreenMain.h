// The one scene owner of the process: settings, Direct3D devices, camera and painter.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <array>

#include "renderer/scene_owner.h"
#include "renderer/win32/hanabiPainter.h"

namespace vizo::renderer::win32 {

// SceneGraphics answered by Direct3D 9.
class Direct3DGraphics final : public SceneGraphics {
 public:
  Direct3DGraphics() = default;
  Direct3DGraphics(const Direct3DGraphics&) = delete;
  Direct3DGraphics& operator=(const Direct3DGraphics&) = delete;

  void SetWindow(HWND window) { window_ = window; }
  IDirect3DDevice9* Device() const { return devices_[0]; }
  void ReleaseAll();

  bool CreateDirect3D() override;
  std::optional<DisplayMode> CurrentMode(int adapter) override;
  std::optional<DisplayMode> ListedMode(int adapter, std::uint32_t format, std::uint32_t index) override;
  bool CreateDevice(int slot, int adapter, DeviceType type, VertexProcessing processing,
                    const Presentation& presentation) override;
  void ReleaseDevice(int slot) override;
  std::optional<ShaderVersions> Capabilities() override;
  bool Clear(int slot) override;
  bool Present(int slot) override;
  bool Reset(int slot, const Presentation& presentation) override;
  DeviceStatus Status() override;
  bool BeginScene() override;
  void EndScene() override;

 private:
  D3DPRESENT_PARAMETERS Parameters(int slot, const Presentation& presentation) const;
  bool EnsureBlankingWindow(int slot, int adapter);

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  std::array<IDirect3DDevice9*, 4> devices_{};
  std::array<HWND, 4> blankingWindows_{};  // the device windows of slots 1 to 3
};

struct ScreenMain {
  HanabiPainter painter;
  Direct3DGraphics graphics;
  SceneOwner scene;

  ScreenMain();
  ScreenMain(const ScreenMain&) = delete;
  ScreenMain& operator=(const ScreenMain&) = delete;
  // Runs only if the process ends through the runtime's exit processing, which the saver's entry
  // skips; the system then reclaims everything.
  ~ScreenMain();
  bool InitDevice(HWND window);
  bool InitPainter();
  void RenderFrame();
  void EndBlanking() { scene.EndBlanking(); }
};

ScreenMain& TheScreenMain();

}  // namespace vizo::renderer::win32
