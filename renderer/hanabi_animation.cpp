#include "hanabi_animation.h"

#include <array>
#include <cstddef>

#include "gfxutil/float_precision.h"
#include "gfxutil/sine.h"

namespace vizo::renderer {

namespace {

constexpr float FloatPi = 3.1415927f;
constexpr std::int32_t ColourCycle = 10080000;
constexpr std::int32_t TextureHold = 1008000;

}  // namespace

// Everything the animation steps through in fixed cycles, worked out once.
struct HanabiAnimation::Tables {
  // The orbit: 1008 positions, one a call.
  std::array<gfx::Vector3, OrbitSteps> orbit{};
  // The spin's angles by step.
  std::array<float, SpinSteps> spin{};
  // The size falls by 0.0001 a call, the difference taken in double and stored back as float, and
  // wraps once it passes -0.05, back to where it started. Exact arithmetic would make that a
  // 1001-call cycle; rounding at each store drifts it down faster and the wrap comes every 1000
  // calls, at the same call of every frame (the trail still moves: the orbit's 1008 steps advance
  // by 1000 a frame). Each step depends on the last alone, so one cycle holds them all.
  std::array<SizeStep, SizeSteps> sizes{};
  std::size_t sizeCycle = 0;

  Tables() {
    for (std::size_t i = 0; i < OrbitSteps; ++i) {
      const float turned = gfx::StoredAsFloat(static_cast<float>(i) * FloatPi);
      const float angle = gfx::StoredAsFloat(static_cast<float>(static_cast<double>(turned) * (1.0 / 504)));
      const auto sine = static_cast<float>(gfx::Sine(static_cast<double>(angle)));
      const auto cosine = static_cast<float>(gfx::Cosine(static_cast<double>(angle)));
      orbit[i] = {8 * sine, 4 * cosine, 8 * cosine};
    }
    for (std::size_t i = 0; i < SpinSteps; ++i)
      spin[i] = static_cast<float>(static_cast<double>(i % 252) * (1.0 / 252) * 6.2831854820251465);
    float size = 0.05f;
    while (sizeCycle < sizes.size()) {
      const double t = static_cast<double>(size) - 0.0001;
      size = gfx::StoredAsFloat(static_cast<float>(t));
      const bool wraps = t < -0.05;
      if (wraps) size = 0.05f;
      const float tenfold = size * 10;
      sizes[sizeCycle++] = {size, tenfold, wraps ? 0.05f : (size >= 0 ? size : 0.0f)};
      if (wraps) break;
    }
  }
};

HanabiAnimation::HanabiAnimation(std::uint32_t (*seedSource)()) : seedSource_(seedSource) {
  // The tables' arithmetic is double's, whatever the x87 unit was left in.
  static const Tables tables = gfx::AtPrecision(gfx::Precision::Double, [] { return Tables(); });
  tables_ = &tables;
}

void HanabiAnimation::SeedOnFirstCall() {
  if (seeded_) return;
  seeded_ = true;
  random_.Seed(hasFixedSeed_ ? fixedSeed_ : seedSource_());
  // 32-bit product, as the runtime computes it.
  colourPhase_ = static_cast<std::int32_t>((static_cast<std::uint32_t>(random_.Next()) * 1000u) % ColourCycle);
  textureIndex_ = random_.Next() % 7;
}

SpriteDraw HanabiAnimation::Next(std::int32_t spacing, int i) {
  SeedOnFirstCall();

  if (spacing != brightnessSpacing_) {
    // b x (spacing x 0.7) for every step of the size cycle, in double.
    gfx::AtPrecision(gfx::Precision::Double, [this, spacing] {
      const double factor = spacing * 0.7;
      for (std::size_t step = 0; step < SizeSteps; ++step)
        brightness_[step] = static_cast<float>(tables_->sizes[step].brightness * factor);
    });
    brightnessSpacing_ = spacing;
  }
  // Every field is given its value once, at the end: a result made first and filled in afterwards
  // is zeroed whole before, on every call.
  const auto& step = tables_->sizes[sizeStep_];
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
