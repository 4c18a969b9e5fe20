// A small software rasterizer: textured parallelograms sampled clamped and trilinear, added with
// saturation into an 8-bit frame. The reference renderer draws its sprites with it.
#pragma once

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "gfxutil/image.h"

namespace vizo::gfx {

// A texture with its mipmap chain, level 0 first.
struct MipTexture {
  std::vector<Image> levels;
};

// A bitmap resource (or a whole .bmp file) as the texture loader makes it: scaled onto powers of
// two with the triangle filter, with its box-filtered mipmaps. An error says why it can't be.
std::variant<MipTexture, std::string> TextureFromBitmap(const std::uint8_t* data, std::size_t size);

using ScreenPoint = std::array<float, 2>;

// Adds the parallelogram with corners origin, origin + (alongV - origin) and origin +
// (alongU - origin) to the frame (0x00RRGGBB pixels), pixel centres at integer positions as in
// Direct3D 9. The texture's u runs from origin to alongU, v from origin to alongV; each texel is
// scaled per channel by scale. Edges are half-open, so shapes that share an edge cover it once.
// Corners that are not finite draw nothing.
void AddTexturedParallelogram(Image& frame, const ScreenPoint& origin, const ScreenPoint& alongV,
                              const ScreenPoint& alongU, const MipTexture& texture, const std::array<float, 3>& scale);

}  // namespace vizo::gfx
