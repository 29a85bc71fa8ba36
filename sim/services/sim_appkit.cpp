#include "sim/services/sim_appkit.h"

#include <algorithm>
#include <iostream>

#include "backend/resource_files.h"
#include "platform/platform.h"
#include "sim/services/nib_loader.h"

namespace sim {

void SimStatusItem::setMenu(std::shared_ptr<platform::Menu> menu) {
  menu_ = std::move(menu);
  if (!menu_) return;
  ctx_.trace.statusItemMenu(*menu_);
}

SimAppKit::~SimAppKit() = default;

std::shared_ptr<platform::Image> SimAppKit::imageNamed(const std::string& name) {
  return images_.imageNamed(name, ctx_.resourceDir, *this);
}

// The simulated desktop draws no pictures: an image is its name.
std::shared_ptr<platform::Image> SimAppKit::fromBitmap(const std::string& name, const std::string&,
                                                       const std::string&) {
  return std::make_shared<SimImage>(name);
}

std::shared_ptr<platform::Image> SimAppKit::named(const std::string& name) {
  // The system's own images, then the bundle's image files.
  bool known =
      name == platform::kImageNameStatusAvailable || name == platform::kImageNameStatusUnavailable;
  for (const char* ext : {".png", ".pdf"}) {
    if (known) break;
    known = !backend::resourceFile(ctx_.resourceDir, name, ext).empty();
  }
  return known ? std::make_shared<SimImage>(name) : nullptr;
}

std::shared_ptr<platform::StatusItem> SimAppKit::statusItemWithLength(double length) {
  auto item = std::make_shared<SimStatusItem>(ctx_, length);
  std::erase_if(statusItems_, [](const auto& w) { return w.expired(); });
  statusItems_.push_back(item);
  ctx_.trace.statusItemCreate();
  return item;
}

platform::NibContents SimAppKit::loadNib(const std::string& name, platform::NibObject* owner) {
  try {
    auto window = loadWindowNib(ctx_, backend::loadInterfaceFile(ctx_.resourceDir, name), owner,
                                frontCounter_);
    windows_.push_back(window);
    return {window};
  } catch (const backend::InterfaceError& e) {
    std::cerr << e.what() << "\n";
    return {};
  }
}

std::shared_ptr<SimWindow> SimAppKit::makeWindow(const std::string& name, platform::Rect frame) {
  auto window = std::make_shared<SimWindow>(ctx_, name, frame, frontCounter_);
  windows_.push_back(window);
  return window;
}

SimWindow* SimAppKit::frontmostWindow() const {
  SimWindow* front = nullptr;
  for (const auto& weak : windows_)
    if (auto w = weak.lock();
        w && w->isVisible() && (!front || w->frontOrder() > front->frontOrder()))
      front = w.get();
  return front;
}

std::vector<SimWindow*> SimAppKit::visibleWindows() const {
  std::vector<SimWindow*> visible;
  for (const auto& weak : windows_)
    if (auto w = weak.lock(); w && w->isVisible()) visible.push_back(w.get());
  std::sort(visible.begin(), visible.end(), [](const SimWindow* a, const SimWindow* b) {
    return a->frontOrder() < b->frontOrder();
  });
  return visible;
}

bool SimAppKit::windowAt(platform::Point p) const {
  for (const auto& weak : windows_)
    if (auto w = weak.lock(); w && w->isVisible() && platform::pointInRect(p, w->frame()))
      return true;
  return false;
}

std::vector<std::shared_ptr<SimStatusItem>> SimAppKit::statusItems() const {
  std::vector<std::shared_ptr<SimStatusItem>> items;
  for (const auto& weak : statusItems_)
    if (auto item = weak.lock()) items.push_back(item);
  return items;
}

}  // namespace sim
