// A PNG writer for the application icon, which the build makes on any
// machine without a library: 8-bit RGBA, each row filtered by the type
// that suits it, compressed by backend/deflate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "backend/deflate.h"

namespace backend {

// CRC-32 of `size` bytes, as PNG chunks carry it.
std::uint32_t crc32(const unsigned char* data, std::size_t size);

// The PNG file of `rgba` (width * height * 4 bytes, rows from the top,
// colour not premultiplied). Empty when the sizes do not match the pixels
// or a side is 0.
std::string encodePNG(std::uint32_t width, std::uint32_t height,
                      const std::vector<unsigned char>& rgba);

}  // namespace backend
