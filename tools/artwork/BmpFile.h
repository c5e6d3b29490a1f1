// Reading and writing uncompressed 24-bit BMP files (BITMAPINFOHEADER, bottom-up rows).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/artwork/Image.h"

namespace brindlet::artwork {

std::vector<std::uint8_t> encodeBmp(const Image& image);
// Nothing when the bytes are not an uncompressed 24-bit BMP with a 40-byte info header.
std::optional<Image> decodeBmp(const std::vector<std::uint8_t>& bytes);

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> readFile(const std::string& path);

}  // namespace brindlet::artwork
