// The fireworks' animation: what each of a frame's 1000 draw calls hands the corona effect, and
// whether it draws. Process-wide and never reset; advanced by fixed steps, never by time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gfxutil/matrix.h"
#include "renderer/colour_drift.h"

namespace vizo::renderer {

// The C runtime's generator: state * 214013 + 2531011, returning bits 16 to 30.
class RuntimeRandom {
 public:
  void Seed(std::uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_ = 1;
};

struct SpriteDraw {
  float coronaExp = 0;
  float coronaSize = 0;
  float turn = 0;
  gfx::Vector3 pos0;
  LightColour lightColor{};
  int textureSlot = 0;
  bool draws = false;
};

class HanabiAnimation {
 public:
  // The seed is taken from seedSource at the first call (the multimedia timer in the saver), or
  // fixed beforehand by SetSeed.
  explicit HanabiAnimation(std::uint32_t (*seedSource)());
  void SetSeed(std::uint32_t seed) { fixedSeed_ = seed, hasFixedSeed_ = true; }

  // Call i (0 to 999) of a frame, with the settings' spacing. Inline: a frame makes a thousand.
  SpriteDraw Next(std::int32_t spacing, int i);

 private:
  struct SizeStep {
    float size = 0;
    float tenfold = 0;
    float brightness = 0;
  };
  static constexpr std::size_t SizeSteps = 1100;
  static constexpr std::size_t OrbitSteps = 1008;
  static constexpr std::size_t SpinSteps = 505;  // the spin's 252 angles twice, and one more
  static constexpr std::int32_t ColourCycle = 10080000;
  static constexpr std::int32_t TextureHold = 1008000;
  // Everything the animation steps through in fixed cycles, worked out once (hanabi_animation.cpp).
  struct Tables {
    Tables();
    // The orbit: 1008 positions, one a call.
    std::array<gfx::Vector3, OrbitSteps> orbit{};
    // The spin's angles by step.
    std::array<float, SpinSteps> spin{};
    // The size falls by 0.0001 a call, the difference taken in double and stored back as float,
    // and wraps once it passes -0.05, back to where it started. Exact arithmetic would make that a
    // 1001-call cycle; rounding at each store drifts it down faster and the wrap comes every 1000
    // calls, at the same call of every frame (the trail still moves: the orbit's 1008 steps
    // advance by 1000 a frame). Each step depends on the last alone, so one cycle holds them all.
    std::array<SizeStep, SizeSteps> sizes{};
    std::size_t sizeCycle = 0;
  };
  void SeedOnFirstCall();
  void SetBrightnessSpacing(std::int32_t spacing);

  const Tables* tables_;

  std::uint32_t (*seedSource_)();
  std::uint32_t fixedSeed_ = 0;
  bool hasFixedSeed_ = false;
  bool seeded_ = false;
  RuntimeRandom random_;
  std::size_t sizeStep_ = 0;  // in the size rule's cycle
  // coronaExp by size step, for the spacing last asked for (spacing is at least 1).
  std::int32_t brightnessSpacing_ = 0;
  std::array<float, SizeSteps> brightness_{};
  // Each step is moved on before use: the first call takes step 0.
  std::size_t spinStep_ = SpinSteps - 1;
  std::size_t orbitStep_ = OrbitSteps - 1;
  std::int32_t colourPhase_ = 0;
  ColourDrift colours_;
  std::int32_t textureIndex_ = 0;
  std::int32_t textureTimer_ = -1;
};

inline SpriteDraw HanabiAnimation::Next(std::int32_t spacing, int i) {
  if (!seeded_) SeedOnFirstCall();
  if (spacing != brightnessSpacing_) SetBrightnessSpacing(spacing);

  // Every field is given its value once, at the end: a result made first and filled in afterwards
  // is zeroed whole before, on every call.
  const SizeStep& step = tables_->sizes[sizeStep_];
  const float coronaExp = brightness_[sizeStep_];
  if (++sizeStep_ == tables_->sizeCycle) sizeStep_ = 0;
  const float size = step.size;

  if (++spinStep_ == SpinSteps) spinStep_ = 0;
  if (++orbitStep_ == OrbitSteps) orbitStep_ = 0;

  colourPhase_ += 2;
  if (colourPhase_ > ColourCycle) colourPhase_ = 0;

  if (++textureTimer_ > TextureHold) {
    textureTimer_ = 0;
    ++textureIndex_;
  }
  if (textureIndex_ > 6) textureIndex_ = 0;
  const bool firstTexture = size > 0.0495f || (size > 0.0485f && textureTimer_ % 2 == 0);

  return {.coronaExp = coronaExp,
          .coronaSize = step.tenfold,
          .turn = tables_->spin[spinStep_],
          .pos0 = tables_->orbit[orbitStep_],
          .lightColor = colours_.At(colourPhase_),
          .textureSlot = firstTexture ? 0 : textureIndex_,
          // Spacing 1 (the highest load, the default) needs no division.
          .draws = (spacing == 1 || i % spacing == 0) && size >= 0 && i < 800};
}

}  // namespace vizo::renderer
