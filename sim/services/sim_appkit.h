// AppKit of the agent process on the simulated desktop: named images, the
// status bar, interface files and the windows they create.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "backend/image_lookup.h"
#include "platform/appkit.h"
#include "sim/services/session_context.h"
#include "sim/services/sim_window.h"

namespace sim {

class SimStatusItem final : public platform::StatusItem {
 public:
  SimStatusItem(SessionContext& ctx, double length) : ctx_(ctx), length_(length) {}
  double length() const override { return length_; }
  void setImage(std::shared_ptr<platform::Image> image) override { image_ = std::move(image); }
  std::shared_ptr<platform::Image> image() const override { return image_; }
  void setHighlightMode(bool highlight) override { highlight_ = highlight; }
  bool highlightMode() const override { return highlight_; }
  // Traces the menu's titles, `---` for a separator.
  void setMenu(std::shared_ptr<platform::Menu> menu) override;
  std::shared_ptr<platform::Menu> menu() const override { return menu_; }

 private:
  SessionContext& ctx_;
  double length_;
  std::shared_ptr<platform::Image> image_;
  bool highlight_ = false;
  std::shared_ptr<platform::Menu> menu_;
};

class SimAppKit final : public platform::AppKit, private backend::ImageSources {
 public:
  explicit SimAppKit(SessionContext& ctx) : ctx_(ctx) {}
  ~SimAppKit() override;

  std::shared_ptr<platform::Image> imageNamed(const std::string& name) override;
  std::shared_ptr<platform::StatusItem> statusItemWithLength(double length) override;
  // Reports a faulty file as "FILE:LINE: message" on standard error.
  platform::NibContents loadNib(const std::string& name, platform::NibObject* owner) override;

  // A window the platform itself makes (the About panel).
  std::shared_ptr<SimWindow> makeWindow(const std::string& name, platform::Rect frame);
  // The visible window brought forward last; null when none is shown.
  SimWindow* frontmostWindow() const;
  // The visible windows, the backmost first.
  std::vector<SimWindow*> visibleWindows() const;
  // Whether a visible window of the agent covers this Cocoa point.
  bool windowAt(platform::Point p) const;
  // The status items still in the status bar, oldest first.
  std::vector<std::shared_ptr<SimStatusItem>> statusItems() const;

 private:
  std::shared_ptr<platform::Image> fromBitmap(const std::string& name, const std::string& path,
                                              const std::string& path2x) override;
  std::shared_ptr<platform::Image> named(const std::string& name) override;

  SessionContext& ctx_;
  backend::ImageLookup images_;
  std::vector<std::weak_ptr<SimStatusItem>> statusItems_;
  std::vector<std::weak_ptr<SimWindow>> windows_;
  std::uint64_t frontCounter_ = 0;
};

}  // namespace sim
