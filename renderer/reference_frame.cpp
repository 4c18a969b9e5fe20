#include "reference_frame.h"

#include "renderer/corona_effect.h"

namespace vizo::renderer {

void DrawReferenceFrame(gfx::Image* frame, const OrbitCamera& camera, HanabiAnimation& animation, std::int32_t spacing,
                        const std::array<gfx::MipTexture, 7>& textures) {
  const CoronaView view = CoronaViewOf(camera);
  CoronaParameters p;
  p.viewProjection = view.viewProjection;
  p.pull = view.pull;
  p.aspect = view.aspect;
  for (int i = 0; i < 1000; ++i) {
    const SpriteDraw d = animation.Next(spacing, i);
    if (!frame || !d.draws) continue;
    p.coronaExp = d.coronaExp;
    p.coronaSize = d.coronaSize;
    p.turn = d.turn;
    p.centre = d.pos0;
    p.lightColor = d.lightColor;
    DrawCoronaSprite(*frame, p, textures[static_cast<size_t>(d.textureSlot)]);
  }
}

}  // namespace vizo::renderer
