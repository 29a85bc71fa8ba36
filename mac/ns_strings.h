// UTF-8 std::string to and from NSString and CFStringRef.
#pragma once

#import <Foundation/Foundation.h>

#include <optional>
#include <string>

namespace mac {

inline NSString* toNS(const std::string& s) {
  NSString* ns = [[NSString alloc] initWithBytes:s.data()
                                          length:s.size()
                                        encoding:NSUTF8StringEncoding];
  return ns ? ns : @"";
}

inline std::string fromNS(NSString* s) {
  if (!s) return {};
  const char* utf8 = s.UTF8String;
  return utf8 ? std::string(utf8) : std::string();
}

inline std::optional<std::string> optionalFromNS(NSString* s) {
  if (!s) return std::nullopt;
  return fromNS(s);
}

}  // namespace mac
