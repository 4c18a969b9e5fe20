// The seven sprite images of the fireworks, drawn from their descriptions: six 200 x 200 glow
// figures and the 500 x 500 ring, black along every edge.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gfxutil/image.h"

namespace vizo::art {

inline constexpr int SpriteCount = 7;

// File names under resources/img, in texture-slot order.
inline constexpr std::array<const char*, SpriteCount> SpriteFiles = {
    "HANABI0.BMP", "HANABI1.BMP", "HANABI2.BMP", "HANABI3.BMP", "HANABI4.BMP", "HANABI5.BMP", "FLASH.BMP"};

gfx::Image DrawSprite(int slot);

// A .bmp file: the 14-byte file header, then the bitmap as the resource stores it.
std::vector<std::uint8_t> BitmapFile(const gfx::Image& image);

// The program's icon as a .ico file: 96, 64 and 48 pixels, 8 bits with a transparency mask; two
// red curved arrows circling blue lettering.
std::vector<std::uint8_t> IconFile();
inline constexpr char IconFileName[] = "VIZOVIZO.ICO";

}  // namespace vizo::art
