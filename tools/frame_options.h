// The command line of render_frames.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vizo::tools {

struct FrameOptions {
  std::uint32_t seed = 1;
  int width = 1024;
  int height = 768;
  std::int32_t spacing = 1;
  int first = 1;
  int last = 1;
  std::string images = "resources/img";
  std::string out;
  bool help = false;
};

inline constexpr char FrameOptionsUsage[] =
    "usage: render_frames [--seed N] [--size WxH] [--spacing S] [--frames A[-B]] [--images DIR] --out DIR\n"
    "Draws frames of the fireworks with the reference renderer and writes them as DIR/frame-NNNNN.png.\n"
    "Frame 1 is the first frame the saver shows; every frame before A is worked out too.\n"
    "  --seed N        the random seed (default 1)\n"
    "  --size WxH      frame size in pixels, each side 1 to 16384 (default 1024x768)\n"
    "  --spacing S     draw every S-th sprite, as the load setting does (default 1)\n"
    "  --frames A[-B]  the frames to write (default 1)\n"
    "  --images DIR    the sprite images (default resources/img)\n"
    "  --out DIR       where to write; made if missing\n";

// The options, or why they can't be used.
std::variant<FrameOptions, std::string> ParseFrameOptions(const std::vector<std::string>& arguments);

}  // namespace vizo::tools
