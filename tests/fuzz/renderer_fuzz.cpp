// The reference renderer's geometry with arbitrary matrices, sizes, aspects and frame sizes:
// nothing it is given may take a pixel outside the frame or an out-of-range conversion.
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "renderer/corona_reference.h"

using namespace vizo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t FloatCount = 16 + 9;
  if (size < 2 + FloatCount * sizeof(float)) return 0;
  gfx::Image frame(1 + data[0] % 64, 1 + data[1] % 64);
  float f[FloatCount];
  std::memcpy(f, data + 2, sizeof f);

  renderer::CoronaParameters p;
  std::memcpy(&p.viewProjection.m[0][0], f, 16 * sizeof(float));
  p.turn = f[16];
  p.centre = {f[17], f[18], f[19]};
  p.coronaSize = f[20];
  p.pull = f[21];
  p.aspect = f[22];
  p.coronaExp = f[23];
  p.lightColor = {f[24], f[24], f[24], 1};

  static const gfx::MipTexture texture = [] {
    gfx::Image image(8, 8);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint32_t>(i * 0x030201);
    return gfx::MipTexture{gfx::MipChain(image)};
  }();
  renderer::DrawCoronaSprite(frame, p, texture);
  for (const std::uint32_t pixel : frame.pixels) FUZZ_CHECK(pixel <= 0xFFFFFF);
  return 0;
}
