// A software rasterizer for exactly the corona pipeline: the painter's quad placed in clip space by
// the corona effect, sampled clamped and trilinear, added with saturation into an 8-bit frame.
// It draws any frame on any system: the oracle for frames read back from Direct3D 9.
#pragma once

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "gfxutil/image.h"
#include "renderer/corona_constants.h"

namespace vizo::gfx {

struct QuadVertex {
  float x, y, u, v;
};

// The painter's quad in buffer order, drawn as a triangle strip: u follows -y and v follows x.
inline constexpr std::array<QuadVertex, 4> PainterQuad = {{{-1, 1, 0, 0}, {1, 1, 0, 1}, {-1, -1, 1, 0}, {1, -1, 1, 1}}};

// A texture with its mipmap chain, level 0 first.
struct MipTexture {
  std::vector<Image> levels;
};

// A bitmap resource (or a whole .bmp file) as the texture loader makes it: scaled onto powers of
// two with the triangle filter, with its box-filtered mipmaps. An error says why it can't be.
std::variant<MipTexture, std::string> TextureFromBitmap(const std::uint8_t* data, std::size_t size);

// Adds one sprite to the frame (0x00RRGGBB pixels).
void DrawCoronaSprite(Image& frame, const renderer::CoronaParameters& parameters, const MipTexture& texture);

}  // namespace vizo::gfx
