#include "sine.h"

#include <cstdint>

#include "float_precision.h"

namespace vizo::gfx {

namespace {

// pi / 2 in three parts of 33 bits, so that n times each part is exact, and the rest beyond them.
constexpr double HalfPi1 = 1.57079632673412561417e+00;
constexpr double HalfPi2 = 6.07710050630396597660e-11;
constexpr double HalfPi2Tail = 2.02226624879595063154e-21;
constexpr double TwoOverPi = 6.36619772367581382433e-01;

// x reduced to r + tail within pi / 4 of 0, and the quarter turns taken off.
struct Reduced {
  double r, tail;
  std::uint32_t quarter;
};

Reduced Reduce(double x) {
  // x is not negative here: rounding by adding a half and truncating.
  const auto n = static_cast<std::uint32_t>(x * TwoOverPi + 0.5);
  const auto fn = static_cast<double>(n);
  // Cody and Waite's reduction in two steps, keeping what the subtraction loses.
  const double first = x - fn * HalfPi1;
  const double part = fn * HalfPi2;
  const double r = first - part;
  const double part2 = fn * HalfPi2Tail - ((first - r) - part);
  const double reduced = r - part2;
  return {reduced, (r - reduced) - part2, n & 3};
}

// The polynomials on [-pi/4, pi/4] of the freely distributable fdlibm (Sun Microsystems, 1993).
double SineNear0(double x, double tail) {
  constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03, S3 = -1.98412698298579493134e-04,
                   S4 = 2.75573137070700676789e-06, S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  const double z = x * x;
  const double v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  return x - ((z * (0.5 * tail - v * r) - tail) - v * S1);
}

double CosineNear0(double x, double tail) {
  constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                   C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const double z = x * x;
  const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
  const double half = 0.5 * z;
  const double w = 1.0 - half;
  return w + (((1.0 - w) - half) + (z * r - x * tail));
}

// The sine of a magnitude a quarter turn further on for each of turns: cos x = sin(x + pi / 2).
double SineOfMagnitude(double magnitude, std::uint32_t turns) {
  const Reduced a = Reduce(magnitude);
  switch ((a.quarter + turns) & 3) {
    case 0:
      return SineNear0(a.r, a.tail);
    case 1:
      return CosineNear0(a.r, a.tail);
    case 2:
      return -SineNear0(a.r, a.tail);
    default:
      return -CosineNear0(a.r, a.tail);
  }
}

double SineOf(double x) { return x < 0 ? -SineOfMagnitude(-x, 0) : SineOfMagnitude(x, 0); }
double CosineOf(double x) { return SineOfMagnitude(x < 0 ? -x : x, 1); }

// The long double ones: pi / 2 in three parts, the first two of 39 bits, so that n times them is
// exact for n below 2^24, and Taylor's series, whose next terms are below 2^-70 within pi / 4.
SineCosine ExtendedSineCosineOf(long double x) {
  constexpr long double Part1 = 0x1.921fb54440p+0L, Part2 = 0x1.68c234c4c4p-39L, Part3 = 0x1.3145c06e0e689480p-78L,
                        TwoOverPiExtended = 0x1.45f306dc9c882a52p-1L;
  const bool negative = x < 0;
  const long double magnitude = negative ? -x : x;
  const auto n = static_cast<std::uint32_t>(magnitude * TwoOverPiExtended + 0.5L);
  const auto fn = static_cast<long double>(n);
  const long double r = ((magnitude - fn * Part1) - fn * Part2) - fn * Part3;
  const long double z = r * r;
  long double sinePart = -1.0L / 121645100408832000, cosinePart = 1.0L / 2432902008176640000;
  constexpr long double SineTerms[] = {
      1.0L / 355687428096000, -1.0L / 1307674368000, 1.0L / 6227020800, -1.0L / 39916800,
      1.0L / 362880,          -1.0L / 5040,          1.0L / 120,        -1.0L / 6};
  constexpr long double CosineTerms[] = {-1.0L / 6402373705728000,
                                         1.0L / 20922789888000,
                                         -1.0L / 87178291200,
                                         1.0L / 479001600,
                                         -1.0L / 3628800,
                                         1.0L / 40320,
                                         -1.0L / 720,
                                         1.0L / 24,
                                         -1.0L / 2};
  for (const long double term : SineTerms) sinePart = term + z * sinePart;
  for (const long double term : CosineTerms) cosinePart = term + z * cosinePart;
  const long double s = r + r * z * sinePart, c = 1 + z * cosinePart;
  SineCosine result{};
  switch (n & 3) {
    case 0:
      result = {s, c};
      break;
    case 1:
      result = {c, -s};
      break;
    case 2:
      result = {-s, -c};
      break;
    default:
      result = {-c, s};
      break;
  }
  if (negative) result.sine = -result.sine;
  return result;
}

}  // namespace

SineCosine ExtendedSineCosine(long double x) {
  return AtPrecision(Precision::Extended, [x] { return ExtendedSineCosineOf(x); });
}

// Double's arithmetic, whatever the x87 unit was left in.
double Sine(double x) {
  return AtPrecision(Precision::Double, [x] { return SineOf(x); });
}

double Cosine(double x) {
  return AtPrecision(Precision::Double, [x] { return CosineOf(x); });
}

}  // namespace vizo::gfx
