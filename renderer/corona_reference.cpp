#include "corona_reference.h"

namespace vizo::renderer {

void DrawCoronaSprite(gfx::Image& frame, const CoronaParameters& p, const gfx::MipTexture& texture) {
  const CoronaConstants c = ComputeCoronaConstants(p);
  // All corners share the centre's z and w: the depth bounds keep or remove the whole sprite.
  const float w = c.centre[3];
  if (!(w > 0) || c.centre[2] < 0 || c.centre[2] > w) return;

  // Corners 0, 1 and 2 in screen space; the quad is a parallelogram, v along 0->1, u along 0->2.
  std::array<gfx::ScreenPoint, 3> screen{};
  for (size_t i = 0; i < screen.size(); ++i) {
    const auto clip = CoronaCorner(p, c, PainterQuad[i].x, PainterQuad[i].y);
    screen[i] = {(clip[0] / w + 1) * 0.5f * static_cast<float>(frame.width),
                 (1 - clip[1] / w) * 0.5f * static_cast<float>(frame.height)};
  }
  const std::array<float, 3> scale = {c.brightness * p.lightColor[0], c.brightness * p.lightColor[1],
                                      c.brightness * p.lightColor[2]};
  gfx::AddTexturedParallelogram(frame, screen[0], screen[1], screen[2], texture, scale);
}

}  // namespace vizo::renderer
