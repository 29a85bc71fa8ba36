// What `@available` calls, from clang's Darwin runtime, which Xcode has and
// a cross build does not: on macOS 11 and later, one call of libSystem's
// version check with the version packed as major.minor.subminor in bytes.
#include <cstdint>

extern "C" {
struct dyld_build_version_t {
  std::uint32_t platform;
  std::uint32_t version;
};
bool _availability_version_check(std::uint32_t count, dyld_build_version_t versions[]);

std::int32_t __isPlatformVersionAtLeast(std::uint32_t platform, std::uint32_t major,
                                        std::uint32_t minor, std::uint32_t subminor) {
  dyld_build_version_t version = {platform,
                                  (major << 16) | ((minor & 0xffu) << 8) | (subminor & 0xffu)};
  return _availability_version_check(1, &version);
}
}
