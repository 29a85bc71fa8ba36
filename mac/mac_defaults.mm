#include "mac/mac_defaults.h"

#import <AppKit/AppKit.h>

#include <vector>

#include "backend/stored_number.h"
#include "mac/ns_strings.h"

// Forwards the controller's change announcements to the agent's observer.
@interface VSDefaultsObserver : NSObject
- (instancetype)initWithObserver:(platform::KeyValueObserver*)observer;
@end

@implementation VSDefaultsObserver {
  platform::KeyValueObserver* _observer;  // lives for the process, as the agent's delegate does
}

- (instancetype)initWithObserver:(platform::KeyValueObserver*)observer {
  if ((self = [super init])) _observer = observer;
  return self;
}

- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary<NSKeyValueChangeKey, id>*)change
                       context:(void*)context {
  (void)change;
  _observer->observeValueForKeyPath(mac::fromNS(keyPath), (__bridge const void*)object, context);
}

@end

namespace mac {

namespace {

NSUserDefaults* defaults() { return [NSUserDefaults standardUserDefaults]; }

platform::PrefValue numberValue(NSNumber* n) {
  backend::StoredNumber stored;
  stored.isBoolean = CFGetTypeID((__bridge CFTypeRef)n) == CFBooleanGetTypeID();
  stored.objCType = n.objCType ? n.objCType : "";
  stored.signedValue = n.longLongValue;
  stored.unsignedValue = n.unsignedLongLongValue;
  stored.doubleValue = n.doubleValue;
  return backend::prefValueOf(stored);
}

}  // namespace

struct MacUserDefaults::Observers {
  struct Registration {
    VSDefaultsObserver* forwarder;
    NSString* keyPath;
  };
  // Key-value observing does not retain its observers: they are kept here.
  std::vector<Registration> registrations;
};

MacUserDefaults::MacUserDefaults() : observers_(std::make_unique<Observers>()) {}

// The process ends without this; an observer must not outlive its forwarder.
MacUserDefaults::~MacUserDefaults() {
  NSUserDefaultsController* controller = [NSUserDefaultsController sharedUserDefaultsController];
  for (const auto& r : observers_->registrations)
    [controller removeObserver:r.forwarder forKeyPath:r.keyPath];
}

std::optional<platform::PrefValue> MacUserDefaults::valueForKey(const std::string& key) {
  // objectForKey: is what valueForKey: of the user defaults answers, without
  // key-value coding's reading of keys that start with "@".
  id value = [defaults() objectForKey:toNS(key)];
  if (!value) return std::nullopt;
  if ([value isKindOfClass:[NSNumber class]]) return numberValue(value);
  if ([value isKindOfClass:[NSString class]]) return fromNS(value);
  return fromNS([value description]);
}

bool MacUserDefaults::boolForKey(const std::string& key) {
  return [defaults() boolForKey:toNS(key)];
}

std::int64_t MacUserDefaults::integerForKey(const std::string& key) {
  return static_cast<std::int64_t>([defaults() integerForKey:toNS(key)]);
}

float MacUserDefaults::floatForKey(const std::string& key) {
  return [defaults() floatForKey:toNS(key)];
}

void MacUserDefaults::setBool(bool value, const std::string& key) {
  [defaults() setBool:value forKey:toNS(key)];
}

void MacUserDefaults::setInteger(std::int64_t value, const std::string& key) {
  [defaults() setInteger:static_cast<NSInteger>(value) forKey:toNS(key)];
}

void MacUserDefaults::setFloat(float value, const std::string& key) {
  [defaults() setFloat:value forKey:toNS(key)];
}

bool MacUserDefaults::synchronize() { return [defaults() synchronize]; }

void MacUserDefaults::addObserver(platform::KeyValueObserver* observer, const std::string& keyPath,
                                  unsigned options, const void* context) {
  VSDefaultsObserver* forwarder = [[VSDefaultsObserver alloc] initWithObserver:observer];
  NSString* path = toNS(keyPath);
  observers_->registrations.push_back({forwarder, path});
  [[NSUserDefaultsController sharedUserDefaultsController]
      addObserver:forwarder
       forKeyPath:path
          options:static_cast<NSKeyValueObservingOptions>(options)
          context:const_cast<void*>(context)];
}

}  // namespace mac
