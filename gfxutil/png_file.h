// PNG files through libpng, for the reference renderer's pictures (native builds only).
#pragma once

#include <optional>
#include <string>

#include "gfxutil/image.h"

namespace vizo::gfx {

// Writes 8-bit RGB; false when the file can't be written.
bool WritePng(const std::string& path, const Image& image);

// Reads an 8-bit RGB or RGBA file (alpha dropped); nothing when it can't be read.
std::optional<Image> ReadPng(const std::string& path);

}  // namespace vizo::gfx
