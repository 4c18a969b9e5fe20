// Bitmap resources and files through the decoder and the texture loader's scaling and mipmaps.
#include <cstdint>
#include <variant>

#include "fuzz_check.h"
#include "gfxutil/image.h"
#include "gfxutil/textured_raster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto decoded = vizo::gfx::DecodeBitmap(data, size);
  if (const auto* image = std::get_if<vizo::gfx::Image>(&decoded)) {
    FUZZ_CHECK(image->width > 0 && image->height > 0);
    FUZZ_CHECK(image->pixels.size() ==
               static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
  }
  const auto texture = vizo::gfx::TextureFromBitmap(data, size);
  if (const auto* mips = std::get_if<vizo::gfx::MipTexture>(&texture)) {
    FUZZ_CHECK(!mips->levels.empty());
    const auto& last = mips->levels.back();
    FUZZ_CHECK(last.width == 1 && last.height == 1);
  }
  return 0;
}
