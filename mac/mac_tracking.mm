// The main run loop's event-tracking mode (a menu, a pop-up button or a
// slider held): the agent hears when the run loop enters and leaves it.
#include "mac/mac_runloop.h"

#import <AppKit/AppKit.h>

#include <memory>

namespace mac {

void MacRunLoop::observeEventTracking(std::function<void(bool tracking)> observer) {
  auto told = std::make_shared<std::function<void(bool)>>(std::move(observer));
  // AppKit runs the mode once per event while it tracks, so entries and
  // exits come in many pairs for one held menu; the agent only marks them.
  CFRunLoopObserverRef entryAndExit = CFRunLoopObserverCreateWithHandler(
      kCFAllocatorDefault, kCFRunLoopEntry | kCFRunLoopExit, true, 0,
      ^(CFRunLoopObserverRef, CFRunLoopActivity activity) {
        (*told)(activity == kCFRunLoopEntry);
      });
  CFRunLoopAddObserver(CFRunLoopGetMain(), entryAndExit,
                       (__bridge CFStringRef)NSEventTrackingRunLoopMode);
  // The run loop keeps the observer for the life of the process.
  CFRelease(entryAndExit);
}

}  // namespace mac
