#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart_frame.h"

// Reads a whole file; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::string& path);

struct PngChunk {
  std::string type;
  std::vector<unsigned char> data;
};

// The chunks of a PNG stream in file order; empty when the signature is wrong.
std::vector<PngChunk> ReadPngChunks(const std::vector<unsigned char>& png);

// A chart as palette indices, decoded from PNG bytes or taken from a gd image.
struct PaletteImage {
  int width = 0;
  int height = 0;
  std::vector<int> indices;   // row by row
  std::vector<Rgb> palette;   // in palette order

  int At(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
  // Pixels of the given palette index inside the rectangle, corners inclusive.
  int CountIn(int index, int x1, int y1, int x2, int y2) const;
};

PaletteImage DecodePng(const std::vector<unsigned char>& png);
PaletteImage FromGdImage(gdImagePtr image);
