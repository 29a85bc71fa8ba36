// A PNG writer for the application icon, which the build makes on any
// machine: 8-bit RGBA, no filtering, and a zlib stream of stored (not
// compressed) deflate blocks. The icon is small and zipped with the app,
// so a compressor would buy little and cost a dependency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace backend {

// CRC-32 (ISO 3309, as PNG chunks carry it) of `size` bytes.
std::uint32_t crc32(const unsigned char* data, std::size_t size);
// Adler-32 (RFC 1950, as a zlib stream ends with it).
std::uint32_t adler32(const unsigned char* data, std::size_t size);

// The PNG file of `rgba` (width * height * 4 bytes, rows from the top,
// colour not premultiplied). Empty when the sizes do not match the pixels
// or a side is 0.
std::string encodePNG(std::uint32_t width, std::uint32_t height,
                      const std::vector<unsigned char>& rgba);

}  // namespace backend
