// Renders frames of the fireworks with the reference renderer, as PNG files (render_frames --help).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "gfxutil/png_file.h"
#include "renderer/reference_frame.h"
#include "tools/frame_options.h"
#include "tools/sprite_art.h"

int main(int argc, char** argv) {
  const auto parsed = vizo::tools::ParseFrameOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "render_frames: %s\n%s", error->c_str(), vizo::tools::FrameOptionsUsage);
    return 2;
  }
  const vizo::tools::FrameOptions& o = std::get<vizo::tools::FrameOptions>(parsed);
  if (o.help) {
    std::fputs(vizo::tools::FrameOptionsUsage, stdout);
    return 0;
  }
  std::error_code made;
  std::filesystem::create_directories(o.out, made);
  if (made) {
    std::fprintf(stderr, "render_frames: cannot make %s: %s\n", o.out.c_str(), made.message().c_str());
    return 1;
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
  // A range shows its progress on one line; a single frame names its file.
  const bool range = o.last > o.first;
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
      std::fprintf(stderr, "%scannot write %s\n", range ? "\n" : "", path.c_str());
      return 1;
    }
    if (range) {
      std::fprintf(stderr, "\rframe %d of %d done", frame - o.first + 1, o.last - o.first + 1);
    } else {
      std::printf("%s\n", path.c_str());
    }
  }
  if (range) std::fprintf(stderr, "\n");
  return 0;
}
