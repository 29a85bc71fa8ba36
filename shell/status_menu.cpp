// The status item, its menu and the menu's commands.
#include "app/app_delegate.h"
#include "permission/settings_controller.h"

namespace {

constexpr const char* kSiteURL = "https://vistrel.app";
constexpr const char* kContactURL = "https://vistrel.app/contact-us/";
// U+1F5C2 (card index dividers) U+FE0F (emoji presentation), a space.
constexpr const char* kMoreAppsTitle = "\xF0\x9F\x97\x82\xEF\xB8\x8F More Apps...";

}  // namespace

void AppDelegate::setupStatusMenu() {
  if (_statusItem) return;
  auto& p = platform::current();
  statusMenu = std::make_shared<platform::Menu>("");
  auto separator = [this] { statusMenu->addItem(platform::MenuItem::separatorItem()); };
  // Untargeted entries travel the responder chain to the application and
  // then to this delegate; the update and feedback entries name us.
  statusMenu->addItem("About", "showAboutPanel", "");
  separator();
  statusMenu->addItem("Preferences...", "showPrefsPanel:", "");
  separator();
  statusMenu->addItem("Check for Updates...", "checkUpates:", "").setTarget(this);
  separator();
  statusMenu->addItem("Send Feedback/Support", "sendFeedback", "").setTarget(this);
  separator();
  statusMenu->addItem(kMoreAppsTitle, "moreApps:", "");
  separator();
  statusMenu->addItem("Quit", "terminate:", "");

  _statusItem = p.appKit().statusItemWithLength(platform::kVariableStatusItemLength);
  _statusItem->setImage(p.appKit().imageNamed("Status_Icon"));
  // A template image is tinted for light and dark menu bars.
  if (auto image = _statusItem->image()) image->setTemplate(true);
  _statusItem->setHighlightMode(true);
  _statusItem->setMenu(statusMenu);
}

void AppDelegate::showAboutPanel() {
  auto& app = platform::current().application();
  app.orderFrontStandardAboutPanel(this);
  // Brings the panel forward even while another application is active.
  app.activateIgnoringOtherApps(true);
}

void AppDelegate::showPrefsPanel(platform::NibObject*) {
  platform::current().application().activateIgnoringOtherApps(true);
  if (!settingsWC()) {
    setSettingsWC(std::make_shared<SettingsController>());
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    settingsWC()->setTickIntervals([weak] {
      auto self = weak.lock();
      return self ? self->tickIntervals() : std::vector<double>();
    });
  }
  auto controller = settingsWC();
  controller->showWindow(nullptr);
  // Every call puts the window back in the middle of the screen.
  if (auto w = controller->window()) w->center();
}

void AppDelegate::sendFeedback() {
  auto& p = platform::current();
  p.application().activateIgnoringOtherApps(true);
  p.workspace().openURL(kContactURL);
}

void AppDelegate::moreApps(platform::NibObject*) {
  platform::current().workspace().openURL(kSiteURL);
}

bool AppDelegate::performAction(const std::string& selector, platform::NibObject* sender) {
  if (selector == "showAboutPanel") {
    showAboutPanel();
  } else if (selector == "showPrefsPanel:") {
    showPrefsPanel(sender);
  } else if (selector == "checkUpates:") {
    checkUpates(sender);
  } else if (selector == "sendFeedback") {
    sendFeedback();
  } else if (selector == "moreApps:") {
    moreApps(sender);
  } else {
    return false;
  }
  return true;
}
