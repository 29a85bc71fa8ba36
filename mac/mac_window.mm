#include "mac/mac_window.h"

// Before AppKit: the SDK's Accessibility headers define the agent's own
// attribute names (kAXRoleAttribute and the like) as macros.
#include "platform/platform.h"

#import <AppKit/AppKit.h>

#include "backend/window_title.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

// Tells the C++ window that its NSWindow is about to close. NSWindow holds
// its delegate weakly: the C++ window keeps this object.
@interface VSWindowCloseDelegate : NSObject <NSWindowDelegate>
- (instancetype)initWithWindow:(mac::MacWindow*)window;
- (void)forgetWindow;
@end

@implementation VSWindowCloseDelegate {
  mac::MacWindow* _window;
}

- (instancetype)initWithWindow:(mac::MacWindow*)window {
  if ((self = [super init])) _window = window;
  return self;
}

- (void)forgetWindow {
  _window = nullptr;
}

- (void)windowWillClose:(NSNotification*)notification {
  (void)notification;
  if (_window) _window->willClose();
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

}  // namespace

struct MacWindow::Native {
  NSWindow* window;
  VSWindowCloseDelegate* delegate;
};

MacWindow::MacWindow(std::string name, platform::Rect frame) : name_(std::move(name)) {
  NSRect content = [NSWindow contentRectForFrameRect:toNSRect(frame) styleMask:kStyle];
  NSWindow* window = [[NSWindow alloc] initWithContentRect:content
                                                 styleMask:kStyle
                                                   backing:NSBackingStoreBuffered
                                                     defer:YES];
  // The C++ side owns the window: closing only hides it, and it can be
  // shown again.
  window.releasedWhenClosed = NO;
  window.title = toNS(backend::windowTitle(name_));
  VSWindowCloseDelegate* delegate = [[VSWindowCloseDelegate alloc] initWithWindow:this];
  window.delegate = delegate;
  native_ = std::make_unique<Native>(Native{window, delegate});
}

MacWindow::~MacWindow() {
  // The bound objects go with the window: nobody may observe them any more.
  if (kvo_)
    for (auto* object : observed_) kvo_->removeObservers(object);
  [native_->delegate forgetWindow];
  native_->window.delegate = nil;
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
  if (auto* t = trace()) t->windowMove(name_, origin);
}

void MacWindow::center() {
  [native_->window center];
  if (auto* t = trace()) t->windowCenter(name_, frame().origin);
}

void MacWindow::makeKeyAndOrderFront() {
  [native_->window makeKeyAndOrderFront:nil];
  if (auto* t = trace()) t->windowShow(name_, frame());
}

bool MacWindow::isVisible() const { return native_->window.visible; }

void MacWindow::close() {
  // A hidden window has nothing to close, and nobody is told.
  if (!isVisible()) return;
  [native_->window close];
}

void MacWindow::willClose() {
  // Observers hear of it while the window is still on screen.
  platform::current().notificationCenter().postNotificationName(
      platform::kWindowWillCloseNotification, static_cast<const platform::Window*>(this));
  if (auto* t = trace()) t->windowClose(name_);
}

void MacWindow::setObservedObjects(std::vector<platform::NibObject*> objects,
                                   platform::KeyValueObserving* kvo) {
  observed_ = std::move(objects);
  kvo_ = kvo;
}

NSView* MacWindow::contentView() const { return native_->window.contentView; }

}  // namespace mac
