#include "mac/mac_controls.h"

// Before AppKit: the SDK's Accessibility headers define the agent's own
// attribute names (kAXRoleAttribute and the like) as macros.
#include "platform/platform.h"

#import <AppKit/AppKit.h>

#include <functional>
#include <string>
#include <vector>

#include "backend/bound_controls.h"
#include "backend/control_layout.h"
#include "backend/defaults_binding.h"
#include "backend/interface_builder.h"
#include "mac/mac_appkit.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

// The target of one control. Controls hold their targets weakly: the C++
// control keeps this object, and lets go of the control when it goes.
@interface VSControlTrampoline : NSObject
- (instancetype)initWithAction:(std::function<void()>)action;
- (void)fire:(id)sender;
@end

@implementation VSControlTrampoline {
  std::function<void()> _action;
}

- (instancetype)initWithAction:(std::function<void()>)action {
  if ((self = [super init])) _action = std::move(action);
  return self;
}

- (void)fire:(id)sender {
  (void)sender;
  // The action may let go of this object: it runs from a copy.
  auto action = _action;
  if (action) action();
}

@end

namespace mac {

namespace {

NSRect toNSRect(platform::Rect r) {
  return NSMakeRect(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void detach(NSControl* control) {
  control.target = nil;
  control.action = nullptr;
}

class MacButton final : public platform::Button {
 public:
  MacButton(const backend::ButtonDecl& d, platform::NibObject* target, NSRect frame)
      : action_(d.action), target_(target) {
    trampoline_ = [[VSControlTrampoline alloc] initWithAction:[this] { press(); }];
    button_ = [NSButton buttonWithTitle:toNS(d.title) target:trampoline_ action:@selector(fire:)];
    button_.frame = frame;
  }
  ~MacButton() override { detach(button_); }
  MacButton(const MacButton&) = delete;
  MacButton& operator=(const MacButton&) = delete;

  NSView* view() const { return button_; }
  std::string title() const override { return fromNS(button_.title); }
  void setTitle(const std::string& title) override {
    if (title == this->title()) return;
    button_.title = toNS(title);
    tracer().controlTitle(title);
  }

 private:
  void press() { backend::pressButton(target_, action_, this); }

  std::string action_;
  platform::NibObject* target_;
  VSControlTrampoline* trampoline_;
  NSButton* button_;
};

class MacImageView final : public platform::ImageView {
 public:
  MacImageView(std::shared_ptr<platform::Image> image, NSRect frame)
      : view_([[NSImageView alloc] initWithFrame:frame]) {
    view_.imageScaling = NSImageScaleProportionallyDown;
    // The file's own image is shown without a word.
    show(std::move(image));
  }

  NSView* view() const { return view_; }
  std::shared_ptr<platform::Image> image() const override { return image_; }
  void setImage(std::shared_ptr<platform::Image> image) override {
    if (image == image_) return;
    show(std::move(image));
    tracer().controlImage(image_.get());
  }

 private:
  void show(std::shared_ptr<platform::Image> image) {
    image_ = std::move(image);
    auto* mac = dynamic_cast<MacImage*>(image_.get());
    view_.image = mac ? mac->nsImage() : nil;
  }

  NSImageView* view_;
  std::shared_ptr<platform::Image> image_;
};

// A multi-line label at the bottom of the window, growing with it.
class MacTextField final : public platform::TextField {
 public:
  explicit MacTextField(NSRect frame) : field_([NSTextField wrappingLabelWithString:@""]) {
    field_.frame = frame;
    field_.selectable = YES;  // so that the user can copy what the check found
    field_.autoresizingMask = NSViewHeightSizable;
  }
  NSView* view() const { return field_; }
  std::string stringValue() const override { return fromNS(field_.stringValue); }
  void setStringValue(const std::string& text) override { field_.stringValue = toNS(text); }

 private:
  NSTextField* field_;
};

// A pop-up, slider or checkbox bound to a key of the user defaults through
// the shared user-defaults controller: AppKit reads and writes the value.
class MacDefaultsControl final : public platform::NibObject {
 public:
  MacDefaultsControl(NSControl* control, NSBindingName binding, const std::string& keyPath)
      : control_(control), binding_(binding) {
    [control_ bind:binding_
           toObject:[NSUserDefaultsController sharedUserDefaultsController]
        withKeyPath:toNS(keyPath)
            options:nil];
  }
  ~MacDefaultsControl() override { [control_ unbind:binding_]; }
  MacDefaultsControl(const MacDefaultsControl&) = delete;
  MacDefaultsControl& operator=(const MacDefaultsControl&) = delete;

  NSView* view() const { return control_; }

 private:
  NSControl* control_;
  NSBindingName binding_;
};

// A checkbox bound to a key of an object the file creates: it reads the
// value now and whenever the object announces a change of the key, and
// hands the user's click to the object, which holds the truth.
class MacObjectCheckbox final : public platform::NibObject,
                                public std::enable_shared_from_this<MacObjectCheckbox> {
 public:
  MacObjectCheckbox(NSButton* box, platform::NibObject* object, std::string key)
      : box_(box), object_(object), key_(std::move(key)) {}
  ~MacObjectCheckbox() override { detach(box_); }
  MacObjectCheckbox(const MacObjectCheckbox&) = delete;
  MacObjectCheckbox& operator=(const MacObjectCheckbox&) = delete;

  // Once the checkbox is shared: both directions hold it weakly.
  void connect() {
    std::weak_ptr<MacObjectCheckbox> weak = weak_from_this();
    trampoline_ = [[VSControlTrampoline alloc] initWithAction:[weak] {
      if (auto self = weak.lock()) self->clicked();
    }];
    box_.target = trampoline_;
    box_.action = @selector(fire:);
    readValue();
    platform::current().keyValueObserving().addObserver(object_, key_, [weak] {
      if (auto self = weak.lock()) self->readValue();
    });
  }

 private:
  void readValue() {
    const bool shown = box_.state == NSControlStateValueOn;
    box_.state = stateOf(backend::boundCheckboxState(*object_, key_, shown));
  }
  static NSControlStateValue stateOf(bool on) {
    return on ? NSControlStateValueOn : NSControlStateValueOff;
  }
  void clicked() {
    // AppKit has turned the box already; the object decides what holds.
    object_->setValueForKey(key_, box_.state == NSControlStateValueOn);
    readValue();
  }

  NSButton* box_;
  platform::NibObject* object_;
  std::string key_;
  VSControlTrampoline* trampoline_ = nil;
};

class MacControlFactory final : public backend::ControlFactory {
 public:
  ~MacControlFactory() override {
    // Whatever was bound goes with the window, finished or not.
    if (window_) window_->setObservedObjects(observed_, &platform::current().keyValueObserving());
  }

  std::shared_ptr<MacWindow> window() const { return window_; }

  void makeWindow(const backend::WindowInterface& file) override {
    // Laid out first: a window whose controls do not fit is never made.
    rows_ = backend::ControlRows(file, MacWindow::contentSizeFor(file.frame));
    window_ = std::make_shared<MacWindow>(file.name, file.frame);
  }
  std::shared_ptr<platform::NibObject> makeButton(const backend::ButtonDecl& d,
                                                  platform::NibObject* target) override {
    const auto& row = nextRow();
    auto button = std::make_shared<MacButton>(d, target, toNSRect(row.control));
    add(button->view(), button);
    return button;
  }
  std::shared_ptr<platform::NibObject> makeCheckbox(const backend::CheckboxDecl& d,
                                                    platform::NibObject* boundObject) override {
    const auto& row = nextRow();
    NSButton* box = [[NSButton alloc] initWithFrame:toNSRect(row.control)];
    [box setButtonType:NSButtonTypeSwitch];
    box.title = toNS(d.title);
    if (!boundObject) {
      auto control =
          std::make_shared<MacDefaultsControl>(box, NSValueBinding, keyPath(row, d.binding.key));
      add(box, control);
      return control;
    }
    observed_.push_back(boundObject);
    auto checkbox = std::make_shared<MacObjectCheckbox>(box, boundObject, d.binding.key);
    checkbox->connect();
    add(box, checkbox);
    return checkbox;
  }
  std::shared_ptr<platform::NibObject> makeImageView(
      const backend::ImageViewDecl&, std::shared_ptr<platform::Image> image) override {
    const auto& row = nextRow();
    auto view = std::make_shared<MacImageView>(std::move(image), toNSRect(row.control));
    add(view->view(), view);
    return view;
  }
  void makePopup(const backend::PopupDecl& d) override {
    const auto& row = nextRow();
    std::string path = keyPath(row, d.binding.key);
    addLabel(row, d.title);
    NSPopUpButton* popup = [[NSPopUpButton alloc] initWithFrame:toNSRect(row.control) pullsDown:NO];
    // Through the menu: the pop-up's own addItemWithTitle: drops an entry
    // of the same title, which would shift the indexes the value means.
    for (const auto& title : d.items)
      [popup.menu addItemWithTitle:toNS(title) action:nil keyEquivalent:@""];
    auto control = std::make_shared<MacDefaultsControl>(popup, NSSelectedIndexBinding, path);
    add(popup, control);
  }
  void makeSlider(const backend::SliderDecl& d) override {
    const auto& row = nextRow();
    std::string path = keyPath(row, d.binding.key);
    addLabel(row, d.title);
    NSSlider* slider = [[NSSlider alloc] initWithFrame:toNSRect(row.control)];
    slider.minValue = d.minValue;
    slider.maxValue = d.maxValue;
    auto control = std::make_shared<MacDefaultsControl>(slider, NSValueBinding, path);
    add(slider, control);
  }
  std::shared_ptr<platform::NibObject> makeText(const backend::TextDecl&) override {
    const auto& row = nextRow();
    auto text = std::make_shared<MacTextField>(toNSRect(row.control));
    [window_->contentView() addSubview:text->view()];
    window_->keep(text);
    return text;
  }
  void keep(std::shared_ptr<platform::NibObject> object) override {
    window_->keep(std::move(object));
  }

 private:
  // buildInterface asks for the controls in file order, as they were laid out.
  const backend::ControlFrames& nextRow() { return rows_.next(); }
  std::string keyPath(const backend::ControlFrames& row, const std::string& key) const {
    return rows_.keyPath(row, key);
  }
  void addLabel(const backend::ControlFrames& row, const std::string& title) {
    if (!row.label) return;
    NSTextField* label = [NSTextField labelWithString:toNS(title)];
    label.frame = toNSRect(*row.label);
    label.alignment = NSTextAlignmentRight;
    label.lineBreakMode = NSLineBreakByTruncatingTail;
    label.autoresizingMask = NSViewMinYMargin;
    [window_->contentView() addSubview:label];
  }
  void add(NSView* view, std::shared_ptr<platform::NibObject> control) {
    // A window that grows keeps its controls below the title bar.
    view.autoresizingMask = NSViewMinYMargin;
    [window_->contentView() addSubview:view];
    window_->keep(std::move(control));
  }

  backend::ControlRows rows_;
  std::shared_ptr<MacWindow> window_;
  std::vector<platform::NibObject*> observed_;
};

}  // namespace

std::shared_ptr<MacWindow> buildWindow(const backend::WindowInterface& file,
                                       platform::NibObject* owner) {
  MacControlFactory factory;
  backend::buildInterface(file, owner, factory);
  return factory.window();
}

}  // namespace mac
