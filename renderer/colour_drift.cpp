#include "colour_drift.h"

#include <cmath>
#include <cstring>

namespace vizo::renderer {

namespace {

constexpr float FloatPi = 3.1415927f;

// The angles at a phase, rounded as the colour rule rounds them. The factors are one double times
// 1, 4 and 8, so the rounded angles keep that ratio exactly.
struct Angles {
  float drift, slow, fast;
};
Angles AnglesAt(std::int32_t phase) {
  const double o = static_cast<double>(static_cast<float>(phase) * FloatPi);
  constexpr double Drift = 1.9841269841269841e-7;
  return {static_cast<float>(o * Drift), static_cast<float>(o * (4 * Drift)), static_cast<float>(o * (8 * Drift))};
}

// A wave's sine and cosine at the run's start, in double.
struct Wave {
  double sine, cosine;
  explicit Wave(float angle)
      : sine(std::sin(static_cast<double>(angle))), cosine(std::cos(static_cast<double>(angle))) {}
};

// 1 if v (good to about 1e-16) lies so near halfway between two floats that the library might
// round it either way, else 0 (a count, to add without a branch). The library's sinf and cosf
// are within 0.5607 of a float step, so they round to the nearest float unless the exact value
// lies within 0.0607 of a step of halfway; the test allows 1/16. Rounding a double to float drops
// the low 29 of its 52 fraction bits, which read 2^28 halfway.
std::size_t NearHalfway(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  constexpr std::uint64_t Halfway = std::uint64_t{1} << 28, Margin = Halfway / 8;
  const std::uint64_t dropped = bits & (2 * Halfway - 1);
  return dropped - (Halfway - Margin) < 2 * Margin ? 1 : 0;
}

}  // namespace

void ColourDrift::WorkOutRun(std::int32_t start) {
  runStart_ = start;
  const Angles base = AnglesAt(start);
  const Wave drift(base.drift), slow(base.slow), fast(base.fast);
  // The waves by rotation first, noting the values too near halfway to round here; the library
  // gives those afterwards, so that the loop's arithmetic stays free of calls.
  std::array<std::array<float, 3>, RunLength> waves;
  // A list of them for each wave, so that settling them takes no guessing which.
  std::array<std::uint16_t, RunLength> unsettledDrift, unsettledSlow, unsettledFast;
  std::size_t driftCount = 0, slowCount = 0, fastCount = 0;
  for (std::uint32_t k = 0; k < RunLength; ++k) {
    const Angles a = AnglesAt(start + 2 * static_cast<std::int32_t>(k));
    // Rotation by d (exact: both angles are floats of like size) by its series, whose next terms
    // are below 1e-18 here; then doubled twice for the slow and fast waves' 4d and 8d.
    const double d = static_cast<double>(a.drift) - static_cast<double>(base.drift);
    const double d2 = d * d;
    const double c1 = 1 + d2 * (-1.0 / 2 + d2 * (1.0 / 24)), s1 = d * (1 + d2 * (-1.0 / 6));
    const double s2 = 2 * s1 * c1, c2 = 1 - 2 * s1 * s1;
    const double s4 = 2 * s2 * c2, c4 = 1 - 2 * s2 * s2;
    const double s8 = 2 * s4 * c4, c8 = 1 - 2 * s4 * s4;
    const double driftSine = drift.sine * c1 + drift.cosine * s1;
    const double slowCosine = slow.cosine * c4 - slow.sine * s4;
    const double fastCosine = fast.cosine * c8 - fast.sine * s8;
    waves[k] = {static_cast<float>(driftSine), static_cast<float>(slowCosine), static_cast<float>(fastCosine)};
    const auto index = static_cast<std::uint16_t>(k);
    unsettledDrift[driftCount] = index;
    driftCount += NearHalfway(driftSine);
    unsettledSlow[slowCount] = index;
    slowCount += NearHalfway(slowCosine);
    unsettledFast[fastCount] = index;
    fastCount += NearHalfway(fastCosine);
  }
  const auto anglesAt = [start](std::uint16_t k) { return AnglesAt(start + 2 * static_cast<std::int32_t>(k)); };
  for (std::size_t u = 0; u < driftCount; ++u)
    waves[unsettledDrift[u]][0] = std::sin(anglesAt(unsettledDrift[u]).drift);
  for (std::size_t u = 0; u < slowCount; ++u) waves[unsettledSlow[u]][1] = std::cos(anglesAt(unsettledSlow[u]).slow);
  for (std::size_t u = 0; u < fastCount; ++u) waves[unsettledFast[u]][2] = std::cos(anglesAt(unsettledFast[u]).fast);
  for (std::uint32_t k = 0; k < RunLength; ++k) {
    const float driftSine = waves[k][0], slowCosine = waves[k][1], fastCosine = waves[k][2];
    run_[k] = {117 * driftSine + 138, 58 * (fastCosine + slowCosine) + 138, 117 * fastCosine + 128, 255};
  }
}

}  // namespace vizo::renderer
