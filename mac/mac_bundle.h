// The application bundle (NSBundle mainBundle): its information dictionary,
// Info.plist made from resources/Info.txt, and its location.
#pragma once

#include <optional>
#include <string>

#include "platform/bundle.h"

namespace mac {

class MacBundle final : public platform::Bundle {
 public:
  // String values only: a key of another type reads as absent.
  std::optional<std::string> objectForInfoDictionaryKey(const std::string& key) override;
  std::string bundlePath() override;
  // SecTranslocateIsTranslocatedURL, where the system has it (mac_translocation.mm).
  std::optional<bool> isTranslocated() override;
};

}  // namespace mac
