// SettingsController: the settings window, where the user grants the
// Accessibility permission. While shown it refreshes its status light and
// button title every second.
#pragma once

#include <memory>
#include <string>

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

  bool performAction(const std::string& selector, platform::NibObject* sender) override;
  bool connectOutlet(const std::string& name, std::shared_ptr<platform::NibObject> object) override;

 private:
  std::shared_ptr<platform::Timer> updateTimer;
  std::weak_ptr<platform::Button> _accesibilityBtn;
  std::weak_ptr<platform::ImageView> _accesibilityStatus;
};
