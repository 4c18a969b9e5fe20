// Digests of what the animation and the camera compute over many frames (the camera also from a
// year's frames on), one line per value:
// built for Linux and for Windows, the two must print the same lines.
//   frame_values [--frames N] [--single]
// --single first puts the x87 unit in single precision, as Direct3D's CreateDevice leaves it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfxutil/float_precision.h"
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
  if (single) vizo::gfx::SetX87ControlWord(static_cast<std::uint16_t>(vizo::gfx::X87ControlWord() & ~0x0300));

  vizo::renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(12345);
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(1024, 768);
  Digest size, brightness, spin, centre, colour, slot, eye;
  for (long frame = 0; frame < frames; ++frame) {
    camera.Update();
    eye.Add(camera.eye.x), eye.Add(camera.eye.y), eye.Add(camera.eye.z);
    for (int i = 0; i < 1000; ++i) {
      const vizo::renderer::SpriteDraw d = animation.Next(1, i);
      size.Add(d.coronaSize);
      brightness.Add(d.coronaExp);
      spin.Add(d.turn);
      centre.Add(d.pos0.x), centre.Add(d.pos0.y), centre.Add(d.pos0.z);
      colour.Add(d.lightColor);
      slot.Add(d.textureSlot);
    }
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
  } lines[] = {{"size", size},     {"brightness", brightness}, {"spin", spin}, {"pos0", centre},
               {"colour", colour}, {"texture", slot},          {"eye", eye},   {"eye later", lateEye}};
  for (const auto& line : lines) std::printf("%-10s %016llx\n", line.name, line.digest.Value());
  return 0;
}
