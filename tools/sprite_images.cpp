// Writes the sprite images into a folder and the icon beside it: sprite_images resources/img
#include <cstdio>
#include <string>

#include "sprite_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  for (int slot = 0; slot < vizo::art::SpriteCount; ++slot) {
    const std::string path = std::string(argv[1]) + "/" + vizo::art::SpriteFiles[static_cast<size_t>(slot)];
    const auto bytes = vizo::art::BitmapFile(vizo::art::DrawSprite(slot));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  const std::string icon = std::string(argv[1]) + "/../" + vizo::art::IconFileName;
  const auto bytes = vizo::art::IconFile();
  FILE* out = std::fopen(icon.c_str(), "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "cannot write %s\n", icon.c_str());
    return 1;
  }
  std::printf("%s\n", icon.c_str());
  return 0;
}
