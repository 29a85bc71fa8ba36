#include "app/preferences.h"

#include <algorithm>
#include <cmath>

#include "app/app_delegate.h"
#include "platform/events.h"

namespace prefs {

ModifierVerdict modifierVerdict(std::int64_t code, std::uint64_t modifierFlags) {
  if (code == 0) return ModifierVerdict::Schedule;
  if (code < 0) return ModifierVerdict::Never;
  std::uint64_t mask = code == 1   ? platform::kEventModifierFlagCommand
                       : code == 2 ? platform::kEventModifierFlagOption
                       : code == 3 ? platform::kEventModifierFlagShift
                                   : static_cast<std::uint64_t>(code);
  return (modifierFlags & mask) ? ModifierVerdict::Schedule : ModifierVerdict::NotHeld;
}

float boundedDelay(float stored) {
  if (std::isnan(stored)) return kDefaultDelay;
  if (!(stored > 0.0f)) return 0.0f;  // negatives, and -0 too
  return std::min(stored, kMaxDelay);
}

}  // namespace prefs

namespace {
constexpr const char* kModKeyPath = "values.modKey";
constexpr const char* kMissionModKeyPath = "values.missionModKey";
constexpr const char* kDelayPath = "values.delay";
constexpr const char* kObservationContext = "myContext";
}  // namespace

void AppDelegate::registerDefaultPreferences() {
  // Defaults go into the user's own domain (not registered as fallbacks),
  // each saved on its own, so every key has a stored value afterwards. Any
  // stored value counts, whatever its type.
  auto& defaults = *_defaults;
  auto settle = [&](const char* key, auto writeDefault) {
    if (!defaults.valueForKey(key)) {
      writeDefault(key);
      defaults.synchronize();
    }
  };
  settle(prefs::kActivateStackOnHover, [&](const char* k) { defaults.setBool(false, k); });
  settle(prefs::kModKey, [&](const char* k) { defaults.setInteger(0, k); });
  _modKey = defaults.integerForKey(prefs::kModKey);
  settle(prefs::kMissionModKey, [&](const char* k) { defaults.setInteger(3, k); });
  _missionModKey = defaults.integerForKey(prefs::kMissionModKey);
  settle(prefs::kDelay, [&](const char* k) { defaults.setFloat(prefs::kDefaultDelay, k); });
  _delay = prefs::boundedDelay(defaults.floatForKey(prefs::kDelay));
  settle(prefs::kHideOnClick, [&](const char* k) { defaults.setBool(false, k); });
}

void AppDelegate::observePreferenceChanges() {
  auto& controller = platform::current().userDefaultsController();
  for (const char* path : {kModKeyPath, kMissionModKeyPath, kDelayPath})
    controller.addObserver(this, path, platform::kKeyValueObservingOptionNew, kObservationContext);
}

void AppDelegate::observeValueForKeyPath(const std::string& keyPath, const void*, const void*) {
  // The new value is read back from the defaults; the change record is not trusted.
  auto& defaults = platform::current().userDefaults();
  if (keyPath == kModKeyPath) _modKey = defaults.integerForKey(prefs::kModKey);
  if (keyPath == kMissionModKeyPath) _missionModKey = defaults.integerForKey(prefs::kMissionModKey);
  if (keyPath == kDelayPath) _delay = prefs::boundedDelay(defaults.floatForKey(prefs::kDelay));
}
