// Renders frames of the fireworks with the reference renderer, as PNG files:
//   render_frames [--seed N] [--size WxH] [--spacing S] [--frames A[-B]] [--images DIR] --out DIR
// Frame 1 is the first frame the saver shows; the animation runs through every frame before A.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "gfxutil/png_file.h"
#include "renderer/reference_frame.h"
#include "tools/sprite_art.h"

namespace {

struct Options {
  std::uint32_t seed = 1;
  int width = 1024;
  int height = 768;
  std::int32_t spacing = 1;
  int first = 1;
  int last = 1;
  std::string images = "resources/img";
  std::string out;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const char* value = argv[i + 1];
    if (flag == "--seed") {
      o.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
    } else if (flag == "--size") {
      if (std::sscanf(value, "%dx%d", &o.width, &o.height) != 2) return false;
    } else if (flag == "--spacing") {
      o.spacing = static_cast<std::int32_t>(std::strtol(value, nullptr, 10));
    } else if (flag == "--frames") {
      if (std::sscanf(value, "%d-%d", &o.first, &o.last) == 1) o.last = o.first;
    } else if (flag == "--images") {
      o.images = value;
    } else if (flag == "--out") {
      o.out = value;
    } else {
      return false;
    }
  }
  return !o.out.empty() && o.width > 0 && o.height > 0 && o.spacing != 0 && o.first >= 1 && o.last >= o.first;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (argc % 2 == 0 || !Parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: %s [--seed N] [--size WxH] [--spacing S] [--frames A[-B]] [--images DIR] --out DIR\n",
                 argv[0]);
    return 2;
  }
  std::array<vizo::gfx::MipTexture, 7> textures;
  for (size_t slot = 0; slot < textures.size(); ++slot) {
    const std::string path = o.images + "/" + vizo::art::SpriteFiles[slot];
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto texture = vizo::gfx::TextureFromBitmap(bytes.data(), bytes.size());
    if (auto* error = std::get_if<std::string>(&texture)) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error->c_str());
      return 1;
    }
    textures[slot] = std::move(std::get<vizo::gfx::MipTexture>(texture));
  }

  vizo::renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(o.seed);
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(o.width, o.height);
  vizo::renderer::OrbitStep() = 0;
  for (int frame = 1; frame <= o.last; ++frame) {
    camera.Update();
    if (frame < o.first) {
      vizo::renderer::DrawReferenceFrame(nullptr, camera, animation, o.spacing, textures);
      continue;
    }
    vizo::gfx::Image image(o.width, o.height);
    vizo::renderer::DrawReferenceFrame(&image, camera, animation, o.spacing, textures);
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d.png", frame);
    const std::string path = o.out + name;
    if (!vizo::gfx::WritePng(path, image)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
