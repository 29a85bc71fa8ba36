// NSWindow for the agent: a titled, closable window made from an interface
// file, which keeps that file's controls and objects for as long as it lives.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backend/bound_controls.h"
#include "platform/appkit.h"

#ifdef __OBJC__
@class NSView;
@class NSWindow;
#endif

namespace mac {

class MacWindow final : public platform::Window {
 public:
  // Not shown yet; `frame` is the window's frame in Cocoa screen coordinates.
  MacWindow(std::string name, platform::Rect frame);
  // Takes the window off screen: nothing of it answers any more.
  ~MacWindow() override;
  MacWindow(const MacWindow&) = delete;
  MacWindow& operator=(const MacWindow&) = delete;

  // The size of the content that a window of this frame has.
  static platform::Size contentSizeFor(platform::Rect frame);

  const std::string& name() const override { return name_; }
  int level() const override;
  void setLevel(int level) override;
  platform::Rect frame() const override;
  std::optional<platform::Rect> screenFrame() const override;
  void setFrameOrigin(platform::Point origin) override;
  void setFrame(platform::Rect frame) override;
  void center() override;
  void makeKeyAndOrderFront() override;
  bool isVisible() const override;
  // AppKit posts NSWindowWillCloseNotification with the NSWindow, for the
  // agent's close() and the user's click alike; the notification centre
  // hands it on with this window as its object.
  void close() override;

  void keep(std::shared_ptr<platform::NibObject> object) { objects_.push_back(std::move(object)); }
  // Bindings stop following these objects when the window goes.
  void setObservedObjects(std::vector<platform::NibObject*> objects,
                          platform::KeyValueObserving* kvo);

#ifdef __OBJC__
  NSView* contentView() const;
#endif

 private:
  struct Native;  // the NSWindow
  std::string name_;
  std::unique_ptr<Native> native_;
  // After native_: the controls go before the window that shows them.
  std::vector<std::shared_ptr<platform::NibObject>> objects_;
  // Last: the bound objects are let go before the controls that follow them.
  backend::BoundObjects bound_;
};

#ifdef __OBJC__
// What the notification centre needs to pass AppKit's window notifications
// on as the agent's: the NSWindow of a live MacWindow, given the pointer
// the agent knows it by (nil for any other pointer), and back (null for any
// other object).
NSWindow* nativeWindowOf(const void* window);
const void* platformWindowOf(id object);
#endif

}  // namespace mac
