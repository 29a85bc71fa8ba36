#include "mac/mac_notifications.h"

// Before AppKit: the platform's headers come before any of the SDK's.
#include "backend/notification_objects.h"
#include "mac/mac_window.h"

#import <AppKit/AppKit.h>

#include <optional>

#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

namespace mac {
namespace {

class AppKitNotificationNatives final : public backend::NotificationNatives {
 public:
  const void* nativeWindowOf(const void* pointer) const override {
    return (__bridge const void*)mac::nativeWindowOf(pointer);
  }
  const void* platformWindowOf(const void* native) const override {
    return mac::platformWindowOf((__bridge id)native);
  }
  const void* makeBox(const void* pointer) override {
    // Kept for the process: the reference is never given back.
    return CFBridgingRetain([NSValue valueWithPointer:pointer]);
  }
};

}  // namespace
}  // namespace mac

// The target of one addObserver:selector:name:object: registration.
@interface VSNotificationObserver : NSObject
- (instancetype)initWithReceiver:(backend::NotificationReceiver)receiver;
- (void)receive:(NSNotification*)notification;
@end

@implementation VSNotificationObserver {
  std::optional<backend::NotificationReceiver> _receiver;
}

- (instancetype)initWithReceiver:(backend::NotificationReceiver)receiver {
  if ((self = [super init])) _receiver.emplace(std::move(receiver));
  return self;
}

- (void)receive:(NSNotification*)notification {
  _receiver->receive(mac::fromNS(notification.name), (__bridge const void*)notification.object);
}

@end

namespace mac {

struct MacNotificationCenter::State {
  AppKitNotificationNatives natives;
  backend::NotificationObjects objects{natives};
  // The centre retains neither kind of observer: both are kept here. Block
  // registrations stay for the process, whatever becomes of the tokens
  // handed out for them, under a key no owner of the agent's can be.
  backend::ObserverRecords<id> observers;
  const char blockObservers = 0;
};

namespace {

NSNotificationCenter* center() { return [NSNotificationCenter defaultCenter]; }

// What the agent's token holds: the centre's own observer object.
struct BlockToken {
  id observer;
};

}  // namespace

MacNotificationCenter::MacNotificationCenter() : state_(std::make_unique<State>()) {}

MacNotificationCenter::~MacNotificationCenter() {
  for (id observer : state_->observers.removeAll()) [center() removeObserver:observer];
}

platform::ObserverToken MacNotificationCenter::addObserverForName(
    const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> block) {
  auto receiver =
      std::make_shared<backend::NotificationReceiver>(state_->objects, std::move(block));
  // On the main queue, a notification posted on the main thread is
  // delivered before the post returns.
  id observer =
      [center() addObserverForName:toNS(name)
                            object:(__bridge id)state_->objects.box(object)
                             queue:[NSOperationQueue mainQueue]
                        usingBlock:^(NSNotification* n) {
                          receiver->receive(fromNS(n.name), (__bridge const void*)n.object);
                        }];
  state_->observers.add(&state_->blockObservers, observer);
  return std::make_shared<BlockToken>(BlockToken{observer});
}

void MacNotificationCenter::addObserver(
    const void* observer, const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> selector) {
  VSNotificationObserver* target = [[VSNotificationObserver alloc]
      initWithReceiver:backend::NotificationReceiver(state_->objects, std::move(selector))];
  state_->observers.add(observer, target);
  [center() addObserver:target
               selector:@selector(receive:)
                   name:toNS(name)
                 object:(__bridge id)state_->objects.box(object)];
}

void MacNotificationCenter::removeObserver(const void* observer) {
  for (id o : state_->observers.remove(observer)) [center() removeObserver:o];
}

void MacNotificationCenter::postNotificationName(const std::string& name, const void* object) {
  tracer().notify(name);
  [center() postNotificationName:toNS(name) object:(__bridge id)state_->objects.box(object)];
}

}  // namespace mac
