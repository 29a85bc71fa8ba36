// SettingsController: the settings window, where the user grants the
// Accessibility permission. While shown it refreshes its status light and
// button title every second. Its "Check Setup" button checks the agent's
// set-up and lists the findings below the controls, growing the window.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

class SettingsController final : public platform::WindowController,
                                 public std::enable_shared_from_this<SettingsController> {
 public:
  // Loads the interface file named after the class and raises the window
  // to the status-window level. Keep the controller in a shared_ptr: its
  // timer and notification callbacks hold it weakly.
  SettingsController();
  ~SettingsController() override;

  void windowDidLoad() override;
  void showWindow(platform::NibObject* sender) override;
  void onTimer();
  void setState();
  void windowWillClose(const platform::Notification& notification);
  void accessibility(platform::NibObject* sender);
  void moveWindow();
  bool accessibilityEnabled();
  void openAccessibility();

  std::shared_ptr<platform::Button> accesibilityBtn() const { return _accesibilityBtn.lock(); }
  void setAccesibilityBtn(const std::shared_ptr<platform::Button>& b) { _accesibilityBtn = b; }
  std::shared_ptr<platform::ImageView> accesibilityStatus() const {
    return _accesibilityStatus.lock();
  }
  void setAccesibilityStatus(const std::shared_ptr<platform::ImageView>& v) {
    _accesibilityStatus = v;
  }

  // The check of the set-up: each finding is reported and listed.
  void checkSetup(platform::NibObject* sender);
  // Shows `text` below the controls; the window grows or shrinks to fit it.
  void showSetupText(const std::string& text);
  // Where the check learns the tracking timer's latest intervals.
  void setTickIntervals(std::function<std::vector<double>()> source) {
    tickIntervals_ = std::move(source);
  }
  std::shared_ptr<platform::TextField> setupResults() const { return _setupResults.lock(); }
  // What the window says below its controls before any check: that the app
  // runs from a temporary copy, and, once access was requested and is still
  // missing, how to grant it (a stale entry of an earlier build included).
  std::string noticeText();

  bool performAction(const std::string& selector, platform::NibObject* sender) override;
  bool connectOutlet(const std::string& name, std::shared_ptr<platform::NibObject> object) override;

 private:
  std::shared_ptr<platform::Timer> updateTimer;
  std::weak_ptr<platform::Button> _accesibilityBtn;
  std::weak_ptr<platform::ImageView> _accesibilityStatus;
  std::weak_ptr<platform::TextField> _setupResults;
  std::function<std::vector<double>()> tickIntervals_;
  std::optional<double> loadedHeight_;  // the window's height without text
  // Access was requested and is still missing: the guidance shows.
  bool requested_ = false;
  // The check's results show; notices no longer replace them.
  bool checked_ = false;
  // What shows below the controls is a notice.
  bool noticeShown_ = false;
  void showNotice();
};

// Room for the text's lines below the controls, in points.
inline constexpr double kSetupLineHeight = 17;
inline constexpr double kSetupTextPadding = 6;
// The window's frame that shows `lines` lines of text: as tall as it was
// loaded plus their room, top edge kept, yet not below its screen's bottom.
platform::Rect frameForSetupText(platform::Rect current, double loadedHeight, std::size_t lines,
                                 std::optional<platform::Rect> screen);
