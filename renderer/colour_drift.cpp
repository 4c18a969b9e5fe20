#include "colour_drift.h"

#include <cstring>

#include "gfxutil/float_precision.h"
#include "gfxutil/sine.h"

namespace vizo::renderer {

namespace {

constexpr float FloatPi = 3.1415927f;
// The red wave's factor; the green and blue waves' are 4 and 8 times it, exactly, so their
// angles are 4 and 8 times the red one's, exactly.
constexpr double Drift = 1.9841269841269841e-7;
static_assert(7.936507936507937e-7 == 4 * Drift && 1.5873015873015873e-6 == 8 * Drift);

// The red wave's angle at a phase: o = phase times pi, a float, times the factor, a double.
double DriftAngle(std::int32_t phase) {
  const float o = gfx::StoredAsFloat(static_cast<float>(phase) * FloatPi);
  return static_cast<double>(o) * Drift;
}

// The colour from the three waves, each rounded to float once.
struct Waves {
  double red, green, blue;
};
Waves FromWaves(double driftSine, double slowCosine, double fastCosine) {
  return {117 * driftSine + 138, 58 * (fastCosine + slowCosine) + 138, 117 * fastCosine + 128};
}
LightColour Rounded(const Waves& w) {
  return {static_cast<float>(w.red), static_cast<float>(w.green), static_cast<float>(w.blue), 255};
}

LightColour DirectColour(std::int32_t phase) {
  const double angle = DriftAngle(phase);
  return Rounded(FromWaves(gfx::Sine(angle), gfx::Cosine(4 * angle), gfx::Cosine(8 * angle)));
}

// 1 if v lies so near halfway between two floats that the rotation's error (well under 100 of
// v's last bits) might put it on the wrong side, else 0 (a count, to add without a branch).
// Rounding a double to float drops the low 29 of its 52 fraction bits, which read 2^28 halfway.
std::size_t NearHalfway(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  constexpr std::uint64_t Halfway = std::uint64_t{1} << 28, Margin = std::uint64_t{1} << 16;
  const std::uint64_t dropped = bits & (2 * Halfway - 1);
  return dropped - (Halfway - Margin) < 2 * Margin ? 1 : 0;
}

template <std::size_t N>
void FillRun(std::int32_t start, std::array<LightColour, N>& run) {
  const double base = DriftAngle(start);
  const double driftSine = gfx::Sine(base), driftCosine = gfx::Cosine(base);
  const double slowSine = gfx::Sine(4 * base), slowCosine = gfx::Cosine(4 * base);
  const double fastSine = gfx::Sine(8 * base), fastCosine = gfx::Cosine(8 * base);
  // The colours by rotation, noting those too near halfway to round here; the formula gives
  // those afterwards, so that the loop's arithmetic stays free of calls.
  std::array<std::uint16_t, N> unsettled;
  std::size_t unsettledCount = 0;
  for (std::uint32_t k = 0; k < N; ++k) {
    // Rotation by d by its series, whose next terms are below 1e-18 here; then doubled twice for
    // the slow and fast waves' 4d and 8d.
    const double d = DriftAngle(start + 2 * static_cast<std::int32_t>(k)) - base;
    const double d2 = d * d;
    const double c1 = 1 + d2 * (-1.0 / 2 + d2 * (1.0 / 24)), s1 = d * (1 + d2 * (-1.0 / 6));
    const double s2 = 2 * s1 * c1, c2 = 1 - 2 * s1 * s1;
    const double s4 = 2 * s2 * c2, c4 = 1 - 2 * s2 * s2;
    const double s8 = 2 * s4 * c4, c8 = 1 - 2 * s4 * s4;
    const Waves w =
        FromWaves(driftSine * c1 + driftCosine * s1, slowCosine * c4 - slowSine * s4, fastCosine * c8 - fastSine * s8);
    run[k] = Rounded(w);
    unsettled[unsettledCount] = static_cast<std::uint16_t>(k);
    unsettledCount += NearHalfway(w.red) | NearHalfway(w.green) | NearHalfway(w.blue);
  }
  for (std::size_t u = 0; u < unsettledCount; ++u)
    run[unsettled[u]] = DirectColour(start + 2 * static_cast<std::int32_t>(unsettled[u]));
}

}  // namespace

LightColour LightColourAt(std::int32_t phase) {
  return gfx::AtPrecision(gfx::Precision::Double, [phase] { return DirectColour(phase); });
}

void ColourDrift::WorkOutRun(std::int32_t start) {
  runStart_ = start;
  gfx::AtPrecision(gfx::Precision::Double, [this, start] { FillRun(start, run_); });
}

}  // namespace vizo::renderer
