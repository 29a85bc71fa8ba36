#include "mac/mac_application.h"

// Before AppKit: the SDK's Accessibility headers define the agent's own
// attribute names (kAXRoleAttribute and the like) as macros.
#include "platform/platform.h"

#import <AppKit/AppKit.h>

#include <iostream>
#include <vector>

#include "backend/interface_builder.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

// Hands the end of launching on to the agent's delegate, once.
@interface VSApplicationDelegate : NSObject <NSApplicationDelegate>
- (instancetype)initWithDelegate:(platform::ApplicationDelegate*)delegate;
@end

@implementation VSApplicationDelegate {
  platform::ApplicationDelegate* _delegate;  // kept alive by MacApplication
  BOOL _launched;
}

- (instancetype)initWithDelegate:(platform::ApplicationDelegate*)delegate {
  if ((self = [super init])) _delegate = delegate;
  return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  (void)notification;
  if (_launched) return;
  _launched = YES;
  _delegate->applicationDidFinishLaunching();
}

@end

namespace mac {

struct MacApplication::Launch {
  std::vector<std::shared_ptr<platform::NibObject>> objects;
  platform::ApplicationDelegate* delegate = nullptr;
  // NSApplication holds its delegate weakly.
  VSApplicationDelegate* appDelegate = nil;
};

MacApplication::MacApplication() : launch_(std::make_unique<Launch>()) {}

MacApplication::~MacApplication() = default;

platform::ApplicationDelegate* MacApplication::delegate() const { return launch_->delegate; }

int MacApplication::applicationMain(int, char**) {
  NSApplication* app = [NSApplication sharedApplication];
  [app setActivationPolicy:NSApplicationActivationPolicyAccessory];
  try {
    auto main = backend::instantiateMainInterface(
        backend::loadInterfaceFile(fromNS([[NSBundle mainBundle] resourcePath]), "MainMenu"));
    launch_->objects = std::move(main.objects);
    launch_->delegate = main.delegate;
  } catch (const backend::InterfaceError& e) {
    // Said once to each: the log for a launch from the Finder, standard
    // error for one from a terminal.
    NSLog(@"%@", toNS(e.what()));
    std::cerr << e.what() << "\n";
    return 1;
  }
  launch_->appDelegate = [[VSApplicationDelegate alloc] initWithDelegate:launch_->delegate];
  app.delegate = launch_->appDelegate;
  [app run];
  return 0;
}

void MacApplication::activateIgnoringOtherApps(bool flag) {
  if (auto* t = trace()) t->appActivate();
  if (@available(macOS 14.0, *)) {
    // Activation is cooperative from macOS 14 on: there is no flag to give.
    (void)flag;
    [NSApp activate];
  } else {
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
    [NSApp activateIgnoringOtherApps:flag];
#pragma clang diagnostic pop
  }
}

void MacApplication::orderFrontStandardAboutPanel(platform::NibObject*) {
  if (auto* t = trace()) t->appAbout();
  [NSApp orderFrontStandardAboutPanel:nil];
}

void MacApplication::terminate(platform::NibObject*) {
  if (auto* t = trace()) t->appQuit();
  [NSApp terminate:nil];
}

bool sendActionAlongResponderChain(const std::string& selector, platform::NibObject* sender) {
  auto& app = platform::current().application();
  if (selector == "terminate:") {
    app.terminate(sender);
    return true;
  }
  if (selector == "orderFrontStandardAboutPanel:") {
    app.orderFrontStandardAboutPanel(sender);
    return true;
  }
  auto* mac = dynamic_cast<MacApplication*>(&app);
  auto* delegate = mac ? mac->delegate() : nullptr;
  return delegate && delegate->performAction(selector, sender);
}

}  // namespace mac
