// What the live page's server lets in: requests from this machine that name
// the server itself as Host and, when they carry an Origin, as their origin
// (a page elsewhere, or a name rebound to 127.0.0.1, is refused), within a
// rate. Plain functions and classes; the time is the caller's.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace sim::serve {

// "127.0.0.1:PORT" or "localhost:PORT" (any case).
bool hostAllowed(const std::string& host, int port);
// No Origin at all, or "http://127.0.0.1:PORT" / "http://localhost:PORT".
bool originAllowed(bool present, const std::string& origin, int port);
// No Referer at all, or one on "http://127.0.0.1:PORT" / "http://localhost:PORT".
bool refererAllowed(bool present, const std::string& referer, int port);
// No Sec-Fetch-Site at all (not a browser), or a request the page itself
// made ("same-origin") or the visitor typed ("none"); a page on any other
// origin ("cross-site", and "same-site": another port of this machine) is
// refused.
bool fetchSiteAllowed(bool present, const std::string& site);
// An IPv4 address in 127.0.0.0/8, or ::1.
bool isLoopbackAddress(const std::string& address);

// A secret for one run of the server: 32 bytes from the system's random
// source, in hex. Throws when there is no such source.
std::string makeAccessToken();
// Whether `given` is `secret`, in a time that does not depend on where
// they differ.
bool sameSecret(std::string_view given, std::string_view secret);

// A token bucket: `burst` requests at once, `perSecond` on average.
class RateLimiter {
 public:
  RateLimiter(double perSecond, double burst)
      : perSecond_(perSecond), burst_(burst), tokens_(burst) {}
  // Whether one more request may go through at `nowNanos`.
  bool allow(std::int64_t nowNanos);

 private:
  std::mutex mutex_;
  double perSecond_, burst_, tokens_;
  std::int64_t last_ = 0;
  bool started_ = false;
};

}  // namespace sim::serve
