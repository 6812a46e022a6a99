#include "png_probe.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<PngChunk> ReadPngChunks(const std::vector<unsigned char>& png) {
  static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<PngChunk> chunks;
  if (png.size() < 8 || !std::equal(std::begin(kSignature), std::end(kSignature), png.begin())) {
    return chunks;
  }
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const std::uint32_t length = (std::uint32_t{png[pos]} << 24) | (std::uint32_t{png[pos + 1]} << 16) |
                                 (std::uint32_t{png[pos + 2]} << 8) | std::uint32_t{png[pos + 3]};
    if (pos + 12 + length > png.size()) break;
    PngChunk chunk;
    chunk.type.assign(png.begin() + pos + 4, png.begin() + pos + 8);
    chunk.data.assign(png.begin() + pos + 8, png.begin() + pos + 8 + length);
    chunks.push_back(std::move(chunk));
    pos += 12 + length;
  }
  return chunks;
}

int PaletteImage::CountIn(int index, int x1, int y1, int x2, int y2) const {
  int count = 0;
  for (int y = std::max(y1, 0); y <= std::min(y2, height - 1); ++y) {
    for (int x = std::max(x1, 0); x <= std::min(x2, width - 1); ++x) {
      count += At(x, y) == index;
    }
  }
  return count;
}

PaletteImage FromGdImage(gdImagePtr image) {
  PaletteImage result;
  if (image == nullptr) return result;
  result.width = gdImageSX(image);
  result.height = gdImageSY(image);
  result.indices.reserve(static_cast<std::size_t>(result.width) * result.height);
  for (int y = 0; y < result.height; ++y) {
    for (int x = 0; x < result.width; ++x) result.indices.push_back(gdImageGetPixel(image, x, y));
  }
  for (int i = 0; i < gdImageColorsTotal(image); ++i) {
    result.palette.push_back({gdImageRed(image, i), gdImageGreen(image, i), gdImageBlue(image, i)});
  }
  return result;
}

PaletteImage DecodePng(const std::vector<unsigned char>& png) {
  GdImage image(gdImageCreateFromPngPtr(static_cast<int>(png.size()), const_cast<unsigned char*>(png.data())));
  EXPECT_NE(image, nullptr) << "not a PNG gd can read";
  if (image && gdImageTrueColor(image)) ADD_FAILURE() << "decoded as a true-colour image";
  return FromGdImage(image.get());
}
