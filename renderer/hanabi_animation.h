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

  // Call i (0 to 999) of a frame, with the settings' spacing.
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
  struct Tables;
  void SeedOnFirstCall();

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

}  // namespace vizo::renderer
