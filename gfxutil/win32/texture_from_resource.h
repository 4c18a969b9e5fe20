// A texture from a bitmap in a module's resources, in place of D3DXCreateTextureFromResourceA:
// found by name regardless of case, scaled onto power-of-two sizes with a triangle filter, with a
// full box-filtered mipmap chain, in the managed pool.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <string>

namespace vizo::gfx::win32 {

// module NULL means the executable. On failure message says why.
HRESULT CreateTextureFromResource(IDirect3DDevice9* device, HMODULE module, const char* name,
                                  IDirect3DTexture9** texture, std::string* message = nullptr);

}  // namespace vizo::gfx::win32
