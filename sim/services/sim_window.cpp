#include "sim/services/sim_window.h"

#include <algorithm>
#include <cmath>

#include "backend/bound_controls.h"
#include "platform/platform.h"

namespace sim {

void SimButton::setTitle(const std::string& title) {
  if (title == title_) return;
  title_ = title;
  ctx_.trace.controlTitle(title_);
}

void SimButton::bind(Binding binding) {
  binding_ = std::move(binding);
  readBoundValue();
  if (!binding_->object) return;
  // The checkbox follows its object, which tells of every change of the key.
  std::weak_ptr<SimButton> weak = weak_from_this();
  platform::current().keyValueObserving().addObserver(binding_->object, binding_->key, [weak] {
    if (auto self = weak.lock()) self->readBoundValue();
  });
}

void SimButton::readBoundValue() {
  if (!binding_) return;
  if (!binding_->object) {
    checked_ = platform::current().userDefaults().boolForKey(binding_->key);
    return;
  }
  checked_ = backend::boundCheckboxState(*binding_->object, binding_->key, checked_);
}

void SimButton::press() { backend::pressButton(target_, action_, this); }

void SimButton::setChecked(bool on) {
  readBoundValue();
  if (on == checked_) return;
  checked_ = on;
  if (!binding_) return;
  if (binding_->object)
    binding_->object->setValueForKey(binding_->key, on);
  else
    platform::current().userDefaults().setBool(on, binding_->key);
}

void SimImageView::setImage(std::shared_ptr<platform::Image> image) {
  if (image == image_) return;
  image_ = std::move(image);
  ctx_.trace.controlImage(image_.get());
}

SimWindow::~SimWindow() = default;

std::optional<platform::Rect> SimWindow::screenFrame() const {
  std::optional<platform::Rect> best;
  double bestArea = 0;
  for (const auto& s : ctx_.world.screens) {
    double w = std::min(frame_.maxX(), s.maxX()) - std::max(frame_.minX(), s.minX());
    double h = std::min(frame_.maxY(), s.maxY()) - std::max(frame_.minY(), s.minY());
    if (w <= 0 || h <= 0) continue;
    if (!best || w * h > bestArea) {
      best = s;
      bestArea = w * h;
    }
  }
  return best;
}

void SimWindow::setFrameOrigin(platform::Point origin) {
  frame_.origin = origin;
  ctx_.trace.windowMove(name_, origin);
}

void SimWindow::setFrame(platform::Rect frame) {
  frame_ = frame;
  ctx_.trace.windowResize(name_, frame);
}

void SimWindow::center() {
  // Centred on the window's screen, or on the main screen when it is on none;
  // whole points, so that the window does not sit between pixels.
  platform::Rect s = screenFrame().value_or(ctx_.world.screens.front());
  frame_.origin = {s.minX() + std::floor((s.size.width - frame_.size.width) / 2),
                   s.minY() + std::floor((s.size.height - frame_.size.height) / 2)};
  ctx_.trace.windowCenter(name_, frame_.origin);
}

void SimWindow::makeKeyAndOrderFront() {
  visible_ = true;
  frontOrder_ = ++frontCounter_;
  ctx_.trace.windowShow(name_, frame_);
}

void SimWindow::close() {
  if (!visible_) return;
  // "Will close": observers hear of it while the window is still there.
  platform::current().notificationCenter().postNotificationName(
      platform::kWindowWillCloseNotification, static_cast<const platform::Window*>(this));
  visible_ = false;
  ctx_.trace.windowClose(name_);
}

void SimWindow::addButton(std::shared_ptr<SimButton> button) {
  buttons_.push_back(button);
  keep(std::move(button));
}

SimButton* SimWindow::buttonTitled(const std::string& title, SimButton::Kind kind) const {
  for (const auto& b : buttons_)
    if (b->kind() == kind && b->title() == title) return b.get();
  return nullptr;
}

void SimWindow::setObservedObjects(std::vector<platform::NibObject*> objects,
                                   platform::KeyValueObserving* kvo) {
  bound_.set(std::move(objects), kvo);
}

}  // namespace sim
