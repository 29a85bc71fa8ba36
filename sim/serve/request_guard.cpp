#include "sim/serve/request_guard.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <stdexcept>

namespace sim::serve {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool isOwnAuthority(const std::string& authority, int port) {
  std::string a = lower(authority), p = ":" + std::to_string(port);
  return a == "127.0.0.1" + p || a == "localhost" + p;
}

}  // namespace

bool hostAllowed(const std::string& host, int port) { return isOwnAuthority(host, port); }

bool originAllowed(bool present, const std::string& origin, int port) {
  if (!present) return true;
  std::string o = lower(origin);
  const std::string scheme = "http://";
  return o.rfind(scheme, 0) == 0 && isOwnAuthority(o.substr(scheme.size()), port);
}

bool refererAllowed(bool present, const std::string& referer, int port) {
  if (!present) return true;
  std::string r = lower(referer);
  const std::string scheme = "http://";
  if (r.rfind(scheme, 0) != 0) return false;
  auto end = r.find_first_of("/?#", scheme.size());
  return isOwnAuthority(r.substr(scheme.size(), end - scheme.size()), port);
}

bool fetchSiteAllowed(bool present, const std::string& site) {
  return !present || site == "same-origin" || site == "none";
}

bool isLoopbackAddress(const std::string& address) {
  if (address == "::1" || address == "::ffff:127.0.0.1") return true;
  return address.rfind("127.", 0) == 0;
}

std::string makeAccessToken() {
  unsigned char bytes[32];
  std::ifstream random("/dev/urandom", std::ios::binary);
  if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes))
    throw std::runtime_error("no random source (/dev/urandom) for the server's token");
  static const char digits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += digits[b >> 4];
    token += digits[b & 15];
  }
  return token;
}

bool sameSecret(std::string_view given, std::string_view secret) {
  // Every byte of the secret is compared whatever the given text is; only
  // the length, which is no secret, shows.
  unsigned char differ = given.size() == secret.size() ? 0 : 1;
  for (std::size_t i = 0; i < secret.size(); ++i) {
    unsigned char g = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
    differ |= static_cast<unsigned char>(g ^ static_cast<unsigned char>(secret[i]));
  }
  return differ == 0;
}

bool RateLimiter::allow(std::int64_t nowNanos) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!started_) {
    started_ = true;
    last_ = nowNanos;
  }
  if (nowNanos > last_) {
    tokens_ = std::min(burst_, tokens_ + static_cast<double>(nowNanos - last_) * 1e-9 * perSecond_);
    last_ = nowNanos;
  }
  if (tokens_ < 1) return false;
  tokens_ -= 1;
  return true;
}

}  // namespace sim::serve
