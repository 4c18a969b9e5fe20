#include "device_helpers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gfxutil/win32/release_once.h"

namespace vizo::winetest {

using gfx::win32::ReleaseOnce;

IDirect3DDevice9* CreateWindowedDevice(IDirect3D9* direct3d, HWND window, int width, int height) {
  D3DPRESENT_PARAMETERS present{};
  present.BackBufferWidth = static_cast<UINT>(width);
  present.BackBufferHeight = static_cast<UINT>(height);
  present.BackBufferFormat = D3DFMT_X8R8G8B8;
  present.BackBufferCount = 1;
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.hDeviceWindow = window;
  present.Windowed = TRUE;
  present.EnableAutoDepthStencil = TRUE;
  present.AutoDepthStencilFormat = D3DFMT_D16;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &present, &device))) {
    return nullptr;
  }
  return device;
}

gfx::Image ReadBackFrame(IDirect3DDevice9* device, int width, int height) {
  gfx::Image frame(width, height);
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(device->GetRenderTarget(0, &target)) &&
      SUCCEEDED(device->CreateOffscreenPlainSurface(static_cast<UINT>(width), static_cast<UINT>(height),
                                                    D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(target, copy)) &&
      SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(&frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(width)],
                  static_cast<const char*>(locked.pBits) + y * locked.Pitch, static_cast<size_t>(width) * 4);
    }
    copy->UnlockRect();
  }
  ReleaseOnce(copy);
  ReleaseOnce(target);
  for (auto& p : frame.pixels) p &= 0x00FFFFFF;
  return frame;
}

FrameError CompareFrames(const gfx::Image& a, const gfx::Image& b) {
  double total = 0;
  int farCount = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const int dr = std::abs(gfx::Red(a.pixels[i]) - gfx::Red(b.pixels[i]));
    const int dg = std::abs(gfx::Green(a.pixels[i]) - gfx::Green(b.pixels[i]));
    const int db = std::abs(gfx::Blue(a.pixels[i]) - gfx::Blue(b.pixels[i]));
    total += dr + dg + db;
    farCount += std::max({dr, dg, db}) > 24 ? 1 : 0;
  }
  const auto n = static_cast<double>(a.pixels.size());
  return {total / (3 * n), farCount / n};
}

std::array<gfx::MipTexture, 7> ReferenceTextures(HMODULE saver) {
  const char* names[] = {"img/hanabi0.bmp", "img/hanabi1.bmp", "img/hanabi2.bmp", "img/hanabi3.bmp",
                         "img/hanabi4.bmp", "img/hanabi5.bmp", "img/flash.bmp"};
  std::array<gfx::MipTexture, 7> textures;
  for (size_t i = 0; i < textures.size(); ++i) {
    HRSRC found = FindResourceA(saver, names[i], RT_BITMAP);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(saver, found)));
    textures[i] = std::get<gfx::MipTexture>(gfx::TextureFromBitmap(data, SizeofResource(saver, found)));
  }
  return textures;
}

}  // namespace vizo::winetest
