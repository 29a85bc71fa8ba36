// The .icns container of the application icon: a header ("icns" and the
// file's length) and one entry per image (a four-letter type, the entry's
// length with its 8-byte head, then the payload), big-endian, here with PNG
// payloads, which macOS reads for every type below since 10.7.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace backend {

struct IcnsImage {
  const char* type;    // four letters
  std::uint32_t side;  // pixels
};

// The standard entries from 16 to 1024 pixels, @2x included: 16, 32, 64,
// 128, 256, 512 at 1x and 16@2x ... 512@2x, as iconutil names them.
const std::vector<IcnsImage>& standardIcnsImages();

struct IcnsEntry {
  std::string type;  // four letters
  std::string data;
};

// The container of the entries, in order; nothing when a type is not four
// bytes or the file would not fit the 32-bit lengths.
std::optional<std::string> icnsFile(const std::vector<IcnsEntry>& entries);

// The application icon (backend/app_icon.h) at every standard size.
std::optional<std::string> appIconICNS();

}  // namespace backend
