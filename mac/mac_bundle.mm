#include "mac/mac_bundle.h"

#import <Foundation/Foundation.h>

#include "mac/ns_strings.h"

namespace mac {

std::optional<std::string> MacBundle::objectForInfoDictionaryKey(const std::string& key) {
  id value = [[NSBundle mainBundle] objectForInfoDictionaryKey:toNS(key)];
  if (![value isKindOfClass:[NSString class]]) return std::nullopt;
  return fromNS(value);
}

std::string MacBundle::bundlePath() { return fromNS([[NSBundle mainBundle] bundlePath]); }

}  // namespace mac
