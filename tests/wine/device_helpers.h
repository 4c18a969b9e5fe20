// What the device tests share: a windowed test device, reading its frame back, comparing frames by
// error statistics, and the sprite images for the reference renderer.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <array>

#include "gfxutil/image.h"
#include "gfxutil/textured_raster.h"

namespace vizo::winetest {

// A windowed HAL device with software vertex processing and a 32-bit back buffer; null on failure.
IDirect3DDevice9* CreateWindowedDevice(IDirect3D9* direct3d, HWND window, int width, int height);

// The back buffer as 0x00RRGGBB pixels.
gfx::Image ReadBackFrame(IDirect3DDevice9* device, int width, int height);

struct FrameError {
  double mean = 0;      // mean absolute difference per channel, in 8-bit steps
  double farShare = 0;  // share of pixels with a channel off by more than 24 steps
};
FrameError CompareFrames(const gfx::Image& a, const gfx::Image& b);

// The seven sprite images of the saver's module as its texture loader makes them, for the
// reference renderer.
std::array<gfx::MipTexture, 7> ReferenceTextures(HMODULE saver);

}  // namespace vizo::winetest
