// The one scene owner of the process: settings, Direct3D devices, camera and painter.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <array>
#include <memory>
#include <vector>

#include "renderer/scene_owner.h"
#include "renderer/win32/hanabiPainter.h"

namespace vizo::renderer::win32 {

// SceneGraphics answered by Direct3D 9: a device slot per adapter.
class Direct3DGraphics final : public SceneGraphics {
 public:
  Direct3DGraphics() = default;
  Direct3DGraphics(const Direct3DGraphics&) = delete;
  Direct3DGraphics& operator=(const Direct3DGraphics&) = delete;

  void SetWindow(HWND window) { window_ = window; }
  IDirect3DDevice9* Device(int slot = 0) const;
  void ReleaseAll();
  // The primary monitor back in its mode from before the first full-screen device, if it isn't,
  // once the devices are gone: Windows puts it back itself as the last full-screen device goes, but
  // Wine puts back its kept mode, which on a busy machine was now and then the saver's own.
  void RestoreDesktopMode();
  // After a fault, with the devices as the fault left them: the saver window and the covers hidden
  // and no longer top-most, the desktop's mode back.
  void GiveScreenBack();

  bool CreateDirect3D() override;
  int AdapterCount() override;
  std::optional<DisplayMode> CurrentMode(int adapter) override;
  std::optional<DisplayMode> ListedMode(int adapter, std::uint32_t format, std::uint32_t index) override;
  std::vector<DesktopMonitor> DesktopMonitors() override;
  bool RemoteSession() override;
  MonitorHandle AdapterMonitor(int adapter) override;
  bool CoverMonitor(int cover, const MonitorRect& where) override;
  bool CreateDevice(int slot, int adapter, DeviceType type, VertexProcessing processing,
                    const Presentation& presentation) override;
  void ReleaseDevice(int slot) override;
  void ReleaseDirect3D() override;
  void UncoverMonitors() override;
  std::optional<ShaderVersions> Capabilities() override;
  bool Clear(int slot) override;
  bool Present(int slot) override;
  bool Reset(int slot, const Presentation& presentation) override;
  DeviceStatus Status(int slot) override;
  bool BeginScene(int slot) override;
  void EndScene(int slot) override;

 private:
  D3DPRESENT_PARAMETERS Parameters(const Presentation& presentation) const;
  void TakeTarget(int slot, const Presentation& presentation);

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  // By slot, sized to the adapters when the Direct3D object is made.
  std::vector<IDirect3DDevice9*> devices_;
  std::vector<HWND> covers_;  // by monitor, as the scene owner numbers them; null for the main one
  // By slot: where on the saver window a windowed device's frames go, in its client coordinates;
  // nothing for all of it.
  std::vector<std::optional<RECT>> targets_;
  bool fullScreenTried_ = false;  // a full-screen device was asked for
  DEVMODEA modeBefore_{};          // the primary's mode before that
};

struct ScreenMain {
  static constexpr int DrawsPerFrame = 1000;

  HanabiPainter painter;  // the main monitor's
  // Those of the other monitors that draw too, by slot (none for slot 0).
  std::vector<std::unique_ptr<HanabiPainter>> otherPainters;
  // What the animation gave this tick, for every view to draw.
  std::array<SpriteDraw, DrawsPerFrame> sprites{};
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
  void FollowLayout();
  // At the saver window's end: every device goes, each after its painter, then the desktop's mode
  // comes back if it hasn't.
  void End();
  HanabiPainter& PainterFor(int slot);

 private:
  void ReleaseOtherPainters();
};

ScreenMain& TheScreenMain();

}  // namespace vizo::renderer::win32
