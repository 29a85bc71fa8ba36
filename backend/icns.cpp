#include "backend/icns.h"

#include <limits>

#include "backend/app_icon.h"
#include "backend/png.h"

namespace backend {

namespace {

constexpr std::size_t kHeadBytes = 8;

void putBigEndian(std::string* out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

}  // namespace

const std::vector<IcnsImage>& standardIcnsImages() {
  static const std::vector<IcnsImage> kImages = {
      {"icp4", 16},  {"ic11", 32},  {"icp5", 32},  {"ic12", 64},  {"icp6", 64},   {"ic07", 128},
      {"ic13", 256}, {"ic08", 256}, {"ic14", 512}, {"ic09", 512}, {"ic10", 1024},
  };
  return kImages;
}

std::optional<std::string> icnsFile(const std::vector<IcnsEntry>& entries) {
  std::size_t total = kHeadBytes;
  for (const auto& e : entries) {
    if (e.type.size() != 4) return std::nullopt;
    total += kHeadBytes + e.data.size();
  }
  if (total > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  std::string out = "icns";
  out.reserve(total);
  putBigEndian(&out, static_cast<std::uint32_t>(total));
  for (const auto& e : entries) {
    out += e.type;
    putBigEndian(&out, static_cast<std::uint32_t>(kHeadBytes + e.data.size()));
    out += e.data;
  }
  return out;
}

std::optional<std::string> appIconICNS() {
  std::vector<IcnsEntry> entries;
  for (const auto& image : standardIcnsImages()) {
    std::string png = encodePNG(image.side, image.side, appIconRGBA(image.side));
    if (png.empty()) return std::nullopt;
    entries.push_back({image.type, std::move(png)});
  }
  return icnsFile(entries);
}

}  // namespace backend
