// Direct3D's display mode as the portable one.
#pragma once

#include <d3d9.h>

#include "gfxutil/display_mode.h"

namespace vizo::gfx::win32 {

inline DisplayMode FromD3D(const D3DDISPLAYMODE& mode) {
  return {mode.Width, mode.Height, mode.RefreshRate, static_cast<std::uint32_t>(mode.Format)};
}

}  // namespace vizo::gfx::win32
