// The corona effect's sprite drawn in software: the painter's quad placed in clip space as the
// vertex program places it, coloured as the pixel program colours it. It draws any frame on any
// system: the oracle for frames read back from Direct3D 9.
#pragma once

#include <array>

#include "gfxutil/textured_raster.h"
#include "renderer/corona_constants.h"

namespace vizo::renderer {

struct QuadVertex {
  float x, y, u, v;
};

// The painter's quad in buffer order, drawn as a triangle strip: u follows -y and v follows x.
inline constexpr std::array<QuadVertex, 4> PainterQuad = {{{-1, 1, 0, 0}, {1, 1, 0, 1}, {-1, -1, 1, 0}, {1, -1, 1, 1}}};

// Adds one sprite to the frame (0x00RRGGBB pixels).
void DrawCoronaSprite(gfx::Image& frame, const CoronaParameters& parameters, const gfx::MipTexture& texture);

}  // namespace vizo::renderer
