#include "mac/mac_notifications.h"

// Before AppKit: the platform's headers come before any of the SDK's.
#include "mac/mac_window.h"

#import <AppKit/AppKit.h>

#include <unordered_map>
#include <vector>

#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

namespace mac {
namespace {

// Boxes: platform pointers to objects the centre can hold, and
// back. Kept for the process, so that a box is never reused for another
// pointer while a registration may still name it.
struct NotificationObjects {
  std::unordered_map<const void*, NSValue*> boxes;

  id box(const void* pointer) {
    if (!pointer) return nil;
    // A window of ours is what AppKit posts its notifications with.
    if (NSWindow* window = nativeWindowOf(pointer)) return window;
    NSValue* __strong& value = boxes[pointer];
    if (!value) value = [NSValue valueWithPointer:pointer];
    return value;
  }
  const void* unbox(id object) const {
    if (!object) return nullptr;
    if (const void* window = platformWindowOf(object)) return window;
    if ([object isKindOfClass:[NSValue class]]) {
      const void* pointer = [(NSValue*)object pointerValue];
      auto it = boxes.find(pointer);
      if (it != boxes.end() && it->second == object) return pointer;
    }
    return (__bridge const void*)object;
  }
  platform::Notification notification(NSNotification* n) const {
    return {fromNS(n.name), unbox(n.object)};
  }
};

}  // namespace
}  // namespace mac

// The target of one addObserver:selector:name:object: registration.
@interface VSNotificationObserver : NSObject
- (instancetype)initWithObjects:(const mac::NotificationObjects*)objects
                       callback:(std::function<void(const platform::Notification&)>)callback;
- (void)receive:(NSNotification*)notification;
@end

namespace mac {

struct MacNotificationCenter::State {
  NotificationObjects objects;
  // Block registrations stay for the process, whatever becomes of the
  // tokens handed out for them.
  NSMutableArray<id>* blockObservers = [NSMutableArray array];
  // The centre does not retain selector observers: they are kept here.
  std::unordered_map<const void*, std::vector<VSNotificationObserver*>> observers;
};

}  // namespace mac

@implementation VSNotificationObserver {
  const mac::NotificationObjects* _objects;
  std::function<void(const platform::Notification&)> _callback;
}

- (instancetype)initWithObjects:(const mac::NotificationObjects*)objects
                       callback:(std::function<void(const platform::Notification&)>)callback {
  if ((self = [super init])) {
    _objects = objects;
    _callback = std::move(callback);
  }
  return self;
}

- (void)receive:(NSNotification*)notification {
  // The callback may remove this registration: it runs from a copy.
  auto callback = _callback;
  callback(_objects->notification(notification));
}

@end

namespace mac {

namespace {

NSNotificationCenter* center() { return [NSNotificationCenter defaultCenter]; }

// What the agent's token holds: the centre's own observer object.
struct BlockToken {
  id observer;
};

}  // namespace

MacNotificationCenter::MacNotificationCenter() : state_(std::make_unique<State>()) {}

MacNotificationCenter::~MacNotificationCenter() {
  for (id observer in state_->blockObservers) [center() removeObserver:observer];
  for (auto& [owner, list] : state_->observers)
    for (VSNotificationObserver* o : list) [center() removeObserver:o];
}

platform::ObserverToken MacNotificationCenter::addObserverForName(
    const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> block) {
  const NotificationObjects* objects = &state_->objects;
  // On the main queue, a notification posted on the main thread is
  // delivered before the post returns.
  id observer = [center() addObserverForName:toNS(name)
                                      object:state_->objects.box(object)
                                       queue:[NSOperationQueue mainQueue]
                                  usingBlock:^(NSNotification* n) {
                                    block(objects->notification(n));
                                  }];
  [state_->blockObservers addObject:observer];
  return std::make_shared<BlockToken>(BlockToken{observer});
}

void MacNotificationCenter::addObserver(
    const void* observer, const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> selector) {
  VSNotificationObserver* target =
      [[VSNotificationObserver alloc] initWithObjects:&state_->objects
                                             callback:std::move(selector)];
  state_->observers[observer].push_back(target);
  [center() addObserver:target
               selector:@selector(receive:)
                   name:toNS(name)
                 object:state_->objects.box(object)];
}

void MacNotificationCenter::removeObserver(const void* observer) {
  auto it = state_->observers.find(observer);
  if (it == state_->observers.end()) return;
  for (VSNotificationObserver* o : it->second) [center() removeObserver:o];
  state_->observers.erase(it);
}

void MacNotificationCenter::postNotificationName(const std::string& name, const void* object) {
  if (auto* t = trace()) t->notify(name);
  [center() postNotificationName:toNS(name) object:state_->objects.box(object)];
}

}  // namespace mac
