#include "hanabi_animation.h"

#include <array>
#include <cmath>

namespace vizo::renderer {

namespace {

constexpr float FloatPi = 3.1415927f;
constexpr std::int32_t ColourCycle = 10080000;
constexpr std::int32_t TextureHold = 1008000;

constexpr int OrbitSteps = 1008;

// The orbit has 1008 positions, one a call: worked out once, looked up after.
gfx::Vector3 OrbitPoint(int step) {
  static const auto points = [] {
    std::array<gfx::Vector3, OrbitSteps> table{};
    for (int i = 0; i < OrbitSteps; ++i) {
      const double a = static_cast<double>(static_cast<float>(i) * FloatPi) * (1.0 / 504);
      // Single precision is all a float result needs.
      const float sine = std::sin(static_cast<float>(a)), cosine = std::cos(static_cast<float>(a));
      table[static_cast<size_t>(i)] = {8 * sine, 4 * cosine, 8 * cosine};
    }
    return table;
  }();
  return points[static_cast<size_t>(step)];
}

// The spin's 252 angles, worked out once.
float SpinTurn(int step) {
  static const auto turns = [] {
    std::array<float, 252> table{};
    for (int i = 0; i < 252; ++i)
      table[static_cast<size_t>(i)] = static_cast<float>(i * (1.0 / 252) * 6.2831854820251465);
    return table;
  }();
  return turns[static_cast<size_t>(step)];
}

}  // namespace

void HanabiAnimation::SeedOnFirstCall() {
  if (seeded_) return;
  seeded_ = true;
  random_.Seed(hasFixedSeed_ ? fixedSeed_ : seedSource_());
  // 32-bit product, as the runtime computes it.
  colourPhase_ = static_cast<std::int32_t>((static_cast<std::uint32_t>(random_.Next()) * 1000u) % ColourCycle);
  textureIndex_ = random_.Next() % 7;
}

SpriteDraw HanabiAnimation::Next(std::int32_t spacing, int i) {
  SpriteDraw draw;
  SeedOnFirstCall();

  // Size falls by 0.0001 a call, the difference taken in double and stored back as float, and
  // wraps once it passes -0.05. Exact arithmetic would make that a 1001-call cycle; rounding at
  // each store drifts it down faster and the wrap comes every 1000 calls, at the same call of
  // every frame. The trail still moves: the orbit's 1008 steps advance by 1000 a frame.
  const double t = static_cast<double>(size_) - 0.0001;
  size_ = static_cast<float>(t);
  float brightness;
  if (t < -0.05) {
    size_ = 0.05f;
    brightness = 0.05f;
  } else {
    brightness = size_ >= 0 ? size_ : 0.0f;
  }
  const float size = size_;
  draw.coronaExp = static_cast<float>(brightness * (spacing * 0.7));
  draw.coronaSize = size * 10;

  if (++spinStep_ > 504) spinStep_ = 0;
  draw.turn = SpinTurn(spinStep_ % 252);

  orbitStep_ += 1.0f;
  if (orbitStep_ >= OrbitSteps) orbitStep_ = 0;
  draw.pos0 = OrbitPoint(static_cast<int>(orbitStep_));

  colourPhase_ += 2;
  if (colourPhase_ > ColourCycle) colourPhase_ = 0;
  const double o = static_cast<double>(static_cast<float>(colourPhase_) * FloatPi);
  const float fast = std::cos(static_cast<float>(o * 1.5873015873015873e-6));  // shared by green and blue
  const float slow = std::cos(static_cast<float>(o * 7.936507936507937e-7));
  const float drift = std::sin(static_cast<float>(o * 1.9841269841269841e-7));
  draw.lightColor = {117 * drift + 138, 58 * (fast + slow) + 138, 117 * fast + 128, 255};

  if (++textureTimer_ > TextureHold) {
    textureTimer_ = 0;
    ++textureIndex_;
  }
  if (textureIndex_ > 6) textureIndex_ = 0;
  if (size > 0.0495f || (size > 0.0485f && textureTimer_ % 2 == 0)) {
    draw.textureSlot = 0;
  } else {
    draw.textureSlot = textureIndex_;
  }

  // Spacing 1 (the highest load, the default) needs no division.
  draw.draws = (spacing == 1 || i % spacing == 0) && size >= 0 && i < 800;
  return draw;
}

}  // namespace vizo::renderer
