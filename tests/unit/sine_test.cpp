#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "gfxutil/float_precision.h"
#include "gfxutil/sine.h"

namespace vizo::gfx {
namespace {

// Within one step of the double nearest the true value, taken from the long double library.
bool WithinAStep(double value, long double exact) {
  const auto nearest = static_cast<double>(exact);
  return value == nearest || value == std::nextafter(nearest, 10.0) || value == std::nextafter(nearest, -10.0);
}

TEST(Sine, WithinAStepOfTheTrueValueOverTheFireworksAngles) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> angles(-64, 64);
  int failures = 0;
  for (int i = 0; i < 200000 && failures < 5; ++i) {
    const double x = i % 4 == 0 ? std::ldexp(angles(random), -24) : angles(random);
    if (!WithinAStep(Sine(x), std::sin(static_cast<long double>(x))) ||
        !WithinAStep(Cosine(x), std::cos(static_cast<long double>(x)))) {
      ADD_FAILURE() << "x = " << x;
      ++failures;
    }
  }
  // Near the multiples of pi / 2, where the reduction loses the most.
  for (const double x : {1.5707963267948966, 3.141592653589793, 4.71238898038469, 31.41592653589793, 0.0, -0.0})
    EXPECT_TRUE(WithinAStep(Sine(x), std::sin(static_cast<long double>(x))) &&
                WithinAStep(Cosine(x), std::cos(static_cast<long double>(x))))
        << x;
  EXPECT_EQ(Sine(0.0), 0.0);
  EXPECT_EQ(Cosine(0.0), 1.0);

  // The long double ones over the camera's angles, a degree a frame for 2^31 frames either way.
  std::uniform_real_distribution<long double> camera(-1.9e7L, 1.9e7L);
  for (int i = 0; i < 200000 && failures < 10; ++i) {
    const long double x = i % 4 == 0 ? static_cast<long double>(angles(random)) : camera(random);
    const SineCosine wave = ExtendedSineCosine(x);
    const long double sine = std::sin(x), cosine = std::cos(x);
    // Within two of the format's steps of 1: the values are rounded to float after a multiplication.
    if (std::fabs(wave.sine - sine) > 0x1p-62L || std::fabs(wave.cosine - cosine) > 0x1p-62L) {
      ADD_FAILURE() << "x = " << static_cast<double>(x);
      ++failures;
    }
  }
}

TEST(Sine, TheSameInSinglePrecisionAsDirect3DLeavesTheX87Unit) {
  for (const double x : {0.1, 1.0, 2.5, 7.0, 40.0}) {
    const double sine = Sine(x), cosine = Cosine(x);
    const PrecisionScope single(Precision::Single);
    EXPECT_EQ(Sine(x), sine) << x;
    EXPECT_EQ(Cosine(x), cosine) << x;
  }
}

}  // namespace
}  // namespace vizo::gfx
