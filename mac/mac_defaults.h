// The user defaults (NSUserDefaults standardUserDefaults) and key-value
// observing of them through the shared user-defaults controller.
#pragma once

#include <memory>

#include "platform/defaults.h"

namespace mac {

class MacUserDefaults final : public platform::UserDefaults,
                              public platform::UserDefaultsController {
 public:
  MacUserDefaults();
  ~MacUserDefaults() override;
  MacUserDefaults(const MacUserDefaults&) = delete;
  MacUserDefaults& operator=(const MacUserDefaults&) = delete;

  // A stored number or string as it is; a stored value of another property
  // list type (data, date, array, dictionary) reads as its description, so
  // that it still counts as present.
  std::optional<platform::PrefValue> valueForKey(const std::string& key) override;
  bool boolForKey(const std::string& key) override;
  std::int64_t integerForKey(const std::string& key) override;
  float floatForKey(const std::string& key) override;
  void setBool(bool value, const std::string& key) override;
  void setInteger(std::int64_t value, const std::string& key) override;
  void setFloat(float value, const std::string& key) override;
  bool synchronize() override;
  // The registration lasts for the process.
  void addObserver(platform::KeyValueObserver* observer, const std::string& keyPath,
                   unsigned options, const void* context) override;

 private:
  struct Observers;  // the Objective-C observer of each registration
  std::unique_ptr<Observers> observers_;
};

}  // namespace mac
