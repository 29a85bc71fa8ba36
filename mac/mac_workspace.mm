#include "mac/mac_workspace.h"

#import <AppKit/AppKit.h>

#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

namespace mac {

namespace {

std::vector<platform::RunningApplication> snapshot(NSArray<NSRunningApplication*>* apps) {
  std::vector<platform::RunningApplication> out;
  for (NSRunningApplication* app in apps) {
    if (out.size() == kMaxRunningApplications) break;
    out.push_back({optionalFromNS(app.bundleIdentifier),
                   optionalFromNS(app.bundleURL.absoluteString), app.processIdentifier});
  }
  return out;
}

}  // namespace

std::vector<platform::RunningApplication> MacWorkspace::runningApplications() {
  return snapshot([[NSWorkspace sharedWorkspace] runningApplications]);
}

std::vector<platform::RunningApplication> MacWorkspace::runningApplicationsWithBundleIdentifier(
    const std::string& bundleIdentifier) {
  return snapshot(
      [NSRunningApplication runningApplicationsWithBundleIdentifier:toNS(bundleIdentifier)]);
}

bool MacWorkspace::openURL(const std::string& url) {
  tracer().urlOpen(url);
  NSURL* u = [NSURL URLWithString:toNS(url)];
  return u && [[NSWorkspace sharedWorkspace] openURL:u];
}

const std::vector<platform::Rect>& MacWorkspace::screenFrames() {
  // The first screen is the one with the menu bar.
  screens_.clear();
  for (NSScreen* screen in [NSScreen screens]) {
    if (screens_.size() == kMaxScreens) break;
    NSRect f = screen.frame;
    screens_.push_back({{f.origin.x, f.origin.y}, {f.size.width, f.size.height}});
  }
  return screens_;
}

void MacWorkspace::reportSetupFinding(const platform::SetupFinding& finding) {
  tracer().setupFinding(finding);
}

void MacWorkspace::reportStalePermission(bool stale) { tracer().stalePermission(stale); }

void MacWorkspace::log(const std::string& text) {
  tracer().log(text);
  // The text is an argument, never the format: it may hold a % of its own.
  NSLog(@"%@", toNS(text));
}

}  // namespace mac
