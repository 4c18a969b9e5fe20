// The fireworks painter on Direct3D 9: the quad, the seven sprite textures and the corona effect,
// and a frame's 1000 draw calls driven by the process-wide animation.
#pragma once

#include <d3d9.h>

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "gfxutil/image.h"

#include "gfxutil/win32/d3d_effect.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

// The numbers of the painter's error reports.
namespace vizo::reports::hanabiPainter {
inline constexpr int NoQuadMemory = 46, QuadNotWritten = 49, NoSpriteImage = 70;
}  // namespace vizo::reports::hanabiPainter

namespace vizo::renderer::win32 {

// The animation every painter of the process shares, seeded from the multimedia timer at the
// first draw unless a seed was set before.
HanabiAnimation& PainterAnimation();

struct HanabiPainter {
  std::unique_ptr<gfx::win32::D3DEffect> effect;
  gfx::win32::Handle technique = 0;
  IDirect3DVertexBuffer9* quad = nullptr;
  std::array<IDirect3DTexture9*, 7> textures{};
  // view_proj_matrix, coronaSize, coronaExp, turn, pull, pos0, lightColor, Corona_Tex, aspect
  std::array<gfx::win32::Handle, 9> parameters{};
  // A secondary monitor's painter fails without a box: that monitor is kept black instead.
  bool reportsFailures = true;

  HanabiPainter() = default;
  HanabiPainter(const HanabiPainter&) = delete;
  HanabiPainter& operator=(const HanabiPainter&) = delete;
  ~HanabiPainter() { DiscardImages(); }  // the image thread writes into this painter

  // Starts the processor's share of the sprite textures (decoding, scaling, mipmaps) on a thread of
  // its own, while Direct3D and the device start; Init takes what it made and frees the rest.
  void PrepareImages(HMODULE resources = nullptr);
  // Waits for the image thread and frees what it made: there will be no Init to take it.
  void DiscardImages();
  // Waits at most this long for the image thread (never on the thread itself); true once it ended.
  bool WaitForImages(DWORD milliseconds);
  // Images made on the side and not yet taken or freed (asked once the image thread has ended).
  bool HoldsPreparedImages() const;
  // An image thread started and not yet waited for.
  bool PreparingImages() const { return preparing_ != nullptr; }
  HRESULT Init(IDirect3DDevice9* device, HMODULE resources = nullptr);
  // Around a device reset: the quad (default pool) and the effect (device state) go and come back;
  // the managed textures stay.
  void ReleaseDeviceObjects();
  HRESULT RestoreDeviceObjects(IDirect3DDevice9* device);
  HRESULT Begin(const OrbitCamera& camera);
  // One of the frame's 1000 calls with what the animation gave for it.
  void Draw(IDirect3DDevice9* device, const SpriteDraw& sprite);
  // ... and with the animation moved on for it.
  void Draw(IDirect3DDevice9* device, std::int32_t spacing, int i) {
    Draw(device, PainterAnimation().Next(spacing, i));
  }
  HRESULT End();
  // Everything the painter holds, the images being prepared included.
  void Release();

 private:
  static unsigned __stdcall PrepareAll(void* painter);

  HANDLE preparing_ = nullptr;
  unsigned preparingId_ = 0;
  HMODULE preparedFrom_ = nullptr;
  std::array<std::optional<std::vector<gfx::Image>>, 7> prepared_;  // by slot; empty if not made

  HRESULT CreateQuad(IDirect3DDevice9* device);
  void Report(int line) const;
  HRESULT CreateEffect(IDirect3DDevice9* device);
};

}  // namespace vizo::renderer::win32
