// AppKit services beyond the run loop: images, windows and window
// controllers, controls, the status bar and menus.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/application.h"
#include "platform/geometry.h"

namespace platform {

// NSStatusWindowLevel: above normal and floating windows.
inline constexpr int kStatusWindowLevel = 25;
// NSVariableStatusItemLength: the item is as wide as its image.
inline constexpr double kVariableStatusItemLength = -1.0;

inline constexpr const char* kImageNameStatusAvailable = "NSStatusAvailable";
inline constexpr const char* kImageNameStatusUnavailable = "NSStatusUnavailable";
inline constexpr const char* kWindowWillCloseNotification = "NSWindowWillCloseNotification";

// NSImage, as imageNamed: hands it out: one shared instance per name.
class Image {
 public:
  virtual ~Image() = default;
  virtual const std::string& name() const = 0;
  virtual void setTemplate(bool isTemplate) = 0;
  virtual bool isTemplate() const = 0;
};

class Button : public NibObject {
 public:
  virtual std::string title() const = 0;
  virtual void setTitle(const std::string& title) = 0;
};

// A multi-line label (NSTextField, not editable): lines split at "\n".
class TextField : public NibObject {
 public:
  virtual std::string stringValue() const = 0;
  virtual void setStringValue(const std::string& text) = 0;
};

class ImageView : public NibObject {
 public:
  virtual std::shared_ptr<Image> image() const = 0;
  virtual void setImage(std::shared_ptr<Image> image) = 0;
};

// NSWindow. Frames are in Cocoa screen coordinates.
class Window {
 public:
  virtual ~Window() = default;
  virtual const std::string& name() const = 0;
  virtual int level() const = 0;
  virtual void setLevel(int level) = 0;
  virtual Rect frame() const = 0;
  // The frame of the screen that holds most of the window; none when the
  // window is on no screen.
  virtual std::optional<Rect> screenFrame() const = 0;
  virtual void setFrameOrigin(Point origin) = 0;
  // setFrame:display: the controls keep their distance from the top edge;
  // a text field at the bottom takes up the height gained or lost.
  virtual void setFrame(Rect frame) = 0;
  virtual void center() = 0;
  // makeKeyAndOrderFront:
  virtual void makeKeyAndOrderFront() = 0;
  virtual bool isVisible() const = 0;
  // Posts NSWindowWillCloseNotification with the window as its object, then
  // takes the window off screen.
  virtual void close() = 0;
};

// What loading an interface file gives its owner: the window, which keeps
// its controls and the objects the file creates.
struct NibContents {
  std::shared_ptr<Window> window;
};

// NSMenuItem: a command or a separator. The target is not owned; with none,
// the action travels along the responder chain.
class MenuItem final : public NibObject {
 public:
  static std::shared_ptr<MenuItem> separatorItem() {
    auto item = std::make_shared<MenuItem>();
    item->separator_ = true;
    return item;
  }
  MenuItem() = default;
  MenuItem(std::string title, std::string action, std::string keyEquivalent)
      : title_(std::move(title)),
        action_(std::move(action)),
        keyEquivalent_(std::move(keyEquivalent)) {}

  bool isSeparatorItem() const { return separator_; }
  const std::string& title() const { return title_; }
  const std::string& action() const { return action_; }
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  NibObject* target() const { return target_; }
  void setTarget(NibObject* target) { target_ = target; }

 private:
  std::string title_, action_, keyEquivalent_;
  NibObject* target_ = nullptr;
  bool separator_ = false;
};

class Menu final {
 public:
  explicit Menu(std::string title) : title_(std::move(title)) {}
  const std::string& title() const { return title_; }
  // addItemWithTitle:action:keyEquivalent:
  MenuItem& addItem(const std::string& title, const std::string& action,
                    const std::string& keyEquivalent) {
    items_.push_back(std::make_shared<MenuItem>(title, action, keyEquivalent));
    return *items_.back();
  }
  // addItem:
  void addItem(std::shared_ptr<MenuItem> item) { items_.push_back(std::move(item)); }
  const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }

 private:
  std::string title_;
  std::vector<std::shared_ptr<MenuItem>> items_;
};

// NSStatusItem: one item in the system status bar, removed when released.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  virtual double length() const = 0;
  virtual void setImage(std::shared_ptr<Image> image) = 0;
  virtual std::shared_ptr<Image> image() const = 0;
  virtual void setHighlightMode(bool highlight) = 0;
  virtual bool highlightMode() const = 0;
  virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
  virtual std::shared_ptr<Menu> menu() const = 0;
};

class AppKit {
 public:
  virtual ~AppKit() = default;
  // NSImage imageNamed: the application's image resources and the system's
  // named images; null when there is no such image.
  virtual std::shared_ptr<Image> imageNamed(const std::string& name) = 0;
  // NSStatusBar systemStatusBar, statusItemWithLength:
  virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
  // Loads the interface file NAME: creates its objects, connects its outlets
  // to `owner` and points its actions at it. An empty result when the file
  // cannot be loaded (the fault is reported by the platform).
  virtual NibContents loadNib(const std::string& name, NibObject* owner) = 0;
};

// NSWindowController: owns a window loaded on first demand from an interface
// file whose owner is, unless told otherwise, the controller itself.
class WindowController : public NibObject {
 public:
  // initWithWindowNibName:owner:
  WindowController(std::string nibName, NibObject* owner)
      : nibName_(std::move(nibName)), owner_(owner) {}

  const std::string& windowNibName() const { return nibName_; }
  // Loads the interface file the first time; null when it could not be loaded.
  std::shared_ptr<Window> window();
  virtual void windowDidLoad() {}
  // Shows the window and brings it to the front.
  virtual void showWindow(NibObject* sender);

 private:
  std::string nibName_;
  NibObject* owner_;
  bool loaded_ = false;
  std::shared_ptr<Window> window_;
};

}  // namespace platform
