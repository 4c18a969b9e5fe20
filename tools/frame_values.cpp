// Digests of what the animation and the camera compute over many frames (the camera also from a
// year's frames on), and the effect's constants from them, one line per value:
// built for Linux and for Windows, the two must print the same lines.
//   frame_values [--frames N] [--single]
// --single first puts the x87 unit in single precision, as Direct3D's CreateDevice leaves it: with
// instructions of its own, not through the program's precision helpers, whose work the digests
// check (a helper that did nothing must not pass for one that works).
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfxutil/effect_definition.h"
#include "gfxutil/float_precision.h"
#include "renderer/corona_effect.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

namespace {

// FNV-1a over the values' bytes.
class Digest {
 public:
  template <typename T>
  void Add(const T& value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (const unsigned char byte : bytes) hash_ = (hash_ ^ byte) * 0x100000001B3u;
  }
  unsigned long long Value() const { return hash_; }

 private:
  unsigned long long hash_ = 0xCBF29CE484222325u;
};

void SetX87SinglePrecision() {
#if defined(__i386__) && !defined(__SSE2_MATH__)
  unsigned short word;
  __asm__ volatile("fnstcw %0" : "=m"(word) : : "memory");
  word = static_cast<unsigned short>(word & ~0x0300u);  // precision control 00: 24 bits
  __asm__ volatile("fldcw %0" : : "m"(word) : "memory");
#endif
}

int Usage() {
  std::fputs("usage: frame_values [--frames N] [--single]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long frames = 20000;
  bool single = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--single") == 0) {
      single = true;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      char* end = nullptr;
      frames = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || frames <= 0) return Usage();
    } else {
      return Usage();
    }
  }
  if (single) SetX87SinglePrecision();

  vizo::renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(12345);
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(1024, 768);
  // And what the effect makes of them for the programs, as the saver's frame computes it.
  const vizo::gfx::EffectDefinition& effect = vizo::renderer::CoronaEffect();
  vizo::gfx::ParameterValues values(effect.parameters);
  const float pull = 1, aspect = camera.aspect;
  values.SetFloats(values.Find("pull"), &pull, 1);
  values.SetFloats(values.Find("aspect"), &aspect, 1);
  const auto sizeParameter = values.Find("coronaSize"), expParameter = values.Find("coronaExp"),
             turnParameter = values.Find("turn"), centreParameter = values.Find("pos0"),
             viewParameter = values.Find("view_proj_matrix");
  vizo::gfx::ConstantBlock<vizo::gfx::VertexConstantCount> vertex;
  vizo::gfx::ConstantBlock<vizo::gfx::PixelConstantCount> pixel;
  static std::array<vizo::renderer::SpriteDraw, 1000> draws;

  Digest size, brightness, spin, centre, colour, slot, eye, constants;
  for (long frame = 0; frame < frames; ++frame) {
    camera.Update();
    eye.Add(camera.eye.x), eye.Add(camera.eye.y), eye.Add(camera.eye.z);
    for (int i = 0; i < 1000; ++i) {
      const vizo::renderer::SpriteDraw& d = draws[static_cast<std::size_t>(i)] = animation.Next(1, i);
      size.Add(d.coronaSize);
      brightness.Add(d.coronaExp);
      spin.Add(d.turn);
      centre.Add(d.pos0.x), centre.Add(d.pos0.y), centre.Add(d.pos0.z);
      colour.Add(d.lightColor);
      slot.Add(d.textureSlot);
    }
    vizo::gfx::AtPrecision(vizo::gfx::Precision::Single, [&] {
      const vizo::gfx::Matrix viewProjection = camera.ViewProjection();
      values.SetFloats(viewParameter, &viewProjection.m[0][0], 16);
      for (const vizo::renderer::SpriteDraw& d : draws) {
        values.SetFloats(expParameter, &d.coronaExp, 1);
        values.SetFloats(sizeParameter, &d.coronaSize, 1);
        values.SetFloats(turnParameter, &d.turn, 1);
        const float at[3] = {d.pos0.x, d.pos0.y, d.pos0.z};
        values.SetFloats(centreParameter, at, 3);
        effect.computeConstants(values, vertex, pixel);
        constants.Add(vertex), constants.Add(pixel);
      }
    });
  }
  // The camera's angle grows for ever: its eye once more, a year of frames on, over ten times as
  // many frames (it is cheap, and a library's sine strays there about once in 50,000).
  vizo::renderer::OrbitStep() = 1000000000;
  Digest lateEye;
  for (long frame = 0; frame < 10 * frames; ++frame) {
    camera.Update();
    lateEye.Add(camera.eye.x), lateEye.Add(camera.eye.y), lateEye.Add(camera.eye.z);
  }

  std::printf("frames %ld\n", frames);
  const struct {
    const char* name;
    const Digest& digest;
  } lines[] = {{"size", size},   {"brightness", brightness}, {"spin", spin},
               {"pos0", centre}, {"colour", colour},         {"texture", slot},
               {"eye", eye},     {"eye later", lateEye},     {"constants", constants}};
  for (const auto& line : lines) std::printf("%-10s %016llx\n", line.name, line.digest.Value());
  return 0;
}
