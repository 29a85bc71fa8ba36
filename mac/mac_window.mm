#include "mac/mac_window.h"

// Before AppKit: the SDK's Accessibility headers define the agent's own
// attribute names (kAXRoleAttribute and the like) as macros.
#include "platform/platform.h"

#import <AppKit/AppKit.h>

#include <unordered_map>

#include "backend/window_title.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

// The NSWindow of a MacWindow. AppKit posts NSWindowWillCloseNotification
// with it, and the notification centre gives the agent the platform window
// it stands for.
@interface VSWindow : NSWindow
@property(nonatomic, assign) mac::MacWindow* platformWindow;  // cleared when it goes
@end

@implementation VSWindow

// Every close passes here, the agent's and the close button's: the trace
// shows the notification AppKit is about to post, then the window closed.
- (void)close {
  auto* t = self.platformWindow ? mac::trace() : nullptr;
  // Named now: an observer may let the platform window go.
  const std::string name = t ? self.platformWindow->name() : std::string();
  if (t) t->notify(platform::kWindowWillCloseNotification);
  [super close];
  if (t) t->windowClose(name);
}

@end

namespace mac {

namespace {

constexpr NSWindowStyleMask kStyle = NSWindowStyleMaskTitled | NSWindowStyleMaskClosable;

platform::Rect fromNSRect(NSRect r) {
  return {{r.origin.x, r.origin.y}, {r.size.width, r.size.height}};
}

NSRect toNSRect(platform::Rect r) {
  return NSMakeRect(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

// The live windows, by the pointer the agent knows them by.
std::unordered_map<const void*, VSWindow*>& liveWindows() {
  static auto* windows = new std::unordered_map<const void*, VSWindow*>();
  return *windows;
}

const void* platformPointer(const MacWindow* window) {
  return static_cast<const platform::Window*>(window);
}

}  // namespace

struct MacWindow::Native {
  VSWindow* window;
};

MacWindow::MacWindow(std::string name, platform::Rect frame) : name_(std::move(name)) {
  NSRect content = [NSWindow contentRectForFrameRect:toNSRect(frame) styleMask:kStyle];
  VSWindow* window = [[VSWindow alloc] initWithContentRect:content
                                                 styleMask:kStyle
                                                   backing:NSBackingStoreBuffered
                                                     defer:YES];
  // The C++ side owns the window: closing only hides it, and it can be
  // shown again.
  window.releasedWhenClosed = NO;
  window.title = toNS(backend::windowTitle(name_));
  // Shown on the Space the user is on, not on the one it was last shown on.
  window.collectionBehavior = NSWindowCollectionBehaviorMoveToActiveSpace;
  window.platformWindow = this;
  native_ = std::make_unique<Native>(Native{window});
  liveWindows()[platformPointer(this)] = window;
}

MacWindow::~MacWindow() {
  liveWindows().erase(platformPointer(this));
  native_->window.platformWindow = nullptr;
  [native_->window orderOut:nil];
}

platform::Size MacWindow::contentSizeFor(platform::Rect frame) {
  NSRect content = [NSWindow contentRectForFrameRect:toNSRect(frame) styleMask:kStyle];
  return {content.size.width, content.size.height};
}

int MacWindow::level() const { return static_cast<int>(native_->window.level); }

void MacWindow::setLevel(int level) { native_->window.level = level; }

platform::Rect MacWindow::frame() const { return fromNSRect(native_->window.frame); }

std::optional<platform::Rect> MacWindow::screenFrame() const {
  // NSWindow's screen: the one that holds most of the window, nil on none.
  NSScreen* screen = native_->window.screen;
  if (!screen) return std::nullopt;
  return fromNSRect(screen.frame);
}

void MacWindow::setFrameOrigin(platform::Point origin) {
  [native_->window setFrameOrigin:NSMakePoint(origin.x, origin.y)];
  tracer().windowMove(name_, origin);
}

void MacWindow::setFrame(platform::Rect frame) {
  // The controls' autoresizing masks keep them below the title bar; the
  // text field at the bottom takes the height.
  [native_->window setFrame:toNSRect(frame) display:YES];
  tracer().windowResize(name_, frame);
}

void MacWindow::center() {
  [native_->window center];
  tracer().windowCenter(name_, frame().origin);
}

void MacWindow::makeKeyAndOrderFront() {
  [native_->window makeKeyAndOrderFront:nil];
  if (@available(macOS 14.0, *)) {
    // Activation is only a request there: should it be declined, the window
    // would open behind the active application's.
    [native_->window orderFrontRegardless];
  }
  tracer().windowShow(name_, frame());
}

bool MacWindow::isVisible() const { return native_->window.visible; }

void MacWindow::close() {
  // A hidden window has nothing to close, and nobody is told.
  if (!isVisible()) return;
  [native_->window close];
}

void MacWindow::setObservedObjects(std::vector<platform::NibObject*> objects,
                                   platform::KeyValueObserving* kvo) {
  bound_.set(std::move(objects), kvo);
}

NSView* MacWindow::contentView() const { return native_->window.contentView; }

NSWindow* nativeWindowOf(const void* window) {
  auto it = liveWindows().find(window);
  return it == liveWindows().end() ? nil : it->second;
}

const void* platformWindowOf(id object) {
  if (![object isKindOfClass:[VSWindow class]]) return nullptr;
  mac::MacWindow* window = static_cast<VSWindow*>(object).platformWindow;
  return window ? platformPointer(window) : nullptr;
}

}  // namespace mac
