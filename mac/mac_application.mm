#include "mac/mac_application.h"

// Before AppKit: the SDK's Accessibility headers define the agent's own
// attribute names (kAXRoleAttribute and the like) as macros.
#include "platform/platform.h"

#import <AppKit/AppKit.h>

#include <iostream>
#include <vector>

#include "backend/interface_builder.h"
#include "backend/main_menu.h"
#include "backend/responder_chain.h"
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

// Any restorable state is decoded securely (NSSecureCoding); AppKit warns
// at launch about an app that does not say so.
- (BOOL)applicationSupportsSecureRestorableState:(NSApplication*)app {
  (void)app;
  return YES;
}

// A second launch of the running agent (the Finder, `open`): an agent has
// no Dock icon to click, so this is how a user finds its settings again.
- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)visible {
  (void)sender;
  (void)visible;
  if (_launched) mac::sendActionAlongResponderChain(backend::kReopenAction, nullptr);
  return NO;  // handled: AppKit has nothing more to do
}

@end

namespace {

// The main menu: never shown by an agent, but where AppKit finds the key
// equivalents of the key window (Close, Quit).
NSMenu* mainMenu() {
  NSString* appName = [[NSProcessInfo processInfo] processName];
  NSMenu* bar = [[NSMenu alloc] initWithTitle:@""];
  for (const auto& menu : backend::standardMainMenu(mac::fromNS(appName))) {
    NSMenu* submenu = [[NSMenu alloc] initWithTitle:mac::toNS(menu.title)];
    for (const auto& item : menu.items)
      [submenu addItemWithTitle:mac::toNS(item.title)
                         action:NSSelectorFromString(mac::toNS(item.action))
                  keyEquivalent:mac::toNS(item.keyEquivalent)];
    NSMenuItem* entry = [[NSMenuItem alloc] initWithTitle:submenu.title
                                                   action:nil
                                            keyEquivalent:@""];
    entry.submenu = submenu;
    [bar addItem:entry];
  }
  return bar;
}

}  // namespace

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
  app.mainMenu = mainMenu();
  [app run];
  return 0;
}

void MacApplication::activateIgnoringOtherApps(bool flag) {
  tracer().appActivate();
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
  tracer().appAbout();
  if (@available(macOS 14.0, *)) {
    // The agent activates after ordering the panel front. Activation is a
    // request from macOS 14 on, and a panel of an app that is not active
    // stays behind the active app's windows: the request goes first.
    [NSApp activate];
  }
  [NSApp orderFrontStandardAboutPanel:nil];
  if (@available(macOS 14.0, *)) {
    // The request may still be pending: the panel comes to the front
    // whoever is active. AppKit names no About panel; it is our one panel.
    for (NSWindow* window in NSApp.windows)
      if (window.visible && [window isKindOfClass:[NSPanel class]]) [window orderFrontRegardless];
  }
}

void MacApplication::terminate(platform::NibObject*) {
  tracer().appQuit();
  [NSApp terminate:nil];
}

MacApplication& currentApplication() {
  // The Mac platform's application is this class and no other.
  return static_cast<MacApplication&>(platform::current().application());
}

bool sendActionAlongResponderChain(const std::string& selector, platform::NibObject* sender) {
  MacApplication& app = currentApplication();
  return backend::sendAlongResponderChain(app, app.delegate(), selector, sender);
}

}  // namespace mac
