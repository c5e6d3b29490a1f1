// 24-bit BMP encoding: 14-byte file header, 40-byte info header, BGR rows bottom-up padded to 4
// bytes.
#include "tools/artwork/BmpFile.h"

#include <fstream>
#include <iterator>

namespace brindlet::artwork {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::uint32_t get16(const std::vector<std::uint8_t>& in, std::size_t at) {
    return in[at] | (in[at + 1] << 8);
}

std::uint32_t get32(const std::vector<std::uint8_t>& in, std::size_t at) {
    return get16(in, at) | (get16(in, at + 2) << 16);
}

std::size_t rowStride(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Image& image) {
    std::size_t stride = rowStride(image.width);
    std::size_t pixelBytes = stride * image.height;
    std::vector<std::uint8_t> out;
    out.reserve(kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    put32(out, 0);
    put32(out, kFileHeaderSize + kInfoHeaderSize);
    put32(out, kInfoHeaderSize);
    put32(out, image.width);
    put32(out, image.height);  // positive: bottom-up
    put16(out, 1);             // planes
    put16(out, 24);            // bits per pixel
    put32(out, 0);             // BI_RGB, uncompressed
    put32(out, pixelBytes);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t rgb = image.at(x, y);
            out.push_back(rgb & 0xFF);
            out.push_back((rgb >> 8) & 0xFF);
            out.push_back((rgb >> 16) & 0xFF);
        }
        out.resize(out.size() + stride - static_cast<std::size_t>(image.width) * 3, 0);
    }
    return out;
}

std::optional<Image> decodeBmp(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    std::uint32_t offset = get32(bytes, 10);
    auto width = static_cast<std::int32_t>(get32(bytes, 18));
    auto height = static_cast<std::int32_t>(get32(bytes, 22));
    if (get32(bytes, 14) != kInfoHeaderSize || get16(bytes, 26) != 1 || get16(bytes, 28) != 24 ||
        get32(bytes, 30) != 0 || width <= 0 || height <= 0 || width > 65535 || height > 65535) {
        return std::nullopt;
    }
    std::size_t stride = rowStride(width);
    if (offset > bytes.size() || bytes.size() - offset < stride * height) return std::nullopt;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        std::size_t row = offset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::size_t p = row + static_cast<std::size_t>(x) * 3;
            image.set(x, y, (bytes[p + 2] << 16) | (bytes[p + 1] << 8) | bytes[p]);
        }
    }
    return image;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace brindlet::artwork
