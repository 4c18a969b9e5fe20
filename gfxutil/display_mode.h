// A display mode as Direct3D 9 lists it.
#pragma once

#include <cstdint>

namespace vizo::gfx {

struct DisplayMode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t refreshRate = 0;
  std::uint32_t format = 0;  // a D3DFORMAT value
};

}  // namespace vizo::gfx
