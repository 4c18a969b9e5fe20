// The processor's share of one fireworks frame, as the saver does it: the camera and 1000 calls of
// animation, once, then for each view (monitor) what the painter sets for it (projection, pull,
// aspect) and 1000 calls of parameter setting and effect constants, with a device that does
// nothing. With one view each call's sprite is drawn as it comes; with more they are kept for
// every view.
#pragma once

#include <array>
#include <cstdint>

#include "gfxutil/effect_definition.h"
#include "renderer/corona_effect.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

namespace vizo::bench {

// What both builds' benchmarks do with each draw's constants: hand them to something the compiler
// can't see into, as the saver hands them to the device.
struct HandToDevice {
  template <typename Vertex, typename Pixel>
  void operator()(Vertex& vertex, Pixel& pixel) const {
    __asm__ volatile("" : : "r"(&vertex), "r"(&pixel) : "memory");
  }
};

class FrameCpuWork {
 public:
  explicit FrameCpuWork(std::int32_t spacing, int views = 1) : spacing_(spacing), views_(views) {
    animation_.SetSeed(Seed);
    camera_.SetAspect(1024, 768);
  }

  // What the optimiser must not drop: the constants of the frame's last draw.
  template <typename Keep>
  void Frame(Keep&& keep) {
    camera_.Update();
    if (views_ == 1) {
      BeginView(camera_);
      for (int i = 0; i < 1000; ++i) DrawSprite(animation_.Next(spacing_, i), keep);
      return;
    }
    for (int i = 0; i < 1000; ++i) sprites_[static_cast<std::size_t>(i)] = animation_.Next(spacing_, i);
    for (int view = 0; view < views_; ++view) {
      BeginView(view == 0 ? camera_ : camera_.WithAspect(OtherMonitorsAspect));
      DrawView(keep);
    }
  }

  static constexpr float OtherMonitorsAspect = 1.25f;  // 1280 x 1024
  static constexpr std::uint32_t Seed = 1;

 private:
  void BeginView(const renderer::OrbitCamera& camera) {
    const renderer::CoronaView view = renderer::CoronaViewOf(camera);
    values_.SetFloats(view_, &view.viewProjection.m[0][0], 16);
    values_.SetFloats(pull_, &view.pull, 1);
    values_.SetFloats(aspect_, &view.aspect, 1);
  }
  template <typename Keep>
  void DrawView(Keep& keep) {
    for (const renderer::SpriteDraw& d : sprites_) DrawSprite(d, keep);
  }
  template <typename Keep>
  void DrawSprite(const renderer::SpriteDraw& d, Keep& keep) {
    values_.SetFloats(exp_, &d.coronaExp, 1);
    values_.SetFloats(size_, &d.coronaSize, 1);
    values_.SetFloats(turn_, &d.turn, 1);
    const float centre[3] = {d.pos0.x, d.pos0.y, d.pos0.z};
    values_.SetFloats(pos_, centre, 3);
    values_.SetFloats(light_, d.lightColor.data(), 4);
    effect_.computeConstants(values_, vertex_, pixel_);
    keep(vertex_, pixel_);
  }

  const gfx::EffectDefinition& effect_ = renderer::CoronaEffect();
  gfx::ParameterValues values_{effect_.parameters};
  const gfx::ParameterHandle size_ = values_.Find("coronaSize"), exp_ = values_.Find("coronaExp"),
                             turn_ = values_.Find("turn"), pos_ = values_.Find("pos0"),
                             light_ = values_.Find("lightColor"), view_ = values_.Find("view_proj_matrix"),
                             pull_ = values_.Find("pull"), aspect_ = values_.Find("aspect");
  renderer::HanabiAnimation animation_{[]() -> std::uint32_t { return 0; }};
  renderer::OrbitCamera camera_;
  gfx::ConstantBlock<gfx::VertexConstantCount> vertex_;
  gfx::ConstantBlock<gfx::PixelConstantCount> pixel_;
  std::array<renderer::SpriteDraw, 1000> sprites_{};
  std::int32_t spacing_;
  int views_;
};

}  // namespace vizo::bench
