#include "hanabi_animation.h"

#include <array>
#include <cstddef>

#include "gfxutil/float_precision.h"
#include "gfxutil/sine.h"

namespace vizo::renderer {

namespace {

constexpr float FloatPi = 3.1415927f;

}  // namespace

HanabiAnimation::Tables::Tables() {
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

HanabiAnimation::HanabiAnimation(std::uint32_t (*seedSource)()) : seedSource_(seedSource) {
  // The tables' arithmetic is double's, whatever the x87 unit was left in.
  static const Tables tables = gfx::AtPrecision(gfx::Precision::Double, [] { return Tables(); });
  tables_ = &tables;
}

void HanabiAnimation::SeedOnFirstCall() {
  seeded_ = true;
  random_.Seed(hasFixedSeed_ ? fixedSeed_ : seedSource_());
  // 32-bit product, as the runtime computes it.
  colourPhase_ = static_cast<std::int32_t>((static_cast<std::uint32_t>(random_.Next()) * 1000u) % ColourCycle);
  textureIndex_ = random_.Next() % 7;
}

// coronaExp for every step of the size cycle: b x (spacing x 0.7), in double.
void HanabiAnimation::SetBrightnessSpacing(std::int32_t spacing) {
  gfx::AtPrecision(gfx::Precision::Double, [this, spacing] {
    const double factor = spacing * 0.7;
    for (std::size_t step = 0; step < SizeSteps; ++step)
      brightness_[step] = static_cast<float>(tables_->sizes[step].brightness * factor);
  });
  brightnessSpacing_ = spacing;
}

}  // namespace vizo::renderer
