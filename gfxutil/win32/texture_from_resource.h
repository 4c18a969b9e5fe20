// A texture from a bitmap in a module's resources, in place of D3DXCreateTextureFromResourceA:
// found by name regardless of case, scaled onto power-of-two sizes with a triangle filter, with a
// full box-filtered mipmap chain, in the managed pool.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <string>
#include <variant>
#include <vector>

#include "gfxutil/image.h"

namespace vizo::gfx::win32 {

// module NULL means the executable. On failure message says why.
HRESULT CreateTextureFromResource(IDirect3DDevice9* device, HMODULE module, const char* name,
                                  IDirect3DTexture9** texture, std::string* message = nullptr);

// The same in two halves. The processor's, which needs no device: the bitmap decoded, scaled onto
// power-of-two sizes and its whole mipmap chain made. Then the texture, from those levels, if the
// device takes their size and mipmaps (failing otherwise, for CreateTextureFromResource to fit them).
std::variant<std::vector<Image>, std::string> PrepareTextureLevels(HMODULE module, const char* name);
HRESULT CreateTextureFromLevels(IDirect3DDevice9* device, const std::vector<Image>& levels, IDirect3DTexture9** texture,
                                std::string* message = nullptr);

}  // namespace vizo::gfx::win32
