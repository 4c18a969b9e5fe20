#include "png_file.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace vizo::gfx {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool WritePng(const std::string& path, const Image& image) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(image.width) * 3);
  // libpng reports errors by longjmp; nothing here needs unwinding past this point.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.At(x, y);
      row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(Red(p));
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(Green(p));
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(Blue(p));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}

std::optional<Image> ReadPng(const std::string& path) {
  png_image reader{};
  reader.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&reader, path.c_str())) return std::nullopt;
  reader.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(reader));
  if (!png_image_finish_read(&reader, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&reader);
    return std::nullopt;
  }
  Image image(static_cast<int>(reader.width), static_cast<int>(reader.height));
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = Rgb(pixels[i * 3], pixels[i * 3 + 1], pixels[i * 3 + 2]);
  }
  return image;
}

}  // namespace vizo::gfx
