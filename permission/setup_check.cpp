#include "permission/setup_check.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "hover/dock_names.h"
#include "shell/bundle_location.h"
#include "shell/launch_at_login_controller.h"

namespace setup {

namespace {

using platform::Ref;
using platform::SetupFinding;
using platform::SetupItem;

SetupFinding finding(SetupItem item, bool passed, std::string detail) {
  SetupFinding f;
  f.item = item;
  f.passed = passed;
  f.detail = std::move(detail);
  return f;
}

constexpr const char* kListRole = "AXList";
constexpr const char* kElsewhere = "elsewhere";
constexpr const char* kAccessibilitySettings =
    "System Settings › Privacy & Security › Accessibility";

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f s", s);
  return buf;
}

std::optional<std::string> stringAttribute(const platform::UIElement* e, const char* attribute) {
  Ref<platform::Object> value;
  if (platform::current().accessibility().copyAttributeValue(e, attribute, &value) !=
      platform::kAXErrorSuccess)
    return std::nullopt;
  if (auto* s = platform::as<platform::String>(value.get())) return s->str();
  return std::nullopt;
}

bool boolAttribute(const platform::UIElement* e, const char* attribute) {
  Ref<platform::Object> value;
  if (platform::current().accessibility().copyAttributeValue(e, attribute, &value) !=
      platform::kAXErrorSuccess)
    return false;
  // A CFBoolean, or a number as some items give it.
  if (auto* b = platform::as<platform::Boolean>(value.get())) return b->value();
  auto* n = platform::as<platform::Number>(value.get());
  return n && n->doubleValue() != 0;
}

// The Dock's items: the children of its list. Null when they cannot be read.
Ref<platform::Array> dockItems(const platform::UIElement* dockElement) {
  auto& ax = platform::current().accessibility();
  Ref<platform::Object> children;
  if (ax.copyAttributeValue(dockElement, platform::kAXChildrenAttribute, &children) !=
      platform::kAXErrorSuccess)
    return {};
  auto* list = platform::as<platform::Array>(children.get());
  if (!list) return {};
  for (std::size_t i = 0; i < list->count(); ++i) {
    auto* child = platform::as<platform::UIElement>(list->at(i));
    if (!child || stringAttribute(child, platform::kAXRoleAttribute) != kListRole) continue;
    Ref<platform::Object> items;
    if (ax.copyAttributeValue(child, platform::kAXChildrenAttribute, &items) !=
        platform::kAXErrorSuccess)
      return {};
    if (!platform::as<platform::Array>(items.get())) return {};
    return Ref<platform::Array>::retain(platform::as<platform::Array>(items.get()));
  }
  return {};
}

bool offersShowExpose(const platform::UIElement* item) {
  Ref<platform::Array> names;
  if (platform::current().accessibility().copyActionNames(item, &names) !=
          platform::kAXErrorSuccess ||
      !names)
    return false;
  for (std::size_t i = 0; i < names->count(); ++i) {
    auto* name = platform::as<platform::String>(names->at(i));
    if (name && name->str() == dock::kShowExposeAction) return true;
  }
  return false;
}

// The Dock items and the App Exposé action of the running applications' items.
void checkDockItems(const platform::UIElement* dockElement, std::vector<SetupFinding>* out) {
  auto items = dockElement ? dockItems(dockElement) : Ref<platform::Array>();
  if (!dockElement) {
    out->push_back(finding(SetupItem::Dock, false, "not running"));
  } else if (!items) {
    out->push_back(finding(SetupItem::Dock, false, "items unreadable"));
  } else {
    out->push_back(finding(SetupItem::Dock, true, std::to_string(items->count()) + " items"));
  }
  if (!items) {
    out->push_back(finding(SetupItem::ShowExpose, false, "unknown"));
    return;
  }
  std::size_t running = 0, offering = 0;
  for (std::size_t i = 0; i < items->count(); ++i) {
    auto* item = platform::as<platform::UIElement>(items->at(i));
    if (!item ||
        stringAttribute(item, platform::kAXSubroleAttribute) != dock::kApplicationDockItemSubrole ||
        !boolAttribute(item, dock::kIsApplicationRunningAttribute))
      continue;
    ++running;
    if (offersShowExpose(item)) ++offering;
  }
  out->push_back(finding(SetupItem::ShowExpose, offering == running,
                         std::to_string(offering) + " of " + std::to_string(running)));
}

}  // namespace

void TickTimes::record(double seconds) {
  if (ticked_ && !paused_) {
    intervals_[next_] = seconds - last_;
    next_ = (next_ + 1) % kKept;
    if (count_ < kKept) ++count_;
  }
  last_ = seconds;
  ticked_ = true;
  paused_ = false;
}

std::vector<double> TickTimes::intervals() const {
  std::vector<double> out;
  const std::size_t first = (next_ + kKept - count_) % kKept;
  for (std::size_t i = 0; i < count_; ++i) out.push_back(intervals_[(first + i) % kKept]);
  return out;
}

SetupFinding timerFinding(const std::vector<double>& intervals) {
  if (intervals.empty()) return finding(SetupItem::Timer, false, "not running");
  double longest = *std::max_element(intervals.begin(), intervals.end());
  return finding(SetupItem::Timer, longest <= kSlowTickSeconds, "up to " + seconds(longest));
}

SetupFinding trustedFinding(bool trusted) {
  return finding(SetupItem::Trusted, trusted, trusted ? "trusted" : "not trusted");
}

SetupFinding locationFinding(location::BundleLocation where) {
  switch (where) {
    case location::BundleLocation::Applications:
      return finding(SetupItem::Location, true, "/Applications");
    case location::BundleLocation::UserApplications:
      return finding(SetupItem::Location, true, "~/Applications");
    case location::BundleLocation::Translocated:
      return finding(SetupItem::Location, false, "translocated");
    case location::BundleLocation::Elsewhere: break;
  }
  return finding(SetupItem::Location, true, kElsewhere);
}

SetupFinding loginFinding(bool listed, bool awaitsApproval) {
  if (awaitsApproval) return finding(SetupItem::LoginItem, false, "waiting for approval");
  return finding(SetupItem::LoginItem, true, listed ? "on" : "off");
}

SetupFinding accessibilityFinding(platform::AXError code, bool trusted) {
  if (code == platform::kAXErrorSuccess) return finding(SetupItem::Accessibility, true, "answers");
  if (code == platform::kAXErrorAPIDisabled)
    return finding(SetupItem::Accessibility, false, trusted ? "stale" : "refused");
  return finding(SetupItem::Accessibility, false, "error " + std::to_string(code));
}

std::vector<SetupFinding> checkSetup(const std::vector<double>& tickIntervals) {
  auto& p = platform::current();
  auto& ax = p.accessibility();
  std::vector<SetupFinding> out;
  const bool trusted = ax.isProcessTrustedWithOptions(false);
  out.push_back(trustedFinding(trusted));

  Ref<platform::UIElement> dockElement;
  for (const auto& app : p.workspace().runningApplications())
    if (app.bundleIdentifier == dock::kDockBundleIdentifier) {
      dockElement = ax.createApplication(app.processIdentifier);
      break;
    }
  // Without a Dock to ask, the system-wide element answers for Accessibility.
  Ref<platform::UIElement> asked = dockElement ? dockElement : ax.createSystemWide();
  Ref<platform::Object> role;
  out.push_back(accessibilityFinding(
      ax.copyAttributeValue(asked.get(), platform::kAXRoleAttribute, &role), trusted));

  checkDockItems(dockElement.get(), &out);
  out.push_back(timerFinding(tickIntervals));
  bool listed = LaunchAtLoginController().launchAtLogin();
  out.push_back(loginFinding(listed, p.loginItems().awaitsApproval()));
  const bool updates = p.updater().isAvailable();
  out.push_back(
      finding(SetupItem::Updates, updates, updates ? "available" : "not part of this build"));
  out.push_back(locationFinding(location::currentBundleLocation()));
  for (auto& f : out) f.advice = adviceFor(f);
  return out;
}

namespace {

// The finding in words, and what to do about it when it failed.
void describe(const SetupFinding& f, std::string* lineOut, std::string* todoOut) {
  std::string& line = *lineOut;
  std::string& todo = *todoOut;
  switch (f.item) {
    case SetupItem::Trusted:
      line = f.passed ? "Trusted for Accessibility" : "Not trusted for Accessibility";
      todo = trustGuidance();
      break;
    case SetupItem::Accessibility:
      if (f.passed) {
        line = "Accessibility answers";
      } else if (f.detail == "stale") {
        line = "Accessibility refuses every call: the permission is stale";
        todo = std::string("Remove Vistrel from the list in ") + kAccessibilitySettings +
               " and add it again";
      } else if (f.detail == "refused") {
        line = "Accessibility refuses every call";
        todo = "Grant the permission first";
      } else {
        line = "Accessibility does not answer (" + f.detail + ")";
        todo = "Restart the Dock, or log out and in again";
      }
      break;
    case SetupItem::Dock:
      if (f.passed) {
        line = "The Dock runs; its " + f.detail + " can be read";
      } else if (f.detail == "not running") {
        line = "The Dock is not running";
        todo = "Log out and in again to start it";
      } else {
        line = "The Dock's items cannot be read";
        todo = "Restart the Dock, or log out and in again";
      }
      break;
    case SetupItem::ShowExpose:
      if (f.detail == "unknown") {
        line = "Cannot tell which Dock items offer App Exposé";
        todo = "Mend the Dock line above first";
      } else {
        line = f.detail + " running applications' Dock items offer App Exposé";
        todo = "Restart the Dock, or log out and in again";
      }
      break;
    case SetupItem::Timer:
      if (f.detail == "not running") {
        line = "The tracking timer is not running";
        todo = "It starts once Vistrel is trusted for Accessibility";
      } else {
        line =
            (f.passed ? "The tracking timer keeps its pace: " : "The tracking timer is slowed: ") +
            f.detail + " between ticks, 0.500 s asked";
        todo = "macOS naps Vistrel (App Nap): turn Low Power Mode off, or quit and reopen Vistrel";
      }
      break;
    case SetupItem::LoginItem:
      line = "Launch at login: " + f.detail;
      todo = "Allow Vistrel in System Settings › General › Login Items";
      break;
    case SetupItem::Updates:
      line = f.passed ? "Software updates: available" : "Software updates: not part of this build";
      todo = "Get Vistrel from its website to receive updates";
      break;
    case SetupItem::Location:
      if (!f.passed) {
        line = "Vistrel runs from a temporary copy of a download (App Translocation)";
      } else if (f.detail == kElsewhere) {
        line = "Vistrel runs from outside the Applications folder";
      } else {
        line = "Vistrel runs from " + f.detail;
      }
      todo = "Quit Vistrel, move it to the Applications folder and open it from there";
      break;
  }
}

}  // namespace

std::string adviceFor(const SetupFinding& f) {
  if (f.passed) return "";
  std::string line, todo;
  describe(f, &line, &todo);
  return todo + ".";
}

std::string findingText(const SetupFinding& f) {
  std::string line, todo;
  describe(f, &line, &todo);
  std::string text = (f.passed ? "✓ " : "✗ ") + line;
  if (!f.passed) text += "\n    " + todo + ".";
  return text;
}

std::string trustGuidance() {
  return std::string("Press Request Access, then turn Vistrel on in ") + kAccessibilitySettings +
         "; if it is already on there, remove it with − and add it again with +";
}

std::string stalePermissionText() {
  return std::string("✗ The Accessibility permission must be granted again: remove Vistrel\n") +
         "    from the list in " + kAccessibilitySettings + " and add it again.";
}

std::string recoveredPermissionText() { return "✓ Accessibility answers again."; }

}  // namespace setup
