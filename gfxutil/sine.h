// Sine and cosine from additions and multiplications alone: the same bits from every
// C library and every build (the 64-bit build's SSE, the 32-bit build's x87 at double precision).
// The libraries' own functions round differently from each other now and then. Within an
// ulp of the true value for |x| up to 2^19 pi / 2; the fireworks ask at most for 60 radians.
#pragma once

namespace vizo::gfx {

double Sine(double x);
double Cosine(double x);

// Sine and cosine in long double (the x87 unit's 64-bit format in both builds), within an ulp of
// it for |x| up to 2^24 pi / 2: the camera's angle, which grows by a degree a frame.
struct SineCosine {
  long double sine, cosine;
};
SineCosine ExtendedSineCosine(long double x);

}  // namespace vizo::gfx
