// Windows and controls of the agent process on the simulated desktop. A
// window keeps its controls and the objects its interface file created.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backend/bound_controls.h"
#include "platform/appkit.h"
#include "sim/services/session_context.h"

namespace sim {

class SimImage final : public platform::Image {
 public:
  explicit SimImage(std::string name) : name_(std::move(name)) {}
  const std::string& name() const override { return name_; }
  void setTemplate(bool isTemplate) override { template_ = isTemplate; }
  bool isTemplate() const override { return template_; }

 private:
  std::string name_;
  bool template_ = false;
};

// Where a control's value lives: a key of the user defaults (object null)
// or a key of an object the interface file created.
struct Binding {
  platform::NibObject* object = nullptr;
  std::string key;
};

// A push button or a checkbox.
class SimButton final : public platform::Button, public std::enable_shared_from_this<SimButton> {
 public:
  enum Kind { Push, Checkbox };
  SimButton(SessionContext& ctx, Kind kind, std::string title)
      : ctx_(ctx), kind_(kind), title_(std::move(title)) {}

  std::string title() const override { return title_; }
  void setTitle(const std::string& title) override;

  Kind kind() const { return kind_; }
  void setAction(std::string action, platform::NibObject* target) {
    action_ = std::move(action);
    target_ = target;
  }
  // A checkbox bound to a value reads it now and follows it from then on.
  void bind(Binding binding);
  // The user presses the button: its action goes to its target.
  void press();
  // The user sets the checkbox: the bound value is written when it changes.
  void setChecked(bool on);
  bool isChecked() const { return checked_; }
  const std::optional<Binding>& binding() const { return binding_; }

 private:
  void readBoundValue();

  SessionContext& ctx_;
  Kind kind_;
  std::string title_;
  std::string action_;
  platform::NibObject* target_ = nullptr;
  std::optional<Binding> binding_;
  bool checked_ = false;
};

class SimImageView final : public platform::ImageView {
 public:
  explicit SimImageView(SessionContext& ctx) : ctx_(ctx) {}
  std::shared_ptr<platform::Image> image() const override { return image_; }
  void setImage(std::shared_ptr<platform::Image> image) override;
  // The image the interface file gives, set without a word.
  void setInitialImage(std::shared_ptr<platform::Image> image) { image_ = std::move(image); }

 private:
  SessionContext& ctx_;
  std::shared_ptr<platform::Image> image_;
};

// A multi-line label; what it says shows in the desktop's picture only.
class SimTextField final : public platform::TextField {
 public:
  std::string stringValue() const override { return text_; }
  void setStringValue(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

// A pop-up menu or a slider bound to a user-defaults key. The user cannot
// operate them on this desktop; the value lives in the defaults.
class SimValueControl final : public platform::NibObject {
 public:
  SimValueControl(std::string kind, std::string title, Binding binding)
      : kind_(std::move(kind)), title_(std::move(title)), binding_(std::move(binding)) {}
  const std::string& kind() const { return kind_; }
  const std::string& title() const { return title_; }
  const Binding& binding() const { return binding_; }
  std::vector<std::string> items;  // pop-up entries, value = index
  double minValue = 0, maxValue = 0;

 private:
  std::string kind_, title_;
  Binding binding_;
};

class SimWindow final : public platform::Window {
 public:
  // `frontCounter` orders the windows of one process: the frontmost one was
  // brought forward last.
  SimWindow(SessionContext& ctx, std::string name, platform::Rect frame,
            std::uint64_t& frontCounter)
      : ctx_(ctx), name_(std::move(name)), frame_(frame), frontCounter_(frontCounter) {}
  ~SimWindow() override;

  const std::string& name() const override { return name_; }
  int level() const override { return level_; }
  void setLevel(int level) override { level_ = level; }
  platform::Rect frame() const override { return frame_; }
  std::optional<platform::Rect> screenFrame() const override;
  void setFrameOrigin(platform::Point origin) override;
  void setFrame(platform::Rect frame) override;
  void center() override;
  void makeKeyAndOrderFront() override;
  bool isVisible() const override { return visible_; }
  void close() override;

  std::uint64_t frontOrder() const { return frontOrder_; }
  // What the window keeps: its controls and the interface file's objects.
  void keep(std::shared_ptr<platform::NibObject> object) { objects_.push_back(std::move(object)); }
  // Everything kept, in the order the interface file declared it.
  const std::vector<std::shared_ptr<platform::NibObject>>& objects() const { return objects_; }
  void addButton(std::shared_ptr<SimButton> button);
  // The first button (or checkbox) with that title right now; null if none.
  SimButton* buttonTitled(const std::string& title, SimButton::Kind kind) const;
  // Stops bindings from following objects that go with the window.
  void setObservedObjects(std::vector<platform::NibObject*> objects,
                          platform::KeyValueObserving* kvo);

 private:
  SessionContext& ctx_;
  std::string name_;
  platform::Rect frame_;
  std::uint64_t& frontCounter_;
  std::uint64_t frontOrder_ = 0;
  int level_ = 0;
  bool visible_ = false;
  std::vector<std::shared_ptr<platform::NibObject>> objects_;
  std::vector<std::shared_ptr<SimButton>> buttons_;
  // Last: the bound objects are let go before the buttons that follow them.
  backend::BoundObjects bound_;
};

}  // namespace sim
