#include "mac/mac_events.h"

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

#include <string>

#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

namespace mac {

namespace {

// Keeps a global monitor installed for as long as the token lives.
class GlobalMonitor final {
 public:
  explicit GlobalMonitor(id monitor) : monitor_(monitor) {}
  ~GlobalMonitor() {
    if (monitor_) [NSEvent removeMonitor:monitor_];
  }
  GlobalMonitor(const GlobalMonitor&) = delete;
  GlobalMonitor& operator=(const GlobalMonitor&) = delete;

 private:
  id monitor_;
};

// How the trace names a process: its name in quotes, else its number.
std::string processLabel(pid_t pid) {
  NSRunningApplication* app = [NSRunningApplication runningApplicationWithProcessIdentifier:pid];
  NSString* name = app.localizedName;
  return name ? backend::quoted(fromNS(name)) : std::to_string(pid);
}

}  // namespace

platform::Point MacEvents::mouseLocation() {
  NSPoint p = [NSEvent mouseLocation];
  return {p.x, p.y};
}

std::uint64_t MacEvents::modifierFlags() {
  return static_cast<std::uint64_t>([NSEvent modifierFlags]);
}

platform::MonitorToken MacEvents::addGlobalMonitor(std::uint64_t mask,
                                                   std::function<void()> handler) {
  // Global monitors run their handler on the main thread, for events that
  // go to other applications only.
  id monitor = [NSEvent addGlobalMonitorForEventsMatchingMask:static_cast<NSEventMask>(mask)
                                                      handler:^(NSEvent*) {
                                                        handler();
                                                      }];
  tracer().monitorInstall(mask);
  return std::make_shared<GlobalMonitor>(monitor);
}

platform::Ref<platform::KeyboardEvent> MacEvents::createKeyboardEvent(std::uint16_t keyCode,
                                                                      bool keyDown) {
  return platform::make<platform::KeyboardEvent>(keyCode, keyDown);
}

void MacEvents::postToPid(pid_t pid, const platform::KeyboardEvent& event) {
  tracer().eventPost(event.keyDown(), event.keyCode(), processLabel(pid));
  CGEventRef e = CGEventCreateKeyboardEvent(nullptr, event.keyCode(), event.keyDown());
  if (!e) return;
  CGEventPostToPid(pid, e);
  CFRelease(e);
}

}  // namespace mac
