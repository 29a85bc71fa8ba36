// User defaults and the shared user-defaults controller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace platform {

// A stored preference: boolean, integer, floating-point or string.
using PrefValue = std::variant<bool, std::int64_t, double, std::string>;

// NSUserDefaults standardUserDefaults. Reads convert as the platform does:
// a value that does not convert reads as 0 or false.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  virtual std::optional<PrefValue> valueForKey(const std::string& key) = 0;
  virtual bool boolForKey(const std::string& key) = 0;
  virtual std::int64_t integerForKey(const std::string& key) = 0;
  virtual float floatForKey(const std::string& key) = 0;
  virtual void setBool(bool value, const std::string& key) = 0;
  virtual void setInteger(std::int64_t value, const std::string& key) = 0;
  virtual void setFloat(float value, const std::string& key) = 0;
  virtual bool synchronize() = 0;
};

inline constexpr unsigned kKeyValueObservingOptionNew = 1;

// What observeValueForKeyPath:ofObject:change:context: is told.
class KeyValueObserver {
 public:
  virtual ~KeyValueObserver() = default;
  virtual void observeValueForKeyPath(const std::string& keyPath, const void* object,
                                      const void* context) = 0;
};

// NSUserDefaultsController sharedUserDefaultsController: key paths are
// "values.KEY"; observers hear of every change of KEY in the user defaults.
class UserDefaultsController {
 public:
  virtual ~UserDefaultsController() = default;
  virtual void addObserver(KeyValueObserver* observer, const std::string& keyPath, unsigned options,
                           const void* context) = 0;
};

}  // namespace platform
